// Help without a WinHelp engine: the Help buttons, F1 and the Options
// sheet's Help open the compiled user guide through HTML Help at the topic
// of their context; with no help file nothing happens.
#include <windows.h>
#include <prsht.h>

#include <cstring>

#include "dialogs/win32/dialogframework.h"
#include "harness.h"

namespace {

using namespace harness;

constexpr UINT HH_HELP_CONTEXT_COMMAND = 0x000F;

// The program's own HTML Help entry, not the harness's recorder.
decltype(Win32Api::HtmlHelpA) RealHtmlHelp()
{
    const Win32Api faked = Api;
    ResetWin32Api();
    const auto real = Api.HtmlHelpA;
    Api = faked;
    return real;
}

struct Opened {
    std::uint32_t context;
    std::string title;  // of the help window HTML Help opened, "" when none
};
std::vector<Opened>* opened = nullptr;

class HelpTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        opened = &windows;
    }
    void TearDown() override
    {
        Fixture::TearDown();
        opened = nullptr;
    }

    // The guide the build compiled, beside the program; every request goes
    // to the real HTML Help, which opens its window only for a context the
    // guide maps.
    void WithGuide()
    {
        const std::string chm = HelpFilePath.substr(0, HelpFilePath.size() - std::strlen("tolvanew.hlp")) + "tolvane.chm";
        ASSERT_TRUE(CopyFileA(TOLVANE_CHM, chm.c_str(), FALSE)) << TOLVANE_CHM;
        static const auto real = RealHtmlHelp();
        Api.HtmlHelpA = [](HWND caller, LPCSTR file, UINT command, DWORD_PTR data) WINAPI -> HWND {
            HWND help = real(caller, file, command, data);
            if (command == HH_HELP_CONTEXT_COMMAND) {
                char title[128] = "";
                if (help)
                    GetWindowTextA(help, title, sizeof title);
                opened->push_back({static_cast<std::uint32_t>(data), title});
            }
            return help;
        };
    }

    void F1On(HWND dialog, int controlId)
    {
        HELPINFO info{sizeof info, HELPINFO_WINDOW, controlId, GetDlgItem(dialog, controlId), 0, {0, 0}};
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }

    std::vector<Opened> windows;
};

void ExpectOpened(const std::vector<Opened>& seen, std::vector<std::uint32_t> contexts)
{
    ASSERT_EQ(seen.size(), contexts.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].context, contexts[i]);
        EXPECT_EQ(seen[i].title, "Tolvane Help") << "context " << contexts[i];
    }
}

TEST_F(HelpTest, MainWindowHelpAndF1OpenTheGuideAtTheirTopicsAndExitClosesIt)
{
    WithGuide();
    OpenMainWindow();
    Press(window, IDC_HELPBUTTON);
    F1On(window, IDC_CURRENT);
    ExpectOpened(windows, {611, 3100});
    EXPECT_TRUE(seen.help.empty()) << "WinHelp without its file";

    HWND guide = FindWindowA(nullptr, "Tolvane Help");
    ASSERT_NE(guide, nullptr);
    Picture(guide, "help_window");
    DestroyWindow(window);
    Pump();
    EXPECT_FALSE(IsWindow(guide));
}

TEST_F(HelpTest, OptionsSheetHelpOpensTheShownPagesTopic)
{
    WithGuide();
    OpenMainWindow();
    Then([](HWND sheet) {
        PressSheetButton(sheet, PSBTN_HELP);
        ShowPage(sheet, 1);
        PressSheetButton(sheet, PSBTN_HELP);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Command(IDC_OPTIONS);
    ExpectOpened(windows, {501, 502});
}

TEST_F(HelpTest, WinHelpFileWinsOverTheGuide)
{
    WithGuide();
    WithHelpFile();
    OpenMainWindow();
    Press(window, IDC_HELPBUTTON);
    F1On(window, IDC_CURRENT);
    ASSERT_EQ(seen.help.size(), 2u);
    EXPECT_EQ(seen.help[0], std::make_pair(static_cast<UINT>(HELP_CONTEXT), static_cast<ULONG_PTR>(611)));
    EXPECT_EQ(seen.help[1].first, static_cast<UINT>(HELP_WM_HELP));
    EXPECT_TRUE(windows.empty());
}

TEST_F(HelpTest, WithoutAnyHelpFileNothingHappensAndNothingIsLogged)
{
    OpenMainWindow();
    Press(window, IDC_HELPBUTTON);
    F1On(window, IDC_CURRENT);
    SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_CURRENT)), 0);
    DestroyWindow(window);
    Pump();
    EXPECT_TRUE(seen.help.empty());
    EXPECT_TRUE(seen.htmlHelp.empty());
    EXPECT_TRUE(testsupport::RecordedErrors().empty());
    EXPECT_EQ(GetFileAttributesA(ErrorLogPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
