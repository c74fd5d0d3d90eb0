// The printed usage report as a list of drawing operations: where every
// line, row and rule of each tariff block goes and where pages break, in
// the printer's dots. The Windows side plays the list on the printer.
#pragma once
#include <string>
#include <vector>

#include "charging/printersettings.h"
#include "tariff/tariff.h"

// What the printer and the two fonts measure, in dots.
struct PrinterMetrics {
    int dpiAcross = 0, dpiDown = 0;
    int pageWidth = 0, pageHeight = 0;  // the printable area
    int charWidth = 0;                  // the body font's average
    int bodyLine = 0, headingLine = 0;  // height plus external leading
};

struct PrintColumn {
    int left = 0, right = 0;
};

// One print job's layout state.
struct PageLayout {
    PrinterMetrics metrics;
    int left = 0, right = 0, top = 0, bottom = 0;
    PrintColumn columns[3];
    int y = 0;
    bool firstPage = false;
    bool lastBlock = false;
};

// The text area from the margins (truncated toward zero) and the three
// columns of a row: q = (right - left) / 4; the first two end two character
// widths before the next one starts.
PageLayout MeasurePageLayout(const PrinterSettings& settings, const PrinterMetrics& metrics);

enum class PrintOpKind {
    BeginPage,    // a tariff's first page when blockStart, else a page break
    EndPage,
    HeadingFont,  // select the heading font
    BodyFont,     // select the body font
    RestoreFont,  // put back the font selected before the block
    Rule,         // a solid line 2 dots wide from (x1, y1) to (x2, y1)
    Text,         // text in the rectangle, clipped, without prefix processing
};

enum class PrintAlign { Left, Right };

struct PrintOp {
    PrintOpKind kind = PrintOpKind::Text;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    PrintAlign align = PrintAlign::Left;
    bool blockStart = false;
    std::string text;
};

// The layout operations, appending to ops as they go.
bool LineFits(const PageLayout& layout, bool heading, int n, int y, int& newY);
void NewPage(PageLayout& layout, std::vector<PrintOp>& ops);
void SkipLines(PageLayout& layout, std::vector<PrintOp>& ops, bool heading, int n);
// heading: whose line height the text gets, the page-break test uses and y moves by.
void PrintLine(PageLayout& layout, std::vector<PrintOp>& ops, bool heading, const std::string& text);
// A null text draws nothing in its column.
void PrintRow(PageLayout& layout, std::vector<PrintOp>& ops, const char* t1, const char* t2, const char* t3);

// One tariff block.
void PrintTariffBlock(PageLayout& layout, std::vector<PrintOp>& ops, const PrinterSettings& settings,
                      const TariffRecord& record);

// Every ISP block in table order, then the Phone block when PrintPhone is 1.
std::vector<PrintOp> LayoutUsageReport(PageLayout& layout, const PrinterSettings& settings,
                                       const TariffTable& table);
