// The Options sheet: five pages, each in a file of its own; the sheet
// only assembles them.
#include "dialogs/win32/optionssheet.h"

#include <commdlg.h>

#include "dialogs/win32/dialogframework.h"
#include "monitor/win32/autostartregistry.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"

namespace {

const PageEntry OptionsPages[] = {
    {IDD_GENERALPAGE, GeneralPageProc, 501}, {IDD_ISPPAGE, IspPageProc, 502},
    {IDD_MONITORPAGE, MonitorPageProc, 508}, {IDD_RECOVERYPAGE, RecoveryPageProc, 629},
    {IDD_PRINTPAGE, PrintPageProc, 509},
};

} // namespace

INT_PTR ShowOptionsSheet(HWND owner)
{
    InstallWin32AutostartRegistry();
    const INT_PTR result = RunPropertySheet(owner, "Options", OptionsPages, static_cast<int>(RowCount(OptionsPages)));
    if (result == -1)
        ShowError(2010, static_cast<long>(GetLastError()));
    return result;
}

INT_PTR OptionsPageDispatch(DialogTable& table, const PageRules& rules, void (*open)(HWND page), HWND page,
                            UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = PageDispatch(table, rules, page, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(table, MainWindow);
        if (open)
            open(page);
    }
    return result;
}

void BrowseIntoField(HWND dialog, int fieldId, const FileChoice& choice)
{
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = choice.filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = choice.initialDirectory;
    ofn.lpstrTitle = choice.title;
    ofn.lpstrDefExt = choice.defaultExtension;
    ofn.Flags = choice.flags;
    HWND field = GetDlgItem(dialog, fieldId);
    if (Api.GetOpenFileNameA(&ofn)) {
        SetWindowTextA(field, path);
        SendMessageA(field, EM_SETSEL, 0, -1);
    }
    SetFocus(field);
}
