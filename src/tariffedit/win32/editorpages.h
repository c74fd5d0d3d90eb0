// The ISP editor sheet and what its four pages share: the editor every page
// is given, the way a page answers the sheet, and the small views of the
// browse and edit modes.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "dialogs/win32/dialogframework.h"
#include "tariffedit/tariffeditor.h"

// Edits the record in place; `changed` tells whether a page wrote into it
// (the caller clears it). Reports 2011 when the sheet cannot be created.
void OpenTariffEditor(HWND owner, TariffRecord& record, bool& changed, const char* caption);

INT_PTR CALLBACK IspGeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ChargesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FramesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExceptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

TariffEditor& EditorOf(HWND page);
inline TariffEditor& EditorOf(WindowHandle page) { return EditorOf(static_cast<HWND>(page)); }

// Where the focus goes when a page's mode changes: to `editFocus` when edit
// mode begins, to the list (or `emptyFocus` when the list is empty) when
// browse mode comes back.
struct ModeFocus {
    int listId;
    int emptyFocus;
    int editFocus;
};

// How one page copies between its controls and its part of the editor:
// `read` takes what the user typed and chose, `show` puts the page's state
// back into the controls. Pages with a browse and an edit mode also tell
// their mode, whether their list is empty, and where the focus goes.
struct EditorPageView {
    EditorPage page;
    void (*read)(HWND page, TariffEditor& editor);
    void (*show)(HWND page, TariffEditor& editor);
    PageMode (*mode)(const TariffEditor& editor);
    bool (*listEmpty)(const TariffEditor& editor);
    ModeFocus focus;
};

// What every editor page procedure does first: the framework's dialog
// behaviour, becoming active (filled or refreshed, then shown), and the
// checks on leaving and the stores on OK. The page procedure returns the
// result unless it handles the message itself.
INT_PTR EditorPageDispatch(DialogTable& table, const EditorPageView& view, HWND page, UINT message, WPARAM wParam,
                           LPARAM lParam);

// A command handler's frame: reads the page, runs `operation`, shows the
// page again and moves the focus as the mode change asks.
template <typename Operation>
void RunPageOperation(WindowHandle page, const EditorPageView& view, Operation operation);

// Enables the browse controls and disables the edit ones, or the reverse.
void ShowPageMode(HWND page, PageMode mode, std::initializer_list<int> browseIds, std::initializer_list<int> editIds);
// A Yes/No question box of the editor with an exclamation or question icon.
bool AskQuestion(void* owner, const char* text, const char* caption, UINT icon);
// The rows of a list view replaced by these, the selection shown.
void ShowListRows(HWND list, const std::vector<std::vector<std::string>>& rows, int selected);
// The button a list stands for when it is double-clicked or gets Delete or
// Insert: the page runs that button's command. For a list view's WM_NOTIFY
// and a list box's WM_VKEYTOITEM; false when the message is not one of them.
struct ListButtons {
    int listId;
    int editId;
    int deleteId;
    int newId;
};
bool ListViewCommand(HWND page, const ListButtons& buttons, WPARAM wParam, LPARAM lParam);
bool ListKeyCommand(HWND page, const ListButtons& buttons, WPARAM wParam);

template <typename Operation>
void RunPageOperation(WindowHandle window, const EditorPageView& view, Operation operation)
{
    HWND page = static_cast<HWND>(window);
    TariffEditor& editor = EditorOf(page);
    view.read(page, editor);
    const PageMode before = view.mode(editor);
    operation(editor);
    view.show(page, editor);
    const PageMode after = view.mode(editor);
    if (before == after)
        return;
    if (after == PageMode::Edit) {
        HWND field = GetDlgItem(page, view.focus.editFocus);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
    } else {
        SetFocus(GetDlgItem(page, view.listEmpty(editor) ? view.focus.emptyFocus : view.focus.listId));
    }
}
