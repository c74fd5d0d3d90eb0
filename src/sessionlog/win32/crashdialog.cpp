// Tolvane Windows Crash Recovery: asks how to repair a log whose last
// session has a start but no end. It changes no setting.
#include "dialogs/win32/dialogframework.h"
#include "platform/crashprompt.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/crash.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/errors.h"

namespace {

void OnOk(WindowHandle handle)
{
    HWND dialog = static_cast<HWND>(handle);
    const int remedy = CheckedButton(dialog, IDC_CLOCKEND, DO_NOTHING - CLOCK_END_NOW + 1);
    if (remedy < 0) {
        ShowError(2081);
        return;
    }
    EndDialog(dialog, CLOCK_END_NOW + remedy);
}

void OnCancel(WindowHandle dialog)
{
    EndDialog(static_cast<HWND>(dialog), DO_NOTHING);
}

const CommandRow CrashCommands[] = {
    Row(IDOK, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnOk),
    Row(IDCANCEL, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnCancel),
};

const HelpPair CrashHelp[] = {
    {IDC_ACTIONGROUP, 5300}, {IDC_ACTIONTEXT, 5300}, {IDC_CLOCKEND, 5300},   {IDC_PRETEND, 5300},
    {IDC_DONOTHING, 5300},   {IDC_CANCELNOTE, 5300}, {IDC_HELPBUTTON, 3002}, {0, 0},
};

DialogTable CrashTable = {nullptr, RowCount(CrashCommands), CrashCommands, CrashHelp, 1, IDC_HELPBUTTON, 628};

INT_PTR CALLBACK CrashDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = DialogDispatch(CrashTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(CrashTable, MainWindow);
        CheckRadioButton(dialog, IDC_CLOCKEND, IDC_DONOTHING, IDC_CLOCKEND + DialogData<int>(dialog));
    }
    return result;
}

int CrashRecoveryPrompt(void* owner, int preselected)
{
    return RunCrashRecoveryDialog(static_cast<HWND>(owner), preselected);
}

} // namespace

int RunCrashRecoveryDialog(HWND owner, int preselected)
{
    if (preselected < CLOCK_END_NOW || preselected > DO_NOTHING)
        preselected = DO_NOTHING;
    const INT_PTR result = RunModalDialog(owner, IDD_CRASHRECOVERY, CrashDialogProc, &preselected);
    // A dialog that could not be shown leaves the log as it is; the same
    // session is found again at the next start.
    if (result < CLOCK_END_NOW || result > DO_NOTHING)
        return DO_NOTHING;
    return static_cast<int>(result);
}

void InstallCrashRecoveryDialog()
{
    SetCrashPrompt(CrashRecoveryPrompt);
}
