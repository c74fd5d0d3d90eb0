// The notification-area icon while monitoring with IconWhenMonitoring 1:
// waiting or online, the time online in its tooltip, and its menu.
#include <algorithm>
#include <cstring>
#include <string>

#include "monitor/mainrules.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "tariff/ispnumbers.h"

namespace {

bool TrayInUse()
{
    return Monitor.IconWhenMonitoring == ICON_TRAY;
}

NOTIFYICONDATAA IconData(UINT flags)
{
    NOTIFYICONDATAA data{};
    // The first, smallest form: every shell since the first takes it.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = MainWindow;
    data.uID = TRAY_ICON_ID;
    data.uFlags = flags;
    data.uCallbackMessage = MSG_TRAY;
    return data;
}

HICON SmallIcon(int id)
{
    return static_cast<HICON>(LoadImageA(ProgramInstance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void SetTip(NOTIFYICONDATAA& data, const std::string& text)
{
    const std::size_t n = std::min(text.size(), std::min(TOOLTIP_MAX, sizeof data.szTip - 1));
    std::memcpy(data.szTip, text.data(), n);
    data.szTip[n] = '\0';
}

void PostCommand(int id)
{
    PostMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace

void TrayAdd(const char* text)
{
    if (!TrayInUse())
        return;
    NOTIFYICONDATAA data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = SmallIcon(IDI_WAITING);
    SetTip(data, text ? text : "");
    Api.Shell_NotifyIconA(NIM_ADD, &data);
}

void TrayUpdate(int icon, const char* text)
{
    if (!TrayInUse())
        return;
    NOTIFYICONDATAA data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = SmallIcon(icon);
    SetTip(data, text ? std::string(text)
                      : OnlineTooltip(GetIspDescription(Monitor.sessionIsp), Now(), Monitor.eventTime));
    Api.Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayRemove()
{
    if (!TrayInUse())
        return;
    NOTIFYICONDATAA data = IconData(0);
    Api.Shell_NotifyIconA(NIM_DELETE, &data);
}

void OnTrayMessage(UINT mouseMessage)
{
    if (!TrayInUse())
        return;
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        // The time online moves on only when someone looks at it.
        if (Monitor.online)
            TrayUpdate(IDI_ONLINE, nullptr);
        break;
    case WM_LBUTTONDBLCLK:
        RestoreFromHidden();
        ShowWindow(MainWindow, SW_RESTORE);
        break;
    case WM_RBUTTONDOWN: {
        HMENU menu = LoadMenuA(ProgramInstance, MAKEINTRESOURCEA(IDM_TRAY));
        if (!menu)
            break;
        HMENU popup = GetSubMenu(menu, 0);
        SetMenuDefaultItem(popup, 0, TRUE);
        POINT at{};
        GetCursorPos(&at);
        // Without this the menu stays open when the user clicks elsewhere.
        SetForegroundWindow(MainWindow);
        const int command = static_cast<int>(
            TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, MainWindow, nullptr));
        PostMessageA(MainWindow, WM_NULL, 0, 0);
        DestroyMenu(menu);
        OnTrayMenuChoice(command);
        break;
    }
    default:
        break;
    }
}

void OnTrayMenuChoice(int command)
{
    if (command == 0 || command == IDM_TRAY_CLOSE)
        return;
    RestoreFromHidden();
    ShowWindow(MainWindow, SW_RESTORE);
    switch (command) {
    case IDM_TRAY_REPORT:
        RehideAfterReport = true;
        PostCommand(IDC_CURRENT);
        break;
    case IDM_TRAY_ABOUT:
        RehideAfterAbout = true;
        PostCommand(IDC_ABOUT);
        break;
    case IDM_TRAY_STOP:
        PostCommand(IDC_MONITOR);
        break;
    case IDM_TRAY_EXIT:
        PostCommand(IDC_EXIT);
        break;
    default:
        break;
    }
}
