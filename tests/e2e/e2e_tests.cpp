// The real tolvane.exe under Wine: command-line events, exit codes, message
// boxes, the single copy, and many writers of one log.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"

namespace {

using e2e::MessageBoxSeen;
using e2e::RunResult;

const std::string& ProgramUnderTest()
{
    static const std::string path = e2e::WindowsPath(TOLVANE_EXE);
    return path;
}

constexpr int DefaultIsp = 7;

struct Event {
    int kind;
    int isp;
    friend bool operator==(const Event&, const Event&) = default;
    friend bool operator<(const Event& a, const Event& b)
    {
        return std::pair(a.kind, a.isp) < std::pair(b.kind, b.isp);
    }
};

void PrintTo(const Event& e, std::ostream* os)
{
    *os << (e.kind == SESSION_START ? "start" : e.kind == SESSION_END ? "end" : "kind?") << "(ISP " << e.isp << ")";
}

}  // namespace

namespace e2e {
void PrintTo(const MessageBoxSeen& box, std::ostream* os)
{
    *os << "[" << box.caption << ": " << box.text << "]";
}
}  // namespace e2e

namespace {

bool IsShownAndRestored(HWND window)
{
    return IsWindowVisible(window) && !IsIconic(window);
}

bool IsGone(HWND window)
{
    return !IsWindow(window);
}

// Each test runs its own copies in a folder of its own, so the program's
// files (kept beside its exe) land there.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        // Wine reuses process ids after its server restarts: try names until
        // one is free rather than trusting the id alone.
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
            std::string candidate = std::string(temp) + "tolvane-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
            if (CreateDirectoryA(candidate.c_str(), nullptr))
                folder = candidate;
        }
        ASSERT_FALSE(folder.empty()) << "no temporary folder in " << temp;
        exe = folder + "\\tolvane.exe";
        ASSERT_TRUE(CopyFileA(ProgramUnderTest().c_str(), exe.c_str(), FALSE)) << ProgramUnderTest();
        // A known default ISP, so events without -i have a known number.
        WriteFile("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n");
    }

    void TearDown() override
    {
        if (!folder.empty())
            RemoveTree(folder);
    }

    static void RemoveTree(const std::string& path)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                const std::string child = path + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(child);
                else
                    DeleteFileA(child.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string Path(const char* name) const { return folder + "\\" + name; }

    void WriteFile(const char* name, const std::string& content) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        out << content;
    }

    bool Exists(const char* name) const { return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::vector<unsigned char> ReadBytes(const char* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The records of the log, decoded; fails the test on a partial record.
    std::vector<SessionRecord> ReadRecords() const
    {
        std::vector<unsigned char> bytes = ReadBytes("tolvane.log");
        std::vector<SessionRecord> records;
        if (bytes.empty())
            return records;
        EXPECT_GE(bytes.size(), std::size_t(SESSION_HEADER_SIZE));
        EXPECT_EQ((bytes.size() - SESSION_HEADER_SIZE) % SESSION_RECORD_SIZE, 0u)
            << "the log ends inside a record: " << bytes.size() << " bytes";
        for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size();
             at += SESSION_RECORD_SIZE) {
            SessionRecord r;
            DecodeSessionRecord(bytes.data() + at, r);
            EXPECT_EQ(r.magic, SESSION_RECORD_MAGIC) << "record at byte " << at;
            records.push_back(r);
        }
        return records;
    }

    std::vector<Event> ReadEvents() const
    {
        std::vector<Event> events;
        for (const SessionRecord& r : ReadRecords())
            events.push_back({r.kind, r.ispId});
        return events;
    }

    RunResult Run(const std::string& args) { return e2e::RunAnsweringBoxes(exe, args, folder); }

    // Starts a copy that opens its main window and waits for that window.
    e2e::Process StartWithWindow(HWND& window, int showCommand = -1)
    {
        e2e::Process process = e2e::Start(exe, "", folder, showCommand);
        window = process.Started() ? e2e::WaitForWindow(process.info.dwProcessId, "KRTolvane", 30000) : nullptr;
        // Shown only after its initialisation has queued what it does at
        // start (the crash check): commands sent from here come after that.
        if (window && showCommand != SW_HIDE && showCommand != SW_MINIMIZE)
            e2e::WaitUntil(10000, [](HWND w) { return IsWindowVisible(w) != FALSE; }, window);
        return process;
    }

    // Presses Exit and expects the copy to end with 0.
    void ExitCopy(const e2e::Process& process, HWND window)
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(1103, BN_CLICKED), 0);
        DWORD code = 99;
        if (!e2e::WaitForExit(process, 30000, code)) {
            e2e::Kill(process);
            ADD_FAILURE() << "the copy did not end after Exit";
            return;
        }
        EXPECT_EQ(code, 0u);
    }

    std::string folder;
    std::string exe;
};

// ---------------------------------------------------------------------------
// Command lines: what each records, what it says, how it ends.

struct CommandLineCase {
    const char* args;
    std::vector<MessageBoxSeen> boxes;
    DWORD exitCode;
    std::vector<Event> events;
};

void PrintTo(const CommandLineCase& c, std::ostream* os)
{
    *os << "'" << c.args << "'";
}

class CommandLineTest : public ProgramTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, RecordsReportsAndExits)
{
    const CommandLineCase& c = GetParam();
    RunResult result = Run(c.args);
    ASSERT_TRUE(result.exited) << "still running; boxes seen: " << testing::PrintToString(result.boxes);
    EXPECT_EQ(result.boxes, c.boxes);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(ReadEvents(), c.events);
    // Errors met while parsing come before the file locations: never logged.
    EXPECT_FALSE(Exists("tolvane.err"));
}

const MessageBoxSeen Unknown(char option)
{
    return {"Error 108", std::string("Unknown option -") + option + "."};
}

INSTANTIATE_TEST_SUITE_P(
    Words, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"-b", {}, 0, {{SESSION_START, DefaultIsp}}},
        CommandLineCase{"-e", {}, 0, {{SESSION_END, DefaultIsp}}},
        CommandLineCase{"-b -i 3", {}, 0, {{SESSION_START, 3}}},
        CommandLineCase{"-i 3 -e", {}, 0, {{SESSION_END, 3}}},
        CommandLineCase{"/e /i3", {}, 0, {{SESSION_END, 3}}},
        CommandLineCase{"-ei3", {}, 0, {{SESSION_END, 3}}},
        CommandLineCase{"-i x -b", {}, 0, {{SESSION_START, DefaultIsp}}},
        CommandLineCase{"-b -e", {}, 0, {{SESSION_END, DefaultIsp}}},
        CommandLineCase{"-b --", {}, 0, {{SESSION_START, DefaultIsp}}},
        CommandLineCase{"-b -- notes.txt",
                        {{"Error 110", "Unexpected argument to program encountered: notes.txt."}}, 1, {}},
        CommandLineCase{"/e/i3", {Unknown('/')}, 1, {}},
        CommandLineCase{"-i -2 -b", {{"Error 112", "Invalid ISP number: -2. Ignored."}}, 0,
                        {{SESSION_START, DefaultIsp}}},
        CommandLineCase{"-x -b", {Unknown('x')}, 0, {{SESSION_START, DefaultIsp}}},
        CommandLineCase{"-b -x", {Unknown('x')}, 1, {}},
        CommandLineCase{"-B", {Unknown('B')}, 1, {}},
        CommandLineCase{"-b:", {Unknown(':')}, 1, {}},
        CommandLineCase{"-i", {{"Error 109", "Missing argument to option -i."}}, 1, {}},
        CommandLineCase{"notes.txt", {{"Error 110", "Unexpected argument to program encountered: notes.txt."}}, 1,
                        {}},
        CommandLineCase{"-b notes.txt", {{"Error 110", "Unexpected argument to program encountered: notes.txt."}},
                        1, {}}));

// ---------------------------------------------------------------------------
// The log the program creates and the record it writes.

TEST_F(ProgramTest, CreatesTheLogHeaderAndRecordsTheStartInstant)
{
    const std::time_t before = std::time(nullptr);
    RunResult result = Run("-b -i 3");
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(result.exited);
    ASSERT_EQ(result.exitCode, 0u);

    std::vector<unsigned char> bytes = ReadBytes("tolvane.log");
    ASSERT_EQ(bytes.size(), std::size_t(SESSION_HEADER_SIZE + SESSION_RECORD_SIZE));
    const std::vector<unsigned char> header = {
        'L', 'D', 2, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,   // writer 2.1.4.0
        1, 0, 0, 0, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,           // reader 1.90.0.0
        54, 0, 0, 0, 54, 0, 0, 0,                                  // header and record size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + SESSION_HEADER_SIZE), header);

    SessionRecord r;
    DecodeSessionRecord(bytes.data() + SESSION_HEADER_SIZE, r);
    EXPECT_EQ(r.magic, SESSION_RECORD_MAGIC);
    EXPECT_EQ(r.kind, SESSION_START);
    EXPECT_EQ(r.flag, 0);
    EXPECT_EQ(r.ispId, 3);
    EXPECT_GE(r.time, before);
    EXPECT_LE(r.time, after);
    // The local time stored is the local time of the stored instant.
    EXPECT_EQ(r.localTime, ToLocalTime(r.time));
}

TEST_F(ProgramTest, RecordsInTheWindowsTimeZoneWhateverTzSays)
{
    // Wine copies the Linux TZ into the program's environment, where the C
    // runtime would take it over the Windows zone ("XYZ-13" reads as 13
    // hours east of UTC). The program must follow the zone Windows reports.
    RunResult result = e2e::RunAnsweringBoxes(exe, "-e -i 3", folder, 30000, {"TZ=XYZ-13"});
    ASSERT_TRUE(result.exited);
    ASSERT_EQ(result.exitCode, 0u);
    std::vector<SessionRecord> records = ReadRecords();
    ASSERT_EQ(records.size(), 1u);

    // The instant as Windows shows it in its own zone.
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<ULONGLONG>(records[0].time) + 11644473600ULL) * 10000000ULL;
    FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcParts, localParts;
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcParts));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts));
    const LocalTime& lt = records[0].localTime;
    EXPECT_EQ(lt.tm_year + 1900, localParts.wYear);
    EXPECT_EQ(lt.tm_mon + 1, localParts.wMonth);
    EXPECT_EQ(lt.tm_mday, localParts.wDay);
    EXPECT_EQ(lt.tm_hour, localParts.wHour);
    EXPECT_EQ(lt.tm_min, localParts.wMinute);
    EXPECT_EQ(lt.tm_sec, localParts.wSecond);
}

TEST_F(ProgramTest, AppendsToAnExistingLogWithoutTouchingItsRecords)
{
    ASSERT_EQ(Run("-b -i 3").exitCode, 0u);
    std::vector<unsigned char> first = ReadBytes("tolvane.log");
    ASSERT_EQ(Run("-e -i 3").exitCode, 0u);
    std::vector<unsigned char> both = ReadBytes("tolvane.log");
    ASSERT_EQ(both.size(), first.size() + SESSION_RECORD_SIZE);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin()));
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{SESSION_START, 3}, {SESSION_END, 3}}));
}

TEST_F(ProgramTest, AFileThatIsNotALogIsMovedAsideBeforeRecording)
{
    WriteFile("tolvane.log", "not a log");
    RunResult result = Run("-b -i 3");
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0u);
    std::vector<unsigned char> backup = ReadBytes("tolvane.bak");
    EXPECT_EQ(std::string(backup.begin(), backup.end()), "not a log");
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{SESSION_START, 3}}));
}

TEST_F(ProgramTest, ALogForANewerProgramIsLeftAloneAndTheEventFails)
{
    SessionLogHeader header;
    header.readerVersion[2] = 5;
    header.readerVersion[0] = 2;
    header.readerVersion[1] = 1;  // needs 2.1.5.0
    unsigned char bytes[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(header, bytes);
    const std::string original(reinterpret_cast<char*>(bytes), sizeof bytes);
    WriteFile("tolvane.log", original);

    RunResult result = Run("-b -i 3");
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, "Error 100");
    EXPECT_EQ(result.boxes[0].text, "Unable to open log file " + Path("tolvane.log") + ".");
    std::vector<unsigned char> after = ReadBytes("tolvane.log");
    EXPECT_EQ(std::string(after.begin(), after.end()), original);
    // Once the file locations are known, errors are logged too.
    std::vector<unsigned char> err = ReadBytes("tolvane.err");
    EXPECT_NE(std::string(err.begin(), err.end()).find(" Error 2: emsg (100), suppressflag(0): Unable to open log file "),
              std::string::npos);
}

TEST_F(ProgramTest, StartedByItsBareNameItKeepsItsFilesInTheCurrentFolder)
{
    const std::string elsewhere = Path("elsewhere");
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    e2e::Process copy = e2e::StartWithCommandLine(exe, "tolvane.exe -b -i 3", elsewhere);
    ASSERT_TRUE(copy.Started());
    DWORD code = 99;
    ASSERT_TRUE(e2e::WaitForExit(copy, 30000, code));
    EXPECT_EQ(code, 0u);
    const std::string log = elsewhere + "\\tolvane.log";
    EXPECT_NE(GetFileAttributesA(log.c_str()), INVALID_FILE_ATTRIBUTES) << "no log in the current folder";
    EXPECT_FALSE(Exists("tolvane.log")) << "the log went beside the exe";
}

// ---------------------------------------------------------------------------
// One copy at a time.

TEST_F(ProgramTest, EventsAreRecordedWhileAnotherCopyRuns)
{
    HWND window = nullptr;
    e2e::Process first = StartWithWindow(window);
    ASSERT_NE(window, nullptr) << "the main window did not appear";

    RunResult begin = Run("-b -i 3");
    RunResult end = Run("-e");
    EXPECT_TRUE(begin.exited && end.exited);
    EXPECT_EQ(begin.exitCode, 0u);
    EXPECT_EQ(end.exitCode, 0u);
    EXPECT_TRUE(begin.boxes.empty() && end.boxes.empty());
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{SESSION_START, 3}, {SESSION_END, DefaultIsp}}));
    EXPECT_TRUE(IsWindow(window)) << "the running copy must go on";

    ExitCopy(first, window);
}

TEST_F(ProgramTest, ASecondCopyEndsAndBringsTheFirstForward)
{
    HWND window = nullptr;
    e2e::Process first = StartWithWindow(window);
    ASSERT_NE(window, nullptr);

    struct Case {
        const char* name;
        int hideWith;
    };
    for (const Case& c : {Case{"minimised", SW_MINIMIZE}, Case{"hidden", SW_HIDE}}) {
        SCOPED_TRACE(c.name);
        ShowWindow(window, c.hideWith);
        ASSERT_FALSE(IsShownAndRestored(window));

        RunResult second = Run("");
        EXPECT_TRUE(second.exited);
        EXPECT_EQ(second.exitCode, 0u);
        EXPECT_TRUE(second.boxes.empty());
        EXPECT_TRUE(e2e::WaitUntil(10000, IsShownAndRestored, window)) << "the first copy did not come forward";
    }
    ExitCopy(first, window);
    // The crash check at start may create an empty log, but records nothing.
    EXPECT_TRUE(ReadEvents().empty()) << "a plain start records nothing";
}

TEST_F(ProgramTest, ReportOnlyModeShowsTheReportAndEndsWithoutRecording)
{
    e2e::Process copy = e2e::Start(exe, "-b -l", folder);
    ASSERT_TRUE(copy.Started());
    // The report may open a dialog of its own: closing it ends the program.
    DWORD code = 99;
    bool ended = false;
    for (int tick = 0; tick < 300 && !ended; ++tick) {
        ended = e2e::WaitForExit(copy, 100, code);
        for (HWND w : e2e::ProcessWindows(copy.info.dwProcessId, "#32770"))
            if (IsWindowVisible(w))
                PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    if (!ended)
        e2e::Kill(copy);
    ASSERT_TRUE(ended) << "-l did not end the program after the report";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(ReadEvents().empty());
}

TEST_F(ProgramTest, BeginAndEndInTheWindowRecordTheDefaultIsp)
{
    HWND window = nullptr;
    e2e::Process copy = StartWithWindow(window);
    ASSERT_NE(window, nullptr);
    // The ISP list holds the numbers of ActiveIDs, the default selected.
    HWND combo = GetDlgItem(window, 1102);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, at, 0), DefaultIsp);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(107, BN_CLICKED), 0);  // Begin
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(108, BN_CLICKED), 0);  // End
    ExitCopy(copy, window);
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{SESSION_START, DefaultIsp}, {SESSION_END, DefaultIsp}}));
}

TEST_F(ProgramTest, ASessionLeftOpenAtExitIsClosedByTheCrashCheckAtTheNextStart)
{
    WriteFile("tolvane.ini", "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n"
                             "[WinCrashRecovery]\r\nPromptUser=0\r\nDefaultRemedy=0\r\n");
    HWND window = nullptr;
    e2e::Process first = StartWithWindow(window);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(107, BN_CLICKED), 0);  // Begin, then exit while online
    ExitCopy(first, window);
    ASSERT_EQ(ReadEvents(), (std::vector<Event>{{SESSION_START, DefaultIsp}}));

    e2e::Process second = StartWithWindow(window);
    ASSERT_NE(window, nullptr);
    std::vector<SessionRecord> records;
    for (int tick = 0; tick < 100 && records.size() < 2; ++tick) {
        Sleep(100);
        records = ReadRecords();
    }
    ExitCopy(second, window);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].kind, SESSION_END);
    EXPECT_EQ(records[1].ispId, DefaultIsp);
    EXPECT_EQ(records[1].flag, 1) << "an end written by the crash check is marked";
    EXPECT_GE(records[1].time, records[0].time);
}

TEST_F(ProgramTest, MonitorModeStartsMinimised)
{
    // -m really starts monitoring (RAS, with Wine's own library: no
    // connections); without a prompt on exit, Exit stops it and ends.
    WriteFile("tolvane.ini", "[Monitor]\r\nType=1\r\nConfirmExit=0\r\n");
    e2e::Process copy = e2e::Start(exe, "-m", folder);
    ASSERT_TRUE(copy.Started());
    // Parked out of sight soon after it opens: look for it there too.
    HWND window = e2e::WaitForMainWindow(copy.info.dwProcessId, 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(e2e::WaitUntil(10000, [](HWND w) { return IsIconic(w) != FALSE; }, window));
    ExitCopy(copy, window);
}

TEST_F(ProgramTest, TheWindowClosesWithExitCodeZeroAndReleasesTheSingleCopy)
{
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HWND window = nullptr;
        e2e::Process copy = StartWithWindow(window);
        ASSERT_NE(window, nullptr) << "a copy after the last one closed must open its window";
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, "Tolvane");
        ExitCopy(copy, window);
        EXPECT_TRUE(e2e::WaitUntil(5000, IsGone, window));
    }
}

// ---------------------------------------------------------------------------
// Many writers at once.

TEST_F(ProgramTest, ConcurrentWritersLeaveOnlyWholeRecordsAndLoseNone)
{
    constexpr int Writers = 12;
    for (int round = 0; round < 2; ++round) {  // first round creates the log
        SCOPED_TRACE(round == 0 ? "log missing" : "log exists");
        std::vector<e2e::Process> copies;
        std::vector<Event> expected = ReadEvents();
        for (int i = 0; i < Writers; ++i) {
            const int kind = i % 2 == 0 ? SESSION_START : SESSION_END;
            const int isp = 100 * (round + 1) + i;
            copies.push_back(e2e::Start(exe, std::string(kind == SESSION_START ? "-b" : "-e") + " -i " +
                                                 std::to_string(isp), folder));
            ASSERT_TRUE(copies.back().Started());
            expected.push_back({kind, isp});
        }
        for (const e2e::Process& p : copies) {
            DWORD code = 99;
            ASSERT_TRUE(e2e::WaitForExit(p, 60000, code));
            EXPECT_EQ(code, 0u);
        }
        std::vector<Event> events = ReadEvents();
        std::sort(events.begin(), events.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(events, expected);
        EXPECT_FALSE(Exists("tolvane.err"));
    }
}

}  // namespace
