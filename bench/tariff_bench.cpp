// Times loading and saving tariff tables: a realistic settings file, the
// largest sections we accept, and hostile files that must fail at once, with
// the peak memory after each (native build); then what the import dialogs
// read from hostile ISP definition files (listing the entries, building the
// disclaimer, reading the description, each after the file was written, so
// the first read of each run parses it afresh).
//
//   tolvane-tariff-bench DIR [--repeat N]
//
// DIR is emptied and used as the program directory. Each figure is the best
// of N runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "platform/clock.h"
#include "platform/profile.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/ispfile.h"
#include "tariff/tariffstore.h"

#ifdef _WIN32
#include "platform/win32_seams.h"
#endif

namespace {

void QuietPresenter(const char*, const char*, ErrorCode) {}

double BestOf(int repeat, const std::function<void()>& run)
{
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        run();
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (ms < best)
            best = ms;
    }
    return best;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::string RealisticFile(int isps)
{
    std::string s = "[Global]\r\nActiveIDs=";
    for (int i = 1; i <= isps; ++i)
        s += (i > 1 ? "," : "") + std::to_string(i);
    s += "\r\n";
    const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int i = 0; i <= isps; ++i) {
        s += i == 0 ? "[Phone]\r\n" : "[ISP" + std::to_string(i) + "]\r\n";
        s += "Description=Provider " + std::to_string(i) + "\r\nSecsPerUnit=60\r\nNumFrames=4\r\n";
        for (int f = 0; f < 4; ++f)
            s += "Frame" + std::to_string(f) + "=0.0" + std::to_string(f + 1) + "0000,Band" + std::to_string(f) + "\r\n";
        for (const char* d : days)
            for (int j = 0; j < 4; ++j) {
                char v[64];
                std::snprintf(v, sizeof v, "%s%d=%02d:00:00-%02d:59:59,%d\r\n", d, j, j * 6, j * 6 + 5, j);
                s += v;
            }
        s += "NumExceptions=20\r\n";
        for (int e = 0; e < 20; ++e)
            s += "DayException" + std::to_string(e) + "=2026/" + std::to_string(e % 12 + 1) + "/01\r\n";
    }
    return s;
}

// ActiveIDs naming one ISP `ids` times (2 bytes each) and that ISP's section.
std::string ManyIds(int ids, const std::string& section)
{
    std::string s = "[Global]\r\nActiveIDs=1";
    for (int i = 1; i < ids; ++i)
        s += ",1";
    return s + "\r\n[ISP1]\r\n" + section;
}

// ActiveIDs naming `ids` different ISPs, each with a small section.
std::string DistinctIds(int ids)
{
    std::string s = "[Global]\r\nActiveIDs=";
    for (int i = 1; i <= ids; ++i)
        s += (i > 1 ? "," : "") + std::to_string(i);
    s += "\r\n";
    for (int i = 1; i <= ids; ++i)
        s += "[ISP" + std::to_string(i) + "]\r\nDescription=P" + std::to_string(i) + "\r\nNumFrames=2\r\n";
    return s;
}

std::string LargeSection(const char* prefix, int count, const char* countKey)
{
    std::string s = "[Global]\r\nActiveIDs=1\r\n[ISP1]\r\n";
    if (countKey)
        s += std::string(countKey) + "=" + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(prefix, "Mon") == 0)
            s += "Mon" + std::to_string(i) + "=01:00:00-02:00:00,0\r\n";
        else
            s += std::string(prefix) + std::to_string(i) + "=2026/01/01\r\n";
    }
    return s;
}

// An import file of `count` small entries.
std::string Entries(int count)
{
    std::string s = "[Import]\r\nLastISP=" + std::to_string(count) + "\r\n";
    for (int i = 1; i <= count; ++i)
        s += "[ImportISP" + std::to_string(i) + "]\r\nDescription=Provider " + std::to_string(count - i) +
             "\r\nNumFrames=2\r\nFrame0=0.010000,Off\r\nFrame1=0.040000,Peak\r\nMon0=08:00:00-17:59:59,1\r\n";
    return s;
}

// The import dialogs' reads of hostile import files.
void ImportFileCases(const std::filesystem::path& dir, int repeat)
{
    const std::string path = (dir / "bench.ISP").string();
    const std::string longLine(10 << 20, 'x');

    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"4 entries (realistic)", Entries(4)},
        {"10000 entries", Entries(10000)},
        {"LastISP=2147483647, 2 entries", "[Import]\r\nLastISP=2147483647\r\n[ImportISP1]\r\n[ImportISP9]\r\n"},
        {"NumLines=2000000000, 2 lines",
         "[Import]\r\nLastISP=1\r\n[Disclaimer]\r\nNumLines=2000000000\r\nLine1=a\r\nLine7=b\r\n[ImportISP1]\r\n"},
        {"10 MB description line", "[Import]\r\nLastISP=1\r\nFileDescription=" + longLine + "\r\n[ImportISP1]\r\n"},
        {"10 MB disclaimer line", "[Import]\r\nLastISP=1\r\n[Disclaimer]\r\nNumLines=1\r\nLine1=" + longLine + "\r\n"},
    };
    std::printf("%-34s %12s %12s %12s %8s\n", "file", "list ms", "disclaim ms", "descr ms", "entries");
    for (const auto& c : cases) {
        WriteFile(path, c.text);
        double best[3] = {1e300, 1e300, 1e300};
        std::size_t entries = 0;
        for (int r = 0; r < repeat; ++r) {
            ProfileFlush(path);
            const auto t0 = std::chrono::steady_clock::now();
            entries = ListIspFileEntries(path, false).size();
            const auto t1 = std::chrono::steady_clock::now();
            std::string text;
            BuildDisclaimer(path, text);
            const auto t2 = std::chrono::steady_clock::now();
            ReadIspFileDescription(path);
            const auto t3 = std::chrono::steady_clock::now();
            const double ms[3] = {std::chrono::duration<double, std::milli>(t1 - t0).count(),
                                  std::chrono::duration<double, std::milli>(t2 - t1).count(),
                                  std::chrono::duration<double, std::milli>(t3 - t2).count()};
            for (int i = 0; i < 3; ++i)
                best[i] = ms[i] < best[i] ? ms[i] : best[i];
        }
        std::printf("%-34s %12.2f %12.2f %12.2f %8zu\n", c.name, best[0], best[1], best[2], entries);
    }
}

long PeakKb()
{
#ifndef _WIN32
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#else
    return -1;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [--repeat N]\n", argv[0]);
        return 2;
    }
#ifdef _WIN32
    InstallWin32Seams();
#endif
    int repeat = 5;
    if (argc >= 4 && std::strcmp(argv[2], "--repeat") == 0)
        repeat = std::atoi(argv[3]);
    std::filesystem::path dir = argv[1];
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SetUpFileLocations((dir / "tolvane.exe").string());
    SetErrorPresenter(QuietPresenter);
    PinClock(1774008000);  // 2026-03-20

    auto loadCase = [&](const char* name, const std::string& text, int expected) {
        WriteFile(IniFilePath, text);
        ProfileFlush(IniFilePath);
        int result = 0;
        double ms = BestOf(repeat, [&] {
            TariffTable t;
            result = LoadTariffTable(Now(), t);
        });
        std::printf("%-52s %10.2f ms  result %2d  peak %7ld kB  file %6zu B%s\n", name, ms, result, PeakKb(),
                    text.size(), result == expected ? "" : "  UNEXPECTED");
    };

    std::printf("%-52s %10s     %9s  peak %7ld kB\n", "(start)", "", "", PeakKb());
    loadCase("hostile: 10000 ids x NumFrames=10000", ManyIds(10000, "NumFrames=10000\r\n"), -1);
    loadCase("hostile: 10000 ids x NumExceptions=10000", ManyIds(10000, "NumExceptions=10000\r\n"), -1);
    {
        std::string week;
        for (const char* d : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            for (int j = 0; j < 10000; ++j)
                week += std::string(d) + std::to_string(j) + "=01:00:00-02:00:00,0\r\n";
        loadCase("7 x 10000 schedule entries, 1 id (accepted)", ManyIds(1, week), 0);
        loadCase("7 x 10000 schedule entries, 10000 ids", ManyIds(10000, week), -1);
    }
    loadCase("10000 ids of one small section (accepted)", ManyIds(10000, "NumFrames=4\r\n"), 0);
    loadCase("2000 distinct ISP sections (accepted)", DistinctIds(2000), 0);

    loadCase("load 10 ISPs + Phone (realistic)", RealisticFile(10), 0);
    loadCase("load 100 ISPs + Phone", RealisticFile(100), 0);
    loadCase("hostile NumFrames=2000000000", "[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nNumFrames=2000000000\r\n", -1);
    loadCase("hostile NumExceptions=99999999", "[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nNumExceptions=99999999\r\n", -1);
    loadCase("10000 exceptions (largest accepted)", LargeSection("DayException", 10000, "NumExceptions"), 0);
    loadCase("10000 Monday entries (largest accepted)", LargeSection("Mon", 10000, nullptr), 0);
    loadCase("10001 Monday entries (refused)", LargeSection("Mon", 10001, nullptr), -1);

    WriteFile(IniFilePath, RealisticFile(10));
    ProfileFlush(IniFilePath);
    TariffTable table;
    LoadTariffTable(Now(), table);
    double ms = BestOf(repeat, [&] { SaveTariffTable(table); });
    std::printf("%-44s %10.2f ms\n", "save 10 ISPs + Phone", ms);
    std::printf("peak resident set: %ld kB\n", PeakKb());
    ImportFileCases(dir, repeat);
    return 0;
}
