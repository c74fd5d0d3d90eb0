// The ISP editor sheet: four pages over one TariffEditor.
#include "tariffedit/win32/editorpages.h"

#include <commctrl.h>
#include <prsht.h>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"
#include "tariffedit/framespage.h"

namespace {

// Sheet order: General, Charges, Frames, Exceptions.
const PageEntry EditorPages[EDITOR_PAGE_COUNT] = {
    {IDD_ISPGENERAL, IspGeneralPageProc, 503},
    {IDD_CHARGESPAGE, ChargesPageProc, 504},
    {IDD_FRAMESPAGE, FramesPageProc, 505},
    {IDD_EXCEPTIONSPAGE, ExceptionsPageProc, 506},
};

bool ConvertFrameName(void* owner)
{
    return AskQuestion(owner, FRAME_NAME_QUESTION, FRAME_NAME_CAPTION, MB_ICONQUESTION);
}

} // namespace

void OpenTariffEditor(HWND owner, TariffRecord& record, bool& changed, const char* caption)
{
    TariffEditor editor(record, changed);
    if (BeginTariffEditor(editor) != 0)
        return;
    editor.convertFrameName = ConvertFrameName;
    editor.owner = owner;
    void* contexts[EDITOR_PAGE_COUNT] = {&editor, &editor, &editor, &editor};
    HWND current = CurrentDialog;
    if (RunPropertySheet(owner, caption, EditorPages, EDITOR_PAGE_COUNT, contexts) == -1)
        ShowError(2011);
    CurrentDialog = current;
}

TariffEditor& EditorOf(HWND page)
{
    return *PageContext<TariffEditor>(page);
}

INT_PTR EditorPageDispatch(DialogTable& table, const EditorPageView& view, HWND page, UINT message, WPARAM wParam,
                           LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const INT_PTR result = PageDispatch(table, PageRules{nullptr, nullptr}, page, message, wParam, lParam);
        // Boxes this page raises belong to the editor, above the Options sheet.
        SetReturnWindow(table, GetParent(page));
        return result;
    }
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->hwndFrom != GetParent(page))
        return PageDispatch(table, PageRules{nullptr, nullptr}, page, message, wParam, lParam);

    TariffEditor& editor = EditorOf(page);
    const int code = static_cast<int>(reinterpret_cast<const NMHDR*>(lParam)->code);
    bool failed = false;
    PageRoute route = RoutePageNotification(code, true);
    switch (route) {
    case PageRoute::Accept:
        CurrentDialog = GetParent(page);
        editor.owner = page;
        if (ShowEditorPage(editor, view.page) != 0)
            route = PageRoute::Refuse;
        else
            view.show(page, editor);
        break;
    case PageRoute::Check:
        view.read(page, editor);
        failed = LeaveEditorPage(editor, view.page) != 0;
        break;
    case PageRoute::Store:
        view.read(page, editor);
        failed = StoreEditorPage(editor, view.page) != 0;
        break;
    default:
        return PageDispatch(table, PageRules{nullptr, nullptr}, page, message, wParam, lParam);
    }
    const PageAnswer answer = AnswerPage(route, failed);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, answer.result);
    return TRUE;
}

void ShowPageMode(HWND page, PageMode mode, std::initializer_list<int> browseIds, std::initializer_list<int> editIds)
{
    const bool browse = mode == PageMode::Browse;
    for (int id : browseIds)
        EnableWindow(GetDlgItem(page, id), browse);
    for (int id : editIds)
        EnableWindow(GetDlgItem(page, id), !browse);
}

bool AskQuestion(void* owner, const char* text, const char* caption, UINT icon)
{
    return Api.MessageBoxA(static_cast<HWND>(owner), text, caption, MB_YESNO | icon) == IDYES;
}

void ShowListRows(HWND list, const std::vector<std::vector<std::string>>& rows, int selected)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i)
        InsertListRow(list, static_cast<int>(i), rows[i]);
    if (selected >= 0) {
        SelectListItem(list, selected);
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

namespace {

bool RunButton(HWND page, int id)
{
    if (id == 0)
        return false;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    return true;
}

int KeyButton(const ListButtons& buttons, int key)
{
    return key == VK_DELETE ? buttons.deleteId : key == VK_INSERT ? buttons.newId : 0;
}

} // namespace

bool ListViewCommand(HWND page, const ListButtons& buttons, WPARAM wParam, LPARAM lParam)
{
    if (static_cast<int>(wParam) != buttons.listId)
        return false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == static_cast<UINT>(NM_DBLCLK))
        return RunButton(page, buttons.editId);
    if (header->code == static_cast<UINT>(LVN_KEYDOWN))
        return RunButton(page, KeyButton(buttons, reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey));
    return false;
}

bool ListKeyCommand(HWND page, const ListButtons& buttons, WPARAM wParam)
{
    return RunButton(page, KeyButton(buttons, LOWORD(wParam)));
}
