// The Save Usage Report dialog: which reports go to which file. The file is
// written through the report-file writer from the table the Usage dialog
// computed; nothing is recomputed.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "charging/usagereport.h"
#include "charging/usageview.h"
#include "charging/win32/usagedialog.h"
#include "dialogs/win32/dialogframework.h"
#include "tariff/win32/isplist.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"

namespace {

// What the dialog hands back on OK.
struct SaveReportRequest {
    UsageReportChoice choice;
    std::string fileName;
    bool append = false;
};

HWND AsWindow(WindowHandle window)
{
    return static_cast<HWND>(window);
}

void ChooseIspOption(HWND dialog, int id)
{
    CheckRadioButton(dialog, IDC_SAVE_ALL, IDC_SAVE_NONE, id);
    EnableWindow(GetDlgItem(dialog, IDC_ISP), id == IDC_SAVE_SELECTED);
}

void OnAllIsps(WindowHandle dialog)
{
    ChooseIspOption(AsWindow(dialog), IDC_SAVE_ALL);
}

void OnSelectedIsp(WindowHandle dialog)
{
    ChooseIspOption(AsWindow(dialog), IDC_SAVE_SELECTED);
}

void OnNoIsp(WindowHandle dialog)
{
    ChooseIspOption(AsWindow(dialog), IDC_SAVE_NONE);
}

void OnBrowse(WindowHandle window)
{
    HWND dialog = AsWindow(window);
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "All files\0*.*\0Text files\0*.TXT\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    // Reports are kept beside the program's own files unless the user
    // goes elsewhere.
    ofn.lpstrInitialDir = ProgramDirectory.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR;
    // Appending to an existing file is the point, so ask only when it
    // would be replaced.
    if (!IsChecked(dialog, IDC_SAVE_APPEND))
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    HWND field = GetDlgItem(dialog, IDC_SAVE_FILE);
    if (Api.GetSaveFileNameA(&ofn)) {
        SetWindowTextA(field, path);
        SendMessageA(field, EM_SETSEL, 0, -1);
    }
    SetFocus(field);
}

SaveReportForm ReadForm(HWND dialog)
{
    SaveReportForm form;
    if (IsChecked(dialog, IDC_SAVE_ALL))
        form.option = SaveIspOption::All;
    else if (IsChecked(dialog, IDC_SAVE_SELECTED))
        form.option = SaveIspOption::Selected;
    else if (IsChecked(dialog, IDC_SAVE_NONE))
        form.option = SaveIspOption::None;
    else
        form.option = SaveIspOption::Unchosen;
    const LRESULT item = SendDlgItemMessageA(dialog, IDC_ISP, CB_GETCURSEL, 0, 0);
    form.ispSelected = item != CB_ERR;
    if (form.ispSelected)
        form.selectedIspId =
            static_cast<std::int32_t>(SendDlgItemMessageA(dialog, IDC_ISP, CB_GETITEMDATA, item, 0));
    form.includePhone = IsChecked(dialog, IDC_SAVE_PHONE);
    char name[SAVE_REPORT_NAME_MAX + 1] = "";
    GetDlgItemTextA(dialog, IDC_SAVE_FILE, name, sizeof name);
    form.fileName = name;
    form.append = IsChecked(dialog, IDC_SAVE_APPEND);
    return form;
}

void OnOk(WindowHandle window)
{
    HWND dialog = AsWindow(window);
    const SaveReportForm form = ReadForm(dialog);
    SaveReportRequest* request = &DialogData<SaveReportRequest>(dialog);
    UsageReportChoice choice;
    if (const int problem = CheckSaveReportForm(form, choice)) {
        ShowError(problem);
        return;
    }
    request->choice = std::move(choice);
    request->fileName = form.fileName;
    request->append = form.append;
    EndDialog(dialog, 0);
}

const CommandRow SaveCommands[] = {
    Row(IDOK, 3, OnOk),
    Row(IDC_BROWSE, 3, OnBrowse),
    Row(IDC_SAVE_ALL, 2, OnAllIsps),
    Row(IDC_SAVE_SELECTED, 2, OnSelectedIsp),
    Row(IDC_SAVE_NONE, 2, OnNoIsp),
};

const HelpPair SaveHelp[] = {
    {IDC_SAVE_GROUP, 5000},
    {IDC_SAVE_ALL, 5000},
    {IDC_SAVE_SELECTED, 5000},
    {IDC_ISP, 5000},
    {IDC_SAVE_NONE, 5000},
    {IDC_SAVE_PHONE, 5000},
    {IDC_SAVE_FILELABEL, 5001},
    {IDC_SAVE_FILE, 5001},
    {IDC_BROWSE, 5001},
    {IDC_SAVE_APPEND, 5002},
    {IDOK, 3000},
    {IDCANCEL, 3001},
    {IDC_HELPBUTTON, 3002},
    {0, 0},
};

DialogTable SaveDialogTable = {
    nullptr, RowCount(SaveCommands), SaveCommands, SaveHelp, TRUE, IDC_HELPBUTTON, 625,
};

void OpenSaveDialog(HWND dialog)
{
    SetReturnWindow(SaveDialogTable, MainWindow);
    // Quiet: the Usage dialog has already shown what was wrong with the tariffs.
    FillIspList(dialog, true);
    ChooseIspOption(dialog, IDC_SAVE_ALL);
    CheckDlgButton(dialog, IDC_SAVE_PHONE, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SAVE_APPEND, BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_SAVE_FILE, EM_LIMITTEXT, SAVE_REPORT_NAME_MAX, 0);
    SetDlgItemTextA(dialog, IDC_SAVE_FILE, "");
}

INT_PTR CALLBACK SaveReportDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(SaveDialogTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        OpenSaveDialog(window);
    return result;
}

} // namespace

void SaveUsageReport(HWND owner, const TariffTable& table)
{
    SaveReportRequest request;
    if (RunModalDialog(owner, IDD_SAVEREPORT, SaveReportDialogProc, &request) != 0)
        return;
    // Reports its own failures (cannot open, ISP not in the table).
    SaveUsageReportFile(request.fileName, request.append, table, request.choice);
}
