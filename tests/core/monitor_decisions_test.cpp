// Telephony call-state decisions, modem names, the Connection Made dialog's
// time checks, and RAS connections seen from one cycle to the next.

#include <cstring>

#include "monitor/connectionmade.h"
#include "monitor/linedecisions.h"
#include "monitor/raschanges.h"
#include "platform/localtime.h"
#include "support.h"

namespace {

TEST(CallStateDecision, EveryRuleOfTheLineMonitor)
{
    constexpr std::uint32_t CONNECTED = LINECALLSTATE_CONNECTED_VALUE, IDLE = LINECALLSTATE_IDLE_VALUE,
                            DISCONNECTED = LINECALLSTATE_DISCONNECTED_VALUE;
    const CallInfoSummary ours{true, 3, LINECALLORIGIN_OUTBOUND_VALUE};
    const CallInfoSummary incoming{true, 3, 2};
    const CallInfoSummary otherLine{true, 4, LINECALLORIGIN_OUTBOUND_VALUE};
    const CallInfoSummary unread{false, 99, 2};
    const struct {
        const char* what;
        std::uint32_t state;
        CallInfoSummary info;
        bool online;
        int trackInbound;
        CallAction expected;
    } cases[] = {
        {"outgoing call connects", CONNECTED, ours, false, 0, CallAction::Connect},
        {"already online", CONNECTED, ours, true, 0, CallAction::Nothing},
        {"incoming, not tracked", CONNECTED, incoming, false, 0, CallAction::Nothing},
        {"incoming, tracked", CONNECTED, incoming, false, 1, CallAction::Connect},
        {"no call info counts as ours and outgoing", CONNECTED, unread, false, 0, CallAction::Connect},
        {"another line ends", DISCONNECTED, otherLine, true, 0, CallAction::Nothing},
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
        {12, 195, 1, "Unnamed Modem"},
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
    using testsupport::LocalInstant;
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
    const RasDecision found = RasDecision::LogFound, ask = RasDecision::Ask;
    std::vector<RasDecision> decisions;
    for (int prompt = 0; prompt < 4; ++prompt)
        for (bool matched : {true, false})
            decisions.push_back(DecideRasConnection(prompt, matched));
    EXPECT_EQ(decisions, std::vector({found, RasDecision::Ignore, found, RasDecision::LogDefault, found, ask, ask, ask}));
}

} // namespace
