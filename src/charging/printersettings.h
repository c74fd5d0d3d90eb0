// [Printer]: the font, margins and layout choices of printed usage reports,
// and the Print page of the Options sheet that edits them.
#pragma once
#include <string>

struct PrinterSettings {
    std::string faceName;  // empty: the stock variable-pitch font
    int pointSize = 12;
    double leftMargin = 1.0;  // inches
    double rightMargin = 1.0;
    double topMargin = 1.0;
    double bottomMargin = 1.0;
    int printPhone = 1;
    int separatePage = 0;
};

// Read afresh for every print and every opening of the page. 0, or -1 when
// memory ran out (nothing reported: the caller says what failed).
int LoadPrinterSettings(PrinterSettings& settings);
// The face name (none removes the key), the numbers "%d", the margins "%f";
// the cache is flushed before and after.
void SavePrinterSettings(const PrinterSettings& settings);

// The Print page's fields as text.
struct PrintForm {
    std::string faceName;
    std::string pointSize;
    std::string leftMargin, rightMargin, topMargin, bottomMargin;
    bool printPhone = true;
    bool separatePage = false;
};

constexpr int PRINT_TEXT_MAX = 511;

PrintForm PrintFormFromSettings(const PrinterSettings& settings);
// Checking reports a negative point size (1023) or margin (1024); storing
// takes the defaults for them and saves. 0, or -1 after reporting.
int PrintPageFields(const PrintForm& form, int mode);
