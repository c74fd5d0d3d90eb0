// The real tolvane.exe under Wine: events from the command line and their
// boxes and exit codes, the Windows time zone, one copy at a time, the
// crash check at the next start, and the monitors over the fake libraries.
#include <windows.h>

#include <algorithm>
#include <ctime>

#include "driver.h"
#include "platform/localtime.h"
#include "resource.h"

namespace {

using e2e::MessageBoxSeen;

constexpr int DefaultIsp = 7;

struct Event {
    int kind;
    int isp;
    friend bool operator==(const Event&, const Event&) = default;
};

void PrintTo(const Event& e, std::ostream* os)
{
    *os << (e.kind == SESSION_START ? "start" : "end") << "(ISP " << e.isp << ")";
}

class ProgramTest : public e2e::ProgramFolder {
protected:
    void SetUp() override
    {
        ProgramFolder::SetUp();
        // A known default ISP, so events without -i have a known number.
        Write("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n");
    }
    e2e::RunResult Run(const std::string& args, const std::vector<std::string>& environment = {})
    {
        return e2e::RunAnsweringBoxes(exe, args, folder, environment);
    }
    std::vector<Event> Events() const
    {
        std::vector<Event> events;
        for (const SessionRecord& r : Records())
            events.push_back({r.kind, r.ispId});
        return events;
    }
};

TEST_F(ProgramTest, CommandLineEventsTheirBoxesAndExitCodes)
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
        }
        // Errors met while parsing come before the file locations: never logged.
        EXPECT_FALSE(Exists("tolvane.err"));
    }
}

TEST_F(ProgramTest, RecordsInTheWindowsTimeZoneWhateverTzSays)
{
    // Wine copies the Linux TZ into the program's environment, where the C
    // runtime would take it over the Windows zone ("XYZ-13" reads as 13
    // hours east of UTC). The program must follow the zone Windows reports.
    const e2e::RunResult result = Run("-e -i 3", {"TZ=XYZ-13"});
    ASSERT_TRUE(result.exited);
    ASSERT_EQ(result.exitCode, 0u);
    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<ULONGLONG>(records[0].time) + 11644473600ULL) * 10000000ULL;
    FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcParts, local;
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcParts));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &local));
    const LocalTime& lt = records[0].localTime;
    const int shown[] = {lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec};
    const int windows[] = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    EXPECT_TRUE(std::equal(shown, shown + 6, windows)) << lt.tm_hour << ":" << lt.tm_min << " against "
                                                       << local.wHour << ":" << local.wMinute;
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
    // Once it has gone, the next copy opens its own window.
    e2e::Process next = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    ExitCopy(next, window);
}

// A new user's print: Current, Print, then the print dialog's own button;
// the job reaches the prefix's file printer.
TEST_F(ProgramTest, PrintsTheCurrentReportOnTheDefaultPrinter)
{
    const char* const job = "C:\\users\\Public\\Documents\\tolvane-print.ps";
    DeleteFileA(job);
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7\r\nDefaultISP=7\r\n[ISP7]\r\nDescription=Print & Co\r\n");
    EXPECT_EQ(Run("-b").exitCode, 0u);
    EXPECT_EQ(Run("-e").exitCode, 0u);
    HWND window = nullptr;
    e2e::Process copy = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, IDC_CURRENT, 0);
    HWND usage = nullptr, print = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(30000, [&] { return (usage = FindWindowA("#32770", "Usage")) != nullptr; }));
    PostMessageA(usage, WM_COMMAND, IDC_USAGE_PRINT, 0);
    ASSERT_TRUE(e2e::WaitUntil(30000, [&] { return (print = FindWindowA("#32770", "Print")) != nullptr; }));
    PostMessageA(print, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(e2e::WaitUntil(60000, [&] { return e2e::ReadBytes(job).find("%%EOF") != std::string::npos; }));
    EXPECT_NE(e2e::ReadBytes(job).find("%%Title: TOLVANE Usage Report"), std::string::npos);
    EXPECT_TRUE(e2e::WaitUntil(30000, [&] { return IsWindowEnabled(usage) != FALSE; }));
    PostMessageA(usage, WM_COMMAND, IDOK, 0);
    ExitCopy(copy, window);
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
    e2e::Process second = StartWithWindow("", window);
    ASSERT_NE(window, nullptr);
    e2e::WaitUntil(10000, [&] { return Records().size() >= 2; });
    ExitCopy(second, window);
    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::tuple(records[1].kind, records[1].ispId, records[1].flag), std::tuple(SESSION_END, DefaultIsp, 1));
    EXPECT_GE(records[1].time, records[0].time);
}

// ---- The fake rasapi32.dll and TAPI32.DLL loaded the way the program loads
// them: beside the exe, with the prefix told to prefer them.

// Wine takes WINEDLLOVERRIDES from the environment it was started with,
// not from a Windows child's: a child started here gets its overrides from
// the prefix's per-program key instead, which is the same switch.
void PreferLibrariesBeside(const std::string& program, bool ras, bool tapi)
{
    HKEY key = nullptr;
    const std::string path = "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (auto [dll, native] : {std::pair{"rasapi32", ras}, std::pair{"tapi32", tapi}}) {
        if (native)
            RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
        else
            RegDeleteValueA(key, dll);
    }
    RegCloseKey(key);
}

class FakeLibraryTest : public e2e::ProgramFolder {
protected:
    void TearDown() override
    {
        PreferLibrariesBeside("tolvane.exe", false, false);
        ProgramFolder::TearDown();
    }
};

TEST_F(FakeLibraryTest, TelephonyIsBoundFromTheLibraryBesideTheExeOrReportedMissing)
{
    PreferLibrariesBeside("tolvane.exe", false, true);
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7\r\n[Monitor]\r\nType=0\r\nConfirmExit=0\r\n");
    HWND window = nullptr;
    e2e::Process program = StartWithWindow("-m", window);
    ASSERT_NE(window, nullptr);
    // No line to monitor without a library beside it.
    EXPECT_TRUE(e2e::WaitUntil(30000, [] { return FindWindowA("#32770", "Error 2007") != nullptr; }));
    e2e::Kill(program);
    DeleteFileA(Path("tolvane.err").c_str());
    CopyIn(FAKE_TAPI_DLL, "TAPI32.DLL");
    program = StartWithWindow("-m", window);
    ASSERT_NE(window, nullptr);
    char text[64] = {};
    EXPECT_TRUE(e2e::WaitUntil(30000, [&] {
        SendMessageA(GetDlgItem(window, IDC_MONITOR), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return std::string(text) == "Stop &Monitoring";
    })) << text;
    ExitCopy(program, window);
    EXPECT_FALSE(Exists("tolvane.err")) << Read("tolvane.err");
}

TEST_F(FakeLibraryTest, AMonitoredRasSessionIsLoggedAtItsInstantsPlusTheDelay)
{
    constexpr int Delay = 30;
    CopyIn(FAKE_RAS_DLL, "rasapi32.dll");
    PreferLibrariesBeside("tolvane.exe", true, false);
    // Waits until the polling thread has acted on a change: a poll that
    // began after it has ended, and the next one started after the thread
    // posted what it found.
    auto polled = [&] {
        const std::size_t target = Read("ras.txt.polls").size() + 4;
        EXPECT_TRUE(e2e::WaitUntil(30000, [&] { return Read("ras.txt.polls").size() >= target; }))
            << "the RAS monitor stopped polling";
    };
    // RasPrompt 0: a known entry is logged for its ISP, others are ignored.
    Write("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n[ISP3]\r\nDescription=Dial Up\r\nRasName=Dialup\r\n"
                         "[Monitor]\r\nType=1\r\nRasLatency=50\r\nRasPrompt=0\r\nShowLog=0\r\nConfirmExit=0\r\nDelay=" +
                             std::to_string(Delay) + "\r\n");
    HWND window = nullptr;
    e2e::Process program = StartWithWindow("-m", window, {"TOLVANE_FAKE_RAS=" + Path("ras.txt")});
    ASSERT_NE(window, nullptr);
    Write("ras.txt", "Stranger 2000\r\n");
    polled();
    Write("ras.txt", "");
    polled();
    EXPECT_TRUE(Records().empty());
    const std::int64_t beforeUp = std::time(nullptr);
    Write("ras.txt", "Dialup 2000\r\n");
    polled();
    const std::int64_t afterUp = std::time(nullptr);
    Write("ras.txt", "");
    polled();
    const std::int64_t afterDown = std::time(nullptr);
    ExitCopy(program, window);
    EXPECT_FALSE(Exists("tolvane.err")) << Read("tolvane.err");
    const std::vector<SessionRecord> r = Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(std::tuple(r[0].kind, r[0].ispId, r[1].kind, r[1].ispId), std::tuple(SESSION_START, 3, SESSION_END, 3));
    EXPECT_GE(r[0].time, beforeUp + Delay);
    EXPECT_LE(r[0].time, afterUp + Delay);
    EXPECT_GE(r[1].time, r[0].time);
    EXPECT_LE(r[1].time, afterDown + Delay);
}

}  // namespace
