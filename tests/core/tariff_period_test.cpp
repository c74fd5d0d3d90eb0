// Billing periods: weekly, calendar month and billing day, in several zones.
#include <gtest/gtest.h>

#include <string>

#include "core/support.h"
#include "platform/localtime.h"
#include "tariff/tariff.h"

using testsupport::LocalInstant;

namespace {

struct Ymd {
    int year, month, day;  // month 1-12
};

std::string Show(const LocalTime& t)
{
    return FormatLocalTime("%Y-%m-%d %H:%M:%S", t) + (t.tm_isdst > 0 ? " DST" : "");
}

LocalTime Reference(Ymd d, int hour = 12)
{
    return ToLocalTime(LocalInstant(d.year, d.month, d.day, hour, 0, 0));
}

TariffRecord Monthly(int billingDate)
{
    TariffRecord r;
    r.PeriodToBill = PERIOD_MONTHLY;
    r.BillingDate = billingDate;
    return r;
}

TariffRecord Weekly()
{
    TariffRecord r;
    r.PeriodToBill = PERIOD_WEEKLY;
    return r;
}

// The shape every period must have, whatever the zone does.
void ExpectWellFormed(const TariffRecord& r, std::int64_t reference)
{
    EXPECT_LE(r.PeriodStart.time, reference) << Show(r.PeriodStart.localTime);
    EXPECT_GE(r.PeriodEnd.time, reference) << Show(r.PeriodEnd.localTime);
    EXPECT_EQ(ToLocalTime(r.PeriodStart.time), r.PeriodStart.localTime) << "start fields are not the normalised ones";
    EXPECT_EQ(ToLocalTime(r.PeriodEnd.time), r.PeriodEnd.localTime) << "end fields are not the normalised ones";
    EXPECT_EQ(r.PeriodStart.localTime.tm_hour * 3600 + r.PeriodStart.localTime.tm_min * 60 +
                  r.PeriodStart.localTime.tm_sec, 0)
        << Show(r.PeriodStart.localTime);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_hour * 3600 + r.PeriodEnd.localTime.tm_min * 60 + r.PeriodEnd.localTime.tm_sec,
              86399)
        << Show(r.PeriodEnd.localTime);
}

void ExpectPeriod(const TariffRecord& r, Ymd first, Ymd last)
{
    EXPECT_EQ(r.PeriodStart.time, LocalInstant(first.year, first.month, first.day, 0, 0, 0))
        << "start " << Show(r.PeriodStart.localTime);
    EXPECT_EQ(r.PeriodEnd.time, LocalInstant(last.year, last.month, last.day, 23, 59, 59))
        << "end " << Show(r.PeriodEnd.localTime);
    EXPECT_EQ(r.PeriodStart.localTime.tm_year + 1900, first.year);
    EXPECT_EQ(r.PeriodStart.localTime.tm_mon + 1, first.month);
    EXPECT_EQ(r.PeriodStart.localTime.tm_mday, first.day);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_year + 1900, last.year);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_mon + 1, last.month);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_mday, last.day);
}

struct PeriodCase {
    const char* what;
    int periodToBill;
    int billingDate;
    Ymd reference;
    Ymd first;
    Ymd last;
};

// 2026-03-01 is a Sunday; 2024 is a leap year.
const PeriodCase kPeriodCases[] = {
    {"weekly Sunday starts on its own day", 1, 0, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Monday", 1, 0, {2026, 3, 2}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Tuesday", 1, 0, {2026, 3, 3}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Wednesday", 1, 0, {2026, 3, 4}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Thursday", 1, 0, {2026, 3, 5}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Friday", 1, 0, {2026, 3, 6}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Saturday ends on its own day", 1, 0, {2026, 3, 7}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly across the year end", 1, 0, {2026, 12, 31}, {2026, 12, 27}, {2027, 1, 2}},
    {"weekly across month end into a leap day", 1, 0, {2024, 3, 1}, {2024, 2, 25}, {2024, 3, 2}},
    {"weekly ignores BillingDate", 1, 15, {2026, 3, 20}, {2026, 3, 15}, {2026, 3, 21}},
    {"calendar month, 31 December", 0, 0, {2026, 12, 31}, {2026, 12, 1}, {2026, 12, 31}},
    {"calendar month, 1 January", 0, 0, {2027, 1, 1}, {2027, 1, 1}, {2027, 1, 31}},
    {"calendar month, leap February", 0, 0, {2024, 2, 29}, {2024, 2, 1}, {2024, 2, 29}},
    {"calendar month, plain February", 0, 0, {2026, 2, 14}, {2026, 2, 1}, {2026, 2, 28}},
    {"calendar month, 30-day month end", 0, 0, {2026, 4, 30}, {2026, 4, 1}, {2026, 4, 30}},
    {"day 15, reference on the 15th", 0, 15, {2026, 3, 15}, {2026, 2, 16}, {2026, 3, 15}},
    {"day 15, reference on the 16th", 0, 15, {2026, 3, 16}, {2026, 3, 16}, {2026, 4, 15}},
    {"day 15 across the year end", 0, 15, {2026, 12, 20}, {2026, 12, 16}, {2027, 1, 15}},
    {"day 15 back into last year", 0, 15, {2027, 1, 3}, {2026, 12, 16}, {2027, 1, 15}},
    {"day 1 on the 1st", 0, 1, {2026, 1, 1}, {2025, 12, 2}, {2026, 1, 1}},
    {"day 1 on the 2nd", 0, 1, {2026, 1, 2}, {2026, 1, 2}, {2026, 2, 1}},
    {"day 28 in plain February", 0, 28, {2026, 2, 28}, {2026, 1, 29}, {2026, 2, 28}},
    {"day 28 after plain February", 0, 28, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 28}},
    {"day 28 in leap February", 0, 28, {2024, 2, 29}, {2024, 2, 29}, {2024, 3, 28}},
    {"day 29 in plain February", 0, 29, {2026, 2, 10}, {2026, 1, 30}, {2026, 2, 28}},
    {"day 29 after plain February", 0, 29, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 29}},
    {"day 29 in leap February", 0, 29, {2024, 2, 29}, {2024, 1, 30}, {2024, 2, 29}},
    {"day 29 after leap February", 0, 29, {2024, 3, 1}, {2024, 3, 1}, {2024, 3, 29}},
    {"day 30 in plain February", 0, 30, {2026, 2, 10}, {2026, 1, 31}, {2026, 2, 28}},
    {"day 30 on 31 January", 0, 30, {2026, 1, 31}, {2026, 1, 31}, {2026, 2, 28}},
    {"day 30 after plain February", 0, 30, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 30}},
    {"day 30 in leap February", 0, 30, {2024, 2, 29}, {2024, 1, 31}, {2024, 2, 29}},
    {"day 30 in a 30-day month", 0, 30, {2026, 4, 30}, {2026, 3, 31}, {2026, 4, 30}},
    {"day 30 after a 30-day month", 0, 30, {2026, 5, 1}, {2026, 5, 1}, {2026, 5, 30}},
    {"day 30 on a 31st", 0, 30, {2026, 5, 31}, {2026, 5, 31}, {2026, 6, 30}},
    {"day 30 on 31 December", 0, 30, {2026, 12, 31}, {2026, 12, 31}, {2027, 1, 30}},
};

void RunPeriodTable()
{
    for (const PeriodCase& c : kPeriodCases) {
        SCOPED_TRACE(c.what);
        TariffRecord r = c.periodToBill ? Weekly() : Monthly(c.billingDate);
        r.BillingDate = c.billingDate;
        const std::int64_t ref = LocalInstant(c.reference.year, c.reference.month, c.reference.day, 12, 0, 0);
        ASSERT_EQ(ComputeBillingPeriod(r, ToLocalTime(ref)), 0);
        ExpectPeriod(r, c.first, c.last);
        ExpectWellFormed(r, ref);
    }
}

TEST(BillingPeriod, ReferenceDatesInUtc)
{
    TOLVANE_REQUIRE_TZ("UTC");
    RunPeriodTable();
}

TEST(BillingPeriod, ReferenceDatesInLondon)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    RunPeriodTable();
}

TEST(BillingPeriod, ReferenceDatesInNewYork)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    RunPeriodTable();
}

TEST(BillingPeriod, ReferenceDatesInTheMachineZone)
{
    // Under Wine this is the only zone there is.
    RunPeriodTable();
}

// A reference at either end of its day belongs to that day's period.
TEST(BillingPeriod, FirstAndLastSecondOfTheDay)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    for (int second : {0, 86399}) {
        const std::int64_t ref = LocalInstant(2026, 3, 15, 0, 0, 0) + second;
        TariffRecord r = Monthly(15);
        ComputeBillingPeriod(r, ToLocalTime(ref));
        ExpectPeriod(r, {2026, 2, 16}, {2026, 3, 15});
    }
}

// Fields that were never normalised (weekday unset, hour past the day) still
// name the right day: weekly periods must not trust tm_wday.
TEST(BillingPeriod, UnnormalisedReferenceFields)
{
    TOLVANE_REQUIRE_TZ("UTC");
    LocalTime wednesday;
    wednesday.tm_year = 126;
    wednesday.tm_mon = 2;
    wednesday.tm_mday = 4;
    wednesday.tm_wday = 0;
    TariffRecord r = Weekly();
    ComputeBillingPeriod(r, wednesday);
    ExpectPeriod(r, {2026, 3, 1}, {2026, 3, 7});

    LocalTime pastMidnight = wednesday;  // day 0 of April, hour 27: 1 April 03:00
    pastMidnight.tm_mday = 0;
    pastMidnight.tm_mon = 3;
    pastMidnight.tm_hour = 27;
    r = Monthly(30);
    ComputeBillingPeriod(r, pastMidnight);
    ExpectPeriod(r, {2026, 3, 31}, {2026, 4, 30});
}

struct DstCase {
    const char* zone;
    int periodToBill;
    int billingDate;
    Ymd reference;
    Ymd first;
    Ymd last;
    std::int64_t seconds;  // length of the period
    int startDst, endDst;
};

const DstCase kDstCases[] = {
    // London 2026: clocks go forward 29 March 01:00, back 25 October 02:00.
    {"Europe/London", 0, 0, {2026, 3, 15}, {2026, 3, 1}, {2026, 3, 31}, 31 * 86400 - 3600, 0, 1},
    {"Europe/London", 0, 0, {2026, 10, 30}, {2026, 10, 1}, {2026, 10, 31}, 31 * 86400 + 3600, 1, 0},
    {"Europe/London", 1, 0, {2026, 3, 29}, {2026, 3, 29}, {2026, 4, 4}, 7 * 86400 - 3600, 0, 1},
    {"Europe/London", 1, 0, {2026, 10, 25}, {2026, 10, 25}, {2026, 10, 31}, 7 * 86400 + 3600, 1, 0},
    {"Europe/London", 0, 20, {2026, 4, 1}, {2026, 3, 21}, {2026, 4, 20}, 31 * 86400 - 3600, 0, 1},
    // New York 2026: forward 8 March 02:00, back 1 November 02:00.
    {"America/New_York", 0, 0, {2026, 3, 8}, {2026, 3, 1}, {2026, 3, 31}, 31 * 86400 - 3600, 0, 1},
    {"America/New_York", 0, 0, {2026, 11, 1}, {2026, 11, 1}, {2026, 11, 30}, 30 * 86400 + 3600, 1, 0},
    {"America/New_York", 1, 0, {2026, 3, 10}, {2026, 3, 8}, {2026, 3, 14}, 7 * 86400 - 3600, 0, 1},
    {"America/New_York", 1, 0, {2026, 11, 7}, {2026, 11, 1}, {2026, 11, 7}, 7 * 86400 + 3600, 1, 0},
    {"America/New_York", 0, 5, {2026, 11, 5}, {2026, 10, 6}, {2026, 11, 5}, 31 * 86400 + 3600, 1, 0},
};

TEST(BillingPeriod, SpansDaylightSavingChanges)
{
    for (const DstCase& c : kDstCases) {
        TOLVANE_REQUIRE_TZ(c.zone);
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.reference.month) + "/" +
                     std::to_string(c.reference.day));
        TariffRecord r = c.periodToBill ? Weekly() : Monthly(c.billingDate);
        const std::int64_t ref = LocalInstant(c.reference.year, c.reference.month, c.reference.day, 12, 0, 0);
        ComputeBillingPeriod(r, ToLocalTime(ref));
        ExpectPeriod(r, c.first, c.last);
        ExpectWellFormed(r, ref);
        EXPECT_EQ(r.PeriodEnd.time - r.PeriodStart.time + 1, c.seconds);
        EXPECT_EQ(r.PeriodStart.localTime.tm_isdst > 0 ? 1 : 0, c.startDst);
        EXPECT_EQ(r.PeriodEnd.localTime.tm_isdst > 0 ? 1 : 0, c.endDst);
    }
}

// Over two whole years, for every kind of period: each day's period contains
// it, starts at 00:00:00, ends at 23:59:59, and the next period begins one
// second after it ends (periods tile without gaps or overlaps).
void ExpectPeriodsTile()
{
    for (int kind = -1; kind <= MAX_BILLING_DATE; ++kind) {
        TariffRecord r = kind < 0 ? Weekly() : Monthly(kind);
        std::int64_t previousStart = 0, previousEnd = 0;
        for (int day = 0; day < 731; ++day) {
            const std::int64_t ref = LocalInstant(2024, 1, 1 + day, 12, 0, 0);
            ASSERT_EQ(ComputeBillingPeriod(r, ToLocalTime(ref)), 0);
            if (day > 0 && r.PeriodStart.time != previousStart) {
                ASSERT_EQ(r.PeriodStart.time, previousEnd + 1)
                    << "kind " << kind << " day " << day << " " << Show(r.PeriodStart.localTime);
            } else if (day > 0) {
                ASSERT_EQ(r.PeriodEnd.time, previousEnd) << "kind " << kind << " day " << day;
            }
            ASSERT_LE(r.PeriodStart.time, ref) << "kind " << kind << " day " << day;
            ASSERT_GE(r.PeriodEnd.time, ref) << "kind " << kind << " day " << day;
            ASSERT_EQ(r.PeriodStart.localTime.tm_hour + r.PeriodStart.localTime.tm_min + r.PeriodStart.localTime.tm_sec,
                      0);
            ASSERT_EQ(r.PeriodEnd.localTime.tm_hour, 23);
            ASSERT_EQ(r.PeriodEnd.localTime.tm_sec, 59);
            previousStart = r.PeriodStart.time;
            previousEnd = r.PeriodEnd.time;
        }
    }
}

TEST(BillingPeriod, PeriodsTileInLondon)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    ExpectPeriodsTile();
}

TEST(BillingPeriod, PeriodsTileInNewYork)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    ExpectPeriodsTile();
}

TEST(BillingPeriod, PeriodsTileInLordHowe)
{
    TOLVANE_REQUIRE_TZ("Australia/Lord_Howe");  // a 30-minute shift
    ExpectPeriodsTile();
}

TEST(BillingPeriod, PeriodsTileInTheMachineZone)
{
    ExpectPeriodsTile();
}

// Brazil used to start summer time at midnight, so 00:00:00 of that day did
// not exist; the period still starts at the first second of the day.
TEST(BillingPeriod, DayWithoutMidnight)
{
    TOLVANE_REQUIRE_TZ("America/Sao_Paulo");
    TariffRecord r = Monthly(3);  // 4 November 2018 had no 00:00:00
    ComputeBillingPeriod(r, Reference({2018, 11, 10}));
    EXPECT_EQ(r.PeriodStart.localTime.tm_mday, 4);
    EXPECT_EQ(r.PeriodStart.localTime.tm_mon, 10);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_mday, 3);
    EXPECT_EQ(r.PeriodEnd.localTime.tm_mon, 11);
    EXPECT_LE(r.PeriodStart.time, r.PeriodEnd.time);

    TariffRecord before = Monthly(3);
    ComputeBillingPeriod(before, Reference({2018, 10, 20}));
    EXPECT_EQ(before.PeriodEnd.time + 1, r.PeriodStart.time);
}

TEST(TariffModel, FreeTariffLeavesAnEmptyRecord)
{
    TariffRecord r;
    r.Id = 4;
    r.Description = "Dial";
    r.NumFrames = 2;
    r.FrameCharges = {0.1, 0.2};
    r.FrameNames = {"A", "B"};
    r.Schedules[3].resize(4);
    r.DayExceptions.resize(2);
    r.FrameCost = {1.0, 2.0};
    r.FrameTime = {5, 6};
    r.Connections = 3;
    FreeTariff(r);
    EXPECT_EQ(r.Id, 0);
    EXPECT_TRUE(r.Description.empty());
    EXPECT_EQ(r.NumFrames, 0);
    EXPECT_TRUE(r.FrameCharges.empty() && r.FrameNames.empty() && r.FrameCost.empty() && r.FrameTime.empty());
    EXPECT_TRUE(r.Schedules[3].empty());
    EXPECT_TRUE(r.DayExceptions.empty());
    EXPECT_EQ(r.Connections, 0);

    TariffTable t;
    t.Isps.resize(3);
    t.Phone.Description = "Phone";
    FreeTariffTable(t);
    EXPECT_TRUE(t.Isps.empty());
    EXPECT_TRUE(t.Phone.Description.empty());
}

TEST(TariffModel, FindByIdTakesTheFirstAndNeverThePhone)
{
    TariffTable t;
    t.Isps.resize(3);
    t.Isps[0].Id = 3;
    t.Isps[1].Id = 1;
    t.Isps[2].Id = 3;
    t.Isps[2].Description = "second";
    EXPECT_EQ(FindTariffById(t, 3), &t.Isps[0]);
    EXPECT_EQ(FindTariffById(t, 1), &t.Isps[1]);
    EXPECT_EQ(FindTariffById(t, 0), nullptr);  // the Phone record's Id
    EXPECT_EQ(FindTariffById(t, 9), nullptr);
}

TEST(TariffModel, OutOfRangeFrameIndicesFallBackToZero)
{
    TariffRecord r;
    r.NumFrames = 2;
    r.FrameCharges = {0.1, 0.2};
    r.FrameCost = {0, 0};
    r.FrameTime = {0, 0};
    EXPECT_EQ(UsableFrame(r, 1), 1);
    EXPECT_EQ(UsableFrame(r, 2), 0);
    EXPECT_EQ(UsableFrame(r, -1), 0);
    EXPECT_EQ(UsableFrame(r, 2000000000), 0);
    r.NumFrames = 5;  // a count that the arrays do not back
    EXPECT_EQ(UsableFrame(r, 3), 0);
}

} // namespace
