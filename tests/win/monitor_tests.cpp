// The RAS monitor's thread against the fake rasapi32.dll, the Telephony line
// monitor against a scripted Telephony table, connection events on the UI
// thread, and the Connection Made dialog with events arriving while it is open.
#include <cstring>
#include <filesystem>
#include <sstream>

#include "harness.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/monitorevents.h"
#include "monitor/win32/rasmonitor.h"
#include "platform/profile.h"
#include "platform/win32/messages.h"
#include "tariff/tariffstore.h"

namespace {

using namespace harness;
using testsupport::RecordedCodes;

// ---- RAS: the fake rasapi32.dll over a file of connections and their
// states, or a failure.
struct Connection {
    std::string name;
    DWORD state;
};
constexpr DWORD UP = RASCS_CONNECTED_STATE;

std::filesystem::path rasFile;

void SetConnections(const std::vector<Connection>& list, DWORD failure = 0)
{
    std::ostringstream text;
    text << std::hex;
    if (failure)
        text << "! " << failure << "\n";
    for (const Connection& c : list)
        text << c.name << " " << c.state << "\n";
    testsupport::WriteFileBytes(rasFile, text.str());
    std::filesystem::remove(rasFile.string() + ".polls");
}

std::size_t Enumerations()
{
    return testsupport::ReadFileBytes(rasFile.string() + ".polls").size();
}

// ---- Scripted Telephony.
struct LineScript {
    DWORD devices = 1;
    std::vector<DWORD> permids = {};
    DWORD media = 0x10;
    std::string name = "Fake Modem";
    DWORD extra = 200;  // bytes before the name; over 1200 makes the caller grow its buffer
    int reinits = 0;  // answers of LINEERR_REINIT before success
    LONG negotiate = 0;
};
LineScript line;
int lineOpens = 0;
std::vector<std::pair<DWORD, DWORD>> calls;  // device and origin of call handle i + 1

const TelephonyApi ScriptedTelephony = {
    [](HANDLE* app, HINSTANCE, LineCallbackFn, const char*, DWORD* count) WINAPI -> LONG {
        if (line.reinits-- > 0)
            return LINEERR_REINIT_VALUE;
        *app = reinterpret_cast<HANDLE>(0x1234);
        *count = line.devices;
        return 0;
    },
    [](HANDLE, DWORD, DWORD, DWORD high, DWORD* version, void*) WINAPI -> LONG {
        *version = high;
        return line.negotiate;
    },
    [](HANDLE, DWORD device, DWORD, DWORD, void* buffer) WINAPI -> LONG {
        auto* caps = static_cast<LineDevCapsHead*>(buffer);
        const DWORD head = sizeof(LineDevCapsHead);
        caps->dwNeededSize = head + line.extra + static_cast<DWORD>(line.name.size()) + 1;
        if (caps->dwTotalSize < caps->dwNeededSize)
            return 0;
        caps->dwPermanentLineID = device < line.permids.size() ? line.permids[device] : 1000 + device;
        caps->dwLineNameSize = static_cast<DWORD>(line.name.size()) + 1;
        caps->dwLineNameOffset = head + line.extra;
        caps->dwStringFormat = 1;  // ASCII
        caps->dwMediaModes = line.media;
        std::memcpy(static_cast<char*>(buffer) + caps->dwLineNameOffset, line.name.c_str(), line.name.size() + 1);
        return 0;
    },
    [](HANDLE, DWORD, HANDLE* opened, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, void*) WINAPI -> LONG {
        ++lineOpens;
        *opened = reinterpret_cast<HANDLE>(0x5678);
        return 0;
    },
    [](HANDLE call, void* buffer) WINAPI -> LONG {
        const std::size_t i = reinterpret_cast<std::size_t>(call);
        if (i == 0 || i > calls.size())
            return static_cast<LONG>(0x80000013);  // LINEERR_INVALCALLHANDLE
        auto* info = static_cast<LineCallInfo14*>(buffer);
        info->dwLineDeviceID = calls[i - 1].first;
        info->dwOrigin = calls[i - 1].second;
        return 0;
    },
    [](HANDLE) WINAPI -> LONG { return 0; },
    [](HANDLE) WINAPI -> LONG { return 0; },
};

// Telephony reports a state of call i + 1 from the message loop, which
// then delivers it.
void CallState(std::size_t call, DWORD state)
{
    LineCallback(static_cast<DWORD>(call + 1), 2 /* LINE_CALLSTATE */, 0, state, 0, 0);
    DeliverMonitorEvents();
}

// ---- What the controller was handed.
std::vector<std::string> reports;
bool openDialogWhenAsked = false;  // the controller's Connection Made, when asked

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

constexpr std::int64_t T0 = 1780000000;

class MonitorTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        ResetMonitorState(Monitor);
        static HMODULE fakeRas = LoadLibraryA(("Z:" + std::string(FAKE_RAS_DLL)).c_str());
        ASSERT_NE(fakeRas, nullptr);
        Api.RasEnumConnectionsA = reinterpret_cast<decltype(Api.RasEnumConnectionsA)>(
            reinterpret_cast<void*>(GetProcAddress(fakeRas, "RasEnumConnectionsA")));
        Api.RasGetConnectStatusA = reinterpret_cast<decltype(Api.RasGetConnectStatusA)>(
            reinterpret_cast<void*>(GetProcAddress(fakeRas, "RasGetConnectStatusA")));
        rasFile = File("ras.txt");
        SetEnvironmentVariableA("TOLVANE_FAKE_RAS", rasFile.string().c_str());
        Telephony = ScriptedTelephony;
        line = LineScript{};
        lineOpens = 0;
        calls.clear();
        Reports = {RecordConnection, RecordDisconnection};
        reports.clear();
        openDialogWhenAsked = false;
        SetConnections({});
        PinClock(T0);
        // Two ISPs, the second the default; the first is reached through "Net".
        WriteIni("[Global]\r\nActiveIDs=3,5\r\nDefaultISP=5\r\n[ISP3]\r\nDescription=Alpha\r\nRasName=Net\r\n"
                 "[ISP5]\r\nDescription=Beta\r\n[Monitor]\r\nRasLatency=0\r\n");
        Monitor.DefaultISP = 5;
        Monitor.RasPrompt = RAS_MATCH_ELSE_DEFAULT;
        Monitor.uiThreadId = GetCurrentThreadId();
    }
    void TearDown() override
    {
        StopRasMonitor();
        Pump();
        EXPECT_EQ(LiveConnectionEvents(), 0) << "every event is released once";
        Fixture::TearDown();
    }
    static ConnectionEvent* Event(const char* name, std::int64_t time) { return NewConnectionEvent(name, time).release(); }
};

// ---- RAS

TEST_F(MonitorTest, TheEnumerationBufferGrowsAndOnlyConnectedEntriesCount)
{
    SetConnections({{"A", UP}, {"B", 0x9}, {"C", UP}, {"D", UP}, {"E", 0}});
    std::vector<std::string> names;
    ASSERT_TRUE(EnumerateActiveConnections(names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_TRUE(RecordedCodes().empty());
    // An answer too small that asks for no more fails instead of looping.
    Api.RasEnumConnectionsA = [](void*, LPDWORD, LPDWORD) WINAPI -> DWORD { return RAS_ERROR_BUFFER_TOO_SMALL; };
    EXPECT_FALSE(EnumerateActiveConnections(names));
    EXPECT_TRUE(names.empty());
}

TEST_F(MonitorTest, EnumerationFailuresShowOneBoxPerRunAndLogTheRest)
{
    for (int run = 0; run < 2; ++run) {
        SetConnections({}, 5);
        ASSERT_EQ(StartRasMonitor(), 0);
        const DWORD start = GetTickCount();
        while (Enumerations() < 5u && GetTickCount() - start < 20000)
            Sleep(1);
        StopRasMonitor();
    }
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{2074, 2074})) << "one box in each run";
    const std::string log = testsupport::ReadFileBytes(File("tolvane.err"));
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = log.find("emsg (2074)", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_GE(lines, 10u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(MonitorTest, StartAndStopManyTimesWithoutPause)
{
    SetConnections({{"Net", UP}});
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(StartRasMonitor(), 0);
        EXPECT_EQ(StartRasMonitor(), 0) << "a second start does nothing";
        if (i % 3 == 0)
            Sleep(0);
        StopRasMonitor();
        EXPECT_FALSE(Monitor.rasThreadStarted);
        EXPECT_EQ(Monitor.rasStopRequests.load(), 0);
    }
    EXPECT_EQ(LiveConnectionEvents(), 0) << "what a run queued is released when it stops";
    Pump();
    EXPECT_TRUE(reports.empty()) << "nothing is delivered after a stop";
}

TEST_F(MonitorTest, WhileOnlineOtherConnectionsAndDisconnectionsAreIgnored)
{
    const std::string name(256, 'x');  // kept whole
    OnRasConnected(Event(name.c_str(), T0));
    OnRasConnected(Event("Net", T0 + 5));
    OnRasDisconnected(Event("Net", T0 + 6));
    OnRasDisconnected(Event(name.substr(1).c_str(), T0 + 7));
    OnRasConnected(nullptr);
    OnRasDisconnected(nullptr);
    OnRasDisconnected(Event(name.c_str(), T0 + 9));
    OnRasDisconnected(Event(name.c_str(), T0 + 10));
    EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=0 online=1 isp=5 t=1780000000 name=" + name,
                                                 "end isp=5 t=1780000009"}));
}

// ---- Telephony

TEST_F(MonitorTest, TheLineMonitorOpensTheConfiguredModemOrReportsWhy)
{
    const struct {
        const char* name;
        LineScript script;
        DWORD device;
        int permid;  // -1: none configured
        std::vector<ErrorCode> errors;
        DWORD opened;  // device, or ~0u when the start fails
        const char* modem;
    } cases[] = {
        {"no modem", {.devices = 0}, 0, -1, {2060}, ~0u, ""},
        {"device beyond the count", {.devices = 2}, 2, -1, {2061}, ~0u, ""},
        {"the configured device", {.devices = 2}, 1, -1, {}, 1, "Fake Modem"},
        {"found by permanent id", {.devices = 3, .permids = {7, 8, 9}}, 0, 9, {}, 2, "Fake Modem"},
        {"unknown permanent id", {.devices = 3, .permids = {7, 8, 9}}, 0, 4, {}, ~0u, ""},
        {"large capabilities", {.name = "Big Modem", .extra = 5000}, 0, -1, {}, 0, "Big Modem"},
        {"not a data modem", {.media = 4}, 0, -1, {2062}, ~0u, ""},
        {"reinit once is retried", {.reinits = 1}, 0, -1, {}, 0, "Fake Modem"},
        {"reinit twice", {.reinits = 2}, 0, -1, {2006}, ~0u, ""},
        {"incompatible version", {.devices = 2, .negotiate = LINEERR_INCOMPATIBLEAPIVERSION_VALUE}, 1, -1, {2008},
         ~0u, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ClearRecordedErrors();
        line = c.script;
        Monitor.Device = c.device;
        Monitor.hasPermanentLineID = c.permid >= 0;
        Monitor.PermanentLineID = static_cast<std::uint32_t>(c.permid);
        const int started = StartLineMonitor();
        EXPECT_EQ(started, c.opened == ~0u ? -1 : 0);
        EXPECT_EQ(RecordedCodes(), c.errors);
        if (started == 0) {
            EXPECT_EQ(Monitor.Device, c.opened);
            DWORD version = 0;
            EXPECT_EQ(ModemName(GetLineCaps(reinterpret_cast<HANDLE>(Monitor.lineApp), Monitor.Device, version, true)),
                      c.modem);
            CloseLine();
        }
    }
}

TEST_F(MonitorTest, AnOutgoingCallOnTheLineIsOneSessionAndTheLineReopensAfterIt)
{
    Monitor.Delay = 5;
    ASSERT_EQ(StartLineMonitor(), 0);
    MonitoringActive = true;
    calls = {{0, 2}, {1, LINECALLORIGIN_OUTBOUND_VALUE}, {0, LINECALLORIGIN_OUTBOUND_VALUE}};
    CallState(0, LINECALLSTATE_CONNECTED_VALUE);  // incoming, not tracked
    CallState(0, LINECALLSTATE_IDLE_VALUE);
    CallState(1, LINECALLSTATE_CONNECTED_VALUE);  // another line
    CallState(1, LINECALLSTATE_DISCONNECTED_VALUE);
    CallState(2, LINECALLSTATE_CONNECTED_VALUE);
    PinClock(T0 + 60);
    const int opens = lineOpens;
    CallState(2, LINECALLSTATE_DISCONNECTED_VALUE);
    EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=0 online=1 isp=5 t=1780000005 name=",
                                                 "end isp=5 t=1780000060"}));
    EXPECT_EQ(lineOpens, opens + 1) << "the line is opened again after the call";
    StopLineMonitor();
}

// ---- The Connection Made dialog

class ConnectionMadeTest : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        Monitor.eventTime = detected;
        PinClock(testsupport::LocalInstant(2026, 5, 4, 21, 30, 0));
    }
    const std::int64_t detected = testsupport::LocalInstant(2026, 5, 4, 21, 7, 9);
};

TEST_F(ConnectionMadeTest, OpensWithTheOptionTheTimeAndTheDefaultIspAndTheTimeFollowsTheOption)
{
    for (int option = 0; option < 3; ++option) {
        Monitor.PromptDefault = option;
        Then([option](HWND d) {
            for (int id = IDC_TIME_CONNECTION; id <= IDC_TIME_SPECIFIED; ++id)
                EXPECT_EQ(Checked(d, id), id == IDC_TIME_CONNECTION + option) << id;
            EXPECT_EQ(Text(d, IDC_TIME_HOUR) + Text(d, IDC_TIME_MINUTE) + Text(d, IDC_TIME_SECOND), "210709");
            EXPECT_EQ(Items(d, IDC_ISP), (std::vector<std::string>{"Alpha", "Beta"}));
            EXPECT_EQ(Text(d, IDC_ISP), "Beta");
            EXPECT_EQ(Text(d, IDC_RASNAME), "Not applicable");
            EXPECT_FALSE(Enabled(d, IDC_RASNAME_ASSOCIATE)) << "no entry name: nothing to associate";
            for (auto [radio, enabled] : {std::pair{IDC_TIME_SPECIFIED, true}, {IDC_TIME_NOW, false},
                                          {IDC_TIME_SPECIFIED, true}, {IDC_TIME_CONNECTION, false}}) {
                Click(d, radio);
                for (int id : {IDC_TIME_HOUR, IDC_TIME_MINUTE, IDC_TIME_SECOND})
                    EXPECT_EQ(Enabled(d, id), enabled) << radio;
            }
            Press(d, IDCANCEL);
        });
        ShowConnectionMade(nullptr);
        EXPECT_FALSE(Monitor.online);
    }
}

TEST_F(ConnectionMadeTest, EachRefusalKeepsTheDialogOpenAndCancelChangesNothing)
{
    const struct {
        const char* what;
        int field;
        const char* value;
        ErrorCode code;
    } cases[] = {
        {"no ISP", IDC_ISP, nullptr, 1071},
        {"a time field", IDC_TIME_MINUTE, "60", 1007},  // which field first is the core's rule
        {"no option", 0, nullptr, 1009},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ClearRecordedErrors();
        Then([&](HWND d) {
            if (c.field == IDC_ISP)
                Select(d, IDC_ISP, -1);
            else if (c.field) {
                Click(d, IDC_TIME_SPECIFIED);
                SetText(d, c.field, c.value);
            } else {
                CheckRadioButton(d, IDC_TIME_CONNECTION, IDC_TIME_SPECIFIED, 0);
            }
            Press(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            Click(d, IDC_RASNAME_ASSOCIATE);
            Press(d, IDCANCEL);
        });
        ShowConnectionMade("Net");
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{c.code});
        EXPECT_EQ(std::tuple(Monitor.online, Monitor.sessionIsp, Monitor.eventTime), std::tuple(false, 0, detected));
    }
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP5", "RasName", ""), "") << "nothing associated on Cancel";
}

TEST_F(ConnectionMadeTest, OkTakesTheChosenTimeAndIspAndCanAssociateTheEntryName)
{
    const struct {
        const char* what;
        void (*set)(HWND);
        std::int64_t expected;
    } cases[] = {
        {"connection time", [](HWND) {}, detected},
        {"now", [](HWND d) { Click(d, IDC_TIME_NOW); }, testsupport::LocalInstant(2026, 5, 4, 21, 30, 0)},
        {"specified",
         [](HWND d) {
             Click(d, IDC_TIME_SPECIFIED);
             SetText(d, IDC_TIME_HOUR, "20");
             SetText(d, IDC_TIME_MINUTE, "");
         },
         testsupport::LocalInstant(2026, 5, 4, 20, 0, 9)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Monitor.eventTime = detected;
        Monitor.online = false;
        Then([&](HWND d) {
            c.set(d);
            Select(d, IDC_ISP, 0);  // Alpha
            Press(d, IDOK);
        });
        ShowConnectionMade(nullptr);
        EXPECT_EQ(std::tuple(Monitor.online, Monitor.sessionIsp, Monitor.eventTime), std::tuple(true, 3, c.expected));
    }
    Then([](HWND d) {
        Click(d, IDC_RASNAME_ASSOCIATE);
        Press(d, IDOK);  // Beta, the default
    });
    ShowConnectionMade("Dial-up Net");
    std::int32_t found = 0;
    ASSERT_EQ(FindIspByRasName("Dial-up Net", found), 0);
    EXPECT_EQ(found, 5);
    EXPECT_EQ(ProfileGetString(IniFilePath, "ISP3", "RasName", ""), "Net");
}

MonitorEvent RasEvent(MonitorEventKind kind, std::int64_t time)
{
    MonitorEvent event;
    event.kind = kind;
    event.connection = NewConnectionEvent("Dial-up", time);
    return event;
}

TEST_F(ConnectionMadeTest, ADisconnectionDuringTheDialogEndsTheSessionAfterOkOnly)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_PROMPT;
    openDialogWhenAsked = true;
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        reports.clear();
        Monitor.online = false;
        QueueMonitorEvent(RasEvent(MonitorEventKind::RasConnected, T0 + 10));
        Then([ok](HWND d) {
            // The hang-up arrives while the user decides; its wake-up
            // message is lost in the dialog's loop.
            QueueMonitorEvent(RasEvent(MonitorEventKind::RasDisconnected, T0 + 50));
            PostThreadMessageA(GetCurrentThreadId(), MSG_DISCONNECTED, 0, 0);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            DeliverMonitorEvents();  // a nested delivery does nothing
            Press(d, ok ? IDOK : IDCANCEL);
        });
        DeliverMonitorEvents();
        if (ok)
            EXPECT_EQ(reports, (std::vector<std::string>{"connect ask=1 online=1 isp=5 t=1780000010 name=Dial-up",
                                                         "end isp=5 t=1780000050"}));
        else
            EXPECT_EQ(reports, std::vector<std::string>{"connect ask=1 online=0 isp=5 t=1780000010 name=Dial-up"});
        EXPECT_FALSE(MonitorEventsPending());
    }
}

}  // namespace
