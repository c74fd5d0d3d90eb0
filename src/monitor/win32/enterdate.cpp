// Enter Date (dialog 154): the date whose billing periods the "Previous"
// report shows.
#include "dialogs/generalpage.h"
#include "dialogs/win32/dialogframework.h"
#include "monitor/mainrules.h"
#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"

namespace {

// What the dialog hands back: the local midnight of the chosen date.
struct EnterDateForm {
    std::int64_t date = 0;
};

void EnterDateOk(WindowHandle handle)
{
    HWND window = static_cast<HWND>(handle);
    char year[8] = {};
    GetDlgItemTextA(window, IDC_YEAR, year, sizeof year);
    std::int64_t instant = 0;
    if (ReportDateFromChoice(ComboSelection(window, IDC_DAY), ComboSelection(window, IDC_MONTH),
                             year, instant) != 0)
        return;  // reported; the dialog stays open
    DialogData<EnterDateForm>(window).date = instant;
    EndDialog(window, 0);
}

const CommandRow EnterDateRows[] = {Row(IDOK, 3, EnterDateOk)};
const HelpPair EnterDateHelp[] = {
    {IDC_ENTERDATE_TEXT, 3305},       {IDC_DAY_LABEL, 3305}, {IDC_DAY, 3305},
    {IDC_MONTH_LABEL, 3305}, {IDC_MONTH, 3305},    {IDC_YEAR_LABEL, 3305},
    {IDC_YEAR, 3305},       {IDOK, 3000},                   {IDCANCEL, 3001},
    {IDC_HELPBUTTON, 3002},           {0, 0}};

DialogTable EnterDateTable = {nullptr, RowCount(EnterDateRows), EnterDateRows, EnterDateHelp, 1, IDC_HELPBUTTON, 613};

void FillDateControls(HWND window)
{
    const LocalTime date = ProposedReportDate(ToLocalTime(Now()), ReadPreviousDefault());
    FillComboNumbers(window, IDC_DAY, 1, 31);
    SendDlgItemMessageA(window, IDC_DAY, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mday - 1), 0);
    FillComboStrings(window, IDC_MONTH, 12, MonthNames);
    SendDlgItemMessageA(window, IDC_MONTH, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mon), 0);
    FillComboNumbers(window, IDC_YEAR, date.tm_year + 1900 - 2, date.tm_year + 1900);
    SendDlgItemMessageA(window, IDC_YEAR, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageA(window, IDC_YEAR, CB_LIMITTEXT, 4, 0);
}

INT_PTR CALLBACK EnterDateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(EnterDateTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(EnterDateTable, MainWindow);
        FillDateControls(window);
    }
    return result;
}

} // namespace

std::int64_t AskReportDate(HWND owner)
{
    EnterDateForm form;
    return RunModalDialog(owner, IDD_ENTERDATE, EnterDateProc, &form) == 0 ? form.date : 0;
}
