// The Recovery page (177): crash detection at start-up and the remedy
// taken without asking.
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "resource.h"
#include "sessionlog/recoverypage.h"

namespace {

int Fields(HWND page, int mode)
{
    RecoveryForm form;
    form.checkForCrashes = IsChecked(page, IDC_REC_CHECK);
    form.promptUser = IsChecked(page, IDC_REC_ASK);
    form.remedy = CheckedButton(page, IDC_CLOCKEND, 3);
    return RecoveryPageFields(form, mode);
}

void OpenPage(HWND page)
{
    const RecoveryForm form = OpenRecoveryForm();
    SetChecked(page, IDC_REC_CHECK, form.checkForCrashes);
    SetChecked(page, IDC_REC_ASK, form.promptUser);
    CheckRadioButton(page, IDC_CLOCKEND, IDC_DONOTHING, IDC_CLOCKEND + form.remedy);
}

const CommandRow RecoveryCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
};

const HelpPair RecoveryHelp[] = {
    {IDC_REC_GROUP, 5400},       {IDC_REC_TEXT, 5400},  {IDC_REC_CHECK, 5401},   {IDC_REC_ASK, 5402},
    {IDC_REC_ACTIONGROUP, 5403}, {IDC_CLOCKEND, 5403},  {IDC_PRETEND, 5403},     {IDC_DONOTHING, 5403},
    {0, 0},
};

DialogTable RecoveryTable = {nullptr, RowCount(RecoveryCommands), RecoveryCommands, RecoveryHelp, 0, 0, 0};

const PageRules RecoveryRules = {Fields, nullptr};

} // namespace

INT_PTR CALLBACK RecoveryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return OptionsPageDispatch(RecoveryTable, RecoveryRules, OpenPage, page, message, wParam, lParam);
}
