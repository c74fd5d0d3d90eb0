// The General page (157): copies between its controls and the form; the
// rules live with the form.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include "dialogs/generalpage.h"
#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "resource.h"

namespace {

// Set when the page could read the view settings; without them it cannot
// be shown.
bool SettingsLoaded = false;

const char* const RangeNames[] = {"Whole Log", "Current year", "Current month"};

void ChooseTempFile(HWND page, bool temporary)
{
    HWND field = GetDlgItem(page, IDC_GEN_FILENAME);
    EnableWindow(field, !temporary);
    if (!temporary)
        SetFocus(field);
}

void OnTempFile(WindowHandle page)
{
    ChooseTempFile(static_cast<HWND>(page), true);
}

void OnFixedFile(WindowHandle page)
{
    ChooseTempFile(static_cast<HWND>(page), false);
}

void OnBrowse(WindowHandle page)
{
    static const FileChoice viewer = {
        "Select a file viewer", "Programs\0*.EXE\0All files\0*.*\0", "exe", nullptr,
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY,
    };
    BrowseIntoField(static_cast<HWND>(page), IDC_GEN_VIEWER, viewer);
}

GeneralForm ReadForm(HWND page)
{
    GeneralForm form;
    form.backupOnDelete = IsChecked(page, IDC_GEN_BACKUP);
    form.confirmDelete = IsChecked(page, IDC_GEN_CONFIRM);
    form.previousDefault = CheckedButton(page, IDC_GEN_PREVMONTH, 3);
    form.viewerPath = ControlText(page, IDC_GEN_VIEWER, GENERAL_TEXT_MAX);
    form.tempFile = CheckedButton(page, IDC_GEN_TEMPFILE, 2);
    form.rawLogFileName = ControlText(page, IDC_GEN_FILENAME, GENERAL_TEXT_MAX);
    form.defaultRange = ComboSelection(page, IDC_GEN_RANGE);
    return form;
}

int Fields(HWND page, int mode)
{
    return GeneralPageFields(ReadForm(page), mode);
}

bool Loaded(HWND)
{
    return SettingsLoaded;
}

void OpenPage(HWND page)
{
    GeneralForm form;
    SettingsLoaded = OpenGeneralForm(form);
    SetChecked(page, IDC_GEN_CONFIRM, form.confirmDelete);
    SetChecked(page, IDC_GEN_BACKUP, form.backupOnDelete);
    CheckRadioButton(page, IDC_GEN_PREVMONTH, IDC_GEN_PREVTODAY, IDC_GEN_PREVMONTH + form.previousDefault);
    if (!SettingsLoaded)
        return;
    SendDlgItemMessageA(page, IDC_GEN_VIEWER, EM_LIMITTEXT, GENERAL_TEXT_MAX, 0);
    SendDlgItemMessageA(page, IDC_GEN_FILENAME, EM_LIMITTEXT, GENERAL_TEXT_MAX, 0);
    SetDlgItemTextA(page, IDC_GEN_VIEWER, form.viewerPath.c_str());
    CheckRadioButton(page, IDC_GEN_TEMPFILE, IDC_GEN_FIXEDFILE, IDC_GEN_TEMPFILE + form.tempFile);
    SetDlgItemTextA(page, IDC_GEN_FILENAME, form.rawLogFileName.c_str());
    ChooseTempFile(page, form.tempFile == 0);
    FillComboStrings(page, IDC_GEN_RANGE, 3, RangeNames);
    SendDlgItemMessageA(page, IDC_GEN_RANGE, CB_SETCURSEL, form.defaultRange, 0);
}

const CommandRow GeneralCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_GEN_TEMPFILE, ROW_WINDOW_ONLY, OnTempFile),
    Row(IDC_GEN_FIXEDFILE, ROW_WINDOW_ONLY, OnFixedFile),
    Row(IDC_BROWSE, ROW_WINDOW_ONLY, OnBrowse),
};

const HelpPair GeneralHelp[] = {
    {IDC_GEN_BACKUP, 3400},     {IDC_GEN_CONFIRM, 3401},   {IDC_GEN_PREVGROUP, 3404}, {IDC_GEN_PREVMONTH, 3405},
    {IDC_GEN_PREVWEEK, 3406},   {IDC_GEN_PREVTODAY, 3407}, {IDC_GEN_VIEWGROUP, 3408}, {IDC_GEN_VIEWERLABEL, 3409},
    {IDC_GEN_VIEWER, 3409},     {IDC_BROWSE, 3917},        {IDC_GEN_TEMPGROUP, 3410}, {IDC_GEN_TEMPFILE, 3410},
    {IDC_GEN_FIXEDFILE, 3410},  {IDC_GEN_FILENAME, 3410},  {IDC_GEN_RANGE, 3413},     {0, 0},
};

DialogTable GeneralTable = {nullptr, RowCount(GeneralCommands), GeneralCommands, GeneralHelp, 0, 0, 0};

const PageRules GeneralRules = {Fields, Loaded};

} // namespace

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    // An apply that does not come from OK (the sheet has no Apply button)
    // saves nothing.
    if (message == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
        if (notify->hdr.code == static_cast<UINT>(PSN_APPLY) && notify->lParam != 1) {
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
    }
    return OptionsPageDispatch(GeneralTable, GeneralRules, OpenPage, page, message, wParam, lParam);
}
