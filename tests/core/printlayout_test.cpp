// The printed report's layout: the text area from the margins, what each row
// of a tariff block holds and where it goes, and where pages begin and end.

#include <string>

#include "charging/printlayout.h"
#include "core/charging_support.h"

namespace {

// 8 by 10.5 inches printable at 600 dpi; 50-dot characters, 100-dot body
// lines and 120-dot heading lines.
PrinterMetrics Letter(int pageHeight = 6300)
{
    return PrinterMetrics{600, 600, 4800, pageHeight, 50, 100, 120};
}

std::string Span(int from, int to) { return std::to_string(from) + "-" + std::to_string(to); }

// One line per operation, the texts of one line joined: "y1-y2 L|R x1-x2 text...".
std::vector<std::string> Dumped(const std::vector<PrintOp>& ops)
{
    // In the order of PrintOpKind.
    const char* const kinds[] = {"begin page", "end page", "heading font", "body font", "restore font"};
    std::vector<std::string> out;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const PrintOp& op = ops[i];
        if (op.kind == PrintOpKind::Rule) {
            out.push_back("rule " + Span(op.x1, op.x2) + " at " + std::to_string(op.y1));
        } else if (op.kind != PrintOpKind::Text) {
            out.push_back(kinds[static_cast<int>(op.kind)] + std::string(op.blockStart ? " (a block's first)" : ""));
        } else {
            if (i == 0 || ops[i - 1].kind != PrintOpKind::Text || ops[i - 1].y1 != op.y1 || ops[i - 1].y2 != op.y2)
                out.push_back(Span(op.y1, op.y2));
            out.back() += (op.align == PrintAlign::Left ? " L" : " R") + Span(op.x1, op.x2) + " " + op.text;
        }
    }
    return out;
}

// The pages, "B(" a block's first and "P(" a page break, each block's heading
// and its y; "!" marks what is drawn outside a page or below its text area.
std::string Pages(const std::vector<PrintOp>& ops, int bottom)
{
    std::string s;
    bool open = false;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const PrintOp& op = ops[i];
        if (op.kind == PrintOpKind::BeginPage || op.kind == PrintOpKind::EndPage) {
            s += open == (op.kind == PrintOpKind::BeginPage) ? "!" : "";
            open = op.kind == PrintOpKind::BeginPage;
            s += open ? (op.blockStart ? "B(" : "P(") : " ) ";
        } else if (!open || op.y2 > bottom) {
            s += " !" + op.text;
        } else if (i > 0 && ops[i - 1].kind == PrintOpKind::HeadingFont) {
            s += " " + op.text + "@" + std::to_string(op.y1);
        }
    }
    return s + (open ? "!" : "");
}

std::vector<PrintOp> Layout(const PrinterSettings& settings, const TariffTable& table, int pageHeight = 6300)
{
    PageLayout layout = MeasurePageLayout(settings, Letter(pageHeight));
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

// Margins are cut to whole dots: the text area is 599-4500 across and 0-4950
// down; q = 975, and the first two columns end two characters before the next.
TEST(PrintLayout, OneBlockRowByRowFromTruncatedMargins)
{
    PrinterSettings settings;
    settings.printPhone = 0;
    settings.leftMargin = 0.99999, settings.rightMargin = 0.5, settings.topMargin = 0.0, settings.bottomMargin = 2.25;
    EXPECT_EQ(MeasurePageLayout(settings, Letter()).bottom, 4950);
    TariffTable table = Table(1);
    table.Isps[0].Description = "Fast & Cheap";
    const std::vector<std::string> expected = {
        "begin page (a block's first)",
        "heading font",
        "0-120 L599-4500 Fast & Cheap",
        "120-220 L599-4500 Period: 2026/03/16 to 2026/04/05 (YYYY/MM/DD)",
        "body font",
        "rule 599-4500 at 220",
        "420-520 R2549-3424 Time R3524-4500 Cost",
        "520-620 L599-2449 Peak R2549-3424 01:02:05 R3524-4500 6.20",
        "620-720 L599-2449 A_name_of_thirty_characters___ R2549-3424 100:00:00 R3524-4500 0.12",
        "720-820 L599-2449 Exactly_twenty_four_char R2549-3424 00:00:00 R3524-4500 0.00",
        "920-1020 L599-2449 Total frame cost R3524-4500 6.32",
        "1020-1120 L599-2449 Less: prepaid R3524-4500 1.00",
        "1120-1220 L599-2449 Excess R2549-3424 02:30:00 R3524-4500 7.50",
        "1220-1320 L599-2449 Add: monthly/weekly fee R3524-4500 19.95",
        "1320-1420 L599-2449 Amount payable R3524-4500 27.45",
        "1520-1620 L599-2449 Number of connections R3524-4500 12",
        "1620-1720 L599-2449 Last session R3524-4500 01:00:00",
        "restore font",
        "end page",
    };
    EXPECT_EQ(Dumped(Layout(settings, table)), expected);
}

// A block is 2020 dots high, its headings and first four rows 640; the text
// area starts at 600 and ends 600 above the page's bottom.
TEST(PrintLayout, PageBreaks)
{
    const struct {
        const char* name;
        int separatePage, printPhone, isps, pageHeight;
        const char* pages;
    } cases[] = {
        {"separate pages", 1, 1, 3, 6300, "B( ISP 1@600 ) B( ISP 2@600 ) B( ISP 3@600 ) B( Phone company@600 ) "},
        {"shared pages", 0, 1, 3, 6300, "B( ISP 1@600 ISP 2@2620 ISP 3@4640 ) P( Phone company@1600 ) "},
        {"rows move on mid-block", 0, 1, 3, 4200, "B( ISP 1@600 ISP 2@2620 ) P( ISP 3@1700 ) P( Phone company@600 ) "},
        {"a block filling the page", 0, 1, 0, 600 + 2020 + 600, "B( Phone company@600 ) "},
        {"no room for the head", 0, 0, 2, 600 + 2020 + 540 + 600, "B( ISP 1@600 ) P( ISP 2@600 ) "},
        {"room for the head", 0, 0, 2, 600 + 2020 + 640 + 600, "B( ISP 1@600 ISP 2@2620 ) P( ) "},
    };
    for (const auto& c : cases) {
        PrinterSettings settings;
        settings.separatePage = c.separatePage;
        settings.printPhone = c.printPhone;
        EXPECT_EQ(Pages(Layout(settings, Table(c.isps), c.pageHeight), c.pageHeight - 600), c.pages) << c.name;
    }
}

} // namespace
