// Session logs built from records and read back, for the log tests.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fileops.h"
#include "sessionlog/sessionlog.h"
#include "support.h"

namespace logmaint {

using namespace testsupport;
using Records = std::vector<SessionRecord>;
using Codes = std::vector<ErrorCode>;

inline SessionRecord Start(std::int32_t isp, std::int64_t t) { return MakeSessionRecord(isp, SESSION_START, 0, t); }
inline SessionRecord End(std::int32_t isp, std::int64_t t) { return MakeSessionRecord(isp, SESSION_END, 0, t); }

// A record whose magic is wrong.
inline SessionRecord Bad(std::int32_t isp, std::int64_t t)
{
    SessionRecord r = Start(isp, t);
    r.magic = 0x1234;
    return r;
}

inline std::string RecordBytes(const SessionRecord& r)
{
    unsigned char raw[SESSION_RECORD_SIZE];
    EncodeSessionRecord(r, raw);
    return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

// The header this program writes, or one with other sizes and versions.
inline std::string HeaderBytes(std::int32_t recordSize = SESSION_RECORD_SIZE,
                               std::vector<std::int32_t> writer = {2, 1, 4, 0},
                               std::vector<std::int32_t> reader = {1, 90, 0, 0}, std::int32_t headerSize = 54)
{
    SessionLogHeader h;
    std::copy(writer.begin(), writer.end(), h.writerVersion);
    std::copy(reader.begin(), reader.end(), h.readerVersion);
    h.headerSize = headerSize;
    h.recordSize = recordSize;
    unsigned char raw[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(h, raw);
    return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

// A log as this program creates it: the standard header, then the records.
inline std::string LogBytes(const std::vector<SessionRecord>& records)
{
    std::string bytes = HeaderBytes();
    for (const SessionRecord& r : records)
        bytes += RecordBytes(r);
    return bytes;
}

inline void WriteLog(const std::filesystem::path& path, const std::vector<SessionRecord>& records,
                     const std::string& tail = "")
{
    WriteFileBytes(path, LogBytes(records) + tail);
}

// The records of a log file (the Win32 tests read the program's log with it).
inline std::vector<SessionRecord> ReadRecords(const std::filesystem::path& path)
{
    std::string bytes = ReadFileBytes(path);
    std::vector<SessionRecord> records;
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE)
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at), records.emplace_back());
    return records;
}

// Names in the directory other than the program's own files, sorted.
inline std::vector<std::string> StrayFiles(const std::filesystem::path& dir)
{
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        stray.push_back(entry.path().filename().string());
    std::erase_if(stray, [](const std::string& n) {
        return n == "tolvane.log" || n == "tolvane.bak" || n == "tolvane.ini" || n == "tolvane.err";
    });
    std::sort(stray.begin(), stray.end());
    return stray;
}

// The platform's own file operations, as installed before a test changed them.
inline const FileOps& PlatformOps()
{
    static const FileOps& ops = CurrentFileOps();
    return ops;
}

// The platform's file operations, some replaced by the test, in place for the scope.
struct ScopedFileOps : FileOps {
    ScopedFileOps() : FileOps(PlatformOps()) { SetFileOps(this); }
    ~ScopedFileOps() { SetFileOps(&PlatformOps()); }
};

} // namespace logmaint
