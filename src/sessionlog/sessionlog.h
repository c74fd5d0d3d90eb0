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

// 0 read, 1 end of file, -1 error (103 reported).
int ReadSessionRecord(SessionLog& log, SessionRecord& record);
// 0 complete session, 2 open session (start only), 1 end of file, -1 error.
// With openAtDamagedEnd, a start read just before a partial last record is
// returned as an open session (2) instead of being lost with the damaged
// tail (log rewrites keep it); a stream error still gives -1.
int ReadSession(SessionLog& log, SessionPair& pair, bool openAtDamagedEnd = false);
// The stream reported a read or write error.
bool StreamFailed(const SessionLog& log);
// 0, or -1 with error 101 reported.
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
