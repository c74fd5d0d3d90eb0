// What the usage dialog's texts and chooser do with odd records (the window
// tests show the ordinary ones), and the checks of the Save Usage Report form.

#include "charging/usageview.h"
#include "core/charging_support.h"

namespace {

TEST(UsageView, FramesPastTheArraysNegativeZeroAndHugeValues)
{
    TariffRecord r = chargingtest::ReportedTariff();
    r.NumFrames = 4;  // one more than every array holds
    r.Remainder = -0.0;
    r.LastSessionTime = -3725;
    const UsageView v = FormatUsageView(r);
    ASSERT_EQ(v.rows.size(), 4u);
    EXPECT_EQ(v.rows[3].frame + "|" + v.rows[3].time + "|" + v.rows[3].cost, "|00:00:00|0.00");
    EXPECT_EQ(v.remainderCostLabel + " " + v.remainderCost + (v.excess ? " excess" : ""), "Remainder (cost) 0.00");
    EXPECT_EQ(v.lastSession, "01:02:05");
    EXPECT_EQ(FormatAmount(1e300).size(), 304u);  // no tariff gives this, but a file could
}

TEST(UsageView, ChooserItemsOutOfRangeAndATableWithoutIsps)
{
    TariffTable table{std::vector<TariffRecord>(2), TariffRecord{}};
    EXPECT_EQ(UsageChooserRecord(table, 2), &table.Isps[1]);
    EXPECT_EQ(UsageChooserRecord(table, 3), nullptr);
    EXPECT_EQ(UsageChooserRecord(table, -1), nullptr);  // LB_ERR: nothing selected
    table.Isps.clear();
    EXPECT_EQ(UsageChooserFirstItem(table), 0);
    EXPECT_EQ(UsageChooserRecord(table, 0), &table.Phone);
}

TEST(SaveReportForm, ChecksInOrderAndFillsTheChoice)
{
    const struct { SaveIspOption option; bool selected; const char* file; int result; } cases[] = {
        {SaveIspOption::All, false, "r.txt", 0},       {SaveIspOption::Selected, true, "r.txt", 0},
        {SaveIspOption::None, false, "r.txt", 0},      {SaveIspOption::Selected, false, "", 2071},
        {SaveIspOption::Unchosen, true, "", 2072},     {SaveIspOption::All, false, "", 2073},
    };
    for (const auto& c : cases) {
        const bool phone = c.option != SaveIspOption::All;
        UsageReportChoice choice{false, {99}, false};  // left alone on failure
        ASSERT_EQ(CheckSaveReportForm({c.option, c.selected, 7, phone, c.file}, choice), c.result);
        const bool ok = c.result == 0;
        EXPECT_EQ(choice.allIsps, ok && c.option == SaveIspOption::All);
        EXPECT_EQ(choice.ispIds, ok ? std::vector<std::int32_t>(c.option == SaveIspOption::Selected, 7)
                                    : std::vector<std::int32_t>{99});
        EXPECT_EQ(choice.includePhone, ok && phone);
    }
}

} // namespace
