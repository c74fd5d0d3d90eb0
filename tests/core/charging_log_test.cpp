// The scan of a real session log: pairing, clipping to billing periods,
// toll-free ISPs, open sessions, damaged logs, one front-to-back pass.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/charging_support.h"
#include "platform/clock.h"
#include "startup/locations.h"

using namespace chargingtest;
using testsupport::LocalInstant;
using testsupport::ProgramDirTest;

namespace {

void SetPeriod(TariffRecord& r, std::int64_t start, std::int64_t end)
{
    r.PeriodStart.time = start;
    ToLocalTime(start, r.PeriodStart.localTime);
    r.PeriodEnd.time = end;
    ToLocalTime(end, r.PeriodEnd.localTime);
}

std::int64_t Mar(int day, int h, int m = 0, int s = 0)
{
    return LocalInstant(2026, 3, day, h, m, s);
}

// ISP 1 and ISP 2 with the standard tariff for March 2026 (1 second per
// unit, so times show exactly), a phone tariff at 0.01 a minute.
TariffTable MarchTable()
{
    TariffTable t;
    for (int id : {1, 2}) {
        TariffRecord r = StandardTariff();
        r.Id = id;
        r.SecsPerUnit = 1;
        SetPeriod(r, Mar(1, 0), LocalInstant(2026, 4, 1, 0) - 1);
        t.Isps.push_back(r);
    }
    t.Phone = StandardTariff();
    t.Phone.Id = 0;
    t.Phone.Schedules[MON].clear();
    t.Phone.FrameCharges = {0.01, 0.0};
    SetPeriod(t.Phone, Mar(1, 0), LocalInstant(2026, 4, 1, 0) - 1);
    return t;
}

struct Event {
    std::int32_t isp;
    int kind;  // SESSION_START, SESSION_END, or -1 for a record with a bad magic
    std::int64_t time;
};

void WriteLog(const std::vector<Event>& events)
{
    SessionLogPtr log = OpenSessionLog(LOG_APPEND);
    ASSERT_TRUE(log);
    for (const Event& e : events) {
        SessionRecord r = MakeSessionRecord(e.isp, e.kind < 0 ? SESSION_START : e.kind, 0, e.time);
        if (e.kind < 0)
            r.magic = 0x1234;
        ASSERT_EQ(AppendSessionRecord(*log, r), 0);
    }
}

int Scan(TariffTable& table)
{
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    if (!log)
        return -2;
    ChargingRun run;
    BeginChargingRun(run, table);
    int result = ChargeSessionLog(*log, run);
    for (TariffRecord& r : table.Isps)
        FinishTotals(r);
    FinishTotals(table.Phone);
    return result;
}

std::int32_t Seconds(const TariffRecord& r)
{
    std::int32_t s = 0;
    for (std::int32_t t : r.FrameTime)
        s += t;
    return s;
}

constexpr int S = SESSION_START;
constexpr int E = SESSION_END;
constexpr int BAD = -1;

} // namespace

class ChargingLogTest : public ProgramDirTest {};

TEST_F(ChargingLogTest, PairsRecordsIntoSessions)
{
    struct Case {
        const char* what;
        std::vector<Event> events;
        std::int32_t isp1Seconds, isp2Seconds, isp1Connections;
    };
    const Case cases[] = {
        {"a plain session", {{1, S, Mar(3, 10)}, {1, E, Mar(3, 11)}}, 3600, 0, 1},
        {"a second start replaces the first", {{1, S, Mar(3, 9)}, {1, S, Mar(3, 10)}, {1, E, Mar(3, 11)}}, 3600, 0, 1},
        {"an end of another ISP pairs nothing", {{1, S, Mar(3, 10)}, {2, E, Mar(3, 11)}}, 0, 0, 0},
        {"a bad record drops the pending start",
         {{1, S, Mar(3, 10)}, {1, BAD, Mar(3, 10, 30)}, {1, E, Mar(3, 11)}, {2, S, Mar(3, 12)}, {2, E, Mar(3, 12, 1)}},
         0, 60, 0},
        {"an end before its start", {{1, S, Mar(3, 11)}, {1, E, Mar(3, 10)}}, 0, 0, 0},
        {"an end without a start", {{1, E, Mar(3, 10)}, {1, S, Mar(3, 12)}, {1, E, Mar(3, 12, 0, 5)}}, 5, 0, 1},
        {"an ISP that is no longer in the table", {{9, S, Mar(3, 10)}, {9, E, Mar(3, 11)}}, 0, 0, 0},
        {"a session of two ISPs in turn",
         {{1, S, Mar(3, 10)}, {1, E, Mar(3, 10, 1)}, {2, S, Mar(3, 11)}, {2, E, Mar(3, 11, 2)}}, 60, 120, 1},
        {"clipped at the period's start",
         {{1, S, LocalInstant(2026, 2, 28, 23, 0)}, {1, E, Mar(1, 0, 10)}}, 600, 0, 1},
        {"clipped at the period's end (its last second is inclusive)",
         {{1, S, Mar(31, 23, 50)}, {1, E, LocalInstant(2026, 4, 1, 0, 10)}}, 599, 0, 1},
        {"wholly before the period", {{1, S, LocalInstant(2026, 2, 3, 10)}, {1, E, LocalInstant(2026, 2, 3, 11)}}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(LogFilePath);
        WriteLog(c.events);
        TariffTable table = MarchTable();
        ASSERT_EQ(Scan(table), 0) << c.what;
        EXPECT_EQ(Seconds(table.Isps[0]), c.isp1Seconds) << c.what;
        EXPECT_EQ(Seconds(table.Isps[1]), c.isp2Seconds) << c.what;
        EXPECT_EQ(table.Isps[0].Connections, c.isp1Connections) << c.what;
        EXPECT_EQ(Seconds(table.Phone) >= 0, true);
    }
}

TEST_F(ChargingLogTest, OpenSessionIsChargedUpToNow)
{
    WriteLog({{1, S, Mar(3, 10)}, {1, E, Mar(3, 10, 1)}, {2, S, Mar(3, 11)}});
    PinClock(Mar(3, 11, 30));
    TariffTable table = MarchTable();
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(Seconds(table.Isps[1]), 1800);
    EXPECT_EQ(table.Isps[1].LastSessionTime, 1800);

    // Now past the period's end: charged up to the end.
    PinClock(LocalInstant(2026, 4, 2, 0));
    table = MarchTable();
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(Seconds(table.Isps[1]), static_cast<std::int32_t>(LocalInstant(2026, 4, 1, 0) - 1 - Mar(3, 11)));
}

TEST_F(ChargingLogTest, StrayPartOfARecordLosesNoLaterSession)
{
    for (bool atEnd : {false, true}) {
        SCOPED_TRACE(atEnd);
        std::filesystem::remove(LogFilePath);
        testsupport::ClearRecordedErrors();
        WriteLog({{1, S, Mar(3, 10)}});
        std::FILE* f = std::fopen(LogFilePath.c_str(), "ab");
        ASSERT_NE(f, nullptr);
        std::fwrite("LS\0\0", 1, 4, f);
        std::fclose(f);
        if (!atEnd)
            WriteLog({{1, E, Mar(3, 10, 5)}, {2, S, Mar(3, 11)}, {2, E, Mar(3, 11, 1)}});
        PinClock(Mar(3, 10, 5));  // a start before a short last record is open
        TariffTable table = MarchTable();
        ASSERT_EQ(Scan(table), 0);
        EXPECT_EQ(Seconds(table.Isps[0]), 300);
        EXPECT_EQ(Seconds(table.Isps[1]), atEnd ? 0 : 60);
        EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{103}));
    }
}

TEST_F(ChargingLogTest, TollFreeIspsLeaveThePhoneAlone)
{
    WriteLog({{1, S, Mar(3, 10)}, {1, E, Mar(3, 10, 10)}, {2, S, Mar(3, 11)}, {2, E, Mar(3, 11, 20)}});
    TariffTable table = MarchTable();
    table.Isps[0].TollFree = 1;
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(table.Phone.Connections, 1);
    EXPECT_EQ(table.Phone.FrameTime[0], 1200);
    EXPECT_EQ(table.Isps[0].Connections, 1);
    EXPECT_NEAR(table.Phone.TotalFrameCost, 0.20, 1e-12);
}

TEST_F(ChargingLogTest, SessionPastItsPeriodDoesNotEndTheScan)
{
    // ISP 1 bills to the 10th, ISP 2 the calendar month. ISP 1's session on
    // the 12th lies after its period; ISP 2's sessions after it still count.
    WriteLog({{1, S, Mar(5, 10)}, {1, E, Mar(5, 10, 1)}, {1, S, Mar(12, 10)}, {1, E, Mar(12, 11)},
              {2, S, Mar(13, 10)}, {2, E, Mar(13, 10, 2)}, {1, S, Mar(14, 10)}, {1, E, Mar(14, 10, 3)},
              {2, S, Mar(20, 9)}, {2, E, Mar(20, 9, 4)}});
    TariffTable table = MarchTable();
    SetPeriod(table.Isps[0], LocalInstant(2026, 2, 11, 0), Mar(11, 0) - 1);
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(Seconds(table.Isps[0]), 60);
    EXPECT_EQ(table.Isps[0].Connections, 1);
    EXPECT_EQ(Seconds(table.Isps[1]), 360);
    EXPECT_EQ(table.Isps[1].Connections, 2);
    EXPECT_EQ(table.Phone.Connections, 3);
}

TEST_F(ChargingLogTest, DailyAllowanceIsSharedAcrossSessionsAndIsps)
{
    // The phone's 0.50 a day covers all calls of a day, whichever ISP.
    WriteLog({{1, S, Mar(3, 10)}, {1, E, Mar(3, 10, 40)}, {2, S, Mar(3, 12)}, {2, E, Mar(3, 12, 40)},
              {1, S, Mar(4, 10)}, {1, E, Mar(4, 10, 10)}});
    TariffTable table = MarchTable();
    table.Phone.PrepaidMethod = PREPAID_OFFSET_DAILY;
    table.Phone.PrepaidCharge = 0.50;
    ASSERT_EQ(Scan(table), 0);
    EXPECT_NEAR(table.Phone.TotalFrameCost, 0.90, 1e-12);
    EXPECT_NEAR(table.Phone.PrepaidUsed, 0.60, 1e-12);  // 0.50 on the 3rd, 0.10 on the 4th
    EXPECT_NEAR(table.Phone.Remainder, -0.30, 1e-12);
}

TEST_F(ChargingLogTest, RecordsWithExtraBytesAndDamagedLocalTimes)
{
    // A log whose header declares 60-byte records; one record's local time
    // is garbage and is rebuilt from its instant.
    SessionLogHeader header;
    header.recordSize = 60;
    std::string bytes(SESSION_HEADER_SIZE, '\0');
    EncodeSessionLogHeader(header, reinterpret_cast<unsigned char*>(bytes.data()));
    auto add = [&bytes](SessionRecord r) {
        std::string raw(SESSION_RECORD_SIZE, '\0');
        EncodeSessionRecord(r, reinterpret_cast<unsigned char*>(raw.data()));
        bytes += raw + "\x7f\x7f\x7f\x7f\x7f\x7f";
    };
    SessionRecord start = MakeSessionRecord(1, SESSION_START, 0, Mar(2, 17, 30));
    start.localTime.tm_wday = 99;
    start.localTime.tm_hour = -5;
    add(start);
    add(MakeSessionRecord(1, SESSION_END, 0, Mar(2, 18, 30)));
    add(MakeSessionRecord(2, SESSION_START, 0, Mar(4, 10)));
    bytes += std::string(SESSION_RECORD_SIZE, '\0').substr(0, 30);  // an end cut short
    testsupport::WriteFileBytes(LogFilePath, bytes);
    PinClock(Mar(4, 10, 2));
    TariffTable table = MarchTable();
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(table.Isps[0].FrameTime[1], 1800);  // Monday's peak, from the rebuilt time
    EXPECT_EQ(table.Isps[0].FrameTime[0], 1800);
    EXPECT_EQ(Seconds(table.Isps[1]), 120);  // still open: charged up to now
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{103}));
}

TEST_F(ChargingLogTest, HackFlagsTakeTheInstantFromTheLocalTime)
{
    SessionRecord start = MakeSessionRecord(1, SESSION_START, 0, Mar(3, 10));
    SessionRecord end = MakeSessionRecord(1, SESSION_END, 0, Mar(3, 11));
    end.time += 7200;  // disagrees with its local time
    {
        SessionLogPtr log = OpenSessionLog(LOG_APPEND);
        ASSERT_TRUE(log);
        ASSERT_EQ(AppendSessionRecord(*log, start), 0);
        ASSERT_EQ(AppendSessionRecord(*log, end), 0);
    }
    for (std::uint32_t flags : {0u, 1u}) {
        HackFlags = flags;
        TariffTable table = MarchTable();
        ASSERT_EQ(Scan(table), 0);
        EXPECT_EQ(Seconds(table.Isps[0]), flags ? 3600 : 3 * 3600) << flags;
    }
    HackFlags = 0;
}

TEST_F(ChargingLogTest, DuplicateIspNumbersChargeTheFirstRecord)
{
    WriteLog({{1, S, Mar(3, 10)}, {1, E, Mar(3, 10, 1)}});
    const TariffTable base = MarchTable();
    TariffTable table = base;
    table.Isps = {base.Isps[1], base.Isps[0], base.Isps[0], base.Isps[1]};  // 2, 1, 1, 2
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(table.Isps[1].Connections, 1);
    EXPECT_EQ(table.Isps[2].Connections, 0);
}

#ifndef _WIN32
// (msvcrt reports no error for a read on a write-only stream.)
TEST_F(ChargingLogTest, StreamErrorFailsTheScan)
{
    WriteLog({{1, S, Mar(3, 10)}, {1, E, Mar(3, 11)}});
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    ASSERT_TRUE(log);
    // A stream opened for writing only fails every read.
    std::FILE* writeOnly = std::fopen(File("other").string().c_str(), "wb");
    ASSERT_NE(writeOnly, nullptr);
    std::fclose(log->stream);
    log->stream = writeOnly;
    TariffTable table = MarchTable();
    ChargingRun run;
    BeginChargingRun(run, table);
    EXPECT_EQ(ChargeSessionLog(*log, run), -1);
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{103}));
}

TEST_F(ChargingLogTest, ReadsTheLogOnceFrontToBack)
{
    // Through a pipe, which cannot seek or be read twice, and over years of
    // daily sessions: the per-record state stays within the period's days.
    std::vector<Event> events;
    for (std::int64_t day = LocalInstant(2023, 1, 1, 12); day < LocalInstant(2026, 3, 31, 12); day += 86400) {
        events.push_back({1 + static_cast<int>(day / 86400 % 2), S, day});
        events.push_back({1 + static_cast<int>(day / 86400 % 2), E, day + 600});
    }
    WriteLog(events);
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    ASSERT_TRUE(log);
    const std::string command = "tail -c +55 '" + LogFilePath + "'";  // the records, after the header
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::fclose(log->stream);
    log->stream = pipe;
    TariffTable table = MarchTable();
    table.Phone.PrepaidMethod = PREPAID_OFFSET_DAILY;
    table.Phone.PrepaidCharge = 0.01;
    ChargingRun run;
    BeginChargingRun(run, table);
    EXPECT_EQ(ChargeSessionLog(*log, run), 0);
    log->stream = nullptr;
    pclose(pipe);
    EXPECT_EQ(table.Isps[0].Connections + table.Isps[1].Connections, 30);  // March 1st to 30th
    EXPECT_EQ(table.Phone.Connections, 30);
    EXPECT_LE(run.phonePrepaid.size(), 31u);
}
#endif
