// The Exceptions page (161): copies between its controls and the
// ExceptionsPage; the rules live with it.
#include "platform/clock.h"
#include "platform/localtime.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"  // MonthNames
#include "tariffedit/exceptionspage.h"
#include "tariffedit/win32/editorpages.h"

namespace {

void Read(HWND page, TariffEditor& editor)
{
    ExceptionsPage& p = editor.exceptions;
    const LRESULT line = SendDlgItemMessageA(page, IDC_EX_LIST, LB_GETCURSEL, 0, 0);
    p.selected = line == LB_ERR ? -1 : static_cast<int>(line);
    p.entry.day = ComboSelection(page, IDC_DAY);
    p.entry.month = ComboSelection(page, IDC_MONTH);
    p.entry.year = ControlText(page, IDC_YEAR, EXCEPTION_YEAR_MAX);
    p.entry.caption = ControlText(page, IDC_ENTRY_BUTTON, 32);
    p.frame = ComboSelection(page, IDC_EX_FRAME);
}

void Show(HWND page, TariffEditor& editor)
{
    const ExceptionsPage& p = editor.exceptions;
    HWND list = GetDlgItem(page, IDC_EX_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : p.lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(p.selected), 0);
    ShowPageMode(page, p.mode, {IDC_EX_LISTLABEL, IDC_EX_LIST, IDC_EX_NEW, IDC_EX_EDIT, IDC_DELETE},
                 {IDC_EX_ENTRYGROUP, IDC_DAY_LABEL, IDC_DAY, IDC_MONTH_LABEL, IDC_MONTH, IDC_YEAR_LABEL, IDC_YEAR,
                  IDC_ENTRY_BUTTON, IDC_ENTRY_CANCEL});
    SendDlgItemMessageA(page, IDC_DAY, CB_SETCURSEL, static_cast<WPARAM>(p.entry.day), 0);
    SendDlgItemMessageA(page, IDC_MONTH, CB_SETCURSEL, static_cast<WPARAM>(p.entry.month), 0);
    SetDlgItemTextA(page, IDC_YEAR, p.entry.year.c_str());
    if (!p.entry.caption.empty())
        SetDlgItemTextA(page, IDC_ENTRY_BUTTON, p.entry.caption.c_str());
    FillComboNames(page, IDC_EX_FRAME, editor.context.frames.names);
    SendDlgItemMessageA(page, IDC_EX_FRAME, CB_SETCURSEL, static_cast<WPARAM>(p.frame), 0);
}

const EditorPageView View = {
    EDITOR_EXCEPTIONS, Read, Show, [](const TariffEditor& e) { return e.exceptions.mode; },
    [](const TariffEditor& e) { return e.exceptions.lines.empty(); }, {IDC_EX_LIST, IDC_EX_LIST, IDC_DAY},
};

void OnNew(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ExceptionsNew(e.exceptions, ToLocalTime(Now()).tm_year + 1900); });
}

void OnEdit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ExceptionsEdit(e.exceptions); });
}

void OnDelete(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ExceptionsDelete(e.exceptions); });
}

void OnCommit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ExceptionsCommit(e.exceptions, CommitForm::Button); });
}

void OnCancel(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ExceptionsCancelEntry(e.exceptions); });
}

void OnList(WindowHandle page, int, WindowHandle, int code)
{
    if (code == LBN_DBLCLK)
        OnEdit(page);
}

const CommandRow ExceptionsCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_EX_LIST, 0, OnList),
    Row(IDC_EX_NEW, ROW_WINDOW_ONLY, OnNew),
    Row(IDC_EX_EDIT, ROW_WINDOW_ONLY, OnEdit),
    Row(IDC_DELETE, ROW_WINDOW_ONLY, OnDelete),
    Row(IDC_ENTRY_BUTTON, ROW_WINDOW_ONLY, OnCommit),
    Row(IDC_ENTRY_CANCEL, ROW_WINDOW_ONLY, OnCancel),
};

const HelpPair ExceptionsHelp[] = {
    {IDC_EX_LISTLABEL, 4200}, {IDC_EX_LIST, 4200},      {IDC_EX_NEW, 4201},       {IDC_EX_EDIT, 4202},
    {IDC_DELETE, 4203},       {IDC_DAY_LABEL, 4204},    {IDC_MONTH_LABEL, 4204},  {IDC_YEAR_LABEL, 4204},
    {IDC_DAY, 4204},          {IDC_MONTH, 4204},        {IDC_YEAR, 4204},         {IDC_ENTRY_BUTTON, 4205},
    {IDC_ENTRY_CANCEL, 4206}, {IDC_EX_FRAMELABEL, 4207}, {IDC_EX_FRAME, 4207},    {0, 0},
};

DialogTable ExceptionsTable = {nullptr, RowCount(ExceptionsCommands), ExceptionsCommands, ExceptionsHelp, 0, 0, 0};

} // namespace

INT_PTR CALLBACK ExceptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        FillComboNumbers(page, IDC_DAY, 1, 31);
        FillComboStrings(page, IDC_MONTH, 12, MonthNames);
        SendDlgItemMessageA(page, IDC_YEAR, EM_LIMITTEXT, EXCEPTION_YEAR_MAX, 0);
    }
    if (message == WM_VKEYTOITEM && reinterpret_cast<HWND>(lParam) == GetDlgItem(page, IDC_EX_LIST)) {
        // The one message whose answer is the procedure's own result.
        return ListKeyCommand(page, {IDC_EX_LIST, IDC_EX_EDIT, IDC_DELETE, IDC_EX_NEW}, wParam) ? -2 : -1;
    }
    return EditorPageDispatch(ExceptionsTable, View, page, message, wParam, lParam);
}
