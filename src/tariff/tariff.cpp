#include "tariff/tariff.h"

#include <utility>

const char* const TariffDayNames[DAYS_PER_WEEK] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

namespace {

// Calendar arithmetic on day numbers (days since 1970-01-01, proleptic
// Gregorian), so the C runtime only ever converts well-formed dates.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d)  // m 1-12
{
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilDate {
    std::int64_t year;  // full year
    int month;          // 0-11
    int day;            // 1-31
};

CivilDate CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m - 1, d};
}

// Day number of (year, month 0-11 possibly out of range, day 1..).
std::int64_t DayNumber(std::int64_t year, std::int64_t month, std::int64_t day)
{
    year += FloorDiv(month, 12);
    month -= FloorDiv(month, 12) * 12;
    return DaysFromCivil(year, month + 1, 1) + day - 1;
}

int WeekdayOf(std::int64_t days)  // 0 = Sunday; 1970-01-01 was a Thursday
{
    return static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);
}

// The effective billing day in a month: a day past the month's end means
// the month's last day, so February still gets a period of its own.
std::int64_t BillingDayIn(std::int64_t year, std::int64_t month, int billingDate)
{
    year += FloorDiv(month, 12);
    month -= FloorDiv(month, 12) * 12;
    const int last = DaysInMonth(static_cast<int>(year), static_cast<int>(month));
    return billingDate < last ? billingDate : last;
}

// Local 00:00:00 of a day, converted with daylight saving left to the system.
bool DayStart(std::int64_t days, TariffInstant& out)
{
    const CivilDate c = CivilFromDays(days);
    LocalTime t;
    t.tm_year = static_cast<std::int32_t>(c.year - 1900);
    t.tm_mon = c.month;
    t.tm_mday = c.day;
    std::int64_t instant = NormaliseLocalTime(t);
    if (instant == -1)
        return false;
    // Where the clocks jump forward at midnight the day has no 00:00:00 and
    // the runtime may answer with a time of the day before: the day then
    // starts at its first existing second.
    auto dayOf = [](const LocalTime& lt) {
        return DayNumber(static_cast<std::int64_t>(lt.tm_year) + 1900, lt.tm_mon, lt.tm_mday);
    };
    if (dayOf(t) < days) {
        std::int64_t before = instant;          // still on an earlier day
        std::int64_t after = instant + 86400;   // surely on the day itself
        while (after - before > 1) {
            const std::int64_t mid = before + (after - before) / 2;
            LocalTime probe;
            if (!ToLocalTime(mid, probe))
                return false;
            (dayOf(probe) < days ? before : after) = mid;
        }
        instant = after;
        if (!ToLocalTime(instant, t))
            return false;
    }
    out.time = instant;
    out.localTime = t;
    return true;
}

// The last second before the local start of a day: periods tile exactly,
// whatever the clocks did in between.
bool DayEnd(std::int64_t days, TariffInstant& out)
{
    TariffInstant next;
    if (!DayStart(days + 1, next))
        return false;
    LocalTime t;
    if (!ToLocalTime(next.time - 1, t))
        return false;
    out.time = next.time - 1;
    out.localTime = t;
    return true;
}

} // namespace

int ComputeBillingPeriod(TariffRecord& record, const LocalTime& reference)
{
    // The reference's own day, whatever state its fields are in.
    const std::int64_t secondsOfDay = static_cast<std::int64_t>(reference.tm_hour) * 3600 +
                                      static_cast<std::int64_t>(reference.tm_min) * 60 + reference.tm_sec;
    const std::int64_t today = DayNumber(static_cast<std::int64_t>(reference.tm_year) + 1900, reference.tm_mon,
                                         reference.tm_mday) + FloorDiv(secondsOfDay, 86400);
    const CivilDate r = CivilFromDays(today);

    std::int64_t firstDay = 0;
    std::int64_t lastDay = 0;
    if (record.PeriodToBill == PERIOD_WEEKLY) {
        firstDay = today - WeekdayOf(today);
        lastDay = firstDay + 6;
    } else if (record.BillingDate < 1 || record.BillingDate > MAX_BILLING_DATE) {
        firstDay = DayNumber(r.year, r.month, 1);
        lastDay = DayNumber(r.year, r.month + 1, 1) - 1;
    } else {
        const int d = record.BillingDate;
        const std::int64_t endThisMonth = BillingDayIn(r.year, r.month, d);
        if (r.day <= endThisMonth) {
            firstDay = DayNumber(r.year, r.month - 1, BillingDayIn(r.year, r.month - 1, d)) + 1;
            lastDay = DayNumber(r.year, r.month, endThisMonth);
        } else {
            firstDay = DayNumber(r.year, r.month, endThisMonth) + 1;
            lastDay = DayNumber(r.year, r.month + 1, BillingDayIn(r.year, r.month + 1, d));
        }
    }

    TariffInstant start, end;
    if (!DayStart(firstDay, start) || !DayEnd(lastDay, end))
        return -1;
    record.PeriodStart = start;
    record.PeriodEnd = end;
    return 0;
}

void FreeTariff(TariffRecord& record)
{
    record = TariffRecord{};
}

void FreeTariffTable(TariffTable& table)
{
    FreeTariffTable(table.Isps, table.Phone);
}

void FreeTariffTable(std::vector<TariffRecord>& isps, TariffRecord& phone)
{
    std::vector<TariffRecord>().swap(isps);
    FreeTariff(phone);
}

TariffRecord* FindTariffById(TariffTable& table, std::int32_t id)
{
    for (TariffRecord& record : table.Isps)
        if (record.Id == id)
            return &record;
    return nullptr;
}

const TariffRecord* FindTariffById(const TariffTable& table, std::int32_t id)
{
    for (const TariffRecord& record : table.Isps)
        if (record.Id == id)
            return &record;
    return nullptr;
}

std::int32_t UsableFrame(const TariffRecord& record, std::int32_t frame)
{
    if (frame < 0 || frame >= record.NumFrames)
        return 0;
    const auto n = static_cast<std::size_t>(frame);
    if (n >= record.FrameCharges.size() || n >= record.FrameCost.size() || n >= record.FrameTime.size())
        return 0;
    return frame;
}
