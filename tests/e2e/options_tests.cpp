// The real tolvane.exe: a choice made in the Options sheet is kept in
// tolvane.ini and is there again when the program next starts; an ISP made
// in the sheet is there to be reported on.
#include <windows.h>
#include <prsht.h>

#include <algorithm>

#include "driver.h"
#include "resource.h"

namespace {

class OptionsProgramTest : public e2e::ProgramFolder {
protected:
    // Opens the sheet from the main window; its current page, or null.
    HWND OpenOptions(HWND window, HWND& sheet)
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_OPTIONS, BN_CLICKED), 0);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        e2e::WaitUntil(10000, [&] {
            sheet = FindWindowExA(nullptr, nullptr, "#32770", "Options");
            DWORD owner = 0;
            GetWindowThreadProcessId(sheet, &owner);
            return sheet && owner == process && IsWindowVisible(sheet);
        });
        return sheet ? reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
    }
    // A top-level window of the copy with this caption, once it shows.
    HWND WaitForWindow(HWND window, const char* caption)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        HWND found = nullptr;
        e2e::WaitUntil(10000, [&] {
            found = FindWindowExA(nullptr, nullptr, "#32770", caption);
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            return found && owner == process && IsWindowVisible(found);
        });
        return found;
    }
    // Presses a sheet button and waits for the sheet to go.
    void Close(HWND sheet, int button)
    {
        PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
        EXPECT_TRUE(e2e::WaitUntil(10000, [&] { return !IsWindow(sheet); }));
    }
};

TEST_F(OptionsProgramTest, AChoiceMadeInTheSheetIsThereAfterARestart)
{
    Write("tolvane.ini", "[Global]\r\nActiveIDs=1\r\nConfirmDelete=1\r\n");
    HWND window = nullptr, sheet = nullptr;
    e2e::Process first = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    HWND page = OpenOptions(window, sheet);
    ASSERT_NE(page, nullptr) << "no Options sheet";
    HWND confirm = GetDlgItem(page, IDC_GEN_CONFIRM);
    EXPECT_EQ(SendMessageA(confirm, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(confirm, BM_CLICK, 0, 0);
    Close(sheet, PSBTN_OK);
    EXPECT_NE(Read("tolvane.ini").find("ConfirmDelete=0"), std::string::npos) << Read("tolvane.ini");
    ExitCopy(first, window);

    e2e::Process second = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    page = OpenOptions(window, sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_GEN_CONFIRM), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Close(sheet, PSBTN_CANCEL);
    ExitCopy(second, window);
    EXPECT_FALSE(Exists("tolvane.err"));
}

TEST_F(OptionsProgramTest, AnIspMadeInTheSheetIsInTheUsageReport)
{
    Write("tolvane.ini", "[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nDescription=Home\r\n");
    HWND window = nullptr, sheet = nullptr;
    e2e::Process copy = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(OpenOptions(window, sheet), nullptr) << "no Options sheet";
    PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
    HWND page = nullptr;
    e2e::WaitUntil(10000, [&] {
        page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        return page && GetDlgItem(page, IDC_ISPPAGE_NEW);
    });
    ASSERT_NE(page, nullptr) << "no ISP page";
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_ISPPAGE_NEW, BN_CLICKED), 0);
    HWND editor = WaitForWindow(window, "New ISP");
    ASSERT_NE(editor, nullptr) << "no ISP editor";
    Close(editor, PSBTN_OK);
    Close(sheet, PSBTN_OK);
    EXPECT_NE(Read("tolvane.ini").find("ActiveIDs=1,2"), std::string::npos) << Read("tolvane.ini");

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CURRENT, BN_CLICKED), 0);
    HWND usage = WaitForWindow(window, "Usage");
    ASSERT_NE(usage, nullptr) << "no Usage dialog";
    std::vector<std::string> listed;
    HWND list = GetDlgItem(usage, IDC_ISP);
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        // Read as wide text: the narrow form is not carried across processes.
        wchar_t text[256] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        listed.push_back(std::string(text, text + wcslen(text)));
    }
    EXPECT_NE(std::find(listed.begin(), listed.end(), "ISP2"), listed.end()) << ::testing::PrintToString(listed);
    PostMessageA(usage, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(e2e::WaitUntil(10000, [&] { return !IsWindow(usage); }));
    ExitCopy(copy, window);
    EXPECT_FALSE(Exists("tolvane.err"));
}

}  // namespace
