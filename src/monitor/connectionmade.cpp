#include "monitor/connectionmade.h"

#include <cstdio>

#include "platform/localtime.h"

int ReadTimeField(const std::string& text)
{
    // The fields take digits only and two of them, so no overflow is
    // possible from the dialog; stay bounded for any other caller.
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        if (value > 100000)
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

int CheckSpecifiedTime(int hour, int minute, int second)
{
    if (hour < 0 || hour > 23)
        return 1006;
    if (minute < 0 || minute > 59)
        return 1007;
    if (second < 0 || second > 59)
        return 1008;
    return 0;
}

std::int64_t SpecifiedTimeToday(std::int64_t now, int hour, int minute, int second)
{
    LocalTime fields = ToLocalTime(now);
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return NormaliseLocalTime(fields);
}

TimeFieldTexts TimeFieldsOf(std::int64_t instant)
{
    const LocalTime t = ToLocalTime(instant);
    char text[3][16];
    std::snprintf(text[0], sizeof text[0], "%02d", t.tm_hour);
    std::snprintf(text[1], sizeof text[1], "%02d", t.tm_min);
    std::snprintf(text[2], sizeof text[2], "%02d", t.tm_sec);
    return {text[0], text[1], text[2]};
}
