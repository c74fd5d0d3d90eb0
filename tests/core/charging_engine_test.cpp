// The charging engine on tariffs built in memory: rounding, slicing at
// schedule boundaries and midnight, charges, prepaid and the final totals.
#include <gtest/gtest.h>

#include <numeric>

#include "core/charging_support.h"

using namespace chargingtest;

namespace {

std::int64_t Mon(int h, int m, int s = 0)
{
    return LocalInstant(2026, 3, 2, h, m, s);  // a Monday
}

std::int32_t TotalSeconds(const std::vector<UsageSlice>& slices)
{
    return std::accumulate(slices.begin(), slices.end(), 0, [](int a, const UsageSlice& s) { return a + s.seconds; });
}

} // namespace

TEST(RoundUnits, EveryModeAtSeveralUnitLengths)
{
    struct Case {
        std::int32_t seconds, unit, mode, expected;
    };
    const Case cases[] = {
        // unit 1: nothing to round
        {0, 1, 0, 0}, {61, 1, 0, 61}, {61, 1, 1, 61}, {61, 1, 2, 61},
        // unit 60
        {0, 60, 0, 0}, {60, 60, 0, 60}, {61, 60, 0, 120}, {1, 60, 0, 60},
        {90, 60, 1, 60}, {91, 60, 1, 120}, {30, 60, 1, 0}, {31, 60, 1, 60},
        {119, 60, 2, 60}, {59, 60, 2, 0}, {120, 60, 2, 120},
        // unit 61: half is 30 by whole division
        {91, 61, 1, 61}, {92, 61, 1, 122}, {62, 61, 0, 122}, {121, 61, 2, 61},
        // unit 90
        {45, 90, 1, 0}, {46, 90, 1, 90}, {91, 90, 0, 180}, {179, 90, 2, 90},
        // an unknown mode leaves the value alone
        {61, 60, 7, 61},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundUnits(c.seconds, c.unit, c.mode), c.expected)
            << c.seconds << " s, unit " << c.unit << ", mode " << c.mode;
}

TEST(RoundUnits, NoOverflowNearTheTop)
{
    EXPECT_EQ(RoundUnits(2147483647, 60, 0), 2147483647);
    EXPECT_EQ(RoundUnits(100, 0, 0), 100);  // a unit below 1 charges seconds
}

TEST(SplitSeconds, HoursAreUnbounded)
{
    struct Case {
        std::int32_t seconds, h, m, s;
    };
    const Case cases[] = {{0, 0, 0, 0},         {59, 0, 0, 59},        {60, 0, 1, 0},    {3599, 0, 59, 59},
                          {3600, 1, 0, 0},      {45296, 12, 34, 56},   {360000, 100, 0, 0}, {-3723, 1, 2, 3}};
    for (const Case& c : cases) {
        SplitTime t = SplitSeconds(c.seconds);
        EXPECT_EQ(t.hours, c.h) << c.seconds;
        EXPECT_EQ(t.minutes, c.m) << c.seconds;
        EXPECT_EQ(t.seconds, c.s) << c.seconds;
    }
}

TEST(NextSlice, CutsAtScheduleBoundariesAndMidnight)
{
    TariffRecord overlap = StandardTariff();
    overlap.NumFrames = 3;
    overlap.FrameCharges = {0.05, 0.10, 0.20};
    overlap.FrameNames = {"A", "B", "C"};
    overlap.FrameCost.assign(3, 0.0);
    overlap.FrameTime.assign(3, 0);
    overlap.Schedules[MON] = {Entry(8, 0, 0, 11, 59, 59, 1), Entry(10, 0, 0, 13, 59, 59, 2)};
    TariffRecord lateEntry = StandardTariff();
    lateEntry.Schedules[MON] = {Entry(20, 0, 0, 23, 59, 59, 1)};
    lateEntry.Schedules[TUE] = {Entry(0, 0, 0, 5, 59, 59, 1)};

    struct Case {
        const char* what;
        const TariffRecord* tariff;
        std::int64_t start, end;
        std::vector<std::pair<std::int32_t, std::int32_t>> slices;  // seconds, frame
    };
    const TariffRecord standard = StandardTariff();
    const Case cases[] = {
        {"across the end of the peak entry", &standard, Mon(17, 30), Mon(18, 30), {{1800, 1}, {1800, 0}}},
        {"into the peak entry", &standard, Mon(7, 30), Mon(8, 30), {{1800, 0}, {1800, 1}}},
        {"over the whole entry", &standard, Mon(7, 0), Mon(19, 0), {{3600, 0}, {36000, 1}, {3600, 0}}},
        {"ends on the entry's last second", &standard, Mon(17, 0), Mon(17, 59, 59), {{3599, 1}}},
        {"Sunday night into Monday", &standard, LocalInstant(2026, 3, 1, 23, 50), Mon(0, 10), {{600, 0}, {600, 0}}},
        {"overlapping entries: the first in order wins", &overlap, Mon(9, 0), Mon(15, 0),
         {{10800, 1}, {7200, 2}, {3600, 0}}},
        {"entry to midnight, then Tuesday's entry from midnight", &lateEntry, Mon(22, 0),
         LocalInstant(2026, 3, 3, 7, 0), {{7200, 1}, {21600, 1}, {3600, 0}}},
        {"several days", &standard, LocalInstant(2026, 2, 28, 22, 0), LocalInstant(2026, 3, 3, 1, 0),
         {{7200, 0}, {86400, 0}, {28800, 0}, {36000, 1}, {21600, 0}, {3600, 0}}},
        {"zero length", &standard, Mon(9, 0), Mon(9, 0), {}},
    };
    for (const Case& c : cases) {
        std::vector<UsageSlice> got = Slices(*c.tariff, c.start, c.end);
        std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
        for (const UsageSlice& s : got)
            pairs.emplace_back(s.seconds, s.frame);
        EXPECT_EQ(pairs, c.slices) << c.what;
    }
}

TEST(NextSlice, ExceptionDayUsesItsFrameAllDay)
{
    TariffRecord r = StandardTariff();
    r.NumFrames = 3;
    r.FrameCharges = {0.05, 0.10, 0.01};
    r.FrameNames = {"Off", "Peak", "Holiday"};
    r.FrameCost.assign(3, 0.0);
    r.FrameTime.assign(3, 0);
    r.FrameForExceptions = 2;
    r.DayExceptions = {DayExceptionEntry{0, 0, 0}, DayExceptionEntry{126, 2, 2}};  // 2026-03-02
    r.NumExceptions = 2;
    std::vector<UsageSlice> s = Slices(r, Mon(7, 0), LocalInstant(2026, 3, 3, 9, 0));
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].seconds, 17 * 3600);
    EXPECT_EQ(s[0].frame, 2);
    EXPECT_EQ(s[1].seconds, 9 * 3600);  // Tuesday has no entries: default frame
    EXPECT_EQ(s[1].frame, 0);
}

TEST(NextSlice, OutOfRangeFramesFallBackToFrameZero)
{
    TariffRecord r = StandardTariff();
    r.DefaultFrame = 9;
    r.FrameForExceptions = -3;
    r.Schedules[MON] = {Entry(8, 0, 0, 17, 59, 59, 5)};
    r.DayExceptions = {DayExceptionEntry{126, 2, 3}};  // Tuesday
    r.NumExceptions = 1;
    for (const UsageSlice& s : Slices(r, Mon(7, 0), LocalInstant(2026, 3, 3, 9, 0)))
        EXPECT_EQ(s.frame, 0);
    Charge(r, Mon(7, 0), Mon(9, 0));
    FinishTotals(r);
    EXPECT_EQ(r.FrameTime[0], 7200);
    EXPECT_EQ(r.RemainderTime, static_cast<std::int32_t>(60 * r.TotalFrameCost / 0.05));
}

TEST(NextSlice, DaylightSavingChangesChargeEverySecond)
{
    struct Case {
        const char* zone;
        int y, mo, d, h1, h2;  // a session from h1 the day before to h2 on the day of the change
        std::int32_t realSeconds;
    };
    const Case cases[] = {
        {"Europe/London", 2026, 3, 29, 23, 3, 3 * 3600},      // 01:00 GMT -> 02:00 BST
        {"Europe/London", 2026, 10, 25, 23, 3, 5 * 3600},     // 02:00 BST -> 01:00 GMT
        {"America/New_York", 2026, 3, 8, 22, 4, 5 * 3600},    // 02:00 EST -> 03:00 EDT
        {"America/New_York", 2026, 11, 1, 22, 4, 7 * 3600},   // 02:00 EDT -> 01:00 EST
        {"Australia/Lord_Howe", 2026, 4, 5, 23, 3, 4 * 3600 + 1800},  // half-hour shift back
    };
    for (const Case& c : cases) {
        testsupport::ScopedTimeZone tz(c.zone);
        if (!tz.ok())
            GTEST_SKIP() << "named time zones are not available on this platform";
        TariffRecord r = StandardTariff();
        // Sundays: a peak entry across the change, default around it.
        r.Schedules[SUN] = {Entry(0, 30, 0, 1, 29, 59, 1), Entry(2, 30, 0, 2, 59, 59, 1)};
        const std::int64_t start = LocalInstant(c.y, c.mo, c.d - 1, c.h1, 0);
        const std::int64_t end = LocalInstant(c.y, c.mo, c.d, c.h2, 0);
        ASSERT_EQ(end - start, c.realSeconds) << c.zone;
        std::vector<UsageSlice> s = Slices(r, start, end);
        EXPECT_EQ(TotalSeconds(s), c.realSeconds) << c.zone << " " << c.mo;
        for (const UsageSlice& slice : s)
            EXPECT_GT(slice.seconds, 0) << c.zone << " " << c.mo;
        TariffRecord charged = StandardTariff();
        charged.SecsPerUnit = 1;
        charged.Schedules = r.Schedules;
        Charge(charged, start, end);
        EXPECT_EQ(charged.FrameTime[0] + charged.FrameTime[1], c.realSeconds) << c.zone << " " << c.mo;
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

    // A tiny default charge caps the time instead of wrapping it.
    r.FrameCharges[0] = 1e-9;
    FinishTotals(r);
    EXPECT_EQ(r.RemainderTime, 2147483647);
}

TEST(DailyPrepaid, EachDayHasItsOwnAllowance)
{
    // 0.60 and 0.70 on Monday share one allowance of 1.00; Tuesday has a
    // fresh one, even when the sessions come out of order.
    TariffRecord d = StandardTariff();
    d.PrepaidMethod = PREPAID_OFFSET_DAILY;
    d.PrepaidCharge = 1.00;
    PrepaidDays shared;
    Charge(d, Mon(19, 0), Mon(19, 12), shared);
    Charge(d, LocalInstant(2026, 3, 3, 9, 0), LocalInstant(2026, 3, 3, 9, 10), shared);
    Charge(d, Mon(21, 0), Mon(21, 14), shared);
    EXPECT_NEAR(d.PrepaidUsed, 1.50, 1e-12);
    FinishTotals(d);
    EXPECT_NEAR(d.Remainder, -0.30, 1e-12);
}
TEST(DailyPrepaid, SessionAcrossMidnightDrawsOnBothDays)
{
    TariffRecord r = StandardTariff();
    r.PrepaidMethod = PREPAID_OFFSET_DAILY;
    r.PrepaidCharge = 0.50;
    Charge(r, LocalInstant(2026, 3, 1, 23, 0), Mon(1, 0));  // 3.00 on Sunday, 3.00 on Monday
    EXPECT_NEAR(r.PrepaidUsed, 1.00, 1e-12);
}

TEST(DailyPrepaid, OutOfRangePrepaidFrameMeansFrameZero)
{
    TariffRecord r = StandardTariff();
    r.PrepaidMethod = PREPAID_DAILY_IN_FRAME;
    r.PrepaidFrame = 12;
    r.PrepaidCharge = 5.00;
    Charge(r, Mon(9, 0), Mon(9, 10));  // frame 1: not offset
    EXPECT_DOUBLE_EQ(r.PrepaidUsed, 0.0);
    Charge(r, Mon(20, 0), Mon(20, 10));  // frame 0: 0.50
    EXPECT_NEAR(r.PrepaidUsed, 0.50, 1e-12);
}

TEST(DailyPrepaid, ConnectionChargeOffsetOnlyWhenAllowed)
{
    for (int offsets : {0, 1}) {
        TariffRecord r = StandardTariff();
        r.PrepaidMethod = PREPAID_OFFSET_DAILY;
        r.PrepaidCharge = 10.0;
        r.ConnectCharge = 0.25;
        r.OffsetsConnectCharge = offsets;
        Charge(r, Mon(20, 0), Mon(20, 10));  // 0.50 + 0.25
        EXPECT_NEAR(r.PrepaidUsed, offsets ? 0.75 : 0.50, 1e-12);
        EXPECT_NEAR(r.FrameCost[0], 0.75, 1e-12);
    }
}
