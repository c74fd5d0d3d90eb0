// The real tolvane.exe: a choice made in the Options sheet is kept in
// tolvane.ini and is there again when the program next starts.
#include <windows.h>
#include <prsht.h>

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

}  // namespace
