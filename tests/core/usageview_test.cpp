// The texts of the usage dialog for one record, its chooser and the checks
// of the Save Usage Report form.

#include "charging/usageview.h"
#include "core/charging_support.h"

namespace {

// Every text of the view, in the dialog's order.
std::string Joined(const UsageView& v)
{
    std::string s = v.periodTitle;
    for (const UsageRow& row : v.rows)
        s += " | " + row.frame + " " + row.time + " " + row.cost;
    for (const std::string* t : {&v.totalFrameCost, &v.prepaidUsed, &v.remainderCostLabel, &v.remainderCost,
                                 &v.remainderTimeLabel, &v.remainderTime, &v.periodicFee, &v.amountPayable,
                                 &v.connections, &v.lastSession})
        s += " | " + *t;
    return s + (v.excess ? " | excess" : "");
}

TEST(UsageView, AllTextsOfARecord)
{
    TariffRecord r = chargingtest::ReportedTariff();
    r.NumFrames = 4;  // one more than every array holds
    r.LastSessionTime = -3725;
    // The list has room for the whole frame name; only the text report cuts it.
    const std::string head = "Period 2026/03/16 to 2026/04/05 | Peak 01:02:05 6.20 | A_name_of_thirty_characters___ "
                             "100:00:00 0.12 | Exactly_twenty_four_char 00:00:00 0.00 |  00:00:00 0.00 | 6.32 | 1.00";
    const std::string tail = "02:30:00 | 19.95 | 27.45 | 12 | 01:02:05";
    EXPECT_EQ(Joined(FormatUsageView(r)), head + " | Excess (cost) | 7.50 | Excess (time) | " + tail + " | excess");
    r.Remainder = 3.25;
    EXPECT_EQ(Joined(FormatUsageView(r)), head + " | Remainder (cost) | 3.25 | Remainder (time) | " + tail);
    r.Remainder = -0.0;
    EXPECT_EQ(FormatUsageView(r).remainderCost, "0.00");
    EXPECT_FALSE(FormatUsageView(r).excess);
    EXPECT_EQ(FormatDuration(2147483647), "596523:14:07");
    EXPECT_EQ(FormatAmount(-2.5), "-2.50");
    EXPECT_EQ(FormatAmount(1e300).size(), 304u);  // no tariff gives this, but a file could
}

TEST(UsageView, ChooserListsPhoneFirstAndOpensOnTheFirstIsp)
{
    TariffTable table{std::vector<TariffRecord>(3), TariffRecord{}};
    table.Phone.Description = "Phone Co";
    table.Isps[0].Description = "Alpha";
    table.Isps[2].Description = "Gamma";
    EXPECT_EQ(UsageChooserItems(table), (std::vector<std::string>{"Phone Co", "Alpha", "", "Gamma"}));
    EXPECT_EQ(UsageChooserFirstItem(table), 1);
    EXPECT_EQ(UsageChooserRecord(table, 0), &table.Phone);
    EXPECT_EQ(UsageChooserRecord(table, 3), &table.Isps[2]);
    EXPECT_EQ(UsageChooserRecord(table, 4), nullptr);
    EXPECT_EQ(UsageChooserRecord(table, -1), nullptr);  // LB_ERR: nothing selected
    table.Isps.clear();
    EXPECT_EQ(UsageChooserFirstItem(table), 0);
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
