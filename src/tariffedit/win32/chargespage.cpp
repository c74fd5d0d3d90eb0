// The Charges page (160): copies between its controls and the ChargesPage;
// the rules live with it. The Copy dialog has a file of its own.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"
#include "tariffedit/chargespage.h"
#include "tariffedit/win32/editorpages.h"

// The Copy dialog run for the page's current day; false when cancelled.
bool RunCopyDialog(HWND owner, int currentDay, CopyForm& form);

namespace {

const ListColumn ScheduleColumns[] = {{"Start", 250}, {"End", 250}, {"Frame", 500}};
const int TimeChoosers[6] = {IDC_CH_STARTHOUR, IDC_CH_STARTHOUR + 1, IDC_CH_STARTHOUR + 2,
                             IDC_CH_ENDHOUR,   IDC_CH_ENDHOUR + 1,   IDC_CH_ENDHOUR + 2};

void Read(HWND page, TariffEditor& editor)
{
    ChargesPage& p = editor.charges;
    p.selected = GetSelectedListItem(GetDlgItem(page, IDC_CH_ROWS));
    for (int i = 0; i < 6; ++i)
        p.entry.times[static_cast<std::size_t>(i)] = ComboSelection(page, TimeChoosers[i]);
    p.entry.frame = ComboSelection(page, IDC_FRAME);
    p.entry.caption = ControlText(page, IDC_ENTRY_BUTTON, 32);
    p.form.defaultFrame = ComboSelection(page, IDC_CH_DEFAULT);
    p.form.connectCharge = ControlText(page, IDC_CH_CONNECT, 79);
    p.form.minCharge = ControlText(page, IDC_CH_MINIMUM, 79);
    p.form.tollFree = IsChecked(page, IDC_CH_TOLLFREE);
}

void Show(HWND page, TariffEditor& editor)
{
    const ChargesPage& p = editor.charges;
    const WorkingFrameList& frames = editor.context.frames;
    SendDlgItemMessageA(page, IDC_DAY, LB_SETCURSEL, static_cast<WPARAM>(p.currentDay), 0);
    std::vector<std::vector<std::string>> rows;
    for (const ScheduleEntry& row : p.rows) {
        const ScheduleRowText text = ScheduleRowTexts(row, frames);
        rows.push_back({text.start, text.end, text.frame});
    }
    ShowListRows(GetDlgItem(page, IDC_CH_ROWS), rows, p.selected);
    ShowPageMode(page, p.mode,
                 {IDC_DAY_LABEL, IDC_DAY, IDC_CH_ROWSLABEL, IDC_CH_ROWS, IDC_CH_NEW, IDC_CH_EDIT, IDC_CH_COPY,
                  IDC_CH_DELETE, IDC_CH_DEFAULTLABEL, IDC_CH_DEFAULT, IDC_CH_MISCGROUP, IDC_CH_CONNECTLABEL,
                  IDC_CH_CONNECT, IDC_CH_MINIMUMLABEL, IDC_CH_MINIMUM, IDC_CH_TOLLFREE},
                 {IDC_CH_ENTRYGROUP, IDC_CH_HOURLABEL, IDC_CH_MINUTELABEL, IDC_CH_SECONDLABEL, IDC_CH_STARTLABEL,
                  TimeChoosers[0], TimeChoosers[1], TimeChoosers[2], IDC_CH_ENDLABEL, TimeChoosers[3],
                  TimeChoosers[4], TimeChoosers[5], IDC_FRAME_LABEL, IDC_FRAME, IDC_ENTRY_BUTTON,
                  IDC_ENTRY_CANCEL});
    for (int i = 0; i < 6; ++i)
        SendDlgItemMessageA(page, TimeChoosers[i], CB_SETCURSEL,
                            static_cast<WPARAM>(p.entry.times[static_cast<std::size_t>(i)]), 0);
    FillComboNames(page, IDC_FRAME, frames.names);
    SendDlgItemMessageA(page, IDC_FRAME, CB_SETCURSEL, static_cast<WPARAM>(p.entry.frame), 0);
    if (!p.entry.caption.empty())
        SetDlgItemTextA(page, IDC_ENTRY_BUTTON, p.entry.caption.c_str());
    FillComboNames(page, IDC_CH_DEFAULT, frames.names);
    SendDlgItemMessageA(page, IDC_CH_DEFAULT, CB_SETCURSEL, static_cast<WPARAM>(p.form.defaultFrame), 0);
    SetDlgItemTextA(page, IDC_CH_CONNECT, p.form.connectCharge.c_str());
    SetDlgItemTextA(page, IDC_CH_MINIMUM, p.form.minCharge.c_str());
    SetChecked(page, IDC_CH_TOLLFREE, p.form.tollFree);
}

const EditorPageView View = {
    EDITOR_CHARGES, Read, Show, [](const TariffEditor& e) { return e.charges.mode; },
    [](const TariffEditor& e) { return e.charges.rows.empty(); }, {IDC_CH_ROWS, IDC_DAY, IDC_CH_STARTHOUR},
};

void OnDay(WindowHandle window, int, WindowHandle, int code)
{
    if (code != LBN_SELCHANGE)
        return;
    HWND page = static_cast<HWND>(window);
    const int day = static_cast<int>(SendDlgItemMessageA(page, IDC_DAY, LB_GETCURSEL, 0, 0));
    RunPageOperation(page, View, [day](TariffEditor& e) { ChargesSelectDay(e.charges, e.context.frames, day); });
}

void OnNew(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ChargesNew(e.charges); });
}

void OnEdit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ChargesEdit(e.charges); });
}

void OnDelete(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ChargesDelete(e.charges, e.context.frames); });
}

void OnCopy(WindowHandle window)
{
    HWND page = static_cast<HWND>(window);
    RunPageOperation(page, View, [page](TariffEditor& e) {
        CopyForm form;
        if (RunCopyDialog(page, e.charges.currentDay, form))
            ChargesCopy(e.charges, e.context.frames, form);
    });
}

void OnCommit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ChargesCommit(e.charges, e.context.frames, CommitForm::Button); });
}

void OnCancel(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { ChargesCancelEntry(e.charges); });
}

const CommandRow ChargesCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_DAY, 0, OnDay),
    Row(IDC_CH_NEW, ROW_WINDOW_ONLY, OnNew),
    Row(IDC_CH_EDIT, ROW_WINDOW_ONLY, OnEdit),
    Row(IDC_CH_DELETE, ROW_WINDOW_ONLY, OnDelete),
    Row(IDC_CH_COPY, ROW_WINDOW_ONLY, OnCopy),
    Row(IDC_ENTRY_BUTTON, ROW_WINDOW_ONLY, OnCommit),
    Row(IDC_ENTRY_CANCEL, ROW_WINDOW_ONLY, OnCancel),
};

const HelpPair ChargesHelp[] = {
    {IDC_DAY_LABEL, 4000},        {IDC_DAY, 4000},
    {IDC_CH_ROWSLABEL, 4001},     {IDC_CH_ROWS, 4001},
    {IDC_CH_NEW, 4002},           {IDC_CH_EDIT, 4003},
    {IDC_CH_COPY, 4004},          {IDC_CH_DELETE, 4005},
    {IDC_CH_STARTLABEL, 4006},    {IDC_CH_STARTHOUR, 4006},
    {IDC_CH_STARTHOUR + 1, 4006}, {IDC_CH_STARTHOUR + 2, 4006},
    {IDC_CH_ENDLABEL, 4007},      {IDC_CH_ENDHOUR, 4007},
    {IDC_CH_ENDHOUR + 1, 4007},   {IDC_CH_ENDHOUR + 2, 4007},
    {IDC_FRAME_LABEL, 4008},      {IDC_FRAME, 4008},
    {IDC_ENTRY_BUTTON, 4009},     {IDC_ENTRY_CANCEL, 4010},
    {IDC_CH_DEFAULTLABEL, 4011},  {IDC_CH_DEFAULT, 4011},
    {IDC_CH_CONNECTLABEL, 4012},  {IDC_CH_CONNECT, 4012},
    {IDC_CH_MINIMUMLABEL, 4013},  {IDC_CH_MINIMUM, 4013},
    {IDC_CH_TOLLFREE, 4014},      {0, 0},
};

DialogTable ChargesTable = {nullptr, RowCount(ChargesCommands), ChargesCommands, ChargesHelp, 0, 0, 0};

} // namespace

INT_PTR CALLBACK ChargesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        for (const char* day : WeekdayNames)
            SendDlgItemMessageA(page, IDC_DAY, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(day));
        for (int i = 0; i < 6; ++i)
            FillComboNumbers(page, TimeChoosers[i], 0, i % 3 == 0 ? 23 : 59, true);
        SetListColumns(GetDlgItem(page, IDC_CH_ROWS), ScheduleColumns, 3);
    }
    if (message == WM_NOTIFY && ListViewCommand(page, {IDC_CH_ROWS, IDC_CH_EDIT, IDC_CH_DELETE, IDC_CH_NEW}, wParam, lParam))
        return FALSE;
    return EditorPageDispatch(ChargesTable, View, page, message, wParam, lParam);
}
