#include "charging/printlayout.h"

#include "charging/usageview.h"

PageLayout MeasurePageLayout(const PrinterSettings& settings, const PrinterMetrics& metrics)
{
    PageLayout layout;
    layout.metrics = metrics;
    // Truncation toward zero, as a cast does.
    layout.left = static_cast<int>(metrics.dpiAcross * settings.leftMargin);
    layout.right = metrics.pageWidth - static_cast<int>(metrics.dpiAcross * settings.rightMargin);
    layout.top = static_cast<int>(metrics.dpiDown * settings.topMargin);
    layout.bottom = metrics.pageHeight - static_cast<int>(metrics.dpiDown * settings.bottomMargin);
    const int q = (layout.right - layout.left) / 4;
    const int gap = 2 * metrics.charWidth;
    layout.columns[0] = {layout.left, layout.left + 2 * q - gap};
    layout.columns[1] = {layout.left + 2 * q, layout.left + 3 * q - gap};
    layout.columns[2] = {layout.left + 3 * q, layout.right};
    layout.y = layout.top;
    return layout;
}

namespace {

int LineHeight(const PageLayout& layout, bool heading)
{
    return heading ? layout.metrics.headingLine : layout.metrics.bodyLine;
}

void Add(std::vector<PrintOp>& ops, PrintOpKind kind, bool blockStart = false)
{
    PrintOp op;
    op.kind = kind;
    op.blockStart = blockStart;
    ops.push_back(std::move(op));
}

void AddText(std::vector<PrintOp>& ops, int x1, int y1, int x2, int y2, PrintAlign align, const std::string& text)
{
    PrintOp op;
    op.kind = PrintOpKind::Text;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.align = align;
    op.text = text;
    ops.push_back(std::move(op));
}

// Breaks the page when n lines no longer fit below y.
void MakeRoom(PageLayout& layout, std::vector<PrintOp>& ops, bool heading, int n)
{
    int newY = 0;
    if (!LineFits(layout, heading, n, layout.y, newY))
        NewPage(layout, ops);
}

} // namespace

bool LineFits(const PageLayout& layout, bool heading, int n, int y, int& newY)
{
    newY = y + n * LineHeight(layout, heading);
    return newY <= layout.bottom;
}

void NewPage(PageLayout& layout, std::vector<PrintOp>& ops)
{
    Add(ops, PrintOpKind::EndPage);
    Add(ops, PrintOpKind::BeginPage);
    layout.y = layout.top;
}

void SkipLines(PageLayout& layout, std::vector<PrintOp>& ops, bool heading, int n)
{
    int newY = 0;
    if (LineFits(layout, heading, n, layout.y, newY))
        layout.y = newY;
    else
        NewPage(layout, ops);
}

void PrintLine(PageLayout& layout, std::vector<PrintOp>& ops, bool heading, const std::string& text)
{
    MakeRoom(layout, ops, heading, 1);
    const int height = LineHeight(layout, heading);
    AddText(ops, layout.left, layout.y, layout.right, layout.y + height, PrintAlign::Left, text);
    layout.y += height;
}

void PrintRow(PageLayout& layout, std::vector<PrintOp>& ops, const char* t1, const char* t2, const char* t3)
{
    MakeRoom(layout, ops, false, 1);
    const int bottom = layout.y + layout.metrics.bodyLine;
    const char* texts[3] = {t1, t2, t3};
    for (int i = 0; i < 3; ++i)
        if (texts[i])
            AddText(ops, layout.columns[i].left, layout.y, layout.columns[i].right, bottom,
                    i == 0 ? PrintAlign::Left : PrintAlign::Right, texts[i]);
    layout.y = bottom;
}

void PrintTariffBlock(PageLayout& layout, std::vector<PrintOp>& ops, const PrinterSettings& settings,
                      const TariffRecord& record)
{
    if (settings.separatePage == 1 || layout.firstPage) {
        Add(ops, PrintOpKind::BeginPage, true);
        layout.firstPage = false;
        layout.y = layout.top;
    }
    int afterHeadings = 0, afterBody = 0;
    if (!LineFits(layout, true, 2, layout.y, afterHeadings) || !LineFits(layout, false, 4, afterHeadings, afterBody))
        NewPage(layout, ops);

    const UsageView view = FormatUsageView(record);
    Add(ops, PrintOpKind::HeadingFont);
    PrintLine(layout, ops, true, record.Description);
    // Still in the heading font, but one body line high.
    PrintLine(layout, ops, false, "Period: " + FormatPeriodDates(record) + " (YYYY/MM/DD)");

    Add(ops, PrintOpKind::BodyFont);
    PrintOp rule;
    rule.kind = PrintOpKind::Rule;
    rule.x1 = layout.left;
    rule.y1 = rule.y2 = layout.y;
    rule.x2 = layout.right;
    ops.push_back(rule);
    SkipLines(layout, ops, false, 2);

    PrintRow(layout, ops, nullptr, "Time", "Cost");
    for (const UsageRow& row : view.rows)
        PrintRow(layout, ops, row.frame.c_str(), row.time.c_str(), row.cost.c_str());
    SkipLines(layout, ops, false, 1);
    PrintRow(layout, ops, "Total frame cost", nullptr, view.totalFrameCost.c_str());
    PrintRow(layout, ops, "Less: prepaid", nullptr, view.prepaidUsed.c_str());
    PrintRow(layout, ops, view.excess ? "Excess" : "Remainder", view.remainderTime.c_str(),
             view.remainderCost.c_str());
    PrintRow(layout, ops, "Add: monthly/weekly fee", nullptr, view.periodicFee.c_str());
    PrintRow(layout, ops, "Amount payable", nullptr, view.amountPayable.c_str());
    SkipLines(layout, ops, false, 1);
    PrintRow(layout, ops, "Number of connections", nullptr, view.connections.c_str());
    PrintRow(layout, ops, "Last session", nullptr, view.lastSession.c_str());
    SkipLines(layout, ops, false, 3);
    Add(ops, PrintOpKind::RestoreFont);

    if (settings.separatePage == 1 || layout.lastBlock)
        Add(ops, PrintOpKind::EndPage);
}

std::vector<PrintOp> LayoutUsageReport(PageLayout& layout, const PrinterSettings& settings,
                                       const TariffTable& table)
{
    std::vector<PrintOp> ops;
    layout.firstPage = true;
    layout.lastBlock = false;
    for (std::size_t i = 0; i < table.Isps.size(); ++i) {
        layout.lastBlock = i + 1 == table.Isps.size() && settings.printPhone != 1;
        PrintTariffBlock(layout, ops, settings, table.Isps[i]);
    }
    if (settings.printPhone == 1) {
        layout.lastBlock = true;
        PrintTariffBlock(layout, ops, settings, table.Phone);
    }
    return ops;
}
