#include "sessionlog/sessionlog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>

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
constexpr std::size_t BLOCK_SIZE = 64 * 1024;

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
    std::string temp;
    std::FILE* f = CreateTemporary(path, temp);
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

enum HeaderKind { HEADER_UNREADABLE, HEADER_LOG, HEADER_TOO_NEW, HEADER_FOREIGN };

HeaderKind InspectHeader(const std::string& path)
{
    std::FILE* f = CurrentFileOps().openExisting(path.c_str(), "rb");
    if (!f)
        return HEADER_UNREADABLE;
    unsigned char raw[SESSION_HEADER_SIZE];
    std::size_t n = std::fread(raw, 1, sizeof raw, f);
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError)
        return HEADER_UNREADABLE;
    if (n < sizeof raw || Get16(raw) != LOG_HEADER_MAGIC)
        return HEADER_FOREIGN;
    SessionLogHeader header;
    DecodeSessionLogHeader(raw, header);
    return CompareVersions(header.readerVersion, ProgramVersion) <= 0 ? HEADER_LOG : HEADER_TOO_NEW;
}

enum Prepared { PREPARE_FAILED, PREPARE_READY, PREPARE_MOVED_ASIDE };

// Makes sure a session log exists at the path; moves a foreign file aside.
Prepared PrepareLogFile(const std::string& path, const std::string& backupPath)
{
    const FileOps& ops = CurrentFileOps();
    // A retry follows another opener that moved the foreign file meanwhile.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!FileExists(path))
            return CreateEmptyLog(path) ? PREPARE_READY : PREPARE_FAILED;
        HeaderKind kind = InspectHeader(path);
        if (kind == HEADER_UNREADABLE && !FileExists(path))
            continue;  // moved aside by another opener since it was seen
        if (kind != HEADER_FOREIGN)
            return kind == HEADER_LOG ? PREPARE_READY : PREPARE_FAILED;
        // Not a session log. It is kept as the backup; if it cannot be moved
        // there it is left alone and the open fails, so nothing is overwritten.
        if (backupPath.empty())
            return PREPARE_FAILED;
        FileHandle locked = LockNamedFile(path.c_str());
        if (locked == NO_FILE)
            continue;
        // Checked again under the lock: another opener may have moved it
        // aside and made a new log while this one waited.
        Prepared result = PREPARE_FAILED;
        kind = InspectHeader(path);
        if (kind == HEADER_LOG)
            result = PREPARE_READY;
        else if (kind == HEADER_FOREIGN && (ops.keepOnlyLock(locked), ops.replaceFile(path.c_str(), backupPath.c_str()) == 0))
            result = CreateEmptyLog(path) ? PREPARE_MOVED_ASIDE : PREPARE_FAILED;
        ops.closeFile(locked);
        return result;
    }
    return PREPARE_FAILED;
}

// Header size and record size of an open stream, from its header.
bool ReadLogLayout(SessionLog& log)
{
    unsigned char raw[SESSION_HEADER_SIZE];
    if (std::fseek(log.stream, 0, SEEK_SET) != 0 || std::fread(raw, 1, sizeof raw, log.stream) != sizeof raw)
        return false;
    SessionLogHeader header;
    DecodeSessionLogHeader(raw, header);
    log.headerSize = header.headerSize == 0 ? SESSION_HEADER_SIZE : header.headerSize;
    log.extraSize = 0;
    const std::int32_t extraBytesSince[4] = {1, 91, 0, 2};
    if (CompareVersions(header.writerVersion, extraBytesSince) >= 0) {
        if (header.recordSize < SESSION_RECORD_SIZE || header.recordSize > MAX_RECORD_SIZE)
            return false;
        log.extraSize = header.recordSize - SESSION_RECORD_SIZE;
    }
    log.extraBuffer.assign(static_cast<std::size_t>(log.extraSize), 0);
    return log.headerSize >= 0;
}

std::int64_t RecordStride(const SessionLog& log)
{
    return SESSION_RECORD_SIZE + static_cast<std::int64_t>(log.extraSize);
}

// Sets the reader to a file offset and notes whether the rest of the file
// is a whole number of records.
bool PositionReader(SessionLog& log, std::int64_t offset)
{
    std::clearerr(log.stream);
    if (std::fseek(log.stream, 0, SEEK_END) != 0)
        return false;
    const std::int64_t size = std::ftell(log.stream);
    if (size < 0 || std::fseek(log.stream, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    log.blockStart = offset;
    log.blockPosition = log.blockLength = 0;
    log.endOfStream = false;
    log.partialAt = -1;
    log.strayBytes = size > offset ? (size - offset) % RecordStride(log) : 0;
    return true;
}

// Makes at least `wanted` bytes available unless the stream ends first.
void FillBlock(SessionLog& log, std::size_t wanted)
{
    if (log.blockLength - log.blockPosition >= wanted || log.endOfStream)
        return;
    if (log.block.size() < std::max(BLOCK_SIZE, wanted))
        log.block.resize(std::max(BLOCK_SIZE, wanted));
    std::size_t kept = log.blockLength - log.blockPosition;
    if (kept > 0 && log.blockPosition > 0)
        std::memmove(log.block.data(), log.block.data() + log.blockPosition, kept);
    log.blockStart += static_cast<std::int64_t>(log.blockPosition);
    log.blockPosition = 0;
    log.blockLength = kept;
    while (log.blockLength < wanted && !log.endOfStream) {
        std::size_t n =
            std::fread(log.block.data() + log.blockLength, 1, log.block.size() - log.blockLength, log.stream);
        log.blockLength += n;
        if (n == 0)
            log.endOfStream = true;
    }
}

// A record as this program writes it: only these are trusted to show where
// whole records begin again after a stray part of one.
bool PlausibleRecord(const unsigned char* raw)
{
    SessionRecord r;
    DecodeSessionRecord(raw, r);
    const LocalTime& t = r.localTime;
    return r.magic == SESSION_RECORD_MAGIC && (r.kind == SESSION_START || r.kind == SESSION_END) &&
           (r.flag == 0 || r.flag == 1) && t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 &&
           t.tm_hour >= 0 && t.tm_hour <= 23 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 &&
           t.tm_mon <= 11 && t.tm_year >= 0 && t.tm_year <= 300 && t.tm_wday >= 0 && t.tm_wday <= 6 &&
           t.tm_yday >= 0 && t.tm_yday <= 365 && t.tm_isdst >= -1 && t.tm_isdst <= 1;
}

// In a file that is not a whole number of records, a record that does not
// look like one while the bytes a stray part further on do is where the
// stray part lies: step over it (reported once).
void SkipStrayPart(SessionLog& log, std::size_t stride)
{
    const std::size_t stray = static_cast<std::size_t>(log.strayBytes);
    FillBlock(log, stray + stride);
    if (log.blockLength - log.blockPosition < stray + SESSION_RECORD_SIZE)
        return;
    const unsigned char* here = log.block.data() + log.blockPosition;
    if (PlausibleRecord(here) || !PlausibleRecord(here + stray))
        return;
    ShowError(103, log.path.c_str());
    log.blockPosition += stray;
    log.strayBytes = 0;
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
        Prepared prepared = PrepareLogFile(path, backupPath);
        if (prepared == PREPARE_FAILED) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        auto log = std::make_unique<SessionLog>();
        log->path = path;
        log->mode = mode;
        log->backupPath = backupPath;
        log->movedAside = prepared == PREPARE_MOVED_ASIDE;
        // Appends go through a separate handle under the writers' lock (see
        // AppendSessionRecord), so the stream itself only reads.
        const char* streamMode = mode == LOG_UPDATE ? "r+b" : "rb";
        log->stream = CurrentFileOps().openExisting(path.c_str(), streamMode);
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
        if (!ReadLogLayout(*log) || !PositionReader(*log, log->headerSize)) {
            ShowError(100, path.c_str());
            return nullptr;
        }
        // An appender keeps no stream open while it waits for the writers'
        // lock: on Windows an open stream would stop a rewrite from giving
        // the log's name to the new file.
        if (mode == LOG_APPEND) {
            std::fclose(log->stream);
            log->stream = nullptr;
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

namespace {

// The next record's bytes in the block: 0 (raw set), 1 end of file, -1 error.
int NextRecordBytes(SessionLog& log, const unsigned char*& raw)
{
    if (!log.stream)
        return -1;
    const std::size_t stride = static_cast<std::size_t>(RecordStride(log));
    if (log.strayBytes != 0)
        SkipStrayPart(log, stride);
    FillBlock(log, stride);
    const std::size_t available = log.blockLength - log.blockPosition;
    if (available < SESSION_RECORD_SIZE) {
        if (available == 0 && !std::ferror(log.stream))
            return 1;
        log.partialAt = log.blockStart + static_cast<std::int64_t>(log.blockPosition);
        log.blockPosition = log.blockLength;
        if (!log.tailMayGrow && log.reportedAt != log.partialAt) {
            ShowError(103, log.path.c_str());
            log.reportedAt = log.partialAt;
        }
        return -1;
    }
    // A last record cut inside its extra bytes still has all its fields.
    raw = log.block.data() + log.blockPosition;
    log.blockPosition += std::min(available, stride);
    return 0;
}

// The instant recomputed from the local time (HackFlags bit 0).
void ApplyHackFlags(SessionRecord& record)
{
    record.localTime.tm_isdst = -1;
    record.time = MakeLocalTime(record.localTime);
}

} // namespace

int ReadScannedRecord(SessionLog& log, ScannedRecord& out)
{
    const unsigned char* raw = nullptr;
    if (int result = NextRecordBytes(log, raw); result != 0)
        return result;
    if (HackFlags & 1u) {
        DecodeSessionRecord(raw, out.record);
        ApplyHackFlags(out.record);
        out.decoded = true;
        out.magic = out.record.magic;
        out.kind = out.record.kind;
        out.ispId = out.record.ispId;
        out.time = out.record.time;
        return 0;
    }
    std::memcpy(out.raw, raw, SESSION_RECORD_SIZE);
    out.decoded = false;
    out.magic = Get16(raw);
    out.kind = GetS32(raw + 2);
    out.ispId = GetS32(raw + 10);
    out.time = static_cast<std::int64_t>(Get32(raw + 14));
    return 0;
}

SessionRecord DecodeScannedRecord(const ScannedRecord& scanned)
{
    if (scanned.decoded)
        return scanned.record;
    SessionRecord r;
    DecodeSessionRecord(scanned.raw, r);
    return r;
}

int ReadSessionRecord(SessionLog& log, SessionRecord& record)
{
    const unsigned char* raw = nullptr;
    if (int result = NextRecordBytes(log, raw); result != 0)
        return result;
    DecodeSessionRecord(raw, record);
    if (HackFlags & 1u)
        ApplyHackFlags(record);
    return 0;
}

void ContinueAfterEnd(SessionLog& log)
{
    std::int64_t at = log.partialAt >= 0 ? log.partialAt : log.blockStart + static_cast<std::int64_t>(log.blockPosition);
    PositionReader(log, at);
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
    bool ok = false;
    if (log.mode == LOG_APPEND) {
        FileHandle locked = LockNamedFile(log.path.c_str());
        if (locked != NO_FILE) {
            // A rewrite may have replaced the log since it was opened: the
            // record takes the layout of the file that has the name now.
            log.stream = CurrentFileOps().openExisting(log.path.c_str(), "rb");
            if (log.stream && ReadLogLayout(log)) {
                std::vector<unsigned char> bytes(static_cast<std::size_t>(RecordStride(log)), 0);
                EncodeSessionRecord(record, bytes.data());
                ok = AppendWhole(locked, bytes.data(), bytes.size()) == 0;
            }
            if (log.stream)
                std::fclose(log.stream);
            log.stream = nullptr;
            CurrentFileOps().closeFile(locked);
        }
    } else {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(RecordStride(log)), 0);
        EncodeSessionRecord(record, bytes.data());
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
    if (std::fseek(log->stream, 0, SEEK_END) != 0)
        return 0;
    const std::int64_t size = std::ftell(log->stream);
    if (size < log->headerSize + SESSION_RECORD_SIZE)
        return 0;
    // The last record whose fields are whole, at the offsets a front-to-back
    // read uses (a cut in its extra bytes does not hide it).
    const std::int64_t stride = RecordStride(*log);
    const std::int64_t last = (size - log->headerSize - SESSION_RECORD_SIZE) / stride;
    if (!PositionReader(*log, log->headerSize + last * stride))
        return 0;
    SessionRecord found;
    if (ReadSessionRecord(*log, found) != 0 || !IsStart(found))
        return 0;
    record = found;
    return 1;
}
