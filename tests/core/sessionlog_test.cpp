// The session log: its header, appends, damaged files, pairing and racing writers.
#include <optional>
#include <utility>

#include "logmaint_support.h"
#include "sessionlog/deletelog.h"
#include "startup/locations.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace logmaint;

namespace {

class SessionLogTest : public ProgramDirTest {
protected:
    // Every record read (none when the log does not open).
    Records ReadAll()
    {
        Records records;
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        SessionRecord r;
        while (log && ReadSessionRecord(*log, r) == 0)
            records.push_back(r);
        return records;
    }

    // What ReadSession gives until the end: "start-end" or "start open" each, then its last result.
    std::string Sessions()
    {
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        SessionPair pair;
        std::string out;
        int result;
        while ((result = ReadSession(*log, pair)) == 0 || result == 2)
            out += std::to_string(pair.start.time) + (result ? " open, " : "-" + std::to_string(pair.end.time) + ", ");
        return out + std::to_string(result);
    }
};

TEST_F(SessionLogTest, OpenCreatesTheExactHeaderAndMovesAForeignFileAside)
{
    EXPECT_TRUE(ReadAll().empty());
    // Magic, writer 2.1.4.0, reader 1.90.0.0, header and record sizes, zeros.
    const char header[] = "LD\2\0\0\0\1\0\0\0\4\0\0\0\0\0\0\0\1\0\0\0\x5a\0\0\0\0\0\0\0\0\0\0\0\x36\0\0\0\x36";
    EXPECT_EQ(std::string(header, sizeof header) + std::string(14, '\0'), ReadFileBytes(LogFilePath));
    for (std::string content : {std::string("0123456789"), std::string(100, 'x'), std::string()}) {
        WriteFileBytes(LogFilePath, content);
        EXPECT_TRUE(ReadAll().empty());
        EXPECT_EQ(HeaderBytes(), ReadFileBytes(LogFilePath));
        EXPECT_EQ(content, ReadFileBytes(BackupFilePath));
    }
    // Without a backup name a foreign file is never overwritten.
    WriteFileBytes(LogFilePath, "not a log at all, and precious");
    EXPECT_FALSE(OpenSessionLogFile(LogFilePath, "", LOG_APPEND));
    EXPECT_EQ(Codes{100}, RecordedCodes());
    EXPECT_EQ("not a log at all, and precious", ReadFileBytes(LogFilePath));
}

TEST_F(SessionLogTest, ALogAnotherCopyCreatesMeanwhileIsNotReplaced)
{
    ScopedFileOps ops;
    ops.createNew = [](const char* path) {
        if (!std::filesystem::exists(LogFilePath))
            WriteLog(LogFilePath, {Start(1, 100)});
        return PlatformOps().createNew(path);
    };
    EXPECT_EQ(0, RecordSessionEvent(1, SESSION_END, 0, 200));
    EXPECT_EQ(LogBytes({Start(1, 100), End(1, 200)}), ReadFileBytes(LogFilePath));
}

TEST_F(SessionLogTest, EventsRoundTripAndHackFlagsTakeTheInstantFromTheLocalTime)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const std::int64_t summer = LocalInstant(2024, 7, 1, 21, 30, 5), late = 4000000000LL;
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_START, 0, summer));
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_END, 1, late));
    const Records back = ReadAll();
    EXPECT_EQ(back, (Records{Start(3, summer), MakeSessionRecord(3, SESSION_END, 1, late)}));
    // An instant (and daylight flag) that disagrees with the local time.
    SessionRecord odd = back[0];
    odd.time += 12345;
    odd.localTime.tm_isdst = 0;
    WriteLog(LogFilePath, {odd});
    EXPECT_EQ(summer + 12345, ReadAll()[0].time);
    HackFlags = 1;
    EXPECT_EQ(summer, ReadAll()[0].time);
}

TEST_F(SessionLogTest, HeaderDecidesWhetherAndHowTheRecordsAreRead)
{
    const std::string a = RecordBytes(Start(1, 100)), b = RecordBytes(End(1, 200)), pad(6, '\x7f');
    const auto reader = [](std::vector<std::int32_t> version) { return HeaderBytes(54, {2, 1, 4, 0}, version); };
    const struct {
        std::string bytes;
        bool opens;
    } cases[] = {
        // A reader version above this program's refuses; at or below it opens.
        {reader({2, 1, 5, 0}) + a + b, false},    {reader({2, 1, 4, 0}) + a + b, true},
        {reader({1, 99, 99, 99}) + a + b, true},  {reader({2, 1, 3, 99}) + a + b, true},
        {HeaderBytes(53) + a + b, false},         {HeaderBytes(2000000000) + a + b, false},
        {HeaderBytes(54, {2, 1, 4, 0}, {1, 90, 0, 0}, 0) + a + b, true},  // a header size of 0 means 54
        // Before writer 1.91.0.2 records are 54 bytes whatever the header says.
        {HeaderBytes(60, {1, 91, 0, 1}) + a + b, true},
        {HeaderBytes(60, {1, 91, 0, 2}) + a + pad + b + pad, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ClearRecordedErrors();
        WriteFileBytes(LogFilePath, c.bytes);
        EXPECT_EQ(ReadAll(), (c.opens ? Records{Start(1, 100), End(1, 200)} : Records{}));
        EXPECT_EQ(RecordedCodes(), c.opens ? Codes{} : Codes{100});
        EXPECT_EQ(c.bytes, ReadFileBytes(LogFilePath));
    }
    // Appending to a log with extra bytes writes them as zeros.
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, 300));
    EXPECT_EQ(std::end(cases)[-1].bytes + RecordBytes(Start(1, 300)) + std::string(6, 0), ReadFileBytes(LogFilePath));
}

TEST_F(SessionLogTest, FailedAppendLeavesTheLogByteIdentical)
{
    WriteLog(LogFilePath, {Start(1, 100), End(1, 200)});
    const std::string before = ReadFileBytes(LogFilePath);
    {
        // A write that stops short (a full disk) after `allowed` bytes.
        static std::size_t allowed;
        ScopedFileOps ops;
        ops.writeAtEnd = [](FileHandle h, const void* data, std::size_t size) {
            return allowed == 0 ? -1L : PlatformOps().writeAtEnd(h, data, std::min(size, std::exchange(allowed, 0)));
        };
        for (std::size_t size = 0; size < SESSION_RECORD_SIZE; ++size) {
            allowed = size;
            EXPECT_EQ(-1, RecordSessionEvent(1, SESSION_START, 0, 300)) << size;
            EXPECT_EQ(before, ReadFileBytes(LogFilePath)) << size;
        }
        EXPECT_EQ(Codes(SESSION_RECORD_SIZE, 101), RecordedCodes());
    }
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, 300));
    EXPECT_EQ(LogBytes({Start(1, 100), End(1, 200), Start(1, 300)}), ReadFileBytes(LogFilePath));
    // The log's folder is gone: the open fails and nothing is written.
    SetUpFileLocations((Dir() / "gone" / "tolvane.exe").string());
    std::filesystem::remove_all(Dir() / "gone");
    ClearRecordedErrors();
    EXPECT_EQ(-1, RecordSessionEvent(1, SESSION_START, 0, 1000));
    EXPECT_EQ(Codes{100}, RecordedCodes());
}

// (A part at the end is the period deletion's case.)
TEST_F(SessionLogTest, StrayPartOfARecordBetweenWholeOnesIsReportedAndSteppedOver)
{
    const Records before = {Start(1, 100), End(1, 200)}, after = {Start(2, 300), End(2, 400)};
    for (std::size_t size = 1; size < SESSION_RECORD_SIZE; ++size) {
        SCOPED_TRACE(size);
        WriteFileBytes(LogFilePath, LogBytes(before) + RecordBytes(Start(3, 250)).substr(0, size) +
                                        RecordBytes(after[0]) + RecordBytes(after[1]));
        EXPECT_EQ(ReadAll(), (Records{before[0], before[1], after[0], after[1]}));
        EXPECT_EQ(RecordedCodes(), Codes{103});
        ClearRecordedErrors();
    }
}

// ReadSession's pairs, and the open session FindOpenSession finds.
TEST_F(SessionLogTest, SessionsPairByOrderAndIspAndTheOpenOneIsFound)
{
    SessionRecord found;
    // (A later start replacing the pending one, an end of another ISP and an
    // open session at the end are the period deletion's cases.)
    const std::string pad(10, '\0');
    const std::string padded = HeaderBytes(64) + RecordBytes(End(4, 20)) + pad + RecordBytes(Start(6, 40));
    const struct { std::string log, sessions; std::optional<SessionRecord> open = {}; } cases[] = {
        {LogBytes({End(1, 5), Start(2, 10), End(2, 20)}), "10-20, 1"},  // an end without a start
        {LogBytes({Start(1, 10), Bad(1, 15), End(1, 20), Start(3, 30), End(3, 40)}), "30-40, 1"},  // the start dropped
        {LogBytes({Start(1, 100), End(1, 50)}), "100-50, 1"},  // times are not compared
        {LogBytes({}), "1"},
        {LogBytes({Start(4, 10), End(4, 20), Start(5, 30)}), "10-20, 30 open, 1", Start(5, 30)},
        // With extra bytes per record, also when the last one is cut inside them.
        {padded + pad, "40 open, 1", Start(6, 40)},
        {padded + pad.substr(3), "40 open, 1", Start(6, 40)},
    };
    for (const auto& c : cases) {
        WriteFileBytes(LogFilePath, c.log);
        EXPECT_EQ(c.sessions, Sessions());
        EXPECT_EQ(c.open, FindOpenSession(found) ? std::optional(found) : std::nullopt) << c.sessions;
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

#ifndef _WIN32
TEST_F(SessionLogTest, AnAppendWaitsForTheWritersLock)
{
    WriteLog(LogFilePath, {});
    const FileHandle held = LockNamedFile(LogFilePath.c_str());
    const pid_t child = fork();
    if (child == 0) {
        CurrentFileOps().closeFile(held);  // the parent's copy still holds the lock
        _exit(RecordSessionEvent(1, SESSION_START, 0, 100));
    }
    usleep(200000);  // time enough for an append that would not wait
    EXPECT_EQ(LogBytes({}), ReadFileBytes(LogFilePath));
    CurrentFileOps().closeFile(held);
    int status = -1;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_EQ(0, status);
    EXPECT_EQ(LogBytes({Start(1, 100)}), ReadFileBytes(LogFilePath));
}
#endif

} // namespace
