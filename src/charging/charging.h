// The charging engine: turns the session log into the usage totals of a
// TariffTable for the billing periods that contain a reference instant.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "sessionlog/sessionlog.h"
#include "tariff/tariff.h"

// The spacing of doubles at 1.0: amounts closer than this count as equal.
constexpr double CHARGE_EPSILON = 2.220446049250313e-16;

// Loads the TariffTable for the reference instant, charges every session of
// the log into it and finishes the totals. 0 (the caller owns the table), or
// -1 with the cause reported and the table left empty.
int ComputeUsage(std::int64_t reference, TariffTable& table);
int ComputeUsage(std::int64_t reference, std::int32_t& count, std::vector<TariffRecord>& isps, TariffRecord& phone);

// What is left of one day's prepaid allowance. A record gets one allowance
// per calendar day, shared by all the sessions it is charged for that day.
struct DailyAllowance {
    std::int32_t day = 0;  // year * 10000 + month * 100 + day of month
    double left = 0.0;
};
using PrepaidDays = std::vector<DailyAllowance>;

// State of one pass over the log: the table being filled, an index from ISP
// number to the first record with it, and each record's daily allowances.
struct ChargingRun {
    ScannedRecord slots[2];
    TariffTable* table = nullptr;
    std::vector<std::pair<std::int32_t, std::size_t>> ispIndex;  // sorted by number
    std::vector<PrepaidDays> ispPrepaid;                         // parallel to table->Isps
    PrepaidDays phonePrepaid;
};

void BeginChargingRun(ChargingRun& run, TariffTable& table);

// Charges every chargeable session of an open log into the run's table.
// 0, or -1 when the log's stream failed (error 103 reported by the reader).
int ChargeSessionLog(SessionLog& log, ChargingRun& run);

// The next session that touches its ISP's billing period, clipped to it, and
// the index of that ISP's record. false at the end of the log (or on a read
// failure: the caller checks the stream). An open session at the end of the
// log ends now.
bool NextChargeableSession(SessionLog& log, ChargingRun& run, SessionPair& session, std::size_t& ispIndex);

// Charges one (clipped) session to a record.
void ChargeSession(TariffRecord& record, const SessionPair& session, PrepaidDays& prepaid);

// A stretch of a session charged in one frame.
struct UsageSlice {
    std::int32_t seconds = 0;
    std::int32_t frame = 0;
};

// Cuts the next slice from the position: up to the end, the next schedule
// boundary or midnight, whichever comes first; moves the position to the
// slice's end. false when the position has reached the end.
bool NextSlice(const TariffRecord& record, TariffInstant& position, const TariffInstant& end, UsageSlice& slice);

// Books one slice; returns the amount the daily prepaid allowance may offset.
double ChargeSlice(TariffRecord& record, std::int32_t seconds, std::int32_t frame);

// The daily prepaid offset of a slice that starts on the given local date.
void OffsetDailyPrepaid(TariffRecord& record, PrepaidDays& prepaid, const LocalTime& sliceStart, std::int32_t frame,
                        double charge);

// Final rounding (accumulating records), prepaid, totals and remainders.
void FinishTotals(TariffRecord& record);

// Seconds rounded to whole units of secsPerUnit by the rounding mode.
std::int32_t RoundUnits(std::int32_t seconds, std::int32_t secsPerUnit, std::int32_t rounding);

struct SplitTime {
    std::int32_t hours = 0;  // not limited to 23
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
};

// A duration as hours, minutes and seconds (of its absolute value).
SplitTime SplitSeconds(std::int32_t seconds);
