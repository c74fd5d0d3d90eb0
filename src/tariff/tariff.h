// Tariff data model: one party's charges (an ISP or the phone company), the
// billing period around a reference time, and the usage totals that the
// charging engine accumulates into it.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/localtime.h"

// Rounding of a duration that is not a whole number of units.
constexpr std::int32_t ROUNDING_UP = 0;        // always up to the next unit
constexpr std::int32_t ROUNDING_HALF = 1;      // up when the excess is more than half a unit
constexpr std::int32_t ROUNDING_TRUNCATE = 2;  // excess dropped

// PeriodToBill.
constexpr std::int32_t PERIOD_MONTHLY = 0;
constexpr std::int32_t PERIOD_WEEKLY = 1;

// BillingDate 0: the calendar month; 1..MAX_BILLING_DATE: ends on that day.
constexpr std::int32_t BILLING_CALENDAR_MONTH = 0;
constexpr std::int32_t MAX_BILLING_DATE = 30;

// PrepaidMethod.
constexpr std::int32_t PREPAID_OFFSET_MONTHLY = 0;  // once against the period's charges
constexpr std::int32_t PREPAID_OFFSET_DAILY = 1;    // up to the amount per day
constexpr std::int32_t PREPAID_DAILY_IN_FRAME = 2;  // per day, only against PrepaidFrame

constexpr int DAYS_PER_WEEK = 7;

// Counts in a settings section above this are treated as hostile: loading
// them would only exhaust memory, so they fail like running out of it.
constexpr std::int32_t MAX_TARIFF_COUNT = 10000;

// An instant together with its local broken-down time (as in SessionRecord).
struct TariffInstant {
    std::int64_t time = 0;  // seconds since 1970-01-01 00:00:00 UTC
    LocalTime localTime;

    friend bool operator==(const TariffInstant&, const TariffInstant&) = default;
};

// One stretch of a weekday, both ends included; never crosses midnight.
struct ScheduleEntry {
    std::int32_t StartHour = 0;
    std::int32_t StartMinute = 0;
    std::int32_t StartSecond = 0;
    std::int32_t EndHour = 0;
    std::int32_t EndMinute = 0;
    std::int32_t EndSecond = 0;
    std::int32_t Frame = 0;

    friend bool operator==(const ScheduleEntry&, const ScheduleEntry&) = default;
};

// A date on which FrameForExceptions applies all day. All three fields 0
// stands for an unreadable exception and matches no date.
struct DayExceptionEntry {
    std::int32_t Year = 0;   // years since 1900
    std::int32_t Month = 0;  // 0-11
    std::int32_t Day = 0;    // 1-31

    friend bool operator==(const DayExceptionEntry&, const DayExceptionEntry&) = default;
};

struct TariffRecord {
    std::int32_t Id = 0;          // ISP number; 0 in the Phone record
    std::string Description;
    std::string RasName;          // empty: none
    TariffInstant PeriodStart;    // first second of the billing period
    TariffInstant PeriodEnd;      // last second (inclusive)
    std::int32_t SecsPerUnit = 0;
    std::int32_t Rounding = 0;
    std::int32_t AccumulateBeforeRounding = 0;
    std::int32_t PeriodToBill = 0;
    std::int32_t BillingDate = 0;
    double PeriodicFee = 0.0;
    std::int32_t PrepaidMethod = 0;
    double PrepaidCharge = 0.0;
    std::int32_t PrepaidFrame = 0;
    std::int32_t OffsetsConnectCharge = 0;
    std::int32_t DefaultFrame = 0;
    std::int32_t NumFrames = 0;
    std::vector<double> FrameCharges;     // NumFrames elements
    std::vector<std::string> FrameNames;  // NumFrames elements
    // Index 0 Sunday to 6 Saturday; a day's entry count is its size.
    std::array<std::vector<ScheduleEntry>, DAYS_PER_WEEK> Schedules;
    std::int32_t NumExceptions = 0;
    std::vector<DayExceptionEntry> DayExceptions;  // NumExceptions elements
    std::int32_t FrameForExceptions = 0;
    double ConnectCharge = 0.0;
    double MinCharge = 0.0;
    std::int32_t TollFree = 0;

    // Usage totals, zero after loading; only the charging engine changes them.
    std::vector<double> FrameCost;        // NumFrames elements
    std::vector<std::int32_t> FrameTime;  // NumFrames elements
    double PrepaidUsed = 0.0;
    std::int32_t Connections = 0;
    std::int32_t LastSessionTime = 0;
    double TotalFrameCost = 0.0;
    double Remainder = 0.0;
    std::int32_t RemainderTime = 0;
    double AmountPayable = 0.0;
};

// The ISP records in ActiveIDs order (one at least once loaded) and the
// separate Phone record (Id 0), which is never part of Isps.
struct TariffTable {
    std::vector<TariffRecord> Isps;
    TariffRecord Phone;
};

// Schedule key prefixes, Sunday first: Sun0, Sun1, ..., Sat0, ...
extern const char* const TariffDayNames[DAYS_PER_WEEK];

// Sets PeriodStart and PeriodEnd from PeriodToBill and BillingDate so that the
// period contains the reference day. 0, or -1 when the local time cannot be
// converted (the period is then left as it was).
int ComputeBillingPeriod(TariffRecord& record, const LocalTime& reference);

// Releases everything the record owns, leaving it empty (default-constructed).
void FreeTariff(TariffRecord& record);
// FreeTariff on every ISP record and the Phone record; the table is left empty.
void FreeTariffTable(TariffTable& table);
void FreeTariffTable(std::vector<TariffRecord>& isps, TariffRecord& phone);

// The first ISP record with this Id, or null. The Phone record is never found.
TariffRecord* FindTariffById(TariffTable& table, std::int32_t id);
const TariffRecord* FindTariffById(const TariffTable& table, std::int32_t id);

// A frame index that is safe to use with the record's frame arrays: the index
// itself when it is in range, else 0. Stored indices are never corrected by
// loading, so every user of one goes through this.
std::int32_t UsableFrame(const TariffRecord& record, std::int32_t frame);
