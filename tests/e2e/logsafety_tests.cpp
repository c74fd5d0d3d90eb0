// The session log between real processes under Wine: copies of tolvane.exe
// appending while this process rewrites the log, many copies starting on a
// file that is not a log, and a rewrite killed half way.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "platform/fileops.h"
#include "platform/win32_seams.h"
#include "sessionlog/deletelog.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

std::string SelfPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::vector<ErrorCode> errors;

void RecordError(const char*, const char*, ErrorCode code)
{
    errors.push_back(code);
}

void UseFolder(const std::string& folder)
{
    InstallWin32Seams();
    SetErrorPresenter(RecordError);
    SetUpFileLocations(folder + "\\tolvane.exe");
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<SessionRecord> Records(const std::string& path)
{
    std::string bytes = ReadBytes(path);
    EXPECT_EQ((bytes.size() - SESSION_HEADER_SIZE) % SESSION_RECORD_SIZE, 0u) << "a partial record";
    std::vector<SessionRecord> records;
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
        records.emplace_back();
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at), records.back());
    }
    return records;
}

std::vector<std::string> Temporaries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\tolvane.log.new-*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
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

class LogSafetyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A unique name from the system, made a folder of its own.
        char temp[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        if (GetTempFileNameA(temp, "tls", 0, name) && DeleteFileA(name) && CreateDirectoryA(name, nullptr))
            folder = name;
        ASSERT_FALSE(folder.empty());
        exe = folder + "\\tolvane.exe";
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(TOLVANE_EXE).c_str(), exe.c_str(), FALSE));
        WriteBytes(Path("tolvane.ini"), "[Global]\r\nActiveIDs=9\r\nDefaultISP=9\r\n");
        UseFolder(folder);
        errors.clear();
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA(Path(found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string Path(const char* name) const { return folder + "\\" + name; }
    void Finish(std::vector<e2e::Process>& copies)
    {
        for (const e2e::Process& p : copies) {
            DWORD code = 99;
            if (!e2e::WaitForExit(p, 60000, code)) {
                std::string boxes;
                for (HWND box : e2e::ProcessWindows(p.info.dwProcessId, "#32770")) {
                    char caption[256] = "", text[512] = "";
                    GetWindowTextA(box, caption, sizeof caption);
                    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                    boxes += std::string("[") + caption + ": " + text + "] ";
                }
                ADD_FAILURE() << "a copy still runs; its boxes: " << boxes << "; its errors:\n"
                              << ReadBytes(Path("tolvane.err"));
                e2e::Kill(p);
            }
            EXPECT_EQ(code, 0u);
        }
        copies.clear();
    }
    std::string folder, exe;
};

TEST_F(LogSafetyTest, DeletionsRacingAnAppenderLoseNoRecord)
{
    constexpr int Days = 100, PerDay = 500, Appends = 6;
    WriteBytes(Path("tolvane.log"), LargeLog(Days, PerDay));
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
    std::vector<SessionRecord> records = Records(Path("tolvane.log"));
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
        WriteBytes(Path("tolvane.log"), "the user's notes, not a log");
        std::vector<e2e::Process> copies;
        for (int i = 0; i < Copies; ++i)
            copies.push_back(e2e::Start(exe, "-b -i " + std::to_string(i + 1), folder));
        Finish(copies);
        EXPECT_EQ(ReadBytes(Path("tolvane.bak")), "the user's notes, not a log");
        EXPECT_EQ(Records(Path("tolvane.log")).size(), std::size_t(Copies));
    }
}

TEST_F(LogSafetyTest, AKilledDeletionLeavesNothingAfterTheNextOne)
{
    const std::string log = LargeLog(3, 10);
    WriteBytes(Path("tolvane.log"), log);
    e2e::Process child = e2e::Start(SelfPath(), "--hang-in-rewrite \"" + folder + "\"", folder);
    ASSERT_TRUE(child.Started());
    for (int i = 0; i < 3000 && GetFileAttributesA(Path("hanging").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(10);
    e2e::Kill(child);
    DWORD code = 0;
    ASSERT_TRUE(e2e::WaitForExit(child, 30000, code));
    EXPECT_EQ(Temporaries(folder).size(), 1u);
    EXPECT_EQ(ReadBytes(Path("tolvane.log")), log);
    EXPECT_EQ(DeletePeriod(1577836800LL, 1577836800LL + 86399, 0), 0);
    EXPECT_TRUE(Temporaries(folder).empty());
    EXPECT_EQ(Records(Path("tolvane.log")).size(), 2u * 2 * 10);
}

// The child of the test above: a deletion that stops for good once its new
// log is written, until it is killed.
std::string hangingIn;

int HangInRewrite(const std::string& folder)
{
    UseFolder(folder);
    hangingIn = folder;
    static FileOps ops = CurrentFileOps();
    ops.flushToDisk = [](std::FILE*) {
        WriteBytes(hangingIn + "\\hanging", "");
        Sleep(INFINITE);
        return -1;
    };
    SetFileOps(&ops);
    return DeletePeriod(1577836800LL, 1577836800LL + 86399, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hang-in-rewrite") == 0)
        return HangInRewrite(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
