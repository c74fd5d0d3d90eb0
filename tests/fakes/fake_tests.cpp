// The fake rasapi32.dll and TAPI32.DLL loaded the way the program loads
// them: beside the exe, with the prefix told to prefer them. The program
// binds Telephony from the library it finds (or reports it missing), and
// logs one monitored RAS session through the fake RAS.
#include <windows.h>

#include <ctime>

#include "driver.h"
#include "resource.h"

namespace {

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
