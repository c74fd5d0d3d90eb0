// The scan of a real session log: pairing, clipping to billing periods,
// toll-free ISPs, open sessions, damaged logs, one front-to-back pass.
#include <cstdio>
#include <numeric>

#include "core/charging_support.h"
#include "logmaint_support.h"
#include "platform/clock.h"
#include "startup/locations.h"

using namespace chargingtest;
using logmaint::Bad;
using logmaint::End;
using logmaint::Start;
using testsupport::LocalInstant;
using testsupport::ProgramDirTest;

namespace {

std::int64_t Mar(int day, int h, int m = 0, int s = 0)
{
    return LocalInstant(2026, 3, day, h, m, s);
}

// ISP 1 and ISP 2 with the standard tariff for March 2026 (1 second per
// unit, so times show exactly), a phone tariff at 0.01 a minute.
TariffTable MarchTable()
{
    TariffTable t;
    for (int id : {0, 1, 2}) {
        TariffRecord r = StandardTariff();
        r.Id = id;
        r.SecsPerUnit = 1;
        SetPeriod(r, Mar(1, 0), LocalInstant(2026, 4, 1, 0) - 1);
        (id ? t.Isps.emplace_back() : t.Phone) = r;
    }
    t.Phone.Schedules[MON].clear();
    t.Phone.FrameCharges = {0.01, 0.0};
    t.Phone.SecsPerUnit = 60;
    return t;
}

void WriteLog(const std::vector<SessionRecord>& records, const std::string& tail = "")
{
    logmaint::WriteLog(LogFilePath, records, tail);
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
    return std::accumulate(r.FrameTime.begin(), r.FrameTime.end(), 0);
}

} // namespace

class ChargingLogTest : public ProgramDirTest {};

TEST_F(ChargingLogTest, PairsRecordsIntoSessions)
{
    struct Case {
        const char* what;
        std::vector<SessionRecord> events;
        std::int32_t isp1Seconds, isp2Seconds, isp1Connections;
    };
    const Case cases[] = {
        {"a plain session", {Start(1, Mar(3, 10)), End(1, Mar(3, 11))}, 3600, 0, 1},
        {"a second start replaces the first", {Start(1, Mar(3, 9)), Start(1, Mar(3, 10)), End(1, Mar(3, 11))}, 3600, 0, 1},
        {"an end of another ISP pairs nothing", {Start(1, Mar(3, 10)), End(2, Mar(3, 11))}, 0, 0, 0},
        {"a bad record drops the pending start",
         {Start(1, Mar(3, 10)), Bad(1, Mar(3, 10, 30)), End(1, Mar(3, 11)), Start(2, Mar(3, 12)), End(2, Mar(3, 12, 1))},
         0, 60, 0},
        {"an end before its start", {Start(1, Mar(3, 11)), End(1, Mar(3, 10))}, 0, 0, 0},
        {"an end without a start", {End(1, Mar(3, 10)), Start(1, Mar(3, 12)), End(1, Mar(3, 12, 0, 5))}, 5, 0, 1},
        {"an ISP that is no longer in the table", {Start(9, Mar(3, 10)), End(9, Mar(3, 11))}, 0, 0, 0},
        {"a session of two ISPs in turn",
         {Start(1, Mar(3, 10)), End(1, Mar(3, 10, 1)), Start(2, Mar(3, 11)), End(2, Mar(3, 11, 2))}, 60, 120, 1},
        {"clipped at the period's start",
         {Start(1, LocalInstant(2026, 2, 28, 23, 0)), End(1, Mar(1, 0, 10))}, 600, 0, 1},
        {"clipped at the period's end (its last second is inclusive)",
         {Start(1, Mar(31, 23, 50)), End(1, LocalInstant(2026, 4, 1, 0, 10))}, 599, 0, 1},
        {"wholly before the period", {Start(1, LocalInstant(2026, 2, 3, 10)), End(1, LocalInstant(2026, 2, 3, 11))}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        WriteLog(c.events);
        TariffTable table = MarchTable();
        ASSERT_EQ(Scan(table), 0) << c.what;
        EXPECT_EQ(Seconds(table.Isps[0]), c.isp1Seconds) << c.what;
        EXPECT_EQ(Seconds(table.Isps[1]), c.isp2Seconds) << c.what;
        EXPECT_EQ(table.Isps[0].Connections, c.isp1Connections) << c.what;
    }
}

TEST_F(ChargingLogTest, StrayPartOfARecordLosesNoLaterSession)
{
    for (bool atEnd : {false, true}) {
        SCOPED_TRACE(atEnd);
        testsupport::ClearRecordedErrors();
        const std::string later = atEnd ? "" : logmaint::LogBytes({End(1, Mar(3, 10, 5)), Start(2, Mar(3, 11)),
                                                                    End(2, Mar(3, 11, 1))}).substr(SESSION_HEADER_SIZE);
        WriteLog({Start(1, Mar(3, 10))}, std::string("LS\0\0", 4) + later);
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
    WriteLog({Start(1, Mar(3, 10)), End(1, Mar(3, 10, 10)), Start(2, Mar(3, 11)), End(2, Mar(3, 11, 20))});
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
    WriteLog({Start(1, Mar(5, 10)), End(1, Mar(5, 10, 1)), Start(1, Mar(12, 10)), End(1, Mar(12, 11)),
              Start(2, Mar(13, 10)), End(2, Mar(13, 10, 2)), Start(1, Mar(14, 10)), End(1, Mar(14, 10, 3)),
              Start(2, Mar(20, 9)), End(2, Mar(20, 9, 4))});
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
    WriteLog({Start(1, Mar(3, 10)), End(1, Mar(3, 10, 40)), Start(2, Mar(3, 12)), End(2, Mar(3, 12, 40)),
              Start(1, Mar(4, 10)), End(1, Mar(4, 10, 10))});
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
    SessionRecord start = Start(1, Mar(2, 17, 30));
    start.localTime.tm_wday = 99;
    start.localTime.tm_hour = -5;
    std::string bytes = logmaint::HeaderBytes(60);
    for (const SessionRecord& r : {start, End(1, Mar(2, 18, 30)), Start(2, Mar(4, 10))})
        bytes += logmaint::RecordBytes(r) + std::string(6, '\x7f');
    testsupport::WriteFileBytes(LogFilePath, bytes + std::string(30, '\0'));  // an end cut short
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
    SessionRecord end = End(1, Mar(3, 11));
    end.time += 7200;  // disagrees with its local time
    WriteLog({Start(1, Mar(3, 10)), end});
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
    WriteLog({Start(1, Mar(3, 10)), End(1, Mar(3, 10, 1))});
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
    WriteLog({Start(1, Mar(3, 10)), End(1, Mar(3, 11))});
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
    std::vector<SessionRecord> events;
    for (std::int64_t day = LocalInstant(2023, 1, 1, 12); day < LocalInstant(2026, 3, 31, 12); day += 86400) {
        events.push_back(Start(1 + static_cast<int>(day / 86400 % 2), day));
        events.push_back(End(1 + static_cast<int>(day / 86400 % 2), day + 600));
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
