// The ISP page (158) of the Options sheet: shows the page's working copy of
// the tariff table and hands each button to its operation there.
#include <windows.h>
#include <prsht.h>

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "platform/clock.h"
#include "platform/win32/win32_api.h"
#include "resource.h"
#include "tariff/win32/ispfiles.h"
#include "tariffedit/ispworkingcopy.h"
#include "tariffedit/win32/editorpages.h"

namespace {

// One sheet at a time: it is modal.
IspPageState State;

void Show(HWND page)
{
    HWND list = GetDlgItem(page, IDC_ISP);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const IspLine& line : State.lines) {
        const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
        if (index >= 0)
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), line.id);
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(State.selected), 0);
    SetChecked(page, IDC_ISPPAGE_DEFAULT, State.defaultChecked);
}

void RunEditor(void* owner, TariffRecord& record, bool& changed, const char* caption)
{
    OpenTariffEditor(static_cast<HWND>(owner), record, changed, caption);
}

bool ConfirmPhoneImport(void* owner)
{
    return AskQuestion(owner, IMPORT_PHONE_QUESTION, WARNING_CAPTION, MB_ICONEXCLAMATION);
}

template <typename Operation>
void Operate(WindowHandle window, Operation operation)
{
    HWND page = static_cast<HWND>(window);
    const LRESULT line = SendDlgItemMessageA(page, IDC_ISP, LB_GETCURSEL, 0, 0);
    State.selected = line == LB_ERR ? -1 : static_cast<int>(line);
    operation(page);
    Show(page);
}

void OnList(WindowHandle page, int, WindowHandle, int code)
{
    if (code == LBN_SELCHANGE)
        Operate(page, [](HWND) { SelectIspLine(State, State.selected); });
    else if (code == LBN_DBLCLK)
        Operate(page, [](HWND p) { IspPageEdit(State, RunEditor, p); });
}

void OnNew(WindowHandle page)
{
    Operate(page, [](HWND p) { IspPageNew(State, Now(), RunEditor, p); });
}

void OnEdit(WindowHandle page)
{
    Operate(page, [](HWND p) { IspPageEdit(State, RunEditor, p); });
}

void OnDelete(WindowHandle page)
{
    Operate(page, [](HWND) { IspPageDelete(State); });
}

void OnDefault(WindowHandle page)
{
    Operate(page, [](HWND p) { IspPageSetDefault(State, IsChecked(p, IDC_ISPPAGE_DEFAULT)); });
}

void OnImport(WindowHandle page)
{
    Operate(page, [](HWND p) {
        TariffRecord record;
        bool replace = false;
        bool phone = false;
        if (ImportTariffFile(p, record, replace, phone))
            IspPageImported(State, std::move(record), replace, phone, ConfirmPhoneImport, p);
    });
}

void OnExport(WindowHandle page)
{
    Operate(page, [](HWND p) {
        bool phone = false;
        if (const TariffRecord* record = IspPageExportRecord(State, phone))
            ExportTariffFile(p, *record, phone);
    });
}

const CommandRow IspCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_ISP, 0, OnList),
    Row(IDC_ISPPAGE_NEW, ROW_WINDOW_ONLY, OnNew),
    Row(IDC_ISPPAGE_EDIT, ROW_WINDOW_ONLY, OnEdit),
    Row(IDC_ISPPAGE_DELETE, ROW_WINDOW_ONLY, OnDelete),
    Row(IDC_ISPPAGE_DEFAULT, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnDefault),
    Row(IDC_ISPPAGE_IMPORT, ROW_WINDOW_ONLY, OnImport),
    Row(IDC_ISPPAGE_EXPORT, ROW_WINDOW_ONLY, OnExport),
};

const HelpPair IspHelp[] = {
    {IDC_ISP_LABEL, 3500},       {IDC_ISP, 3500},           {IDC_ISPPAGE_DEFAULT, 3501}, {IDC_ISPPAGE_NEW, 3502},
    {IDC_ISPPAGE_EDIT, 3503},    {IDC_ISPPAGE_DELETE, 3504}, {IDC_ISPPAGE_IMPORT, 3505}, {IDC_ISPPAGE_EXPORT, 3506},
    {0, 0},
};

DialogTable IspTable = {nullptr, RowCount(IspCommands), IspCommands, IspHelp, 0, 0, 0};

int Fields(HWND, int mode)
{
    return mode & FIELDS_STORE ? IspPageApply(State) : 0;
}

bool Loaded(HWND)
{
    return State.loaded;
}

const PageRules IspRules = {Fields, Loaded};

void OpenPage(HWND page)
{
    OpenIspPage(State, Now());
    Show(page);
}

} // namespace

INT_PTR CALLBACK IspPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_VKEYTOITEM && reinterpret_cast<HWND>(lParam) == GetDlgItem(page, IDC_ISP))
        return ListKeyCommand(page, {IDC_ISP, IDC_ISPPAGE_EDIT, IDC_ISPPAGE_DELETE, IDC_ISPPAGE_NEW}, wParam) ? -2 : -1;
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_RESET))
        IspPageCancel(State);
    return OptionsPageDispatch(IspTable, IspRules, OpenPage, page, message, wParam, lParam);
}
