// The session log between real processes under Wine: copies of tolvane.exe
// appending while this process rewrites the log, and many copies starting on
// a file that is not a log.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "driver.h"
#include "platform/win32_seams.h"
#include "sessionlog/deletelog.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

std::vector<ErrorCode> errors;

class LogSafetyTest : public e2e::ProgramFolder {
protected:
    void SetUp() override
    {
        ProgramFolder::SetUp();
        Write("tolvane.ini", "[Global]\r\nActiveIDs=9\r\nDefaultISP=9\r\n");
        InstallWin32Seams();
        SetErrorPresenter([](const char*, const char*, ErrorCode code) { errors.push_back(code); });
        SetUpFileLocations(folder + "\\tolvane.exe");
        errors.clear();
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

TEST_F(LogSafetyTest, DeletionsRacingAnAppenderLoseNoRecord)
{
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
    const std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), std::size_t(2 * PerDay * (Days - deleted) + Appends)) << deleted << " deletions";
    for (int i = 0; i < Appends; ++i)
        EXPECT_EQ(std::pair(records[records.size() - Appends + i].ispId, records[records.size() - Appends + i].kind),
                  std::pair(9, i % 2));
    EXPECT_TRUE(errors.empty());
    WIN32_FIND_DATAA temporary;
    EXPECT_EQ(FindFirstFileA(Path("tolvane.log.new-*").c_str(), &temporary), INVALID_HANDLE_VALUE)
        << temporary.cFileName;
}

TEST_F(LogSafetyTest, ManyCopiesStartingOnAForeignFileKeepTheOriginal)
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

} // namespace
