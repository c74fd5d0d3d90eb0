// Tariffs: billing periods (weekly, calendar month and billing day, at month
// and year ends, across daylight-saving changes); tariffs and ISP numbers in
// the settings file: each key and its bad values, schedules and exceptions,
// saving over an older save, the number lists and hostile files.

#include <functional>
#include <numeric>

#include "core/support.h"
#include "platform/clock.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariff/ispnumbers.h"
#include "tariff/tariff.h"
#include "tariff/tariffstore.h"

using testsupport::LocalInstant;
using testsupport::RecordedCodes;

namespace {

class TariffStoreTest : public testsupport::ProgramDirTest {
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
        return IniValue(section, key);
    }
    TariffRecord Load(const char* section = "ISP1")
    {
        TariffRecord r;
        EXPECT_EQ(LoadTariff(r, section, ToLocalTime(Now()), IniFilePath), 0);
        return r;
    }
};

#define FIELD(name) [](const TariffRecord& r) { return static_cast<double>(r.name); }
// The lines of section ISP1, and the value one field loads with: each key's
// good value where its default could not tell a key misread, and bad values.
const struct KeyCase { const char* lines; double expected; std::function<double(const TariffRecord&)> field; }
kKeyCases[] = {
    {"SecsPerUnit=0", 60, FIELD(SecsPerUnit)}, {"SecsPerUnit=30", 30, FIELD(SecsPerUnit)},
    {"Rounding=3", 0, FIELD(Rounding)}, {"Rounding=2", 2, FIELD(Rounding)},
    {"PeriodToBill=2", 0, FIELD(PeriodToBill)}, {"PeriodToBill=1", 1, FIELD(PeriodToBill)},
    {"BillingDate=31", 0, FIELD(BillingDate)}, {"BillingDate=30", 30, FIELD(BillingDate)},
    {"PeriodicFee=-1.5", 0, FIELD(PeriodicFee)}, {"PeriodicFee=nan", 0, FIELD(PeriodicFee)},
    {"PeriodicFee=1e999", 0, FIELD(PeriodicFee)}, {"PrepaidCharge=-0.5", 0, FIELD(PrepaidCharge)},
    {"PrepaidMethod=3", 0, FIELD(PrepaidMethod)}, {"PrepaidFrame=-1", 0, FIELD(PrepaidFrame)},
    {"PrepaidFrame=2", 2, FIELD(PrepaidFrame)}, {"DefaultFrame=9", 9, FIELD(DefaultFrame)},
    {"NumFrames=0", 1, FIELD(NumFrames)}, {"NumExceptions=-1", 0, FIELD(NumExceptions)},
    {"FrameForExceptions=-1", 0, FIELD(FrameForExceptions)}, {"MinCharge=-1", 0, FIELD(MinCharge)},
    {"TollFree=2", 0, FIELD(TollFree)}, {"TollFree=1", 1, FIELD(TollFree)},
    {"AccumulateBeforeRounding=2", 0, FIELD(AccumulateBeforeRounding)},
    // The invariants between keys.
    {"AccumulateBeforeRounding=1", 1, FIELD(AccumulateBeforeRounding)},
    {"AccumulateBeforeRounding=1\r\nMinCharge=0.1", 0, FIELD(AccumulateBeforeRounding)},
    {"AccumulateBeforeRounding=1\r\nPrepaidMethod=1", 0, FIELD(AccumulateBeforeRounding)},
    {"OffsetsConnectCharge=1", 0, FIELD(OffsetsConnectCharge)},
    {"OffsetsConnectCharge=1\r\nPrepaidMethod=2", 1, FIELD(OffsetsConnectCharge)},
};
#undef FIELD

TEST_F(TariffStoreTest, EachKeyLoadsAndBadValuesTakeItsDefault)
{
    for (const KeyCase& c : kKeyCases) {
        WriteIni(std::string("[ISP1]\r\n") + c.lines + "\r\n");
        EXPECT_DOUBLE_EQ(c.field(Load()), c.expected) << c.lines;
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(TariffStoreTest, TextsFrameValuesAndExceptions)
{
    Put("ISP2", "Description", "");
    EXPECT_EQ(Load("ISP2").Description, "ISP2");
    EXPECT_EQ(GetIspDescription(2), "ISP2");
    Put("ISP2", "Description", std::string(600, 'x').c_str());
    EXPECT_EQ(Load("ISP2").Description.size(), 511u);

    const struct { const char* value; double charge; const char* name; } frames[] = {
        {"0.025000,Peak", 0.025, "Peak"}, {"Peak", 0.0, "Frame1"},   {"-1,Cheap", 0.0, "Cheap"},
        {"0.5 Cheap", 0.5, "Frame1"},     {"0.1, Evening", 0.1, "Evening"}, {"0.1,Off Peak", 0.1, "Off"},
        {"inf,Free", 0.0, "Free"},        {"", 0.0, "Frame1"},
    };
    Put("ISP1", "NumFrames", "2");
    for (const auto& c : frames) {
        Put("ISP1", "Frame1", c.value);
        TariffRecord r = Load();
        EXPECT_DOUBLE_EQ(r.FrameCharges[1], c.charge) << c.value;
        EXPECT_EQ(r.FrameNames, (std::vector<std::string>{"Frame0", c.name})) << c.value;  // Frame0 missing
    }

    WriteIni("[ISP1]\r\nNumExceptions=6\r\nDayException0=2002/12/25\r\nDayException1=1899/12/25\r\n"
             "DayException2=2002/13/01\r\nDayException3=2002/2/30\r\nDayException5=2002-12-25\r\n");
    EXPECT_EQ(Load().DayExceptions, (std::vector<DayExceptionEntry>{{102, 11, 25}, {}, {}, {102, 1, 30}, {}, {}}));
}

TEST_F(TariffStoreTest, SchedulesAreReadSortedAndTruncatedAtTheFirstBadEntry)
{
    WriteIni("[ISP1]\r\nNumFrames=2\r\n"
            // sorted by start; equal starts keep their stored order
            "Mon0=12:00:00-13:00:00,0\r\nMon1=08:30:00-17:00:00,1\r\nMon2=08:30:00-09:00:00,0\r\nMon3=8:5:0-8:6:0,1\r\n"
            "Sun0=17:00:00-08:00:00,1\r\nSun1=08:00:00-09:00:00,1\r\n"  // reversed: the rest zeroed, count kept
            "Tue0=01:00:00-02:00:00,1\r\nTue1=03:00:00-04:00:00,0\r\nTue3=05:00:00-06:00:00,0\r\n"  // stops at Tue2
            "Wed0=\r\nWed1=05:00:00-06:00:00,0\r\n"
            "Thu0=00:00:00-23:59:59,1\r\nThu1=09:00:00-10:00:00,5\r\n"  // frame out of range
            "Fri0=10:00:00-11:00:00,0\r\nFri1=24:00:00-24:00:00,0\r\nFri2=11:00:00-12:00:00,1\r\n"
            "Sat0=10:00:00-10:00:00,0\r\nSat1=08:00:00-09:00:00\r\n");  // no frame
    TariffRecord r = Load();
    EXPECT_EQ(r.Schedules[1], (std::vector<ScheduleEntry>{{8, 5, 0, 8, 6, 0, 1}, {8, 30, 0, 17, 0, 0, 1},
                                                          {8, 30, 0, 9, 0, 0, 0}, {12, 0, 0, 13, 0, 0, 0}}));
    EXPECT_EQ(r.Schedules[0], std::vector<ScheduleEntry>(2));
    EXPECT_EQ(r.Schedules[2], (std::vector<ScheduleEntry>{{1, 0, 0, 2, 0, 0, 1}, {3, 0, 0, 4, 0, 0, 0}}));
    EXPECT_TRUE(r.Schedules[3].empty());
    // Zero entries start at midnight too; the stable sort keeps the good one first.
    EXPECT_EQ(r.Schedules[4], (std::vector<ScheduleEntry>{{0, 0, 0, 23, 59, 59, 1}, {}}));
    EXPECT_EQ(r.Schedules[5], (std::vector<ScheduleEntry>{{}, {}, {10, 0, 0, 11, 0, 0, 0}}));
    EXPECT_EQ(r.Schedules[6], (std::vector<ScheduleEntry>{{}, {10, 0, 0, 10, 0, 0, 0}}));

    for (const char* bad : {"23:00:00-23:59:60,0", "10:60:00-11:00:00,0", "-1:00:00-01:00:00,0",
                            "10:00:01-10:00:00,0", "10:00:00-11:00:00,-1", "10:00:00 11:00:00,0"}) {
        Put("ISP1", "Sun0", bad);
        EXPECT_EQ(Load().Schedules[0], std::vector<ScheduleEntry>(2)) << bad;
    }
}

// Saving over an older save leaves nothing of it behind: a schedule now
// shorter, a RasName now empty, a frame now without a name (its charge alone).
TEST_F(TariffStoreTest, ASaveLeavesNoOlderKeysBehind)
{
    TariffRecord r = Load("ISP5");
    r.RasName = "Zetnet Dial-Up";
    r.Schedules[1] = {{8, 0, 0, 17, 59, 59, 0}, {23, 0, 0, 23, 30, 0, 0}};
    r.FrameNames = {"Peak"};
    ASSERT_EQ(SaveTariff(r, "ISP5", IniFilePath), 0);
    r.RasName.clear();
    r.Schedules[1].pop_back();
    r.FrameNames[0].clear();
    ASSERT_EQ(SaveTariff(r, "ISP5", IniFilePath), 0);
    ProfileFlush(IniFilePath);
    EXPECT_EQ(IniValues("ISP5", {"RasName", "Frame0", "Mon0", "Mon1"}), "<none>|0.000000|08:00:00-17:59:59,0|<none>");
}

TEST_F(TariffStoreTest, TheTableFollowsActiveIDsAndNumbersLeavingItAreReservedForGood)
{
    TariffTable t;
    const auto loaded = [&] {  // the ISPs loaded, then ActiveIDs
        EXPECT_EQ(LoadTariffTable(Now(), t), 0);
        std::string ids;
        for (const TariffRecord& r : t.Isps)
            ids += std::to_string(r.Id) + ":" + r.Description + " ";
        return ids + Get("Global", "ActiveIDs");
    };
    EXPECT_EQ(loaded(), "1:ISP1 1");  // no file: ISP 1 is created
    WriteIni("[Global]\r\nActiveIDs=3, 1,,x,0,-2,3\r\n[ISP3]\r\nDescription=Three\r\n");
    EXPECT_EQ(loaded(), "3:Three 1:ISP1 3:Three 3, 1,,x,0,-2,3");  // junk dropped, duplicates kept

    WriteIni("[Global]\r\nActiveIDs=1,2,4\r\nReservedIDs=3,7\r\n");
    loaded();
    t.Isps.erase(t.Isps.begin() + 1);
    TariffRecord fresh;
    ASSERT_EQ(CreateIspTariff(fresh, ToLocalTime(Now())), 0);  // the lowest number never used
    t.Isps.push_back(fresh);
    for (int twice = 0; twice < 2; ++twice) {  // saving again reserves nothing twice
        ASSERT_EQ(SaveTariffTable(t), 0);
        EXPECT_EQ(Get("Global", "ActiveIDs") + " " + Get("Global", "ReservedIDs"), "1,4,5 3,7,2");
    }
    t.Isps.clear();
    ASSERT_EQ(SaveTariffTable(t), 0);
    EXPECT_EQ(Get("Global", "ActiveIDs") + " " + Get("Global", "ReservedIDs"), "<none> 3,7,2,1,4,5");
}

TEST_F(TariffStoreTest, NoNumberLeftIsError118)
{
    const ProfileBackend& saved = CurrentProfileBackend();
    SetProfileBackend(&IniProfileBackend);  // Wine's profile API cuts a 185 KB value short
    IdList all(MAX_ISP_ID);
    std::iota(all.begin(), all.end(), 1);
    Put("Global", "ReservedIDs", FormatIdList(all).c_str());
    TariffTable t;
    EXPECT_EQ(LoadTariffTable(Now(), t), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{118});
    EXPECT_EQ(Get("Global", "ActiveIDs"), "<none>");
    EXPECT_EQ(GetDefaultIsp(), 1);  // the default still never fails
    SetProfileBackend(&saved);
}

// Counts no real tariff has, in one section or multiplied over the table,
// fail like running out of memory, leaving the table empty; the largest
// accepted still load.
TEST_F(TariffStoreTest, HostileCountsFailLikeRunningOutOfMemory)
{
    std::string manyIds = "[Global]\r\nActiveIDs=1";
    for (int i = 1; i < MAX_TARIFF_COUNT; ++i)
        manyIds += ",1";
    const std::pair<std::string, std::size_t> cases[] = {  // the file, the ISPs loaded (0: error 105)
        {"[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nNumFrames=2000000000\r\n", 0},
        {"[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nNumExceptions=10001\r\n", 0},
        {manyIds + "\r\n[ISP1]\r\nNumFrames=10000\r\n", 0},
        {manyIds + ",1\r\n", 0},  // one ISP number too many
        {"[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nNumExceptions=10000\r\n", 1},
        {manyIds + "\r\n[ISP1]\r\nNumExceptions=20\r\nNumFrames=20\r\n", 10000},
    };
    for (const auto& [text, loaded] : cases) {
        WriteIni(text);
        testsupport::ClearRecordedErrors();
        TariffTable t;
        t.Isps.resize(2);  // whatever was there goes
        EXPECT_EQ(LoadTariffTable(Now(), t), loaded ? 0 : -1);
        EXPECT_EQ(RecordedCodes(), loaded ? std::vector<ErrorCode>{} : std::vector<ErrorCode>{105});
        EXPECT_EQ(t.Isps.size(), loaded);
    }
}

// The identity of an ISP is its RasName, or without one its Description; the
// default ISP is the key's, else the first active one.
TEST_F(TariffStoreTest, IspIdentityTheDefaultAndTheChooser)
{
    WriteIni("[Global]\r\nActiveIDs=3,1,2\r\nDefaultISP=2\r\n[ISP1]\r\nDescription=Other\r\nRasName=MyISP\r\n"
            "[ISP2]\r\nDescription=MyISP\r\nRasName=Elsewhere\r\n[ISP3]\r\nDescription=Plain\r\n");
    const auto found = [](const char* name) {  // the ISP a name identifies, 0 for none
        std::int32_t id = 0;
        return FindIspByRasName(name, id) == 0 ? id : 0;
    };
    const auto items = [](const IspList& list) {
        std::string s = std::to_string(list.selected);
        for (const auto& item : list.items)
            s += " " + std::to_string(item.ispId) + ":" + item.description;
        return s;
    };
    for (auto [name, id] : {std::pair{"MyISP", 1}, {"myisp", 0}, {"Elsewhere", 2}, {"Plain", 3}, {"Other", 0}, {"", 0}})
        EXPECT_EQ(found(name), id) << name;
    EXPECT_EQ(items(BuildIspList(false)), "2 3:Plain 1:Other 2:MyISP");
    ASSERT_EQ(SetIspRasName(2, ""), 0);
    ASSERT_EQ(SetIspRasName(1, "Dial Up"), 0);
    EXPECT_EQ(found("MyISP"), 2);

    Put("Global", "DefaultISP", "9");  // not in the list: still the default, the chooser shows the first
    EXPECT_EQ(GetDefaultIsp(), 9);
    EXPECT_EQ(BuildIspList(false).selected, 0);
    Put("Global", "DefaultISP", "-3");
    EXPECT_EQ(GetDefaultIsp(), 3);
    Put("ISP3", "NumFrames", "2000000000");  // loading fails: quietly
    EXPECT_EQ(found("Plain"), 0);
    EXPECT_EQ(items(BuildIspList(true)), "0 1:ISP1");
    EXPECT_TRUE(RecordedCodes().empty());

    std::filesystem::remove(IniFilePath);  // no settings file: ISP 1 is made, once
    ProfileFlush(IniFilePath);
    EXPECT_EQ(GetDefaultIsp() + GetDefaultIsp(), 2);
    EXPECT_EQ(Get("Global", "ActiveIDs"), "1");
}

struct Ymd { int year, month, day; };  // month 1-12

TariffRecord PeriodAt(int periodToBill, int billingDate, const LocalTime& reference)
{
    TariffRecord r;
    r.PeriodToBill = periodToBill;
    r.BillingDate = billingDate;
    EXPECT_EQ(ComputeBillingPeriod(r, reference), 0);
    return r;
}

// The period runs from the first day's 00:00:00 to the last day's 23:59:59,
// holds the normalised fields of those instants, and its neighbours begin
// and end exactly next to it.
void ExpectPeriod(const TariffRecord& r, Ymd first, Ymd last)
{
    EXPECT_EQ(r.PeriodStart.time, LocalInstant(first.year, first.month, first.day, 0, 0, 0));
    EXPECT_EQ(r.PeriodEnd.time, LocalInstant(last.year, last.month, last.day, 23, 59, 59));
    EXPECT_EQ(ToLocalTime(r.PeriodStart.time), r.PeriodStart.localTime);
    EXPECT_EQ(ToLocalTime(r.PeriodEnd.time), r.PeriodEnd.localTime);
    const auto around = [&](std::int64_t t) { return PeriodAt(r.PeriodToBill, r.BillingDate, ToLocalTime(t)); };
    EXPECT_EQ(around(r.PeriodStart.time - 1).PeriodEnd.time, r.PeriodStart.time - 1);
    EXPECT_EQ(around(r.PeriodEnd.time + 1).PeriodStart.time, r.PeriodEnd.time + 1);
}

// 2026-03-01 is a Sunday; 2024 is a leap year.
struct PeriodCase { const char* what; int periodToBill, billingDate; Ymd reference, first, last; };
const PeriodCase kPeriodCases[] = {
    {"weekly Sunday starts on its own day", 1, 0, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly Saturday ends on its own day", 1, 0, {2026, 3, 7}, {2026, 3, 1}, {2026, 3, 7}},
    {"weekly across the year end", 1, 0, {2026, 12, 31}, {2026, 12, 27}, {2027, 1, 2}},
    {"weekly ignores BillingDate", 1, 15, {2026, 3, 20}, {2026, 3, 15}, {2026, 3, 21}},
    {"calendar month, leap February", 0, 0, {2024, 2, 29}, {2024, 2, 1}, {2024, 2, 29}},
    {"day 15, reference on the 15th", 0, 15, {2026, 3, 15}, {2026, 2, 16}, {2026, 3, 15}},
    {"day 15, reference on the 16th", 0, 15, {2026, 3, 16}, {2026, 3, 16}, {2026, 4, 15}},
    {"day 1 on the 1st", 0, 1, {2026, 1, 1}, {2025, 12, 2}, {2026, 1, 1}},
    {"day 29 in plain February", 0, 29, {2026, 2, 10}, {2026, 1, 30}, {2026, 2, 28}},
    {"day 29 after plain February", 0, 29, {2026, 3, 1}, {2026, 3, 1}, {2026, 3, 29}},
    {"day 30 on 31 January", 0, 30, {2026, 1, 31}, {2026, 1, 31}, {2026, 2, 28}},
    {"day 30 in leap February", 0, 30, {2024, 2, 29}, {2024, 1, 31}, {2024, 2, 29}},
    {"day 30 on 31 December", 0, 30, {2026, 12, 31}, {2026, 12, 31}, {2027, 1, 30}},
    // New York 2026: clocks go forward 8 March 02:00, back 1 November 02:00.
    {"weekly from the day of the change", 1, 0, {2026, 3, 10}, {2026, 3, 8}, {2026, 3, 14}},
    {"day 1, ending on the longer day", 0, 1, {2026, 11, 1}, {2026, 10, 2}, {2026, 11, 1}},
};

void RunPeriodTable()
{
    for (const PeriodCase& c : kPeriodCases) {
        SCOPED_TRACE(c.what);
        // The first and the last second of the reference day.
        for (int second : {0, 86399}) {
            const std::int64_t ref = LocalInstant(c.reference.year, c.reference.month, c.reference.day) + second;
            ExpectPeriod(PeriodAt(c.periodToBill, c.billingDate, ToLocalTime(ref)), c.first, c.last);
        }
    }
}

TEST(BillingPeriod, ReferenceDatesInTheMachineZone)
{
    RunPeriodTable();  // under Wine this is the only zone there is
}

TEST(BillingPeriod, ReferenceDatesInNewYork)
{
    TOLVANE_REQUIRE_TZ("America/New_York");
    RunPeriodTable();  // its last rows span the clock changes
}

// Fields that were never normalised (weekday unset, hour past the day) still
// name the right day: weekly periods must not trust tm_wday.
TEST(BillingPeriod, UnnormalisedReferenceFields)
{
    // 4 March 2026 with tm_wday left at Sunday; day 0 of April at hour 27, that is 1 April 03:00.
    ExpectPeriod(PeriodAt(PERIOD_WEEKLY, 0, {.tm_mday = 4, .tm_mon = 2, .tm_year = 126}), {2026, 3, 1}, {2026, 3, 7});
    ExpectPeriod(PeriodAt(PERIOD_MONTHLY, 30, {.tm_hour = 27, .tm_mday = 0, .tm_mon = 3, .tm_year = 126}),
                 {2026, 3, 31}, {2026, 4, 30});
}

// Brazil used to start summer time at midnight, so 00:00:00 of that day did
// not exist; the period still starts at the first second of the day.
TEST(BillingPeriod, DayWithoutMidnight)
{
    TOLVANE_REQUIRE_TZ("America/Sao_Paulo");
    const TariffRecord r = PeriodAt(PERIOD_MONTHLY, 3, ToLocalTime(LocalInstant(2018, 11, 10, 12)));
    EXPECT_EQ(FormatLocalTime("%Y-%m-%d %H:%M:%S", r.PeriodStart.localTime) + " " +
                  FormatLocalTime("%Y-%m-%d", r.PeriodEnd.localTime), "2018-11-04 01:00:00 2018-12-03");
    EXPECT_EQ(PeriodAt(PERIOD_MONTHLY, 3, ToLocalTime(r.PeriodStart.time - 1)).PeriodEnd.time + 1, r.PeriodStart.time);
}

} // namespace
