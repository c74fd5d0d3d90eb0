// The binary session log: a 54-byte header, then fixed-size records, each a
// session start or end for one ISP. Opened for one operation, then closed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/localtime.h"

constexpr std::uint16_t LOG_HEADER_MAGIC = 0x444C;  // "LD"
constexpr std::uint16_t SESSION_RECORD_MAGIC = 0x534C;  // "LS"
constexpr int SESSION_START = 0;
constexpr int SESSION_END = 1;
constexpr int SESSION_RECORD_SIZE = 54;
constexpr int SESSION_HEADER_SIZE = 54;

enum SessionLogMode { LOG_READ = 0, LOG_UPDATE = 1, LOG_APPEND = 2 };

struct SessionRecord {
    std::uint16_t magic = 0;
    std::int32_t kind = 0;
    std::int32_t flag = 0;
    std::int32_t ispId = 0;
    std::int64_t time = 0;  // seconds since 1970; stored as unsigned 32 bits
    LocalTime localTime;

    friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

struct SessionPair {
    SessionRecord start;
    SessionRecord end;  // meaningless for an open session
};

struct SessionLogHeader {
    std::uint16_t magic = LOG_HEADER_MAGIC;
    std::int32_t writerVersion[4] = {2, 1, 4, 0};
    std::int32_t readerVersion[4] = {1, 90, 0, 0};
    std::int32_t headerSize = SESSION_HEADER_SIZE;
    std::int32_t recordSize = SESSION_RECORD_SIZE;
};

// This program's version, against which a log's reader version is checked.
extern const std::int32_t ProgramVersion[4];

struct SessionLog {
    std::FILE* stream = nullptr;
    std::string path;
    int mode = LOG_READ;
    std::vector<char> streamBuffer;
    std::string backupPath;
    std::int32_t headerSize = SESSION_HEADER_SIZE;  // effective offset of the first record
    std::int32_t extraSize = 0;
    std::vector<unsigned char> extraBuffer;
    bool movedAside = false;  // this open moved a foreign file to the backup path

    // Records are read in 64 KiB blocks: a report reads every record of a
    // log that grows for decades.
    std::vector<unsigned char> block;
    std::size_t blockPosition = 0;
    std::size_t blockLength = 0;
    std::int64_t blockStart = 0;  // file offset of block[0]
    bool endOfStream = false;
    // Bytes by which the rest of the file is not a whole number of records:
    // a part of a record left somewhere ahead (or a short last record).
    std::int64_t strayBytes = 0;
    std::int64_t partialAt = -1;  // offset of a short last record met
    std::int64_t reportedAt = -1;  // ... and of the last one reported
    // Set while the log is read without the writers' lock: a short last
    // record may be an append in progress and is not reported then.
    bool tailMayGrow = false;

    SessionLog() = default;
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;
    ~SessionLog();
};

using SessionLogPtr = std::unique_ptr<SessionLog>;

extern const char* const MonthNames[12];

// Opens LogFilePath (backup BackupFilePath). Reports error 100 and returns
// null on failure.
SessionLogPtr OpenSessionLog(int mode);
// Same for any log file; an empty backup path means a foreign file is not
// moved aside (the open fails instead).
SessionLogPtr OpenSessionLogFile(const std::string& path, const std::string& backupPath, int mode);
void CloseSessionLog(SessionLogPtr& log);

// 0 read, 1 end of file, -1 error (103 reported). A part of a record
// stranded between whole ones (a write cut short by an older program, a
// crash) reports 103 and is stepped over, so the records after it are read.
int ReadSessionRecord(SessionLog& log, SessionRecord& record);

// A record as a scan sees it: the fields pairing needs, decoded at once, and
// the raw bytes for the rest, decoded only where needed.
struct ScannedRecord {
    std::uint16_t magic = 0;
    std::int32_t kind = 0;
    std::int32_t ispId = 0;
    std::int64_t time = 0;
    bool decoded = false;  // record below holds every field
    SessionRecord record;
    unsigned char raw[SESSION_RECORD_SIZE] = {};
};
// Same results as ReadSessionRecord.
int ReadScannedRecord(SessionLog& log, ScannedRecord& out);
SessionRecord DecodeScannedRecord(const ScannedRecord& scanned);
// After the end of the log was read: goes on with what was appended since
// (from the start of a short last record, which may have been completed).
void ContinueAfterEnd(SessionLog& log);
// 0 complete session, 2 open session (start only), 1 end of file, -1 error.
// With openAtDamagedEnd, a start read just before a partial last record is
// returned as an open session (2) instead of being lost with the damaged
// tail (log rewrites keep it); a stream error still gives -1.
int ReadSession(SessionLog& log, SessionPair& pair, bool openAtDamagedEnd = false);
// The stream reported a read or write error.
bool StreamFailed(const SessionLog& log);
// 0, or -1 with error 101 reported. In LOG_APPEND mode the record is
// appended under the writers' lock, whole or not at all.
int AppendSessionRecord(SessionLog& log, const SessionRecord& record);

int RecordSessionEvent(std::int32_t ispId, int kind, std::int32_t flag, std::int64_t time);
void MakeEndRecord(const SessionRecord& start, SessionRecord& end, std::int64_t time);
// 1 when the log's last record is a start (returned in record), else 0.
int FindOpenSession(SessionRecord& record);

// A record with its local time filled from the instant.
SessionRecord MakeSessionRecord(std::int32_t ispId, int kind, std::int32_t flag, std::int64_t time);

// The on-disk forms, for writers of whole files and for tests.
void EncodeSessionRecord(const SessionRecord& record, unsigned char out[SESSION_RECORD_SIZE]);
void DecodeSessionRecord(const unsigned char in[SESSION_RECORD_SIZE], SessionRecord& record);
void EncodeSessionLogHeader(const SessionLogHeader& header, unsigned char out[SESSION_HEADER_SIZE]);
void DecodeSessionLogHeader(const unsigned char in[SESSION_HEADER_SIZE], SessionLogHeader& header);
