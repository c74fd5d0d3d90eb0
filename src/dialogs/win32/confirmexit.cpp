// Confirm Exit: asked when the main window is closed while monitoring.
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/smalldialogs.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"

namespace {

void ConfirmOk(WindowHandle handle)
{
    HWND window = static_cast<HWND>(handle);
    if (IsDlgButtonChecked(window, IDC_CONFIRMEXIT_RESUME) == BST_CHECKED)
        EndDialog(window, 0);
    else if (IsDlgButtonChecked(window, IDC_CONFIRMEXIT_STOP) == BST_CHECKED)
        EndDialog(window, 1);
    else
        ShowError(1010);
}

const CommandRow ConfirmExitRows[] = {Row(IDOK, 3, ConfirmOk)};
const HelpPair ConfirmExitHelp[] = {
    {IDC_CONFIRMEXIT_RESUME, 4400}, {IDC_CONFIRMEXIT_STOP, 4401}, {IDOK, 3000}, {IDCANCEL, 3001},
    {IDC_HELPBUTTON, 3002},         {0, 0}};

INT_PTR CALLBACK ConfirmExitProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(ConfirmExitTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(ConfirmExitTable, MainWindow);
        CheckRadioButton(window, IDC_CONFIRMEXIT_RESUME, IDC_CONFIRMEXIT_STOP, IDC_CONFIRMEXIT_RESUME);
    }
    return result;
}

} // namespace

DialogTable ConfirmExitTable = {nullptr, RowCount(ConfirmExitRows), ConfirmExitRows, ConfirmExitHelp, 1, IDC_HELPBUTTON,
                                617};

int ConfirmExitDialog(HWND owner)
{
    return static_cast<int>(
        RunModalDialog(owner, IDD_CONFIRMEXIT, ConfirmExitProc, nullptr));
}
