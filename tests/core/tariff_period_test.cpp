// Billing periods: weekly, calendar month and billing day, at month and
// year ends, and across daylight-saving changes.

#include "core/support.h"
#include "platform/localtime.h"
#include "tariff/tariff.h"

using testsupport::LocalInstant;

namespace {

struct Ymd { int year, month, day; };  // month 1-12

TariffRecord PeriodAt(int periodToBill, int billingDate, const LocalTime& reference)
{
    TariffRecord r;
    r.PeriodToBill = periodToBill;
    r.BillingDate = billingDate;
    EXPECT_EQ(ComputeBillingPeriod(r, reference), 0);
    return r;
}

// The period runs from the first day's 00:00:00 to the last day's 23:59:59,
// holds the normalised fields of those instants, and its neighbours begin
// and end exactly next to it.
void ExpectPeriod(const TariffRecord& r, Ymd first, Ymd last)
{
    EXPECT_EQ(r.PeriodStart.time, LocalInstant(first.year, first.month, first.day, 0, 0, 0));
    EXPECT_EQ(r.PeriodEnd.time, LocalInstant(last.year, last.month, last.day, 23, 59, 59));
    EXPECT_EQ(ToLocalTime(r.PeriodStart.time), r.PeriodStart.localTime);
    EXPECT_EQ(ToLocalTime(r.PeriodEnd.time), r.PeriodEnd.localTime);
    const auto around = [&](std::int64_t t) { return PeriodAt(r.PeriodToBill, r.BillingDate, ToLocalTime(t)); };
    EXPECT_EQ(around(r.PeriodStart.time - 1).PeriodEnd.time, r.PeriodStart.time - 1);
    EXPECT_EQ(around(r.PeriodEnd.time + 1).PeriodStart.time, r.PeriodEnd.time + 1);
}

// 2026-03-01 is a Sunday; 2024 is a leap year.
struct PeriodCase { const char* what; int periodToBill, billingDate; Ymd reference, first, last; };
const PeriodCase kPeriodCases[] = {
    {"weekly Sunday starts on its own day", 1, 0, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Saturday ends on its own day", 1, 0, {2026, 3, 7}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly across the year end", 1, 0, {2026, 12, 31}, {2026, 12, 27}, {2027, 1, 2}},
    {"weekly ignores BillingDate", 1, 15, {2026, 3, 20}, {2026, 3, 15}, {2026, 3, 21}},
    {"calendar month, 31 December", 0, 0, {2026, 12, 31}, {2026, 12, 1}, {2026, 12, 31}},
    {"calendar month, leap February", 0, 0, {2024, 2, 29}, {2024, 2, 1}, {2024, 2, 29}},
    {"day 15, reference on the 15th", 0, 15, {2026, 3, 15}, {2026, 2, 16}, {2026, 3, 15}},
    {"day 15, reference on the 16th", 0, 15, {2026, 3, 16}, {2026, 3, 16}, {2026, 4, 15}},
    {"day 15 back into last year", 0, 15, {2027, 1, 3}, {2026, 12, 16}, {2027, 1, 15}},
    {"day 1 on the 1st", 0, 1, {2026, 1, 1}, {2025, 12, 2}, {2026, 1, 1}},
    {"day 28 in leap February", 0, 28, {2024, 2, 29}, {2024, 2, 29}, {2024, 3, 28}},
    {"day 29 in plain February", 0, 29, {2026, 2, 10}, {2026, 1, 30}, {2026, 2, 28}},
    {"day 29 after plain February", 0, 29, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 29}},
    {"day 30 on 31 January", 0, 30, {2026, 1, 31}, {2026, 1, 31}, {2026, 2, 28}},
    {"day 30 in leap February", 0, 30, {2024, 2, 29}, {2024, 1, 31}, {2024, 2, 29}},
    {"day 30 in a 30-day month", 0, 30, {2026, 4, 30}, {2026, 3, 31}, {2026, 4, 30}},
    {"day 30 on 31 December", 0, 30, {2026, 12, 31}, {2026, 12, 31}, {2027, 1, 30}},
    // New York 2026: clocks go forward 8 March 02:00, back 1 November 02:00.
    {"calendar month with a shorter day", 0, 0, {2026, 3, 8}, {2026, 3, 1}, {2026, 3, 31}},
    {"weekly from the day of the change", 1, 0, {2026, 3, 10}, {2026, 3, 8}, {2026, 3, 14}},
    {"weekly with a longer day", 1, 0, {2026, 11, 7}, {2026, 11, 1}, {2026, 11, 7}},
    {"day 1, ending on the longer day", 0, 1, {2026, 11, 1}, {2026, 10, 2}, {2026, 11, 1}},
};

void RunPeriodTable()
{
    for (const PeriodCase& c : kPeriodCases) {
        SCOPED_TRACE(c.what);
        // The first and the last second of the reference day.
        for (int second : {0, 86399}) {
            const std::int64_t ref = LocalInstant(c.reference.year, c.reference.month, c.reference.day) + second;
            ExpectPeriod(PeriodAt(c.periodToBill, c.billingDate, ToLocalTime(ref)), c.first, c.last);
        }
    }
}

TEST(BillingPeriod, ReferenceDatesInTheMachineZone)
{
    RunPeriodTable();  // under Wine this is the only zone there is
}

TEST(BillingPeriod, ReferenceDatesInNewYork)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    RunPeriodTable();  // its last rows span the clock changes
}

// Fields that were never normalised (weekday unset, hour past the day) still
// name the right day: weekly periods must not trust tm_wday.
TEST(BillingPeriod, UnnormalisedReferenceFields)
{
    // 4 March 2026 with tm_wday left at Sunday; day 0 of April at hour 27, that is 1 April 03:00.
    ExpectPeriod(PeriodAt(PERIOD_WEEKLY, 0, {.tm_mday = 4, .tm_mon = 2, .tm_year = 126}), {2026, 3, 1}, {2026, 3, 7});
    ExpectPeriod(PeriodAt(PERIOD_MONTHLY, 30, {.tm_hour = 27, .tm_mday = 0, .tm_mon = 3, .tm_year = 126}),
                 {2026, 3, 31}, {2026, 4, 30});
}

// Brazil used to start summer time at midnight, so 00:00:00 of that day did
// not exist; the period still starts at the first second of the day.
TEST(BillingPeriod, DayWithoutMidnight)
{
    TOLVANE_REQUIRE_TZ("America/Sao_Paulo");
    const TariffRecord r = PeriodAt(PERIOD_MONTHLY, 3, ToLocalTime(LocalInstant(2018, 11, 10, 12)));
    EXPECT_EQ(FormatLocalTime("%Y-%m-%d %H:%M:%S", r.PeriodStart.localTime) + " " +
                  FormatLocalTime("%Y-%m-%d", r.PeriodEnd.localTime), "2018-11-04 01:00:00 2018-12-03");
    EXPECT_EQ(PeriodAt(PERIOD_MONTHLY, 3, ToLocalTime(r.PeriodStart.time - 1)).PeriodEnd.time + 1, r.PeriodStart.time);
}

} // namespace
