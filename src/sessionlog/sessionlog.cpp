#include "sessionlog/sessionlog.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "platform/fileops.h"
#include "startup/errors.h"
#include "startup/locations.h"

const std::int32_t ProgramVersion[4] = {2, 1, 4, 0};

const char* const MonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};

namespace {

// Records larger than this are taken as a damaged header, not as a log.
constexpr std::int32_t MAX_RECORD_SIZE = 1 << 20;
constexpr std::size_t STREAM_BUFFER_SIZE = 32768;

void Put16(unsigned char* p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

std::uint16_t Get16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t GetS32(const unsigned char* p)
{
    return static_cast<std::int32_t>(Get32(p));
}

int CompareVersions(const std::int32_t a[4], const std::int32_t b[4])
{
    for (int i = 0; i < 4; ++i) {
        if (a[i] < b[i])
            return -1;
        if (a[i] > b[i])
            return 1;
    }
    return 0;
}

long CurrentProcessId()
{
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Creates a log holding only the header. The header is written to a file
// beside the log and then given the log's name only if no other process
// created the log meanwhile, so a concurrent opener never sees a half-made
// header. Returns true when a log exists afterwards.
bool CreateEmptyLog(const std::string& path)
{
    unsigned char header[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(SessionLogHeader{}, header);
    static std::atomic<int> counter{0};
    std::string temp = path + ".new" + std::to_string(CurrentProcessId()) + "-" + std::to_string(++counter);
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    bool written = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    if (std::fclose(f) != 0)
        written = false;
    const FileOps& ops = CurrentFileOps();
    if (!written) {
        ops.removeFile(temp.c_str());
        return false;
    }
    if (ops.renameNoReplace(temp.c_str(), path.c_str()) != 0) {
        ops.removeFile(temp.c_str());
        return FileExists(path);  // someone else made it first
    }
    return true;
}

// Makes sure a session log exists at the path; moves a foreign file aside.
bool PrepareLogFile(const std::string& path, const std::string& backupPath)
{
    if (!FileExists(path))
        return CreateEmptyLog(path);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    unsigned char raw[SESSION_HEADER_SIZE];
    std::size_t n = std::fread(raw, 1, sizeof raw, f);
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError)
        return false;
    if (n == sizeof raw && Get16(raw) == LOG_HEADER_MAGIC) {
        SessionLogHeader header;
        DecodeSessionLogHeader(raw, header);
        return CompareVersions(header.readerVersion, ProgramVersion) <= 0;
    }
    // Not a session log. It is kept as the backup; if it cannot be moved
    // there it is left alone and the open fails, so nothing is overwritten.
    if (backupPath.empty())
        return false;
    const FileOps& ops = CurrentFileOps();
    ops.removeFile(backupPath.c_str());
    if (ops.replaceFile(path.c_str(), backupPath.c_str()) != 0)
        return false;
    return CreateEmptyLog(path);
}

} // namespace

SessionLog::~SessionLog()
{
    if (stream)
        std::fclose(stream);
}

void EncodeSessionRecord(const SessionRecord& r, unsigned char out[SESSION_RECORD_SIZE])
{
    Put16(out, r.magic);
    Put32(out + 2, static_cast<std::uint32_t>(r.kind));
    Put32(out + 6, static_cast<std::uint32_t>(r.flag));
    Put32(out + 10, static_cast<std::uint32_t>(r.ispId));
    Put32(out + 14, static_cast<std::uint32_t>(r.time));
    const std::int32_t fields[9] = {r.localTime.tm_sec,  r.localTime.tm_min,  r.localTime.tm_hour,
                                    r.localTime.tm_mday, r.localTime.tm_mon,  r.localTime.tm_year,
                                    r.localTime.tm_wday, r.localTime.tm_yday, r.localTime.tm_isdst};
    for (int i = 0; i < 9; ++i)
        Put32(out + 18 + 4 * i, static_cast<std::uint32_t>(fields[i]));
}

void DecodeSessionRecord(const unsigned char in[SESSION_RECORD_SIZE], SessionRecord& r)
{
    r.magic = Get16(in);
    r.kind = GetS32(in + 2);
    r.flag = GetS32(in + 6);
    r.ispId = GetS32(in + 10);
    r.time = static_cast<std::int64_t>(Get32(in + 14));  // unsigned: valid until 2106
    r.localTime.tm_sec = GetS32(in + 18);
    r.localTime.tm_min = GetS32(in + 22);
    r.localTime.tm_hour = GetS32(in + 26);
    r.localTime.tm_mday = GetS32(in + 30);
    r.localTime.tm_mon = GetS32(in + 34);
    r.localTime.tm_year = GetS32(in + 38);
    r.localTime.tm_wday = GetS32(in + 42);
    r.localTime.tm_yday = GetS32(in + 46);
    r.localTime.tm_isdst = GetS32(in + 50);
}

void EncodeSessionLogHeader(const SessionLogHeader& h, unsigned char out[SESSION_HEADER_SIZE])
{
    std::memset(out, 0, SESSION_HEADER_SIZE);
    Put16(out, h.magic);
    for (int i = 0; i < 4; ++i) {
        Put32(out + 2 + 4 * i, static_cast<std::uint32_t>(h.writerVersion[i]));
        Put32(out + 18 + 4 * i, static_cast<std::uint32_t>(h.readerVersion[i]));
    }
    Put32(out + 34, static_cast<std::uint32_t>(h.headerSize));
    Put32(out + 38, static_cast<std::uint32_t>(h.recordSize));
}

void DecodeSessionLogHeader(const unsigned char in[SESSION_HEADER_SIZE], SessionLogHeader& h)
{
    h.magic = Get16(in);
    for (int i = 0; i < 4; ++i) {
        h.writerVersion[i] = GetS32(in + 2 + 4 * i);
        h.readerVersion[i] = GetS32(in + 18 + 4 * i);
    }
    h.headerSize = GetS32(in + 34);
    h.recordSize = GetS32(in + 38);
}

SessionLogPtr OpenSessionLogFile(const std::string& path, const std::string& backupPath, int mode)
{
    try {
        if (!PrepareLogFile(path, backupPath)) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        auto log = std::make_unique<SessionLog>();
        log->path = path;
        log->mode = mode;
        log->backupPath = backupPath;
        // Appends go through a separate append-only handle (see
        // AppendSessionRecord), so the stream itself only reads.
        const char* streamMode = mode == LOG_UPDATE ? "r+b" : "rb";
        log->stream = std::fopen(path.c_str(), streamMode);
        if (!log->stream) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        try {
            log->streamBuffer.resize(STREAM_BUFFER_SIZE);
            std::setvbuf(log->stream, log->streamBuffer.data(), _IOFBF, STREAM_BUFFER_SIZE);
        } catch (const std::bad_alloc&) {
            log->streamBuffer.clear();
        }
        unsigned char raw[SESSION_HEADER_SIZE];
        if (std::fread(raw, 1, sizeof raw, log->stream) != sizeof raw) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        SessionLogHeader header;
        DecodeSessionLogHeader(raw, header);
        log->headerSize = header.headerSize == 0 ? SESSION_HEADER_SIZE : header.headerSize;
        const std::int32_t extraBytesSince[4] = {1, 91, 0, 2};
        if (CompareVersions(header.writerVersion, extraBytesSince) >= 0) {
            if (header.recordSize < SESSION_RECORD_SIZE || header.recordSize > MAX_RECORD_SIZE) {
                ShowError(100, path.c_str());
                return nullptr;
            }
            log->extraSize = header.recordSize - SESSION_RECORD_SIZE;
            log->extraBuffer.assign(static_cast<std::size_t>(log->extraSize), 0);
        }
        if (log->headerSize < 0 || std::fseek(log->stream, log->headerSize, SEEK_SET) != 0) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        return log;
    } catch (const std::bad_alloc&) {
        ShowError(100, path.c_str());
        return nullptr;
    }
}

SessionLogPtr OpenSessionLog(int mode)
{
    return OpenSessionLogFile(LogFilePath, BackupFilePath, mode);
}

void CloseSessionLog(SessionLogPtr& log)
{
    log.reset();
}

int ReadSessionRecord(SessionLog& log, SessionRecord& record)
{
    unsigned char raw[SESSION_RECORD_SIZE];
    std::size_t n = std::fread(raw, 1, sizeof raw, log.stream);
    if (n == sizeof raw) {
        DecodeSessionRecord(raw, record);
        if (HackFlags & 1u) {
            record.localTime.tm_isdst = -1;
            record.time = MakeLocalTime(record.localTime);
        }
        if (log.extraSize > 0)
            std::fread(log.extraBuffer.data(), 1, log.extraBuffer.size(), log.stream);
        return 0;
    }
    if (n == 0 && !std::ferror(log.stream))
        return 1;
    ShowError(103, log.path.c_str());
    return -1;
}

namespace {

bool IsStart(const SessionRecord& r)
{
    return r.magic == SESSION_RECORD_MAGIC && r.kind == SESSION_START;
}

bool IsEnd(const SessionRecord& r)
{
    return r.magic == SESSION_RECORD_MAGIC && r.kind == SESSION_END;
}

} // namespace

bool StreamFailed(const SessionLog& log)
{
    return std::ferror(log.stream) != 0;
}

int ReadSession(SessionLog& log, SessionPair& pair, bool openAtDamagedEnd)
{
    SessionRecord record;
    int result = ReadSessionRecord(log, record);
    if (result != 0)
        return result;
    for (;;) {
        if (IsStart(record)) {
            pair.start = record;
            for (;;) {
                result = ReadSessionRecord(log, record);
                if (result == -1)
                    return (openAtDamagedEnd && !StreamFailed(log)) ? 2 : -1;
                if (result == 1)
                    return 2;
                if (IsStart(record)) {
                    pair.start = record;
                    continue;
                }
                if (IsEnd(record) && record.ispId == pair.start.ispId) {
                    pair.end = record;
                    return 0;
                }
                break;  // the pending start is dropped along with this record
            }
        }
        result = ReadSessionRecord(log, record);
        if (result != 0)
            return result;
    }
}

int AppendSessionRecord(SessionLog& log, const SessionRecord& record)
{
    std::vector<unsigned char> bytes(SESSION_RECORD_SIZE + static_cast<std::size_t>(log.extraSize), 0);
    EncodeSessionRecord(record, bytes.data());
    bool ok;
    if (log.mode == LOG_APPEND) {
        // One write on an append-only handle: whole records even when other
        // processes append at the same moment.
        ok = CurrentFileOps().appendAll(log.path.c_str(), bytes.data(), bytes.size()) == 0;
    } else {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), log.stream) == bytes.size();
    }
    if (!ok) {
        ShowError(101, log.path.c_str());
        return -1;
    }
    return 0;
}

SessionRecord MakeSessionRecord(std::int32_t ispId, int kind, std::int32_t flag, std::int64_t time)
{
    SessionRecord r;
    r.magic = SESSION_RECORD_MAGIC;
    r.kind = kind;
    r.flag = flag;
    r.ispId = ispId;
    r.time = time;
    ToLocalTime(time, r.localTime);
    return r;
}

int RecordSessionEvent(std::int32_t ispId, int kind, std::int32_t flag, std::int64_t time)
{
    SessionRecord record = MakeSessionRecord(ispId, kind, flag, time);
    SessionLogPtr log = OpenSessionLog(LOG_APPEND);
    if (!log)
        return -1;
    int result = AppendSessionRecord(*log, record);
    CloseSessionLog(log);
    return result;
}

void MakeEndRecord(const SessionRecord& start, SessionRecord& end, std::int64_t time)
{
    end = MakeSessionRecord(start.ispId, SESSION_END, 0, time);
}

int FindOpenSession(SessionRecord& record)
{
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    if (!log)
        return 0;
    const long recordSize = SESSION_RECORD_SIZE + log->extraSize;
    if (std::fseek(log->stream, 0, SEEK_END) != 0)
        return 0;
    long size = std::ftell(log->stream);
    if (size < 0 || size <= log->headerSize)
        return 0;
    // The last whole record, at the same offsets a front-to-back read uses.
    long count = (size - log->headerSize) / recordSize;
    if (count <= 0)
        return 0;
    if (std::fseek(log->stream, log->headerSize + (count - 1) * recordSize, SEEK_SET) != 0)
        return 0;
    SessionRecord last;
    if (ReadSessionRecord(*log, last) != 0)
        return 0;
    if (!IsStart(last))
        return 0;
    record = last;
    return 1;
}
