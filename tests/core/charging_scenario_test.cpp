// Whole reports through ComputeUsage: tariffs from tolvane.ini, sessions
// from tolvane.log, a reference date and a pinned "now".
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "charging/charging.h"
#include "charging/usagereport.h"
#include "core/support.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

using testsupport::LocalInstant;
using testsupport::ProgramDirTest;

namespace {

struct Event {
    std::int32_t isp;
    int kind;
    const char* when;  // local "YYYY-MM-DD HH:MM:SS"
};

std::int64_t At(const char* when)
{
    int y, mo, d, h, mi, s;
    if (std::sscanf(when, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6)
        ADD_FAILURE() << "bad time " << when;
    return LocalInstant(y, mo, d, h, mi, s);
}

std::string Money(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string Duration(std::int32_t s)
{
    SplitTime t = SplitSeconds(s);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(t.hours), static_cast<int>(t.minutes),
                  static_cast<int>(t.seconds));
    return buf;
}

// The totals of a record on one line; frames without time are left out.
std::string Summary(const TariffRecord& r)
{
    std::string s;
    for (std::size_t i = 0; i < r.FrameTime.size(); ++i)
        if (r.FrameTime[i] != 0 || r.FrameCost[i] != 0)
            s += r.FrameNames[i] + " " + Duration(r.FrameTime[i]) + " " + Money(r.FrameCost[i]) + ", ";
    s += "total " + Money(r.TotalFrameCost) + "; prepaid " + Money(r.PrepaidUsed) + "; remainder " +
         Money(r.Remainder) + " " + Duration(r.RemainderTime) + "; payable " + Money(r.AmountPayable) + "; conns " +
         std::to_string(r.Connections) + "; last " + Duration(r.LastSessionTime);
    return s;
}

const char* const BaseSettings =
    "[Global]\n"
    "ActiveIDs=1\n"
    "[Phone]\n"
    "Description=Phone\n"
    "Frame0=0.010000,Flat\n"
    "[ISP1]\n"
    "Description=Net\n"
    "NumFrames=3\n"
    "Frame0=0.050000,Off\n"
    "Frame1=0.100000,Peak\n"
    "Frame2=0.010000,Holiday\n"
    "FrameForExceptions=2\n"
    "Mon0=08:00:00-17:59:59,1\n";

class ChargingScenarioTest : public ProgramDirTest {
protected:
    void Write(const std::string& settings, const std::vector<Event>& events)
    {
        testsupport::WriteFileBytes(IniFilePath, settings);
        ProfileFlush(IniFilePath);
        for (const Event& e : events)
            ASSERT_EQ(RecordSessionEvent(e.isp, e.kind, 0, At(e.when)), 0);
    }
};

} // namespace

constexpr int S = SESSION_START;
constexpr int E = SESSION_END;

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
        {"peak into off-peak", "",
         {{1, S, "2026-03-02 17:30:00"}, {1, E, "2026-03-02 18:30:00"}},
         "Off 00:30:00 1.50, Peak 00:30:00 3.00, total 4.50; prepaid 0.00; remainder -4.50 01:30:00; payable 4.50; "
         "conns 1; last 01:00:00",
         "Flat 01:00:00 0.60, total 0.60; prepaid 0.00; remainder -0.60 01:00:00; payable 0.60; conns 1; last 01:00:00"},
        {"connection charge on every slice", "ConnectCharge=0.200000\n",
         {{1, S, "2026-03-02 17:30:00"}, {1, E, "2026-03-02 18:30:00"}},
         "Off 00:30:00 1.70, Peak 00:30:00 3.20, total 4.90; prepaid 0.00; remainder -4.90 01:38:00; payable 4.90; "
         "conns 1; last 01:00:00",
         nullptr},
        {"minimum charge", "MinCharge=0.500000\n",
         {{1, S, "2026-03-02 20:00:00"}, {1, E, "2026-03-02 20:00:10"}},
         "Off 00:01:00 0.50, total 0.50; prepaid 0.00; remainder -0.50 00:10:00; payable 0.50; conns 1; last 00:01:00",
         "Flat 00:01:00 0.01, total 0.01; prepaid 0.00; remainder -0.01 00:01:00; payable 0.01; conns 1; last 00:01:00"},
        {"across midnight", "",
         {{1, S, "2026-03-01 23:50:00"}, {1, E, "2026-03-02 00:10:00"}},
         "Off 00:20:00 1.00, total 1.00; prepaid 0.00; remainder -1.00 00:20:00; payable 1.00; conns 1; last 00:20:00",
         nullptr},
        {"exception day", "NumExceptions=1\nDayException0=2026/03/02\n",
         {{1, S, "2026-03-02 17:30:00"}, {1, E, "2026-03-02 18:30:00"}},
         "Holiday 01:00:00 0.60, total 0.60; prepaid 0.00; remainder -0.60 00:12:00; payable 0.60; conns 1; "
         "last 01:00:00",
         nullptr},
        {"accumulated before rounding", "AccumulateBeforeRounding=1\n",
         {{1, S, "2026-03-03 20:00:00"}, {1, E, "2026-03-03 20:00:30"}, {1, S, "2026-03-03 20:01:00"},
          {1, E, "2026-03-03 20:01:30"}, {1, S, "2026-03-03 20:02:00"}, {1, E, "2026-03-03 20:02:30"}},
         "Off 00:02:00 0.10, total 0.10; prepaid 0.00; remainder -0.10 00:02:00; payable 0.10; conns 3; last 00:01:00",
         // 0.01 + 0.01 + 0.01 is a hair above 0.03: the time is truncated, not rounded.
         "Flat 00:03:00 0.03, total 0.03; prepaid 0.00; remainder -0.03 00:02:59; payable 0.03; conns 3; last 00:01:00"},
        {"monthly prepaid", "PrepaidCharge=10.000000\nPeriodicFee=9.950000\n",
         {{1, S, "2026-03-03 10:00:00"}, {1, E, "2026-03-03 12:25:00"}},
         "Off 02:25:00 7.25, total 7.25; prepaid 10.00; remainder 2.75 00:55:00; payable 9.95; conns 1; last 02:25:00",
         nullptr},
        {"daily prepaid shared by two sessions of a day", "PrepaidMethod=1\nPrepaidCharge=1.000000\n",
         {{1, S, "2026-03-03 10:00:00"}, {1, E, "2026-03-03 10:12:00"}, {1, S, "2026-03-03 11:00:00"},
          {1, E, "2026-03-03 11:14:00"}},
         "Off 00:26:00 1.30, total 1.30; prepaid 1.00; remainder -0.30 00:06:00; payable 0.30; conns 2; last 00:14:00",
         nullptr},
        {"daily prepaid in the peak frame only", "PrepaidMethod=2\nPrepaidFrame=1\nPrepaidCharge=2.000000\n",
         {{1, S, "2026-03-02 06:00:00"}, {1, E, "2026-03-02 07:00:00"}, {1, S, "2026-03-02 09:00:00"},
          {1, E, "2026-03-02 09:15:00"}},
         "Off 01:00:00 3.00, Peak 00:15:00 1.50, total 4.50; prepaid 1.50; remainder -3.00 01:00:00; payable 3.00; "
         "conns 2; last 00:15:00",
         nullptr},
        {"toll-free ISP", "TollFree=1\n",
         {{1, S, "2026-03-03 10:00:00"}, {1, E, "2026-03-03 10:01:00"}},
         "Off 00:01:00 0.05, total 0.05; prepaid 0.00; remainder -0.05 00:01:00; payable 0.05; conns 1; last 00:01:00",
         "total 0.00; prepaid 0.00; remainder 0.00 00:00:00; payable 0.00; conns 0; last 00:00:00"},
        {"clipped to the period's start", "",
         {{1, S, "2026-02-28 23:00:00"}, {1, E, "2026-03-01 01:00:00"}},
         "Off 01:00:00 3.00, total 3.00; prepaid 0.00; remainder -3.00 01:00:00; payable 3.00; conns 1; last 01:00:00",
         nullptr},
        {"open session charged up to now", "",
         {{1, S, "2026-03-03 10:00:00"}, {1, E, "2026-03-03 10:01:00"}, {1, S, "2026-03-20 11:00:00"}},
         "Off 01:01:00 3.05, total 3.05; prepaid 0.00; remainder -3.05 01:01:00; payable 3.05; conns 2; last 01:00:00",
         nullptr},
        {"zero-length session", "",
         {{1, S, "2026-03-03 10:00:00"}, {1, E, "2026-03-03 10:01:01"}, {1, S, "2026-03-03 11:00:00"},
          {1, E, "2026-03-03 11:00:00"}},
         "Off 00:02:00 0.10, total 0.10; prepaid 0.00; remainder -0.10 00:02:00; payable 0.10; conns 1; last 00:00:00",
         nullptr},
    };
    for (const Scenario& s : scenarios) {
        std::filesystem::remove(LogFilePath);
        Write(std::string(BaseSettings) + s.extraKeys, s.events);
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

TEST_F(ChargingScenarioTest, IspsWithDifferentBillingDates)
{
    // ISP 1 bills from the 11th to the 10th; the report for 5 March covers
    // 11 Feb to 10 Mar for it and all of March for ISP 2. ISP 1's session on
    // the 12th lies past its period and must not hide ISP 2's later ones.
    const std::string settings = "[Global]\nActiveIDs=1,2\n"
                                 "[ISP1]\nDescription=One\nBillingDate=10\nFrame0=0.010000,Any\n"
                                 "[ISP2]\nDescription=Two\nFrame0=0.020000,Any\n"
                                 "[Phone]\nFrame0=0.001000,Any\n";
    Write(settings, {{1, S, "2026-02-20 10:00:00"}, {1, E, "2026-02-20 10:10:00"},
                     {2, S, "2026-02-21 10:00:00"}, {2, E, "2026-02-21 10:10:00"},
                     {1, S, "2026-03-12 10:00:00"}, {1, E, "2026-03-12 11:00:00"},
                     {2, S, "2026-03-13 10:00:00"}, {2, E, "2026-03-13 10:20:00"},
                     {2, S, "2026-03-14 10:00:00"}, {2, E, "2026-03-14 10:05:00"}});
    PinClock(At("2026-04-20 12:00:00"));
    TariffTable table;
    ASSERT_EQ(ComputeUsage(At("2026-03-05 09:00:00"), table), 0);
    ASSERT_EQ(table.Isps.size(), 2u);
    EXPECT_EQ(Summary(table.Isps[0]),
              "Any 00:10:00 0.10, total 0.10; prepaid 0.00; remainder -0.10 00:10:00; payable 0.10; conns 1; "
              "last 00:10:00");
    EXPECT_EQ(Summary(table.Isps[1]),
              "Any 00:25:00 0.50, total 0.50; prepaid 0.00; remainder -0.50 00:25:00; payable 0.50; conns 2; "
              "last 00:05:00");
    EXPECT_EQ(table.Phone.Connections, 3);
    EXPECT_EQ(table.Phone.FrameTime[0], 35 * 60);
}

TEST_F(ChargingScenarioTest, FullReportText)
{
    Write(std::string(BaseSettings) + "TollFree=1\nPeriodicFee=12.500000\n",
          {{1, S, "2026-03-02 17:30:00"}, {1, E, "2026-03-02 18:30:00"}});
    PinClock(At("2026-03-20 12:00:00"));
    TariffTable table;
    ASSERT_EQ(ComputeUsage(At("2026-03-20 12:00:00"), table), 0);
    const auto path = File("report.txt");
    ASSERT_EQ(SaveUsageReportFile(path.string(), false, table, {}), 0);
    std::string text;
    for (char c : testsupport::ReadFileBytes(path))
        if (c != '\r')
            text += c;
    EXPECT_EQ(text,
              "Net (Toll-free)\n"
              "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
              "\t\t\t\tTime taken\tCost\n"
              "Off                     \t00:30:00\t1.50\n"
              "Peak                    \t00:30:00\t3.00\n"
              "Holiday                 \t00:00:00\t0.00\n"
              "Total frame cost\t\t\t\t4.50\n"
              "Less: Prepaid\t\t\t\t\t0.00\n"
              "Exceeded by\t\t\t01:30:00\t4.50\n"
              "Monthly/Weekly Fee\t\t\t\t12.50\n"
              "Amount payable\t\t\t\t\t17.00\n"
              "Connections made\t\t1\n"
              "Last session\t\t\t01:00:00\n"
              "\n"
              "Phone\n"
              "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
              "\t\t\t\tTime taken\tCost\n"
              "Flat                    \t00:00:00\t0.00\n"
              "Total frame cost\t\t\t\t0.00\n"
              "Less: Prepaid\t\t\t\t\t0.00\n"
              "Remainder\t\t\t00:00:00\t0.00\n"
              "Monthly/Weekly Fee\t\t\t\t0.00\n"
              "Amount payable\t\t\t\t\t0.00\n"
              "Connections made\t\t0\n"
              "Last session\t\t\t00:00:00\n"
              "\n");
}

TEST_F(ChargingScenarioTest, DaylightSavingPeriodInLondon)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    // Saturday 28 March 23:00 GMT to Sunday 29 March 03:00 BST: three real hours.
    Write("[Global]\nActiveIDs=1\n[ISP1]\nDescription=Net\nSecsPerUnit=1\nFrame0=0.001000,Any\n[Phone]\n",
          {{1, S, "2026-03-28 23:00:00"}, {1, E, "2026-03-29 03:00:00"}});
    PinClock(At("2026-04-20 12:00:00"));
    TariffTable table;
    ASSERT_EQ(ComputeUsage(At("2026-03-31 23:59:59"), table), 0);
    EXPECT_EQ(table.Isps[0].FrameTime[0], 3 * 3600);
    EXPECT_EQ(table.Isps[0].LastSessionTime, 3 * 3600);
    EXPECT_EQ(table.Isps[0].PeriodEnd.localTime.tm_hour, 23);
}

TEST_F(ChargingScenarioTest, FailuresLeaveNothingBehind)
{
    // A log that cannot be opened (a directory in its place).
    Write(BaseSettings, {});
    std::filesystem::remove(LogFilePath);
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
