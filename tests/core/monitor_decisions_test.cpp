// Monitor decisions: Telephony call states, modem names, the Connection
// Made dialog's time checks, RAS connections seen from one cycle to the
// next; and the main window's rules: closing, the tray tooltip and the
// report date.
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "monitor/connectionmade.h"
#include "monitor/linedecisions.h"
#include "monitor/mainrules.h"
#include "monitor/monitorstate.h"
#include "monitor/raschanges.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::LocalInstant;

TEST(CallStateDecision, EveryRuleOfTheLineMonitor)
{
    constexpr std::uint32_t CONNECTED = LINECALLSTATE_CONNECTED_VALUE, IDLE = LINECALLSTATE_IDLE_VALUE,
                            DISCONNECTED = LINECALLSTATE_DISCONNECTED_VALUE;
    const CallInfoSummary ours{true, 3, LINECALLORIGIN_OUTBOUND_VALUE};
    const CallInfoSummary incoming{true, 3, 2};
    const struct { const char* what; std::uint32_t state; CallInfoSummary info; bool online; int trackInbound;
                   CallAction expected; } cases[] = {
        {"outgoing call connects", CONNECTED, ours, false, 0, CallAction::Connect},
        {"already online", CONNECTED, ours, true, 0, CallAction::Nothing},
        {"incoming, not tracked", CONNECTED, incoming, false, 0, CallAction::Nothing},
        {"incoming, tracked", CONNECTED, incoming, false, 1, CallAction::Connect},
        {"no call info counts as ours and outgoing", CONNECTED, {false, 99, 2}, false, 0, CallAction::Connect},
        {"another line ends", DISCONNECTED, {true, 4, LINECALLORIGIN_OUTBOUND_VALUE}, true, 0, CallAction::Nothing},
        {"end while online", DISCONNECTED, ours, true, 0, CallAction::EndAndRestart},
        {"end of an untracked call still restarts", IDLE, incoming, false, 0, CallAction::EndAndRestart},
        {"busy and other states", 0x40, ours, true, 0, CallAction::Nothing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideCallState(c.state, c.info, 3, c.online, c.trackInbound), c.expected) << c.what;
}

TEST(ModemNames, FromTheCapabilities)
{
    std::vector<unsigned char> caps(200, 0);
    std::memcpy(caps.data() + 100, "US Robotics", 12);
    std::memcpy(caps.data() + 180, "ABCD", 4);
    const struct { std::uint32_t size, offset, format; const char* name; } cases[] = {
        {12, 100, 1, "US Robotics"},
        {0, 100, 1, "Unnamed Modem"},
        {12, 100, 2, "Unnamed Modem"},  // Unicode names
        {12, 150, 1, "Empty Modem Name"},
        {4, 180, 1, "ABC"},  // no terminator from the driver: the last byte is dropped
        // Offsets that point outside the block are not followed.
        {0xFFFFFFF0u, 100, 1, "Unnamed Modem"},
        {12, 0xFFFFFFFFu, 1, "Unnamed Modem"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), c.size, c.offset, c.format), c.name) << c.offset;
    EXPECT_EQ(ModemNameFromCaps(nullptr, 0, 0, 0, 1), "Modem Unavailable");
}

TEST(ConnectionMadeTime, FieldsAndTheirChecksInOrder)
{
    EXPECT_EQ(std::vector({ReadTimeField(""), ReadTimeField("07")}), std::vector({0, 7}));
    EXPECT_GT(ReadTimeField("99999999999999"), 59);  // bounded, still out of range
    EXPECT_EQ(std::vector({CheckSpecifiedTime(0, 0, 0), CheckSpecifiedTime(23, 59, 59), CheckSpecifiedTime(24, 99, 99),
                           CheckSpecifiedTime(12, 60, 99), CheckSpecifiedTime(12, 0, 60)}),
              std::vector({0, 0, 1006, 1007, 1008}));
}

TEST(ConnectionMadeTime, SpecifiedTimeIsTakenForTodayAndShownWithTwoDigits)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const std::int64_t now = LocalInstant(2026, 3, 28, 10, 0, 0);
    EXPECT_EQ(SpecifiedTimeToday(now, 23, 30, 5), LocalInstant(2026, 3, 28, 23, 30, 5));  // even when later
    // Confirmed after midnight on the day the clocks go forward: the new
    // day's date, and 12:00 is in summer time.
    const std::int64_t afterMidnight = LocalInstant(2026, 3, 29, 0, 5, 0);
    EXPECT_EQ(SpecifiedTimeToday(afterMidnight, 12, 0, 0) - LocalInstant(2026, 3, 29, 0, 0, 0), 11 * 3600);
    const TimeFieldTexts t = TimeFieldsOf(LocalInstant(2026, 7, 1, 9, 5, 3));
    EXPECT_EQ(t.hour + ":" + t.minute + ":" + t.second, "09:05:03");
}

using Names = std::vector<std::string>;

TEST(RasChanges, SuccessiveCyclesOfOneMonitoringRun)
{
    // Each step is the list of connected entries one cycle sees.
    struct Step { Names current, expected; } steps[] = {
        {{"Dial Direct"}, {"+Dial Direct"}},      // already up at the first cycle
        {{"Dial Direct"}, {}},                    // nothing changed
        {{"Dial Direct", "Work"}, {"+Work"}},     // a second connection
        {{"Work", "dial direct"}, {"-Dial Direct", "+dial direct"}},  // names are case-sensitive
        {{}, {"-Work", "-dial direct"}},          // both gone, in the previous order
        {{"A", "B"}, {"+A", "+B"}},
        {{"C", "B"}, {"-A", "+C"}},               // disconnections before connections
        {{"X", "X"}, {"-C", "-B", "+X"}},         // two connections through one entry count as one
        {{}, {"-X"}},
    };
    Names previous;
    for (const Step& s : steps) {
        Names changes;
        for (const RasChange& c : DiffConnections(previous, s.current))
            changes.push_back((c.connected ? "+" : "-") + c.entryName);
        EXPECT_EQ(s.expected, changes);
        previous = s.current;
    }
}

TEST(RasChanges, DecisionByRasPrompt)
{
    // RasPrompt 0 to 3, each with an ISP matched to the entry and without.
    const RasDecision found = RasDecision::LogFound, ask = RasDecision::Ask, none = RasDecision::Ignore;
    std::vector<RasDecision> decisions;
    for (int prompt = 0; prompt < 4; ++prompt)
        for (bool matched : {true, false})
            decisions.push_back(DecideRasConnection(prompt, matched));
    EXPECT_EQ(decisions, std::vector({found, none, found, RasDecision::LogDefault, found, ask, ask, ask}));
}

TEST(MainWindowClosing, FollowsConfirmExitAndWhereTheWindowGoes)
{
    const struct { bool monitoring; int confirmExit, icon; CloseStep expected; } cases[] = {
        {false, EXIT_CONFIRM, ICON_TRAY, CLOSE_DESTROY},
        {true, EXIT_WITHOUT_PROMPT, ICON_TRAY, CLOSE_STOP_AND_DESTROY},
        {true, EXIT_CONFIRM, ICON_MINIMIZE, CLOSE_ASK},
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_HIDE, CLOSE_MINIMISE},
        // Minimised on the task bar is no hiding place: exit for real.
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_MINIMIZE, CLOSE_STOP_AND_DESTROY},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideClose(c.monitoring, c.confirmExit, c.icon), c.expected)
            << c.monitoring << "/" << c.confirmExit << "/" << c.icon;
    EXPECT_EQ(std::tuple(AfterConfirmExit(0), AfterConfirmExit(1), AfterConfirmExit(-1)),
              std::tuple(CLOSE_MINIMISE, CLOSE_STOP_AND_DESTROY, CLOSE_NOTHING));
}

TEST(OnlineTooltip, NameAndTimeOnlineWithinSixtyThreeCharacters)
{
    const std::string sixty(60, 'n'), long54(54, 'n');
    const struct { std::string description; std::int64_t online; std::string expected; } rows[] = {
        {"Demon", 100000, "Demon 27:46:40"}, {"Demon", -30, "Demon 00:00:00"},  // clock set back below the start
        {"", 65, "Tolvane (online) 00:01:05"},   {sixty, 3599, long54 + " 00:59:59"},
        {sixty, 360000, (long54 + " 100:00:00").substr(0, 63)},  // the end is cut off
    };
    for (const auto& c : rows)
        EXPECT_EQ(OnlineTooltip(c.description, 1700000000 + c.online, 1700000000), c.expected);
}

using EnterDateTest = testsupport::ProgramDirTest;

TEST_F(EnterDateTest, ProposedDateFollowsPreviousDefault)
{
    EXPECT_EQ(ReadPreviousDefault(), 0);  // no settings file
    for (auto [text, expected] : {std::pair{"2", 2}, {"3", 0}, {"-1", 0}, {"x", 0}}) {
        WriteIni(std::string("[Windows]\r\nPreviousDefault=") + text + "\r\n");
        EXPECT_EQ(ReadPreviousDefault(), expected) << text;
    }
    const struct { int y, m, d, setting, year, month, day; } cases[] = {
        {2024, 1, 5, 0, 2023, 12, 5}, {2024, 3, 3, 1, 2024, 2, 25}, {2024, 3, 3, 2, 2024, 3, 3},
        {2023, 3, 31, 0, 2023, 3, 3},  // a day the earlier month lacks rolls over into the next
    };
    for (const auto& c : cases) {
        const LocalTime d = ProposedReportDate(ToLocalTime(LocalInstant(c.y, c.m, c.d, 12)), c.setting);
        EXPECT_EQ(LocalInstant(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday), LocalInstant(c.year, c.month, c.day))
            << c.y << "-" << c.m << "-" << c.d << " setting " << c.setting;
    }
}

// The day is cut to the month; a missing choice or a year before 1901 is
// reported (the year as the program counts it, from 1900) and gives no date.
TEST_F(EnterDateTest, ChosenDateIsLocalMidnightOrAReportedError)
{
    // The day and month as shown (1-31, 1-12; 0 for no choice), the year typed; the code, the date, the text shown.
    const struct { int day, month; const char* year; int code, expectMonth, expectDay; const char* shown; } cases[] = {
        {15, 6, "2024", 0, 6, 15, nullptr},  {31, 4, "2024", 0, 4, 30, nullptr}, {29, 2, "2023", 0, 2, 28, nullptr},
        {30, 2, "2024", 0, 2, 29, nullptr},  {0, 0, "2024", 1003, 0, 0, nullptr}, {5, 0, "2024", 1004, 0, 0, nullptr},
        {5, 4, "1900", 1005, 0, 0, "Invalid year: 0."}, {5, 4, "abc", 1005, 0, 0, "Invalid year: -1900."},
    };
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        std::int64_t instant = 7;
        EXPECT_EQ(ReportDateFromChoice(c.day - 1, c.month - 1, c.year, instant), c.code) << c.day << "/" << c.month;
        EXPECT_EQ(instant, c.code ? 7 : LocalInstant(std::atoi(c.year), c.expectMonth, c.expectDay)) << c.day;
        EXPECT_EQ(testsupport::RecordedCodes(), c.code ? std::vector<ErrorCode>{c.code} : std::vector<ErrorCode>{});
        if (c.shown) {
            EXPECT_EQ(testsupport::RecordedErrors().at(0).text, c.shown);
        }
    }
}

} // namespace
