// Whole reports through ComputeUsage: tariffs from tolvane.ini, sessions
// from tolvane.log, a reference date and a pinned "now".

#include <cstdio>

#include "charging/charging.h"
#include "charging/usageview.h"
#include "core/charging_support.h"
#include "core/support.h"
#include "platform/clock.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

using chargingtest::Summary;
using testsupport::LocalInstant;

namespace {

struct Event { int kind; const char* when; };  // local "YYYY-MM-DD HH:MM:SS"

std::int64_t At(const char* when)
{
    int y, mo, d, h, mi, s;
    if (std::sscanf(when, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6)
        ADD_FAILURE() << "bad time " << when;
    return LocalInstant(y, mo, d, h, mi, s);
}

const char* const BaseSettings = "[Global]\nActiveIDs=1\n[Phone]\nDescription=Phone\nFrame0=0.010000,Flat\n"
                                 "[ISP1]\nDescription=Net\nNumFrames=3\nFrame0=0.050000,Off\nFrame1=0.100000,Peak\n"
                                 "Frame2=0.010000,Holiday\nFrameForExceptions=2\nMon0=08:00:00-17:59:59,1\n";

class ChargingScenarioTest : public testsupport::ProgramDirTest {};

constexpr int S = SESSION_START;
constexpr int E = SESSION_END;

} // namespace

TEST_F(ChargingScenarioTest, WorkedExamples)
{
    struct Scenario {
        const char* what;
        const char* extraKeys;  // more keys of section ISP1
        std::vector<Event> events;
        const char* isp;
        const char* phone;
    };
    const Scenario scenarios[] = {
        {"peak into off-peak", "", {{S, "2026-03-02 17:30:00"}, {E, "2026-03-02 18:30:00"}},
         "Off 00:30:00 1.50, Peak 00:30:00 3.00, 4.50 0.00 -4.50 01:30:00 4.50 1 01:00:00",
         "Flat 01:00:00 0.60, 0.60 0.00 -0.60 01:00:00 0.60 1 01:00:00"},
        {"connection charge on every slice", "ConnectCharge=0.200000\n",
         {{S, "2026-03-02 17:30:00"}, {E, "2026-03-02 18:30:00"}},
         "Off 00:30:00 1.70, Peak 00:30:00 3.20, 4.90 0.00 -4.90 01:38:00 4.90 1 01:00:00", nullptr},
        {"minimum charge", "MinCharge=0.500000\n", {{S, "2026-03-02 20:00:00"}, {E, "2026-03-02 20:00:10"}},
         "Off 00:01:00 0.50, 0.50 0.00 -0.50 00:10:00 0.50 1 00:01:00",
         "Flat 00:01:00 0.01, 0.01 0.00 -0.01 00:01:00 0.01 1 00:01:00"},
        {"accumulated before rounding", "AccumulateBeforeRounding=1\n",
         {{S, "2026-03-03 20:00:00"}, {E, "2026-03-03 20:00:30"}, {S, "2026-03-03 20:01:00"},
          {E, "2026-03-03 20:01:30"}, {S, "2026-03-03 20:02:00"}, {E, "2026-03-03 20:02:30"}},
         "Off 00:02:00 0.10, 0.10 0.00 -0.10 00:02:00 0.10 3 00:01:00",
         // 0.01 + 0.01 + 0.01 is a hair above 0.03: the time is truncated, not rounded.
         "Flat 00:03:00 0.03, 0.03 0.00 -0.03 00:02:59 0.03 3 00:01:00"},
        {"a zero-length session is no connection", "",
         {{S, "2026-03-03 10:00:00"}, {E, "2026-03-03 10:01:01"}, {S, "2026-03-03 11:00:00"},
          {E, "2026-03-03 11:00:00"}},
         "Off 00:02:00 0.10, 0.10 0.00 -0.10 00:02:00 0.10 1 00:00:00", nullptr},
    };
    for (const Scenario& s : scenarios) {
        std::filesystem::remove(LogFilePath);
        WriteIni(std::string(BaseSettings) + s.extraKeys);
        for (const Event& e : s.events)
            ASSERT_EQ(RecordSessionEvent(1, e.kind, 0, At(e.when)), 0);
        PinClock(At("2026-03-20 12:00:00"));
        TariffTable table;
        ASSERT_EQ(ComputeUsage(At("2026-03-20 12:00:00"), table), 0) << s.what;
        ASSERT_EQ(table.Isps.size(), 1u) << s.what;
        EXPECT_EQ(Summary(table.Isps[0]), s.isp) << s.what;
        if (s.phone) {
            EXPECT_EQ(Summary(table.Phone), s.phone) << s.what;
        }
    }
    EXPECT_TRUE(testsupport::RecordedCodes().empty());
}

TEST_F(ChargingScenarioTest, FailureLeavesNothingBehind)
{
    // A log that cannot be opened (a directory in its place).
    WriteIni(BaseSettings);
    std::filesystem::create_directory(LogFilePath);
    TariffTable table;
    table.Isps.resize(2);
    EXPECT_EQ(ComputeUsage(At("2026-03-20 12:00:00"), table), -1);
    EXPECT_TRUE(table.Isps.empty());
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{100}));

    std::int32_t count = 5;
    std::vector<TariffRecord> isps(1);
    TariffRecord phone;
    phone.NumFrames = 4;
    EXPECT_EQ(ComputeUsage(At("2026-03-20 12:00:00"), count, isps, phone), -1);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(isps.empty());
    EXPECT_EQ(phone.NumFrames, 0);
}
