// The main window's decisions that need no window: what closing does, the
// button texts, the tray tooltip and the Enter Date dialog's date rules.
#pragma once
#include <cstdint>
#include <string>

#include "platform/localtime.h"
// ReadPreviousDefault lives with the General page, which owns the key.
#include "dialogs/generalpage.h"

// What a close request of the main window leads to.
enum CloseStep {
    CLOSE_DESTROY,           // not monitoring: the window goes
    CLOSE_ASK,               // ask through the Confirm Exit dialog
    CLOSE_MINIMISE,          // keep monitoring, out of sight
    CLOSE_STOP_AND_DESTROY,  // stop monitoring, then the window goes
    CLOSE_NOTHING,           // the close was cancelled
};

CloseStep DecideClose(bool monitoring, int confirmExit, int iconWhenMonitoring);
// The step that follows the Confirm Exit dialog's result (0, 1 or -1).
CloseStep AfterConfirmExit(int result);

const char* MonitorButtonText(bool monitoring);
const char* ExitButtonText(bool monitoring, int confirmExit);

inline constexpr const char* WAITING_TOOLTIP = "Tolvane - waiting for connection";
// Longest tooltip the tray takes (its buffer is 64 bytes).
inline constexpr std::size_t TOOLTIP_MAX = 63;

// The ISP's description (at most 54 characters; "Tolvane (online)" when
// empty) and the time online since eventTime as " HH:MM:SS".
std::string OnlineTooltip(const std::string& description, std::int64_t now, std::int64_t eventTime);

// The date the Enter Date dialog proposes, normalised.
LocalTime ProposedReportDate(const LocalTime& today, int previousDefault);

// The Enter Date dialog's OK: dayIndex 0..30 and monthIndex 0..11 are the
// selected items (-1 when none), yearText the year box. Returns 0 with the
// local midnight of that date, or reports and returns 1003, 1004 or 1005.
int ReportDateFromChoice(int dayIndex, int monthIndex, const std::string& yearText, std::int64_t& instant);
