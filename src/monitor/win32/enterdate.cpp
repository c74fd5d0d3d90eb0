// Enter Date (dialog 154): the date whose billing periods the "Previous"
// report shows.
#include "dialogs/win32/dialogframework.h"
#include "monitor/mainrules.h"
#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"

namespace {

std::int64_t chosenDate = 0;

int Selection(HWND window, int id)
{
    return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0));
}

void EnterDateOk(WindowHandle handle)
{
    HWND window = static_cast<HWND>(handle);
    char year[8] = {};
    GetDlgItemTextA(window, IDC_ENTERDATE_YEAR, year, sizeof year);
    std::int64_t instant = 0;
    if (ReportDateFromChoice(Selection(window, IDC_ENTERDATE_DAY), Selection(window, IDC_ENTERDATE_MONTH), year,
                             instant) != 0)
        return;  // reported; the dialog stays open
    chosenDate = instant;
    EndDialog(window, 0);
}

const CommandRow EnterDateRows[] = {Row(IDOK, 3, EnterDateOk)};
const HelpPair EnterDateHelp[] = {
    {IDC_ENTERDATE_TEXT, 3305},       {IDC_ENTERDATE_DAYLABEL, 3305}, {IDC_ENTERDATE_DAY, 3305},
    {IDC_ENTERDATE_MONTHLABEL, 3305}, {IDC_ENTERDATE_MONTH, 3305},    {IDC_ENTERDATE_YEARLABEL, 3305},
    {IDC_ENTERDATE_YEAR, 3305},       {IDOK, 3000},                   {IDCANCEL, 3001},
    {IDC_HELPBUTTON, 3002},           {0, 0}};

DialogTable EnterDateTable = {nullptr, RowCount(EnterDateRows), EnterDateRows, EnterDateHelp, 1, IDC_HELPBUTTON, 613};

void FillDateControls(HWND window)
{
    const LocalTime date = ProposedReportDate(ToLocalTime(Now()), ReadPreviousDefault());
    static const char* const Days[31] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11",
                                         "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22",
                                         "23", "24", "25", "26", "27", "28", "29", "30", "31"};
    FillComboStrings(window, IDC_ENTERDATE_DAY, 31, Days);
    SendDlgItemMessageA(window, IDC_ENTERDATE_DAY, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mday - 1), 0);
    FillComboStrings(window, IDC_ENTERDATE_MONTH, 12, MonthNames);
    SendDlgItemMessageA(window, IDC_ENTERDATE_MONTH, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mon), 0);
    char years[3][16];
    const char* yearItems[3];
    for (int i = 0; i < 3; ++i) {
        wsprintfA(years[i], "%d", date.tm_year + 1900 - 2 + i);
        yearItems[i] = years[i];
    }
    FillComboStrings(window, IDC_ENTERDATE_YEAR, 3, yearItems);
    SendDlgItemMessageA(window, IDC_ENTERDATE_YEAR, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageA(window, IDC_ENTERDATE_YEAR, CB_LIMITTEXT, 4, 0);
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
    chosenDate = 0;
    const INT_PTR result =
        DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ENTERDATE), owner, EnterDateProc, 0);
    return result == 0 ? chosenDate : 0;
}
