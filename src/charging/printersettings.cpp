#include "charging/printersettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "dialogs/dialogtable.h"
#include "platform/profile.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

const char* const SECTION = "Printer";

std::string Text(const char* key)
{
    return ProfileGetString(IniFilePath, SECTION, key, "", 512);
}

// Missing, empty or negative gives the default.
int Size(const std::string& text, int fallback)
{
    if (text.empty())
        return fallback;
    const int value = std::atoi(text.c_str());
    return value < 0 ? fallback : value;
}

// "nan" and "inf" read as numbers but no page has such a margin.
bool BadMargin(double value)
{
    return value < 0 || !std::isfinite(value);
}

double Margin(const std::string& text)
{
    if (text.empty())
        return 1.0;
    const double value = std::atof(text.c_str());
    return BadMargin(value) ? 1.0 : value;
}

int Switch(const std::string& text, int fallback)
{
    if (text.empty())
        return fallback;
    const int value = std::atoi(text.c_str());
    return value == 0 || value == 1 ? value : fallback;
}

std::string MarginText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

void WriteMargin(const char* key, double value)
{
    ProfileWrite(IniFilePath, SECTION, key, MarginText(value).c_str());
}

} // namespace

int LoadPrinterSettings(PrinterSettings& settings)
{
    try {
        PrinterSettings s;
        s.faceName = Text("FontFaceName");
        s.pointSize = Size(Text("FontPointSize"), 12);
        s.leftMargin = Margin(Text("LeftMargin"));
        s.rightMargin = Margin(Text("RightMargin"));
        s.topMargin = Margin(Text("TopMargin"));
        s.bottomMargin = Margin(Text("BottomMargin"));
        s.printPhone = Switch(Text("PrintPhone"), 1);
        s.separatePage = Switch(Text("SeparatePage"), 0);
        settings = std::move(s);
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

void SavePrinterSettings(const PrinterSettings& s)
{
    ProfileFlush(IniFilePath);
    if (s.faceName.empty())
        ProfileDeleteKey(IniFilePath, SECTION, "FontFaceName");
    else
        ProfileWrite(IniFilePath, SECTION, "FontFaceName", s.faceName.c_str());
    ProfileWriteInt(IniFilePath, SECTION, "FontPointSize", s.pointSize);
    WriteMargin("LeftMargin", s.leftMargin);
    WriteMargin("RightMargin", s.rightMargin);
    WriteMargin("TopMargin", s.topMargin);
    WriteMargin("BottomMargin", s.bottomMargin);
    ProfileWriteInt(IniFilePath, SECTION, "PrintPhone", s.printPhone);
    ProfileWriteInt(IniFilePath, SECTION, "SeparatePage", s.separatePage);
    ProfileFlush(IniFilePath);
}

PrintForm PrintFormFromSettings(const PrinterSettings& s)
{
    PrintForm form;
    form.faceName = s.faceName;
    form.pointSize = std::to_string(s.pointSize);
    form.leftMargin = MarginText(s.leftMargin);
    form.rightMargin = MarginText(s.rightMargin);
    form.topMargin = MarginText(s.topMargin);
    form.bottomMargin = MarginText(s.bottomMargin);
    form.printPhone = s.printPhone == 1;
    form.separatePage = s.separatePage == 1;
    return form;
}

int PrintPageFields(const PrintForm& form, int mode)
{
    const bool check = (mode & FIELDS_CHECK) != 0;
    PrinterSettings s;
    s.faceName = form.faceName.substr(0, PRINT_TEXT_MAX);
    s.pointSize = form.pointSize.empty() ? 12 : std::atoi(form.pointSize.c_str());
    if (s.pointSize < 0) {
        if (check) {
            ShowError(1023);
            return -1;
        }
        s.pointSize = 12;
    }
    double* margins[] = {&s.leftMargin, &s.rightMargin, &s.topMargin, &s.bottomMargin};
    const std::string* texts[] = {&form.leftMargin, &form.rightMargin, &form.topMargin, &form.bottomMargin};
    for (int i = 0; i < 4; ++i) {
        double value = texts[i]->empty() ? 1.0 : std::atof(texts[i]->c_str());
        if (BadMargin(value)) {
            if (check) {
                ShowError(1024);
                return -1;
            }
            value = 1.0;
        }
        *margins[i] = value;
    }
    s.printPhone = form.printPhone ? 1 : 0;
    s.separatePage = form.separatePage ? 1 : 0;
    if (mode & FIELDS_STORE)
        SavePrinterSettings(s);
    return 0;
}
