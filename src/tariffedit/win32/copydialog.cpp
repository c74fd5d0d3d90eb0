// The Charges page's Copy dialog (168): copies between its controls and a
// CopyForm; CheckCopyForm decides whether OK may close it.
#include "resource.h"
#include "tariffedit/chargespage.h"
#include "tariffedit/win32/editorpages.h"

namespace {

struct CopyRun {
    int currentDay;
    CopyForm form;
};

CopyForm Read(HWND dialog)
{
    CopyForm form;
    form.source = CheckedButton(dialog, IDC_CP_CURRENT, 2);
    form.otherDay = ComboSelection(dialog, IDC_CP_OTHERDAY);
    for (int day = 0; day < DAYS_PER_WEEK; ++day)
        form.targets[static_cast<std::size_t>(day)] = IsChecked(dialog, IDC_CP_SUNDAY + day);
    return form;
}

void ShowEnables(HWND dialog)
{
    const CopyForm form = Read(dialog);
    const int current = DialogData<CopyRun>(dialog).currentDay;
    EnableWindow(GetDlgItem(dialog, IDC_CP_OTHERDAY), form.source == 1);
    EnableWindow(GetDlgItem(dialog, IDC_CP_TOGROUP), form.source == 0);
    for (int day = 0; day < DAYS_PER_WEEK; ++day)
        EnableWindow(GetDlgItem(dialog, IDC_CP_SUNDAY + day), CopyTargetEnabled(form, current, day));
}

void OnSource(WindowHandle dialog)
{
    ShowEnables(static_cast<HWND>(dialog));
}

void OnOk(WindowHandle window)
{
    HWND dialog = static_cast<HWND>(window);
    CopyForm form = Read(dialog);
    // A box the current day's: disabled, never a target.
    form.targets[static_cast<std::size_t>(DialogData<CopyRun>(dialog).currentDay)] = false;
    if (CheckCopyForm(form) != 0)
        return;
    DialogData<CopyRun>(dialog).form = form;
    EndDialog(dialog, 0);
}

const CommandRow CopyCommands[] = {
    Row(IDOK, ROW_WINDOW_ONLY, OnOk),
    Row(IDC_CP_CURRENT, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnSource),
    Row(IDC_CP_OTHER, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnSource),
};

const HelpPair CopyHelp[] = {
    {IDC_CP_CURRENT, 4500},     {IDC_CP_OTHER, 4501},       {IDC_CP_OTHERDAY, 4501},    {IDC_CP_TOGROUP, 4502},
    {IDC_CP_SUNDAY, 4502},      {IDC_CP_SUNDAY + 1, 4502},  {IDC_CP_SUNDAY + 2, 4502},  {IDC_CP_SUNDAY + 3, 4502},
    {IDC_CP_SUNDAY + 4, 4502},  {IDC_CP_SUNDAY + 5, 4502},  {IDC_CP_SUNDAY + 6, 4502},  {IDOK, 3000},
    {IDCANCEL, 3001},           {IDC_HELPBUTTON, 3002},     {0, 0},
};

DialogTable CopyTable = {nullptr, RowCount(CopyCommands), CopyCommands, CopyHelp, 1, IDC_HELPBUTTON, 620};

INT_PTR CALLBACK CopyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(CopyTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(CopyTable, GetWindow(dialog, GW_OWNER));
        FillComboStrings(dialog, IDC_CP_OTHERDAY, DAYS_PER_WEEK, WeekdayNames);
        CheckRadioButton(dialog, IDC_CP_CURRENT, IDC_CP_OTHER, IDC_CP_CURRENT);
        ShowEnables(dialog);
    }
    return result;
}

} // namespace

bool RunCopyDialog(HWND owner, int currentDay, CopyForm& form)
{
    CopyRun run{currentDay, {}};
    if (RunModalDialog(owner, IDD_COPYDAYS, CopyProc, &run) != 0)
        return false;
    form = run.form;
    return true;
}
