// Delete Log Entries: removes the sessions of a period, for one ISP or all,
// after asking when ConfirmDelete is on.
#include "dialogs/win32/dialogframework.h"
#include "platform/clock.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/deletelog.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

void OnOk(WindowHandle handle);

const CommandRow DeleteCommands[] = {
    Row(IDOK, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnOk),
};

const HelpPair DeleteHelp[] = {
    {IDC_STARTGROUP, 4900},    {IDC_STARTDAYLABEL, 4900}, {IDC_STARTDAY, 4900},      {IDC_STARTMONTHLABEL, 4900},
    {IDC_STARTMONTH, 4900},    {IDC_STARTYEARLABEL, 4900}, {IDC_STARTYEAR, 4900},    {IDC_ENDGROUP, 4900},
    {IDC_ENDDAYLABEL, 4900},   {IDC_ENDDAY, 4900},        {IDC_ENDMONTHLABEL, 4900}, {IDC_END_MONTH, 4900},
    {IDC_ENDYEARLABEL, 4900},  {IDC_ENDYEAR, 4900},       {IDC_ISP_LABEL, 4901},      {IDC_ISP, 4901},
    {IDOK, 3000},              {IDCANCEL, 3001},          {IDC_HELPBUTTON, 3002},    {0, 0},
};

DialogTable DeleteTable = {nullptr, RowCount(DeleteCommands), DeleteCommands, DeleteHelp, 1, IDC_HELPBUTTON, 624};

void OnOk(WindowHandle handle)
{
    HWND dialog = static_cast<HWND>(handle);
    LocalTime startDate;
    LocalTime endDate;
    if (GetDateControls(dialog, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR, startDate) != 0)
        return;
    if (GetDateControls(dialog, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR, endDate) != 0)
        return;
    std::int32_t ispId = 0;
    std::string ispText;
    if (!SelectedLogIsp(dialog, ispId, ispText)) {
        ShowError(1013);
        return;
    }
    std::int64_t from = 0;
    std::int64_t to = 0;
    if (PeriodOfDates(startDate, endDate, from, to) != 0)
        return;
    bool confirmed = true;
    if (ConfirmDelete) {
        const std::string question = DeleteConfirmationText(ispText, startDate, endDate);
        confirmed = Api.MessageBoxA(dialog, question.c_str(), DELETE_CONFIRM_CAPTION,
                                    MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
    if (confirmed)
        DeletePeriod(from, to, ispId);  // reports its own failures
    EndDialog(dialog, 0);
}

void InitDeleteDialog(HWND dialog)
{
    SetReturnWindow(DeleteTable, MainWindow);
    LocalTime startDate;
    LocalTime endDate;
    DefaultDeleteDates(Now(), startDate, endDate);
    SetDateControls(dialog, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR, startDate);
    SetDateControls(dialog, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR, endDate);
    FillLogIspList(dialog);
}

INT_PTR CALLBACK DeleteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = DialogDispatch(DeleteTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        InitDeleteDialog(dialog);
    return result;
}

} // namespace

int RunDeleteDialog(HWND owner)
{
    INT_PTR result =
        RunModalDialog(owner, IDD_DELETELOG, DeleteDialogProc, nullptr);
    return result == 0 ? 0 : -1;
}
