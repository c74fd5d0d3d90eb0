// The ISP page (158) of the Options sheet: the list of the Phone entry and
// every ISP. Its buttons are not wired yet; the page stores nothing.
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "resource.h"

namespace {

const CommandRow IspCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
};

const HelpPair IspHelp[] = {
    {IDC_ISP_LABEL, 3500},       {IDC_ISP, 3500},           {IDC_ISPPAGE_DEFAULT, 3501}, {IDC_ISPPAGE_NEW, 3502},
    {IDC_ISPPAGE_EDIT, 3503},    {IDC_ISPPAGE_DELETE, 3504}, {IDC_ISPPAGE_IMPORT, 3505}, {IDC_ISPPAGE_EXPORT, 3506},
    {0, 0},
};

DialogTable IspTable = {nullptr, RowCount(IspCommands), IspCommands, IspHelp, 0, 0, 0};

const PageRules IspRules = {nullptr, nullptr};

} // namespace

INT_PTR CALLBACK IspPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return OptionsPageDispatch(IspTable, IspRules, nullptr, page, message, wParam, lParam);
}
