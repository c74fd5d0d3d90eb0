// The dialogs of ISP definition files. The file rules (version check,
// header, entries, disclaimer) are the core's, in tariff/ispfile.h.
#include "tariff/win32/ispfiles.h"

#include <commdlg.h>

#include <string>

#include "dialogs/win32/dialogframework.h"
#include "platform/clock.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/ispfile.h"

namespace {

// ---- The file dialog and its panel.

struct FileChoice {
    bool exporting = false;
    std::string path;
    std::string description;
};

const HelpPair ImportPanelHelp[] = {{IDC_ISPFILE_LABEL, 4300}, {IDC_ISPFILE_CONTENTS, 4300}, {0, 0}};
const HelpPair ExportPanelHelp[] = {{IDC_ISPFILE_LABEL, 4301}, {IDC_ISPFILE_CONTENTS, 4301}, {0, 0}};

// The panel is a child of the file dialog: it answers help itself and
// follows the dialog's notifications; the dialog does everything else.
UINT_PTR CALLBACK PanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    FileChoice* choice = reinterpret_cast<FileChoice*>(GetWindowLongPtrA(panel, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        choice = reinterpret_cast<FileChoice*>(reinterpret_cast<const OPENFILENAMEA*>(lParam)->lCustData);
        SetWindowLongPtrA(panel, DWLP_USER, reinterpret_cast<LONG_PTR>(choice));
        SendDlgItemMessageA(panel, IDC_ISPFILE_CONTENTS, EM_LIMITTEXT, ISP_FILE_DESCRIPTION_MAX, 0);
        return TRUE;
    }
    case WM_HELP:
        ShowHelp(static_cast<HWND>(reinterpret_cast<const HELPINFO*>(lParam)->hItemHandle), HELP_WM_HELP,
                 reinterpret_cast<ULONG_PTR>(choice && choice->exporting ? ExportPanelHelp : ImportPanelHelp));
        return TRUE;
    case WM_CONTEXTMENU:
        ShowHelp(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU,
                 reinterpret_cast<ULONG_PTR>(choice && choice->exporting ? ExportPanelHelp : ImportPanelHelp));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == CDN_SELCHANGE) {
            char path[MAX_PATH] = "";
            const LRESULT n = SendMessageA(GetParent(panel), CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
            const DWORD attributes = n > 0 ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                SetDlgItemTextA(panel, IDC_ISPFILE_CONTENTS, ReadIspFileDescription(path).c_str());
        } else if (header->code == CDN_FILEOK && choice) {
            choice->description = ControlText(panel, IDC_ISPFILE_CONTENTS, ISP_FILE_DESCRIPTION_MAX);
        }
        return FALSE;
    }
    }
    return FALSE;
}

// The path (and the panel's description) the user chose; false when cancelled.
bool ChooseIspFile(HWND owner, FileChoice& choice)
{
    char path[MAX_PATH] = "";
    const std::string folder = JoinPath(ProgramDirectory, "import");
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = ProgramInstance ? ProgramInstance : GetModuleHandleA(nullptr);
    ofn.lpstrFilter = "ISP configuration files\0*.ISP\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = choice.exporting ? "Export ISP To" : "Import ISP From";
    ofn.lpstrDefExt = "isp";
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_PATHMUSTEXIST | (choice.exporting ? OFN_CREATEPROMPT : OFN_FILEMUSTEXIST);
    ofn.lpTemplateName = MAKEINTRESOURCEA(choice.exporting ? IDD_ISPFILE_EXPORTPANEL : IDD_ISPFILE_IMPORTPANEL);
    ofn.lpfnHook = PanelHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&choice);
    const BOOL chosen = choice.exporting ? Api.GetSaveFileNameA(&ofn) : Api.GetOpenFileNameA(&ofn);
    if (!chosen)
        return false;
    choice.path = path;
    return true;
}

// ---- The Disclaimer dialog.

HWND AsWindow(WindowHandle window)
{
    return static_cast<HWND>(window);
}

// Shown unselected: the dialog selects an edit's whole text after it has
// taken the focus, so the caret is put back afterwards.
void OnDisclaimerText(WindowHandle, int, WindowHandle control, int code)
{
    if (code == EN_SETFOCUS)
        PostMessageA(AsWindow(control), EM_SETSEL, 0, 0);
}

const CommandRow DisclaimerCommands[] = {Row(IDC_DISCLAIMER_TEXT, 0, OnDisclaimerText)};
const HelpPair DisclaimerHelp[] = {{IDC_DISCLAIMER_LABEL, 4800}, {IDC_DISCLAIMER_TEXT, 4801}, {IDOK, 4802},
                                   {IDCANCEL, 3001},             {IDC_HELPBUTTON, 3002},       {0, 0}};
DialogTable DisclaimerTable = {nullptr, RowCount(DisclaimerCommands), DisclaimerCommands, DisclaimerHelp, TRUE,
                               IDC_HELPBUTTON, 623};

INT_PTR CALLBACK DisclaimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(DisclaimerTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(DisclaimerTable, GetParent(window));
        SetDlgItemTextA(window, IDC_DISCLAIMER_TEXT, DialogData<std::string>(window).c_str());
    }
    return result;
}

// ---- The Import dialog.

struct ImportChoice {
    std::string path;
    std::int32_t number = 0;
    bool phone = false;
    bool replace = false;
};

void FillEntries(HWND dialog, bool phone)
{
    HWND list = GetDlgItem(dialog, IDC_ISP);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const IspFileEntry& entry : ListIspFileEntries(DialogData<ImportChoice>(dialog).path, phone)) {
        const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
        if (at >= 0)
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), entry.number);
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);  // nothing when the list is empty
}

void OnIsps(WindowHandle dialog)
{
    FillEntries(AsWindow(dialog), false);
}

void OnPhones(WindowHandle dialog)
{
    FillEntries(AsWindow(dialog), true);
}

void TakeEntry(HWND dialog, bool replace)
{
    const LRESULT line = SendDlgItemMessageA(dialog, IDC_ISP, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) {
        EndDialog(dialog, -1);
        return;
    }
    ImportChoice& choice = DialogData<ImportChoice>(dialog);
    if (IsChecked(dialog, IDC_IMPORT_ISPS)) {
        choice.phone = false;
    } else if (IsChecked(dialog, IDC_IMPORT_PHONES)) {
        choice.phone = true;
    } else {
        ShowError(1060);
        return;
    }
    choice.number = static_cast<std::int32_t>(SendDlgItemMessageA(dialog, IDC_ISP, LB_GETITEMDATA, line, 0));
    choice.replace = replace;
    EndDialog(dialog, 0);
}

void OnImport(WindowHandle dialog)
{
    TakeEntry(AsWindow(dialog), false);
}

void OnReplace(WindowHandle dialog)
{
    TakeEntry(AsWindow(dialog), true);
}

void OnEntryList(WindowHandle dialog, int, WindowHandle, int code)
{
    if (code == LBN_DBLCLK)
        TakeEntry(AsWindow(dialog), false);
}

const CommandRow ImportCommands[] = {
    Row(IDOK, 3, OnImport),           Row(IDC_IMPORT_REPLACE, 3, OnReplace), Row(IDC_ISP, 0, OnEntryList),
    Row(IDC_IMPORT_ISPS, 3, OnIsps), Row(IDC_IMPORT_PHONES, 3, OnPhones),
};
const HelpPair ImportHelp[] = {{IDC_ISP, 3800},  {IDC_IMPORT_ISPS, 3801},    {IDC_IMPORT_PHONES, 3802},
                               {IDOK, 3803},     {IDC_IMPORT_REPLACE, 3804}, {IDCANCEL, 3001},
                               {IDC_HELPBUTTON, 3002}, {0, 0}};
DialogTable ImportTable = {nullptr, RowCount(ImportCommands), ImportCommands, ImportHelp, TRUE, IDC_HELPBUTTON, 618};

INT_PTR CALLBACK ImportProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(ImportTable, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(ImportTable, GetParent(window));
        CheckRadioButton(window, IDC_IMPORT_ISPS, IDC_IMPORT_PHONES, IDC_IMPORT_ISPS);
        FillEntries(window, false);
    }
    return result;
}

} // namespace

void ExportTariffFile(HWND owner, const TariffRecord& record, bool phone)
{
    FileChoice choice;
    choice.exporting = true;
    if (!ChooseIspFile(owner, choice))
        return;
    WriteIspFileEntry(choice.path, choice.description, record, phone);  // reports its failures
}

bool ImportTariffFile(HWND owner, TariffRecord& record, bool& replace, bool& phone)
{
    FileChoice file;
    if (!ChooseIspFile(owner, file) || CheckIspFileVersion(file.path) != 0)
        return false;
    std::string disclaimer;
    if (BuildDisclaimer(file.path, disclaimer) && RunModalDialog(owner, IDD_DISCLAIMER, DisclaimerProc, &disclaimer) != 0)
        return false;
    ImportChoice choice;
    choice.path = file.path;
    if (RunModalDialog(owner, IDD_IMPORT, ImportProc, &choice) != 0 || choice.number < 1)
        return false;
    TariffRecord loaded;
    if (LoadIspFileEntry(loaded, file.path, choice.number, choice.phone, ToLocalTime(Now())) != 0)
        return false;
    record = std::move(loaded);
    replace = choice.replace;
    phone = choice.phone;
    return true;
}
