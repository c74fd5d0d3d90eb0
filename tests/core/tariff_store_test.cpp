// Tariffs in the settings file: defaults and corrections of every key,
// schedules, exceptions, whole-table round trips and ISP numbers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/support.h"
#include "platform/clock.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariff/ispnumbers.h"
#include "tariff/tariffstore.h"

#ifdef _WIN32
#include "platform/win32/win32_ui.h"
#endif

using testsupport::LocalInstant;
using testsupport::ProgramDirTest;
using testsupport::RecordedCodes;

namespace {

class TariffStoreTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        PinClock(LocalInstant(2026, 3, 20, 12, 0, 0));
    }

    void Put(const char* section, const char* key, const char* value)
    {
        ProfileWrite(IniFilePath, section, key, value);
    }

    std::string Get(const char* section, const char* key)
    {
        ProfileFlush(IniFilePath);
        return ProfileGetString(IniFilePath, section, key, "<missing>");
    }

    TariffRecord Load(const char* section = "ISP1")
    {
        TariffRecord r;
        EXPECT_EQ(LoadTariff(r, section, ToLocalTime(Now()), IniFilePath), 0);
        return r;
    }
};

// Every stored field; usage totals must be zero after loading.
void ExpectSameTariff(const TariffRecord& a, const TariffRecord& b)
{
    EXPECT_EQ(a.Id, b.Id);
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.RasName, b.RasName);
    EXPECT_EQ(a.SecsPerUnit, b.SecsPerUnit);
    EXPECT_EQ(a.Rounding, b.Rounding);
    EXPECT_EQ(a.AccumulateBeforeRounding, b.AccumulateBeforeRounding);
    EXPECT_EQ(a.PeriodToBill, b.PeriodToBill);
    EXPECT_EQ(a.BillingDate, b.BillingDate);
    EXPECT_DOUBLE_EQ(a.PeriodicFee, b.PeriodicFee);
    EXPECT_EQ(a.PrepaidMethod, b.PrepaidMethod);
    EXPECT_DOUBLE_EQ(a.PrepaidCharge, b.PrepaidCharge);
    EXPECT_EQ(a.PrepaidFrame, b.PrepaidFrame);
    EXPECT_EQ(a.OffsetsConnectCharge, b.OffsetsConnectCharge);
    EXPECT_EQ(a.DefaultFrame, b.DefaultFrame);
    EXPECT_EQ(a.NumFrames, b.NumFrames);
    EXPECT_EQ(a.FrameCharges, b.FrameCharges);
    EXPECT_EQ(a.FrameNames, b.FrameNames);
    EXPECT_EQ(a.Schedules, b.Schedules);
    EXPECT_EQ(a.NumExceptions, b.NumExceptions);
    EXPECT_EQ(a.DayExceptions, b.DayExceptions);
    EXPECT_EQ(a.FrameForExceptions, b.FrameForExceptions);
    EXPECT_DOUBLE_EQ(a.ConnectCharge, b.ConnectCharge);
    EXPECT_DOUBLE_EQ(a.MinCharge, b.MinCharge);
    EXPECT_EQ(a.TollFree, b.TollFree);
    EXPECT_EQ(a.PeriodStart, b.PeriodStart);
    EXPECT_EQ(a.PeriodEnd, b.PeriodEnd);
}

void ExpectZeroTotals(const TariffRecord& r)
{
    EXPECT_EQ(r.FrameCost, std::vector<double>(static_cast<std::size_t>(r.NumFrames), 0.0));
    EXPECT_EQ(r.FrameTime, std::vector<std::int32_t>(static_cast<std::size_t>(r.NumFrames), 0));
    EXPECT_EQ(r.PrepaidUsed, 0.0);
    EXPECT_EQ(r.Connections, 0);
    EXPECT_EQ(r.LastSessionTime, 0);
    EXPECT_EQ(r.TotalFrameCost, 0.0);
    EXPECT_EQ(r.Remainder, 0.0);
    EXPECT_EQ(r.RemainderTime, 0);
    EXPECT_EQ(r.AmountPayable, 0.0);
}

// A tariff that uses every key with values other than the defaults.
TariffRecord RichTariff(std::int32_t id, const char* description)
{
    TariffRecord r;
    r.Id = id;
    r.Description = description;
    r.RasName = std::string(description) + " Dial-Up";
    r.SecsPerUnit = 30;
    r.Rounding = ROUNDING_HALF;
    r.PeriodToBill = PERIOD_MONTHLY;
    r.BillingDate = 15;
    r.PeriodicFee = 12.5;
    r.PrepaidMethod = PREPAID_DAILY_IN_FRAME;
    r.PrepaidCharge = 1.25;
    r.PrepaidFrame = 1;
    r.OffsetsConnectCharge = 1;
    r.DefaultFrame = 0;
    r.NumFrames = 3;
    r.FrameCharges = {0.05, 0.1, 0.025};
    r.FrameNames = {"Cheap", "Peak", "Frame2"};
    r.Schedules[1] = {{8, 0, 0, 17, 59, 59, 1}, {18, 0, 0, 23, 59, 59, 2}};
    r.Schedules[6] = {{0, 0, 0, 23, 59, 59, 2}};
    r.NumExceptions = 2;
    r.DayExceptions = {{126, 11, 25}, {127, 0, 1}};
    r.FrameForExceptions = 2;
    r.ConnectCharge = 0.2;
    r.MinCharge = 0.0;
    r.TollFree = 1;
    r.FrameCost.assign(3, 0.0);
    r.FrameTime.assign(3, 0);
    ComputeBillingPeriod(r, ToLocalTime(Now()));
    return r;
}

TEST_F(TariffStoreTest, EmptySectionTakesEveryDefault)
{
    TariffRecord r = Load("ISP7");
    EXPECT_EQ(r.Description, "ISP7");
    EXPECT_TRUE(r.RasName.empty());
    EXPECT_EQ(r.SecsPerUnit, 60);
    EXPECT_EQ(r.Rounding, 0);
    EXPECT_EQ(r.BillingDate, 0);
    EXPECT_EQ(r.NumFrames, 1);
    EXPECT_EQ(r.FrameCharges, std::vector<double>{0.0});
    EXPECT_EQ(r.FrameNames, std::vector<std::string>{"Frame0"});
    for (const auto& day : r.Schedules)
        EXPECT_TRUE(day.empty());
    EXPECT_EQ(r.NumExceptions, 0);
    ExpectZeroTotals(r);
    EXPECT_EQ(Load("Phone").Description, "Phone");
}

struct KeyCase {
    const char* key;
    const char* value;
    double expected;
    std::function<double(const TariffRecord&)> field;
};

#define FIELD(name) [](const TariffRecord& r) { return static_cast<double>(r.name); }

const KeyCase kKeyCases[] = {
    {"SecsPerUnit", "0", 60, FIELD(SecsPerUnit)},
    {"SecsPerUnit", "-5", 60, FIELD(SecsPerUnit)},
    {"SecsPerUnit", "abc", 60, FIELD(SecsPerUnit)},
    {"SecsPerUnit", "", 60, FIELD(SecsPerUnit)},
    {"SecsPerUnit", "30 seconds", 30, FIELD(SecsPerUnit)},
    {"SecsPerUnit", "99999999999", 2147483647, FIELD(SecsPerUnit)},
    {"Rounding", "3", 0, FIELD(Rounding)},
    {"Rounding", "-1", 0, FIELD(Rounding)},
    {"Rounding", "2", 2, FIELD(Rounding)},
    {"AccumulateBeforeRounding", "2", 0, FIELD(AccumulateBeforeRounding)},
    {"AccumulateBeforeRounding", "1", 1, FIELD(AccumulateBeforeRounding)},
    {"PeriodToBill", "2", 0, FIELD(PeriodToBill)},
    {"PeriodToBill", "1", 1, FIELD(PeriodToBill)},
    {"BillingDate", "31", 0, FIELD(BillingDate)},
    {"BillingDate", "-1", 0, FIELD(BillingDate)},
    {"BillingDate", "30", 30, FIELD(BillingDate)},
    {"PeriodicFee", "-1.5", 0, FIELD(PeriodicFee)},
    {"PeriodicFee", "9.990000", 9.99, FIELD(PeriodicFee)},
    {"PeriodicFee", "nan", 0, FIELD(PeriodicFee)},
    {"PeriodicFee", "1e999", 0, FIELD(PeriodicFee)},
    {"PeriodicFee", "junk", 0, FIELD(PeriodicFee)},
    {"PrepaidMethod", "3", 0, FIELD(PrepaidMethod)},
    {"PrepaidMethod", "2", 2, FIELD(PrepaidMethod)},
    {"PrepaidCharge", "-0.5", 0, FIELD(PrepaidCharge)},
    {"PrepaidFrame", "-1", 0, FIELD(PrepaidFrame)},
    {"PrepaidFrame", "7", 7, FIELD(PrepaidFrame)},
    {"DefaultFrame", "-3", 0, FIELD(DefaultFrame)},
    {"DefaultFrame", "9", 9, FIELD(DefaultFrame)},
    {"NumFrames", "0", 1, FIELD(NumFrames)},
    {"NumFrames", "-4", 1, FIELD(NumFrames)},
    {"NumFrames", "4", 4, FIELD(NumFrames)},
    {"NumExceptions", "-1", 0, FIELD(NumExceptions)},
    {"FrameForExceptions", "-1", 0, FIELD(FrameForExceptions)},
    {"FrameForExceptions", "5", 5, FIELD(FrameForExceptions)},
    {"ConnectCharge", "-1", 0, FIELD(ConnectCharge)},
    {"ConnectCharge", "0.150000", 0.15, FIELD(ConnectCharge)},
    {"MinCharge", "-1", 0, FIELD(MinCharge)},
    {"TollFree", "2", 0, FIELD(TollFree)},
    {"TollFree", "1", 1, FIELD(TollFree)},
};

TEST_F(TariffStoreTest, BadValuesTakeTheirKeysDefault)
{
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        ProfileWrite(IniFilePath, "ISP1", nullptr, nullptr);  // a fresh section
        Put("ISP1", c.key, c.value);
        TariffRecord r = Load();
        EXPECT_DOUBLE_EQ(c.field(r), c.expected);
        EXPECT_EQ(r.FrameCharges.size(), static_cast<std::size_t>(r.NumFrames));
        EXPECT_EQ(r.FrameNames.size(), static_cast<std::size_t>(r.NumFrames));
        ExpectZeroTotals(r);
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(TariffStoreTest, DescriptionAndRasName)
{
    Put("ISP2", "Description", "");
    Put("ISP2", "RasName", "");
    TariffRecord r = Load("ISP2");
    EXPECT_EQ(r.Description, "ISP2");
    EXPECT_TRUE(r.RasName.empty());
    EXPECT_EQ(GetIspDescription(2), "ISP2");

    Put("ISP2", "Description", "  Demon Internet  ");
    Put("ISP2", "RasName", "Demon");
    r = Load("ISP2");
    EXPECT_EQ(r.Description, "Demon Internet");
    EXPECT_EQ(r.RasName, "Demon");
    EXPECT_EQ(GetIspDescription(2), "Demon Internet");

    Put("ISP2", "Description", std::string(600, 'x').c_str());
    EXPECT_EQ(Load("ISP2").Description.size(), 511u);
}

struct FrameCase {
    const char* value;
    double charge;
    const char* name;
};

TEST_F(TariffStoreTest, FrameValues)
{
    const FrameCase cases[] = {
        {"0.025000,Peak", 0.025, "Peak"},
        {"Peak", 0.0, "Frame1"},
        {"-1,Cheap", 0.0, "Cheap"},
        {"0.5", 0.5, "Frame1"},
        {"0.5 Cheap", 0.5, "Frame1"},  // no comma: a charge alone
        {"0.1, Evening", 0.1, "Evening"},
        {"0.1,Off Peak", 0.1, "Off"},
        {"inf,Free", 0.0, "Free"},
        {"", 0.0, "Frame1"},
    };
    Put("ISP1", "NumFrames", "2");
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.value);
        Put("ISP1", "Frame1", c.value);
        TariffRecord r = Load();
        ASSERT_EQ(r.NumFrames, 2);
        EXPECT_DOUBLE_EQ(r.FrameCharges[1], c.charge);
        EXPECT_EQ(r.FrameNames[1], c.name);
        EXPECT_EQ(r.FrameNames[0], "Frame0");  // missing key
    }
}

TEST_F(TariffStoreTest, SchedulesAreReadSortedAndTruncatedAtTheFirstBadEntry)
{
    Put("ISP1", "NumFrames", "2");
    // Monday: valid, sorted by start; equal starts keep their stored order.
    Put("ISP1", "Mon0", "12:00:00-13:00:00,0");
    Put("ISP1", "Mon1", "08:30:00-17:00:00,1");
    Put("ISP1", "Mon2", "08:30:00-09:00:00,0");
    Put("ISP1", "Mon3", "8:5:0-8:6:0,1");
    // Sunday: a reversed entry empties the rest of the day, count kept.
    Put("ISP1", "Sun0", "17:00:00-08:00:00,1");
    Put("ISP1", "Sun1", "08:00:00-09:00:00,1");
    // Tuesday: counting stops at the first missing key.
    Put("ISP1", "Tue0", "01:00:00-02:00:00,1");
    Put("ISP1", "Tue1", "03:00:00-04:00:00,0");
    Put("ISP1", "Tue3", "05:00:00-06:00:00,0");
    // Wednesday: an empty first key means no schedule.
    Put("ISP1", "Wed0", "");
    Put("ISP1", "Wed1", "05:00:00-06:00:00,0");
    // Thursday..Saturday: one bad entry each, after a good one.
    Put("ISP1", "Thu0", "00:00:00-23:59:59,1");
    Put("ISP1", "Thu1", "09:00:00-10:00:00,5");  // frame out of range
    Put("ISP1", "Fri0", "10:00:00-11:00:00,0");
    Put("ISP1", "Fri1", "24:00:00-24:00:00,0");
    Put("ISP1", "Fri2", "11:00:00-12:00:00,1");
    Put("ISP1", "Sat0", "10:00:00-11:00:00,0");
    Put("ISP1", "Sat1", "08:00:00-09:00:00");  // no frame
    TariffRecord r = Load();

    const std::vector<ScheduleEntry> monday = {
        {8, 5, 0, 8, 6, 0, 1}, {8, 30, 0, 17, 0, 0, 1}, {8, 30, 0, 9, 0, 0, 0}, {12, 0, 0, 13, 0, 0, 0}};
    EXPECT_EQ(r.Schedules[1], monday);
    EXPECT_EQ(r.Schedules[0], std::vector<ScheduleEntry>(2));
    const std::vector<ScheduleEntry> tuesday = {{1, 0, 0, 2, 0, 0, 1}, {3, 0, 0, 4, 0, 0, 0}};
    EXPECT_EQ(r.Schedules[2], tuesday);
    EXPECT_TRUE(r.Schedules[3].empty());
    // Zero entries start at midnight too; the stable sort keeps the good one first.
    EXPECT_EQ(r.Schedules[4], (std::vector<ScheduleEntry>{{0, 0, 0, 23, 59, 59, 1}, {}}));
    EXPECT_EQ(r.Schedules[5], (std::vector<ScheduleEntry>{{}, {}, {10, 0, 0, 11, 0, 0, 0}}));
    EXPECT_EQ(r.Schedules[6], (std::vector<ScheduleEntry>{{}, {10, 0, 0, 11, 0, 0, 0}}));
}

TEST_F(TariffStoreTest, ScheduleEntryFieldLimits)
{
    const struct {
        const char* value;
        bool valid;
    } cases[] = {
        {"00:00:00-23:59:59,0", true}, {"10:00:00-10:00:00,0", true}, {"23:00:00-23:59:60,0", false},
        {"10:60:00-11:00:00,0", false}, {"-1:00:00-01:00:00,0", false}, {"10:00:00-09:59:59,0", false},
        {"10:00:01-10:00:00,0", false}, {"10:00:00-11:00:00,-1", false}, {"10:00:00 11:00:00,0", false},
        {"junk", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Put("ISP1", "Sun0", c.value);
        TariffRecord r = Load();
        ASSERT_EQ(r.Schedules[0].size(), 1u);
        EXPECT_EQ(r.Schedules[0][0] != ScheduleEntry{}, c.valid);
    }
}

TEST_F(TariffStoreTest, DayExceptions)
{
    Put("ISP1", "NumExceptions", "6");
    Put("ISP1", "DayException0", "2002/12/25");
    Put("ISP1", "DayException1", "1899/12/25");
    Put("ISP1", "DayException2", "2002/13/01");
    Put("ISP1", "DayException3", "2002/2/30");
    // DayException4 missing
    Put("ISP1", "DayException5", "2002-12-25");
    TariffRecord r = Load();
    ASSERT_EQ(r.NumExceptions, 6);
    const std::vector<DayExceptionEntry> expected = {{102, 11, 25}, {}, {}, {102, 1, 30}, {}, {}};
    EXPECT_EQ(r.DayExceptions, expected);
}

TEST_F(TariffStoreTest, InvariantsAreEnforcedOnLoad)
{
    const struct {
        int prepaidMethod;
        const char* minCharge;
        int accumulate, offsets;
        int wantAccumulate, wantOffsets;
    } cases[] = {
        {0, "0", 1, 1, 1, 0},   {0, "0.100000", 1, 0, 0, 0}, {1, "0", 1, 1, 0, 1},
        {2, "0", 0, 1, 0, 1},   {0, "0.000000", 1, 0, 1, 0},
    };
    for (const auto& c : cases) {
        Put("ISP1", "PrepaidMethod", std::to_string(c.prepaidMethod).c_str());
        Put("ISP1", "MinCharge", c.minCharge);
        Put("ISP1", "AccumulateBeforeRounding", std::to_string(c.accumulate).c_str());
        Put("ISP1", "OffsetsConnectCharge", std::to_string(c.offsets).c_str());
        TariffRecord r = Load();
        EXPECT_EQ(r.AccumulateBeforeRounding, c.wantAccumulate) << c.prepaidMethod << " " << c.minCharge;
        EXPECT_EQ(r.OffsetsConnectCharge, c.wantOffsets) << c.prepaidMethod << " " << c.minCharge;
    }
}

TEST_F(TariffStoreTest, SaveWritesTheStoredForms)
{
    TariffRecord r = RichTariff(1, "Demon");
    r.FrameNames[2] = "";  // no name: charge alone
    ASSERT_EQ(SaveTariff(r, "ISP1", IniFilePath), 0);
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"Description", "Demon"},
        {"RasName", "Demon Dial-Up"},
        {"SecsPerUnit", "30"},
        {"Rounding", "1"},
        {"PeriodicFee", "12.500000"},
        {"PrepaidCharge", "1.250000"},
        {"NumFrames", "3"},
        {"Frame0", "0.050000,Cheap"},
        {"Frame1", "0.100000,Peak"},
        {"Frame2", "0.025000"},
        {"Mon0", "08:00:00-17:59:59,1"},
        {"Mon1", "18:00:00-23:59:59,2"},
        {"Sat0", "00:00:00-23:59:59,2"},
        {"Sun0", "<missing>"},
        {"NumExceptions", "2"},
        {"DayException0", "2026/12/25"},
        {"DayException1", "2027/01/01"},
        {"FrameForExceptions", "2"},
        {"ConnectCharge", "0.200000"},
        {"MinCharge", "0.000000"},
        {"TollFree", "1"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(Get("ISP1", e.key), e.value) << e.key;

    r.RasName.clear();
    SaveTariff(r, "ISP1", IniFilePath);
    EXPECT_EQ(Get("ISP1", "RasName"), "<missing>");
}

TEST_F(TariffStoreTest, SaveDropsLeftoverScheduleKeys)
{
    for (int j = 0; j < 5; ++j)
        Put("ISP1", ("Mon" + std::to_string(j)).c_str(), "01:00:00-02:00:00,0");
    TariffRecord r = Load();
    ASSERT_EQ(r.Schedules[1].size(), 5u);
    r.Schedules[1].resize(2);
    SaveTariff(r, "ISP1", IniFilePath);
    EXPECT_EQ(Load().Schedules[1].size(), 2u);
    EXPECT_EQ(Get("ISP1", "Mon2"), "<missing>");
    EXPECT_NE(Get("ISP1", "Mon3"), "<missing>");  // harmless: counting stops at Mon2
}

TEST_F(TariffStoreTest, TextsCannotInjectKeys)
{
    TariffRecord r = RichTariff(1, "Evil\r\nTollFree=0\nSecsPerUnit=1");
    SaveTariff(r, "ISP1", IniFilePath);
    TariffRecord back = Load();
    EXPECT_EQ(back.TollFree, 1);
    EXPECT_EQ(back.SecsPerUnit, 30);
    EXPECT_EQ(back.Description, "Evil  TollFree=0 SecsPerUnit=1");
}

TEST_F(TariffStoreTest, WholeTableRoundTrip)
{
    TariffTable table;
    table.Isps = {RichTariff(1, "Demon"), RichTariff(5, "Freeserve")};
    table.Isps[1].PeriodToBill = PERIOD_WEEKLY;
    table.Isps[1].Schedules[1].clear();
    table.Isps[1].RasName.clear();
    table.Isps[1].TollFree = 0;
    ComputeBillingPeriod(table.Isps[1], ToLocalTime(Now()));
    table.Phone = RichTariff(0, "BT");
    table.Phone.RasName.clear();
    ASSERT_EQ(SaveTariffTable(table), 0);
    EXPECT_EQ(Get("Global", "ActiveIDs"), "1,5");
    EXPECT_EQ(Get("Global", "ReservedIDs"), "<missing>");

    TariffTable back;
    ASSERT_EQ(LoadTariffTable(Now(), back), 0);
    ASSERT_EQ(back.Isps.size(), 2u);
    ExpectSameTariff(back.Isps[0], table.Isps[0]);
    ExpectSameTariff(back.Isps[1], table.Isps[1]);
    ExpectSameTariff(back.Phone, table.Phone);
    ExpectZeroTotals(back.Isps[0]);
    EXPECT_TRUE(RecordedCodes().empty());

    // The count/array/phone form gives the same.
    std::int32_t count = -1;
    std::vector<TariffRecord> isps;
    TariffRecord phone;
    ASSERT_EQ(LoadTariffTable(Now(), count, isps, phone), 0);
    EXPECT_EQ(count, 2);
    ExpectSameTariff(isps[1], table.Isps[1]);
    ExpectSameTariff(phone, table.Phone);
}

TEST_F(TariffStoreTest, PeriodsFollowTheReferenceInstant)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    Put("Global", "ActiveIDs", "1,2");
    Put("ISP1", "BillingDate", "15");
    Put("ISP2", "PeriodToBill", "1");
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(LocalInstant(2026, 11, 3, 9, 0, 0), t), 0);
    EXPECT_EQ(t.Isps[0].PeriodStart.time, LocalInstant(2026, 10, 16));
    EXPECT_EQ(t.Isps[0].PeriodEnd.time, LocalInstant(2026, 11, 15, 23, 59, 59));
    EXPECT_EQ(t.Isps[1].PeriodStart.time, LocalInstant(2026, 11, 1));
    EXPECT_EQ(t.Isps[1].PeriodEnd.time, LocalInstant(2026, 11, 7, 23, 59, 59));
    EXPECT_EQ(t.Phone.PeriodStart.time, LocalInstant(2026, 11, 1));
    EXPECT_EQ(t.Phone.PeriodEnd.time, LocalInstant(2026, 11, 30, 23, 59, 59));
}

TEST_F(TariffStoreTest, MissingFileCreatesIspOne)
{
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(Now(), t), 0);
    ASSERT_EQ(t.Isps.size(), 1u);
    EXPECT_EQ(t.Isps[0].Id, 1);
    EXPECT_EQ(t.Isps[0].Description, "ISP1");
    EXPECT_EQ(t.Phone.Id, 0);
    EXPECT_EQ(t.Phone.Description, "Phone");
    EXPECT_EQ(Get("Global", "ActiveIDs"), "1");
}

TEST_F(TariffStoreTest, EmptyListTakesTheLowestFreeNumber)
{
    Put("Global", "ReservedIDs", "1,2");
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(Now(), t), 0);
    ASSERT_EQ(t.Isps.size(), 1u);
    EXPECT_EQ(t.Isps[0].Id, 3);
    EXPECT_EQ(t.Isps[0].Description, "ISP3");
    EXPECT_EQ(Get("Global", "ActiveIDs"), "3");
}

TEST_F(TariffStoreTest, ActiveListWithJunkAndDuplicates)
{
    Put("Global", "ActiveIDs", "3, 1,,x,0,-2,3");
    Put("ISP3", "Description", "Three");
    Put("ISP1", "Description", "One");
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(Now(), t), 0);
    ASSERT_EQ(t.Isps.size(), 3u);
    EXPECT_EQ(t.Isps[0].Id, 3);
    EXPECT_EQ(t.Isps[1].Id, 1);
    EXPECT_EQ(t.Isps[2].Id, 3);
    EXPECT_EQ(t.Isps[0].Description, "Three");
    EXPECT_EQ(t.Isps[2].Description, "Three");
    EXPECT_EQ(FindTariffById(t, 3), &t.Isps[0]);
}

TEST_F(TariffStoreTest, DeletedNumbersAreNeverReused)
{
    Put("Global", "ActiveIDs", "1,2,3");
    Put("Global", "ReservedIDs", "7");
    Put("ISP2", "Description", "Gone");
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(Now(), t), 0);
    t.Isps.erase(t.Isps.begin() + 1);
    ASSERT_EQ(SaveTariffTable(t), 0);
    EXPECT_EQ(Get("Global", "ActiveIDs"), "1,3");
    EXPECT_EQ(Get("Global", "ReservedIDs"), "7,2");
    EXPECT_EQ(Get("ISP2", "Description"), "Gone");  // left in place, no longer read

    TariffRecord fresh;
    ASSERT_EQ(CreateIspTariff(fresh, ToLocalTime(Now())), 0);
    EXPECT_EQ(fresh.Id, 4);
    EXPECT_EQ(fresh.Description, "ISP4");
    EXPECT_EQ(fresh.SecsPerUnit, 60);
    EXPECT_EQ(Get("Global", "ActiveIDs"), "1,3,4");

    // Saving the same table again reserves nothing twice.
    t.Isps.push_back(fresh);
    ASSERT_EQ(SaveTariffTable(t), 0);
    EXPECT_EQ(Get("Global", "ReservedIDs"), "7,2");

    // Deleting every ISP empties ActiveIDs (the key goes).
    t.Isps.clear();
    ASSERT_EQ(SaveTariffTable(t), 0);
    EXPECT_EQ(Get("Global", "ActiveIDs"), "<missing>");
    EXPECT_EQ(Get("Global", "ReservedIDs"), "7,2,1,3,4");
}

TEST_F(TariffStoreTest, NoNumberLeftIsError118)
{
    std::string all;
    for (int i = 1; i <= MAX_ISP_ID; ++i)
        all += (i > 1 ? "," : "") + std::to_string(i);
    Put("Global", "ReservedIDs", all.c_str());
    TariffRecord r;
    EXPECT_EQ(CreateIspTariff(r, ToLocalTime(Now())), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{118});
    testsupport::ClearRecordedErrors();
    TariffTable t;
    EXPECT_EQ(LoadTariffTable(Now(), t), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{118});
    EXPECT_TRUE(t.Isps.empty());
}

TEST_F(TariffStoreTest, HostileCountsFailLikeRunningOutOfMemory)
{
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"NumFrames", "2000000000"},
        {"NumExceptions", "99999999"},
        {"NumFrames", "10001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ProfileWrite(IniFilePath, "ISP1", nullptr, nullptr);
        Put("Global", "ActiveIDs", "1");
        Put("ISP1", c.key, c.value);
        testsupport::ClearRecordedErrors();
        TariffTable t;
        t.Isps.resize(2);  // whatever was there goes
        EXPECT_EQ(LoadTariffTable(Now(), t), -1);
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{105});
        EXPECT_TRUE(t.Isps.empty());

        TariffRecord r;
        EXPECT_EQ(LoadTariff(r, "ISP1", ToLocalTime(Now()), IniFilePath), -1);
        // What was read so far is consistent: no count without its arrays.
        EXPECT_EQ(r.FrameCharges.size(), static_cast<std::size_t>(r.NumFrames));
        EXPECT_EQ(r.DayExceptions.size(), static_cast<std::size_t>(r.NumExceptions));
    }
    // The largest count we accept still loads.
    ProfileWrite(IniFilePath, "ISP1", nullptr, nullptr);
    Put("ISP1", "NumExceptions", "10000");
    TariffRecord r = Load();
    EXPECT_EQ(r.DayExceptions.size(), 10000u);
}

TEST_F(TariffStoreTest, FindIspByRasName)
{
    Put("Global", "ActiveIDs", "1,2,3");
    Put("ISP1", "Description", "Other");
    Put("ISP1", "RasName", "MyISP");
    Put("ISP2", "Description", "MyISP");
    Put("ISP2", "RasName", "Elsewhere");
    Put("ISP3", "Description", "Plain");
    const struct {
        const char* name;
        int result;
        std::int32_t id;
    } cases[] = {
        {"MyISP", 0, 1}, {"myisp", -1, 0}, {"Elsewhere", 0, 2}, {"Plain", 0, 3}, {"Other", -1, 0}, {"", -1, 0},
    };
    for (const auto& c : cases) {
        std::int32_t id = 0;
        EXPECT_EQ(FindIspByRasName(c.name, id), c.result) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(id, c.id) << c.name;
        }
    }
    // An empty RasName counts as none: the Description is the identity.
    Put("ISP1", "RasName", "");
    Put("ISP2", "RasName", "");
    std::int32_t id = 0;
    EXPECT_EQ(FindIspByRasName("MyISP", id), 0);
    EXPECT_EQ(id, 2);
}

TEST_F(TariffStoreTest, FindIspByRasNameIsQuietWhenLoadingFails)
{
    Put("Global", "ActiveIDs", "1");
    Put("ISP1", "NumFrames", "2000000000");
    std::int32_t id = 0;
    EXPECT_EQ(FindIspByRasName("ISP1", id), -1);
    EXPECT_TRUE(RecordedCodes().empty());  // logged, but no box
}

TEST_F(TariffStoreTest, SetAndDeleteRasName)
{
    ASSERT_EQ(SetIspRasName(4, "Dial Up"), 0);
    EXPECT_EQ(Get("ISP4", "RasName"), "Dial Up");
    ASSERT_EQ(SetIspRasName(4, ""), 0);
    EXPECT_EQ(Get("ISP4", "RasName"), "<missing>");
    SetIspRasName(4, "Dial Up");
    ASSERT_EQ(DeleteRasName("ISP4", IniFilePath), 0);
    EXPECT_EQ(Get("ISP4", "RasName"), "<missing>");
}

TEST_F(TariffStoreTest, IspListSelectsTheDefault)
{
    Put("Global", "ActiveIDs", "4,2");
    Put("ISP4", "Description", "Four");
    Put("ISP2", "Description", "Two");
    Put("Global", "DefaultISP", "2");
    IspList list = BuildIspList(false);
    ASSERT_EQ(list.items.size(), 2u);
    EXPECT_EQ(list.items[0].description, "Four");
    EXPECT_EQ(list.items[0].ispId, 4);
    EXPECT_EQ(list.items[1].ispId, 2);
    EXPECT_EQ(list.selected, 1);

    Put("Global", "DefaultISP", "9");  // not in the list: the first item
    EXPECT_EQ(BuildIspList(false).selected, 0);

    Put("ISP4", "NumFrames", "2000000000");
    list = BuildIspList(true);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(list.items[0].description, "ISP1");
    EXPECT_EQ(list.items[0].ispId, 1);
    EXPECT_EQ(list.selected, 0);
    EXPECT_TRUE(RecordedCodes().empty());
}

// A file written through one profile backend reads back identically through
// the other (the Win32 API and our own reader/writer).
void CrossBackendRoundTrip(const ProfileBackend& writer, const ProfileBackend& reader)
{
    TariffTable table;
    table.Isps = {RichTariff(2, "Demon"), RichTariff(3, "Zetnet")};
    table.Isps[1].Schedules[0] = {{0, 0, 0, 7, 59, 59, 0}, {20, 0, 0, 23, 59, 59, 1}};
    table.Phone = RichTariff(0, "BT");
    table.Phone.RasName.clear();

    SetProfileBackend(&writer);
    // A longer schedule first, so the leftover-key deletion is exercised too.
    TariffRecord longer = table.Isps[0];
    longer.Schedules[1].push_back({23, 0, 0, 23, 30, 0, 0});
    longer.Schedules[1].push_back({23, 40, 0, 23, 50, 0, 0});
    SaveTariff(longer, "ISP2", IniFilePath);
    ASSERT_EQ(SaveTariffTable(table), 0);

    SetProfileBackend(&reader);
    TariffTable back;
    ASSERT_EQ(LoadTariffTable(Now(), back), 0);
    SetProfileBackend(nullptr);
    ASSERT_EQ(back.Isps.size(), 2u);
    ExpectSameTariff(back.Isps[0], table.Isps[0]);
    ExpectSameTariff(back.Isps[1], table.Isps[1]);
    ExpectSameTariff(back.Phone, table.Phone);
}

#ifdef _WIN32
TEST_F(TariffStoreTest, Win32WrittenFileReadsBackPortably)
{
    CrossBackendRoundTrip(Win32Profile(), IniProfileBackend);
    SetProfileBackend(&Win32Profile());
}

TEST_F(TariffStoreTest, PortablyWrittenFileReadsBackThroughWin32)
{
    CrossBackendRoundTrip(IniProfileBackend, Win32Profile());
    SetProfileBackend(&Win32Profile());
}
#else
TEST_F(TariffStoreTest, PortableBackendRoundTrip)
{
    CrossBackendRoundTrip(IniProfileBackend, IniProfileBackend);
}
#endif

// A section as a person might have edited it by hand: odd case, blanks,
// CR LF line ends, a comment. Both backends read it the same way.
TEST_F(TariffStoreTest, HandEditedSection)
{
    testsupport::WriteFileBytes(File("tolvane.ini"),
                                "[global]\r\nactiveids = 1\r\n\r\n[isp1]\r\n; my dial-up\r\n"
                                "description = Home Line \r\nsecsperunit=  15\r\nnumframes=2\r\n"
                                "frame0=0.010000,Night\r\nFRAME1 = 0.020000,Day\r\nmon0=08:00:00-18:00:00,1\r\n");
    ProfileFlush(IniFilePath);
    TariffTable t;
    ASSERT_EQ(LoadTariffTable(Now(), t), 0);
    ASSERT_EQ(t.Isps.size(), 1u);
    EXPECT_EQ(t.Isps[0].Description, "Home Line");
    EXPECT_EQ(t.Isps[0].SecsPerUnit, 15);
    EXPECT_EQ(t.Isps[0].FrameNames, (std::vector<std::string>{"Night", "Day"}));
    EXPECT_EQ(t.Isps[0].Schedules[1], (std::vector<ScheduleEntry>{{8, 0, 0, 18, 0, 0, 1}}));
}

} // namespace
