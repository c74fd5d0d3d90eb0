// Local broken-down time. Instants are 64-bit in memory (32-bit unsigned on disk).
#pragma once
#include <cstdint>
#include <string>

// Nine 32-bit fields in the order the log stores them.
struct LocalTime {
    std::int32_t tm_sec = 0;
    std::int32_t tm_min = 0;
    std::int32_t tm_hour = 0;
    std::int32_t tm_mday = 0;
    std::int32_t tm_mon = 0;    // 0-11
    std::int32_t tm_year = 0;   // year - 1900
    std::int32_t tm_wday = 0;   // 0 = Sunday
    std::int32_t tm_yday = 0;   // 0-365
    std::int32_t tm_isdst = 0;  // >0, 0, or <0 (unknown)

    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// Converts an instant to local time. Returns false when the runtime cannot.
bool ToLocalTime(std::int64_t instant, LocalTime& out);
LocalTime ToLocalTime(std::int64_t instant);

// Interprets the fields as local time (mktime): normalises them in place and
// returns the instant, or -1 when they cannot be represented.
std::int64_t MakeLocalTime(LocalTime& fields);

// Same as MakeLocalTime but first sets the daylight-saving flag to "unknown",
// which lets the system decide; the usual way to do calendar arithmetic.
std::int64_t NormaliseLocalTime(LocalTime& fields);

// The instant of a local calendar date and time (month 1-12), normalised
// with daylight saving left to the system; -1 when it cannot be represented.
std::int64_t LocalDateTimeInstant(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// strftime on the local fields.
std::string FormatLocalTime(const char* format, const LocalTime& fields);

// Re-reads the time-zone setting (tzset). The Windows build first clears a
// TZ variable inherited from a Unix parent, which msvcrt would misread.
void InitTimeZone();

// Test helper: sets TZ (for example "Europe/London") and re-reads it.
// Returns false where named zones are not supported (msvcrt).
bool SetTimeZoneForTesting(const char* tz);

// Days in a month (month 0-11, year as the full year).
int DaysInMonth(int year, int month);

// The date a day, month and year chooser stand for (dayIndex 0-30 and
// monthIndex 0-11 are the chosen items, year the full year), at 00:00:00
// with daylight saving left to the system. A day past the month's end means
// its last day: "31 February" must not run on into March.
LocalTime DateFromChoice(int dayIndex, int monthIndex, int year);
