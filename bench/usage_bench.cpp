// Times ComputeUsage over a program directory against plain reads of its
// log, and reports the process's peak memory.
//
//   tolvane-usage-bench DIR [--repeat N] [--only compute]
//
// "current" is the period containing the log's last record, "middle" the
// period containing its middle record. Each figure is the best of N runs.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "charging/charging.h"
#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"
#include "startup/errors.h"
#include "startup/locations.h"

#ifdef _WIN32
#include "platform/win32_seams.h"
#endif

namespace {

double BestSeconds(int repeat, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        if (d.count() < best)
            best = d.count();
    }
    return best;
}

long PeakKilobytes()
{
#ifndef _WIN32
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return -1;
#endif
}

// The instant of the record at an index (0-based), read directly.
std::int64_t RecordTime(const std::string& path, long index)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    unsigned char raw[SESSION_RECORD_SIZE];
    std::int64_t time = -1;
    if (std::fseek(f, SESSION_HEADER_SIZE + index * SESSION_RECORD_SIZE, SEEK_SET) == 0 &&
        std::fread(raw, 1, sizeof raw, f) == sizeof raw) {
        SessionRecord r;
        DecodeSessionRecord(raw, r);
        time = r.time;
    }
    std::fclose(f);
    return time;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    InstallWin32Seams();
    SetErrorPresenter(nullptr);
#endif
    InitTimeZone();
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvane-usage-bench DIR [--repeat N] [--only compute]\n");
        return 2;
    }
    int repeat = 3;
    bool onlyCompute = false;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--only") && !std::strcmp(argv[i + 1], "compute"))
            onlyCompute = true;
    }
    if (SetUpFileLocations(JoinPath(argv[1], "tolvane.exe")) != 0)
        return 1;
    LoadGlobalDeleteSettings();

    std::FILE* f = std::fopen(LogFilePath.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "cannot open %s\n", LogFilePath.c_str());
        return 1;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    const long records = (size - SESSION_HEADER_SIZE) / SESSION_RECORD_SIZE;
    const std::int64_t current = RecordTime(LogFilePath, records - 1);
    const std::int64_t middle = RecordTime(LogFilePath, records / 2);
    std::printf("log: %ld records, %.1f MB\n", records, size / 1e6);

    if (!onlyCompute) {
        std::vector<char> buffer(1 << 16);
        const double raw = BestSeconds(repeat, [&] {
            std::FILE* in = std::fopen(LogFilePath.c_str(), "rb");
            while (std::fread(buffer.data(), 1, buffer.size(), in) > 0) {
            }
            std::fclose(in);
        });
        long seen = 0;
        const double byRecord = BestSeconds(repeat, [&] {
            SessionLogPtr log = OpenSessionLog(LOG_READ);
            SessionRecord r;
            seen = 0;
            while (ReadSessionRecord(*log, r) == 0)
                ++seen;
        });
        std::printf("read-through, 64 KiB blocks:        %8.1f ms\n", raw * 1e3);
        std::printf("read-through, record by record:     %8.1f ms (%ld records)\n", byRecord * 1e3, seen);
    }
    int connections = 0;
    const double currentTime = BestSeconds(repeat, [&] {
        TariffTable table;
        if (ComputeUsage(current, table) != 0)
            std::exit(1);
        connections = table.Phone.Connections;
    });
    std::printf("ComputeUsage, current period:       %8.1f ms (phone connections %d)\n", currentTime * 1e3,
                connections);
    const double middleTime = BestSeconds(repeat, [&] {
        TariffTable table;
        if (ComputeUsage(middle, table) != 0)
            std::exit(1);
        connections = table.Phone.Connections;
    });
    std::printf("ComputeUsage, middle of the log:    %8.1f ms (phone connections %d)\n", middleTime * 1e3,
                connections);
    std::printf("peak resident memory:               %8ld KiB\n", PeakKilobytes());
    return 0;
}
