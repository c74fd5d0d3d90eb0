#include "platform/localtime.h"

#include <cstdlib>
#include <ctime>

namespace {

void FromTm(const std::tm& t, LocalTime& out)
{
    out.tm_sec = t.tm_sec;
    out.tm_min = t.tm_min;
    out.tm_hour = t.tm_hour;
    out.tm_mday = t.tm_mday;
    out.tm_mon = t.tm_mon;
    out.tm_year = t.tm_year;
    out.tm_wday = t.tm_wday;
    out.tm_yday = t.tm_yday;
    out.tm_isdst = t.tm_isdst;
}

std::tm ToTm(const LocalTime& f)
{
    std::tm t{};
    t.tm_sec = f.tm_sec;
    t.tm_min = f.tm_min;
    t.tm_hour = f.tm_hour;
    t.tm_mday = f.tm_mday;
    t.tm_mon = f.tm_mon;
    t.tm_year = f.tm_year;
    t.tm_wday = f.tm_wday;
    t.tm_yday = f.tm_yday;
    t.tm_isdst = f.tm_isdst;
    return t;
}

} // namespace

bool ToLocalTime(std::int64_t instant, LocalTime& out)
{
    std::tm t{};
#ifdef _WIN32
    __time64_t v = instant;
    if (_localtime64_s(&t, &v) != 0)
        return false;
#else
    std::time_t v = static_cast<std::time_t>(instant);
    if (!localtime_r(&v, &t))
        return false;
#endif
    FromTm(t, out);
    return true;
}

LocalTime ToLocalTime(std::int64_t instant)
{
    LocalTime lt;
    ToLocalTime(instant, lt);
    return lt;
}

std::int64_t MakeLocalTime(LocalTime& fields)
{
    std::tm t = ToTm(fields);
#ifdef _WIN32
    __time64_t v = _mktime64(&t);
#else
    std::time_t v = std::mktime(&t);
#endif
    FromTm(t, fields);
    return static_cast<std::int64_t>(v);
}

std::int64_t NormaliseLocalTime(LocalTime& fields)
{
    fields.tm_isdst = -1;
    return MakeLocalTime(fields);
}

std::int64_t LocalDateTimeInstant(int year, int month, int day, int hour, int minute, int second)
{
    LocalTime t;
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return NormaliseLocalTime(t);
}

std::string FormatLocalTime(const char* format, const LocalTime& fields)
{
    std::tm t = ToTm(fields);
    char buf[256];
    std::size_t n = std::strftime(buf, sizeof buf, format, &t);
    return std::string(buf, n);
}

void InitTimeZone()
{
#ifdef _WIN32
    _putenv("TZ=");
    _tzset();
#else
    tzset();
#endif
}

bool SetTimeZoneForTesting(const char* tz)
{
#ifdef _WIN32
    (void)tz;
    return false;
#else
    setenv("TZ", tz, 1);
    tzset();
    return true;
#endif
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 1) {
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return days[((month % 12) + 12) % 12];
}

LocalTime DateFromChoice(int dayIndex, int monthIndex, int year)
{
    LocalTime date;
    date.tm_year = year - 1900;
    date.tm_mon = monthIndex;
    const int last = DaysInMonth(year, monthIndex);
    date.tm_mday = dayIndex + 1 > last ? last : dayIndex + 1;
    date.tm_isdst = -1;
    return date;
}
