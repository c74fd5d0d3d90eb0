// Helpers for the charging tests: tariffs built in memory and sessions made
// from local times.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "charging/charging.h"
#include "charging/usageview.h"
#include "core/support.h"
#include "sessionlog/sessionlog.h"
#include "tariff/tariff.h"

namespace chargingtest {

using namespace testsupport;

// Weekdays as the schedules index them.
constexpr int SUN = 0, MON = 1, TUE = 2, WED = 3, THU = 4, FRI = 5, SAT = 6;

inline void SetPeriod(TariffRecord& r, std::int64_t start, std::int64_t end)
{
    r.PeriodStart.time = start;
    ToLocalTime(start, r.PeriodStart.localTime);
    r.PeriodEnd.time = end;
    ToLocalTime(end, r.PeriodEnd.localTime);
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
    r.FrameCost = {0, 0};
    r.FrameTime = {0, 0};
    r.Schedules[MON] = {{8, 0, 0, 17, 59, 59, 1}};
    SetPeriod(r, 0, 0xFFFFFFFFLL);
    return r;
}

// A record with every total of a report filled in: three frames (the long
// names cut in the text report), a period from 16 March to 5 April 2026 and
// an exceeded allowance.
inline TariffRecord ReportedTariff(const char* description = "MyISP", std::int32_t id = 1)
{
    TariffRecord r = StandardTariff();
    r.Id = id;
    r.Description = description;
    r.NumFrames = 3;
    r.FrameNames = {"Peak", "A_name_of_thirty_characters___", "Exactly_twenty_four_char"};
    r.FrameTime = {3725, 360000, 0};
    r.FrameCost = {6.2, 0.124, 0.0};
    r.PeriodStart.localTime = {0, 0, 0, 16, 2, 126};
    r.PeriodEnd.localTime = {0, 0, 0, 5, 3, 126};
    r.TotalFrameCost = 6.324;
    r.PrepaidUsed = 1.0;
    r.Remainder = -7.5;
    r.RemainderTime = 9000;
    r.PeriodicFee = 19.95;
    r.AmountPayable = 27.45;
    r.Connections = 12;
    r.LastSessionTime = 3600;
    return r;
}

// Charges a session as the engine does for one record; the daily prepaid
// state is the session's own unless one is shared.
inline void Charge(TariffRecord& r, std::int64_t start, std::int64_t end, PrepaidDays* shared = nullptr)
{
    PrepaidDays own;
    const SessionPair s{MakeSessionRecord(r.Id, SESSION_START, 0, start), MakeSessionRecord(r.Id, SESSION_END, 0, end)};
    ChargeSession(r, s, shared ? *shared : own);
}

// The first line of each report in a text of reports, in order: every
// report ends with an empty line and holds no other.
inline std::vector<std::string> ReportNames(const std::string& text)
{
    std::vector<std::string> names;
    for (std::size_t at = 0; at < text.size();) {
        names.push_back(text.substr(at, text.find('\n', at) - at));
        const std::size_t end = text.find("\n\n", at);
        at = end == std::string::npos ? text.size() : end + 2;
    }
    return names;
}

// The totals of a record on one line: the frames with time or cost, then
// total, prepaid used, remainder and its time, payable, connections, last
// session.
inline std::string Summary(const TariffRecord& r)
{
    std::string s;
    for (std::size_t i = 0; i < r.FrameTime.size(); ++i)
        if (r.FrameTime[i] != 0 || r.FrameCost[i] != 0)
            s += r.FrameNames[i] + " " + FormatDuration(r.FrameTime[i]) + " " + FormatAmount(r.FrameCost[i]) + ", ";
    for (double v : {r.TotalFrameCost, r.PrepaidUsed, r.Remainder})
        s += FormatAmount(v) + " ";
    return s + FormatDuration(r.RemainderTime) + " " + FormatAmount(r.AmountPayable) + " " +
           std::to_string(r.Connections) + " " + FormatDuration(r.LastSessionTime);
}

} // namespace chargingtest
