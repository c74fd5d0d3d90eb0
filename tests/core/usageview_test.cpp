// The texts of the usage dialog for one record, its chooser and the checks
// of the Save Usage Report form.
#include <gtest/gtest.h>

#include <limits>

#include "charging/usageview.h"
#include "core/charging_support.h"

namespace {

TariffRecord ShownRecord()
{
    TariffRecord r = chargingtest::StandardTariff();
    r.NumFrames = 3;
    r.FrameNames = {"Off", "Peak", "A frame name longer than twenty-four characters"};
    r.FrameCharges = {0.05, 0.10, 0.01};
    r.FrameTime = {12 * 3600 + 34 * 60 + 56, 100 * 3600, 0};
    r.FrameCost = {6.2, 10.005, 0.0};
    r.TotalFrameCost = 16.2;
    r.PrepaidUsed = 10.0;
    r.Remainder = -6.2;
    r.RemainderTime = 2 * 3600 + 4 * 60;
    r.PeriodicFee = 4.5;
    r.AmountPayable = 10.7;
    r.Connections = 17;
    r.LastSessionTime = 3725;
    LocalTime start{}, end{};
    start.tm_year = 126, start.tm_mon = 2, start.tm_mday = 1;
    end.tm_year = 126, end.tm_mon = 2, end.tm_mday = 31;
    r.PeriodStart.localTime = start;
    r.PeriodEnd.localTime = end;
    return r;
}

TEST(UsageView, DurationsAndAmounts)
{
    struct Case {
        std::int32_t seconds;
        const char* text;
    };
    for (const Case c : {Case{0, "00:00:00"}, Case{59, "00:00:59"}, Case{3725, "01:02:05"},
                         Case{12 * 3600 + 34 * 60 + 56, "12:34:56"}, Case{100 * 3600, "100:00:00"},
                         Case{-90, "00:01:30"}, Case{std::numeric_limits<std::int32_t>::max(), "596523:14:07"}})
        EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
    EXPECT_EQ(FormatAmount(6.2), "6.20");
    EXPECT_EQ(FormatAmount(0.0), "0.00");
    EXPECT_EQ(FormatAmount(-2.5), "-2.50");
    // No overflow for amounts no tariff should produce, but a file could.
    EXPECT_EQ(FormatAmount(1e300).size(), 304u);
}

TEST(UsageView, RecordWithExcess)
{
    const UsageView v = FormatUsageView(ShownRecord());
    EXPECT_EQ(v.periodTitle, "Period 2026/03/01 to 2026/03/31");
    ASSERT_EQ(v.rows.size(), 3u);
    EXPECT_EQ(v.rows[0].frame, "Off");
    EXPECT_EQ(v.rows[0].time, "12:34:56");
    EXPECT_EQ(v.rows[0].cost, "6.20");
    EXPECT_EQ(v.rows[1].time, "100:00:00");
    // The list has room for the whole name; only the text report cuts it.
    EXPECT_EQ(v.rows[2].frame, "A frame name longer than twenty-four characters");
    EXPECT_EQ(v.rows[2].time, "00:00:00");
    EXPECT_EQ(v.rows[2].cost, "0.00");
    EXPECT_EQ(v.totalFrameCost, "16.20");
    EXPECT_EQ(v.prepaidUsed, "10.00");
    EXPECT_TRUE(v.excess);
    EXPECT_EQ(v.remainderCostLabel, "Excess (cost)");
    EXPECT_EQ(v.remainderCost, "6.20");
    EXPECT_EQ(v.remainderTimeLabel, "Excess (time)");
    EXPECT_EQ(v.remainderTime, "02:04:00");
    EXPECT_EQ(v.periodicFee, "4.50");
    EXPECT_EQ(v.amountPayable, "10.70");
    EXPECT_EQ(v.connections, "17");
    EXPECT_EQ(v.lastSession, "01:02:05");
}

TEST(UsageView, RemainderLabelsForZeroPositiveAndNegativeZero)
{
    for (double remainder : {0.0, -0.0, 3.25}) {
        TariffRecord r = ShownRecord();
        r.Remainder = remainder;
        r.RemainderTime = 0;
        const UsageView v = FormatUsageView(r);
        EXPECT_FALSE(v.excess) << remainder;
        EXPECT_EQ(v.remainderCostLabel, "Remainder (cost)");
        EXPECT_EQ(v.remainderTimeLabel, "Remainder (time)");
        EXPECT_EQ(v.remainderCost, remainder == 0 ? "0.00" : "3.25");
        EXPECT_EQ(v.remainderTime, "00:00:00");
    }
}

TEST(UsageView, FrameArraysShorterThanTheCountShowZeros)
{
    TariffRecord r = ShownRecord();
    r.NumFrames = 4;  // one more than every array holds
    const UsageView v = FormatUsageView(r);
    ASSERT_EQ(v.rows.size(), 4u);
    EXPECT_EQ(v.rows[3].frame, "");
    EXPECT_EQ(v.rows[3].time, "00:00:00");
    EXPECT_EQ(v.rows[3].cost, "0.00");
}

TEST(UsageView, ChooserListsPhoneFirstAndOpensOnTheFirstIsp)
{
    TariffTable table;
    table.Phone.Description = "Phone Co";
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        TariffRecord r;
        r.Description = name;
        table.Isps.push_back(r);
    }
    EXPECT_EQ(UsageChooserItems(table), (std::vector<std::string>{"Phone Co", "Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(UsageChooserFirstItem(table), 1);
    EXPECT_EQ(UsageChooserRecord(table, 0), &table.Phone);
    EXPECT_EQ(UsageChooserRecord(table, 1), &table.Isps[0]);
    EXPECT_EQ(UsageChooserRecord(table, 3), &table.Isps[2]);
    EXPECT_EQ(UsageChooserRecord(table, 4), nullptr);
    EXPECT_EQ(UsageChooserRecord(table, -1), nullptr);  // LB_ERR: nothing selected
    table.Isps.clear();
    EXPECT_EQ(UsageChooserFirstItem(table), 0);
}

TEST(SaveReportForm, ChecksInOrderAndFillsTheChoice)
{
    struct Case {
        const char* what;
        SaveIspOption option;
        bool selected;
        const char* file;
        int result;
        bool allIsps;
        std::vector<std::int32_t> ids;
    };
    const Case cases[] = {
        {"all", SaveIspOption::All, false, "r.txt", 0, true, {}},
        {"one", SaveIspOption::Selected, true, "r.txt", 0, false, {7}},
        {"none", SaveIspOption::None, false, "r.txt", 0, false, {}},
        {"selected without an item", SaveIspOption::Selected, false, "r.txt", 2071, false, {}},
        {"no option", SaveIspOption::Unchosen, true, "r.txt", 2072, false, {}},
        {"no file", SaveIspOption::All, false, "", 2073, false, {}},
        {"the ISP is checked before the name", SaveIspOption::Selected, false, "", 2071, false, {}},
        {"the option is checked before the name", SaveIspOption::Unchosen, false, "", 2072, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool phone : {false, true}) {
            SaveReportForm form;
            form.option = c.option;
            form.ispSelected = c.selected;
            form.selectedIspId = 7;
            form.includePhone = phone;
            form.fileName = c.file;
            UsageReportChoice choice;
            choice.ispIds = {99};  // left alone on failure
            ASSERT_EQ(CheckSaveReportForm(form, choice), c.result);
            if (c.result != 0) {
                EXPECT_EQ(choice.ispIds, std::vector<std::int32_t>{99});
                continue;
            }
            EXPECT_EQ(choice.allIsps, c.allIsps);
            EXPECT_EQ(choice.ispIds, c.ids);
            EXPECT_EQ(choice.includePhone, phone);
        }
    }
}

} // namespace
