// View Raw Log Entries: asks for a period and an ISP, then lists the
// sessions into a file and opens it in the viewer.
#include "dialogs/win32/dialogframework.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/errors.h"

namespace {

// The groups, labels and combo boxes of both dates.
constexpr int DateControlIds[] = {IDC_STARTGROUP,    IDC_STARTDAYLABEL, IDC_STARTDAY,   IDC_STARTMONTHLABEL,
                                  IDC_STARTMONTH,    IDC_STARTYEARLABEL, IDC_STARTYEAR, IDC_ENDGROUP,
                                  IDC_ENDDAYLABEL,   IDC_ENDDAY,        IDC_ENDMONTHLABEL, IDC_END_MONTH,
                                  IDC_ENDYEARLABEL,  IDC_ENDYEAR};

void EnableDateControls(HWND dialog, bool enable)
{
    for (int id : DateControlIds)
        EnableWindow(GetDlgItem(dialog, id), enable);
}

void OnWholeLog(WindowHandle dialog)
{
    EnableDateControls(static_cast<HWND>(dialog), false);
}

void OnPeriodOnly(WindowHandle dialog)
{
    EnableDateControls(static_cast<HWND>(dialog), true);
}

void OnOk(WindowHandle handle);

const CommandRow ViewCommands[] = {
    Row(IDC_PERIODONLY, ROW_WINDOW_ONLY, OnPeriodOnly),
    Row(IDC_WHOLELOG, ROW_WINDOW_ONLY, OnWholeLog),
    Row(IDOK, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnOk),
};

const HelpPair ViewHelp[] = {
    {IDC_VIEWGROUP, 4700},     {IDC_WHOLELOG, 4700},       {IDC_PERIODONLY, 4700},  {IDC_STARTGROUP, 4701},
    {IDC_STARTDAYLABEL, 4701}, {IDC_STARTDAY, 4701},       {IDC_STARTMONTHLABEL, 4701}, {IDC_STARTMONTH, 4701},
    {IDC_STARTYEARLABEL, 4701}, {IDC_STARTYEAR, 4701},     {IDC_ENDGROUP, 4701},    {IDC_ENDDAYLABEL, 4701},
    {IDC_ENDDAY, 4701},        {IDC_ENDMONTHLABEL, 4701},  {IDC_END_MONTH, 4701},    {IDC_ENDYEARLABEL, 4701},
    {IDC_ENDYEAR, 4701},       {IDC_ISP_LABEL, 4702},       {IDC_ISP, 4702},    {IDOK, 3000},
    {IDCANCEL, 3001},          {IDC_HELPBUTTON, 3002},     {0, 0},
};

DialogTable ViewTable = {nullptr, RowCount(ViewCommands), ViewCommands, ViewHelp, 1, IDC_HELPBUTTON, 622};

void OnOk(WindowHandle handle)
{
    HWND dialog = static_cast<HWND>(handle);
    ViewRequest request;
    if (IsDlgButtonChecked(dialog, IDC_WHOLELOG) == BST_CHECKED) {
        request = WholeLogRequest(0);
    } else if (IsDlgButtonChecked(dialog, IDC_PERIODONLY) == BST_CHECKED) {
        LocalTime startDate;
        LocalTime endDate;
        if (GetDateControls(dialog, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR, startDate) != 0)
            return;
        if (GetDateControls(dialog, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR, endDate) != 0)
            return;
        if (PeriodOfDates(startDate, endDate, request.from, request.to) != 0)
            return;
    } else {
        ShowError(2065);
        return;
    }
    std::string ispText;
    if (!SelectedLogIsp(dialog, request.ispId, ispText)) {
        ShowError(2080);
        return;
    }
    DialogData<ViewRequest>(dialog) = request;
    EndDialog(dialog, 0);
}

void InitViewDialog(HWND dialog)
{
    SetReturnWindow(ViewTable, MainWindow);
    const std::int32_t range = ReadDefaultRange();
    LocalTime startDate;
    LocalTime endDate;
    DefaultViewDates(range, Now(), startDate, endDate);
    SetDateControls(dialog, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR, startDate);
    SetDateControls(dialog, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR, endDate);
    CheckRadioButton(dialog, IDC_WHOLELOG, IDC_PERIODONLY, range == RANGE_WHOLE_LOG ? IDC_WHOLELOG : IDC_PERIODONLY);
    EnableDateControls(dialog, range != RANGE_WHOLE_LOG);
    FillLogIspList(dialog);
}

INT_PTR CALLBACK ViewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = DialogDispatch(ViewTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        InitViewDialog(dialog);
    return result;
}

} // namespace

int RunViewDialog(HWND owner, ViewRequest& request)
{
    ViewRequest chosen;
    if (RunModalDialog(owner, IDD_VIEWLOG, ViewDialogProc, &chosen) != 0)
        return -1;
    request = chosen;
    return 0;
}

int ViewRawLogEntries(HWND owner)
{
    ViewLogSettings settings;
    if (LoadViewLogSettings(settings) != 0)
        return -1;
    ViewRequest request;
    if (RunViewDialog(owner, request) != 0)
        return -1;
    return ExportAndViewRawLog(settings, request);
}

void ViewRawLog(HWND owner)
{
    ViewRawLogEntries(owner);
}
