// The main window and the monitoring controller in this process: its loop, its buttons,
// monitoring with scripted monitors, the tray, closing, and the Enter Date dialog.
#include <windows.h>
#include <prsht.h>

#include "harness.h"
#include "monitor/win32/mainwindow.h"
#include "platform/win32/messages.h"
#include "startup/cmdline.h"
#include "startup/win32/frame.h"

namespace {

using namespace harness;
using logmaint::End;
using logmaint::Start;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;
using Log = logmaint::Records;  // the fixture's Records() hides that name

// Attached to the hidden parking window, or minimised.
bool OutOfSight(HWND window)
{
    return !IsWindowVisible(window) || IsIconic(window) || GetAncestor(window, GA_PARENT) == ParkingWindow;
}

class MainWindowTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        Settings("");
    }
    // [Global] with ISPs 4 "Alpha" and 2 "Beta" (2 the default), then more.
    void Settings(const std::string& more)
    {
        WriteIni("[Global]\r\nActiveIDs=4,2\r\nDefaultISP=2\r\n[ISP4]\r\nDescription=Alpha\r\n[ISP2]\r\n"
                 "Description=Beta\r\n" + more);
    }
    // Opens the window and starts monitoring with these [Monitor] settings (RAS by default),
    // which the scripted monitor lets run unless told to fail.
    void Monitoring(const std::string& monitor, int type = 1)
    {
        Settings("[WinCrashRecovery]\r\nCheckForCrashes=0\r\n[Monitor]\r\nType=" + std::to_string(type) + "\r\n" +
                 monitor);
        OpenMainWindow();
        Command(IDC_MONITOR);
        ASSERT_EQ(MonitoringActive, startResult == 0);
    }
};

// ---- The loop

TEST_F(MainWindowTest, EnterAndEscapeKeepTheWindowCloseEndsTheLoopTheOneMessagePumpLeavesTheQuitAndReportOnlyEnds)
{
    OpenMainWindow();
    for (int id : {IDOK, IDCANCEL})
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CurrentDialog, nullptr);
    // The one-message pump (a dialog's, while printing) returns when nothing
    // waits and leaves the quit to the main loop.
    OpenMainWindow();
    EXPECT_EQ(PumpMessages(PUMP_ONE, window), 0u);
    PostQuitMessage(4);
    for (int i = 0; i < 3; ++i)
        PumpMessages(PUMP_ONE, window);
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 4u) << "the quit was swallowed";
    // Report-only mode shows the report and ends without monitoring; -l wins over -m.
    ReportOnlyMode = AutoMonitorMode = true;
    OpenMainWindow();
    EXPECT_EQ(seen.reports.size(), 1u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(seen.rasStarts + seen.lineStarts, 0);
}

// ---- Buttons

TEST_F(MainWindowTest, TheIspListFallsBackQuietlyAtStartLoudlyAfterOptionsAndBeginAndEndUseIt)
{
    WriteIni("[Global]\r\nActiveIDs=4\r\n[ISP4]\r\nNumFrames=2000000\r\n");
    OpenMainWindow();
    EXPECT_EQ(Items(window, IDC_ISP), std::vector<std::string>{"ISP1"});
    EXPECT_TRUE(RecordedCodes().empty()) << "no box while the window opens";
    Then([](HWND sheet) { PressSheetButton(sheet, PSBTN_CANCEL); });
    Command(IDC_OPTIONS);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{105}));
    Settings("");
    Then([](HWND sheet) { PressSheetButton(sheet, PSBTN_CANCEL); });
    Command(IDC_OPTIONS);
    // The items' ISPs, and the default chosen, show in what Begin and End record.
    EXPECT_EQ(Items(window, IDC_ISP), (std::vector<std::string>{"Alpha", "Beta"}));
    const std::int64_t t0 = LocalInstant(2024, 5, 15, 9);
    PinClock(t0);
    Command(IDC_BEGIN);
    Select(window, IDC_ISP, 0);
    PinClock(t0 + 60);
    Command(IDC_END);
    Select(window, IDC_ISP, -1);
    Command(IDC_BEGIN);
    EXPECT_EQ(Records(), (Log{Start(2, t0), End(4, t0 + 60)}));
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{105, 1071}));
}

TEST_F(MainWindowTest, PreviousAsksForADateUntilItIsValidAndReportsOnIt)
{
    PinClock(LocalInstant(2024, 5, 15, 12));
    OpenMainWindow();
    Then([](HWND d) {
        // A month back from 15 May 2024.
        EXPECT_EQ(Selection(d, IDC_DAY) + " " + Selection(d, IDC_MONTH) + " " + Selection(d, IDC_YEAR),
                  "15 April 2024");
        EXPECT_EQ(Items(d, IDC_YEAR), (std::vector<std::string>{"2022", "2023", "2024"}));
        // Which choices are refused is the core's rule; a refusal keeps the dialog.
        Select(d, IDC_MONTH, -1);
        Refused(d, 1004);
        Select(d, IDC_MONTH, 3);
        SetText(d, IDC_YEAR, "2023");
        Press(d, IDOK);
    });
    Command(IDC_PREVIOUS);
    EXPECT_EQ(seen.reports, (std::vector<std::int64_t>{LocalInstant(2023, 4, 15)}));
    EXPECT_EQ(CurrentDialog, window) << "error boxes belong to the main window again";
    Then([](HWND d) { Press(d, IDCANCEL); });
    Command(IDC_PREVIOUS);
    EXPECT_EQ(seen.reports.size(), 1u) << "Cancel shows no report";
}

// ---- Monitoring

TEST_F(MainWindowTest, AWholeMonitoredSessionWithTheTrayAndAConnectionToConfirm)
{
    PinClock(LocalInstant(2024, 5, 15, 12));
    Monitoring("IconWhenMonitoring=1\r\nShowLog=1\r\nConfirmExit=2\r\nAlertOnConnect=1\r\n");
    EXPECT_EQ(Text(window, IDC_MONITOR) + " " + Text(window, IDC_EXIT), "Stop &Monitoring C&lose");
    EXPECT_TRUE(OutOfSight(window));

    Then([](HWND d) { Press(d, IDCANCEL); });
    ReportConnection(true);  // not confirmed: not logged
    const std::int64_t start = LocalInstant(2024, 5, 15, 12, 0, 5);
    PinClock(start + 100000);
    Monitor.eventTime = start;
    Then([](HWND d) {
        SelectText(d, IDC_ISP, "Alpha");
        Press(d, IDOK);
    });
    ReportConnection(true);
    EXPECT_EQ(seen.beeps, (std::vector<UINT>{static_cast<UINT>(-1), static_cast<UINT>(-1)}));
    PinClock(start + 100001);
    SendMessageA(window, MSG_TRAY, TRAY_ICON_ID, WM_MOUSEMOVE);  // the time online moves on under the pointer
    Monitor.eventTime = start + 100001;
    ReportDisconnection();
    EXPECT_EQ(Records(), (Log{Start(4, start), End(4, start + 100001)}));
    EXPECT_EQ(seen.reports, (std::vector<std::int64_t>{start + 100001}));
    EXPECT_FALSE(OutOfSight(window)) << "the report needs the window";

    Command(IDC_MONITOR);
    EXPECT_FALSE(MonitoringActive);
    EXPECT_EQ(Text(window, IDC_MONITOR), "&Monitor");
    const std::string waiting = "Tolvane - waiting for connection";
    EXPECT_EQ(seen.tray, (std::vector<std::string>{"add " + waiting, "modify Alpha 27:46:40", "modify Alpha 27:46:41",
                                                "modify " + waiting, "delete"}));
}

TEST_F(MainWindowTest, AFailedStartStaysIdleTheTypeDecidesTheMonitorAndTheIconWhereTheWindowGoes)
{
    startResult = -1;
    Monitoring("");
    EXPECT_EQ(Text(window, IDC_MONITOR), "&Monitor");
    EXPECT_TRUE(seen.tray.empty());
    DestroyWindow(window);
    startResult = 0;
    for (const auto& [icon, parked, tray] : {std::tuple{0, true, false}, {1, true, true}, {2, false, false}}) {
        SCOPED_TRACE(icon);
        seen = {};
        const int type = icon == 0 ? 0 : 1;  // Telephony, else RAS
        Monitoring("IconWhenMonitoring=" + std::to_string(icon) + "\r\n", type);
        EXPECT_EQ(StartMonitoring(), 0);  // already running: nothing more
        EXPECT_EQ(GetAncestor(window, GA_PARENT) == ParkingWindow, parked);
        EXPECT_TRUE(parked ? !IsWindowVisible(ParkingWindow) : IsIconic(window) != FALSE);
        EXPECT_EQ(!seen.tray.empty(), tray);
        // A second copy brings it back, also through a dialog's pump; Escape hides it again.
        PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
        PumpMessages(PUMP_ONE, window);
        EXPECT_FALSE(OutOfSight(window));
        Command(IDCANCEL);
        EXPECT_TRUE(OutOfSight(window));
        DestroyWindow(window);
        Pump();
        EXPECT_FALSE(MonitoringActive) << "destroying the window stops monitoring";
        StopMonitoring();  // already stopped: nothing more
        EXPECT_EQ(std::tuple(seen.lineStarts, seen.lineStops, seen.rasStarts, seen.rasStops),
                  type == 0 ? std::tuple(1, 1, 0, 0) : std::tuple(0, 0, 1, 1));
    }
}

// ---- The tray menu and closing

TEST_F(MainWindowTest, TrayMenuChoicesADoubleClickConfirmExitAndASoundPlayedFromItsOwnCopyOfTheName)
{
    static std::string played;
    static HANDLE go, done;
    go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Api.PlaySoundA = [](LPCSTR name, HMODULE, DWORD) WINAPI -> BOOL {
        WaitForSingleObject(go, 10000);  // until monitoring has stopped
        played = name;
        SetEvent(done);
        return TRUE;
    };
    Monitoring("IconWhenMonitoring=1\r\nConfirmExit=1\r\nAlertOnConnect=2\r\nAlertSound=C:\\Sounds\\online.wav\r\n"
               "ShowLog=0\r\n");
    ReportConnection(false);  // the alert comes first, logged or not
    ReportDisconnection();
    auto choose = [this](int command) {
        OnTrayMenuChoice(command);
        Pump();
    };
    choose(IDM_TRAY_REPORT);
    EXPECT_EQ(seen.reports.size(), 1u) << "no report after the session without ShowLog";
    HideWhileMonitoring();
    Then([](HWND d) { Press(d, IDOK); });
    choose(IDM_TRAY_ABOUT);
    EXPECT_TRUE(OutOfSight(window)) << "hidden again after the About box";
    Then([](HWND d) {
        CheckDlgButton(d, IDC_CONFIRMEXIT_RESUME, BST_UNCHECKED);
        Refused(d, 1010);
        Click(d, IDC_CONFIRMEXIT_RESUME);
        Press(d, IDOK);
    });
    choose(IDM_TRAY_EXIT);
    EXPECT_TRUE(MonitoringActive && OutOfSight(window)) << "resumed out of sight";
    SendMessageA(window, MSG_TRAY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(OutOfSight(window));
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_CURRENT);
    HideWhileMonitoring();
    choose(IDM_TRAY_STOP);
    EXPECT_FALSE(MonitoringActive);
    EXPECT_FALSE(OutOfSight(window));
    // Stopping released the settings while the sound started.
    SetEvent(go);
    ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(played, "C:\\Sounds\\online.wav");
    CloseHandle(go);
    CloseHandle(done);

    Command(IDC_MONITOR);
    Then([](HWND d) {
        Click(d, IDC_CONFIRMEXIT_STOP);
        Press(d, IDOK);
    });
    Command(IDC_EXIT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(seen.rasStops, 2);
}

}  // namespace
