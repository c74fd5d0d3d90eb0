// The main window and the monitoring controller in this process: the
// buttons, the state machine driven with scripted connections, the tray,
// hiding and restoring, closing, and the small dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs/win32/dialogframework.h"
#include "mainwin_support.h"
#include "monitor/mainrules.h"
#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/cmdline.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"

namespace {

using mainwin::Press;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;

std::string Text(HWND window, int id)
{
    char text[128] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

bool OutOfSight(HWND window)
{
    // Attached to the hidden parking window, or minimised.
    return !IsWindowVisible(window) || IsIconic(window) || GetAncestor(window, GA_PARENT) == ParkingWindow;
}

class MainWindowTest : public mainwin::MainWindowFixture {
protected:
    // Starts monitoring with the given [Monitor] settings (RAS unless Type says otherwise).
    void Monitoring(const std::string& monitor)
    {
        WriteSettings("[WinCrashRecovery]\r\nCheckForCrashes=0\r\n[Monitor]\r\nType=1\r\n" + monitor);
        Open();
        Command(IDC_MONITOR);
        ASSERT_TRUE(MonitoringActive);
    }

    // A connection the monitor decided by itself.
    void Connect(std::int32_t isp, std::int64_t when)
    {
        Monitor.sessionIsp = isp;
        Monitor.eventTime = when;
        Monitor.online = true;
        ReportConnection(false);
    }

    void Disconnect(std::int64_t when)
    {
        Monitor.eventTime = when;
        ReportDisconnection();
    }
};

TEST_F(MainWindowTest, TheIspListHoldsEveryIspInTableOrderWithTheDefaultSelected)
{
    Open();
    HWND combo = GetDlgItem(window, IDC_ISP);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    const char* names[] = {"Alpha", "Beta"};
    const LRESULT ids[] = {4, 2};
    for (int i = 0; i < 2; ++i) {
        char text[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, names[i]);
        EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, i, 0), ids[i]);
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(MainWindowTest, TariffsThatFailToLoadListOneIspQuietlyAtStartAndLoudlyAfterOptions)
{
    testsupport::WriteFileBytes(IniFilePath, "[Global]\r\nActiveIDs=4\r\n[ISP4]\r\nNumFrames=2000000\r\n");
    ProfileFlush(IniFilePath);
    Open();
    HWND combo = GetDlgItem(window, IDC_ISP);
    auto items = [combo] {
        std::vector<std::pair<std::string, LRESULT>> list;
        for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
            char text[64] = {};
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            list.push_back({text, SendMessageA(combo, CB_GETITEMDATA, i, 0)});
        }
        return list;
    };
    const std::vector<std::pair<std::string, LRESULT>> fallback = {{"ISP1", 1}};
    EXPECT_EQ(items(), fallback);
    EXPECT_TRUE(RecordedCodes().empty()) << "no box while the window opens";
    EXPECT_NE(testsupport::ReadFileBytes(File("tolvane.err")).find("Insufficient memory."), std::string::npos)
        << "but the error is logged";

    // After the Options sheet the list is emptied and filled again, with boxes.
    Command(IDC_OPTIONS);
    EXPECT_EQ(items(), fallback);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{105}));
}

TEST_F(MainWindowTest, BeginAndEndRecordTheSelectedIspAtTheCurrentTime)
{
    Open();
    const std::int64_t t0 = LocalInstant(2024, 5, 15, 9);
    PinClock(t0);
    Command(IDC_BEGIN);  // Beta, the default
    SendDlgItemMessageA(window, IDC_ISP, CB_SETCURSEL, 0, 0);
    PinClock(t0 + 60);
    Command(IDC_END);  // Alpha
    std::vector<SessionRecord> r = Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].kind, SESSION_START);
    EXPECT_EQ(r[0].ispId, 2);
    EXPECT_EQ(r[0].time, t0);
    EXPECT_EQ(r[1].kind, SESSION_END);
    EXPECT_EQ(r[1].ispId, 4);
    EXPECT_EQ(r[1].time, t0 + 60);
    EXPECT_EQ(r[1].flag, 0);
    EXPECT_FALSE(MonitoringActive) << "manual events do not change the monitoring state";

    SendDlgItemMessageA(window, IDC_ISP, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Command(IDC_BEGIN);
    Command(IDC_END);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1071, 1071}));
    EXPECT_EQ(Records().size(), 2u);
}

TEST_F(MainWindowTest, AWholeMonitoredSessionWithTheTray)
{
    PinClock(LocalInstant(2024, 5, 15, 12));
    Monitoring("IconWhenMonitoring=1\r\nShowLog=1\r\nConfirmExit=2\r\n");
    EXPECT_EQ(seen.rasStarts, 1);
    EXPECT_EQ(Text(window, IDC_MONITOR), "Stop &Monitoring");
    EXPECT_EQ(Text(window, IDC_EXIT), "C&lose");
    ASSERT_EQ(seen.tray.size(), 1u);
    EXPECT_EQ(seen.tray[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(seen.tray[0].id, TRAY_ICON_ID);
    EXPECT_EQ(seen.tray[0].icon, Icon(IDI_WAITING));
    EXPECT_EQ(seen.tray[0].tip, "Tolvane - waiting for connection");
    EXPECT_TRUE(OutOfSight(window));
    EXPECT_TRUE(Monitor.hidden);

    // Online: the start record and the online icon with the ISP and time.
    const std::int64_t start = LocalInstant(2024, 5, 15, 12, 0, 5);
    PinClock(start + 100000);
    Connect(4, start);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, SESSION_START);
    EXPECT_EQ(Records()[0].ispId, 4);
    EXPECT_EQ(Records()[0].time, start);
    ASSERT_EQ(seen.tray.size(), 2u);
    EXPECT_EQ(seen.tray[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(seen.tray[1].icon, Icon(IDI_ONLINE));
    EXPECT_EQ(seen.tray[1].tip, "Alpha 27:46:40");
    EXPECT_TRUE(seen.beeps.empty());

    // The time online moves on when the pointer rests on the icon.
    PinClock(start + 100001);
    SendMessageA(window, MSG_TRAY, TRAY_ICON_ID, WM_MOUSEMOVE);
    ASSERT_EQ(seen.tray.size(), 3u);
    EXPECT_EQ(seen.tray[2].tip, "Alpha 27:46:41");

    // Offline: the end record, the waiting icon, and the report brought out.
    Disconnect(start + 100001);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[1].kind, SESSION_END);
    EXPECT_EQ(Records()[1].ispId, 4);
    EXPECT_EQ(Records()[1].time, start + 100001);
    ASSERT_EQ(seen.tray.size(), 4u);
    EXPECT_EQ(seen.tray[3].icon, Icon(IDI_WAITING));
    EXPECT_EQ(seen.tray[3].tip, "Tolvane - waiting for connection");
    EXPECT_EQ(seen.reports, (std::vector<std::int64_t>{start + 100001}));
    EXPECT_TRUE(RehideAfterReport);
    EXPECT_FALSE(OutOfSight(window)) << "the report needs the window";
    EXPECT_FALSE(Monitor.online);

    // A mouse move while waiting changes nothing.
    SendMessageA(window, MSG_TRAY, TRAY_ICON_ID, WM_MOUSEMOVE);
    EXPECT_EQ(seen.tray.size(), 4u);

    Command(IDC_MONITOR);
    EXPECT_FALSE(MonitoringActive);
    EXPECT_EQ(seen.rasStops, 1);
    ASSERT_EQ(seen.tray.size(), 5u);
    EXPECT_EQ(seen.tray[4].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Text(window, IDC_MONITOR), "&Monitor");
    EXPECT_EQ(Text(window, IDC_EXIT), "E&xit");
    EXPECT_FALSE(OutOfSight(window));
}

TEST_F(MainWindowTest, AConnectionToConfirmIsLoggedAsTheUserChoseOrNotAtAll)
{
    Monitoring("AlertOnConnect=1\r\nShowLog=0\r\n");
    std::strcpy(Monitor.connectionName, "Work dial-up");
    Monitor.eventTime = 1000;
    confirmConnection = false;  // Cancel: back to waiting, nothing logged
    ReportConnection(true);
    EXPECT_TRUE(Records().empty());
    EXPECT_FALSE(Monitor.online);

    confirmConnection = true;  // OK with another ISP and time
    confirmedIsp = 4;
    confirmedTime = LocalInstant(2024, 1, 2, 3, 4, 5);
    Monitor.connectionName[0] = '\0';
    ReportConnection(true);
    EXPECT_EQ(seen.connectionNames, (std::vector<std::string>{"Work dial-up", "<none>"}));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].ispId, 4);
    EXPECT_EQ(Records()[0].time, confirmedTime);
    EXPECT_TRUE(Monitor.online);
    EXPECT_EQ(seen.beeps, (std::vector<UINT>{static_cast<UINT>(-1), static_cast<UINT>(-1)}));

    // Without ShowLog no report follows the end, and the window stays hidden.
    Disconnect(confirmedTime + 10);
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_TRUE(seen.reports.empty());
    EXPECT_TRUE(OutOfSight(window));
}

TEST_F(MainWindowTest, TheMonitorTypeDecidesWhichMonitorRunsAndAFailedStartStaysIdle)
{
    WriteSettings("[WinCrashRecovery]\r\nCheckForCrashes=0\r\n[Monitor]\r\nType=0\r\n");
    Open();
    startResult = -1;
    Command(IDC_MONITOR);
    EXPECT_FALSE(MonitoringActive);
    EXPECT_EQ(seen.lineStarts, 1);
    EXPECT_EQ(Text(window, IDC_MONITOR), "&Monitor");
    EXPECT_TRUE(seen.tray.empty());
    EXPECT_FALSE(OutOfSight(window));

    startResult = 0;
    Command(IDC_MONITOR);
    EXPECT_TRUE(MonitoringActive);
    EXPECT_EQ(StartMonitoring(), 0);  // already running: nothing more
    EXPECT_EQ(seen.lineStarts, 2);
    Command(IDC_MONITOR);
    StopMonitoring();  // already stopped: nothing more
    EXPECT_EQ(seen.lineStops, 1);
    EXPECT_EQ(seen.rasStarts + seen.rasStops, 0);
}

TEST_F(MainWindowTest, WhereTheWindowGoesWhileMonitoring)
{
    struct Case {
        int icon;
        bool parked;
        bool trayUsed;
    };
    for (const Case c : {Case{0, true, false}, Case{1, true, true}, Case{2, false, false}}) {
        SCOPED_TRACE(c.icon);
        seen = {};
        Monitoring("IconWhenMonitoring=" + std::to_string(c.icon) + "\r\n");
        EXPECT_EQ(GetAncestor(window, GA_PARENT) == ParkingWindow, c.parked);
        EXPECT_EQ(Monitor.reparented, c.parked);
        EXPECT_TRUE(c.parked ? !IsWindowVisible(ParkingWindow) : IsIconic(window) != FALSE);
        EXPECT_EQ(!seen.tray.empty(), c.trayUsed);

        // A second copy brings it back; Escape hides it again.
        PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
        Pump();
        EXPECT_FALSE(OutOfSight(window));
        EXPECT_NE(GetAncestor(window, GA_PARENT), ParkingWindow);
        Command(IDCANCEL);
        EXPECT_TRUE(OutOfSight(window));
        EXPECT_TRUE(Monitor.hidden);
        DestroyWindow(window);
        Pump();
        EXPECT_FALSE(MonitoringActive) << "destroying the window stops monitoring";
    }
}

TEST_F(MainWindowTest, ASecondCopyBringsAParkedWindowBackWhileADialogPumpsMessages)
{
    Monitoring("IconWhenMonitoring=1\r\n");
    ASSERT_TRUE(OutOfSight(window));
    Pump();
    // The one-message pump runs while printing, with another dialog current.
    PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
    PumpMessages(PUMP_ONE, window);
    EXPECT_FALSE(OutOfSight(window));
    EXPECT_FALSE(Monitor.reparented);
}

TEST_F(MainWindowTest, TheSoundThreadPlaysItsOwnCopyOfTheFileName)
{
    static std::mutex lock;
    static std::string played;
    static HANDLE go = nullptr;
    static HANDLE done = nullptr;
    go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    played.clear();
    Api.PlaySoundA = [](LPCSTR name, HMODULE module, DWORD flags) -> BOOL {
        WaitForSingleObject(go, 10000);  // until monitoring has stopped
        std::lock_guard<std::mutex> hold(lock);
        played = std::string(name) + (module ? "+module" : "") + (flags ? "+flags" : "");
        SetEvent(done);
        return TRUE;
    };
    Monitoring("AlertOnConnect=2\r\nAlertSound=C:\\Sounds\\online.wav\r\nShowLog=0\r\n");
    Connect(2, 5000);
    Command(IDC_MONITOR);  // releases the settings while the sound starts
    EXPECT_TRUE(Monitor.AlertSound.empty());
    SetEvent(go);
    ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0);
    {
        std::lock_guard<std::mutex> hold(lock);
        EXPECT_EQ(played, "C:\\Sounds\\online.wav");
    }
    EXPECT_TRUE(seen.beeps.empty());
    CloseHandle(go);
    CloseHandle(done);
}

// ---------------------------------------------------------------------------
// Closing.

TEST_F(MainWindowTest, ClosingWhileMonitoringFollowsConfirmExit)
{
    struct Case {
        const char* name;
        const char* settings;
        std::function<void(MainWindowTest&, HWND)> answer;  // null: no dialog expected
        bool stillOpen;
        bool stillMonitoring;
        bool outOfSight;
        std::vector<ErrorCode> errors;
    };
    const Case cases[] = {
        {"Enter resumes", "ConfirmExit=1\r\nIconWhenMonitoring=2\r\n",
         [](MainWindowTest&, HWND d) { Press(d, IDOK); }, true, true, true, {}},
        {"Cancel leaves the window as it was", "ConfirmExit=1\r\nIconWhenMonitoring=2\r\n",
         [](MainWindowTest&, HWND d) { Press(d, IDCANCEL); }, true, true, false, {}},
        {"stop and exit", "ConfirmExit=1\r\n",
         [](MainWindowTest&, HWND d) {
             CheckRadioButton(d, IDC_CONFIRMEXIT_RESUME, IDC_CONFIRMEXIT_STOP, IDC_CONFIRMEXIT_STOP);
             Press(d, IDOK);
         },
         false, false, false, {}},
        {"no choice is refused and the dialog stays", "ConfirmExit=1\r\n",
         [](MainWindowTest& t, HWND d) {
             CheckDlgButton(d, IDC_CONFIRMEXIT_RESUME, BST_UNCHECKED);
             Press(d, IDOK);
             t.onError.push_back([d](ErrorCode) {
                 EXPECT_TRUE(IsWindow(d));
                 Press(d, IDCANCEL);
             });
         },
         true, true, false, {1010}},
        {"exit without prompting", "ConfirmExit=0\r\n", nullptr, false, false, false, {}},
        {"minimise into the tray", "ConfirmExit=2\r\nIconWhenMonitoring=1\r\n", nullptr, true, true, true, {}},
        {"minimise hides nothing on the task bar", "ConfirmExit=2\r\nIconWhenMonitoring=2\r\n", nullptr, false, false,
         false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen = {};
        testsupport::ClearRecordedErrors();
        Monitoring(c.settings);
        RestoreFromHidden();
        if (c.answer)
            steps.push_back([this, &c](HWND d) { c.answer(*this, d); });
        Command(IDC_EXIT);
        EXPECT_EQ(seen.dialogs, c.answer ? std::vector<std::string>{"Confirm Exit"} : std::vector<std::string>{});
        EXPECT_EQ(IsWindow(window) != FALSE, c.stillOpen);
        EXPECT_EQ(MonitoringActive, c.stillMonitoring);
        if (c.stillOpen) {
            EXPECT_EQ(OutOfSight(window), c.outOfSight);
        } else {
            EXPECT_EQ(seen.rasStops, 1);
        }
        EXPECT_EQ(RecordedCodes(), c.errors);
        if (IsWindow(window))
            DestroyWindow(window);
        Pump();
    }
}

TEST_F(MainWindowTest, ExitingWhileOnlineLeavesTheSessionOpen)
{
    Monitoring("ConfirmExit=0\r\n");
    Connect(2, 7000);
    Command(IDC_EXIT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(quitSeen);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, SESSION_START);
}

// ---------------------------------------------------------------------------
// The tray menu.

TEST_F(MainWindowTest, TrayMenuChoices)
{
    Monitoring("IconWhenMonitoring=1\r\nConfirmExit=1\r\n");
    OnTrayMenuChoice(IDM_TRAY_CLOSE);
    Pump();
    EXPECT_TRUE(OutOfSight(window)) << "Close changes nothing";

    OnTrayMenuChoice(IDM_TRAY_OPEN);
    Pump();
    EXPECT_FALSE(OutOfSight(window));
    HideWhileMonitoring();

    OnTrayMenuChoice(IDM_TRAY_REPORT);
    EXPECT_TRUE(RehideAfterReport);
    Pump();
    EXPECT_EQ(seen.reports.size(), 1u);

    steps.push_back([](HWND d) { Press(d, IDOK); });
    HideWhileMonitoring();
    OnTrayMenuChoice(IDM_TRAY_ABOUT);
    Pump();
    EXPECT_EQ(seen.dialogs, (std::vector<std::string>{"About Tolvane"}));
    EXPECT_FALSE(RehideAfterAbout);
    EXPECT_TRUE(OutOfSight(window)) << "hidden again after the About box";

    // Shutdown and Exit still asks through Confirm Exit.
    steps.push_back([](HWND d) { Press(d, IDCANCEL); });
    OnTrayMenuChoice(IDM_TRAY_EXIT);
    Pump();
    EXPECT_EQ(seen.dialogs.back(), "Confirm Exit");
    EXPECT_TRUE(MonitoringActive);

    OnTrayMenuChoice(IDM_TRAY_STOP);
    Pump();
    EXPECT_FALSE(MonitoringActive);
    EXPECT_FALSE(OutOfSight(window));
}

TEST_F(MainWindowTest, ADoubleClickOnTheIconRestoresTheWindow)
{
    Monitoring("IconWhenMonitoring=1\r\n");
    ASSERT_TRUE(OutOfSight(window));
    SendMessageA(window, MSG_TRAY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(OutOfSight(window));
    EXPECT_FALSE(Monitor.hidden);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_CURRENT);
}

// ---------------------------------------------------------------------------
// Reports, the Enter Date dialog, About, start-up modes.

TEST_F(MainWindowTest, ReportOnlyModeShowsTheCurrentReportThenCloses)
{
    ReportOnlyMode = true;
    AutoMonitorMode = true;  // -l wins: monitoring is not started
    Open();
    EXPECT_EQ(seen.reports.size(), 1u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(seen.rasStarts + seen.lineStarts, 0);
}

TEST_F(MainWindowTest, AutoMonitorModeStartsMonitoring)
{
    AutoMonitorMode = true;
    WriteSettings("[Monitor]\r\nType=1\r\n");
    Open();
    EXPECT_TRUE(MonitoringActive);
    EXPECT_EQ(seen.rasStarts, 1);
}

TEST_F(MainWindowTest, TheCrashCheckRunsAtStartAndOnCommand115)
{
    // A session left open, repaired without asking by clocking its end now.
    WriteSettings("[WinCrashRecovery]\r\nPromptUser=0\r\nDefaultRemedy=0\r\n");
    ASSERT_EQ(RecordSessionEvent(4, SESSION_START, 0, 1000), 0);
    PinClock(5000);
    Open();
    std::vector<SessionRecord> r = Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].kind, SESSION_END);
    EXPECT_EQ(r[1].ispId, 4);
    EXPECT_EQ(r[1].time, 5000);
    EXPECT_EQ(r[1].flag, 1);

    ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, 6000), 0);
    PinClock(7000);
    Command(IDC_RECOVER);
    r = Records();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3].ispId, 2);
    EXPECT_EQ(r[3].time, 7000);

    // Switched off: nothing at start.
    DestroyWindow(window);
    Pump();
    WriteSettings("[WinCrashRecovery]\r\nCheckForCrashes=0\r\nPromptUser=0\r\nDefaultRemedy=0\r\n");
    ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, 8000), 0);
    Open();
    EXPECT_EQ(Records().size(), 5u);
}

TEST_F(MainWindowTest, PreviousAsksForADateAndReportsOnIt)
{
    PinClock(LocalInstant(2024, 5, 15, 12));
    Open();
    HWND dialog = nullptr;
    int daySel = -2, monthSel = -2, yearSel = -2;
    std::vector<std::string> years;
    steps.push_back([&](HWND d) {
        dialog = d;
        daySel = static_cast<int>(SendDlgItemMessageA(d, IDC_DAY, CB_GETCURSEL, 0, 0));
        monthSel = static_cast<int>(SendDlgItemMessageA(d, IDC_MONTH, CB_GETCURSEL, 0, 0));
        yearSel = static_cast<int>(SendDlgItemMessageA(d, IDC_YEAR, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < SendDlgItemMessageA(d, IDC_YEAR, CB_GETCOUNT, 0, 0); ++i) {
            char text[16] = {};
            SendDlgItemMessageA(d, IDC_YEAR, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            years.push_back(text);
        }
        SendDlgItemMessageA(d, IDC_DAY, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Press(d, IDOK);
    });
    // Each error leaves the dialog open; the next answer mends one field.
    onError.push_back([&](ErrorCode) {
        EXPECT_TRUE(IsWindow(dialog));
        SendDlgItemMessageA(dialog, IDC_DAY, CB_SETCURSEL, 30, 0);
        SendDlgItemMessageA(dialog, IDC_MONTH, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Press(dialog, IDOK);
    });
    onError.push_back([&](ErrorCode) {
        EXPECT_TRUE(IsWindow(dialog));
        SendDlgItemMessageA(dialog, IDC_MONTH, CB_SETCURSEL, 3, 0);  // April
        SetDlgItemTextA(dialog, IDC_YEAR, "1900");
        Press(dialog, IDOK);
    });
    onError.push_back([&](ErrorCode) {
        EXPECT_TRUE(IsWindow(dialog));
        SetDlgItemTextA(dialog, IDC_YEAR, "2023");
        Press(dialog, IDOK);
    });
    Command(IDC_PREVIOUS);
    EXPECT_EQ(seen.dialogs, (std::vector<std::string>{"Enter Date"}));
    // A month back from 15 May 2024.
    EXPECT_EQ(daySel, 14);
    EXPECT_EQ(monthSel, 3);
    EXPECT_EQ(years, (std::vector<std::string>{"2022", "2023", "2024"}));
    EXPECT_EQ(yearSel, 2);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1003, 1004, 1005}));
    ASSERT_EQ(testsupport::RecordedErrors().size(), 3u);
    EXPECT_EQ(testsupport::RecordedErrors()[2].text, "Invalid year: 0.");
    // Day 31 of April is April 30.
    EXPECT_EQ(seen.reports, (std::vector<std::int64_t>{LocalInstant(2023, 4, 30)}));
    EXPECT_EQ(CurrentDialog, window) << "error boxes belong to the main window again";

    steps.push_back([](HWND d) { Press(d, IDCANCEL); });
    Command(IDC_PREVIOUS);
    EXPECT_EQ(seen.reports.size(), 1u) << "Cancel shows no report";
}

TEST_F(MainWindowTest, TheAboutBoxNamesTheProgramAndItsVersion)
{
    Open();
    std::string name, version;
    steps.push_back([&](HWND d) {
        name = Text(d, IDC_ABOUT_NAME);
        version = Text(d, IDC_ABOUT_VERSION);
        EXPECT_EQ(CurrentDialog, d);
        Press(d, IDOK);
    });
    Command(IDC_ABOUT);
    EXPECT_EQ(seen.dialogs, (std::vector<std::string>{"About Tolvane"}));
    EXPECT_EQ(name, "Tolvane");
    EXPECT_EQ(version, "2.1d");
    EXPECT_FALSE(OutOfSight(window));
}

// ---------------------------------------------------------------------------
// Layout of the small dialogs: every label fits at the default font.

struct LayoutCase {
    int dialog;
    const char* title;
};

// With TOLVANE_SHOT_DIR set, each dialog waits while a script outside takes
// its picture: the dialog writes NAME.ready holding "X Y W H" and goes on
// once NAME.done exists.
std::string ShotDir()
{
    const char* dir = std::getenv("TOLVANE_SHOT_DIR");
    return dir ? dir : "";
}

void CALLBACK TakePicture(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    KillTimer(dialog, id);
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    std::string name = title;
    for (char& ch : name)
        if (ch == ' ')
            ch = '-';
    RECT r;
    GetWindowRect(dialog, &r);
    const std::string base = ShotDir() + "\\" + name;
    {
        std::ofstream ready(base + ".ready");
        ready << r.left << " " << r.top << " " << r.right - r.left << " " << r.bottom - r.top << "\n";
    }
    for (int tick = 0; tick < 400 && GetFileAttributesA((base + ".done").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++tick) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(50);
    }
    Press(dialog, IDCANCEL);
}

class SmallDialogLayout : public mainwin::MainWindowFixture, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(SmallDialogLayout, NoLabelIsCutOffAndEveryControlLiesInside)
{
    const LayoutCase c = GetParam();
    Open();
    std::string title;
    steps.push_back([&](HWND d) {
        char text[64] = {};
        GetWindowTextA(d, text, sizeof text);
        title = text;
        if (c.dialog == IDD_ABOUT) {
            SetDlgItemTextA(d, IDC_ABOUT_NAME, "Tolvane");
        }
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0));
        HDC dc = GetDC(d);
        HGDIOBJ old = SelectObject(dc, font);
        RECT client;
        GetClientRect(d, &client);
        for (HWND child = GetWindow(d, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char buf[128] = {};
            GetWindowTextA(child, buf, sizeof buf);
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            SCOPED_TRACE(buf[0] ? buf : cls);
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_GE(r.left, client.left);
            EXPECT_GE(r.top, client.top);
            EXPECT_LE(r.right, client.right);
            EXPECT_LE(r.bottom, client.bottom);
            if (!buf[0] || std::string(cls) == "ComboBox" || std::string(cls) == "Edit")
                continue;
            RECT need = {0, 0, 0, 0};
            DrawTextA(dc, buf, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            const LONG style = GetWindowLongA(child, GWL_STYLE);
            LONG margin = 0;
            if (std::string(cls) == "Button")
                margin = (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ? 20 : 8;
            EXPECT_LE(need.right + margin, r.right - r.left) << "text needs " << need.right << " px";
            EXPECT_LE(need.bottom, r.bottom - r.top);
        }
        SelectObject(dc, old);
        ReleaseDC(d, dc);
        if (ShotDir().empty())
            Press(d, IDCANCEL);
        else
            SetTimer(d, 1, 500, TakePicture);
    });
    switch (c.dialog) {
    case IDD_ABOUT:
        Command(IDC_ABOUT);
        break;
    case IDD_ENTERDATE:
        Command(IDC_PREVIOUS);
        break;
    default:
        MonitoringActive = true;  // Confirm Exit is asked only while monitoring
        Monitor.ConfirmExit = 1;
        Command(IDC_EXIT);
        MonitoringActive = false;
        break;
    }
    EXPECT_EQ(title, c.title);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, SmallDialogLayout,
                         ::testing::Values(LayoutCase{IDD_ABOUT, "About Tolvane"},
                                           LayoutCase{IDD_ENTERDATE, "Enter Date"},
                                           LayoutCase{IDD_CONFIRMEXIT, "Confirm Exit"}));

}  // namespace
