// The About box: no rows and no help, so OK and Escape close it by the
// framework's defaults.
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/smalldialogs.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "version.h"

DialogTable AboutTable = {nullptr, 0, nullptr, nullptr, 0, 0, 0};

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(AboutTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(AboutTable, MainWindow);
        SetDlgItemTextA(window, IDC_ABOUT_NAME, "Tolvane");
        SetDlgItemTextA(window, IDC_ABOUT_VERSION, TOLVANE_VERSION_TEXT);
    }
    return result;
}

} // namespace

void ShowAboutBox(HWND owner)
{
    RunModalDialog(owner, IDD_ABOUT, AboutProc, nullptr);
}
