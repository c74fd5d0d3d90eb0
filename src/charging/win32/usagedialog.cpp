// The Usage dialog: the report of one billing period, per frame and in
// totals, for the phone company and each ISP. The computed table lives
// while the dialog is open; Save and Print use it as it is.
#include "charging/win32/usagedialog.h"

#include <commctrl.h>

#include <cstdint>

#include "charging/charging.h"
#include "charging/usageview.h"
#include "dialogs/win32/dialogframework.h"
#include "monitor/win32/controller.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"

namespace {

// Only one report is open at a time.
HWND openUsageDialog = nullptr;

HWND AsWindow(WindowHandle window)
{
    return static_cast<HWND>(window);
}

void CloseReport(WindowHandle dialog)
{
    // Escape closes like OK: the report was only looked at.
    EndDialog(AsWindow(dialog), 0);
}

void OnSave(WindowHandle dialog)
{
    SaveUsageReport(AsWindow(dialog), DialogData<TariffTable>(AsWindow(dialog)));
}

void OnPrint(WindowHandle dialog)
{
    PrintUsageReport(AsWindow(dialog), DialogData<TariffTable>(AsWindow(dialog)));
}

void OnChooser(WindowHandle dialog, int, WindowHandle, int code)
{
    if (code != LBN_SELCHANGE)
        return;
    const int item = static_cast<int>(SendDlgItemMessageA(AsWindow(dialog), IDC_ISP, LB_GETCURSEL, 0, 0));
    if (const TariffRecord* record = UsageChooserRecord(DialogData<TariffTable>(AsWindow(dialog)), item))
        ShowTariffUsage(AsWindow(dialog), *record);
}

const CommandRow UsageCommands[] = {
    Row(IDCANCEL, 3, CloseReport),
    Row(IDC_USAGE_SAVE, 3, OnSave),
    Row(IDC_USAGE_PRINT, 3, OnPrint),
    Row(IDC_ISP, 0, OnChooser),
};

const HelpPair UsageHelp[] = {
    {IDC_ISP_LABEL, 3200},
    {IDC_ISP, 3200},
    {IDC_USAGE_PERIOD, 3201},
    {IDC_USAGE_FRAMES, 3202},
    {IDC_USAGE_TOTALCOST_LABEL, 3203},
    {IDC_USAGE_TOTALCOST, 3203},
    {IDC_PREPAID_LABEL, 3204},
    {IDC_USAGE_PREPAID, 3204},
    {IDC_USAGE_REMAINDER_LABEL, 3205},
    {IDC_USAGE_REMAINDER, 3205},
    {IDC_USAGE_REMAINTIME_LABEL, 3211},
    {IDC_USAGE_REMAINTIME, 3211},
    {IDC_FEE_LABEL, 3209},
    {IDC_FEE, 3209},
    {IDC_USAGE_PAYABLE_LABEL, 3210},
    {IDC_USAGE_PAYABLE, 3210},
    {IDC_USAGE_CONNECTIONS_LABEL, 3206},
    {IDC_USAGE_CONNECTIONS, 3206},
    {IDC_USAGE_LASTSESSION_LABEL, 3207},
    {IDC_USAGE_LASTSESSION, 3207},
    {IDOK, 3000},
    {IDCANCEL, 3001},
    {IDC_USAGE_SAVE, 3212},
    {IDC_USAGE_PRINT, 3208},
    {IDC_HELPBUTTON, 3002},
    {0, 0},
};

DialogTable UsageDialogTable = {
    nullptr, RowCount(UsageCommands), UsageCommands, UsageHelp, TRUE, IDC_HELPBUTTON, 612,
};

// The frame name half the width, time and cost a quarter each.
const ListColumn FrameColumns[] = {{"Frame", 500}, {"Time", 250}, {"Cost", 250}};

void OpenReport(HWND dialog)
{
    openUsageDialog = dialog;
    SetReturnWindow(UsageDialogTable, MainWindow);
    const TariffTable& usageTable = DialogData<TariffTable>(dialog);

    for (const std::string& name : UsageChooserItems(usageTable))
        SendDlgItemMessageA(dialog, IDC_ISP, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const int first = UsageChooserFirstItem(usageTable);
    SendDlgItemMessageA(dialog, IDC_ISP, LB_SETCURSEL, static_cast<WPARAM>(first), 0);

    if (!SetListColumns(GetDlgItem(dialog, IDC_USAGE_FRAMES), FrameColumns, 3)) {
        EndDialog(dialog, -1);
        return;
    }
    ShowTariffUsage(dialog, *UsageChooserRecord(usageTable, first));
}

INT_PTR CALLBACK UsageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(UsageDialogTable, window, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
        OpenReport(window);
        break;
    case WM_DESTROY:
        if (openUsageDialog == window)
            openUsageDialog = nullptr;
        break;
    default:
        break;
    }
    return result;
}

} // namespace

HWND OpenUsageDialog()
{
    return openUsageDialog;
}

void ShowTariffUsage(HWND dialog, const TariffRecord& record)
{
    const UsageView view = FormatUsageView(record);
    SetDlgItemTextA(dialog, IDC_USAGE_PERIOD, view.periodTitle.c_str());

    HWND list = GetDlgItem(dialog, IDC_USAGE_FRAMES);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < view.rows.size(); ++i)
        InsertListRow(list, static_cast<int>(i), {view.rows[i].frame, view.rows[i].time, view.rows[i].cost});
    if (!view.rows.empty())
        SelectListItem(list, 0);

    const struct {
        int id;
        const std::string& text;
    } fields[] = {
        {IDC_USAGE_TOTALCOST, view.totalFrameCost},
        {IDC_USAGE_PREPAID, view.prepaidUsed},
        {IDC_USAGE_REMAINDER_LABEL, view.remainderCostLabel},
        {IDC_USAGE_REMAINDER, view.remainderCost},
        {IDC_USAGE_REMAINTIME_LABEL, view.remainderTimeLabel},
        {IDC_USAGE_REMAINTIME, view.remainderTime},
        {IDC_FEE, view.periodicFee},
        {IDC_USAGE_PAYABLE, view.amountPayable},
        {IDC_USAGE_CONNECTIONS, view.connections},
        {IDC_USAGE_LASTSESSION, view.lastSession},
    };
    for (const auto& field : fields)
        SetDlgItemTextA(dialog, field.id, field.text.c_str());
}

void ShowUsageReport(HWND owner, std::int64_t reference)
{
    if (openUsageDialog) {
        // Only one report at a time: close the open one and let the main
        // window open a fresh report of the current period after it.
        SendMessageA(openUsageDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (MainWindow)
            PostMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDC_CURRENT, BN_CLICKED), 0);
        return;
    }

    // The dialog shows, saves and prints this table unchanged while it is open.
    TariffTable usageTable;
    BeginBusyCursor();
    const int computed = ComputeUsage(reference, usageTable);
    EndBusyCursor();
    if (computed == 0)
        RunModalDialog(owner, IDD_USAGE, UsageDialogProc, &usageTable);
    FreeTariffTable(usageTable);

    if (RehideAfterReport) {
        RehideAfterReport = false;
        HideWhileMonitoring();
    }
}
