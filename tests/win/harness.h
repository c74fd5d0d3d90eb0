// The harness of the Win32 tests: scripted modal dialogs, one set of
// control helpers, one picture switch, and the fixture that puts every seam
// back between tests.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "logmaint_support.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "platform/clock.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/locations.h"

namespace harness {

// ---- Modal dialogs. Each top-level dialog that initialises (property pages
// and the main window aside) takes the next step, run from the dialog's own
// loop once it shows. A dialog with no step left fails the test and is
// closed; a dialog its step leaves open fails it and is ended.
using Step = std::function<void(HWND)>;
void Then(Step step);
// Titles of the dialogs that initialised, in order.
std::vector<std::string>& Titles();
// Forgets the steps left: for a modeless window whose step runs only when
// something pumps messages while it exists.
void DropSteps();

// EndDialog hides a dialog at once.
inline bool IsOpen(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }
// The button's command, handled before this returns.
inline void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A mouse click: checks a radio or box, then notifies.
inline void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }
inline void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
// OK refused with that error alone, the dialog still open.
inline void Refused(HWND dialog, ErrorCode code)
{
    testsupport::ClearRecordedErrors();
    Press(dialog, IDOK);
    EXPECT_EQ(testsupport::RecordedCodes(), std::vector<ErrorCode>{code});
    EXPECT_TRUE(IsOpen(dialog));
}
std::string Text(HWND window);
inline std::string Text(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
std::string ClassOf(HWND window);
// Combo or list box: the items, the selected one ("" when none), a choice
// as the user makes it (with its SELCHANGE), and the choice of an item by
// its text (its index, -1 when there is none).
std::vector<std::string> Items(HWND dialog, int id);
std::string Selection(HWND dialog, int id);
void Select(HWND dialog, int id, int index);
int SelectText(HWND dialog, int id, const std::string& text);
std::vector<std::vector<std::string>> ListViewRows(HWND dialog, int id);

// The common file dialog: the name typed into its file name box and its
// Open or Save pressed; the panel of a dialog opened with a template.
void ChooseFile(HWND fileDialog, const std::string& path);
HWND FileDialogPanel(HWND fileDialog);

// Property sheets: a page shown (and returned), a sheet button pressed
// (PSBTN_OK, ...), the current page (null for a dialog that is no sheet).
HWND ShowPage(HWND sheet, int index);
void PressSheetButton(HWND sheet, int button);
HWND CurrentPage(HWND sheet);
// On the sheet's page `index`, `type` clicked, then `button` pressed; the
// sheet is cancelled once the dialog that opens has gone.
template <int index, int button, int type = 0>
void Through(HWND sheet)
{
    HWND page = ShowPage(sheet, index);
    if (type)
        Click(page, type);
    Press(page, button);
    PressSheetButton(sheet, PSBTN_CANCEL);
}

// With TOLVANE_ARTIFACTS naming a folder, the window's picture as NAME.bmp
// there (ctest turns them into PNG files).
void Picture(HWND window, const std::string& name);

// ---- A scripted Telephony: `devices` modems, device d named "Modem d+1"
// with permanent line id 500 + d.
struct LineScript {
    DWORD devices = 1;
    DWORD media = 0x10;  // data modems
    DWORD extra = 0;  // bytes before the name; over 1200 make the caller grow its buffer
    int reinits = 0;  // answers of LINEERR_REINIT before success
    LONG negotiate = 0;
    std::vector<std::pair<DWORD, DWORD>> calls = {};  // device and origin of call handle i + 1
    LineCallbackFn callback = nullptr;  // as lineInitialize was given it
    int opens = 0;
};
// A fresh script, put in Telephony's place until the test ends.
LineScript& ScriptTelephony();

// ---- What the fakes saw.
struct Question {
    std::string text, caption;
};
struct Seen {
    std::vector<std::string> tray;  // each call as "add TIP", "modify TIP" or "delete"
    std::vector<UINT> beeps;
    std::vector<Question> questions;  // message boxes asked through the Api table
    std::vector<std::pair<UINT, ULONG_PTR>> help;  // help engine command, data
    std::vector<HWND> errorOwners;  // CurrentDialog at each error box
    std::vector<std::int64_t> reports;
    int lineStarts = 0, lineStops = 0, rasStarts = 0, rasStops = 0;
};

class Fixture : public testsupport::ProgramDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<SessionRecord> Records() const { return logmaint::ReadRecords(LogFilePath); }
    // Two sessions of March 2026: ISP 1 on Monday the 2nd from 17:30 to
    // 18:30, ISP 2 from the 9th for 100 hours.
    void WriteMarchSessions() const;
    // A help file, so that help requests reach the (recorded) help engine.
    void WithHelpFile() const { testsupport::WriteFileBytes(HelpFilePath, "help"); }

    // The main window as start-up makes it, with scripted monitors and
    // report; Pump handles what waits as the program's loop would.
    void OpenMainWindow();
    void Pump();
    void Command(int id);

public:
    HWND window = nullptr;
    bool quitSeen = false;
    Seen seen;
    int answer = IDYES;  // to every question box
    int startResult = 0;  // of the scripted monitors

private:
    HHOOK hook_ = nullptr;
};

}  // namespace harness
