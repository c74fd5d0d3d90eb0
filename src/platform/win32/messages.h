// Private messages of the program, all in the application range.
#pragma once
#include <windows.h>

// From the shell, for the tray icon; lParam is the mouse message.
constexpr UINT MSG_TRAY = WM_APP + 1;
// Posted to the UI thread by the single-instance watcher: a second copy was
// started and the main window is to come forward.
constexpr UINT MSG_ACTIVATE = WM_APP + 2;
// Posted to the UI thread by the RAS polling thread; wParam is a
// ConnectionEvent owned by the receiver.
constexpr UINT MSG_CONNECTED = WM_APP + 3;
constexpr UINT MSG_DISCONNECTED = WM_APP + 4;
