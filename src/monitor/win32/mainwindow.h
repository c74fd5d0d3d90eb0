// The main window (the modeless dialog 151 of class "KRTolvane") and the
// parts of the monitoring controller that only the main window's modules use.
#pragma once
#include <windows.h>

#include <cstdint>

#include "dialogs/dialogtable.h"

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern DialogTable MainWindowTable;

// Brings a window to the top, restores it when minimised and shows it when
// hidden, then brings its last active pop-up to the top as well.
void BringForward(HWND window);

// The hidden window of class "KRTolvaneH" that the main window is attached
// to while it is out of sight; made on first need, never destroyed.
extern HWND ParkingWindow;

// The modules the controller and the main window hand work to: the monitors,
// the Connection Made dialog and the usage report. Defaults to the real
// ones; tests put scripted ones in their place.
struct ControllerHooks {
    int (*startLine)();
    void (*stopLine)();
    int (*startRas)();
    void (*stopRas)();
    void (*connectionMade)(const char* connectionName);
    void (*showReport)(HWND owner, std::int64_t reference);
};
extern ControllerHooks Hooks;
void ResetControllerHooks();

// The Enter Date dialog (154): local midnight of the chosen date, or 0 when
// cancelled.
std::int64_t AskReportDate(HWND owner);

// Tray icon (shown only with IconWhenMonitoring 1). With text null the
// online tooltip is built from the session's ISP and time online.
constexpr UINT TRAY_ICON_ID = 1150;
void TrayAdd(const char* text);
void TrayUpdate(int icon, const char* text);
void TrayRemove();
// MSG_TRAY: lParam is the mouse message.
void OnTrayMessage(UINT mouseMessage);
// What the tray menu's command leads to (0: the menu was dismissed).
void OnTrayMenuChoice(int command);
