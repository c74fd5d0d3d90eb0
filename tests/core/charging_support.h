// Helpers for the charging tests: tariffs built in memory and sessions made
// from local times.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "charging/charging.h"
#include "core/support.h"
#include "sessionlog/sessionlog.h"
#include "tariff/tariff.h"

namespace chargingtest {

// Weekdays as the schedules index them.
constexpr int SUN = 0, MON = 1, TUE = 2, WED = 3, THU = 4, FRI = 5, SAT = 6;

inline ScheduleEntry Entry(int h1, int m1, int s1, int h2, int m2, int s2, int frame)
{
    return ScheduleEntry{h1, m1, s1, h2, m2, s2, frame};
}

// 60-second units rounded up, frame 0 ("Off") at 0.05 by default, frame 1
// ("Peak") at 0.10 on Mondays 08:00:00 to 17:59:59; a period far around
// every test date.
inline TariffRecord StandardTariff()
{
    TariffRecord r;
    r.Id = 1;
    r.Description = "Test ISP";
    r.SecsPerUnit = 60;
    r.NumFrames = 2;
    r.FrameCharges = {0.05, 0.10};
    r.FrameNames = {"Off", "Peak"};
    r.FrameCost.assign(2, 0.0);
    r.FrameTime.assign(2, 0);
    r.Schedules[MON] = {Entry(8, 0, 0, 17, 59, 59, 1)};
    r.PeriodStart.time = 0;
    ToLocalTime(0, r.PeriodStart.localTime);
    r.PeriodEnd.time = 0xFFFFFFFFLL;
    ToLocalTime(r.PeriodEnd.time, r.PeriodEnd.localTime);
    return r;
}

inline SessionPair Session(std::int64_t start, std::int64_t end, std::int32_t isp = 1)
{
    SessionPair p;
    p.start = MakeSessionRecord(isp, SESSION_START, 0, start);
    p.end = MakeSessionRecord(isp, SESSION_END, 0, end);
    return p;
}

// Charges a session as the engine does for one record, with its own daily
// prepaid state.
inline void Charge(TariffRecord& r, std::int64_t start, std::int64_t end, PrepaidDays& prepaid)
{
    ChargeSession(r, Session(start, end, r.Id), prepaid);
}

inline void Charge(TariffRecord& r, std::int64_t start, std::int64_t end)
{
    PrepaidDays prepaid;
    Charge(r, start, end, prepaid);
}

// Every slice of a session, in order.
inline std::vector<UsageSlice> Slices(const TariffRecord& r, std::int64_t start, std::int64_t end)
{
    SessionPair s = Session(start, end, r.Id);
    TariffInstant position{s.start.time, s.start.localTime};
    const TariffInstant stop{s.end.time, s.end.localTime};
    std::vector<UsageSlice> out;
    UsageSlice slice;
    while (NextSlice(r, position, stop, slice)) {
        out.push_back(slice);
        if (out.size() > 10000)
            break;  // a runaway would otherwise never end
    }
    return out;
}

using testsupport::LocalInstant;

} // namespace chargingtest
