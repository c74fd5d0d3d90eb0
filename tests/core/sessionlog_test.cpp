#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/localtime.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;
using testsupport::WriteFileBytes;

std::string HeaderBytes(std::int32_t w0, std::int32_t w1, std::int32_t w2, std::int32_t w3, std::int32_t r0,
                        std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t headerSize,
                        std::int32_t recordSize)
{
    SessionLogHeader h;
    const std::int32_t w[4] = {w0, w1, w2, w3};
    const std::int32_t r[4] = {r0, r1, r2, r3};
    for (int i = 0; i < 4; ++i) {
        h.writerVersion[i] = w[i];
        h.readerVersion[i] = r[i];
    }
    h.headerSize = headerSize;
    h.recordSize = recordSize;
    unsigned char raw[SESSION_HEADER_SIZE];
    EncodeSessionLogHeader(h, raw);
    return std::string(reinterpret_cast<char*>(raw), sizeof raw);
}

std::string CreatedHeader()
{
    return HeaderBytes(2, 1, 4, 0, 1, 90, 0, 0, 54, 54);
}

std::string RecordBytes(int kind, std::int32_t isp, std::int64_t time, std::uint16_t magic = SESSION_RECORD_MAGIC)
{
    SessionRecord r = MakeSessionRecord(isp, kind, 0, time);
    r.magic = magic;
    unsigned char raw[SESSION_RECORD_SIZE];
    EncodeSessionRecord(r, raw);
    return std::string(reinterpret_cast<char*>(raw), sizeof raw);
}

class SessionLogTest : public testsupport::ProgramDirTest {
protected:
    std::vector<SessionRecord> ReadAll(int* lastResult = nullptr)
    {
        std::vector<SessionRecord> records;
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        EXPECT_TRUE(log);
        if (!log)
            return records;
        SessionRecord r;
        int result;
        while ((result = ReadSessionRecord(*log, r)) == 0)
            records.push_back(r);
        if (lastResult)
            *lastResult = result;
        return records;
    }

    // Results and start/end ISPs of ReadSession until the end of the log.
    std::vector<std::string> Sessions()
    {
        std::vector<std::string> out;
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        EXPECT_TRUE(log);
        SessionPair pair;
        for (;;) {
            int result = ReadSession(*log, pair);
            if (result == 0)
                out.push_back("session " + std::to_string(pair.start.time) + "-" + std::to_string(pair.end.time));
            else if (result == 2)
                out.push_back("open " + std::to_string(pair.start.time));
            else {
                out.push_back("result " + std::to_string(result));
                break;
            }
        }
        return out;
    }
};

TEST_F(SessionLogTest, OpeningAMissingLogCreatesTheExactHeader)
{
    int last = 0;
    EXPECT_TRUE(ReadAll(&last).empty());
    EXPECT_EQ(1, last);
    const unsigned char expected[54] = {
        'L', 'D',                                      // magic
        2, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,   // writer version 2.1.4.0
        1, 0, 0, 0, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // reader version 1.90.0.0
        54, 0, 0, 0, 54, 0, 0, 0,                      // header and record sizes
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected), 54), ReadFileBytes(LogFilePath));
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(SessionLogTest, RecordedEventsRoundTripWithLocalTime)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    std::int64_t summer = testsupport::LocalInstant(2024, 7, 1, 21, 30, 5);
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_START, 0, summer));
    ASSERT_EQ(0, RecordSessionEvent(3, SESSION_END, 1, summer + 600));
    std::string bytes = ReadFileBytes(LogFilePath);
    ASSERT_EQ(54u + 2 * 54u, bytes.size());
    std::vector<SessionRecord> records = ReadAll();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(SESSION_RECORD_MAGIC, records[0].magic);
    EXPECT_EQ(SESSION_START, records[0].kind);
    EXPECT_EQ(3, records[0].ispId);
    EXPECT_EQ(summer, records[0].time);
    EXPECT_EQ(21, records[0].localTime.tm_hour);
    EXPECT_EQ(30, records[0].localTime.tm_min);
    EXPECT_EQ(6, records[0].localTime.tm_mon);
    EXPECT_EQ(124, records[0].localTime.tm_year);
    EXPECT_EQ(1, records[0].localTime.tm_wday);  // a Monday
    EXPECT_GT(records[0].localTime.tm_isdst, 0);
    EXPECT_EQ(SESSION_END, records[1].kind);
    EXPECT_EQ(1, records[1].flag);
}

TEST_F(SessionLogTest, InstantsAfter2038AreKeptAsUnsigned32Bits)
{
    std::int64_t late = 4000000000LL;  // 2096
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, late));
    std::vector<SessionRecord> records = ReadAll();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(late, records[0].time);
    EXPECT_EQ(196, records[0].localTime.tm_year);
}

TEST_F(SessionLogTest, ForeignOrShortFileIsMovedToTheBackup)
{
    for (std::string content : {std::string("0123456789"), std::string(100, 'x'), std::string()}) {
        WriteFileBytes(LogFilePath, content);
        std::filesystem::remove(BackupFilePath);
        int last = 0;
        EXPECT_TRUE(ReadAll(&last).empty());
        EXPECT_EQ(CreatedHeader(), ReadFileBytes(LogFilePath));
        EXPECT_EQ(content, ReadFileBytes(BackupFilePath));
    }
}

TEST_F(SessionLogTest, ForeignFileIsNeverOverwrittenWhenItCannotBeMovedAside)
{
    WriteFileBytes(LogFilePath, "not a log at all, and precious");
    SessionLogPtr log = OpenSessionLogFile(LogFilePath, "", LOG_APPEND);
    EXPECT_FALSE(log);
    EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
    EXPECT_EQ("not a log at all, and precious", ReadFileBytes(LogFilePath));
}

TEST_F(SessionLogTest, ReaderVersionDecidesWhetherTheLogOpens)
{
    struct Case {
        std::int32_t reader[4];
        bool opens;
    } cases[] = {{{2, 1, 5, 0}, false}, {{2, 1, 4, 0}, true}, {{2, 2, 0, 0}, false},
                 {{3, 0, 0, 0}, false}, {{1, 99, 99, 99}, true}, {{2, 1, 3, 99}, true}};
    for (const Case& c : cases) {
        testsupport::ClearRecordedErrors();
        std::string header = HeaderBytes(2, 1, 4, 0, c.reader[0], c.reader[1], c.reader[2], c.reader[3], 54, 54);
        WriteFileBytes(LogFilePath, header + RecordBytes(SESSION_START, 1, 1000));
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        EXPECT_EQ(c.opens, static_cast<bool>(log)) << c.reader[0] << "." << c.reader[1] << "." << c.reader[2];
        if (!c.opens) {
            EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
            EXPECT_EQ(header + RecordBytes(SESSION_START, 1, 1000), ReadFileBytes(LogFilePath));
        }
    }
}

TEST_F(SessionLogTest, ExtraBytesPerRecordDependOnTheWriterVersion)
{
    std::string pad(6, '\x7f');
    // Before 1.91.0.2 the record size is 54 whatever the header says.
    WriteFileBytes(LogFilePath, HeaderBytes(1, 91, 0, 1, 1, 90, 0, 0, 54, 60) + RecordBytes(SESSION_START, 1, 100) +
                                    RecordBytes(SESSION_END, 1, 200));
    std::vector<SessionRecord> old = ReadAll();
    ASSERT_EQ(2u, old.size());
    EXPECT_EQ(200, old[1].time);

    WriteFileBytes(LogFilePath, HeaderBytes(1, 91, 0, 2, 1, 90, 0, 0, 54, 60) + RecordBytes(SESSION_START, 1, 100) +
                                    pad + RecordBytes(SESSION_END, 1, 200) + pad);
    std::vector<SessionRecord> padded = ReadAll();
    ASSERT_EQ(2u, padded.size());
    EXPECT_EQ(100, padded[0].time);
    EXPECT_EQ(200, padded[1].time);

    // Appending to such a file writes the extra bytes as zeros.
    ASSERT_EQ(0, RecordSessionEvent(1, SESSION_START, 0, 300));
    std::string bytes = ReadFileBytes(LogFilePath);
    ASSERT_EQ(54u + 3 * 60u, bytes.size());
    EXPECT_EQ(std::string(6, '\0'), bytes.substr(bytes.size() - 6));
    EXPECT_EQ(3u, ReadAll().size());
}

TEST_F(SessionLogTest, DamagedHeadersFailToOpenAndLeaveTheFile)
{
    for (std::int32_t recordSize : {53, 0, -1, 2000000000}) {
        testsupport::ClearRecordedErrors();
        std::string content = HeaderBytes(2, 1, 4, 0, 1, 90, 0, 0, 54, recordSize) + RecordBytes(SESSION_START, 1, 1);
        WriteFileBytes(LogFilePath, content);
        EXPECT_FALSE(OpenSessionLog(LOG_READ)) << recordSize;
        EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
        EXPECT_EQ(content, ReadFileBytes(LogFilePath));
    }
    // A header size of 0 means 54.
    WriteFileBytes(LogFilePath, HeaderBytes(2, 1, 4, 0, 1, 90, 0, 0, 0, 54) + RecordBytes(SESSION_START, 1, 7));
    std::vector<SessionRecord> records = ReadAll();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(7, records[0].time);
}

TEST_F(SessionLogTest, TrailingPartialRecordIsAReadErrorAfterTheWholeOnes)
{
    std::string partial = RecordBytes(SESSION_END, 1, 300).substr(0, 20);
    WriteFileBytes(LogFilePath, CreatedHeader() + RecordBytes(SESSION_START, 1, 100) + RecordBytes(SESSION_END, 1, 200) + partial);
    int last = 0;
    EXPECT_EQ(2u, ReadAll(&last).size());
    EXPECT_EQ(-1, last);
    EXPECT_EQ(std::vector<ErrorCode>{103}, RecordedCodes());
    EXPECT_NE(std::string::npos, testsupport::RecordedErrors()[0].text.find("Unable to read log file"));
}

TEST_F(SessionLogTest, SessionsPairByOrderAndIsp)
{
    struct Case {
        std::string name;
        std::string records;
        std::vector<std::string> expected;
    };
    const std::uint16_t bad = 0x1234;
    std::vector<Case> cases = {
        {"two starts then end: the later start counts",
         RecordBytes(0, 1, 10) + RecordBytes(0, 1, 20) + RecordBytes(1, 1, 30),
         {"session 20-30", "result 1"}},
        {"end of another ISP drops the start",
         RecordBytes(0, 1, 10) + RecordBytes(1, 2, 20) + RecordBytes(1, 1, 30),
         {"result 1"}},
        {"start at the end of the file is open", RecordBytes(0, 1, 10) + RecordBytes(1, 1, 20) + RecordBytes(0, 1, 40),
         {"session 10-20", "open 40", "result 1"}},
        {"end without a start is ignored", RecordBytes(1, 1, 5) + RecordBytes(0, 2, 10) + RecordBytes(1, 2, 20),
         {"session 10-20", "result 1"}},
        {"record with a wrong magic drops the pending start",
         RecordBytes(0, 1, 10) + RecordBytes(1, 1, 15, bad) + RecordBytes(1, 1, 20) + RecordBytes(0, 3, 30) +
             RecordBytes(1, 3, 40),
         {"session 30-40", "result 1"}},
        {"times are not compared", RecordBytes(0, 1, 100) + RecordBytes(1, 1, 50), {"session 100-50", "result 1"}},
        {"empty log", "", {"result 1"}},
    };
    for (const Case& c : cases) {
        WriteFileBytes(LogFilePath, CreatedHeader() + c.records);
        EXPECT_EQ(c.expected, Sessions()) << c.name;
    }
}

TEST_F(SessionLogTest, FindOpenSessionLooksAtTheLastRecord)
{
    SessionRecord found;
    EXPECT_EQ(0, FindOpenSession(found));  // a fresh, empty log
    WriteFileBytes(LogFilePath, CreatedHeader() + RecordBytes(0, 4, 10) + RecordBytes(1, 4, 20));
    EXPECT_EQ(0, FindOpenSession(found));
    WriteFileBytes(LogFilePath, CreatedHeader() + RecordBytes(0, 4, 10) + RecordBytes(1, 4, 20) + RecordBytes(0, 5, 30));
    ASSERT_EQ(1, FindOpenSession(found));
    EXPECT_EQ(5, found.ispId);
    EXPECT_EQ(30, found.time);
    // With extra bytes per record the last record is found where reads find it.
    std::string pad(10, '\0');
    WriteFileBytes(LogFilePath, HeaderBytes(2, 1, 4, 0, 1, 90, 0, 0, 54, 64) + RecordBytes(1, 4, 20) + pad +
                                    RecordBytes(0, 6, 40) + pad);
    ASSERT_EQ(1, FindOpenSession(found));
    EXPECT_EQ(6, found.ispId);
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(SessionLogTest, HackFlagRecomputesTheInstantFromLocalTime)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    std::int64_t t = testsupport::LocalInstant(2023, 3, 12, 1, 30);
    std::string record = RecordBytes(0, 1, t + 12345);  // stored time disagrees with its local time
    SessionRecord decoded;
    DecodeSessionRecord(reinterpret_cast<const unsigned char*>(record.data()), decoded);
    decoded.localTime = ToLocalTime(t);
    unsigned char raw[54];
    EncodeSessionRecord(decoded, raw);
    WriteFileBytes(LogFilePath, CreatedHeader() + std::string(reinterpret_cast<char*>(raw), 54));

    HackFlags = 0;
    EXPECT_EQ(t + 12345, ReadAll()[0].time);
    HackFlags = 1;
    std::vector<SessionRecord> records = ReadAll();
    EXPECT_EQ(t, records[0].time);
    EXPECT_EQ(0, records[0].localTime.tm_isdst);
    HackFlags = 0;
}

TEST_F(SessionLogTest, AppendFailureIsReported)
{
    // The log's folder disappears: the open fails with 100 and nothing is written.
    SetUpFileLocations((Dir() / "gone" / "tolvane.exe").string());
    std::filesystem::remove_all(Dir() / "gone");
    EXPECT_EQ(-1, RecordSessionEvent(1, SESSION_START, 0, 1000));
    EXPECT_EQ(std::vector<ErrorCode>{100}, RecordedCodes());
}

TEST_F(SessionLogTest, MakeEndRecordClosesTheStartsIsp)
{
    SessionRecord start = MakeSessionRecord(9, SESSION_START, 0, 1000), end;
    MakeEndRecord(start, end, 2000);
    EXPECT_EQ(SESSION_RECORD_MAGIC, end.magic);
    EXPECT_EQ(SESSION_END, end.kind);
    EXPECT_EQ(0, end.flag);
    EXPECT_EQ(9, end.ispId);
    EXPECT_EQ(2000, end.time);
    EXPECT_EQ(ToLocalTime(2000), end.localTime);
}

} // namespace
