// The monitors against real libraries loaded the way the program loads
// them: Wine's own rasapi32 and tapi32, or the fakes beside the exe with
// WINEDLLOVERRIDES pointing at them, or no Telephony library at all. Each
// case runs the probe in a folder of its own and reads what it wrote.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"

namespace {

// Wine takes WINEDLLOVERRIDES from the environment it was started with,
// not from a Windows child's: a child started here gets its overrides from
// the prefix's per-program key instead, which is the same switch.
const std::string BaseOverrides = "WINEDLLOVERRIDES=mscoree,mshtml=;winealsa.drv=";

void SetProgramOverrides(const std::string& program, const std::string& overrides)
{
    HKEY key = nullptr;
    const std::string path = "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const char* dll : {"rasapi32", "tapi32"}) {
        const bool native = overrides.find(std::string(dll) + ",") != std::string::npos ||
                            overrides.find(std::string(dll) + "=n") != std::string::npos;
        if (native)
            RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
        else
            RegDeleteValueA(key, dll);
    }
    RegCloseKey(key);
}

void SetProbeOverrides(const std::string& overrides)
{
    SetProgramOverrides("monitor_probe.exe", overrides);
}

class FakeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
            const std::string candidate = std::string(temp) + "tolvane-fakes-" + std::to_string(GetCurrentProcessId()) +
                                          "-" + std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
            if (CreateDirectoryA(candidate.c_str(), nullptr))
                folder = candidate;
        }
        ASSERT_FALSE(folder.empty());
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(PROBE_EXE).c_str(), Path("monitor_probe.exe").c_str(), FALSE));
    }

    void TearDown() override
    {
        for (const char* name : {"monitor_probe.exe", "tolvane.exe", "tolvane.log", "rasapi32.dll", "TAPI32.DLL", "probe.out", "tolvane.ini",
                                 "tolvane.err", "ras.txt"})
            DeleteFileA(Path(name).c_str());
        RemoveDirectoryA(folder.c_str());
    }

    std::string Path(const char* name) const { return folder + "\\" + name; }

    void WithFakeRas()
    {
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(FAKE_RAS_DLL).c_str(), Path("rasapi32.dll").c_str(), FALSE));
    }
    void WithFakeTapi()
    {
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(FAKE_TAPI_DLL).c_str(), Path("TAPI32.DLL").c_str(), FALSE));
    }

    // Written beside and renamed over, so a reader never sees half a file.
    void Write(const char* name, const std::string& text)
    {
        const std::string temp = Path(name) + ".new";
        {
            std::ofstream file(temp, std::ios::binary | std::ios::trunc);
            file << text;
        }
        // The fake has the file open for a moment in every poll.
        bool moved = false;
        for (int attempt = 0; attempt < 400 && !moved; ++attempt) {
            moved = MoveFileExA(temp.c_str(), Path(name).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
            if (!moved)
                Sleep(1);
        }
        ASSERT_TRUE(moved);
    }

    // Runs the probe and returns its lines.
    std::vector<std::string> Run(const std::string& args, const std::vector<std::string>& environment,
                                 DWORD timeoutMs = 60000)
    {
        for (const std::string& entry : environment)
            if (entry.rfind("WINEDLLOVERRIDES=", 0) == 0)
                SetProbeOverrides(entry);
        e2e::Process probe = e2e::Start(Path("monitor_probe.exe"), args, folder, -1, environment);
        EXPECT_TRUE(probe.Started());
        DWORD code = 0;
        if (!e2e::WaitForExit(probe, timeoutMs, code)) {
            e2e::Kill(probe);
            ADD_FAILURE() << "the probe did not end";
        }
        EXPECT_EQ(code, 0u);
        std::ifstream file(Path("probe.out"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::string folder;
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST_F(FakeLibraryTest, MissingTelephonyLibraryGives2007WithOperationUnavailable)
{
    // tapi32 native only, and no TAPI32.DLL beside the exe: the load fails.
    const auto lines = Run("line device=0", {BaseOverrides + ";tapi32=n"});
    EXPECT_EQ(Joined(lines),
              "box 2007 Unable to initialise the line for monitoring. Error code -2147483575 returned.\n"
              "start -1\nend 0\n");
}

struct LineCase {
    const char* name;
    const char* script;
    const char* args;
    const char* expected;
};

class FakeTelephonyTest : public FakeLibraryTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(FakeTelephonyTest, StartsOrReportsWhy)
{
    WithFakeTapi();
    const LineCase& c = GetParam();
    const auto lines =
        Run(c.args, {BaseOverrides + ";tapi32=n", std::string("TOLVANE_FAKE_TAPI=") + c.script});
    EXPECT_EQ(Joined(lines), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FakeTelephonyTest,
    ::testing::Values(
        LineCase{"NoModem", "devices=0", "line device=0",
                 "box 2060 There are no devices configured for Telephony use. Use the Control Panel to add a modem "
                 "driver.\nstart -1\nend 0\n"},
        LineCase{"DeviceBeyondCount", "devices=2", "line device=2",
                 "box 2061 The device currently selected for monitoring is no longer present. Please re-select the "
                 "modem device in the Monitor options page.\nstart -1\nend 0\n"},
        LineCase{"OpensTheConfiguredDevice", "devices=2", "line device=1",
                 "start 0\ndevice 1\nmodem Fake Modem\nend 0\n"},
        LineCase{"FindsThePermanentLineId", "devices=3;permids=7,8,9", "line device=0 permid=9",
                 "start 0\ndevice 2\nmodem Fake Modem\nend 0\n"},
        LineCase{"GrowsTheCapabilitiesBuffer", "devices=1;extra=5000;name=Big Modem", "line device=0",
                 "start 0\ndevice 0\nmodem Big Modem\nend 0\n"},
        LineCase{"UnknownPermanentLineIdFailsSilently", "devices=3;permids=7,8,9", "line device=0 permid=4",
                 "start -1\nend 0\n"},
        LineCase{"NotADataModem", "devices=1;media=4", "line device=0",
                 "box 2062 The device currently selected for monitoring does not have data modem capabilities. You "
                 "need to re-select the correct modem device in the Monitor options page.\nstart -1\nend 0\n"},
        LineCase{"ReinitOnceIsRetried", "devices=1;init=reinit", "line device=0",
                 "start 0\ndevice 0\nmodem Fake Modem\nend 0\n"},
        LineCase{"ReinitTwiceGives2006", "devices=1;init=reinit2", "line device=0",
                 // Error texts are cut to 255 characters where they are shown.
                 "box 2006 The system configuration for Telephony applications has been modified. This requires all "
                 "such applications to reliquish their use of Telephony before any furthur action can take place. "
                 "Some applications have not done so.TOLVANE cannot set up the line for \nstart -1\nend 0\n"},
        LineCase{"IncompatibleVersionGives2008", "devices=2;negotiate=-2147483636", "line device=1",
                 "box 2008 The device you selected (1) to monitor does not support the necessary facilities required "
                 "by TOLVANE to monitor it. This probably means that you selected the wrong device. You need to  "
                 "reconfigure TOLVANE to use the correct modem.\nstart -1\nend 0\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST_F(FakeLibraryTest, ScriptedCallsOnTheLine)
{
    WithFakeTapi();
    // An incoming call (origin 2) that is not tracked, a call on another
    // line, then an outgoing call on ours that connects and ends.
    const std::string calls = "calls=100:0:2:256,200:0:2:1,300:1:1:256,400:1:1:16384,500:0:1:256,900:0:1:16384,"
                              "1000:0:1:1";
    const auto lines = Run("line device=0 pump=2500 delay=5 defaultisp=3",
                           {BaseOverrides + ";tapi32=n", "TOLVANE_FAKE_TAPI=devices=2;" + calls});
    ASSERT_GE(lines.size(), 5u) << Joined(lines);
    EXPECT_EQ(lines[0], "start 0");
    // One session only: the connect of our outgoing call, then its end.
    int connects = 0, disconnects = 0;
    for (const std::string& line : lines) {
        if (line.rfind("connect ", 0) == 0) {
            ++connects;
            EXPECT_EQ(line.substr(0, 14), "connect 0 1 3 ") << line;
        }
        if (line.rfind("disconnect ", 0) == 0)
            ++disconnects;
    }
    EXPECT_EQ(connects, 1) << Joined(lines);
    EXPECT_EQ(disconnects, 1) << Joined(lines);
}

TEST_F(FakeLibraryTest, FakeRasReportsConnectionsAndDisconnections)
{
    WithFakeRas();
    Write("tolvane.ini", "[Monitor]\r\nRasLatency=20\r\n");
    Write("ras.txt", "Work 1\r\nHome 2000\r\n");
    // The probe runs while the test changes the list: Work comes up, Home
    // goes, then Work goes.
    SetProbeOverrides(BaseOverrides + ";rasapi32,tapi32=n");
    e2e::Process probe = e2e::Start(Path("monitor_probe.exe"), "ras pump=2500 defaultisp=4 delay=7", folder, -1,
                                    {BaseOverrides + ";rasapi32,tapi32=n", "TOLVANE_FAKE_RAS=" + Path("ras.txt")});
    ASSERT_TRUE(probe.Started());
    Sleep(700);
    Write("ras.txt", "Work 2000\r\nHome 2000\r\n");
    Sleep(500);
    Write("ras.txt", "Work 2000\r\n");
    Sleep(500);
    Write("ras.txt", "");
    DWORD code = 0;
    ASSERT_TRUE(e2e::WaitForExit(probe, 60000, code));
    std::ifstream file(Path("probe.out"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    // Home was up at the start: a connection in the first cycle, logged for
    // the default ISP. Its end is the disconnection; Work, coming up while
    // online, is not logged and its end is ignored.
    ASSERT_EQ(lines.size(), 4u) << Joined(lines);
    EXPECT_EQ(lines[0], "start 0");
    EXPECT_EQ(lines[1].substr(0, 14), "connect 0 1 4 ");
    EXPECT_NE(lines[1].find(" Home"), std::string::npos);
    EXPECT_EQ(lines[2].substr(0, 11), "disconnect ");
    EXPECT_EQ(lines[3], "end 0");
}

TEST_F(FakeLibraryTest, WinesOwnRasWaitsWithNoConnections)
{
    Write("tolvane.ini", "[Monitor]\r\nRasLatency=50\r\n");
    const auto lines = Run("ras pump=1000", {BaseOverrides});
    EXPECT_EQ(Joined(lines), "start 0\nend 0\n");
}

TEST_F(FakeLibraryTest, WinesOwnTelephonyReportsNoDevices)
{
    const auto lines = Run("line device=0", {BaseOverrides});
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].substr(0, 9), "box 2060 ") << Joined(lines);
    EXPECT_EQ(lines.back(), "end 0");
}

TEST_F(FakeLibraryTest, TheProgramRunsWithTheFakeLibrariesBesideIt)
{
    // The program links RAS at load time: with the fake in its folder and
    // the override set, it must still start and close normally.
    WithFakeRas();
    WithFakeTapi();
    ASSERT_TRUE(CopyFileA(e2e::WindowsPath(TOLVANE_EXE).c_str(), Path("tolvane.exe").c_str(), FALSE));
    SetProgramOverrides("tolvane.exe", BaseOverrides + ";rasapi32,tapi32=n");
    e2e::Process program = e2e::Start(Path("tolvane.exe"), "", folder);
    ASSERT_TRUE(program.Started());
    HWND window = e2e::WaitForWindow(program.info.dwProcessId, "KRTolvane", 30000);
    EXPECT_NE(window, nullptr);
    // The fake is what the program loaded, not Wine's own.
    HMODULE loaded[256];
    DWORD bytes = 0;
    HANDLE process = program.info.hProcess;
    bool fakeLoaded = false;
    if (EnumProcessModules(process, loaded, sizeof loaded, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
            char name[MAX_PATH] = {};
            GetModuleFileNameExA(process, loaded[i], name, sizeof name);
            if (_stricmp(name, Path("rasapi32.dll").c_str()) == 0)
                fakeLoaded = true;
        }
    }
    EXPECT_TRUE(fakeLoaded);
    if (window)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(1103, BN_CLICKED), 0);
    DWORD code = 1;
    if (!e2e::WaitForExit(program, 30000, code))
        e2e::Kill(program);
    EXPECT_EQ(code, 0u);
    SetProgramOverrides("tolvane.exe", BaseOverrides);
}

// ---------------------------------------------------------------------------
// Whole monitored sessions through the real program: it is started with -m
// beside both fakes, the test scripts the connection or the call, and reads
// the log the program wrote.

constexpr int DefaultIsp = 7;
constexpr int DialupIsp = 3;
constexpr int Delay = 30;

const std::string Settings = "[Global]\r\nActiveIDs=7,3\r\nDefaultISP=7\r\n"
                             "[ISP7]\r\nDescription=Home Line\r\n"
                             "[ISP3]\r\nDescription=Dial Up\r\nRasName=Dialup\r\n";

class MonitoredSessionTest : public FakeLibraryTest {
protected:
    void SetUp() override
    {
        FakeLibraryTest::SetUp();
        if (HasFatalFailure())
            return;
        WithFakeRas();
        WithFakeTapi();
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(TOLVANE_EXE).c_str(), Path("tolvane.exe").c_str(), FALSE));
        SetProgramOverrides("tolvane.exe", BaseOverrides + ";rasapi32,tapi32=n");
        pollsName = "TolvaneFakeRasPolls-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount());
        polls = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), pollsName.c_str());
        ASSERT_NE(polls, nullptr);
        pollCount = static_cast<volatile LONG*>(MapViewOfFile(polls, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
        ASSERT_NE(pollCount, nullptr);
    }

    void TearDown() override
    {
        if (program.Started() && WaitForSingleObject(program.info.hProcess, 0) == WAIT_TIMEOUT)
            e2e::Kill(program);
        program = e2e::Process();
        SetProgramOverrides("tolvane.exe", BaseOverrides);
        if (pollCount)
            UnmapViewOfFile(const_cast<LONG*>(pollCount));
        if (polls)
            CloseHandle(polls);
        // The program may leave files of its own beside the log.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((folder + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        FakeLibraryTest::TearDown();
    }

    // Starts "tolvane -m" with the settings and waits for its main window.
    void StartMonitoring(const std::string& monitorSettings, const std::string& tapiScript = "")
    {
        Write("tolvane.ini", Settings + "[Monitor]\r\n" + monitorSettings + "ConfirmExit=0\r\n");
        std::vector<std::string> environment = {BaseOverrides + ";rasapi32,tapi32=n",
                                                "TOLVANE_FAKE_RAS=" + Path("ras.txt"),
                                                "TOLVANE_FAKE_RAS_POLLS=" + pollsName};
        if (!tapiScript.empty())
            environment.push_back("TOLVANE_FAKE_TAPI=" + tapiScript);
        program = e2e::Start(Path("tolvane.exe"), "-m", folder, -1, environment);
        ASSERT_TRUE(program.Started());
        window = e2e::WaitForMainWindow(program.info.dwProcessId, 30000);
        ASSERT_NE(window, nullptr);
    }

    // Replaces the fake's list and waits until the polling thread has acted
    // on it: a poll that began after the change has ended, and the next one
    // started after that thread posted what it found.
    void SetConnections(const std::string& list)
    {
        Write("ras.txt", list);
        WaitForPolls(4);
    }

    void WaitForPolls(LONG more)
    {
        const LONG target = *pollCount + more;
        const DWORD start = GetTickCount();
        while (*pollCount < target) {
            ASSERT_LT(GetTickCount() - start, 30000u) << "the RAS monitor stopped polling";
            Sleep(10);
        }
    }

    std::vector<SessionRecord> Records() const
    {
        std::ifstream in(Path("tolvane.log"), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<SessionRecord> records;
        for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
            SessionRecord r;
            DecodeSessionRecord(bytes.data() + at, r);
            records.push_back(r);
        }
        return records;
    }

    // Waits until the log holds that many records, looking out for the
    // Usage dialog meanwhile; false on timeout.
    bool WaitForRecords(std::size_t count, DWORD timeoutMs = 30000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            NoteUsageDialog();
            if (Records().size() >= count)
                return true;
            if (GetTickCount() - start > timeoutMs)
                return false;
            Sleep(20);
        }
    }

    // A shown top-level dialog of the program with that caption, or null.
    HWND ShownDialog(const char* caption) const
    {
        for (HWND dialog : e2e::ProcessWindows(program.info.dwProcessId, "#32770")) {
            char text[64] = {};
            GetWindowTextA(dialog, text, sizeof text);
            if (IsWindowVisible(dialog) && std::string(text) == caption)
                return dialog;
        }
        return nullptr;
    }

    HWND WaitForDialog(const char* caption, DWORD timeoutMs = 30000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            if (HWND dialog = ShownDialog(caption))
                return dialog;
            if (GetTickCount() - start > timeoutMs)
                return nullptr;
            Sleep(20);
        }
    }

    void NoteUsageDialog()
    {
        if (ShownDialog("Usage"))
            usageSeen = true;
    }

    // Exit, with monitoring still on and no confirmation asked: the program
    // ends with 0 and has logged no errors.
    void ExitProgram()
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
        DWORD code = 99;
        const DWORD start = GetTickCount();
        bool exited = false;
        while (!exited && GetTickCount() - start < 30000) {
            NoteUsageDialog();
            exited = e2e::WaitForExit(program, 50, code);
        }
        if (!exited) {
            e2e::Kill(program);
            FAIL() << "the program did not end after Exit";
        }
        EXPECT_EQ(code, 0u);
        std::ifstream errors(Path("tolvane.err"));
        EXPECT_FALSE(errors.is_open()) << std::string(std::istreambuf_iterator<char>(errors), {});
    }

    static std::string Describe(const std::vector<SessionRecord>& records)
    {
        std::ostringstream out;
        for (const SessionRecord& r : records)
            out << (r.kind == SESSION_START ? "start" : r.kind == SESSION_END ? "end" : "kind?") << " ISP " << r.ispId
                << " at " << r.time << " flag " << r.flag << "\n";
        return out.str();
    }

    e2e::Process program;
    HWND window = nullptr;
    std::string pollsName;
    HANDLE polls = nullptr;
    volatile LONG* pollCount = nullptr;
    bool usageSeen = false;
};

TEST_F(MonitoredSessionTest, RasSessionIsLoggedForTheMatchingIspAndTheReportOpens)
{
    // RasPrompt 0: a known entry is logged for its ISP, others are ignored.
    ASSERT_NO_FATAL_FAILURE(
        StartMonitoring("Type=1\r\nRasLatency=50\r\nRasPrompt=0\r\nShowLog=1\r\nDelay=" + std::to_string(Delay) + "\r\n"));
    WaitForPolls(1);  // monitoring runs
    // A stranger's connection comes and goes unlogged.
    SetConnections("Stranger 2000\r\n");
    SetConnections("");
    ASSERT_TRUE(Records().empty()) << Describe(Records());

    const std::int64_t beforeUp = std::time(nullptr);
    Write("ras.txt", "Dialup 2000\r\n");
    ASSERT_TRUE(WaitForRecords(1)) << "no start record";
    const std::int64_t afterUp = std::time(nullptr);
    EXPECT_FALSE(usageSeen);
    Write("ras.txt", "");
    ASSERT_TRUE(WaitForRecords(2)) << "no end record";
    const std::int64_t afterDown = std::time(nullptr);

    // The report of the period opens once the session has ended.
    HWND usage = WaitForDialog("Usage");
    ASSERT_NE(usage, nullptr) << "ShowLog set, but no Usage dialog after the disconnection";
    e2e::PressOk(usage);

    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 2u) << Describe(records);
    EXPECT_EQ(records[0].kind, SESSION_START);
    EXPECT_EQ(records[0].ispId, DialupIsp);
    EXPECT_EQ(records[0].flag, 0);
    // Every RAS event is dated its poll's instant plus Delay.
    EXPECT_GE(records[0].time, beforeUp + Delay) << Describe(records);
    EXPECT_LE(records[0].time, afterUp + Delay) << Describe(records);
    EXPECT_EQ(records[1].kind, SESSION_END);
    EXPECT_EQ(records[1].ispId, DialupIsp);
    EXPECT_GE(records[1].time, afterUp + Delay - 1) << Describe(records);
    EXPECT_LE(records[1].time, afterDown + Delay) << Describe(records);
    EXPECT_GE(records[1].time, records[0].time);

    ASSERT_TRUE(e2e::WaitUntil(10000, [](HWND w) { return !IsWindow(w); }, usage)) << "the Usage dialog stayed open";
    ExitProgram();
    EXPECT_EQ(Records().size(), 2u) << "exit while waiting must not log anything";
}

TEST_F(MonitoredSessionTest, OutgoingCallIsLoggedForTheDefaultIspAndIncomingIgnored)
{
    // An incoming call (TrackInbound off) and an outgoing call on the other
    // line come and go first; only our outgoing call after them makes a
    // session. It alone lasts 3 s, so a session logged for either of the
    // others shows. Steps count from the line's first opening.
    const std::string calls =
        "calls=1500:0:2:256,2000:0:2:1,2200:1:1:256,2600:1:1:16384,3000:0:1:256,6000:0:1:16384,6100:0:1:1";
    const std::int64_t beforeStart = std::time(nullptr);
    ASSERT_NO_FATAL_FAILURE(StartMonitoring("Type=0\r\nDevice=0\r\nPrompt=0\r\nTrackInbound=0\r\nShowLog=0\r\nDelay=" +
                                                std::to_string(Delay) + "\r\n",
                                            "devices=2;" + calls));
    ASSERT_TRUE(WaitForRecords(1, 60000)) << "no start record";
    const std::int64_t afterUp = std::time(nullptr);
    ASSERT_TRUE(WaitForRecords(2, 60000)) << "no end record";
    const std::int64_t afterDown = std::time(nullptr);

    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 2u) << Describe(records);
    EXPECT_EQ(records[0].kind, SESSION_START);
    EXPECT_EQ(records[0].ispId, DefaultIsp);
    // The connection is dated plus Delay, the end is not.
    EXPECT_GE(records[0].time, beforeStart + Delay) << Describe(records);
    EXPECT_LE(records[0].time, afterUp + Delay) << Describe(records);
    EXPECT_EQ(records[1].kind, SESSION_END);
    EXPECT_EQ(records[1].ispId, DefaultIsp);
    EXPECT_LE(records[1].time, afterDown) << Describe(records);
    const std::int64_t lasted = records[1].time - (records[0].time - Delay);
    EXPECT_GE(lasted, 2) << Describe(records);
    EXPECT_LE(lasted, 4) << Describe(records);
    ExitProgram();
    EXPECT_FALSE(usageSeen) << "ShowLog off, yet the Usage dialog opened";
    EXPECT_EQ(Records().size(), 2u);
}

class ConnectionMadeSessionTest : public MonitoredSessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConnectionMadeSessionTest, OkLogsTheStartAndADisconnectionMeanwhileEndsIt)
{
    const bool dropWhileOpen = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartMonitoring("Type=1\r\nRasLatency=50\r\nRasPrompt=3\r\nShowLog=0\r\nDelay=" +
                                            std::to_string(Delay) + "\r\n"));
    WaitForPolls(1);
    const std::int64_t beforeUp = std::time(nullptr);
    Write("ras.txt", "Dialup 2000\r\n");
    // Always asked, even for a known entry.
    HWND dialog = WaitForDialog("Connection Made");
    ASSERT_NE(dialog, nullptr) << "RasPrompt 3, but no Connection Made dialog";
    const std::int64_t afterUp = std::time(nullptr);
    char offered[64] = {};
    GetWindowTextA(GetDlgItem(dialog, IDC_RASNAME), offered, sizeof offered);
    EXPECT_STREQ(offered, "Dialup");
    EXPECT_TRUE(Records().empty()) << "logged before OK: " << Describe(Records());

    if (dropWhileOpen)
        SetConnections("");  // seen and queued while the dialog waits
    e2e::PressOk(dialog);
    ASSERT_TRUE(WaitForRecords(1)) << "OK logged no start";
    if (!dropWhileOpen) {
        Write("ras.txt", "");
    }
    ASSERT_TRUE(WaitForRecords(2)) << "the session was not ended";

    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), 2u) << Describe(records);
    EXPECT_EQ(records[0].kind, SESSION_START);
    EXPECT_EQ(records[1].kind, SESSION_END);
    // The chooser starts on the default ISP; OK takes the connection time.
    EXPECT_EQ(records[0].ispId, DefaultIsp);
    EXPECT_EQ(records[1].ispId, DefaultIsp);
    EXPECT_GE(records[0].time, beforeUp + Delay) << Describe(records);
    EXPECT_LE(records[0].time, afterUp + Delay) << Describe(records);
    EXPECT_GE(records[1].time, records[0].time) << Describe(records);
    EXPECT_EQ(ShownDialog("Connection Made"), nullptr);
    ExitProgram();
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectionMadeSessionTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "DisconnectedWhileOpen" : "DisconnectedAfterOk";
                         });

}  // namespace
