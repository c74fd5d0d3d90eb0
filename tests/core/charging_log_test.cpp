// The scan of a real session log: pairing, clipping to billing periods,
// toll-free ISPs, open sessions, damaged logs, other streams.
#include <cstdio>
#include <numeric>

#include "core/charging_support.h"
#include "logmaint_support.h"
#include "platform/clock.h"
#include "startup/locations.h"

using namespace chargingtest;
using namespace logmaint;

namespace {

std::int64_t Mar(int day, int h, int m = 0, int s = 0) { return LocalInstant(2026, 3, day, h, m, s); }

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

// Charges the log into the table, read through another stream in place of
// the file's when one is given (the caller closes it).
int Scan(TariffTable& table, std::FILE* stream = nullptr)
{
    SessionLogPtr log = OpenSessionLog(LOG_READ);
    if (!log)
        return -2;
    if (stream) {
        std::fclose(log->stream);
        log->stream = stream;
    }
    ChargingRun run;
    BeginChargingRun(run, table);
    const int result = ChargeSessionLog(*log, run);
    if (stream)
        log->stream = nullptr;
    return result;
}

std::int32_t Seconds(const TariffRecord& r) { return std::accumulate(r.FrameTime.begin(), r.FrameTime.end(), 0); }

// Seconds and connections of each ISP and of the phone, the phone's daily
// prepaid amount used, and the errors reported.
std::string Totals(const TariffTable& t)
{
    std::string s;
    for (const TariffRecord& r : t.Isps)
        s += std::to_string(Seconds(r)) + "/" + std::to_string(r.Connections) + " ";
    s += std::to_string(Seconds(t.Phone)) + "/" + std::to_string(t.Phone.Connections) + " " +
         FormatAmount(t.Phone.PrepaidUsed);
    for (ErrorCode code : RecordedCodes())
        s += " error " + std::to_string(code);
    return s;
}

} // namespace

class ChargingLogTest : public ProgramDirTest {};

TEST_F(ChargingLogTest, PairsRecordsIntoSessionsOfTheirPeriods)
{
    SessionRecord shifted = End(1, Mar(3, 11));
    shifted.time += 7200;  // disagrees with its local time
    const std::string stray("LS\0\0", 4);
    const struct {
        const char* what;
        std::vector<SessionRecord> events;
        const char* totals;
        void (*change)(TariffTable&) = nullptr;
        std::string tail = "";  // bytes after the records
    } cases[] = {
        {"a second start replaces the first", {Start(1, Mar(3, 9)), Start(1, Mar(3, 10)), End(1, Mar(3, 11))},
         "3600/1 0/0 3600/1 0.00"},
        {"an end of another ISP pairs nothing", {Start(1, Mar(3, 10)), End(2, Mar(3, 11))}, "0/0 0/0 0/0 0.00"},
        {"a bad record drops the pending start",
         {Start(1, Mar(3, 10)), Bad(1, Mar(3, 10, 30)), End(1, Mar(3, 11)), Start(2, Mar(3, 12)), End(2, Mar(3, 12, 1))},
         "0/0 60/1 60/1 0.00"},
        {"an end before its start", {Start(1, Mar(3, 11)), End(1, Mar(3, 10))}, "0/0 0/0 0/0 0.00"},
        {"an end without a start", {End(1, Mar(3, 10)), Start(1, Mar(3, 12)), End(1, Mar(3, 12, 0, 5))},
         "5/1 0/0 60/1 0.00"},
        {"an ISP that is no longer in the table", {Start(9, Mar(3, 10)), End(9, Mar(3, 11))}, "0/0 0/0 0/0 0.00"},
        {"clipped at the period's start", {Start(1, LocalInstant(2026, 2, 28, 23, 0)), End(1, Mar(1, 0, 10))},
         "600/1 0/0 600/1 0.00"},
        {"clipped at the period's end (its last second is inclusive)",
         {Start(1, Mar(31, 23, 50)), End(1, LocalInstant(2026, 4, 1, 0, 10))}, "599/1 0/0 600/1 0.00"},
        {"wholly before the period", {Start(1, LocalInstant(2026, 2, 3, 10)), End(1, LocalInstant(2026, 2, 3, 11))},
         "0/0 0/0 0/0 0.00"},
        {"open before a stray part at the end: charged up to now", {Start(1, Mar(3, 10))},
         "300/1 0/0 300/1 0.00 error 103", nullptr, stray},
        {"a toll-free ISP leaves the phone alone",
         {Start(1, Mar(3, 10)), End(1, Mar(3, 10, 10)), Start(2, Mar(3, 11)), End(2, Mar(3, 11, 20))},
         "600/1 1200/1 1200/1 0.00", [](TariffTable& t) { t.Isps[0].TollFree = 1; }},
        // ISP 1 bills to the 10th: its sessions after it are skipped, ISP 2's
        // sessions after them still count.
        {"a session past its period does not end the scan",
         {Start(1, Mar(5, 10)), End(1, Mar(5, 10, 1)), Start(1, Mar(12, 10)), End(1, Mar(12, 11)),
          Start(2, Mar(13, 10)), End(2, Mar(13, 10, 2)), Start(1, Mar(14, 10)), End(1, Mar(14, 10, 3)),
          Start(2, Mar(20, 9)), End(2, Mar(20, 9, 4))},
         "60/1 360/2 420/3 0.00",
         [](TariffTable& t) { SetPeriod(t.Isps[0], LocalInstant(2026, 2, 11, 0), Mar(11, 0) - 1); }},
        {"the phone's daily allowance covers the calls of a day, whichever ISP",
         {Start(1, Mar(3, 10)), End(1, Mar(3, 10, 40)), Start(2, Mar(3, 12)), End(2, Mar(3, 12, 40)),
          Start(1, Mar(4, 10)), End(1, Mar(4, 10, 10))},
         "3000/2 2400/1 5400/3 0.60",
         [](TariffTable& t) { t.Phone.PrepaidMethod = PREPAID_OFFSET_DAILY, t.Phone.PrepaidCharge = 0.5; }},
        {"duplicate ISP numbers charge the first record", {Start(1, Mar(3, 10)), End(1, Mar(3, 10, 1))},
         "0/0 60/1 0/0 0/0 60/1 0.00", [](TariffTable& t) { t.Isps = {t.Isps[1], t.Isps[0], t.Isps[0], t.Isps[1]}; }},
        {"hack flag 0 takes the instant", {Start(1, Mar(3, 10)), shifted}, "10800/1 0/0 10800/1 0.00"},
        {"hack flag 1 takes the local time", {Start(1, Mar(3, 10)), shifted}, "3600/1 0/0 3600/1 0.00",
         [](TariffTable&) { HackFlags = 1; }},
    };
    PinClock(Mar(3, 10, 5));
    for (const auto& c : cases) {
        WriteLog(LogFilePath, c.events, c.tail);
        TariffTable table = MarchTable();
        if (c.change)
            c.change(table);
        ClearRecordedErrors();
        ASSERT_EQ(Scan(table), 0) << c.what;
        EXPECT_EQ(Totals(table), c.totals) << c.what;
    }
}

TEST_F(ChargingLogTest, DamagedLocalTimeIsRebuiltFromTheInstant)
{
    SessionRecord start = Start(1, Mar(2, 17, 30));
    start.localTime.tm_wday = 99;
    start.localTime.tm_hour = -5;
    WriteLog(LogFilePath, {start, End(1, Mar(2, 18, 30))});
    TariffTable table = MarchTable();
    ASSERT_EQ(Scan(table), 0);
    EXPECT_EQ(table.Isps[0].FrameTime[1], 1800);  // Monday's peak
}

#ifndef _WIN32
// Through a pipe, which cannot seek or be read twice; and through a stream
// opened for writing only, which fails every read (msvcrt reports no error
// for that).
TEST_F(ChargingLogTest, ReadsAPipeFrontToBackAndFailsOnAStreamError)
{
    WriteLog(LogFilePath, {Start(1, Mar(3, 10)), End(1, Mar(3, 11)), Start(2, Mar(4, 9)), End(2, Mar(4, 9, 1))});
    const std::string records = "tail -c +" + std::to_string(SESSION_HEADER_SIZE + 1) + " '" + LogFilePath + "'";
    std::FILE* pipe = popen(records.c_str(), "r");
    std::FILE* writeOnly = std::fopen(File("other").string().c_str(), "wb");
    ASSERT_TRUE(pipe && writeOnly);
    TariffTable table = MarchTable();
    EXPECT_EQ(Scan(table, pipe), 0);
    EXPECT_EQ(Totals(table), "3600/1 60/1 3660/2 0.00");
    EXPECT_EQ(Scan(table, writeOnly), -1);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{103}));
    pclose(pipe);
    std::fclose(writeOnly);
}
#endif
