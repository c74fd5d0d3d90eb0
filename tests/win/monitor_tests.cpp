// The RAS monitor's thread over a scripted RAS, the Telephony line monitor
// over a scripted Telephony, connection events on the UI thread and the
// sessions they log, and the Connection Made dialog with events arriving.
#include "harness.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/monitorevents.h"
#include "monitor/win32/rasmonitor.h"
#include "platform/win32/messages.h"
#include "ras_answers.h"

namespace {

using namespace harness;
using logmaint::End;
using logmaint::Start;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;
using Log = logmaint::Records;  // the fixture's Records() hides that name

// ---- RAS: the active connections and their states; the polling thread
// only reads them.
RasEntries connections;
constexpr DWORD UP = RASCS_CONNECTED_STATE;

// Telephony reports a state of call i + 1 from the message loop, which
// then delivers it.
void CallState(std::size_t call, DWORD state)
{
    LineCallback(static_cast<DWORD>(call + 1), 2 /* LINE_CALLSTATE */, 0, state, 0, 0);
    DeliverMonitorEvents();
}

constexpr std::int64_t T0 = 1780000000;

class MonitorTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        Api.RasEnumConnectionsA = [](void* buffer, LPDWORD bytes, LPDWORD count) WINAPI {
            return EnumerateRasEntries(connections, buffer, bytes, count);
        };
        Api.RasGetConnectStatusA = [](HANDLE connection, void* status) WINAPI {
            return RasEntryStatus(connections, connection, status);
        };
        connections.clear();
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
    static ConnectionEvent* Event(const char* name, std::int64_t t) { return NewConnectionEvent(name, t).release(); }
};

// ---- RAS

TEST_F(MonitorTest, TheRasMonitorReadsConnectedEntriesStartsAndStopsCleanlyAndIgnoresOthersWhileOnline)
{
    connections = {{"A", UP}, {"B", 0x9}, {"C", UP}, {"D", UP}, {"E", 0}};
    std::vector<std::string> names;
    ASSERT_TRUE(EnumerateActiveConnections(names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_TRUE(RecordedCodes().empty());
    connections = {{"Net", UP}};
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
    EXPECT_TRUE(Records().empty()) << "nothing is delivered after a stop";
    // An answer too small that asks for no more fails instead of looping.
    Api.RasEnumConnectionsA = [](void*, LPDWORD, LPDWORD) WINAPI -> DWORD { return RAS_ERROR_BUFFER_TOO_SMALL; };
    EXPECT_FALSE(EnumerateActiveConnections(names));
    EXPECT_TRUE(names.empty());
    // On the UI thread: while online, other connections and disconnections are ignored.
    const std::string name(256, 'x');  // kept whole
    OnRasConnected(Event(name.c_str(), T0));
    OnRasConnected(Event("Net", T0 + 5));
    OnRasDisconnected(Event("Net", T0 + 6));
    OnRasDisconnected(Event(name.substr(1).c_str(), T0 + 7));
    OnRasConnected(nullptr);
    OnRasDisconnected(nullptr);
    OnRasDisconnected(Event(name.c_str(), T0 + 9));
    OnRasDisconnected(Event(name.c_str(), T0 + 10));
    EXPECT_EQ(Records(), (Log{Start(5, T0), End(5, T0 + 9)}));
}

// ---- Telephony

TEST_F(MonitorTest, TheLineMonitorOpensTheConfiguredModemOrReportsWhyAndReopensAfterAnOutgoingCall)
{
    const struct {
        const char* name;
        LineScript script;
        DWORD device;
        int permid;  // -1: none configured
        ErrorCode error;  // 0: none
        const char* modem;  // the one opened, "": none
    } cases[] = {
        {"no modem", {.devices = 0}, 0, -1, 2060, ""},
        {"device beyond the count", {.devices = 2}, 2, -1, 2061, ""},
        {"the configured device, with large capabilities", {.devices = 2, .extra = 5000}, 1, -1, 0, "Modem 2"},
        {"found by permanent id after one reinit", {.devices = 3, .reinits = 1}, 0, 502, 0, "Modem 3"},
        {"unknown permanent id", {.devices = 3}, 0, 4, 0, ""},
        {"not a data modem", {.media = 4}, 0, -1, 2062, ""},
        {"reinit twice", {.reinits = 2}, 0, -1, 2006, ""},
        {"incompatible version", {.devices = 2, .negotiate = LINEERR_INCOMPATIBLEAPIVERSION_VALUE}, 1, -1, 2008, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ClearRecordedErrors();
        ScriptTelephony() = c.script;
        Monitor.Device = c.device;
        Monitor.hasPermanentLineID = c.permid >= 0;
        Monitor.PermanentLineID = static_cast<std::uint32_t>(c.permid);
        const bool opened = StartLineMonitor() == 0;
        EXPECT_EQ(RecordedCodes(), c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{});
        EXPECT_EQ(opened ? "Modem " + std::to_string(Monitor.Device + 1) : "", c.modem);
        if (opened)
            CloseLine();
    }
    // On the first modem an outgoing call is one session, and the line is opened again after it.
    Monitor.Device = 0;
    Monitor.Delay = 5;
    LineScript& line = ScriptTelephony();
    ASSERT_EQ(StartLineMonitor(), 0);
    MonitoringActive = true;
    line.calls = {{0, LINECALLORIGIN_OUTBOUND_VALUE}};
    CallState(0, LINECALLSTATE_CONNECTED_VALUE);
    PinClock(T0 + 60);
    CallState(0, LINECALLSTATE_DISCONNECTED_VALUE);
    EXPECT_EQ(Records(), (Log{Start(5, T0 + 5), End(5, T0 + 60)}));
    EXPECT_EQ(line.opens, 2);
    StopLineMonitor();
}

// ---- The Connection Made dialog

TEST_F(MonitorTest, ConnectionMadeOpensWithTheOptionAndOkTakesTheChosenTimeAndIsp)
{
    const std::int64_t detected = LocalInstant(2026, 5, 4, 21, 7, 9), now = LocalInstant(2026, 5, 4, 21, 30, 0);
    PinClock(now);
    const std::int64_t taken[] = {detected, now, LocalInstant(2026, 5, 4, 20, 7, 9)};
    for (int option = 0; option < 3; ++option) {
        SCOPED_TRACE(option);
        Monitor.PromptDefault = option;
        Monitor.eventTime = detected;
        Then([&](HWND d) {
            EXPECT_TRUE(Checked(d, IDC_TIME_CONNECTION + option));
            EXPECT_FALSE(Enabled(d, IDC_TIME_MINUTE)) << "the time fields wait for a click";
            EXPECT_EQ(Text(d, IDC_TIME_HOUR) + Text(d, IDC_TIME_MINUTE) + Text(d, IDC_TIME_SECOND), "210709");
            EXPECT_EQ(Text(d, IDC_RASNAME), "Not applicable");
            EXPECT_FALSE(Enabled(d, IDC_RASNAME_ASSOCIATE)) << "no entry name: nothing to associate";
            if (option == 0) {
                Select(d, IDC_ISP, -1);
                Refused(d, 1071);
            }
            if (option == 2) {
                for (int radio : {IDC_TIME_SPECIFIED, IDC_TIME_NOW, IDC_TIME_SPECIFIED}) {
                    Click(d, radio);
                    EXPECT_EQ(Enabled(d, IDC_TIME_HOUR) && Enabled(d, IDC_TIME_SECOND), radio == IDC_TIME_SPECIFIED);
                }
                SetText(d, IDC_TIME_HOUR, "20");
            }
            Select(d, IDC_ISP, 0);  // Alpha
            Press(d, IDOK);
        });
        ShowConnectionMade(nullptr);
        EXPECT_EQ(std::tuple(Monitor.online, Monitor.sessionIsp, Monitor.eventTime),
                  std::tuple(true, 3, taken[option]));
    }
}

TEST_F(MonitorTest, AConnectionToAskAboutEndsAfterOkOnlyEvenIfItEndedMeanwhile)
{
    Monitor.RasPrompt = RAS_MATCH_ELSE_PROMPT;
    auto queue = [](MonitorEventKind kind, std::int64_t time) {
        QueueMonitorEvent({kind, NewConnectionEvent("Dial-up Net", time), 0, {}, 0});
    };
    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button);
        Monitor.online = false;
        queue(MonitorEventKind::RasConnected, T0 + 10);
        Then([&](HWND d) {
            EXPECT_EQ(Text(d, IDC_RASNAME), "Dial-up Net");
            Click(d, IDC_RASNAME_ASSOCIATE);
            Click(d, IDC_TIME_SPECIFIED);
            SetText(d, IDC_TIME_HOUR, "24");
            Refused(d, 1006);  // and changes nothing
            Click(d, IDC_TIME_CONNECTION);
            // The hang-up arrives while the user decides; its wake-up
            // message is lost in the dialog's loop.
            queue(MonitorEventKind::RasDisconnected, T0 + 50);
            PostThreadMessageA(GetCurrentThreadId(), MSG_DISCONNECTED, 0, 0);
            Pump();
            DeliverMonitorEvents();  // a nested delivery does nothing
            Press(d, button);  // Beta, the default
        });
        DeliverMonitorEvents();
        const bool ok = button == IDOK;
        EXPECT_EQ(Records(), (ok ? Log{Start(5, T0 + 10), End(5, T0 + 50)} : Log{})) << "logged after OK only";
        EXPECT_EQ(IniValue("ISP5", "RasName"), ok ? "Dial-up Net" : "<none>") << "associated on OK only";
    }
}

}  // namespace
