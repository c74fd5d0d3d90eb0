#include "sessionlog/deletelog.h"

#include <cstdio>
#include <new>

#include "platform/fileops.h"
#include "sessionlog/viewlog.h"
#include "startup/errors.h"
#include "startup/locations.h"

const char* const DELETE_CONFIRM_CAPTION = "Confirm Deletion";
const char* const ALL_ISPS_TEXT = "All isps";

namespace {

// The new log while it is written beside the old one.
struct NewLog {
    std::FILE* stream = nullptr;
    std::string path;
};

bool WriteBytes(NewLog& out, const unsigned char* bytes, std::size_t size)
{
    if (CurrentFileOps().writeAll(out.stream, bytes, size) != 0) {
        ShowError(101, out.path.c_str());
        return false;
    }
    return true;
}

bool WriteRecord(NewLog& out, const SessionRecord& record)
{
    unsigned char bytes[SESSION_RECORD_SIZE];
    EncodeSessionRecord(record, bytes);
    return WriteBytes(out, bytes, sizeof bytes);
}

// Another copy of the program (started with -b or -e) may have appended
// records while the log was being copied. Under the writers' lock they are
// carried over unchanged, except one equal to `unwanted`. Only here, with
// no appender half way through a record, is a short last record known to be
// damage: the period rewrite leaves it behind, the single-record rewrite
// refuses to replace the log.
bool CarryOverAppended(SessionLog& log, NewLog& out, const SessionRecord* unwanted)
{
    log.tailMayGrow = false;
    ContinueAfterEnd(log);
    for (;;) {
        SessionRecord record;
        int status = ReadSessionRecord(log, record);
        if (status != 0 && StreamFailed(log))
            return false;
        if (status == 1)
            return true;
        if (status == -1)
            return !unwanted;
        if (unwanted && record == *unwanted)
            continue;
        if (!WriteRecord(out, record))
            return false;
    }
}

bool FlushNewLog(NewLog& out)
{
    if (CurrentFileOps().flushToDisk(out.stream) != 0) {
        ShowError(101, out.path.c_str());
        return false;
    }
    return true;
}

// The shared rewrite: a new log beside the old one receives what `copy`
// writes and is flushed to the disk without holding up anybody. Only then
// is the writers' lock taken, for the records appended meanwhile, a second
// flush and the rename (the old log first kept as the backup when asked
// for), so appenders wait for milliseconds, not for the copy. At every
// moment the log's name holds the old or the new log, whole; a failed copy
// removes the new file.
template <class Copy>
int ReplaceLog(Copy copy, const SessionRecord* unwanted)
{
    const FileOps& ops = CurrentFileOps();
    RemoveAbandonedTemporaries(LogFilePath);
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    if (!log)
        return -1;
    // The open just moved a foreign file to the backup path: the fresh log
    // is empty, and its backup would overwrite the user's only copy.
    if (log->movedAside)
        return 0;
    log->tailMayGrow = true;  // until the lock is held
    NewLog out;
    try {
        out.stream = CreateTemporary(LogFilePath, out.path);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    if (!out.stream) {
        ShowError(117);
        return -1;
    }
    unsigned char header[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(SessionLogHeader{}, header);
    bool ok = WriteBytes(out, header, sizeof header) && copy(*log, out) && FlushNewLog(out);
    FileHandle locked = NO_FILE;
    if (ok) {
        locked = LockNamedFile(LogFilePath.c_str());
        // Another rewrite replaced the log meanwhile: this copy is stale.
        if (locked == NO_FILE || !ops.sameFile(log->stream, locked)) {
            ShowError(102, LogFilePath.c_str());
            ok = false;
        } else {
            ops.keepOnlyLock(locked);
        }
    }
    ok = ok && CarryOverAppended(*log, out, unwanted) && FlushNewLog(out);
    if (std::fclose(out.stream) != 0 && ok) {
        ShowError(101, out.path.c_str());
        ok = false;
    }
    out.stream = nullptr;
    CloseSessionLog(log);
    if (ok && BackupOnDelete && ops.keepBackup(LogFilePath.c_str(), BackupFilePath.c_str()) != 0) {
        // Without the promised backup the old log must stay where it is.
        ShowError(115, BackupFilePath.c_str());
        ok = false;
    }
    if (ok && ops.replaceFile(out.path.c_str(), LogFilePath.c_str()) != 0) {
        ShowError(102, LogFilePath.c_str());
        ok = false;
    }
    if (locked != NO_FILE)
        ops.closeFile(locked);
    if (!ok)
        ops.removeFile(out.path.c_str());
    return ok ? 0 : -1;
}

bool CopyWithoutPeriod(SessionLog& log, NewLog& out, std::int64_t from, std::int64_t to, std::int32_t ispId)
{
    for (;;) {
        SessionPair pair;
        int status = ReadSession(log, pair, true);
        if (status == 1)
            return !StreamFailed(log);
        if (status == -1)
            return !StreamFailed(log);  // a partial last record is left behind
        if (status == 2) {
            // The open session is the last thing in the log: kept, whatever its time.
            if (!WriteRecord(out, pair.start))
                return false;
            continue;
        }
        bool written = true;
        switch (ClassifySession(pair, from, to, ispId)) {
        case CUT_OUTSIDE:
            written = WriteRecord(out, pair.start) && WriteRecord(out, pair.end);
            break;
        case CUT_INSIDE:
            break;
        case CUT_TAIL_KEPT:
            written = WriteRecord(out, MoveRecordTo(pair.start, to)) && WriteRecord(out, pair.end);
            break;
        case CUT_HEAD_KEPT:
            written = WriteRecord(out, pair.start) && WriteRecord(out, MoveRecordTo(pair.end, from));
            break;
        case CUT_BOTH_KEPT:
            written = WriteRecord(out, pair.start) && WriteRecord(out, MoveRecordTo(pair.end, from)) &&
                      WriteRecord(out, MoveRecordTo(pair.start, to)) && WriteRecord(out, pair.end);
            break;
        }
        if (!written)
            return false;
    }
}

bool CopyWithoutRecord(SessionLog& log, NewLog& out, const SessionRecord& unwanted)
{
    for (;;) {
        SessionRecord record;
        int status = ReadSessionRecord(log, record);
        if (status != 0)
            return !StreamFailed(log);  // a short last record may be an append in progress
        if (!(record == unwanted) && !WriteRecord(out, record))
            return false;
    }
}

} // namespace

SessionCut ClassifySession(const SessionPair& pair, std::int64_t from, std::int64_t to, std::int32_t ispId)
{
    const std::int64_t s = pair.start.time;
    const std::int64_t e = pair.end.time;
    bool matching = ispId == 0 || pair.start.ispId == ispId;
    // A reversed period holds nothing; cutting at its ends would make two
    // overlapping sessions out of one.
    if (!matching || from > to || s > to || e < from)
        return CUT_OUTSIDE;
    if (s >= from)
        return e <= to ? CUT_INSIDE : CUT_TAIL_KEPT;
    return e <= to ? CUT_HEAD_KEPT : CUT_BOTH_KEPT;
}

SessionRecord MoveRecordTo(const SessionRecord& record, std::int64_t time)
{
    SessionRecord moved = record;
    moved.time = time;
    ToLocalTime(time, moved.localTime);
    return moved;
}

int DeletePeriod(std::int64_t from, std::int64_t to, std::int32_t ispId)
{
    return ReplaceLog(
        [&](SessionLog& log, NewLog& out) { return CopyWithoutPeriod(log, out, from, to, ispId); }, nullptr);
}

int DeleteRecord(const SessionRecord& record)
{
    return ReplaceLog([&](SessionLog& log, NewLog& out) { return CopyWithoutRecord(log, out, record); }, &record);
}

std::string DeleteConfirmationText(const std::string& ispText, const LocalTime& startDate, const LocalTime& endDate)
{
    char text[512];
    std::snprintf(text, sizeof text, "Delete log entries for %s for the period %d %s %04d to %d %s %04d?",
                  ispText.c_str(), startDate.tm_mday, MonthName(startDate.tm_mon), startDate.tm_year + 1900,
                  endDate.tm_mday, MonthName(endDate.tm_mon), endDate.tm_year + 1900);
    return text;
}

void DefaultDeleteDates(std::int64_t now, LocalTime& startDate, LocalTime& endDate)
{
    LocalTime today = ToLocalTime(now);
    LocalTime start;
    start.tm_year = today.tm_year - 1;
    start.tm_mon = 0;
    start.tm_mday = 1;
    LocalTime end;
    end.tm_year = today.tm_year - 1;
    end.tm_mon = 11;
    end.tm_mday = 31;
    NormaliseLocalTime(start);
    NormaliseLocalTime(end);
    startDate = start;
    endDate = end;
}
