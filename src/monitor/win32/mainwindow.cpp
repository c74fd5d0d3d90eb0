// The main window: reports, manual begin and end, the monitoring switch and
// the ways into the other dialogs. It runs on the dialog framework like
// every dialog, as a modeless one.
#include "monitor/win32/mainwindow.h"

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "dialogs/win32/smalldialogs.h"
#include "monitor/mainrules.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/rasmonitor.h"
#include "platform/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/crash.h"
#include "sessionlog/sessionlog.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/cmdline.h"
#include "startup/errors.h"
#include "tariff/win32/isplist.h"

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

HWND Hwnd(WindowHandle handle)
{
    return static_cast<HWND>(handle);
}

void PostCommand(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void RemoveSizingCommands(HWND window)
{
    // The window has one size: no Maximize and no Size in its system menu.
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu) {
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    }
}

void OnAbout(WindowHandle window)
{
    ShowAboutBox(Hwnd(window));
    if (RehideAfterAbout) {
        RehideAfterAbout = false;
        HideWhileMonitoring();
    }
}

void RecordManualEvent(HWND window, int kind)
{
    const int isp = SelectedIsp(window);
    if (isp == 0) {
        ShowError(1071);
        return;
    }
    RecordSessionEvent(isp, kind, 0, Now());
}

void OnBegin(WindowHandle window)
{
    RecordManualEvent(Hwnd(window), SESSION_START);
}

void OnEnd(WindowHandle window)
{
    RecordManualEvent(Hwnd(window), SESSION_END);
}

void OnRecover(WindowHandle window)
{
    RecoverFromCrash(window);
}

void OnCurrent(WindowHandle window)
{
    Hooks.showReport(Hwnd(window), Now());
    if (ReportOnlyMode)
        PostCommand(Hwnd(window), IDC_EXIT);
}

void OnDelete(WindowHandle window)
{
    RunDeleteDialog(Hwnd(window));
}

void OnExit(WindowHandle window)
{
    PostMessageA(Hwnd(window), WM_CLOSE, 0, 0);
}

void OnMonitor(WindowHandle)
{
    if (MonitoringActive)
        StopMonitoring();
    else
        StartMonitoring();
}

void OnOptions(WindowHandle window)
{
    ShowOptionsSheet(Hwnd(window));
    // The ISPs may have changed.
    FillIspList(Hwnd(window), false);
}

void OnPrevious(WindowHandle window)
{
    const std::int64_t date = AskReportDate(Hwnd(window));
    if (date != 0)
        Hooks.showReport(Hwnd(window), date);
}

void OnView(WindowHandle window)
{
    ViewRawLog(Hwnd(window));
}

void OnEscape(WindowHandle window)
{
    // Minimising hides the window while monitoring (WM_SIZE below).
    if (MonitoringActive)
        ShowWindow(Hwnd(window), SW_MINIMIZE);
}

const CommandRow MainRows[] = {
    Row(IDC_ABOUT, 3, OnAbout),       Row(IDC_BEGIN, 3, OnBegin),     Row(IDC_RECOVER, 3, OnRecover),
    Row(IDC_CURRENT, 3, OnCurrent),   Row(IDC_DELETE, 3, OnDelete),   Row(IDC_END, 3, OnEnd),
    Row(IDC_EXIT, 3, OnExit),         Row(IDC_MONITOR, 3, OnMonitor), Row(IDC_OPTIONS, 3, OnOptions),
    Row(IDC_PREVIOUS, 3, OnPrevious), Row(IDC_VIEW, 3, OnView),       Row(IDCANCEL, 3, OnEscape),
    Swallow(IDOK, 0),
};

const HelpPair MainHelp[] = {
    {IDC_CURRENT, 3100}, {IDC_PREVIOUS, 3101}, {IDC_ISP, 3102}, {IDC_BEGIN, 3103},      {IDC_END, 3104},
    {IDC_MONITOR, 3105}, {IDC_VIEW, 3110},     {IDC_OPTIONS, 3106},  {IDC_DELETE, 3107},     {IDC_HELPBUTTON, 3002},
    {IDC_ABOUT, 3108},   {IDC_EXIT, 3109},     {0, 0}};

void OnClose(HWND window)
{
    CloseStep step = DecideClose(MonitoringActive, Monitor.ConfirmExit, Monitor.IconWhenMonitoring);
    if (step == CLOSE_ASK)
        step = AfterConfirmExit(ConfirmExitDialog(window));
    switch (step) {
    case CLOSE_MINIMISE:
        ShowWindow(window, SW_MINIMIZE);
        break;
    case CLOSE_STOP_AND_DESTROY:
        StopMonitoring();
        DestroyWindow(window);
        break;
    case CLOSE_DESTROY:
        DestroyWindow(window);
        break;
    case CLOSE_ASK:
    case CLOSE_NOTHING:
        break;
    }
}

void OnInit(HWND window)
{
    RemoveSizingCommands(window);
    // Errors of the tariffs are for later dialogs to show; here they are logged.
    FillIspList(window, true);
    if (ReportOnlyMode)
        PostCommand(window, IDC_CURRENT);
    else if (AutoMonitorMode)
        PostCommand(window, IDC_MONITOR);
    if (CrashCheckEnabled() == 1)
        PostCommand(window, IDC_RECOVER);
}

} // namespace

DialogTable MainWindowTable = {nullptr, RowCount(MainRows), MainRows, MainHelp, 1, IDC_HELPBUTTON, 611};

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(MainWindowTable, window, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
        OnInit(window);
        return result;
    case WM_CLOSE:
        OnClose(window);
        return TRUE;
    case WM_DESTROY:
        if (MonitoringActive)
            StopMonitoring();
        CloseHelp(window);
        if (MainWindow == window)
            MainWindow = nullptr;
        PostQuitMessage(0);
        return TRUE;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED && MonitoringActive)
            HideWhileMonitoring();
        return FALSE;
    default:
        break;
    }
    if (message == MSG_TRAY) {
        OnTrayMessage(static_cast<UINT>(lParam));
        return TRUE;
    }
    if (message == MSG_ACTIVATE) {
        if (MonitoringActive)
            RestoreFromHidden();
        BringForward(window);
        return TRUE;
    }
    if (message == MSG_CONNECTED) {
        OnRasConnected(reinterpret_cast<ConnectionEvent*>(wParam));
        return TRUE;
    }
    if (message == MSG_DISCONNECTED) {
        OnRasDisconnected(reinterpret_cast<ConnectionEvent*>(wParam));
        return TRUE;
    }
    return result;
}
