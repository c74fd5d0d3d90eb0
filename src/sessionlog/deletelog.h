// Removing entries from the session log. The log is never edited in place:
// a new log is written beside it, flushed, and then takes its name; the old
// log is kept as the backup when BackupOnDelete is on.
#pragma once
#include <cstdint>
#include <string>

#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"

// How a complete session relates to a period being deleted.
enum SessionCut {
    CUT_OUTSIDE = 0,    // kept unchanged
    CUT_INSIDE = 1,     // removed
    CUT_TAIL_KEPT = 2,  // a new start at `to`, then its own end
    CUT_HEAD_KEPT = 3,  // its own start, then a new end at `from`
    CUT_BOTH_KEPT = 4,  // own start, end at `from`, start at `to`, own end
};

// The cut for a session with start s and end e in the period [from, to]
// (inclusive) for an ISP filter (0 = all ISPs). A reversed period holds no
// instant, so every session lies outside it.
SessionCut ClassifySession(const SessionPair& pair, std::int64_t from, std::int64_t to, std::int32_t ispId);

// A copy of the record moved to another instant, with that instant's local time.
SessionRecord MoveRecordTo(const SessionRecord& record, std::int64_t time);

// Deletes [from, to] (inclusive) for one ISP or all (0). Sessions that
// cross a boundary keep their part outside the period; records that do not
// pair into sessions are dropped. 0 when the log was replaced, -1 when it is
// unchanged (errors reported).
int DeletePeriod(std::int64_t from, std::int64_t to, std::int32_t ispId);
// Rewrites the log without every record equal to the given one in all
// fields. 0, or -1 with the log unchanged.
int DeleteRecord(const SessionRecord& record);

// The Delete dialog's texts and presets.
extern const char* const DELETE_CONFIRM_CAPTION;   // "Confirm Deletion"
extern const char* const ALL_ISPS_TEXT;            // "All isps"
// The question asked before deleting (cut at 511 characters).
std::string DeleteConfirmationText(const std::string& ispText, const LocalTime& startDate, const LocalTime& endDate);
// 1 January and 31 December of the year before now.
void DefaultDeleteDates(std::int64_t now, LocalTime& startDate, LocalTime& endDate);
