// Times what the import dialogs do with hostile ISP definition files:
// listing the entries, building the disclaimer and reading the description,
// each the best of N runs after the file was written (so the first read of
// each run parses it afresh).
//
//   tolvane-ispfile-bench DIR [--repeat N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/ispfile.h"

#ifdef _WIN32
#include "platform/win32_seams.h"
#endif

namespace {

void QuietPresenter(const char*, const char*, ErrorCode) {}

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

std::string Entries(int count)
{
    std::string s = "[Import]\r\nLastISP=" + std::to_string(count) + "\r\n";
    for (int i = 1; i <= count; ++i)
        s += "[ImportISP" + std::to_string(i) + "]\r\nDescription=Provider " + std::to_string(count - i) +
             "\r\nNumFrames=2\r\nFrame0=0.010000,Off\r\nFrame1=0.040000,Peak\r\nMon0=08:00:00-17:59:59,1\r\n";
    return s;
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
    int repeat = 3;
    if (argc >= 4 && std::strcmp(argv[2], "--repeat") == 0)
        repeat = std::atoi(argv[3]);
    const std::filesystem::path dir = argv[1];
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SetUpFileLocations((dir / "tolvane.exe").string());
    SetErrorPresenter(QuietPresenter);
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
    return 0;
}
