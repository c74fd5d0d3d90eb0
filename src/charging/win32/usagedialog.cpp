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

HWND openUsageDialog = nullptr;
TariffTable usageTable;

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
    SaveUsageReport(AsWindow(dialog), usageTable);
}

void OnPrint(WindowHandle dialog)
{
    PrintUsageReport(AsWindow(dialog), usageTable);
}

void OnChooser(WindowHandle dialog, int, WindowHandle, int code)
{
    if (code != LBN_SELCHANGE)
        return;
    const int item = static_cast<int>(SendDlgItemMessageA(AsWindow(dialog), IDC_ISPCOMBO, LB_GETCURSEL, 0, 0));
    if (const TariffRecord* record = UsageChooserRecord(usageTable, item))
        ShowTariffUsage(AsWindow(dialog), *record);
}

const CommandRow UsageCommands[] = {
    Row(IDCANCEL, 3, CloseReport),
    Row(IDC_USAGE_SAVE, 3, OnSave),
    Row(IDC_USAGE_PRINT, 3, OnPrint),
    Row(IDC_ISPCOMBO, 0, OnChooser),
};

const HelpPair UsageHelp[] = {
    {IDC_ISPLABEL, 3200},
    {IDC_ISPCOMBO, 3200},
    {IDC_USAGE_PERIOD, 3201},
    {IDC_USAGE_FRAMES, 3202},
    {IDC_USAGE_TOTALCOST_LABEL, 3203},
    {IDC_USAGE_TOTALCOST, 3203},
    {IDC_USAGE_PREPAID_LABEL, 3204},
    {IDC_USAGE_PREPAID, 3204},
    {IDC_USAGE_REMAINDER_LABEL, 3205},
    {IDC_USAGE_REMAINDER, 3205},
    {IDC_USAGE_REMAINTIME_LABEL, 3211},
    {IDC_USAGE_REMAINTIME, 3211},
    {IDC_USAGE_FEE_LABEL, 3209},
    {IDC_USAGE_FEE, 3209},
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

// Three left-aligned columns: the frame name half the width, time and cost
// a quarter each.
bool SetUpFrameColumns(HWND list)
{
    RECT client;
    if (!list || !GetClientRect(list, &client))
        return false;
    const int width = client.right - client.left;
    struct Column {
        const char* title;
        int width;
    };
    const Column columns[] = {{"Frame", width / 2}, {"Time", width / 4}, {"Cost", width / 4}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].width;
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        if (SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)) == -1)
            return false;
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    return true;
}

void SetSubItem(HWND list, int row, int subItem, const std::string& text)
{
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void OpenReport(HWND dialog)
{
    openUsageDialog = dialog;
    SetReturnWindow(UsageDialogTable, MainWindow);

    for (const std::string& name : UsageChooserItems(usageTable))
        SendDlgItemMessageA(dialog, IDC_ISPCOMBO, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const int first = UsageChooserFirstItem(usageTable);
    SendDlgItemMessageA(dialog, IDC_ISPCOMBO, LB_SETCURSEL, static_cast<WPARAM>(first), 0);

    if (!SetUpFrameColumns(GetDlgItem(dialog, IDC_USAGE_FRAMES))) {
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
    for (std::size_t i = 0; i < view.rows.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(view.rows[i].frame.c_str());
        const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0)
            continue;
        SetSubItem(list, row, 1, view.rows[i].time);
        SetSubItem(list, row, 2, view.rows[i].cost);
    }
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
        {IDC_USAGE_FEE, view.periodicFee},
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

    BeginBusyCursor();
    const int computed = ComputeUsage(reference, usageTable);
    EndBusyCursor();
    if (computed == 0)
        DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_USAGE), owner, UsageDialogProc, 0);
    FreeTariffTable(usageTable);

    if (RehideAfterReport) {
        RehideAfterReport = false;
        HideWhileMonitoring();
    }
}
