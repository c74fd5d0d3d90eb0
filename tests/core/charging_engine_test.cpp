// The charging engine on tariffs built in memory: rounding, slicing at
// schedule boundaries and midnight, daylight saving, charges, prepaid and
// totals.

#include "core/charging_support.h"

using namespace chargingtest;

namespace {

// A Monday and the next day.
std::int64_t Mon(int h, int m, int s = 0) { return LocalInstant(2026, 3, 2, h, m, s); }
std::int64_t Tue(int h, int m, int s = 0) { return LocalInstant(2026, 3, 3, h, m, s); }

using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;  // seconds, frame

// Every slice of a session, in order.
Pairs Slices(const TariffRecord& r, std::int64_t start, std::int64_t end)
{
    TariffInstant position{start, ToLocalTime(start)};
    const TariffInstant stop{end, ToLocalTime(end)};
    Pairs out;
    UsageSlice slice;
    while (out.size() <= 10000 && NextSlice(r, position, stop, slice))  // a runaway would otherwise never end
        out.emplace_back(slice.seconds, slice.frame);
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
    r.FrameCharges = r.FrameCost = {0, 0, 0};  // the slices need only the count
    r.FrameTime = {0, 0, 0};
    r.FrameForExceptions = 2;
    // Wednesday 2026-03-04; 2 February is no Monday 2 March.
    r.DayExceptions = {{0, 0, 0}, {126, 2, 4}, {126, 1, 2}};
    r.NumExceptions = 3;
    r.Schedules[MON] = {{8, 0, 0, 11, 59, 59, 1}, {10, 0, 0, 13, 59, 59, 2}, {20, 0, 0, 23, 59, 59, 1}};
    r.Schedules[TUE] = {{0, 0, 0, 5, 59, 59, 1}};
    const std::int64_t wed = LocalInstant(2026, 3, 4);
    const struct { const char* what; std::int64_t start, end; Pairs slices; } cases[] = {
        {"through overlapping entries: the first in order wins", Mon(7, 0), Mon(15, 0),
         {{3600, 0}, {14400, 1}, {7200, 2}, {3600, 0}}},
        {"ends on the entry's last second", Mon(13, 0), Mon(13, 59, 59), {{3599, 2}}},
        {"a day without entries, then into an entry", LocalInstant(2026, 3, 1, 22, 0), Mon(9, 0),
         {{7200, 0}, {28800, 0}, {3600, 1}}},
        {"entry to midnight, then Tuesday's entry from midnight", Mon(22, 0), Tue(7, 0),
         {{7200, 1}, {21600, 1}, {3600, 0}}},
        {"an exception day is all in its frame", wed - 3600, wed + 86400 + 3600, {{3600, 0}, {86400, 2}, {3600, 0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Slices(r, c.start, c.end), c.slices) << c.what;
}

// Every second of a day with a clock change is charged once; and no unit
// remainder is carried past a midnight that is no whole hour since 1970
// (Kathmandu is 5:45 ahead of UTC), which would drop 900 s.
TEST(NextSlice, ClockChangesAndOddMidnightsChargeEverySecond)
{
    const struct {
        const char* zone;
        int mo, d, h1, h2;  // 2026: from h1 the day before to h2 on the day
        std::int32_t unit, charged;
    } cases[] = {
        {"Europe/London", 3, 29, 23, 3, 1, 3 * 3600},              // 01:00 GMT -> 02:00 BST
        {"Europe/London", 10, 25, 23, 3, 1, 5 * 3600},             // 02:00 BST -> 01:00 GMT
        {"Australia/Lord_Howe", 4, 5, 23, 3, 1, 4 * 3600 + 1800},  // half an hour back
        {"Asia/Kathmandu", 3, 2, 23, 1, 3600, 7200},
    };
    for (const auto& c : cases) {
        TOLVANE_REQUIRE_TZ(c.zone);
        TariffRecord r = StandardTariff();
        r.SecsPerUnit = c.unit;
        r.Rounding = ROUNDING_TRUNCATE;
        // Sundays: peak entries on both sides of the change.
        r.Schedules[SUN] = {{0, 30, 0, 1, 29, 59, 1}, {2, 30, 0, 2, 59, 59, 1}};
        const std::int64_t start = LocalInstant(2026, c.mo, c.d - 1, c.h1, 0);
        const std::int64_t end = LocalInstant(2026, c.mo, c.d, c.h2, 0);
        for (auto [seconds, frame] : Slices(r, start, end))
            EXPECT_GT(seconds, 0) << c.zone << " " << c.mo;
        Charge(r, start, end);
        EXPECT_EQ(r.FrameTime[0] + r.FrameTime[1], c.charged) << c.zone << " " << c.mo;
    }
}

// The standard tariff changed by a row, its sessions charged with one daily
// allowance state and the totals finished.
TEST(ChargeSession, TotalsOfTheTariffsOptions)
{
    using Sessions = std::vector<std::pair<std::int64_t, std::int64_t>>;
    const struct {
        const char* what;
        void (*change)(TariffRecord&);
        Sessions sessions;
        const char* summary;
    } cases[] = {
        {"minimum charge", [](TariffRecord& r) { r.MinCharge = 0.5; }, {{Mon(20, 0), Mon(20, 0, 10)}},
         "Off 00:01:00 0.50, 0.50 0.00 -0.50 00:10:00 0.50 1 00:01:00"},
        {"accumulated before rounding", [](TariffRecord& r) { r.AccumulateBeforeRounding = 1; },
         {{Tue(20, 0), Tue(20, 0, 30)}, {Tue(20, 1), Tue(20, 1, 30)}, {Tue(20, 2), Tue(20, 2, 30)}},
         "Off 00:02:00 0.10, 0.10 0.00 -0.10 00:02:00 0.10 3 00:01:00"},
        {"a zero-length session is no connection", [](TariffRecord&) {},
         {{Tue(10, 0), Tue(10, 1, 1)}, {Tue(11, 0), Tue(11, 0)}},
         "Off 00:02:00 0.10, 0.10 0.00 -0.10 00:02:00 0.10 1 00:00:00"},
        {"frames out of range are frame 0",
         [](TariffRecord& r) {
             r.NumFrames = 3;  // one more than the arrays hold
             r.DefaultFrame = 9;
             r.FrameForExceptions = -3;
             r.Schedules[MON] = {{8, 0, 0, 8, 59, 59, 2}, {9, 0, 0, 17, 59, 59, 5}};
             r.DayExceptions = {DayExceptionEntry{126, 2, 3}};  // Tuesday
             r.NumExceptions = 1;
         },
         {{Mon(7, 0), Tue(9, 0)}}, "Off 26:00:00 78.00, 78.00 0.00 -78.00 26:00:00 78.00 1 26:00:00"},
        {"monthly prepaid counts in full; the fee is payable",
         [](TariffRecord& r) { r.PrepaidCharge = 10.0, r.PeriodicFee = 12.5; }, {{Mon(19, 0), Mon(21, 25)}},
         "Off 02:25:00 7.25, 7.25 10.00 2.75 00:55:00 12.50 1 02:25:00"},
        {"no remainder time at no charge", [](TariffRecord& r) { r.PrepaidCharge = 10.0, r.FrameCharges[0] = 0; }, {},
         "0.00 10.00 10.00 00:00:00 0.00 0 00:00:00"},
        {"a tiny charge caps the time", [](TariffRecord& r) { r.PrepaidCharge = 10.0, r.FrameCharges[0] = 1e-9; }, {},
         "0.00 10.00 10.00 596523:14:07 0.00 0 00:00:00"},
        {"daily: Monday's 0.60 and 0.70 share 1.00, Tuesday's 0.50 has its own, out of order",
         [](TariffRecord& r) { r.PrepaidMethod = PREPAID_OFFSET_DAILY, r.PrepaidCharge = 1.0; },
         {{Mon(19, 0), Mon(19, 12)}, {Tue(9, 0), Tue(9, 10)}, {Mon(21, 0), Mon(21, 14)}},
         "Off 00:36:00 1.80, 1.80 1.50 -0.30 00:06:00 0.30 3 00:14:00"},
        {"daily across midnight: 0.50 on Sunday, 0.50 on Monday",
         [](TariffRecord& r) { r.PrepaidMethod = PREPAID_OFFSET_DAILY, r.PrepaidCharge = 0.5; },
         {{LocalInstant(2026, 3, 1, 23, 0), Mon(1, 0)}}, "Off 02:00:00 6.00, 6.00 1.00 -5.00 01:40:00 5.00 1 02:00:00"},
        {"daily in frame only; frame 12 means frame 0",
         [](TariffRecord& r) { r.PrepaidMethod = PREPAID_DAILY_IN_FRAME, r.PrepaidFrame = 12, r.PrepaidCharge = 5.0; },
         {{Mon(9, 0), Mon(9, 10)}, {Mon(20, 0), Mon(20, 10)}},
         "Off 00:10:00 0.50, Peak 00:10:00 1.00, 1.50 0.50 -1.00 00:20:00 1.00 2 00:10:00"},
        {"daily: a connection charge on every slice, kept out",
         [](TariffRecord& r) { r.PrepaidMethod = PREPAID_OFFSET_DAILY, r.PrepaidCharge = 10, r.ConnectCharge = 0.25; },
         {{Mon(17, 30), Mon(18, 30)}},
         "Off 00:30:00 1.75, Peak 00:30:00 3.25, 5.00 4.50 -0.50 00:10:00 0.50 1 01:00:00"},
        {"daily: the connection charge offset",
         [](TariffRecord& r) {
             r.PrepaidMethod = PREPAID_OFFSET_DAILY, r.PrepaidCharge = 10.0, r.ConnectCharge = 0.25;
             r.OffsetsConnectCharge = 1;
         },
         {{Mon(20, 0), Mon(20, 10)}}, "Off 00:10:00 0.75, 0.75 0.75 0.00 00:00:00 0.00 1 00:10:00"},
    };
    for (const auto& c : cases) {
        TariffRecord r = StandardTariff();
        c.change(r);
        PrepaidDays days;
        for (auto [start, end] : c.sessions)
            Charge(r, start, end, &days);
        FinishTotals(r);
        EXPECT_EQ(Summary(r), c.summary) << c.what;
    }
}
