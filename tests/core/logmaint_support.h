// Helpers shared by the log maintenance tests: building logs from records
// and reading them back.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sessionlog/sessionlog.h"
#include "support.h"

namespace logmaint {

inline SessionRecord Start(std::int32_t isp, std::int64_t t)
{
    return MakeSessionRecord(isp, SESSION_START, 0, t);
}

inline SessionRecord End(std::int32_t isp, std::int64_t t)
{
    return MakeSessionRecord(isp, SESSION_END, 0, t);
}

inline std::string RecordBytes(const SessionRecord& r)
{
    unsigned char raw[SESSION_RECORD_SIZE];
    EncodeSessionRecord(r, raw);
    return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

inline std::string HeaderBytes(const SessionLogHeader& header = SessionLogHeader{})
{
    unsigned char raw[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(header, raw);
    return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

// A header with other versions and sizes than this program writes.
inline std::string HeaderBytes(std::int32_t recordSize, std::vector<std::int32_t> writer = {2, 1, 4, 0},
                               std::vector<std::int32_t> reader = {1, 90, 0, 0}, std::int32_t headerSize = 54)
{
    SessionLogHeader h;
    for (int i = 0; i < 4; ++i)
        h.writerVersion[i] = writer[i], h.readerVersion[i] = reader[i];
    h.headerSize = headerSize;
    h.recordSize = recordSize;
    return HeaderBytes(h);
}

// A record whose magic is wrong.
inline SessionRecord Bad(std::int32_t isp, std::int64_t t)
{
    SessionRecord r = Start(isp, t);
    r.magic = 0x1234;
    return r;
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
    testsupport::WriteFileBytes(path, LogBytes(records) + tail);
}

inline std::vector<SessionRecord> ReadRecords(const std::filesystem::path& path)
{
    std::string bytes = testsupport::ReadFileBytes(path);
    std::vector<SessionRecord> records;
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
        SessionRecord r;
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at), r);
        records.push_back(r);
    }
    return records;
}

// Names in the directory other than the program's own files.
inline std::vector<std::string> StrayFiles(const std::filesystem::path& dir)
{
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name != "tolvane.log" && name != "tolvane.bak" && name != "tolvane.ini" && name != "tolvane.err")
            stray.push_back(name);
    }
    return stray;
}

} // namespace logmaint
