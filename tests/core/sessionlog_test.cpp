// The session log: its header, appends, damaged files, pairing and racing writers.
#include "logmaint_support.h"
#include "platform/fileops.h"
#include "sessionlog/deletelog.h"
#include "startup/locations.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace logmaint;
using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;
using testsupport::WriteFileBytes;

namespace {

class SessionLogTest : public testsupport::ProgramDirTest {
protected:
    std::vector<SessionRecord> ReadAll(int* lastResult = nullptr)
    {
        std::vector<SessionRecord> records;
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        EXPECT_TRUE(log);
        SessionRecord r;
        int result = 1;
        while (log && (result = ReadSessionRecord(*log, r)) == 0)
            records.push_back(r);
        if (lastResult)
            *lastResult = result;
        return records;
    }

    // Results and start/end instants of ReadSession until the end of the log.
    std::vector<std::string> Sessions()
    {
        std::vector<std::string> out;
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        SessionPair pair;
        for (;;) {
            int result = ReadSession(*log, pair);
            if (result == 0)
                out.push_back("session " + std::to_string(pair.start.time) + "-" + std::to_string(pair.end.time));
            else if (result == 2)
                out.push_back("open " + std::to_string(pair.start.time));
            else
                return out.push_back("result " + std::to_string(result)), out;
        }
    }
};

TEST_F(SessionLogTest, OpeningAMissingLogCreatesTheExactHeader)
{
    int last = 0;
    EXPECT_TRUE(ReadAll(&last).empty());
    EXPECT_EQ(1, last);
    // Magic, writer 2.1.4.0, reader 1.90.0.0, header and record sizes, zeros.
    const char header[] = "LD\2\0\0\0\1\0\0\0\4\0\0\0\0\0\0\0\1\0\0\0\x5a\0\0\0\0\0\0\0\0\0\0\0\x36\0\0\0\x36";
    EXPECT_EQ(std::string(header, sizeof header) + std::string(14, '\0'), ReadFileBytes(LogFilePath));
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(SessionLogTest, RecordedEventsRoundTripWithLocalTimeAndPast2038)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const std::int64_t summer = testsupport::LocalInstant(2024, 7, 1, 21, 30, 5), late = 4000000000LL;
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_START, 0, summer));
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_END, 1, late));
    const std::vector<SessionRecord> back = ReadAll();
    EXPECT_EQ(back, (std::vector<SessionRecord>{Start(3, summer), MakeSessionRecord(3, SESSION_END, 1, late)}));
    EXPECT_EQ(21, back[0].localTime.tm_hour);
    EXPECT_GT(back[0].localTime.tm_isdst, 0);
    EXPECT_EQ(196, back[1].localTime.tm_year);  // 2096, kept as unsigned 32 bits
    SessionRecord end;
    MakeEndRecord(back[0], end, 2000);
    EXPECT_EQ(end, MakeSessionRecord(3, SESSION_END, 0, 2000));
}

TEST_F(SessionLogTest, ForeignFileIsMovedAsideOrNeverOverwritten)
{
    for (std::string content : {std::string("0123456789"), std::string(100, 'x'), std::string()}) {
        WriteFileBytes(LogFilePath, content);
        EXPECT_TRUE(ReadAll().empty());
        EXPECT_EQ(HeaderBytes(), ReadFileBytes(LogFilePath));
        EXPECT_EQ(content, ReadFileBytes(BackupFilePath));
    }
    WriteFileBytes(LogFilePath, "not a log at all, and precious");
    EXPECT_FALSE(OpenSessionLogFile(LogFilePath, "", LOG_APPEND));
    EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
    EXPECT_EQ("not a log at all, and precious", ReadFileBytes(LogFilePath));
}

TEST_F(SessionLogTest, HeadersThatFailToOpenLeaveTheFile)
{
    struct Case {
        std::vector<std::int32_t> reader;
        std::int32_t recordSize;
        bool opens;
    } cases[] = {{{2, 1, 5, 0}, 54, false}, {{2, 1, 4, 0}, 54, true},   {{2, 2, 0, 0}, 54, false},
                 {{3, 0, 0, 0}, 54, false}, {{1, 99, 99, 99}, 54, true}, {{2, 1, 3, 99}, 54, true},
                 {{1, 90, 0, 0}, 53, false}, {{1, 90, 0, 0}, -1, false}, {{1, 90, 0, 0}, 2000000000, false}};
    for (const Case& c : cases) {
        testsupport::ClearRecordedErrors();
        std::string content = HeaderBytes(c.recordSize, {2, 1, 4, 0}, c.reader) + RecordBytes(Start(1, 1000));
        WriteFileBytes(LogFilePath, content);
        EXPECT_EQ(c.opens, static_cast<bool>(OpenSessionLog(LOG_READ))) << c.reader[2] << " " << c.recordSize;
        EXPECT_EQ(c.opens ? std::vector<ErrorCode>{} : std::vector<ErrorCode>{100}, RecordedCodes());
        EXPECT_EQ(content, ReadFileBytes(LogFilePath));
    }
    // A header size of 0 means 54.
    WriteFileBytes(LogFilePath, HeaderBytes(54, {2, 1, 4, 0}, {1, 90, 0, 0}, 0) + RecordBytes(Start(1, 7)));
    EXPECT_EQ(ReadAll(), std::vector<SessionRecord>{Start(1, 7)});
}

TEST_F(SessionLogTest, ExtraBytesPerRecordDependOnTheWriterVersion)
{
    const std::string a = RecordBytes(Start(1, 100)), b = RecordBytes(End(1, 200)), pad(6, '\x7f');
    // Before 1.91.0.2 the record size is 54 whatever the header says.
    WriteFileBytes(LogFilePath, HeaderBytes(60, {1, 91, 0, 1}) + a + b);
    EXPECT_EQ(ReadAll(), (std::vector<SessionRecord>{Start(1, 100), End(1, 200)}));
    WriteFileBytes(LogFilePath, HeaderBytes(60, {1, 91, 0, 2}) + a + pad + b + pad);
    EXPECT_EQ(ReadAll(), (std::vector<SessionRecord>{Start(1, 100), End(1, 200)}));
    // Appending to such a file writes the extra bytes as zeros.
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, 300));
    std::string bytes = ReadFileBytes(LogFilePath);
    ASSERT_EQ(54u + 3 * 60u, bytes.size());
    EXPECT_EQ(std::string(6, '\0'), bytes.substr(bytes.size() - 6));
}

// A write that stops short (a full disk) after `allowed` bytes.
std::size_t allowed = 0;
const FileOps* base = nullptr;

long ShortWrite(FileHandle h, const void* data, std::size_t size)
{
    if (allowed == 0)
        return -1;
    long n = base->writeAtEnd(h, data, std::min(size, allowed));
    allowed = 0;
    return n;
}

TEST_F(SessionLogTest, ShortAppendLeavesTheLogByteIdentical)
{
    WriteLog(LogFilePath, {Start(1, 100), End(1, 200)});
    const std::string before = ReadFileBytes(LogFilePath);
    base = &CurrentFileOps();
    FileOps ops = *base;
    ops.writeAtEnd = ShortWrite;
    SetFileOps(&ops);
    for (std::size_t size = 0; size < SESSION_RECORD_SIZE; ++size) {
        testsupport::ClearRecordedErrors();
        allowed = size;
        EXPECT_EQ(-1, RecordSessionEvent(1, SESSION_START, 0, 300)) << size;
        EXPECT_EQ(std::vector<ErrorCode>{101}, RecordedCodes());
        EXPECT_EQ(before, ReadFileBytes(LogFilePath)) << size;
    }
    SetFileOps(base);
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, 300));
    EXPECT_EQ(LogBytes({Start(1, 100), End(1, 200), Start(1, 300)}), ReadFileBytes(LogFilePath));
    // The log's folder is gone: the open fails and nothing is written.
    SetUpFileLocations((Dir() / "gone" / "tolvane.exe").string());
    std::filesystem::remove_all(Dir() / "gone");
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(-1, RecordSessionEvent(1, SESSION_START, 0, 1000));
    EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
}

TEST_F(SessionLogTest, StrayPartOfARecordIsReportedAndSteppedOver)
{
    const std::vector<SessionRecord> before = {Start(1, 100), End(1, 200)}, after = {Start(2, 300), End(2, 400)};
    for (std::size_t size = 1; size < SESSION_RECORD_SIZE; ++size) {
        SCOPED_TRACE(size);
        const std::string part = RecordBytes(Start(3, 250)).substr(0, size);
        testsupport::ClearRecordedErrors();
        // Stranded between whole records: those after it are still read.
        WriteFileBytes(LogFilePath, LogBytes(before) + part + RecordBytes(after[0]) + RecordBytes(after[1]));
        EXPECT_EQ(ReadAll(), (std::vector<SessionRecord>{before[0], before[1], after[0], after[1]}));
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});
        // At the end: the whole records, then the error.
        testsupport::ClearRecordedErrors();
        WriteLog(LogFilePath, before, part);
        int last = 0;
        EXPECT_EQ(ReadAll(&last), before);
        EXPECT_EQ(-1, last);
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});
    }
}

TEST_F(SessionLogTest, SessionsPairByOrderAndIsp)
{
    // (A later start replacing the pending one, an end of another ISP and an
    // open session at the end are cut by the period deletion's cases.)
    struct Case { std::string name; std::vector<SessionRecord> records; std::vector<std::string> expected; };
    std::vector<Case> cases = {
        {"end without a start is ignored", {End(1, 5), Start(2, 10), End(2, 20)}, {"session 10-20", "result 1"}},
        {"record with a wrong magic drops the pending start",
         {Start(1, 10), Bad(1, 15), End(1, 20), Start(3, 30), End(3, 40)},
         {"session 30-40", "result 1"}},
        {"times are not compared", {Start(1, 100), End(1, 50)}, {"session 100-50", "result 1"}},
        {"empty log", {}, {"result 1"}},
    };
    for (const Case& c : cases) {
        WriteLog(LogFilePath, c.records);
        EXPECT_EQ(c.expected, Sessions()) << c.name;
    }
}

TEST_F(SessionLogTest, FindOpenSessionAgreesWithReadSession)
{
    SessionRecord found;
    EXPECT_EQ(0, FindOpenSession(found));  // a fresh, empty log
    WriteLog(LogFilePath, {Start(4, 10), End(4, 20)});
    EXPECT_EQ(0, FindOpenSession(found));
    WriteLog(LogFilePath, {Start(4, 10), End(4, 20), Start(5, 30)});
    ASSERT_EQ(1, FindOpenSession(found));
    EXPECT_EQ(Start(5, 30), found);
    // With extra bytes per record, also when the last one is cut inside them.
    const std::string header = HeaderBytes(64), pad(10, '\0');
    for (std::size_t cut : {0, 3}) {
        WriteFileBytes(LogFilePath, header + RecordBytes(End(4, 20)) + pad + RecordBytes(Start(6, 40)) +
                                        pad.substr(cut));
        EXPECT_EQ(Sessions(), (std::vector<std::string>{"open 40", "result 1"}));
        ASSERT_EQ(1, FindOpenSession(found));
        EXPECT_EQ(Start(6, 40), found);
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(SessionLogTest, HackFlagRecomputesTheInstantFromLocalTime)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    std::int64_t t = testsupport::LocalInstant(2023, 3, 12, 1, 30);
    SessionRecord r = Start(1, t);
    r.time = t + 12345;  // stored time disagrees with its local time
    WriteLog(LogFilePath, {r});
    HackFlags = 0;
    EXPECT_EQ(t + 12345, ReadAll()[0].time);
    HackFlags = 1;
    std::vector<SessionRecord> records = ReadAll();
    HackFlags = 0;
    EXPECT_EQ(t, records[0].time);
    EXPECT_EQ(0, records[0].localTime.tm_isdst);
}

#ifndef _WIN32
// Children that each append `count` events, started at once.
std::vector<pid_t> Appenders(int children, int count)
{
    std::vector<pid_t> pids;
    for (int c = 0; c < children; ++c) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < count; ++i) {
                if (RecordSessionEvent(10 + c, i % 2, 0, 5000 + i) != 0)
                    _exit(1);
                usleep(500);  // spread over several rewrites
            }
            _exit(0);
        }
        pids.push_back(pid);
    }
    return pids;
}

bool AllSucceeded(const std::vector<pid_t>& pids)
{
    bool ok = true;
    for (pid_t pid : pids) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

TEST_F(SessionLogTest, RewritesRacingAppenderProcessesLoseNoRecord)
{
    std::vector<SessionRecord> records;
    for (int i = 0; i < 40000; ++i)
        records.push_back(MakeSessionRecord(1, i % 2, 0, 1000000 + i));
    WriteLog(LogFilePath, records);
    std::vector<pid_t> pids = Appenders(4, 200);
    // Rewrites (each removes one record) until the last appender has ended,
    // and at least twice however quickly it ran.
    const pid_t last = pids.back();
    pids.pop_back();
    int rewrites = 0;
    int status = 0;
    bool lastEnded = false;
    for (; rewrites < 2000; ++rewrites) {
        if (rewrites >= 2 && (lastEnded = waitpid(last, &status, WNOHANG) == last))
            break;
        ASSERT_EQ(0, DeleteRecord(records[rewrites]));
    }
    if (!lastEnded)
        waitpid(last, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(AllSucceeded(pids));
    EXPECT_EQ(ReadAll().size(), records.size() - rewrites + 4 * 200);
    EXPECT_TRUE(RecordedCodes().empty());
    EXPECT_EQ(ReadFileBytes(LogFilePath).size() % SESSION_RECORD_SIZE, 0u);
}
#endif

} // namespace
