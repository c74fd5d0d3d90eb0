// The printed report's layout: the text area and columns from the margins,
// what each row of a tariff block holds and where it goes, and where pages
// begin and end.

#include <algorithm>
#include <string>

#include "charging/printlayout.h"
#include "core/charging_support.h"

namespace {

// 8 by 10.5 inches printable at 600 dpi; 50-dot characters, 100-dot body
// lines and 120-dot heading lines.
PrinterMetrics Letter()
{
    PrinterMetrics m;
    m.dpiAcross = m.dpiDown = 600;
    m.pageWidth = 4800;
    m.pageHeight = 6300;
    m.charWidth = 50;
    m.bodyLine = 100;
    m.headingLine = 120;
    return m;
}

std::string Dump(const PrintOp& op)
{
    switch (op.kind) {
    case PrintOpKind::BeginPage: return op.blockStart ? "begin block page" : "begin page";
    case PrintOpKind::EndPage: return "end page";
    case PrintOpKind::HeadingFont: return "heading font";
    case PrintOpKind::BodyFont: return "body font";
    case PrintOpKind::RestoreFont: return "restore font";
    case PrintOpKind::Rule:
        return "rule " + std::to_string(op.x1) + "-" + std::to_string(op.x2) + " at " + std::to_string(op.y1);
    case PrintOpKind::Text: break;
    }
    return std::string(op.align == PrintAlign::Left ? "L " : "R ") + std::to_string(op.x1) + " " + std::to_string(op.y1) +
           " " + std::to_string(op.x2) + " " + std::to_string(op.y2) + " " + op.text;
}

std::vector<std::string> Dumped(const std::vector<PrintOp>& ops)
{
    std::vector<std::string> out;
    for (const PrintOp& op : ops)
        out.push_back(Dump(op));
    return out;
}

std::vector<PrintOp> Layout(const PrinterSettings& settings, const TariffTable& table,
                            const PrinterMetrics& metrics = Letter())
{
    PageLayout layout = MeasurePageLayout(settings, metrics);
    return LayoutUsageReport(layout, settings, table);
}

TariffTable Table(int isps)
{
    TariffTable table;
    for (int i = 1; i <= isps; ++i)
        table.Isps.push_back(chargingtest::ReportedTariff(("ISP " + std::to_string(i)).c_str(), i));
    table.Phone = chargingtest::ReportedTariff("Phone company", 0);
    return table;
}

int Count(const std::vector<PrintOp>& ops, PrintOpKind kind)
{
    return static_cast<int>(std::count_if(ops.begin(), ops.end(), [&](const PrintOp& op) { return op.kind == kind; }));
}

TEST(PrintLayout, TextAreaAndColumnsFromTheMargins)
{
    struct Case {
        double left, right, top, bottom;
        int l, r, t, b;
    } cases[] = {
        {1.0, 1.0, 1.0, 1.0, 600, 4200, 600, 5700},
        {0.99999, 0.5, 0.0, 2.25, 599, 4500, 0, 4950},  // truncated, never rounded
    };
    for (const Case& c : cases) {
        PrinterSettings s;
        s.leftMargin = c.left, s.rightMargin = c.right, s.topMargin = c.top, s.bottomMargin = c.bottom;
        const PageLayout layout = MeasurePageLayout(s, Letter());
        EXPECT_EQ(layout.left, c.l);
        EXPECT_EQ(layout.right, c.r);
        EXPECT_EQ(layout.top, c.t);
        EXPECT_EQ(layout.bottom, c.b);
    }
    // q = 900: names from 600 to 2400 less two characters, times end at
    // 3300 less two, costs at 4200.
    const PageLayout layout = MeasurePageLayout(PrinterSettings{}, Letter());
    const int columns[3][2] = {{600, 2300}, {2400, 3200}, {3300, 4200}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layout.columns[i].left, columns[i][0]) << i;
        EXPECT_EQ(layout.columns[i].right, columns[i][1]) << i;
    }
}

TEST(PrintLayout, OneBlockRowByRow)
{
    PrinterSettings settings;
    settings.printPhone = 0;
    TariffTable table = Table(1);
    table.Isps[0].Description = "Fast & Cheap";
    const std::vector<std::string> expected = {
        "begin block page",
        "heading font",
        "L 600 600 4200 720 Fast & Cheap",
        "L 600 720 4200 820 Period: 2026/03/16 to 2026/04/05 (YYYY/MM/DD)",
        "body font",
        "rule 600-4200 at 820",
        "R 2400 1020 3200 1120 Time",
        "R 3300 1020 4200 1120 Cost",
        "L 600 1120 2300 1220 Peak",
        "R 2400 1120 3200 1220 01:02:05",
        "R 3300 1120 4200 1220 6.20",
        "L 600 1220 2300 1320 A_name_of_thirty_characters___",
        "R 2400 1220 3200 1320 100:00:00",
        "R 3300 1220 4200 1320 0.12",
        "L 600 1320 2300 1420 Exactly_twenty_four_char",
        "R 2400 1320 3200 1420 00:00:00",
        "R 3300 1320 4200 1420 0.00",
        "L 600 1520 2300 1620 Total frame cost",
        "R 3300 1520 4200 1620 6.32",
        "L 600 1620 2300 1720 Less: prepaid",
        "R 3300 1620 4200 1720 1.00",
        "L 600 1720 2300 1820 Excess",
        "R 2400 1720 3200 1820 02:30:00",
        "R 3300 1720 4200 1820 7.50",
        "L 600 1820 2300 1920 Add: monthly/weekly fee",
        "R 3300 1820 4200 1920 19.95",
        "L 600 1920 2300 2020 Amount payable",
        "R 3300 1920 4200 2020 27.45",
        "L 600 2120 2300 2220 Number of connections",
        "R 3300 2120 4200 2220 12",
        "L 600 2220 2300 2320 Last session",
        "R 3300 2220 4200 2320 01:00:00",
        "restore font",
        "end page",
    };
    EXPECT_EQ(Dumped(Layout(settings, table)), expected);
}

// Begin and end alternate, every block begins a page when it must, and no
// text passes the bottom of the text area.
void ExpectWellFormedPages(const std::vector<PrintOp>& ops, int bottom)
{
    bool open = false;
    for (const PrintOp& op : ops) {
        if (op.kind == PrintOpKind::BeginPage) {
            EXPECT_FALSE(open) << "page begun twice";
            open = true;
        } else if (op.kind == PrintOpKind::EndPage) {
            EXPECT_TRUE(open) << "page ended twice";
            open = false;
        } else {
            EXPECT_TRUE(open) << "drawing outside a page: " << Dump(op);
            EXPECT_LE(op.y2, bottom) << Dump(op);
        }
    }
    EXPECT_FALSE(open) << "last page left open";
}

TEST(PrintLayout, PageBreaks)
{
    struct Case {
        const char* name;
        int separatePage, printPhone, isps;
        int pageHeight;
        int blockPages, pages;
    } cases[] = {
        {"separate pages", 1, 1, 3, 6300, 4, 4},
        {"shared pages", 0, 1, 3, 6300, 1, 2},
        {"phone left out", 0, 0, 1, 6300, 1, 1},
        // 1.5 blocks to a page: blocks move on and rows break mid-block.
        {"short pages", 0, 1, 3, 4200, 1, 3},
        {"one block a page", 0, 1, 0, 600 + 2020 + 600, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrinterSettings settings;
        settings.separatePage = c.separatePage;
        settings.printPhone = c.printPhone;
        PrinterMetrics metrics = Letter();
        metrics.pageHeight = c.pageHeight;
        const TariffTable table = Table(c.isps);
        const std::vector<PrintOp> ops = Layout(settings, table, metrics);
        ExpectWellFormedPages(ops, metrics.pageHeight - 600);
        EXPECT_EQ(Count(ops, PrintOpKind::BeginPage), c.pages);
        EXPECT_EQ(static_cast<int>(std::count_if(ops.begin(), ops.end(), [](const PrintOp& op) { return op.blockStart; })),
                  c.blockPages);
        // Every block's heading, in table order, the Phone block last.
        std::vector<std::string> headings;
        bool heading = false;
        for (const PrintOp& op : ops) {
            if (op.kind == PrintOpKind::HeadingFont)
                heading = true;
            else if (op.kind == PrintOpKind::Text && heading)
                headings.push_back(op.text), heading = false;
        }
        std::vector<std::string> expected;
        for (const TariffRecord& r : table.Isps)
            expected.push_back(r.Description);
        if (c.printPhone)
            expected.push_back("Phone company");
        EXPECT_EQ(headings, expected);
    }
}

TEST(PrintLayout, BlockMovesOnWhenItsHeadSoonWouldNotFit)
{
    // Room below the first block for two headings and three body lines only.
    PrinterSettings settings;
    settings.printPhone = 0;
    PrinterMetrics metrics = Letter();
    const int blockHeight = 2320 + 300 - 600;  // y after one block, from the top
    metrics.pageHeight = 600 + blockHeight + 2 * 120 + 3 * 100 + 600;
    const std::vector<PrintOp> ops = Layout(settings, Table(2), metrics);
    auto second = std::find_if(ops.begin(), ops.end(), [](const PrintOp& op) { return op.text == "ISP 2"; });
    ASSERT_NE(second, ops.end());
    EXPECT_EQ(second->y1, 600);
    EXPECT_EQ(Count(ops, PrintOpKind::BeginPage), 2);
    // One body line more and it begins below the first block.
    metrics.pageHeight += 100;
    const std::vector<PrintOp> fits = Layout(settings, Table(2), metrics);
    second = std::find_if(fits.begin(), fits.end(), [](const PrintOp& op) { return op.text == "ISP 2"; });
    ASSERT_NE(second, fits.end());
    EXPECT_EQ(second->y1, 2620);
}

} // namespace
