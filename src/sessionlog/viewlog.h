// Raw log listing: the sessions of a period as text, written to a file and
// opened in a viewer. Also the date arithmetic shared with log deletion.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"

// [WinViewLog] of the settings file. Empty strings mean "not set".
struct ViewLogSettings {
    std::int32_t useTempName = 1;
    std::string rawLogFileName;
    std::string viewerPath = "notepad.exe";
    std::int32_t defaultRange = 2;  // 0 whole log, 1 current year, 2 current month
};

constexpr std::int32_t RANGE_WHOLE_LOG = 0;
constexpr std::int32_t RANGE_CURRENT_YEAR = 1;
constexpr std::int32_t RANGE_CURRENT_MONTH = 2;

// Reads the settings afresh from disk. 0, or -1 (error 105).
int LoadViewLogSettings(ViewLogSettings& settings);
// Writes all four keys; an empty string removes its key.
void SaveViewLogSettings(const ViewLogSettings& settings);
// Releases what the settings hold and resets them to the defaults.
void FreeViewLogSettings(ViewLogSettings& settings);
// DefaultRange alone, 0..2.
std::int32_t ReadDefaultRange();

// What the View dialog asks for: [from, to] inclusive, ISP 0 = all.
struct ViewRequest {
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int32_t ispId = 0;
};

// The period from a start date at 00:00:00 to an end date at 23:59:59 local
// time (the next day's midnight minus one second, so daylight saving is the
// conversion's business). Only day, month and year of the dates count.
// 0, or -1 when a date cannot be represented.
int PeriodFromDates(const LocalTime& startDate, const LocalTime& endDate, std::int64_t& from, std::int64_t& to);
// The whole log as a period: the epoch to now.
ViewRequest WholeLogRequest(std::int32_t ispId);
// The dates the View dialog proposes for a range setting: the current month
// (1st to last day) or the current year (1 January to 31 December).
void DefaultViewDates(std::int32_t defaultRange, std::int64_t now, LocalTime& startDate, LocalTime& endDate);

// "rl" and six characters in the system's temporary directory, a name no
// file has yet. Empty after reporting 1073, 105 or 117.
std::string MakeTempRawLogName();
// The temporary directory (TMP, TEMP, ... as the system defines it); empty
// when it cannot be obtained.
std::string TemporaryDirectory();
// A name in the directory: the prefix plus six characters, free at the time
// of the call. Empty when none was found.
std::string MakeUniqueName(const std::string& directory, const std::string& prefix);

// The list takes the name; the files on it are deleted at normal exit.
// 0, or -1 when the name could not be kept.
int RegisterTempFile(const std::string& name);
// Deletes every listed file (failures are skipped) and empties the list;
// the exit hook.
void DeleteRegisteredTempFiles();
const std::vector<std::string>& RegisteredTempFiles();

// Writes the sessions of [from, to] (ISP 0 = all) in log order. 0 or -1;
// errors (100, 103, 105, 115) are reported.
int ListSessions(std::int64_t from, std::int64_t to, std::int32_t ispId, std::FILE* stream,
                 const std::string& fileName);
// Writes one session; status is ReadSession's 0 (complete) or 2 (open).
int FormatSession(std::FILE* stream, const std::string& fileName, const SessionPair& pair, int status);

// The name of a month, safe for any field value.
const char* MonthName(std::int32_t month);

// What follows the View dialog: creates the output file, lists the sessions,
// starts the viewer and keeps a temporary file for deletion at exit.
// 0, or -1 after reporting the error.
int ExportAndViewRawLog(const ViewLogSettings& settings, const ViewRequest& request);
