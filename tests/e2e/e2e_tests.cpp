// The real tolvane.exe under Wine: events from the command line, their boxes
// and exit codes in the Windows time zone; one copy at a time; the log
// between copies racing each other and this process; the crash check at the
// next start; and the monitors over the fake libraries.
#include <windows.h>

#include <atomic>
#include <ctime>
#include <thread>

#include "driver.h"
#include "platform/localtime.h"
#include "platform/win32_seams.h"
#include "resource.h"
#include "sessionlog/deletelog.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

using e2e::MessageBoxSeen;

constexpr int DefaultIsp = 7;

using Event = std::pair<int, int>;  // kind, ISP

// The record's local time is what Windows makes of its instant.
void ExpectWindowsLocalTime(const SessionRecord& r)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<ULONGLONG>(r.time) + 11644473600ULL) * 10000000ULL;
    const FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcParts, w;
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcParts) && SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &w));
    const LocalTime& lt = r.localTime;
    EXPECT_EQ(std::tuple(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec),
              std::tuple(int{w.wYear}, int{w.wMonth}, int{w.wDay}, int{w.wHour}, int{w.wMinute}, int{w.wSecond}));
}

class ProgramTest : public e2e::ProgramFolder {
protected:
    void SetUp() override
    {
        ProgramFolder::SetUp();
        // A known default ISP, so events without -i have a known number.
        Write("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n");
    }
    e2e::RunResult Run(const std::string& args) { return e2e::RunAnsweringBoxes(exe, args, folder); }
    std::vector<Event> Events() const
    {
        std::vector<Event> events;
        for (const SessionRecord& r : Records())
            events.push_back({r.kind, r.ispId});
        return events;
    }
    // Starts copies with these arguments at once and expects each to end with 0.
    void RunCopies(const std::vector<std::string>& arguments)
    {
        std::vector<e2e::Process> copies;
        for (const std::string& args : arguments)
            copies.push_back(e2e::Start(exe, args, folder));
        for (const e2e::Process& p : copies) {
            DWORD code = 99;
            if (!e2e::WaitForExit(p, 60000, code)) {
                ADD_FAILURE() << "a copy still runs";
                e2e::Kill(p);
            }
            EXPECT_EQ(code, 0u);
        }
    }
};

TEST_F(ProgramTest, CommandLineEventsTheirBoxesExitCodesAndTimeZone)
{
    const MessageBoxSeen unknown = {"Error 108", "Unknown option -x."};
    const struct {
        const char* args;
        std::vector<MessageBoxSeen> boxes;
        DWORD exitCode;
        std::vector<Event> events;
    } cases[] = {
        {"-b -i 3", {}, 0, {{SESSION_START, 3}}},
        {"-e", {}, 0, {{SESSION_END, DefaultIsp}}},
        {"-x -b", {unknown}, 0, {{SESSION_START, DefaultIsp}}},  // a bad option before the event is ignored
        {"-b -x", {unknown}, 1, {}},
    };
    // Wine copies the Linux TZ into the program's environment, where the C
    // runtime would take it over the Windows zone ("XYZ-13" reads as 13
    // hours east of UTC). The program must follow the zone Windows reports.
    SetEnvironmentVariableA("TZ", "XYZ-13");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        DeleteFileA(Path("tolvane.log").c_str());
        const std::time_t before = std::time(nullptr);
        const e2e::RunResult result = Run(c.args);
        ASSERT_TRUE(result.exited) << "still running; boxes seen: " << testing::PrintToString(result.boxes);
        EXPECT_EQ(result.boxes, c.boxes);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(Events(), c.events);
        for (const SessionRecord& r : Records()) {
            EXPECT_GE(r.time, before);
            EXPECT_LE(r.time, std::time(nullptr));
            ExpectWindowsLocalTime(r);
        }
        // Errors met while parsing come before the file locations: never logged.
        EXPECT_FALSE(Exists("tolvane.err"));
    }
    SetEnvironmentVariableA("TZ", nullptr);
}

TEST_F(ProgramTest, OneCopyAtATime)
{
    HWND window = nullptr;
    e2e::Process first = StartWithWindow("", window);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    // Events from the command line are recorded while a copy runs.
    EXPECT_EQ(Run("-b -i 3").exitCode, 0u);
    EXPECT_EQ(Run("-e").exitCode, 0u);
    EXPECT_EQ(Events(), (std::vector<Event>{{SESSION_START, 3}, {SESSION_END, DefaultIsp}}));
    // A plain second copy ends and brings the first forward.
    for (int hideWith : {SW_MINIMIZE, SW_HIDE}) {
        SCOPED_TRACE(hideWith);
        ShowWindow(window, hideWith);
        const e2e::RunResult second = Run("");
        EXPECT_TRUE(second.exited && second.boxes.empty());
        EXPECT_EQ(second.exitCode, 0u);
        EXPECT_TRUE(e2e::WaitUntil(10000, [&] { return IsWindowVisible(window) && !IsIconic(window); }));
    }
    ExitCopy(first, window);
}

std::vector<ErrorCode> errors;

TEST_F(ProgramTest, DeletionsRacingAnAppenderLoseNoRecord)
{
    // This process deletes days of the log as the program would.
    InstallWin32Seams();
    SetErrorPresenter([](const char*, const char*, ErrorCode code) { errors.push_back(code); });
    SetUpFileLocations(exe);
    constexpr int Days = 100, PerDay = 500, Appends = 6;
    // `Days` days from 1 January 2020, `PerDay` one-minute sessions of ISP 1 each day.
    unsigned char raw[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(SessionLogHeader{}, raw);
    std::string log(reinterpret_cast<char*>(raw), sizeof raw);
    for (int at = 0; at < Days * PerDay * 2; ++at) {
        const std::int64_t time = 1577836800LL + at / (2 * PerDay) * 86400 + at % (2 * PerDay) * 60;
        EncodeSessionRecord(MakeSessionRecord(1, at % 2, 0, time), raw);
        log.append(reinterpret_cast<char*>(raw), SESSION_RECORD_SIZE);
    }
    Write("tolvane.log", log);
    // One copy at a time, start then end, so every appended event pairs.
    std::atomic<bool> finished{false};
    std::thread appender([&] {
        for (int i = 0; i < Appends; ++i)
            RunCopies({i % 2 ? "-e" : "-b"});
        finished = true;
    });
    int deleted = 0;
    for (; !finished && deleted < Days; ++deleted) {
        const std::int64_t day = 1577836800LL + deleted * 86400;
        EXPECT_EQ(DeletePeriod(day, day + 86399, 1), 0);
    }
    appender.join();
    const std::vector<Event> events = Events();
    ASSERT_EQ(events.size(), std::size_t(2 * PerDay * (Days - deleted) + Appends)) << deleted << " deletions";
    for (int i = 0; i < Appends; ++i)
        EXPECT_EQ(events[events.size() - Appends + i], Event(i % 2, DefaultIsp));
    EXPECT_TRUE(errors.empty());
    WIN32_FIND_DATAA temporary;
    EXPECT_EQ(FindFirstFileA(Path("tolvane.log.new-*").c_str(), &temporary), INVALID_HANDLE_VALUE)
        << temporary.cFileName;
}

TEST_F(ProgramTest, ManyCopiesStartingOnAForeignFileKeepTheOriginal)
{
    for (int trial = 0; trial < 2; ++trial) {
        SCOPED_TRACE(trial);
        DeleteFileA(Path("tolvane.log").c_str());
        DeleteFileA(Path("tolvane.bak").c_str());
        Write("tolvane.log", "the user's notes, not a log");
        RunCopies({"-b -i 1", "-b -i 2", "-b -i 3", "-b -i 4", "-b -i 5", "-b -i 6", "-b -i 7", "-b -i 8"});
        EXPECT_EQ(Read("tolvane.bak"), "the user's notes, not a log");
        EXPECT_EQ(Records().size(), 8u);
    }
}

TEST_F(ProgramTest, ASessionLeftOpenAtExitIsClosedByTheCrashCheckAtTheNextStart)
{
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n"
                         "[WinCrashRecovery]\r\nPromptUser=0\r\nDefaultRemedy=0\r\n");
    HWND window = nullptr;
    e2e::Process first = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_BEGIN, BN_CLICKED), 0);  // then exit while online
    ExitCopy(first, window);
    ASSERT_EQ(Events(), (std::vector<Event>{{SESSION_START, DefaultIsp}}));
    // Once a copy has gone the next one opens its own window.
    e2e::Process second = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    e2e::WaitUntil(10000, [&] { return Records().size() >= 2; });
    ExitCopy(second, window);
    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::tuple(records[1].kind, records[1].ispId, records[1].flag), std::tuple(SESSION_END, DefaultIsp, 1));
    EXPECT_GE(records[1].time, records[0].time);
}

// The fake rasapi32.dll and TAPI32.DLL are loaded the way the program loads
// them: from beside the exe. Wine takes WINEDLLOVERRIDES from the
// environment it was started with, not from a Windows child's: a child
// started here gets its overrides from the prefix's per-program key
// instead, which is the same switch. The key stays: without a library
// beside the exe, Wine's own is taken.
void PreferLibraryBesideTheExe(const char* dll)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\tolvane.exe\\DllOverrides", 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    RegCloseKey(key);
}

// What the line monitor does with Telephony's answers is tested in-process;
// here only that the library beside the exe is found and bound.
TEST_F(ProgramTest, TelephonyIsBoundFromTheLibraryBesideTheExe)
{
    CopyIn(FAKE_TAPI_DLL, "TAPI32.DLL");
    PreferLibraryBesideTheExe("tapi32");
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7\r\n[Monitor]\r\nType=0\r\nConfirmExit=0\r\n");
    HWND window = nullptr;
    e2e::Process program = StartWithWindow("-m", window);
    ASSERT_NE(window, nullptr);
    char text[64] = {};
    EXPECT_TRUE(e2e::WaitUntil(30000, [&] {
        SendMessageA(GetDlgItem(window, IDC_MONITOR), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return std::string(text) == "Stop &Monitoring";
    })) << text;
    ExitCopy(program, window);
}

TEST_F(ProgramTest, AMonitoredRasSessionIsLoggedAtItsInstantsPlusTheDelay)
{
    constexpr int Delay = 30;
    CopyIn(FAKE_RAS_DLL, "rasapi32.dll");
    PreferLibraryBesideTheExe("rasapi32");
    // The connections become `text`; returns once the polling thread has
    // acted on them: a poll that began after the change has ended, and the
    // next one started after the thread posted what it found.
    auto connections = [&](const char* text) {
        Write("ras.txt", text);
        const std::size_t target = Read("ras.txt.polls").size() + 4;
        EXPECT_TRUE(e2e::WaitUntil(30000, [&] { return Read("ras.txt.polls").size() >= target; }))
            << "the RAS monitor stopped polling";
        return std::int64_t{std::time(nullptr)};
    };
    // RasPrompt 0: a known entry is logged for its ISP, others are ignored.
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n[ISP3]\r\nDescription=Dial Up\r\nRasName=Dialup\r\n"
                         "[Monitor]\r\nType=1\r\nRasLatency=50\r\nRasPrompt=0\r\nShowLog=0\r\nConfirmExit=0\r\nDelay=" +
                             std::to_string(Delay) + "\r\n");
    HWND window = nullptr;
    SetEnvironmentVariableA("TOLVANE_FAKE_RAS", Path("ras.txt").c_str());  // where the fake reads the connections
    e2e::Process program = StartWithWindow("-m", window);
    ASSERT_NE(window, nullptr);
    connections("Stranger 2000\r\n");
    connections("");
    EXPECT_TRUE(Records().empty());
    const std::int64_t beforeUp = std::time(nullptr);
    const std::int64_t afterUp = connections("Dialup 2000\r\n");
    const std::int64_t afterDown = connections("");
    ExitCopy(program, window);
    const std::vector<SessionRecord> r = Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(std::tuple(r[0].kind, r[0].ispId, r[1].kind, r[1].ispId), std::tuple(SESSION_START, 3, SESSION_END, 3));
    EXPECT_GE(r[0].time, beforeUp + Delay);
    EXPECT_LE(r[0].time, afterUp + Delay);
    EXPECT_GE(r[1].time, r[0].time);
    EXPECT_LE(r[1].time, afterDown + Delay);
}

}  // namespace
