#include "sessionlog/viewlog.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <random>
#include <system_error>

#include "platform/clock.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "platform/viewer.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/ispnumbers.h"

namespace {

const char* const VIEW_SECTION = "WinViewLog";

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::uint64_t NextRandom()
{
    // splitmix64 over a seed that differs between processes and calls, so
    // two copies of the program do not walk the same names.
    static std::uint64_t state = [] {
        std::uint64_t seed = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
        } catch (...) {
            // No entropy source: the clock alone will do.
        }
        return seed ^ reinterpret_cast<std::uintptr_t>(&seed);
    }();
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The registered temporary files; a function-local static so it outlives
// the exit hook that empties it.
std::vector<std::string>& TempFiles()
{
    static std::vector<std::string> files;
    return files;
}

bool exitHookInstalled = false;

void ExitHook()
{
    DeleteRegisteredTempFiles();
}

LocalTime DateAtMidnight(const LocalTime& date, int dayOffset)
{
    LocalTime t;
    t.tm_year = date.tm_year;
    t.tm_mon = date.tm_mon;
    t.tm_mday = date.tm_mday + dayOffset;
    return t;
}

// The full year of a year field, saturated so that a damaged record cannot
// overflow it.
int DisplayYear(std::int32_t yearField)
{
    long long year = static_cast<long long>(yearField) + 1900;
    return year > 2147483647LL ? 2147483647 : static_cast<int>(year);
}

bool InRange(std::int64_t t, std::int64_t from, std::int64_t to)
{
    return from <= t && t <= to;
}

} // namespace

int LoadViewLogSettings(ViewLogSettings& settings)
{
    try {
        ProfileFlush(IniFilePath);
        ViewLogSettings s;
        long useTemp = ProfileGetInt(IniFilePath, VIEW_SECTION, "UseTempName", 1);
        s.useTempName = useTemp == 0 ? 0 : 1;
        s.rawLogFileName = ReadWholeValue(IniFilePath, VIEW_SECTION, "RawLogFileName");
        if (s.rawLogFileName.empty())
            s.useTempName = 1;
        s.viewerPath = ReadWholeValue(IniFilePath, VIEW_SECTION, "ViewerPath");
        if (s.viewerPath.empty())
            s.viewerPath = "notepad.exe";
        long range = ProfileGetInt(IniFilePath, VIEW_SECTION, "DefaultRange", RANGE_CURRENT_MONTH);
        s.defaultRange = range >= 0 && range <= 2 ? static_cast<std::int32_t>(range) : RANGE_CURRENT_MONTH;
        settings = std::move(s);
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

void SaveViewLogSettings(const ViewLogSettings& settings)
{
    ProfileWriteInt(IniFilePath, VIEW_SECTION, "UseTempName", settings.useTempName);
    if (settings.rawLogFileName.empty())
        ProfileDeleteKey(IniFilePath, VIEW_SECTION, "RawLogFileName");
    else
        ProfileWrite(IniFilePath, VIEW_SECTION, "RawLogFileName", settings.rawLogFileName.c_str());
    if (settings.viewerPath.empty())
        ProfileDeleteKey(IniFilePath, VIEW_SECTION, "ViewerPath");
    else
        ProfileWrite(IniFilePath, VIEW_SECTION, "ViewerPath", settings.viewerPath.c_str());
    ProfileWriteInt(IniFilePath, VIEW_SECTION, "DefaultRange", settings.defaultRange);
}

void FreeViewLogSettings(ViewLogSettings& settings)
{
    settings = ViewLogSettings{};
}

std::int32_t ReadDefaultRange()
{
    ProfileFlush(IniFilePath);
    long range = ProfileGetInt(IniFilePath, VIEW_SECTION, "DefaultRange", RANGE_CURRENT_MONTH);
    return range >= 0 && range <= 2 ? static_cast<std::int32_t>(range) : RANGE_CURRENT_MONTH;
}

int PeriodFromDates(const LocalTime& startDate, const LocalTime& endDate, std::int64_t& from, std::int64_t& to)
{
    LocalTime first = DateAtMidnight(startDate, 0);
    LocalTime afterLast = DateAtMidnight(endDate, 1);
    std::int64_t start = NormaliseLocalTime(first);
    std::int64_t next = NormaliseLocalTime(afterLast);
    if (start == -1 || next == -1)
        return -1;
    from = start;
    to = next - 1;
    return 0;
}

ViewRequest WholeLogRequest(std::int32_t ispId)
{
    ViewRequest request;
    request.from = 0;
    request.to = Now();
    request.ispId = ispId;
    return request;
}

void DefaultViewDates(std::int32_t defaultRange, std::int64_t now, LocalTime& startDate, LocalTime& endDate)
{
    LocalTime today = ToLocalTime(now);
    LocalTime start;
    start.tm_year = today.tm_year;
    start.tm_mon = defaultRange == RANGE_CURRENT_YEAR ? 0 : today.tm_mon;
    start.tm_mday = 1;
    // Day 0 of the following month is the last day of this one.
    LocalTime end;
    end.tm_year = today.tm_year;
    end.tm_mon = defaultRange == RANGE_CURRENT_YEAR ? 12 : today.tm_mon + 1;
    end.tm_mday = 0;
    NormaliseLocalTime(start);
    NormaliseLocalTime(end);
    startDate = start;
    endDate = end;
}

std::string TemporaryDirectory()
{
    try {
        std::error_code ec;
        std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
        if (ec)
            return std::string();
        return dir.string();
    } catch (...) {
        // A name the narrow character set cannot hold counts as unobtainable.
        return std::string();
    }
}

std::string MakeUniqueName(const std::string& directory, const std::string& prefix)
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::uint64_t bits = NextRandom();
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += alphabet[bits % 36];
            bits /= 36;
        }
        std::string path = JoinPath(directory, name);
        if (!FileExists(path))
            return path;
    }
    return std::string();
}

std::string MakeTempRawLogName()
{
    try {
        std::string directory = TemporaryDirectory();
        if (directory.empty()) {
            ShowError(1073);
            return std::string();
        }
        std::string name = MakeUniqueName(directory, "rl");
        if (name.empty())
            ShowError(117);
        return name;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return std::string();
    }
}

int RegisterTempFile(const std::string& name)
{
    try {
        std::vector<std::string>& files = TempFiles();
        if (files.size() == files.capacity())
            files.reserve(files.size() + 16);
        files.push_back(name);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (!exitHookInstalled) {
        exitHookInstalled = true;
        std::atexit(ExitHook);
    }
    return 0;
}

void DeleteRegisteredTempFiles()
{
    std::vector<std::string>& files = TempFiles();
    for (const std::string& name : files)
        std::remove(name.c_str());  // a viewer may still hold it open; skip quietly
    files.clear();
    files.shrink_to_fit();
}

const std::vector<std::string>& RegisteredTempFiles()
{
    return TempFiles();
}

const char* MonthName(std::int32_t month)
{
    // A damaged record must not index past the table.
    return month >= 0 && month < 12 ? MonthNames[month] : "?";
}

namespace {

int WriteSession(std::FILE* stream, const std::string& fileName, const SessionPair& pair, int status,
                 const std::string& name)
{
    const LocalTime& s = pair.start.localTime;
    const int startYear = DisplayYear(s.tm_year);
    int written;
    if (status == 2) {
        written = std::fprintf(stream, "%s\nStart : %d %s %04d, %02d:%02d:%02d\nEnd   : still online\n\n",
                               name.c_str(), s.tm_mday, MonthName(s.tm_mon), startYear, s.tm_hour, s.tm_min,
                               s.tm_sec);
    } else {
        const LocalTime& e = pair.end.localTime;
        const int endYear = DisplayYear(e.tm_year);
        written = std::fprintf(stream,
                               "%s\nStart : %d %s %04d, %02d:%02d:%02d\nEnd   : %d %s %04d, %02d:%02d:%02d\n\n",
                               name.c_str(), s.tm_mday, MonthName(s.tm_mon), startYear, s.tm_hour, s.tm_min,
                               s.tm_sec, e.tm_mday, MonthName(e.tm_mon), endYear, e.tm_hour, e.tm_min, e.tm_sec);
    }
    if (written < 0 || std::ferror(stream)) {
        ShowError(115, fileName.c_str());
        return -1;
    }
    return 0;
}

} // namespace

int FormatSession(std::FILE* stream, const std::string& fileName, const SessionPair& pair, int status)
{
    std::string name;
    try {
        name = GetIspDescription(pair.start.ispId);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    return WriteSession(stream, fileName, pair, status, name);
}

int ListSessions(std::int64_t from, std::int64_t to, std::int32_t ispId, std::FILE* stream,
                 const std::string& fileName)
{
    if (ispId < 0) {
        LogError(1200, static_cast<int>(ispId));
        ispId = 0;
    }
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    if (!log)
        return -1;
    // Descriptions are looked up once per ISP and listing, not per session.
    std::map<std::int32_t, std::string> names;
    for (;;) {
        SessionPair pair;
        int status = ReadSession(*log, pair);
        if (status == 1)
            return 0;
        if (status == -1)
            return -1;
        if (ispId != 0 && pair.start.ispId != ispId)
            continue;
        bool listed = InRange(pair.start.time, from, to) || (status == 0 && InRange(pair.end.time, from, to));
        if (!listed)
            continue;
        const std::string* name;
        try {
            auto found = names.find(pair.start.ispId);
            if (found == names.end())
                found = names.emplace(pair.start.ispId, GetIspDescription(pair.start.ispId)).first;
            name = &found->second;
        } catch (const std::bad_alloc&) {
            ShowError(105);
            return -1;
        }
        if (WriteSession(stream, fileName, pair, status, *name) != 0)
            return -1;
    }
}

int ExportAndViewRawLog(const ViewLogSettings& settings, const ViewRequest& request)
{
    std::string fileName;
    bool temporary = settings.useTempName != 0 || settings.rawLogFileName.empty();
    try {
        if (temporary) {
            fileName = MakeTempRawLogName();
            if (fileName.empty())
                return -1;
        } else {
            fileName = settings.rawLogFileName;
        }
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    std::FILE* file = std::fopen(fileName.c_str(), "w");
    if (!file) {
        ShowError(1074);
        return -1;
    }
    int listed = ListSessions(request.from, request.to, request.ispId, file, fileName);
    // Buffered text may only fail to reach the disk when the file is closed.
    bool closed = std::fclose(file) == 0;
    if (listed == 0 && !closed) {
        ShowError(115, fileName.c_str());
        listed = -1;
    }
    if (listed != 0) {
        CurrentFileOps().removeFile(fileName.c_str());
        return -1;
    }
    const char* viewer = settings.viewerPath.empty() ? "notepad.exe" : settings.viewerPath.c_str();
    int launched = LaunchViewer(viewer, fileName.c_str());
    // A temporary file is deleted at exit even when no viewer shows it:
    // nobody else knows its name.
    if (temporary)
        RegisterTempFile(fileName);
    if (launched != 0) {
        ShowError(1075, viewer);
        return -1;
    }
    return 0;
}
