#include "monitor/mainrules.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "charging/charging.h"
#include "monitor/monitorstate.h"
#include "startup/errors.h"
#include "startup/locations.h"

CloseStep DecideClose(bool monitoring, int confirmExit, int iconWhenMonitoring)
{
    if (!monitoring)
        return CLOSE_DESTROY;
    switch (confirmExit) {
    case EXIT_CONFIRM:
        return CLOSE_ASK;
    case EXIT_MINIMIZE_IN_TRAY:
        // Minimising only hides the window when it goes to the parking window.
        return iconWhenMonitoring == ICON_MINIMIZE ? CLOSE_STOP_AND_DESTROY : CLOSE_MINIMISE;
    default:
        return CLOSE_STOP_AND_DESTROY;
    }
}

CloseStep AfterConfirmExit(int result)
{
    switch (result) {
    case 0:
        return CLOSE_MINIMISE;
    case 1:
        return CLOSE_STOP_AND_DESTROY;
    default:
        return CLOSE_NOTHING;
    }
}

const char* MonitorButtonText(bool monitoring)
{
    return monitoring ? "Stop &Monitoring" : "&Monitor";
}

const char* ExitButtonText(bool monitoring, int confirmExit)
{
    return monitoring && confirmExit == EXIT_MINIMIZE_IN_TRAY ? "C&lose" : "E&xit";
}

std::string OnlineTooltip(const std::string& description, std::int64_t now, std::int64_t eventTime)
{
    std::int64_t seconds = now - eventTime;
    if (seconds < 0)
        seconds = 0;
    if (seconds > std::numeric_limits<std::int32_t>::max())
        seconds = std::numeric_limits<std::int32_t>::max();
    const SplitTime t = SplitSeconds(static_cast<std::int32_t>(seconds));
    std::string text = description.empty() ? std::string("Tolvane (online)") : description.substr(0, 54);
    char clock[48];
    std::snprintf(clock, sizeof clock, " %02d:%02d:%02d", static_cast<int>(t.hours), static_cast<int>(t.minutes),
                  static_cast<int>(t.seconds));
    text += clock;
    if (text.size() > TOOLTIP_MAX)
        text.resize(TOOLTIP_MAX);
    return text;
}

LocalTime ProposedReportDate(const LocalTime& today, int previousDefault)
{
    LocalTime date = today;
    if (previousDefault == 0)
        date.tm_mon -= 1;
    else if (previousDefault == 1)
        date.tm_mday -= 7;
    // A day the earlier month lacks (31 March less a month) rolls forward, as
    // the calendar arithmetic of the runtime does.
    NormaliseLocalTime(date);
    return date;
}

int ReportDateFromChoice(int dayIndex, int monthIndex, const std::string& yearText, std::int64_t& instant)
{
    if (dayIndex < 0 || dayIndex > 30) {
        ShowError(1003);
        return 1003;
    }
    if (monthIndex < 0 || monthIndex > 11) {
        ShowError(1004);
        return 1004;
    }
    const long year = std::strtol(yearText.substr(0, 5).c_str(), nullptr, 10) - 1900;
    if (year <= 0) {
        ShowError(1005, static_cast<int>(year));
        return 1005;
    }
    LocalTime date = DateFromChoice(dayIndex, monthIndex, static_cast<int>(year) + 1900);
    instant = NormaliseLocalTime(date);
    if (instant < 0) {
        // Beyond what the runtime's calendar reaches: not a usable date.
        ShowError(1005, static_cast<int>(year));
        return 1005;
    }
    return 0;
}
