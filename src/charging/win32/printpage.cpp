// The Print page (167): the [Printer] settings, and the font chosen from
// the default printer's fonts.
#include <windows.h>
#include <commdlg.h>

#include <cstdlib>

#include "charging/printersettings.h"
#include "charging/win32/printfont.h"
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "platform/win32/win32_api.h"
#include "resource.h"
#include "startup/errors.h"

namespace {

struct FieldText {
    int id;
    std::string PrintForm::*text;
};

const FieldText PrintFields[] = {
    {IDC_PRN_FACE, &PrintForm::faceName},     {IDC_PRN_SIZE, &PrintForm::pointSize},
    {IDC_PRN_LEFT, &PrintForm::leftMargin},   {IDC_PRN_RIGHT, &PrintForm::rightMargin},
    {IDC_PRN_TOP, &PrintForm::topMargin},     {IDC_PRN_BOTTOM, &PrintForm::bottomMargin},
};

PrintForm ReadForm(HWND page)
{
    PrintForm form;
    for (const FieldText& field : PrintFields)
        form.*field.text = ControlText(page, field.id, PRINT_TEXT_MAX);
    form.printPhone = IsChecked(page, IDC_PRN_PHONE);
    form.separatePage = IsChecked(page, IDC_PRN_SEPARATE);
    return form;
}

int Fields(HWND page, int mode)
{
    return PrintPageFields(ReadForm(page), mode);
}

void OpenPage(HWND page)
{
    PrinterSettings settings;
    // Out of memory the page shows the defaults.
    LoadPrinterSettings(settings);
    const PrintForm form = PrintFormFromSettings(settings);
    for (const FieldText& field : PrintFields) {
        SendDlgItemMessageA(page, field.id, EM_LIMITTEXT, PRINT_TEXT_MAX, 0);
        SetDlgItemTextA(page, field.id, (form.*field.text).c_str());
    }
    SetChecked(page, IDC_PRN_PHONE, form.printPhone);
    SetChecked(page, IDC_PRN_SEPARATE, form.separatePage);
}

void ReleasePrintDialog(PRINTDLGA& print)
{
    if (print.hDevMode)
        GlobalFree(print.hDevMode);
    if (print.hDevNames)
        GlobalFree(print.hDevNames);
    if (print.hDC)
        DeleteDC(print.hDC);
}

void ChooseFontFor(HWND page)
{
    PRINTDLGA print{};
    print.lStructSize = sizeof print;
    print.hwndOwner = page;
    print.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!Api.PrintDlgA(&print) || !print.hDC) {
        ReleasePrintDialog(print);
        ShowError(1020);
        return;
    }
    const std::string face = ControlText(page, IDC_PRN_FACE, PRINT_TEXT_MAX);
    const int points = std::atoi(ControlText(page, IDC_PRN_SIZE, PRINT_TEXT_MAX).c_str());
    LOGFONTA font{};
    if (!GetPrintFont(print.hDC, face.c_str(), points, font)) {
        ReleasePrintDialog(print);
        ShowError(1021);
        return;
    }
    HDC screen = GetDC(nullptr);
    if (!screen) {
        ReleasePrintDialog(print);
        ShowError(1022);
        return;
    }
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    CHOOSEFONTA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = page;
    choose.hDC = print.hDC;
    choose.lpLogFont = &font;
    choose.Flags = CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT;
    if (Api.ChooseFontA(&choose)) {
        SetDlgItemTextA(page, IDC_PRN_FACE, font.lfFaceName);
        SetDlgItemTextA(page, IDC_PRN_SIZE, std::to_string(choose.iPointSize / 10).c_str());
    }
    ReleaseDC(nullptr, screen);
    ReleasePrintDialog(print);
}

void OnChange(WindowHandle page, int, WindowHandle, int)
{
    ChooseFontFor(static_cast<HWND>(page));
}

const CommandRow PrintCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_PRN_CHANGE, ROW_CODE_ZERO_ONLY, OnChange),
};

const HelpPair PrintHelp[] = {
    {IDC_PRN_FACELABEL, 3700},  {IDC_PRN_FACE, 3700},         {IDC_PRN_SIZELABEL, 3701},  {IDC_PRN_SIZE, 3701},
    {IDC_PRN_CHANGE, 3702},     {IDC_PRN_LEFTLABEL, 3703},    {IDC_PRN_LEFT, 3703},       {IDC_PRN_RIGHTLABEL, 3704},
    {IDC_PRN_RIGHT, 3704},      {IDC_PRN_TOPLABEL, 3705},     {IDC_PRN_TOP, 3705},        {IDC_PRN_BOTTOMLABEL, 3706},
    {IDC_PRN_BOTTOM, 3706},     {IDC_PRN_PHONE, 3707},        {IDC_PRN_SEPARATE, 3708},   {0, 0},
};

DialogTable PrintTable = {nullptr, RowCount(PrintCommands), PrintCommands, PrintHelp, 0, 0, 0};

const PageRules PrintRules = {Fields, nullptr};

} // namespace

INT_PTR CALLBACK PrintPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return OptionsPageDispatch(PrintTable, PrintRules, OpenPage, page, message, wParam, lParam);
}
