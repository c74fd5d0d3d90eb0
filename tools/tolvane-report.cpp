// tolvane-report: prints the usage report of a program directory (where
// tolvane.ini and tolvane.log live) for the billing periods around a date,
// in the layout of a saved report. It only reads the program's files: people
// run it beside a running Tolvane and from scripts.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "charging/charging.h"
#include "charging/usagereport.h"
#include "platform/clock.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "sessionlog/sessionlog.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"

#ifdef _WIN32
#include "platform/win32_seams.h"
#endif

namespace {

constexpr int EXIT_REPORT_FAILED = 1;  // the report could not be computed or written
constexpr int EXIT_BAD_ARGUMENTS = 2;  // bad option, directory, date or ISP choice

const char* const Usage =
    "Usage: tolvane-report [options] DIRECTORY [DATE]\n"
    "\n"
    "Prints the usage report of the billing periods that contain DATE, computed\n"
    "from DIRECTORY/tolvane.ini and DIRECTORY/tolvane.log.\n"
    "\n"
    "  DATE                  local date and time: YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS]\n"
    "                        ('/' may stand for '-', a blank for 'T'), @SECONDS\n"
    "                        since 1970 UTC, or now (the default)\n"
    "  -d, --date DATE       the same as the DATE argument\n"
    "  -i, --isp WHICH       all (default), none, or ISP numbers such as 1 or 2,5\n"
    "  -p, --phone           include the phone company's report (default)\n"
    "  -P, --no-phone        leave the phone company's report out\n"
    "  -o, --output FILE     write to FILE instead of standard output\n"
    "  -a, --append          append to FILE instead of replacing it\n"
    "      --now DATE        take DATE as the current time (an open session is\n"
    "                        charged up to it)\n"
    "  -h, --help            show this text\n"
    "\n"
    "Exit status: 0 done, 1 the report could not be computed or written,\n"
    "2 bad arguments (directory, date, ISP choice).\n";

struct Options {
    std::string directory;
    std::string date;
    std::string now;
    std::string isps = "all";
    bool phone = true;
    std::string output;
    bool append = false;
};

void Fail(const char* format, const std::string& detail)
{
    std::fprintf(stderr, "tolvane-report: ");
    std::fprintf(stderr, format, detail.c_str());
    std::fprintf(stderr, "\n");
}

bool ReadNumber(const char*& p, int digitsMin, int digitsMax, int& value)
{
    int n = 0;
    long v = 0;
    while (*p >= '0' && *p <= '9' && n < digitsMax) {
        v = v * 10 + (*p - '0');
        ++p;
        ++n;
    }
    value = static_cast<int>(v);
    return n >= digitsMin;
}

// A local date and time, "@seconds" or "now". false when malformed or out of
// the range a log can hold.
bool ParseDate(const std::string& text, std::int64_t& instant)
{
    if (text == "now") {
        instant = Now();
        return true;
    }
    constexpr std::int64_t LAST_INSTANT = 0xFFFFFFFFLL;  // the log keeps 32 unsigned bits
    if (!text.empty() && text[0] == '@') {
        if (text.size() < 2 || text.size() > 11)
            return false;
        std::int64_t v = 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            v = v * 10 + (text[i] - '0');
        }
        if (v > LAST_INSTANT)
            return false;
        instant = v;
        return true;
    }
    const char* p = text.c_str();
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(p, 4, 4, year) || (*p != '-' && *p != '/'))
        return false;
    const char separator = *p++;
    if (!ReadNumber(p, 1, 2, month) || *p++ != separator || !ReadNumber(p, 1, 2, day))
        return false;
    if (*p == 'T' || *p == 't' || *p == ' ') {
        ++p;
        if (!ReadNumber(p, 1, 2, hour) || *p++ != ':' || !ReadNumber(p, 2, 2, minute))
            return false;
        if (*p == ':') {
            ++p;
            if (!ReadNumber(p, 2, 2, second))
                return false;
        }
    }
    if (*p != '\0')
        return false;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month - 1) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    const std::int64_t v = LocalDateTimeInstant(year, month, day, hour, minute, second);
    if (v < 0 || v > LAST_INSTANT)
        return false;
    instant = v;
    return true;
}

bool ParseIspChoice(const std::string& text, UsageReportChoice& choice)
{
    if (text == "all") {
        choice.allIsps = true;
        return true;
    }
    choice.allIsps = false;
    choice.ispIds.clear();
    if (text == "none")
        return true;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t comma = text.find(',', i);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string item = text.substr(i, comma - i);
        if (item.empty() || item.size() > 9 || item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const long id = std::strtol(item.c_str(), nullptr, 10);
        if (id < 1)
            return false;
        choice.ispIds.push_back(static_cast<std::int32_t>(id));
        i = comma + 1;
    }
    return true;
}

// Takes an option's value from "--name=value", "-xvalue" or the next argument.
bool OptionValue(int argc, char** argv, int& i, const char* inlineValue, std::string& value)
{
    if (inlineValue) {
        value = inlineValue;
        return true;
    }
    if (i + 1 >= argc)
        return false;
    value = argv[++i];
    return true;
}

// 0 parsed, 1 help shown, -1 bad arguments (reported).
int ParseArguments(int argc, char** argv, Options& options)
{
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        const char* inlineValue = nullptr;
        if (arg.compare(0, 2, "--") == 0) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = argv[i] + eq + 1;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = argv[i] + 2;
        }
        const bool takesValue = name == "-d" || name == "--date" || name == "-i" || name == "--isp" ||
                                name == "-o" || name == "--output" || name == "--now";
        if (!takesValue && inlineValue) {
            Fail("option %s takes no value (see --help)", name);
            return -1;
        }
        std::string value;
        if (takesValue && !OptionValue(argc, argv, i, inlineValue, value)) {
            Fail("option %s needs a value (see --help)", name);
            return -1;
        }
        if (name == "-h" || name == "--help") {
            std::fputs(Usage, stdout);
            return 1;
        } else if (name == "-d" || name == "--date") {
            options.date = value;
        } else if (name == "-i" || name == "--isp") {
            options.isps = value;
        } else if (name == "-o" || name == "--output") {
            options.output = value;
        } else if (name == "--now") {
            options.now = value;
        } else if (name == "-p" || name == "--phone") {
            options.phone = true;
        } else if (name == "-P" || name == "--no-phone") {
            options.phone = false;
        } else if (name == "-a" || name == "--append") {
            options.append = true;
        } else {
            Fail("unknown option %s (see --help)", arg);
            return -1;
        }
    }
    if (positional.empty()) {
        Fail("%sno program directory given (see --help)", "");
        return -1;
    }
    if (positional.size() > 2 || (positional.size() == 2 && !options.date.empty())) {
        Fail("unexpected argument %s (see --help)", positional.back());
        return -1;
    }
    options.directory = positional[0];
    if (positional.size() == 2)
        options.date = positional[1];
    if (options.append && options.output.empty()) {
        Fail("%s--append needs --output FILE", "");
        return -1;
    }
    return 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The report only reads: a file in the log's place that is not a session log
// is reported instead of being moved aside as the program would.
bool CheckLogReadable(const std::string& path)
{
    if (!Exists(path))
        return true;  // no sessions yet
    if (IsDirectory(path)) {
        Fail("cannot read the session log %s: it is a directory", path);
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        Fail("cannot open the session log %s", path);
        return false;
    }
    unsigned char header[SESSION_HEADER_SIZE];
    const std::size_t n = std::fread(header, 1, sizeof header, f);
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) {
        Fail("cannot read the session log %s", path);
        return false;
    }
    if (n != sizeof header || (header[0] | (header[1] << 8)) != LOG_HEADER_MAGIC) {
        Fail("%s is not a Tolvane session log", path);
        return false;
    }
    return true;
}

// The settings as the program would see them, without a write reaching the
// file: with an empty ActiveIDs the program gives ISP 1 its number on disk,
// the report only in memory.
const ProfileBackend* settingsOnDisk = nullptr;

int RefuseWrite(const char* file, const char* section, const char* key, const char* value)
{
    if (!section && !key && !value)
        return settingsOnDisk->write(file, section, key, value);  // a flush only drops a cache
    return 0;
}

ProfileBackend ReadOnlySettings()
{
    settingsOnDisk = &CurrentProfileBackend();
    ProfileBackend readOnly = *settingsOnDisk;
    readOnly.write = RefuseWrite;
    return readOnly;
}

std::string Comparable(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    std::string text = full.lexically_normal().generic_string();
#ifdef _WIN32
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
#endif
    return text;
}

// True when the path names one of the program's own files, by any spelling
// (relative, "..", another case on Windows, a link).
bool IsProgramFile(const std::string& path)
{
    const std::string wanted = Comparable(path);
    for (const std::string* own : {&IniFilePath, &LogFilePath, &BackupFilePath, &ErrorLogPath, &ProgramPath}) {
        if (Comparable(*own) == wanted)
            return true;
        std::error_code ec;
        if (Exists(path) && Exists(*own) && std::filesystem::equivalent(path, *own, ec) && !ec)
            return true;
    }
    return false;
}

// The report of the tariffs alone when there is no log yet: opening one
// would create it.
int ComputeUsageReadOnly(std::int64_t reference, TariffTable& table)
{
    if (Exists(LogFilePath))
        return ComputeUsage(reference, table);
    if (LoadTariffTable(reference, table) != 0)
        return -1;
    for (TariffRecord& isp : table.Isps)
        FinishTotals(isp);
    FinishTotals(table.Phone);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    InstallWin32Seams();
    SetErrorPresenter(nullptr);  // a console tool reports on stderr, never in a box
#endif
    InitTimeZone();

    Options options;
    const int parsed = ParseArguments(argc, argv, options);
    if (parsed != 0)
        return parsed > 0 ? 0 : EXIT_BAD_ARGUMENTS;

    UsageReportChoice choice;
    choice.includePhone = options.phone;
    if (!ParseIspChoice(options.isps, choice)) {
        Fail("bad ISP choice '%s': use all, none or ISP numbers such as 1 or 2,5", options.isps);
        return EXIT_BAD_ARGUMENTS;
    }
    if (!options.now.empty()) {
        std::int64_t now = 0;
        if (options.now == "now" || !ParseDate(options.now, now)) {
            Fail("bad --now date '%s': use YYYY-MM-DD, YYYY-MM-DDTHH:MM:SS or @SECONDS", options.now);
            return EXIT_BAD_ARGUMENTS;
        }
        PinClock(now);
    }
    std::int64_t reference = Now();
    if (!options.date.empty() && !ParseDate(options.date, reference)) {
        Fail("bad date '%s': use YYYY-MM-DD, YYYY-MM-DDTHH:MM:SS, @SECONDS or now", options.date);
        return EXIT_BAD_ARGUMENTS;
    }

    if (!IsDirectory(options.directory)) {
        Fail("%s is not a directory", options.directory);
        return EXIT_BAD_ARGUMENTS;
    }
    if (SetUpFileLocations(JoinPath(options.directory, "tolvane.exe")) != 0)
        return EXIT_BAD_ARGUMENTS;
    if (!Exists(IniFilePath) && !Exists(LogFilePath)) {
        Fail("%s holds neither tolvane.ini nor tolvane.log", options.directory);
        return EXIT_BAD_ARGUMENTS;
    }
    if (!options.output.empty() && IsProgramFile(options.output)) {
        Fail("will not write the report over %s: it is one of the program's own files", options.output);
        return EXIT_BAD_ARGUMENTS;
    }
    if (!CheckLogReadable(LogFilePath))
        return EXIT_REPORT_FAILED;
    const ProfileBackend readOnly = ReadOnlySettings();
    SetProfileBackend(&readOnly);
    ErrorLogPath.clear();  // errors go to stderr only
    LoadGlobalDeleteSettings();  // HackFlags governs how log records are read

    TariffTable table;
    if (ComputeUsageReadOnly(reference, table) != 0) {
        Fail("%scould not compute the report (see the message above)", "");
        return EXIT_REPORT_FAILED;
    }

    if (!choice.allIsps) {
        for (std::int32_t id : choice.ispIds) {
            if (!FindTariffById(table, id)) {
                Fail("there is no ISP %s in the settings (ActiveIDs)", std::to_string(id));
                return EXIT_BAD_ARGUMENTS;
            }
        }
    }

    if (!options.output.empty()) {
        if (SaveUsageReportFile(options.output, options.append, table, choice) != 0)
            return EXIT_REPORT_FAILED;
        return 0;
    }
    if (WriteUsageReport(stdout, table, choice) != 0)
        return EXIT_REPORT_FAILED;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Fail("%scould not write the report to standard output", "");
        return EXIT_REPORT_FAILED;
    }
    return 0;
}
