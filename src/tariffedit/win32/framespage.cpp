// The Frames page (162): copies between its controls and the FramesPage;
// the rules live with it.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"
#include "tariffedit/framespage.h"
#include "tariffedit/win32/editorpages.h"

namespace {

const ListColumn FrameColumns[] = {{"Name of frame", 667}, {"Charge", 333}};

void Read(HWND page, TariffEditor& editor)
{
    FramesPage& p = editor.frames;
    p.selected = GetSelectedListItem(GetDlgItem(page, IDC_FR_LIST));
    p.entry.name = ControlText(page, IDC_FRAME, FRAME_NAME_MAX);
    p.entry.charge = ControlText(page, IDC_FR_CHARGE, FRAME_CHARGE_MAX);
    p.entry.caption = ControlText(page, IDC_ENTRY_BUTTON, 32);
}

void Show(HWND page, TariffEditor& editor)
{
    const FramesPage& p = editor.frames;
    HWND list = GetDlgItem(page, IDC_FR_LIST);
    std::vector<std::vector<std::string>> rows;
    for (const FrameRow& row : p.rows)
        rows.push_back({row.name, row.charge});
    ShowListRows(list, rows, p.selected);
    ShowPageMode(page, p.mode, {IDC_FR_LISTLABEL, IDC_FR_LIST, IDC_FR_NEW, IDC_FR_EDIT, IDC_DELETE},
                 {IDC_FR_ENTRYGROUP, IDC_FRAME_LABEL, IDC_FRAME, IDC_FR_CHARGELABEL, IDC_FR_CHARGE, IDC_ENTRY_BUTTON,
                  IDC_ENTRY_CANCEL});
    SetDlgItemTextA(page, IDC_FRAME, p.entry.name.c_str());
    SetDlgItemTextA(page, IDC_FR_CHARGE, p.entry.charge.c_str());
    if (!p.entry.caption.empty())
        SetDlgItemTextA(page, IDC_ENTRY_BUTTON, p.entry.caption.c_str());
}

const EditorPageView View = {
    EDITOR_FRAMES, Read, Show, [](const TariffEditor& e) { return e.frames.mode; },
    [](const TariffEditor& e) { return e.frames.rows.empty(); }, {IDC_FR_LIST, IDC_FR_NEW, IDC_FRAME},
};

bool ConfirmDelete(void* owner)
{
    return AskQuestion(owner, FRAME_DELETE_QUESTION, "Warning", MB_ICONEXCLAMATION);
}

void OnNew(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { FramesNew(e.frames); });
}

void OnEdit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { FramesEdit(e.frames); });
}

void OnDelete(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { FramesDelete(e.frames, ConfirmDelete, e.owner); });
}

void OnCommit(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { FramesCommit(e.frames, CommitForm::Button, e.convertFrameName, e.owner); });
}

void OnCancel(WindowHandle page)
{
    RunPageOperation(page, View, [](TariffEditor& e) { FramesCancelEntry(e.frames); });
}

const CommandRow FramesCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_FR_NEW, ROW_WINDOW_ONLY, OnNew),
    Row(IDC_FR_EDIT, ROW_WINDOW_ONLY, OnEdit),
    Row(IDC_DELETE, ROW_WINDOW_ONLY, OnDelete),
    Row(IDC_ENTRY_BUTTON, ROW_WINDOW_ONLY, OnCommit),
    Row(IDC_ENTRY_CANCEL, ROW_WINDOW_ONLY, OnCancel),
};

const HelpPair FramesHelp[] = {
    {IDC_FR_LISTLABEL, 4100}, {IDC_FR_LIST, 4100},       {IDC_FR_NEW, 4101},         {IDC_FR_EDIT, 4102},
    {IDC_DELETE, 4103},       {IDC_FRAME_LABEL, 4104},   {IDC_FRAME, 4104},          {IDC_FR_CHARGELABEL, 4105},
    {IDC_FR_CHARGE, 4105},    {IDC_ENTRY_BUTTON, 4106},  {IDC_ENTRY_CANCEL, 4107},   {0, 0},
};

DialogTable FramesTable = {nullptr, RowCount(FramesCommands), FramesCommands, FramesHelp, 0, 0, 0};

} // namespace

INT_PTR CALLBACK FramesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(page, IDC_FRAME, EM_LIMITTEXT, FRAME_NAME_MAX, 0);
        SendDlgItemMessageA(page, IDC_FR_CHARGE, EM_LIMITTEXT, FRAME_CHARGE_MAX, 0);
        SetListColumns(GetDlgItem(page, IDC_FR_LIST), FrameColumns, 2);
    }
    if (message == WM_NOTIFY && ListViewCommand(page, {IDC_FR_LIST, IDC_FR_EDIT, IDC_DELETE, IDC_FR_NEW}, wParam, lParam))
        return FALSE;
    return EditorPageDispatch(FramesTable, View, page, message, wParam, lParam);
}
