// The charging engine on tariffs built in memory: rounding, slicing at
// schedule boundaries and midnight, daylight saving, prepaid and totals.

#include "core/charging_support.h"

using namespace chargingtest;

namespace {

std::int64_t Mon(int h, int m, int s = 0)
{
    return LocalInstant(2026, 3, 2, h, m, s);  // a Monday
}

using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;  // seconds, frame

Pairs SlicePairs(const TariffRecord& r, std::int64_t start, std::int64_t end)
{
    Pairs out;
    for (const UsageSlice& s : Slices(r, start, end))
        out.emplace_back(s.seconds, s.frame);
    return out;
}

} // namespace

TEST(RoundUnits, EachModeAndTheEdges)
{
    const struct { std::int32_t seconds, unit, mode, expected; } cases[] = {
        {61, 1, 0, 61},     {100, 0, 0, 100},   {60, 60, 0, 60},   {61, 60, 0, 120}, {90, 60, 1, 60},
        {91, 60, 1, 120},   {91, 61, 1, 61},    {92, 61, 1, 122},  {119, 60, 2, 60}, {61, 60, 7, 61},
        {2147483647, 60, 0, 2147483647},  // clamped, not wrapped
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoundUnits(c.seconds, c.unit, c.mode), c.expected)
            << c.seconds << " s, unit " << c.unit << ", mode " << c.mode;
}

TEST(NextSlice, CutsAtScheduleBoundariesAndMidnight)
{
    TariffRecord r = StandardTariff();
    r.NumFrames = 3;
    r.FrameCharges = {0.05, 0.10, 0.20};
    r.FrameNames = {"Off", "Peak", "Top"};
    r.FrameCost.assign(3, 0.0);
    r.FrameTime.assign(3, 0);
    r.Schedules[MON] = {Entry(8, 0, 0, 11, 59, 59, 1), Entry(10, 0, 0, 13, 59, 59, 2), Entry(20, 0, 0, 23, 59, 59, 1)};
    r.Schedules[TUE] = {Entry(0, 0, 0, 5, 59, 59, 1)};
    r.FrameForExceptions = 2;
    // Wednesday 2026-03-04; 2 February is no Monday 2 March.
    r.DayExceptions = {DayExceptionEntry{0, 0, 0}, DayExceptionEntry{126, 2, 4}, DayExceptionEntry{126, 1, 2}};
    r.NumExceptions = 3;
    const std::int64_t tue = LocalInstant(2026, 3, 3), wed = LocalInstant(2026, 3, 4);
    const struct { const char* what; std::int64_t start, end; Pairs slices; } cases[] = {
        {"through overlapping entries: the first in order wins", Mon(7, 0), Mon(15, 0),
         {{3600, 0}, {14400, 1}, {7200, 2}, {3600, 0}}},
        {"ends on the entry's last second", Mon(13, 0), Mon(13, 59, 59), {{3599, 2}}},
        {"a day without entries, then into an entry", LocalInstant(2026, 3, 1, 22, 0), Mon(9, 0),
         {{7200, 0}, {28800, 0}, {3600, 1}}},
        {"entry to midnight, then Tuesday's entry from midnight", Mon(22, 0), tue + 7 * 3600,
         {{7200, 1}, {21600, 1}, {3600, 0}}},
        {"an exception day is all in its frame", wed - 3600, wed + 86400 + 3600, {{3600, 0}, {86400, 2}, {3600, 0}}},
        {"zero length", Mon(9, 0), Mon(9, 0), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SlicePairs(r, c.start, c.end), c.slices) << c.what;
}

TEST(NextSlice, OutOfRangeFramesFallBackToFrameZero)
{
    TariffRecord r = StandardTariff();
    r.NumFrames = 3;  // one more than the arrays hold
    r.DefaultFrame = 9;
    r.FrameForExceptions = -3;
    r.Schedules[MON] = {Entry(8, 0, 0, 8, 59, 59, 2), Entry(9, 0, 0, 17, 59, 59, 5)};
    r.DayExceptions = {DayExceptionEntry{126, 2, 3}};  // Tuesday
    r.NumExceptions = 1;
    EXPECT_EQ(SlicePairs(r, Mon(7, 0), LocalInstant(2026, 3, 3, 9, 0)),
              (Pairs{{3600, 0}, {3600, 0}, {32400, 0}, {21600, 0}, {32400, 0}}));
    Charge(r, Mon(7, 0), Mon(10, 0));
    FinishTotals(r);
    EXPECT_EQ(r.FrameTime[0], 3 * 3600);
    EXPECT_NEAR(r.TotalFrameCost, 9.0, 1e-9);
    EXPECT_EQ(r.RemainderTime, 3 * 3600);  // at the default frame's (frame 0's) charge
}

TEST(NextSlice, DaylightSavingChangesChargeEverySecond)
{
    const struct {
        const char* zone;
        int mo, d, h1, h2;  // 2026: from h1 the day before to h2 on the day of the change
        std::int32_t realSeconds;
    } cases[] = {
        {"Europe/London", 3, 29, 23, 3, 3 * 3600},              // 01:00 GMT -> 02:00 BST
        {"Europe/London", 10, 25, 23, 3, 5 * 3600},             // 02:00 BST -> 01:00 GMT
        {"Australia/Lord_Howe", 4, 5, 23, 3, 4 * 3600 + 1800},  // half an hour back
    };
    for (const auto& c : cases) {
        TOLVANE_REQUIRE_TZ(c.zone);
        TariffRecord r = StandardTariff();
        r.SecsPerUnit = 1;
        // Sundays: peak entries on both sides of the change.
        r.Schedules[SUN] = {Entry(0, 30, 0, 1, 29, 59, 1), Entry(2, 30, 0, 2, 59, 59, 1)};
        const std::int64_t start = LocalInstant(2026, c.mo, c.d - 1, c.h1, 0);
        const std::int64_t end = LocalInstant(2026, c.mo, c.d, c.h2, 0);
        ASSERT_EQ(end - start, c.realSeconds) << c.zone;
        for (const UsageSlice& slice : Slices(r, start, end))
            EXPECT_GT(slice.seconds, 0) << c.zone << " " << c.mo;
        Charge(r, start, end);
        EXPECT_EQ(r.FrameTime[0] + r.FrameTime[1], c.realSeconds) << c.zone << " " << c.mo;
    }
}

TEST(NextSlice, NoSecondsAreCarriedPastMidnight)
{
    // Kathmandu is 5:45 ahead of UTC: its midnight is not a whole hour since
    // 1970, so carrying the unit remainder past midnight would drop 900 s.
    TOLVANE_REQUIRE_TZ("Asia/Kathmandu");
    TariffRecord r = StandardTariff();
    r.SecsPerUnit = 3600;
    r.Rounding = ROUNDING_TRUNCATE;
    r.Schedules[MON].clear();
    Charge(r, LocalInstant(2026, 3, 1, 23, 0), Mon(1, 0));
    EXPECT_EQ(r.FrameTime[0], 7200);
    EXPECT_NEAR(r.FrameCost[0], 0.10, 1e-12);
}

TEST(FinishTotals, MonthlyPrepaidCountsInFull)
{
    TariffRecord r = StandardTariff();
    r.PrepaidCharge = 10.0;
    r.PeriodicFee = 12.5;
    r.FrameCost = {7.25, 0.0};
    FinishTotals(r);
    EXPECT_DOUBLE_EQ(r.PrepaidUsed, 10.0);
    EXPECT_NEAR(r.Remainder, 2.75, 1e-12);
    EXPECT_EQ(r.RemainderTime, 3300);
    EXPECT_DOUBLE_EQ(r.AmountPayable, 12.5);

    r.FrameCharges[0] = 0.0;
    FinishTotals(r);
    EXPECT_EQ(r.RemainderTime, 0);
    r.FrameCharges[0] = 1e-9;  // a tiny charge caps the time instead of wrapping it
    FinishTotals(r);
    EXPECT_EQ(r.RemainderTime, 2147483647);
}

TEST(DailyPrepaid, OneAllowancePerCalendarDayAcrossSessions)
{
    const std::int64_t tue9 = LocalInstant(2026, 3, 3, 9, 0), sun23 = LocalInstant(2026, 3, 1, 23, 0);
    const struct {
        const char* what;
        int method, frame;
        double allowance, connect;
        int offsetsConnect;
        std::vector<std::pair<std::int64_t, std::int64_t>> sessions;
        double used;
    } cases[] = {
        {"0.60 and 0.70 on Monday share 1.00; Tuesday's 0.50 has its own, out of order", 1, 0, 1.0, 0, 0,
         {{Mon(19, 0), Mon(19, 12)}, {tue9, tue9 + 600}, {Mon(21, 0), Mon(21, 14)}}, 1.50},
        {"across midnight: 3.00 on Sunday, 3.00 on Monday", 1, 0, 0.5, 0, 0, {{sun23, Mon(1, 0)}}, 1.00},
        {"in frame only; frame 12 means frame 0", 2, 12, 5.0, 0, 0,
         {{Mon(9, 0), Mon(9, 10)}, {Mon(20, 0), Mon(20, 10)}}, 0.50},
        {"connection charge kept out", 1, 0, 10.0, 0.25, 0, {{Mon(20, 0), Mon(20, 10)}}, 0.50},
        {"connection charge offset", 1, 0, 10.0, 0.25, 1, {{Mon(20, 0), Mon(20, 10)}}, 0.75},
    };
    for (const auto& c : cases) {
        TariffRecord r = StandardTariff();
        r.PrepaidMethod = c.method, r.PrepaidFrame = c.frame, r.PrepaidCharge = c.allowance;
        r.ConnectCharge = c.connect, r.OffsetsConnectCharge = c.offsetsConnect;
        PrepaidDays shared;
        for (auto [start, end] : c.sessions)
            Charge(r, start, end, &shared);
        EXPECT_NEAR(r.PrepaidUsed, c.used, 1e-12) << c.what;
    }
}
