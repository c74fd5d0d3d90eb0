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

std::vector<std::string> Temporaries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\tolvane.log.new-*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

// A log of `days` days from 1 January 2020, `perDay` one-minute sessions of
// ISP 1 each day.
std::string LargeLog(int days, int perDay)
{
    unsigned char raw[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(SessionLogHeader{}, raw);
    std::string bytes(reinterpret_cast<char*>(raw), sizeof raw);
    for (int d = 0; d < days; ++d)
        for (int s = 0; s < perDay; ++s)
            for (int kind : {SESSION_START, SESSION_END}) {
                EncodeSessionRecord(MakeSessionRecord(1, kind, 0, 1577836800LL + d * 86400 + s * 120 + kind * 60), raw);
                bytes.append(reinterpret_cast<char*>(raw), SESSION_RECORD_SIZE);
            }
    return bytes;
}

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
    void Finish(std::vector<e2e::Process>& copies)
    {
        for (const e2e::Process& p : copies) {
            DWORD code = 99;
            if (!e2e::WaitForExit(p, 60000, code)) {
                ADD_FAILURE() << "a copy still runs; its boxes: " << testing::PrintToString(e2e::BoxesOf(p));
                e2e::Kill(p);
            }
            EXPECT_EQ(code, 0u);
        }
        copies.clear();
    }
};

TEST_F(LogSafetyTest, DeletionsRacingAnAppenderLoseNoRecord)
{
    constexpr int Days = 100, PerDay = 500, Appends = 6;
    Write("tolvane.log", LargeLog(Days, PerDay));
    // One copy at a time, start then end, so every appended event pairs.
    std::atomic<bool> finished{false};
    std::thread appender([&] {
        for (int i = 0; i < Appends; ++i) {
            std::vector<e2e::Process> one;
            one.push_back(e2e::Start(exe, i % 2 ? "-e" : "-b", folder));
            Finish(one);
        }
        finished = true;
    });
    int deleted = 0;
    while (!finished && deleted < Days) {
        const std::int64_t day = 1577836800LL + deleted * 86400;
        EXPECT_EQ(DeletePeriod(day, day + 86399, 1), 0);
        ++deleted;
    }
    appender.join();
    std::vector<SessionRecord> records = Records();
    ASSERT_EQ(records.size(), std::size_t(2 * PerDay * (Days - deleted) + Appends)) << deleted << " deletions";
    for (int i = 0; i < Appends; ++i) {
        EXPECT_EQ(records[records.size() - Appends + i].ispId, 9);
        EXPECT_EQ(records[records.size() - Appends + i].kind, i % 2);
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(Temporaries(folder).empty());
}

TEST_F(LogSafetyTest, ManyCopiesStartingOnAForeignFileKeepTheOriginal)
{
    constexpr int Copies = 8;
    for (int trial = 0; trial < 2; ++trial) {
        SCOPED_TRACE(trial);
        DeleteFileA(Path("tolvane.log").c_str());
        DeleteFileA(Path("tolvane.bak").c_str());
        Write("tolvane.log", "the user's notes, not a log");
        std::vector<e2e::Process> copies;
        for (int i = 0; i < Copies; ++i)
            copies.push_back(e2e::Start(exe, "-b -i " + std::to_string(i + 1), folder));
        Finish(copies);
        EXPECT_EQ(Read("tolvane.bak"), "the user's notes, not a log");
        EXPECT_EQ(Records().size(), std::size_t(Copies));
    }
}

} // namespace
