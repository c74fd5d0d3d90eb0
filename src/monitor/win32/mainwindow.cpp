// The main window's procedure. Only the frame is here so far: it opens,
// comes forward when a second copy starts, and closes; the commands of its
// buttons arrive with the features behind them.
#include "monitor/win32/mainwindow.h"

#include "platform/win32/messages.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"

void BringForward(HWND window)
{
    if (!window)
        return;
    HWND popup = GetLastActivePopup(window);
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    if (popup && popup != window)
        BringWindowToTop(popup);
}

namespace {

void RemoveSizingCommands(HWND window)
{
    // The window has one size: no Maximize and no Size in its system menu.
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu) {
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    }
}

} // namespace

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CurrentDialog = window;
        RemoveSizingCommands(window);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && LOWORD(wParam) == IDC_EXIT)
            PostMessageA(window, WM_CLOSE, 0, 0);
        // Enter (1) and Escape (2) do nothing while not monitoring.
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_DESTROY:
        if (CurrentDialog == window)
            CurrentDialog = nullptr;
        if (MainWindow == window)
            MainWindow = nullptr;
        PostQuitMessage(0);
        return TRUE;
    default:
        if (message == MSG_ACTIVATE) {
            BringForward(window);
            return TRUE;
        }
        return FALSE;
    }
}
