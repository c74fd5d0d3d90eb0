// The RAS monitor's thread against scripted RAS answers, the handling of
// connection events on the UI thread, events during the Connection Made
// dialog, and the dialog itself driven by messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/monitorevents.h"
#include "monitor/win32/rasmonitor.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"
#include "support.h"
#include "tariff/tariffstore.h"

using testsupport::RecordedCodes;
using testsupport::RecordedErrors;

namespace {

// ---- Scripted RAS -------------------------------------------------------

struct ScriptEntry {
    std::string name;
    DWORD state;  // RASCS_CONNECTED_STATE when up
};
using Cycle = std::vector<ScriptEntry>;

std::mutex scriptLock;
std::vector<Cycle> script;  // one list per enumeration; the last one stays
std::size_t enumerations = 0;
Cycle lastAnswer;
DWORD enumerateFailure = 0;

DWORD WINAPI ScriptedEnum(void* buffer, LPDWORD bytes, LPDWORD count)
{
    std::lock_guard<std::mutex> hold(scriptLock);
    auto* out = static_cast<RasConn95*>(buffer);
    if (out[0].dwSize != sizeof(RasConn95))
        return 632;
    if (enumerateFailure) {
        ++enumerations;
        return enumerateFailure;
    }
    const Cycle& now = script.empty() ? Cycle{} : script[std::min(enumerations, script.size() - 1)];
    const DWORD needed = static_cast<DWORD>(now.size() * sizeof(RasConn95));
    if (*bytes < needed) {
        *bytes = needed;
        return RAS_ERROR_BUFFER_TOO_SMALL;
    }
    ++enumerations;
    lastAnswer = now;
    for (std::size_t i = 0; i < now.size(); ++i) {
        out[i].hrasconn = reinterpret_cast<HANDLE>(i + 1);
        std::snprintf(out[i].szEntryName, sizeof out[i].szEntryName, "%s", now[i].name.c_str());
    }
    *count = static_cast<DWORD>(now.size());
    return 0;
}

DWORD WINAPI ScriptedStatus(HANDLE connection, void* buffer)
{
    std::lock_guard<std::mutex> hold(scriptLock);
    auto* status = static_cast<RasConnStatus95*>(buffer);
    const std::size_t index = reinterpret_cast<std::size_t>(connection);
    if (status->dwSize != sizeof(RasConnStatus95) || index == 0 || index > lastAnswer.size())
        return 6;
    status->rasconnstate = lastAnswer[index - 1].state;
    return 0;
}

void SetScript(std::vector<Cycle> cycles)
{
    std::lock_guard<std::mutex> hold(scriptLock);
    script = std::move(cycles);
    enumerations = 0;
    enumerateFailure = 0;
}

std::size_t Enumerations()
{
    std::lock_guard<std::mutex> hold(scriptLock);
    return enumerations;
}

constexpr DWORD UP = RASCS_CONNECTED_STATE;
constexpr DWORD DIALLING = 0x9;  // any state short of connected

// ---- Recorded controller calls -----------------------------------------

std::vector<std::string> reports;
// What the controller does before it records: by default nothing; the
// dialog tests open the Connection Made dialog when asked to.
bool openDialogWhenAsked = false;

void RecordConnection(bool prompt)
{
    if (prompt && openDialogWhenAsked)
        ShowConnectionMade(Monitor.connectionName[0] ? Monitor.connectionName : nullptr);
    reports.push_back(std::string("connect ask=") + (prompt ? "1" : "0") + " online=" + (Monitor.online ? "1" : "0") +
                      " isp=" + std::to_string(Monitor.sessionIsp) + " t=" + std::to_string(Monitor.eventTime) +
                      " name=" + Monitor.connectionName);
}

void RecordDisconnection()
{
    reports.push_back("end isp=" + std::to_string(Monitor.sessionIsp) + " t=" + std::to_string(Monitor.eventTime));
    Monitor.online = false;
}

// Throws away wake-up messages a test left in this thread's queue.
void DropThreadMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.hwnd)
            DispatchMessageA(&msg);
}

constexpr std::int64_t T0 = 1780000000;

class MonitorTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        ProgramInstance = GetModuleHandleA(nullptr);
        ResetMonitorState(Monitor);
        Api.RasEnumConnectionsA = ScriptedEnum;
        Api.RasGetConnectStatusA = ScriptedStatus;
        Reports = {RecordConnection, RecordDisconnection};
        reports.clear();
        openDialogWhenAsked = false;
        SetScript({});
        PinClock(T0);
        // Two ISPs, the second the default; the first is reached through "Net".
        Ini("[Global]\r\nActiveIDs=3,5\r\nDefaultISP=5\r\n[ISP3]\r\nDescription=Alpha\r\nRasName=Net\r\n"
            "[ISP5]\r\nDescription=Beta\r\n[Monitor]\r\nRasLatency=0\r\n");
        Monitor.DefaultISP = 5;
        Monitor.uiThreadId = GetCurrentThreadId();
    }

    void TearDown() override
    {
        StopRasMonitor();
        DropThreadMessages();
        EXPECT_EQ(LiveConnectionEvents(), 0) << "every event is released once";
        ResetWin32Api();
        ResetMonitorReports();
        MonitoringActive = false;
        ProgramDirTest::TearDown();
    }

    void Ini(const std::string& text)
    {
        testsupport::WriteFileBytes(File("tolvane.ini"), text);
        ProfileFlush(IniFilePath);
    }

    // Runs the thread until it has answered every cycle of the script and
    // two more, then hands the queued events to the UI side.
    void RunScript(std::vector<Cycle> cycles)
    {
        const std::size_t count = cycles.size();
        SetScript(std::move(cycles));
        ASSERT_EQ(StartRasMonitor(), 0);
        const DWORD start = GetTickCount();
        while (Enumerations() < count + 2 && GetTickCount() - start < 20000)
            Sleep(1);
        ASSERT_GE(Enumerations(), count + 2) << "the thread did not poll";
        DeliverMonitorEvents();
        StopRasMonitor();
    }

    static ConnectionEvent* Event(const char* name, std::int64_t time)
    {
        return NewConnectionEvent(name, time).release();
    }
};

// ---- The polling thread -------------------------------------------------

TEST_F(MonitorTest, AConnectionUpAtTheStartIsReportedInTheFirstCycle)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    Monitor.Delay = 7;
    RunScript({{{"Elsewhere", UP}}});
    ASSERT_EQ(reports, std::vector<std::string>{"connect ask=0 online=1 isp=5 t=1780000007 name=Elsewhere"});
}

TEST_F(MonitorTest, IntermediateStatesCountOnlyOnceConnected)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    // Net dials for two cycles, is up, then a second connection comes and
    // goes while online, then Net hangs up.
    RunScript({{{"Net", DIALLING}},
               {{"Net", DIALLING}},
               {{"Net", UP}},
               {{"Net", UP}, {"Other", UP}},
               {{"Net", UP}},
               {}});
    ASSERT_EQ(reports, (std::vector<std::string>{"connect ask=0 online=1 isp=3 t=1780000000 name=Net",
                                                 "end isp=3 t=1780000000"}));
}

TEST_F(MonitorTest, DisconnectionsOfACycleComeBeforeItsConnections)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    // In one cycle Net goes and Other comes: Other must find the program
    // no longer online, so it is logged too.
    RunScript({{{"Net", UP}}, {{"Other", UP}}, {{"Other", UP}}});
    ASSERT_EQ(reports, (std::vector<std::string>{"connect ask=0 online=1 isp=3 t=1780000000 name=Net",
                                                 "end isp=3 t=1780000000",
                                                 "connect ask=0 online=1 isp=5 t=1780000000 name=Other"}));
}

TEST_F(MonitorTest, TheEnumerationBufferGrowsForManyConnections)
{
    SetScript({{{"A", UP}, {"B", DIALLING}, {"C", UP}, {"D", UP}, {"E", 0}}});
    std::vector<std::string> names;
    ASSERT_TRUE(EnumerateActiveConnections(names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_TRUE(RecordedErrors().empty());
}

TEST_F(MonitorTest, EnumerationFailuresShowOneBoxPerRunAndLogTheRest)
{
    SetScript({});
    {
        std::lock_guard<std::mutex> hold(scriptLock);
        enumerateFailure = 5;
    }
    for (int run = 0; run < 2; ++run) {
        // Counted from this run's start: with no pause between polls the
        // previous run may have gone on for many cycles before it stopped.
        const std::size_t before = Enumerations();
        ASSERT_EQ(StartRasMonitor(), 0);
        const DWORD start = GetTickCount();
        while (Enumerations() < before + 5u && GetTickCount() - start < 20000)
            Sleep(1);
        StopRasMonitor();
    }
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{2074, 2074})) << "one box in each run";
    const std::string log = testsupport::ReadFileBytes(File("tolvane.err"));
    std::size_t lines2074 = 0, lines1000 = 0;
    for (std::size_t at = 0; (at = log.find("emsg (2074)", at)) != std::string::npos; ++at)
        ++lines2074;
    for (std::size_t at = 0; (at = log.find("Error 1000: ", at)) != std::string::npos; ++at)
        ++lines1000;
    EXPECT_GE(lines2074, 10u);
    EXPECT_EQ(lines1000, lines2074);
    EXPECT_TRUE(reports.empty());
}

TEST_F(MonitorTest, AnswerTooSmallWithoutAskingForMoreFailsInsteadOfLooping)
{
    Api.RasEnumConnectionsA = [](void*, LPDWORD, LPDWORD) -> DWORD { return RAS_ERROR_BUFFER_TOO_SMALL; };
    std::vector<std::string> names{"stale"};
    EXPECT_FALSE(EnumerateActiveConnections(names));
    EXPECT_TRUE(names.empty());
    EXPECT_NE(testsupport::ReadFileBytes(File("tolvane.err")).find("emsg (2074)"), std::string::npos);
}

TEST_F(MonitorTest, StartAndStopManyTimesWithoutPause)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    SetScript({{{"Net", UP}}});
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(StartRasMonitor(), 0);
        EXPECT_TRUE(Monitor.rasThreadStarted);
        EXPECT_EQ(StartRasMonitor(), 0) << "a second start does nothing";
        if (i % 3 == 0)
            Sleep(0);
        StopRasMonitor();
        EXPECT_FALSE(Monitor.rasThreadStarted);
        EXPECT_EQ(Monitor.rasThread, 0u);
        EXPECT_EQ(Monitor.rasStopRequests.load(), 0) << "the thread took the request or never started a cycle";
    }
    StopRasMonitor();  // stopping while idle does nothing
    EXPECT_EQ(LiveConnectionEvents(), 0) << "what a run queued is released when it stops";
    EXPECT_TRUE(RecordedErrors().empty());
    EXPECT_TRUE(reports.empty()) << "nothing is delivered after a stop";
}

void CALLBACK QuitLoop(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

TEST_F(MonitorTest, TheMainLoopDeliversWhatTheThreadQueued)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    SetScript({{{"Net", UP}}});
    ASSERT_EQ(StartRasMonitor(), 0);
    SetTimer(nullptr, 0, 300, QuitLoop);
    PumpMessages(PUMP_RUN, nullptr);
    StopRasMonitor();
    EXPECT_EQ(reports, std::vector<std::string>{"connect ask=0 online=1 isp=3 t=1780000000 name=Net"});
}

// ---- Decisions on the UI thread ----------------------------------------

TEST_F(MonitorTest, ConnectionRulesByRasPromptAndMatch)
{
    const struct {
        int rasPrompt;
        const char* name;
        const char* expected;
    } cases[] = {
        {RAS_MATCH_ELSE_IGNORE, "Net", "connect ask=0 online=1 isp=3 t=1780000100 name=Net"},
        {RAS_MATCH_ELSE_IGNORE, "Other", "connect ask=0 online=0 isp=0 t=1780000100 name=Other"},
        {RAS_MATCH_ELSE_DEFAULT, "Other", "connect ask=0 online=1 isp=5 t=1780000100 name=Other"},
        {RAS_MATCH_ELSE_PROMPT, "Other", "connect ask=1 online=0 isp=0 t=1780000100 name=Other"},
        {RAS_MATCH_ELSE_PROMPT, "Net", "connect ask=0 online=1 isp=3 t=1780000100 name=Net"},
        {RAS_ALWAYS_PROMPT, "Net", "connect ask=1 online=0 isp=0 t=1780000100 name=Net"},
        {RAS_MATCH_ELSE_DEFAULT, "Alpha", "connect ask=0 online=1 isp=5 t=1780000100 name=Alpha"},
        {RAS_MATCH_ELSE_DEFAULT, "Beta", "connect ask=0 online=1 isp=5 t=1780000100 name=Beta"},
        {RAS_MATCH_ELSE_PROMPT, "net", "connect ask=1 online=0 isp=0 t=1780000100 name=net"},
    };
    for (const auto& c : cases) {
        reports.clear();
        Monitor.online = false;
        Monitor.sessionIsp = 0;
        Monitor.RasPrompt = c.rasPrompt;
        OnRasConnected(Event(c.name, T0 + 100));
        EXPECT_EQ(reports, std::vector<std::string>{c.expected}) << c.rasPrompt << " " << c.name;
    }
}

TEST_F(MonitorTest, WhileOnlineANewConnectionAndOtherDisconnectionsAreIgnored)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    OnRasConnected(Event("Net", T0));
    OnRasConnected(Event("Other", T0 + 5));
    OnRasDisconnected(Event("Other", T0 + 6));
    OnRasDisconnected(Event("net", T0 + 7));
    OnRasDisconnected(Event("Net ", T0 + 8));
    OnRasConnected(nullptr);
    OnRasDisconnected(nullptr);
    OnRasDisconnected(Event("Net", T0 + 9));
    OnRasDisconnected(Event("Net", T0 + 10));
    EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=0 online=1 isp=3 t=1780000000 name=Net",
                                                 "end isp=3 t=1780000009"}));
}

TEST_F(MonitorTest, ALongEntryNameIsKeptWhole)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
    const std::string name(256, 'x');
    OnRasConnected(Event(name.c_str(), T0));
    EXPECT_EQ(std::string(Monitor.connectionName), name);
    OnRasDisconnected(Event(name.c_str(), T0 + 1));
    EXPECT_EQ(reports.size(), 2u);
}

// ---- The Connection Made dialog ----------------------------------------

thread_local std::function<void(HWND)> onDialog;
thread_local HHOOK dialogHook = nullptr;

LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* info = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && info->message == WM_INITDIALOG && onDialog) {
        char caption[64] = {};
        GetWindowTextA(info->hwnd, caption, sizeof caption);
        if (std::string(caption) == "Connection Made") {
            auto step = std::move(onDialog);
            onDialog = nullptr;
            step(info->hwnd);
        }
    }
    return CallNextHookEx(dialogHook, code, wParam, lParam);
}

struct ScopedDialogHook {
    ScopedDialogHook() { dialogHook = SetWindowsHookExA(WH_CALLWNDPROCRET, DialogHook, nullptr, GetCurrentThreadId()); }
    ~ScopedDialogHook()
    {
        UnhookWindowsHookEx(dialogHook);
        onDialog = nullptr;
    }
};

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseOption(HWND dialog, int id)
{
    CheckRadioButton(dialog, IDC_TIME_CONNECTION, IDC_TIME_SPECIFIED, id);
    Click(dialog, id);
}

std::string Text(HWND dialog, int id)
{
    char text[300] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

class ConnectionMadeTest : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        Monitor.eventTime = testsupport::LocalInstant(2026, 5, 4, 21, 7, 9);
        PinClock(testsupport::LocalInstant(2026, 5, 4, 21, 30, 0));
        Monitor.sessionIsp = 0;
    }

    // Opens the dialog; the step runs once it has initialised.
    void Open(const char* name, std::function<void(HWND)> step)
    {
        ScopedDialogHook hook;
        onDialog = std::move(step);
        ShowConnectionMade(name);
    }
};

TEST_F(ConnectionMadeTest, OpensWithTheOptionTheTimeAndTheDefaultIsp)
{
    for (int option = 0; option < 3; ++option) {
        Monitor.PromptDefault = option;
        Open(nullptr, [option](HWND d) {
            for (int id = IDC_TIME_CONNECTION; id <= IDC_TIME_SPECIFIED; ++id)
                EXPECT_EQ(IsDlgButtonChecked(d, id) == BST_CHECKED, id == IDC_TIME_CONNECTION + option) << id;
            EXPECT_EQ(Text(d, IDC_TIME_HOUR), "21");
            EXPECT_EQ(Text(d, IDC_TIME_MINUTE), "07");
            EXPECT_EQ(Text(d, IDC_TIME_SECOND), "09");
            for (int id : {IDC_TIME_HOUR, IDC_TIME_MINUTE, IDC_TIME_SECOND}) {
                EXPECT_FALSE(Enabled(d, id)) << "disabled until Specified time is clicked";
                EXPECT_EQ(SendDlgItemMessageA(d, id, EM_GETLIMITTEXT, 0, 0), 2);
            }
            EXPECT_EQ(SendDlgItemMessageA(d, IDC_ISP, CB_GETCOUNT, 0, 0), 2);
            EXPECT_EQ(Text(d, IDC_ISP), "Beta");
            for (int id : {IDC_RASNAME_GROUP, IDC_RASNAME, IDC_RASNAME_ASSOCIATE})
                EXPECT_FALSE(Enabled(d, id)) << "no entry name: nothing to associate";
            EXPECT_EQ(Text(d, IDC_RASNAME), "Not applicable");
            Click(d, IDCANCEL);
        });
    }
}

TEST_F(ConnectionMadeTest, TheTimeFieldsFollowTheOptions)
{
    Open("Dial-up Net", [](HWND d) {
        EXPECT_EQ(Text(d, IDC_RASNAME), "Dial-up Net");
        EXPECT_TRUE(Enabled(d, IDC_RASNAME_ASSOCIATE));
        ChooseOption(d, IDC_TIME_SPECIFIED);
        EXPECT_TRUE(Enabled(d, IDC_TIME_HOUR) && Enabled(d, IDC_TIME_MINUTE) && Enabled(d, IDC_TIME_SECOND));
        ChooseOption(d, IDC_TIME_NOW);
        EXPECT_FALSE(Enabled(d, IDC_TIME_HOUR) || Enabled(d, IDC_TIME_MINUTE) || Enabled(d, IDC_TIME_SECOND));
        ChooseOption(d, IDC_TIME_SPECIFIED);
        ChooseOption(d, IDC_TIME_CONNECTION);
        EXPECT_FALSE(Enabled(d, IDC_TIME_SECOND));
        Click(d, IDCANCEL);
    });
    EXPECT_FALSE(Monitor.online);
}

TEST_F(ConnectionMadeTest, EachValidationErrorKeepsTheDialogOpen)
{
    const struct {
        const char* what;
        std::function<void(HWND)> set;
        ErrorCode code;
        const char* text;
    } cases[] = {
        {"no ISP", [](HWND d) { SendDlgItemMessageA(d, IDC_ISP, CB_SETCURSEL, static_cast<WPARAM>(-1), 0); },
         1071, "You need to select an ISP to log to."},
        {"hour",
         [](HWND d) {
             ChooseOption(d, IDC_TIME_SPECIFIED);
             SetDlgItemTextA(d, IDC_TIME_HOUR, "24");
         },
         1006, "Invalid time given for hour: 24. Hour must be between 0 and 23."},
        {"minutes",
         [](HWND d) {
             ChooseOption(d, IDC_TIME_SPECIFIED);
             SetDlgItemTextA(d, IDC_TIME_MINUTE, "60");
             SetDlgItemTextA(d, IDC_TIME_SECOND, "99");
         },
         1007, "Invalid time given for minutes: 60. Minutes must be between 0 and 59."},
        {"seconds",
         [](HWND d) {
             ChooseOption(d, IDC_TIME_SPECIFIED);
             SetDlgItemTextA(d, IDC_TIME_SECOND, "75");
         },
         1008, "Invalid time given for seconds: 75. Seconds must be between 0 and 59 (inclusive)."},
        {"no option",
         [](HWND d) {
             for (int id = IDC_TIME_CONNECTION; id <= IDC_TIME_SPECIFIED; ++id)
                 CheckDlgButton(d, id, BST_UNCHECKED);
         },
         1009,
         "You need to select one of the time to log options. If you do not want to log this call, hit the Cancel "
         "button."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ClearRecordedErrors();
        bool stillOpen = false;
        Open("Net", [&](HWND d) {
            c.set(d);
            Click(d, IDOK);
            stillOpen = IsWindow(d) && Text(d, IDC_RASNAME) == "Net";
            CheckDlgButton(d, IDC_RASNAME_ASSOCIATE, BST_CHECKED);
            Click(d, IDCANCEL);
        });
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(RecordedErrors().size(), 1u);
        EXPECT_EQ(RecordedErrors()[0].code, c.code);
        EXPECT_EQ(RecordedErrors()[0].text, c.text);
        EXPECT_FALSE(Monitor.online);
        EXPECT_EQ(Monitor.sessionIsp, 0) << "Cancel changes nothing";
        EXPECT_EQ(Monitor.eventTime, testsupport::LocalInstant(2026, 5, 4, 21, 7, 9));
    }
    ProfileFlush(IniFilePath);
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP5", "RasName", ""), "") << "nothing associated on Cancel";
}

TEST_F(ConnectionMadeTest, OkTakesTheChosenTimeAndIsp)
{
    const std::int64_t detected = testsupport::LocalInstant(2026, 5, 4, 21, 7, 9);
    const struct {
        const char* what;
        std::function<void(HWND)> set;
        std::int64_t expected;
    } cases[] = {
        {"connection time", [](HWND) {}, detected},
        {"now", [](HWND d) { ChooseOption(d, IDC_TIME_NOW); }, testsupport::LocalInstant(2026, 5, 4, 21, 30, 0)},
        {"specified, later than now",
         [](HWND d) {
             ChooseOption(d, IDC_TIME_SPECIFIED);
             SetDlgItemTextA(d, IDC_TIME_HOUR, "23");
             SetDlgItemTextA(d, IDC_TIME_MINUTE, "");
             SetDlgItemTextA(d, IDC_TIME_SECOND, "5");
         },
         testsupport::LocalInstant(2026, 5, 4, 23, 0, 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Monitor.eventTime = detected;
        Monitor.online = false;
        Open(nullptr, [&](HWND d) {
            c.set(d);
            SendDlgItemMessageA(d, IDC_ISP, CB_SETCURSEL, 0, 0);  // Alpha
            Click(d, IDOK);
        });
        EXPECT_TRUE(Monitor.online);
        EXPECT_EQ(Monitor.eventTime, c.expected);
        EXPECT_EQ(Monitor.sessionIsp, 3);
        EXPECT_TRUE(RecordedErrors().empty());
    }
}

TEST_F(ConnectionMadeTest, TheEntryNameIsAssociatedWithTheChosenIsp)
{
    Open("Dial-up Net", [](HWND d) {
        CheckDlgButton(d, IDC_RASNAME_ASSOCIATE, BST_CHECKED);
        Click(d, IDOK);  // Beta, the default
    });
    EXPECT_TRUE(Monitor.online);
    EXPECT_EQ(Monitor.sessionIsp, 5);
    ProfileFlush(IniFilePath);
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP5", "RasName", ""), "Dial-up Net");
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP3", "RasName", ""), "Net");
    std::int32_t found = 0;
    ASSERT_EQ(FindIspByRasName("Dial-up Net", found), 0);
    EXPECT_EQ(found, 5);
    // Without the tick nothing is written.
    Open("Another", [](HWND d) { Click(d, IDOK); });
    ProfileFlush(IniFilePath);
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP5", "RasName", ""), "Dial-up Net");
}

// ---- Events while the dialog is open ----------------------------------

TEST_F(ConnectionMadeTest, ADisconnectionDuringTheDialogEndsTheSessionAfterOk)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_PROMPT;
    openDialogWhenAsked = true;
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        reports.clear();
        Monitor.online = false;
        MonitorEvent connected;
        connected.kind = MonitorEventKind::RasConnected;
        connected.connection = NewConnectionEvent("Dial-up", T0 + 10);
        QueueMonitorEvent(std::move(connected));
        ScopedDialogHook hook;
        onDialog = [ok](HWND d) {
            // The thread reports the hang-up while the user still decides;
            // its wake-up message is lost in the dialog's loop.
            MonitorEvent gone;
            gone.kind = MonitorEventKind::RasDisconnected;
            gone.connection = NewConnectionEvent("Dial-up", T0 + 50);
            QueueMonitorEvent(std::move(gone));
            PostThreadMessageA(GetCurrentThreadId(), MSG_DISCONNECTED, 0, 0);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            DeliverMonitorEvents();  // a nested delivery does nothing
            Click(d, ok ? IDOK : IDCANCEL);
        };
        DeliverMonitorEvents();
        if (ok) {
            EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=1 online=1 isp=5 t=1780000010 name=Dial-up",
                                                         "end isp=5 t=1780000050"}));
        } else {
            EXPECT_EQ(reports, std::vector<std::string>{"connect ask=1 online=0 isp=5 t=1780000010 name=Dial-up"});
        }
        EXPECT_FALSE(MonitorEventsPending());
        EXPECT_EQ(LiveConnectionEvents(), 0);
    }
}

TEST_F(ConnectionMadeTest, ACallThatEndsDuringTheDialogEndsTheSessionAfterOk)
{
    Monitor.Prompt = 1;
    Monitor.Delay = 3;
    Monitor.Device = 0;
    openDialogWhenAsked = true;
    MonitorEvent connected;
    connected.kind = MonitorEventKind::CallState;
    connected.callState = LINECALLSTATE_CONNECTED_VALUE;
    connected.callInfo = {true, 0, LINECALLORIGIN_OUTBOUND_VALUE};
    connected.time = T0 + 20;
    QueueMonitorEvent(std::move(connected));
    ScopedDialogHook hook;
    onDialog = [](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_RASNAME_ASSOCIATE))) << "a call has no entry name";
        MonitorEvent ended;
        ended.kind = MonitorEventKind::CallState;
        ended.callState = LINECALLSTATE_DISCONNECTED_VALUE;
        ended.callInfo = {true, 0, LINECALLORIGIN_OUTBOUND_VALUE};
        ended.time = T0 + 80;
        QueueMonitorEvent(std::move(ended));
        Click(d, IDOK);
    };
    {
        ScopedSuppressErrors quiet;  // the line restarts on whatever Telephony this system has
        DeliverMonitorEvents();
    }
    EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=1 online=1 isp=5 t=1780000023 name=",
                                                 "end isp=5 t=1780000080"}));
    CloseLine();
}

TEST_F(ConnectionMadeTest, HeldOpenForAScreenshot)
{
    const char* hold = std::getenv("TOLVANE_HOLD_DIALOG_MS");
    if (!hold)
        GTEST_SKIP() << "only when a picture is taken";
    Monitor.PromptDefault = PROMPT_SPECIFIED_TIME;
    Open("Dial-up Networking", [hold](HWND d) {
        ShowWindow(d, SW_SHOW);
        const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(hold));
        while (GetTickCount() < until) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(20);
        }
        Click(d, IDCANCEL);
    });
}

TEST_F(ConnectionMadeTest, NoLabelIsCutOff)
{
    Open("Dial-up Networking", [](HWND d) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0));
        HDC dc = GetDC(d);
        HGDIOBJ old = SelectObject(dc, font);
        RECT client;
        GetClientRect(d, &client);
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char text[300] = {}, cls[32] = {};
            GetWindowTextA(c, text, sizeof text);
            GetClassNameA(c, cls, sizeof cls);
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            SCOPED_TRACE(text);
            EXPECT_TRUE(r.left >= client.left && r.top >= client.top && r.right <= client.right &&
                        r.bottom <= client.bottom);
            if (!text[0] || std::string(cls) == "Edit" || std::string(cls) == "ComboBox")
                continue;
            RECT need = {0, 0, 0, 0};
            DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            const LONG style = GetWindowLongA(c, GWL_STYLE);
            LONG margin = 0;
            if (std::string(cls) == "Button")
                margin = (style & BS_TYPEMASK) == BS_GROUPBOX ? 20 : 18;
            EXPECT_LE(need.right + margin, r.right - r.left) << "text needs " << need.right << " px";
        }
        SelectObject(dc, old);
        ReleaseDC(d, dc);
        Click(d, IDCANCEL);
    });
}

}  // namespace
