#include "charging/charging.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "platform/clock.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"

namespace {

constexpr std::int32_t SECONDS_PER_DAY = 86400;

// Number of frames every frame array of the record really has.
std::size_t FrameCount(const TariffRecord& r)
{
    std::size_t n = r.NumFrames > 0 ? static_cast<std::size_t>(r.NumFrames) : 0;
    n = std::min(n, r.FrameCharges.size());
    n = std::min(n, r.FrameCost.size());
    return std::min(n, r.FrameTime.size());
}

std::int32_t TimeOfDay(const LocalTime& t)
{
    return t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

std::int32_t EntryStart(const ScheduleEntry& e)
{
    return e.StartHour * 3600 + e.StartMinute * 60 + e.StartSecond;
}

std::int32_t EntryEnd(const ScheduleEntry& e)
{
    return e.EndHour * 3600 + e.EndMinute * 60 + e.EndSecond;
}

std::int32_t DayKey(const LocalTime& t)
{
    return (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

// Broken-down fields as the C runtime produces them. A record read from a
// damaged log can hold anything; such a time is rebuilt from its instant.
bool PlausibleLocalTime(const LocalTime& t)
{
    return t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_hour >= 0 && t.tm_hour <= 23 &&
           t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 && t.tm_mon <= 11 && t.tm_wday >= 0 &&
           t.tm_wday <= 6 && t.tm_yday >= 0 && t.tm_yday <= 365 && t.tm_year >= 0 && t.tm_year <= 300;
}

TariffInstant InstantOf(const SessionRecord& r)
{
    TariffInstant i;
    i.time = r.time;
    i.localTime = r.localTime;
    if (!PlausibleLocalTime(i.localTime))
        ToLocalTime(i.time, i.localTime);
    return i;
}

// The instant of a time of day on the position's date (secondOfDay may be
// 86400: the next midnight). Local-time conversion can land at or before the
// position when a daylight-saving change makes the wall-clock time ambiguous
// or missing; the boundary is then taken as the wall-clock distance from the
// position, so that a slice is never empty or negative.
TariffInstant BoundaryOnPositionDate(const TariffInstant& position, std::int32_t secondOfDay)
{
    TariffInstant b;
    b.localTime = position.localTime;
    if (secondOfDay >= SECONDS_PER_DAY) {
        b.localTime.tm_mday += 1;
        b.localTime.tm_hour = 0;
        b.localTime.tm_min = 0;
        b.localTime.tm_sec = 0;
    } else {
        b.localTime.tm_hour = secondOfDay / 3600;
        b.localTime.tm_min = secondOfDay / 60 % 60;
        b.localTime.tm_sec = secondOfDay % 60;
    }
    b.time = NormaliseLocalTime(b.localTime);
    if (b.time <= position.time) {
        std::int32_t step = std::max(1, secondOfDay - TimeOfDay(position.localTime));
        b.time = position.time + step;
        ToLocalTime(b.time, b.localTime);
    }
    return b;
}

bool IsExceptionDay(const TariffRecord& record, const LocalTime& t)
{
    for (const DayExceptionEntry& e : record.DayExceptions)
        if (e.Year == t.tm_year && e.Month == t.tm_mon && e.Day == t.tm_mday && !(e.Year == 0 && e.Month == 0 && e.Day == 0))
            return true;
    return false;
}

void AddClamped(std::int32_t& total, std::int64_t add)
{
    std::int64_t sum = static_cast<std::int64_t>(total) + add;
    sum = std::clamp<std::int64_t>(sum, 0, std::numeric_limits<std::int32_t>::max());
    total = static_cast<std::int32_t>(sum);
}

} // namespace

std::int32_t RoundUnits(std::int32_t seconds, std::int32_t secsPerUnit, std::int32_t rounding)
{
    if (secsPerUnit <= 1)
        return seconds;
    const std::int64_t s = seconds;
    const std::int64_t u = secsPerUnit;
    const std::int64_t r = s % u;
    if (r == 0)
        return seconds;
    std::int64_t result = s;
    switch (rounding) {
    case ROUNDING_UP:
        result = s + (u - r);
        break;
    case ROUNDING_HALF:
        result = r <= u / 2 ? s - r : s + (u - r);
        break;
    case ROUNDING_TRUNCATE:
        result = s - r;
        break;
    default:
        break;
    }
    result = std::clamp<std::int64_t>(result, std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(result);
}

SplitTime SplitSeconds(std::int32_t seconds)
{
    const std::int64_t a = seconds < 0 ? -static_cast<std::int64_t>(seconds) : seconds;
    SplitTime t;
    t.seconds = static_cast<std::int32_t>(a % 60);
    t.minutes = a >= 60 ? static_cast<std::int32_t>(a / 60 % 60) : 0;
    t.hours = a / 60 >= 60 ? static_cast<std::int32_t>(a / 3600) : 0;
    return t;
}

bool NextSlice(const TariffRecord& record, TariffInstant& position, const TariffInstant& end, UsageSlice& slice)
{
    if (position.time >= end.time)
        return false;
    const LocalTime& now = position.localTime;
    const bool sameDay = end.localTime.tm_year == now.tm_year && end.localTime.tm_yday == now.tm_yday;
    const std::int32_t time = TimeOfDay(now);
    const std::int32_t endTime = TimeOfDay(end.localTime);

    // Where the slice stops: the session's end, or a time of day on the
    // position's date (SECONDS_PER_DAY being the next midnight).
    bool toEnd = false;
    std::int32_t boundary = SECONDS_PER_DAY;
    std::int32_t frame = 0;

    if (IsExceptionDay(record, now)) {
        frame = UsableFrame(record, record.FrameForExceptions);
        toEnd = sameDay;
    } else {
        const int weekday = now.tm_wday >= 0 && now.tm_wday < DAYS_PER_WEEK ? now.tm_wday : 0;
        const std::vector<ScheduleEntry>& schedule = record.Schedules[static_cast<std::size_t>(weekday)];
        const ScheduleEntry* containing = nullptr;
        for (const ScheduleEntry& e : schedule) {
            if (EntryStart(e) <= time && time <= EntryEnd(e)) {
                containing = &e;
                break;
            }
        }
        if (containing) {
            frame = UsableFrame(record, containing->Frame);
            if (sameDay && endTime <= EntryEnd(*containing))
                toEnd = true;
            else
                boundary = EntryEnd(*containing) + 1;
        } else {
            frame = UsableFrame(record, record.DefaultFrame);
            const ScheduleEntry* next = nullptr;
            for (const ScheduleEntry& e : schedule) {
                if (EntryStart(e) > time) {
                    next = &e;
                    break;
                }
            }
            if (next && (!sameDay || endTime >= EntryStart(*next)))
                boundary = EntryStart(*next);
            else
                toEnd = sameDay;
        }
    }

    TariffInstant stop = end;
    if (!toEnd) {
        stop = BoundaryOnPositionDate(position, boundary);
        // Every midnight crossed is charged in full: no seconds are carried
        // past it uncharged.
        if (stop.time >= end.time)
            stop = end;
    }
    const std::int64_t seconds = stop.time - position.time;
    slice.seconds = static_cast<std::int32_t>(std::min<std::int64_t>(seconds, std::numeric_limits<std::int32_t>::max()));
    slice.frame = frame;
    position = stop;
    return true;
}

double ChargeSlice(TariffRecord& record, std::int32_t seconds, std::int32_t frame)
{
    const std::size_t frames = FrameCount(record);
    if (frames == 0)
        return 0.0;
    const auto f = static_cast<std::size_t>(UsableFrame(record, frame));
    if (record.AccumulateBeforeRounding == 1) {
        AddClamped(record.FrameTime[f], seconds);
        return 0.0;
    }
    const std::int32_t unit = std::max<std::int32_t>(1, record.SecsPerUnit);
    const std::int32_t rounded = RoundUnits(seconds, unit, record.Rounding);
    const std::int32_t units = rounded / unit;
    AddClamped(record.FrameTime[f], rounded);
    double charge = units * record.FrameCharges[f];
    if (record.MinCharge - charge >= CHARGE_EPSILON)
        charge = record.MinCharge;
    const double booked = record.ConnectCharge >= CHARGE_EPSILON ? charge + record.ConnectCharge : charge;
    record.FrameCost[f] += booked;
    return record.OffsetsConnectCharge == 1 ? booked : charge;
}

void OffsetDailyPrepaid(TariffRecord& record, PrepaidDays& prepaid, const LocalTime& sliceStart, std::int32_t frame,
                        double charge)
{
    // The allowance of a day is created by the first slice of that day that
    // the record is charged for, eligible or not, and shared from then on.
    const std::int32_t day = DayKey(sliceStart);
    DailyAllowance* allowance = nullptr;
    for (auto it = prepaid.rbegin(); it != prepaid.rend(); ++it) {
        if (it->day == day) {
            allowance = &*it;
            break;
        }
    }
    if (!allowance) {
        prepaid.push_back({day, record.PrepaidCharge});
        allowance = &prepaid.back();
    }
    const bool eligible = record.PrepaidMethod == PREPAID_OFFSET_DAILY ||
                          (record.PrepaidMethod == PREPAID_DAILY_IN_FRAME &&
                           UsableFrame(record, frame) == UsableFrame(record, record.PrepaidFrame));
    if (!eligible)
        return;
    if (allowance->left >= charge) {
        record.PrepaidUsed += charge;
        allowance->left -= charge;
    } else {
        record.PrepaidUsed += allowance->left;
        allowance->left = 0.0;
    }
}

void ChargeSession(TariffRecord& record, const SessionPair& session, PrepaidDays& prepaid)
{
    const TariffInstant start = InstantOf(session.start);
    const TariffInstant end = InstantOf(session.end);
    const std::int64_t length = std::clamp<std::int64_t>(end.time - start.time, 0, std::numeric_limits<std::int32_t>::max());
    record.LastSessionTime =
        RoundUnits(static_cast<std::int32_t>(length), std::max<std::int32_t>(1, record.SecsPerUnit), record.Rounding);

    const bool daily = record.PrepaidMethod == PREPAID_OFFSET_DAILY || record.PrepaidMethod == PREPAID_DAILY_IN_FRAME;
    TariffInstant position = start;
    UsageSlice slice;
    bool charged = false;
    for (;;) {
        const LocalTime sliceStart = position.localTime;
        if (!NextSlice(record, position, end, slice))
            break;
        charged = true;
        const double charge = ChargeSlice(record, slice.seconds, slice.frame);
        if (daily)
            OffsetDailyPrepaid(record, prepaid, sliceStart, slice.frame, charge);
    }
    if (charged && record.Connections < std::numeric_limits<std::int32_t>::max())
        ++record.Connections;
}

void FinishTotals(TariffRecord& record)
{
    const std::size_t frames = FrameCount(record);
    const std::int32_t unit = std::max<std::int32_t>(1, record.SecsPerUnit);
    if (record.AccumulateBeforeRounding == 1) {
        for (std::size_t i = 0; i < frames; ++i) {
            record.FrameTime[i] = RoundUnits(record.FrameTime[i], unit, record.Rounding);
            record.FrameCost[i] = (record.FrameTime[i] / unit) * record.FrameCharges[i];
        }
    }
    if (record.PrepaidMethod == PREPAID_OFFSET_MONTHLY)
        record.PrepaidUsed = record.PrepaidCharge;
    double total = 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        total += record.FrameCost[i];
    record.TotalFrameCost = total;
    record.Remainder = record.PrepaidUsed - record.TotalFrameCost;
    record.AmountPayable = record.PeriodicFee;
    if (record.Remainder < 0)
        record.AmountPayable += -record.Remainder;

    record.RemainderTime = 0;
    if (frames > 0) {
        const double k = record.FrameCharges[static_cast<std::size_t>(UsableFrame(record, record.DefaultFrame))];
        if (k > 0) {
            // A tiny default charge can make the time huge; it is capped
            // rather than wrapped.
            const double seconds = std::trunc(unit * std::fabs(record.Remainder) / k);
            record.RemainderTime = seconds >= static_cast<double>(std::numeric_limits<std::int32_t>::max())
                                       ? std::numeric_limits<std::int32_t>::max()
                                       : static_cast<std::int32_t>(seconds);
        }
    }
}

void BeginChargingRun(ChargingRun& run, TariffTable& table)
{
    run.table = &table;
    run.ispIndex.clear();
    for (std::size_t i = 0; i < table.Isps.size(); ++i)
        run.ispIndex.emplace_back(table.Isps[i].Id, i);
    // Stable, so that the first record with a number is the one found.
    std::stable_sort(run.ispIndex.begin(), run.ispIndex.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    run.ispPrepaid.assign(table.Isps.size(), PrepaidDays{});
    run.phonePrepaid.clear();
}

namespace {

bool FindIspIndex(const ChargingRun& run, std::int32_t id, std::size_t& index)
{
    auto it = std::lower_bound(run.ispIndex.begin(), run.ispIndex.end(), id,
                               [](const auto& entry, std::int32_t value) { return entry.first < value; });
    if (it == run.ispIndex.end() || it->first != id)
        return false;
    index = it->second;
    return true;
}


} // namespace

namespace {

bool IsStart(const ScannedRecord& r)
{
    return r.magic == SESSION_RECORD_MAGIC && r.kind == SESSION_START;
}

bool IsEnd(const ScannedRecord& r)
{
    return r.magic == SESSION_RECORD_MAGIC && r.kind == SESSION_END;
}

} // namespace

bool NextChargeableSession(SessionLog& log, ChargingRun& run, SessionPair& session, std::size_t& ispIndex)
{
    // Two slots, the pending start and the record after it, swapped rather
    // than copied when a later start replaces the pending one.
    ScannedRecord* start = &run.slots[0];
    ScannedRecord* record = &run.slots[1];
    for (;;) {
        int result;
        do {
            result = ReadScannedRecord(log, *start);
            if (result != 0)
                return false;
        } while (!IsStart(*start));

        bool open = false;
        bool paired = false;
        for (;;) {
            result = ReadScannedRecord(log, *record);
            if (result == 1) {
                open = true;
                paired = true;
                break;
            }
            if (result == -1) {
                if (StreamFailed(log))
                    return false;
                continue;  // a short last record: what follows is the end of the file
            }
            if (IsStart(*record)) {
                std::swap(start, record);
                continue;
            }
            paired = IsEnd(*record);
            break;
        }
        if (!paired)
            continue;
        if (!open && (record->ispId != start->ispId || start->time > record->time))
            continue;
        if (!FindIspIndex(run, start->ispId, ispIndex))
            continue;
        const TariffRecord& isp = run.table->Isps[ispIndex];
        if (open) {
            session.start = DecodeScannedRecord(*start);
            MakeEndRecord(session.start, session.end, Now());
            if (start->time > session.end.time)
                continue;
        }
        const std::int64_t endTime = open ? session.end.time : record->time;
        // A session past its ISP's period is skipped, not taken as the end of
        // the scan: another ISP's period may still be running.
        if (start->time > isp.PeriodEnd.time)
            continue;
        if (endTime < isp.PeriodStart.time)
            continue;
        if (!open) {
            session.start = DecodeScannedRecord(*start);
            session.end = DecodeScannedRecord(*record);
        }
        if (session.start.time < isp.PeriodStart.time) {
            session.start.time = isp.PeriodStart.time;
            session.start.localTime = isp.PeriodStart.localTime;
        }
        if (session.end.time > isp.PeriodEnd.time) {
            session.end.time = isp.PeriodEnd.time;
            session.end.localTime = isp.PeriodEnd.localTime;
        }
        return true;
    }
}

int ChargeSessionLog(SessionLog& log, ChargingRun& run)
{
    SessionPair session;
    std::size_t index = 0;
    while (NextChargeableSession(log, run, session, index)) {
        TariffRecord& isp = run.table->Isps[index];
        ChargeSession(isp, session, run.ispPrepaid[index]);
        if (isp.TollFree == 0)
            ChargeSession(run.table->Phone, session, run.phonePrepaid);
    }
    return StreamFailed(log) ? -1 : 0;
}

int ComputeUsage(std::int64_t reference, TariffTable& table)
{
    FreeTariffTable(table);
    if (LoadTariffTable(reference, table) != 0) {
        FreeTariffTable(table);
        return -1;
    }
    try {
        SessionLogPtr log = OpenSessionLog(LOG_READ);
        if (!log) {
            FreeTariffTable(table);
            return -1;
        }
        ChargingRun run;
        BeginChargingRun(run, table);
        const int result = ChargeSessionLog(*log, run);
        CloseSessionLog(log);
        if (result != 0) {
            FreeTariffTable(table);
            return -1;
        }
    } catch (const std::bad_alloc&) {
        ShowError(105);
        FreeTariffTable(table);
        return -1;
    }
    for (TariffRecord& isp : table.Isps)
        FinishTotals(isp);
    FinishTotals(table.Phone);
    return 0;
}

int ComputeUsage(std::int64_t reference, std::int32_t& count, std::vector<TariffRecord>& isps, TariffRecord& phone)
{
    TariffTable table;
    const int result = ComputeUsage(reference, table);
    if (result != 0) {
        count = 0;
        isps.clear();
        FreeTariff(phone);
        return -1;
    }
    count = static_cast<std::int32_t>(table.Isps.size());
    isps = std::move(table.Isps);
    phone = std::move(table.Phone);
    return 0;
}
