// The checks and the time arithmetic of the Connection Made dialog, without
// the window.
#pragma once
#include <cstdint>
#include <string>

// A time field as the dialog reads it: decimal digits, empty reads as 0.
int ReadTimeField(const std::string& text);

// 0 when hour, minutes and seconds form a time of day, else the error code
// to show (1006 hour, 1007 minutes, 1008 seconds), checked in that order.
int CheckSpecifiedTime(int hour, int minute, int second);

// The instant of today's local date (the date of `now`) at that time of day,
// daylight saving decided by the system.
std::int64_t SpecifiedTimeToday(std::int64_t now, int hour, int minute, int second);

// The local hour, minutes and seconds of an instant as the three two-digit
// field texts.
struct TimeFieldTexts {
    std::string hour, minute, second;
};
TimeFieldTexts TimeFieldsOf(std::int64_t instant);
