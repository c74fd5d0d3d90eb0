// Help with each help file or none: the Help button and F1 ask WinHelp when
// its file is there, else open the compiled user guide through HTML Help at
// the topic of their context; with no help file nothing happens.
#include <windows.h>

#include <cstring>

#include "dialogs/win32/dialogframework.h"
#include "harness.h"

namespace {

using namespace harness;

constexpr UINT HH_HELP_CONTEXT_COMMAND = 0x000F;

// Each context asked of HTML Help, with the title of the window it opened.
std::vector<std::string> opened;

using HelpTest = Fixture;

TEST_F(HelpTest, NoFileShowsNothingAWinHelpFileWinsAndTheGuideOpensAtTheTopicTillExit)
{
    // Every request goes to the program's own HTML Help entry, which opens
    // its window only for a context the guide maps.
    static const auto real = Api.HtmlHelpA;
    opened.clear();
    Api.HtmlHelpA = [](HWND caller, LPCSTR file, UINT command, DWORD_PTR data) WINAPI -> HWND {
        HWND help = real(caller, file, command, data);
        if (command == HH_HELP_CONTEXT_COMMAND)
            opened.push_back(std::to_string(data) + " " + Text(help));
        return help;
    };
    OpenMainWindow();
    const auto ask = [this] {
        Press(window, IDC_HELPBUTTON);
        HELPINFO f1{sizeof f1, HELPINFO_WINDOW, IDC_CURRENT, GetDlgItem(window, IDC_CURRENT), 0, {0, 0}};
        SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
    };
    ask();
    SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_CURRENT)), 0);
    EXPECT_TRUE(seen.help.empty());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(GetFileAttributesA(ErrorLogPath.c_str()), INVALID_FILE_ATTRIBUTES) << "no error, not even a quiet one";

    // The guide the build compiled, beside the program.
    const std::string chm = HelpFilePath.substr(0, HelpFilePath.size() - std::strlen("tolvanew.hlp")) + "tolvane.chm";
    ASSERT_TRUE(CopyFileA(TOLVANE_CHM, chm.c_str(), FALSE)) << TOLVANE_CHM;
    WithHelpFile();
    ask();
    EXPECT_EQ(seen.help.size(), 2u);
    EXPECT_TRUE(opened.empty());

    DeleteFileA(HelpFilePath.c_str());
    seen.help.clear();
    ask();
    EXPECT_EQ(opened, (std::vector<std::string>{"611 Tolvane Help", "3100 Tolvane Help"}));
    EXPECT_TRUE(seen.help.empty());
    HWND guide = FindWindowA(nullptr, "Tolvane Help");
    ASSERT_NE(guide, nullptr);
    Picture(guide, "help_window");
    DestroyWindow(window);
    Pump();
    EXPECT_FALSE(IsWindow(guide));
}

}  // namespace
