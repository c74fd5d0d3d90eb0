#include "dialogs/win32/dialogframework.h"

#include <commctrl.h>
#include <sys/stat.h>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "startup/locations.h"

bool HelpWindowOpened = false;

namespace {

HCURSOR waitCursor = nullptr;
HCURSOR savedCursor = nullptr;

bool HelpFileExists()
{
    struct stat st;
    return !HelpFilePath.empty() && stat(HelpFilePath.c_str(), &st) == 0;
}

void RouteCommandMessage(DialogTable& table, HWND window, WPARAM wParam, LPARAM lParam)
{
    int controlId = LOWORD(wParam);
    int code = HIWORD(wParam);
    const CommandRow* row = nullptr;
    switch (RouteCommand(table, controlId, code, &row)) {
    case CommandRoute::CallHandler:
        if (row->kind & ROW_WINDOW_ONLY)
            row->windowHandler(window);
        else
            row->controlHandler(window, controlId, reinterpret_cast<HWND>(lParam), code);
        break;
    case CommandRoute::EndOk:
        EndDialog(window, 0);
        break;
    case CommandRoute::EndCancel:
        EndDialog(window, -1);
        break;
    case CommandRoute::HelpButton:
        ShowHelp(window, HELP_CONTEXT, table.helpButtonContext);
        break;
    case CommandRoute::Ignore:
        break;
    }
}

} // namespace

void SetReturnWindow(DialogTable& table, HWND window)
{
    table.returnWindow = window;
}

INT_PTR DialogDispatch(DialogTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CurrentDialog = window;
        return TRUE;
    case WM_DESTROY:
        CurrentDialog = static_cast<HWND>(table.returnWindow);
        return 0;
    case WM_SETCURSOR:
        if (savedCursor) {
            SetCursor(waitCursor);
            SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        if (table.helpPairs) {
            const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
            ShowHelp(static_cast<HWND>(info->hItemHandle), HELP_WM_HELP,
                     reinterpret_cast<ULONG_PTR>(table.helpPairs));
        }
        // Answered either way: left unanswered, the default handling passes
        // F1 on to the owner, which would show its own popup as well.
        return TRUE;
    case WM_CONTEXTMENU:
        if (table.helpPairs)
            ShowHelp(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(table.helpPairs));
        return 0;
    case WM_COMMAND:
        RouteCommandMessage(table, window, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

BOOL ShowHelp(HWND window, UINT command, ULONG_PTR data)
{
    // Without a help file (or a help engine) there is nothing to show.
    if (!HelpFileExists())
        return FALSE;
    BOOL result = Api.WinHelpA(window, HelpFilePath.c_str(), command, data);
    if (command != HELP_WM_HELP && command != HELP_CONTEXTMENU)
        HelpWindowOpened = true;
    return result;
}

void CloseHelp(HWND window)
{
    if (HelpWindowOpened)
        Api.WinHelpA(window, HelpFilePath.c_str(), HELP_QUIT, 0);
}

void BeginBusyCursor()
{
    if (!waitCursor)
        waitCursor = LoadCursor(nullptr, IDC_WAIT);
    HCURSOR previous = SetCursor(waitCursor);
    if (!savedCursor)
        savedCursor = previous ? previous : LoadCursor(nullptr, IDC_ARROW);
}

void EndBusyCursor()
{
    if (savedCursor)
        SetCursor(savedCursor);
    savedCursor = nullptr;
}

bool BusyCursorActive()
{
    return savedCursor != nullptr;
}

LRESULT FillComboStrings(HWND dialog, int comboId, int count, const char* const* strings)
{
    SendDlgItemMessageA(dialog, comboId, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strings[i]));
    return SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, 0, 0);
}

int GetSelectedListItem(HWND listView)
{
    return static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectListItem(HWND listView, int index)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
