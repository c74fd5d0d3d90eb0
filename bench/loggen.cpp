// Writes a realistic program directory for benchmarks: tolvane.ini with three
// ISPs and a phone tariff, and a session log of many years.
//
//   tolvane-loggen DIR [--years Y] [--records N] [--end YYYY-MM-DD] [--seed S]
//
// Sessions are spread evenly over the years that end at --end (default
// 2026-11-30), at varying times of day and lengths, in time order, with a
// few crash leftovers (a start with no end) as real logs have.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"

namespace {

const char* const Settings =
    "[Global]\n"
    "ActiveIDs=1,2,3\n"
    "DefaultISP=1\n"
    "[ISP1]\n"
    "Description=CityNet\n"
    "SecsPerUnit=60\n"
    "Rounding=0\n"
    "PeriodToBill=0\n"
    "BillingDate=0\n"
    "PeriodicFee=9.950000\n"
    "PrepaidMethod=0\n"
    "PrepaidCharge=5.000000\n"
    "NumFrames=2\n"
    "Frame0=0.020000,OffPeak\n"
    "Frame1=0.040000,Peak\n"
    "Mon0=08:00:00-17:59:59,1\n"
    "Tue0=08:00:00-17:59:59,1\n"
    "Wed0=08:00:00-17:59:59,1\n"
    "Thu0=08:00:00-17:59:59,1\n"
    "Fri0=08:00:00-17:59:59,1\n"
    "[ISP2]\n"
    "Description=DialFast\n"
    "SecsPerUnit=180\n"
    "Rounding=1\n"
    "PeriodToBill=0\n"
    "BillingDate=15\n"
    "PrepaidMethod=1\n"
    "PrepaidCharge=0.500000\n"
    "OffsetsConnectCharge=1\n"
    "ConnectCharge=0.050000\n"
    "NumFrames=3\n"
    "Frame0=0.060000,Day\n"
    "Frame1=0.030000,Evening\n"
    "Frame2=0.010000,Holiday\n"
    "DefaultFrame=0\n"
    "Mon0=00:00:00-06:59:59,1\n"
    "Mon1=19:00:00-23:59:59,1\n"
    "Sat0=00:00:00-23:59:59,1\n"
    "Sun0=00:00:00-23:59:59,1\n"
    "NumExceptions=3\n"
    "DayException0=2026/12/25\n"
    "DayException1=2026/12/26\n"
    "DayException2=2027/01/01\n"
    "FrameForExceptions=2\n"
    "[ISP3]\n"
    "Description=FreeCall\n"
    "SecsPerUnit=1\n"
    "PeriodToBill=1\n"
    "NumFrames=1\n"
    "Frame0=0.000500,Flat\n"
    "TollFree=1\n"
    "[Phone]\n"
    "Description=Phone\n"
    "SecsPerUnit=61\n"
    "Rounding=0\n"
    "MinCharge=0.100000\n"
    "ConnectCharge=0.050000\n"
    "NumFrames=2\n"
    "Frame0=0.015000,Cheap\n"
    "Frame1=0.045000,Standard\n"
    "Mon0=08:00:00-18:59:59,1\n"
    "Tue0=08:00:00-18:59:59,1\n"
    "Wed0=08:00:00-18:59:59,1\n"
    "Thu0=08:00:00-18:59:59,1\n"
    "Fri0=08:00:00-18:59:59,1\n";

std::int64_t ParseDay(const char* text)
{
    int y, m, d;
    if (std::sscanf(text, "%d-%d-%d", &y, &m, &d) != 3)
        return -1;
    LocalTime t;
    t.tm_year = y - 1900;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    t.tm_hour = 23;
    return NormaliseLocalTime(t);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvane-loggen DIR [--years Y] [--records N] [--end YYYY-MM-DD] [--seed S]\n");
        return 2;
    }
    InitTimeZone();
    const std::string dir = argv[1];
    double years = 20;
    long long records = 0;
    std::int64_t end = ParseDay("2026-11-30");
    unsigned seed = 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--years"))
            years = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--records"))
            records = std::atoll(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--end"))
            end = ParseDay(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
    }
    if (years <= 0 || end < 0) {
        std::fprintf(stderr, "tolvane-loggen: bad --years or --end\n");
        return 2;
    }
    const std::int64_t span = static_cast<std::int64_t>(years * 365.2425 * 86400);
    if (records <= 0)
        records = static_cast<long long>(years * 365.2425 * 3) * 2;  // three sessions a day
    const long long sessions = records / 2;
    const double spacing = static_cast<double>(span) / static_cast<double>(sessions);

    const std::string iniPath = dir + "/tolvane.ini";
    std::FILE* ini = std::fopen(iniPath.c_str(), "w");
    if (!ini || std::fputs(Settings, ini) < 0 || std::fclose(ini) != 0) {
        std::fprintf(stderr, "tolvane-loggen: cannot write %s\n", iniPath.c_str());
        return 1;
    }

    const std::string logPath = dir + "/tolvane.log";
    std::FILE* log = std::fopen(logPath.c_str(), "wb");
    if (!log) {
        std::fprintf(stderr, "tolvane-loggen: cannot write %s\n", logPath.c_str());
        return 1;
    }
    std::vector<char> buffer(1 << 20);
    std::setvbuf(log, buffer.data(), _IOFBF, buffer.size());
    unsigned char raw[SESSION_RECORD_SIZE];
    EncodeSessionLogHeader(SessionLogHeader{}, raw);
    std::fwrite(raw, 1, SESSION_HEADER_SIZE, log);

    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::exponential_distribution<double> length(1.0 / 1200.0);  // 20 minutes on average
    const std::int64_t first = end - span;
    long long written = 0;
    for (long long i = 0; written < records; ++i) {
        const double slot = first + spacing * static_cast<double>(i);
        const std::int64_t start = static_cast<std::int64_t>(slot + unit(random) * spacing * 0.5);
        std::int64_t duration = 10 + static_cast<std::int64_t>(length(random));
        const std::int64_t room = static_cast<std::int64_t>(spacing * 0.45);
        if (duration > room)
            duration = room > 1 ? room : 1;
        const double pick = unit(random);
        const std::int32_t isp = pick < 0.6 ? 1 : pick < 0.9 ? 2 : 3;
        SessionRecord r = MakeSessionRecord(isp, SESSION_START, 0, start);
        EncodeSessionRecord(r, raw);
        std::fwrite(raw, 1, sizeof raw, log);
        ++written;
        if (written == records || unit(random) < 0.002)
            continue;  // the program crashed: no end record
        r = MakeSessionRecord(isp, SESSION_END, 0, start + duration);
        EncodeSessionRecord(r, raw);
        std::fwrite(raw, 1, sizeof raw, log);
        ++written;
    }
    if (std::fclose(log) != 0) {
        std::fprintf(stderr, "tolvane-loggen: cannot write %s\n", logPath.c_str());
        return 1;
    }
    std::printf("%lld records over %.1f years in %s\n", written, years, logPath.c_str());
    return 0;
}
