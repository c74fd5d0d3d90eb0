// Printing the usage report: the print dialog, the two fonts, the
// "Printing Usage" window with its Cancel, and the layout's operations
// played on the printer.
#include <windows.h>

#include <vector>

#include "charging/printersettings.h"
#include "charging/printlayout.h"
#include "charging/win32/printfont.h"
#include "charging/win32/usagedialog.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"
#include "startup/win32/frame.h"

namespace {

// One job at a time, all on the user-interface thread: the window's
// procedure sets the flag, the abort procedure reads it.
int CancelFlag = 0;
HWND PrintingWindow = nullptr;

INT_PTR CALLBACK PrintingProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_HELP)
        return TRUE;  // left alone, it would reach the owner and show the owner's topics
    if (message == WM_COMMAND) {
        // Cancel, Enter or Escape; the end of the job destroys the window.
        CancelFlag = 1;
        return TRUE;
    }
    return FALSE;
}

BOOL CALLBACK AbortProc(HDC, int)
{
    if (CancelFlag == 0)
        PumpMessages(PUMP_ONE, PrintingWindow);
    return CancelFlag == 0;
}

bool Selected(HGDIOBJ previous) { return previous && previous != HGDI_ERROR; }

// Selects the font and reads its line height (and average width). False
// after reporting 1067 or 1068; the previous font is back then.
bool MeasureFont(HDC printer, HFONT font, int& line, int* charWidth)
{
    const HGDIOBJ previous = SelectObject(printer, font);
    if (!Selected(previous)) {
        ShowError(1067);
        return false;
    }
    TEXTMETRICA metrics;
    const bool read = GetTextMetricsA(printer, &metrics) != 0;
    SelectObject(printer, previous);
    if (!read) {
        ShowError(1068);
        return false;
    }
    line = metrics.tmHeight + metrics.tmExternalLeading;
    if (charWidth)
        *charWidth = metrics.tmAveCharWidth;
    return true;
}

bool MeasurePrinter(HDC printer, HFONT body, HFONT heading, PrinterMetrics& m)
{
    m.dpiAcross = GetDeviceCaps(printer, LOGPIXELSX);
    m.dpiDown = GetDeviceCaps(printer, LOGPIXELSY);
    m.pageWidth = GetDeviceCaps(printer, HORZRES);
    m.pageHeight = GetDeviceCaps(printer, VERTRES);
    return MeasureFont(printer, body, m.bodyLine, &m.charWidth) && MeasureFont(printer, heading, m.headingLine, nullptr);
}

void DrawRule(HDC printer, const PrintOp& op)
{
    const HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    const HGDIOBJ previous = SelectObject(printer, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
    MoveToEx(printer, op.x1, op.y1, nullptr);
    LineTo(printer, op.x2, op.y2);
    SelectObject(printer, previous);
    if (pen)
        DeleteObject(pen);
}

// Plays the operations; false when a page could not be begun or ended or
// the user cancelled (only a failed first page of a block is reported).
bool PlayOperations(HDC printer, const std::vector<PrintOp>& ops, HFONT body, HFONT heading)
{
    HGDIOBJ before = nullptr;  // the font selected before the block
    HFONT current = nullptr;
    bool ok = true;
    for (const PrintOp& op : ops) {
        if (CancelFlag) {
            ok = false;
            break;
        }
        switch (op.kind) {
        case PrintOpKind::BeginPage:
            if (StartPage(printer) <= 0) {
                if (!CancelFlag)
                    ShowError(1070);
                ok = false;
            } else if (current) {
                // Some drivers reset the context with every page.
                SelectObject(printer, current);
            }
            break;
        case PrintOpKind::EndPage:
            // Some spoolers (Wine's) ask the abort procedure only when the
            // document starts: asking after every page keeps Cancel working.
            ok = EndPage(printer) > 0 && AbortProc(printer, 0);
            break;
        case PrintOpKind::HeadingFont:
        case PrintOpKind::BodyFont: {
            current = op.kind == PrintOpKind::HeadingFont ? heading : body;
            const HGDIOBJ previous = SelectObject(printer, current);
            if (!before && Selected(previous))
                before = previous;
            break;
        }
        case PrintOpKind::RestoreFont:
            if (before)
                SelectObject(printer, before);
            before = nullptr;
            current = nullptr;
            break;
        case PrintOpKind::Rule:
            DrawRule(printer, op);
            break;
        case PrintOpKind::Text: {
            RECT box{op.x1, op.y1, op.x2, op.y2};
            const UINT align = op.align == PrintAlign::Right ? DT_RIGHT : DT_LEFT;
            DrawTextA(printer, op.text.data(), static_cast<int>(op.text.size()), &box,
                      align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            break;
        }
        }
        if (!ok)
            break;
    }
    if (before)
        SelectObject(printer, before);  // the fonts must not be selected when they go
    return ok;
}

// The job once the fonts exist: measure, the window, the document.
void RunPrintJob(HWND owner, HDC printer, HFONT body, HFONT heading, const PrinterSettings& settings,
                 const TariffTable& table)
{
    PrinterMetrics metrics;
    if (!MeasurePrinter(printer, body, heading, metrics))
        return;
    PageLayout layout = MeasurePageLayout(settings, metrics);
    const std::vector<PrintOp> ops = LayoutUsageReport(layout, settings, table);

    PrintingWindow = OpenPrintingWindow(owner);
    if (!PrintingWindow) {
        ShowError(1064);
        return;
    }
    ShowWindow(PrintingWindow, SW_SHOW);
    if (owner)
        EnableWindow(owner, FALSE);
    UpdateWindow(PrintingWindow);

    if (SetAbortProc(printer, AbortProc) <= 0) {
        ShowError(1065);
    } else {
        DOCINFOA document{};
        document.cbSize = sizeof document;
        document.lpszDocName = "TOLVANE Usage Report";
        if (StartDocA(printer, &document) <= 0) {
            if (!CancelFlag)  // the abort procedure may already have run
                ShowError(1066);
        }
        else if (PlayOperations(printer, ops, body, heading))
            EndDoc(printer);
        else
            AbortDoc(printer);
    }

    // The owner first, so that it takes the activation back.
    if (owner)
        EnableWindow(owner, TRUE);
    DestroyWindow(PrintingWindow);
    PrintingWindow = nullptr;
}

} // namespace

HWND OpenPrintingWindow(HWND owner)
{
    CancelFlag = 0;
    return CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_PRINTING), owner, PrintingProc, 0);
}

void PrintUsageReport(HWND owner, const TariffTable& table)
{
    PrinterSettings settings;
    if (LoadPrinterSettings(settings) != 0) {
        ShowError(105);
        return;
    }

    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
    const bool chosen = Api.PrintDlgA(&dialog) && dialog.hDC;
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    if (!chosen) {
        if (dialog.hDC)
            DeleteDC(dialog.hDC);
        return;  // cancelled or failed: nothing to say
    }
    const HDC printer = dialog.hDC;

    LOGFONTA attributes;
    if (!GetPrintFont(printer, settings.faceName.c_str(), settings.pointSize, attributes)) {
        ShowError(1021);
    } else {
        const HFONT body = CreateFontIndirectA(&attributes);
        attributes.lfWeight = FW_BOLD;
        const HFONT heading = CreateFontIndirectA(&attributes);
        if (!body || !heading)
            ShowError(1069);
        else
            RunPrintJob(owner, printer, body, heading, settings, table);
        if (heading)
            DeleteObject(heading);
        if (body)
            DeleteObject(body);
    }
    DeleteDC(printer);
}
