// The dialogs over the log maintenance core: View Raw Log Entries, Delete
// Log Entries and Crash Recovery, and the date and ISP choosers they share.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/localtime.h"
#include "sessionlog/viewlog.h"

// Fills the day ("1" to "31"), month (the month names) and editable year
// (year - 1, year, year + 1; at most four characters) combo boxes from the
// date's day, month and year.
void SetDateControls(HWND dialog, int dayId, int monthId, int yearId, const LocalTime& date);
// Reads the three combo boxes into a date at 00:00:00. A day past the end of
// the chosen month means its last day. 0, or -1 after reporting 1005 for a
// year not above 1900.
int GetDateControls(HWND dialog, int dayId, int monthId, int yearId, LocalTime& date);

// The period of two dates read from the controls; reports 1005 with the
// year of a date the system cannot represent. 0 or -1.
int PeriodOfDates(const LocalTime& startDate, const LocalTime& endDate, std::int64_t& from, std::int64_t& to);

// The ISP chooser of the log dialogs (combo box 1102): every ISP with its
// number as item data, then "All isps" (number 0), which is selected.
void FillLogIspList(HWND dialog);
// The selected item's ISP number and text; false when nothing is selected.
bool SelectedLogIsp(HWND dialog, std::int32_t& ispId, std::string& text);

// The View dialog: the period and ISP to list. 0 with the request filled,
// or -1 when cancelled.
int RunViewDialog(HWND owner, ViewRequest& request);
// The whole View operation: the dialog, the listing, the viewer.
// 0, or -1 when cancelled or failed (errors reported).
int ViewRawLogEntries(HWND owner);

// The Crash Recovery dialog with the radio of `preselected` checked; gives
// the remedy (Cancel, or a dialog that cannot be shown, is "do nothing").
int RunCrashRecoveryDialog(HWND owner, int preselected);
// Makes the dialog the crash prompt of RecoverFromCrash.
void InstallCrashRecoveryDialog();

// The main window's View and Delete buttons.
void ViewRawLog(HWND owner);
int RunDeleteDialog(HWND owner);
