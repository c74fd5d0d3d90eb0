// Telephony call-state decisions, modem names, and the Connection Made
// dialog's time checks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "monitor/connectionmade.h"
#include "monitor/linedecisions.h"
#include "platform/localtime.h"
#include "startup/errors.h"
#include "support.h"

namespace {

constexpr std::uint32_t CONNECTED = LINECALLSTATE_CONNECTED_VALUE;
constexpr std::uint32_t IDLE = LINECALLSTATE_IDLE_VALUE;
constexpr std::uint32_t DISCONNECTED = LINECALLSTATE_DISCONNECTED_VALUE;
constexpr std::uint32_t OUTBOUND = LINECALLORIGIN_OUTBOUND_VALUE;
constexpr std::uint32_t INBOUND = 2;

struct CallCase {
    const char* what;
    std::uint32_t state;
    CallInfoSummary info;
    bool online;
    int trackInbound;
    CallAction expected;
};

TEST(CallStateDecision, EveryRuleOfTheLineMonitor)
{
    const CallInfoSummary ours{true, 3, OUTBOUND};
    const CallInfoSummary incoming{true, 3, INBOUND};
    const CallInfoSummary otherLine{true, 4, OUTBOUND};
    const CallInfoSummary unread{false, 99, INBOUND};
    const std::vector<CallCase> cases = {
        {"outgoing call connects", CONNECTED, ours, false, 0, CallAction::Connect},
        {"already online", CONNECTED, ours, true, 0, CallAction::Nothing},
        {"incoming, not tracked", CONNECTED, incoming, false, 0, CallAction::Nothing},
        {"incoming, tracked", CONNECTED, incoming, false, 1, CallAction::Connect},
        {"another line connects", CONNECTED, otherLine, false, 1, CallAction::Nothing},
        {"another line ends", DISCONNECTED, otherLine, true, 0, CallAction::Nothing},
        {"another line idle", IDLE, otherLine, true, 0, CallAction::Nothing},
        {"no call info counts as ours and outgoing", CONNECTED, unread, false, 0, CallAction::Connect},
        {"end while online", DISCONNECTED, ours, true, 0, CallAction::EndAndRestart},
        {"idle while online", IDLE, ours, true, 0, CallAction::EndAndRestart},
        {"end of an untracked call still restarts", IDLE, incoming, false, 0, CallAction::EndAndRestart},
        {"end without call info", DISCONNECTED, unread, false, 0, CallAction::EndAndRestart},
        {"dialtone and other states", 0x8, ours, false, 0, CallAction::Nothing},
        {"busy", 0x40, ours, true, 0, CallAction::Nothing},
    };
    for (const CallCase& c : cases)
        EXPECT_EQ(DecideCallState(c.state, c.info, 3, c.online, c.trackInbound), c.expected) << c.what;
}

std::vector<unsigned char> CapsWithName(std::uint32_t offset, const char* bytes, std::size_t size, std::size_t total)
{
    std::vector<unsigned char> caps(total, 0);
    std::memcpy(caps.data() + offset, bytes, size);
    return caps;
}

TEST(ModemNames, FromTheCapabilities)
{
    const auto caps = CapsWithName(100, "US Robotics\0", 12, 200);
    EXPECT_EQ(ModemNameFromCaps(nullptr, 0, 0, 0, 1), "Modem Unavailable");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 100, 1), "US Robotics");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 0, 100, 1), "Unnamed Modem");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 0, 1), "Unnamed Modem");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 100, 2), "Unnamed Modem") << "Unicode names";
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 150, 1), "Empty Modem Name");
    // No terminator from the driver: the last byte of the name is dropped.
    const auto unterminated = CapsWithName(100, "ABCD", 4, 200);
    EXPECT_EQ(ModemNameFromCaps(unterminated.data(), unterminated.size(), 4, 100, 1), "ABC");
    // Offsets that point outside the block are not followed.
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 195, 1), "Unnamed Modem");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 0xFFFFFFF0u, 100, 1), "Unnamed Modem");
    EXPECT_EQ(ModemNameFromCaps(caps.data(), caps.size(), 12, 0xFFFFFFFFu, 1), "Unnamed Modem");
}

TEST(ConnectionMadeTime, FieldsAndTheirChecksInOrder)
{
    EXPECT_EQ(ReadTimeField(""), 0);
    EXPECT_EQ(ReadTimeField("07"), 7);
    EXPECT_EQ(ReadTimeField("99"), 99);
    EXPECT_EQ(ReadTimeField("99999999999999"), ReadTimeField("99999999999999")) << "bounded";
    EXPECT_GT(ReadTimeField("99999999999999"), 59);

    EXPECT_EQ(CheckSpecifiedTime(0, 0, 0), 0);
    EXPECT_EQ(CheckSpecifiedTime(23, 59, 59), 0);
    EXPECT_EQ(CheckSpecifiedTime(24, 0, 0), 1006);
    EXPECT_EQ(CheckSpecifiedTime(12, 60, 0), 1007);
    EXPECT_EQ(CheckSpecifiedTime(12, 0, 60), 1008);
    EXPECT_EQ(CheckSpecifiedTime(99, 99, 99), 1006) << "the hour is checked first";
    EXPECT_EQ(CheckSpecifiedTime(1, 99, 99), 1007);
}

TEST(ConnectionMadeTime, SpecifiedTimeIsTakenForTodayEvenWhenLater)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const std::int64_t now = testsupport::LocalInstant(2026, 3, 28, 10, 0, 0);
    EXPECT_EQ(SpecifiedTimeToday(now, 23, 30, 5), testsupport::LocalInstant(2026, 3, 28, 23, 30, 5));
    EXPECT_EQ(SpecifiedTimeToday(now, 0, 0, 0), testsupport::LocalInstant(2026, 3, 28, 0, 0, 0));
    // Confirmed after midnight: the new day's date.
    const std::int64_t afterMidnight = testsupport::LocalInstant(2026, 3, 29, 0, 5, 0);
    EXPECT_EQ(SpecifiedTimeToday(afterMidnight, 23, 58, 0), testsupport::LocalInstant(2026, 3, 29, 23, 58, 0));
    // The day the clocks go forward: 12:00 is in summer time.
    EXPECT_EQ(SpecifiedTimeToday(afterMidnight, 12, 0, 0) - testsupport::LocalInstant(2026, 3, 29, 0, 0, 0),
              11 * 3600);
}

TEST(ConnectionMadeTime, FieldsShowTheLocalTimeWithTwoDigits)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const TimeFieldTexts t = TimeFieldsOf(testsupport::LocalInstant(2026, 7, 1, 9, 5, 3));
    EXPECT_EQ(t.hour, "09");
    EXPECT_EQ(t.minute, "05");
    EXPECT_EQ(t.second, "03");
}

class MonitorLogTexts : public testsupport::ProgramDirTest {};

TEST_F(MonitorLogTexts, RasThreadEntriesReadAsWritten)
{
    LogError(1000);
    LogError(1002, "connection");
    const std::string log = testsupport::ReadFileBytes(File("tolvane.err"));
    for (const char* text : {"Error 1000: Unable to get current RAS connections in RAS monitoring thread. Possibly "
                             "out of memory.",
                             "Error 1002: Unable to inform main thread from RAS monitoring thread of connection due "
                             "to out of memory condition."}) {
        const std::size_t at = log.find(text);
        ASSERT_NE(at, std::string::npos) << log;
        const char after = log[at + std::strlen(text)];
        EXPECT_TRUE(after == '\r' || after == '\n') << "the line ends with the text: " << log;
    }
}

}  // namespace
