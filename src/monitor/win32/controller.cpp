// The monitoring controller: starting and stopping a monitor, turning what
// the monitors detect into session records, the alert, and keeping the main
// window out of sight while monitoring.
#include <string>
#include <thread>

#include "monitor/mainrules.h"
#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/mainwindow.h"
#include "monitor/win32/rasmonitor.h"
#include "platform/clock.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"
#include "startup/win32/frame.h"
#include "startup/errors.h"

MonitorState Monitor;
bool MonitoringActive = false;
bool RehideAfterReport = false;
bool RehideAfterAbout = false;
HWND ParkingWindow = nullptr;

namespace {

const ControllerHooks RealHooks = {StartLineMonitor, StopLineMonitor, StartRasMonitor,
                                   StopRasMonitor,   ShowConnectionMade, ShowUsageReport};

constexpr const char* ParkingClass = "KRTolvaneH";

void MakeParkingWindow()
{
    static bool registered = false;
    if (!registered) {
        if (!RegisterProgramWindowClass(ParkingClass, DefWindowProcA, 0))
            return;
        registered = true;
    }
    ParkingWindow = CreateWindowExA(0, ParkingClass, ParkingClass, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, ProgramInstance, nullptr);
    if (!ParkingWindow)
        ShowError(2004);
}

void SetButtonTexts(bool monitoring)
{
    if (!MainWindow)
        return;
    SetDlgItemTextA(MainWindow, IDC_MONITOR, MonitorButtonText(monitoring));
    SetDlgItemTextA(MainWindow, IDC_EXIT, ExitButtonText(monitoring, Monitor.ConfirmExit));
}

void Alert()
{
    if (Monitor.AlertOnConnect == ALERT_BEEP) {
        Api.MessageBeep(static_cast<UINT>(-1));
    } else if (Monitor.AlertOnConnect == ALERT_SOUND && !Monitor.AlertSound.empty()) {
        // The thread plays its own copy of the name: monitoring may stop, and
        // release the settings, while the sound is still starting.
        try {
            std::thread([sound = Monitor.AlertSound] { Api.PlaySoundA(sound.c_str(), nullptr, 0); }).detach();
        } catch (...) {
            // No sound then; the connection is logged all the same.
        }
    }
}

} // namespace

ControllerHooks Hooks = RealHooks;

void ResetControllerHooks()
{
    Hooks = RealHooks;
}

int StartMonitoring()
{
    if (MonitoringActive)
        return 0;
    ResetMonitorState(Monitor);
    ReadMonitorSettings(Monitor);
    const int started = Monitor.Type == MONITOR_TELEPHONY ? Hooks.startLine() : Hooks.startRas();
    if (started != 0)
        return started;
    SetButtonTexts(true);
    TrayAdd(WAITING_TOOLTIP);
    HideWhileMonitoring();
    MonitoringActive = true;
    return 0;
}

void StopMonitoring()
{
    if (!MonitoringActive)
        return;
    if (Monitor.Type == MONITOR_TELEPHONY)
        Hooks.stopLine();
    else
        Hooks.stopRas();
    RestoreFromHidden();
    TrayRemove();
    MonitoringActive = false;
    SetButtonTexts(false);
    Monitor.AlertSound.clear();
}

void ReportConnection(bool prompt)
{
    Alert();
    if (prompt)
        Hooks.connectionMade(Monitor.connectionName[0] ? Monitor.connectionName : nullptr);
    if (Monitor.online) {
        RecordSessionEvent(Monitor.sessionIsp, SESSION_START, 0, Monitor.eventTime);
        TrayUpdate(IDI_ONLINE, nullptr);
    }
}

void ReportDisconnection()
{
    RecordSessionEvent(Monitor.sessionIsp, SESSION_END, 0, Monitor.eventTime);
    Monitor.online = false;
    TrayUpdate(IDI_WAITING, WAITING_TOOLTIP);
    if (Monitor.ShowLog) {
        if (Monitor.hidden) {
            RestoreFromHidden();
            RehideAfterReport = true;
        }
        Hooks.showReport(MainWindow, Now());
    }
}

void HideWhileMonitoring()
{
    // Minimising comes back here through WM_SIZE.
    static bool hiding = false;
    if (hiding || !MainWindow)
        return;
    hiding = true;
    const bool park = Monitor.IconWhenMonitoring == ICON_HIDE || Monitor.IconWhenMonitoring == ICON_TRAY;
    if (park && !ParkingWindow)
        MakeParkingWindow();
    ShowWindow(MainWindow, SW_MINIMIZE);
    Monitor.hidden = true;
    if (park && ParkingWindow) {
        // A child of a hidden window has no task bar button and is not seen.
        SetParent(MainWindow, ParkingWindow);
        Monitor.reparented = true;
        ShowWindow(ParkingWindow, SW_MINIMIZE);
        ShowWindow(ParkingWindow, SW_HIDE);
    }
    hiding = false;
}

void RestoreFromHidden()
{
    if (!MainWindow)
        return;
    if (Monitor.reparented) {
        SetParent(MainWindow, nullptr);
        Monitor.reparented = false;
    }
    ShowWindow(MainWindow, SW_RESTORE);
    Monitor.hidden = false;
    SetForegroundWindow(MainWindow);
    if (HWND current = GetDlgItem(MainWindow, IDC_CURRENT))
        SendMessageA(MainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(current), TRUE);
}
