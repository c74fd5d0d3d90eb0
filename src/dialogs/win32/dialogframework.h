// The dispatcher every dialog procedure calls first, and the small helpers
// all dialogs share: help, the wait cursor, combo boxes and list views.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/dialogtable.h"

extern bool HelpWindowOpened;

// On WM_INITDIALOG it also keeps the dialog's data pointer (the lParam
// RunModalDialog passes) where DialogData finds it.
INT_PTR DialogDispatch(DialogTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a modal dialog from its template. `data` is the dialog's in/out
// struct: the procedure reads what it opens with and writes what it hands
// back through DialogData. The result is the one EndDialog gave (0 OK, -1
// Cancel by the framework's defaults), or -1 when the dialog cannot be shown.
INT_PTR RunModalDialog(HWND owner, int templateId, DLGPROC procedure, void* data);

template <typename T>
T& DialogData(HWND dialog)
{
    return *reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Property pages. A page's one operation that checks (FIELDS_CHECK: report
// problems with messages) and stores (FIELDS_STORE) its fields; 0 when all
// is well, -1 after reporting the first problem.
using PageFields = int (*)(HWND page, int mode);

// What a page procedure hands its dispatcher besides its table: the fields
// operation and, for pages that load data, whether the data is there.
struct PageRules {
    PageFields fields;
    bool (*loaded)(HWND page);  // null: always loaded
};

// One row of a sheet's page table.
struct PageEntry {
    int templateId;
    DLGPROC procedure;
    std::uint32_t helpContext;  // opened by the sheet's Help on this page
};

// Every page procedure calls this first (instead of DialogDispatch): the
// framework's dialog behaviour plus the answers to the sheet's
// notifications; the procedure returns its result unless it handles the
// message itself afterwards.
INT_PTR PageDispatch(DialogTable& table, const PageRules& rules, HWND page, UINT message, WPARAM wParam,
                     LPARAM lParam);

// The context pointer RunPropertySheet gave this page (null when none).
void* PageContextPointer(HWND page);
template <typename T>
T* PageContext(HWND page)
{
    return static_cast<T*>(PageContextPointer(page));
}

// Builds and runs a modal property sheet (no Apply button, a Help button,
// every page with help, on the first page) from a page table; contexts may
// be null, or hold one pointer per page. The result is the sheet's: above 0
// after OK, 0 after Cancel, -1 when it cannot be created (GetLastError
// tells why; the caller reports it).
INT_PTR RunPropertySheet(HWND owner, const char* caption, const PageEntry* pages, int count,
                         void* const* contexts = nullptr);

// Handles a dialog's WM_INITDIALOG bookkeeping: the window that becomes
// the current dialog again when this one is destroyed.
void SetReturnWindow(DialogTable& table, HWND window);

BOOL ShowHelp(HWND window, UINT command, ULONG_PTR data);
void CloseHelp(HWND window);

void BeginBusyCursor();
void EndBusyCursor();
bool BusyCursorActive();

LRESULT FillComboStrings(HWND dialog, int comboId, int count, const char* const* strings);
// The same for the numbers first..last ("%d", or "%02d" with twoDigits) and
// for a list of names; item 0 is selected.
LRESULT FillComboNumbers(HWND dialog, int comboId, int first, int last, bool twoDigits = false);
LRESULT FillComboNames(HWND dialog, int comboId, const std::vector<std::string>& names);
// Which of `count` radio buttons from firstId on is checked (its offset),
// -1 when none.
int CheckedButton(HWND dialog, int firstId, int count);
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);
// A control's text, cut at `max` characters.
std::string ControlText(HWND dialog, int id, int max);
// The selected item of a combo box, -1 when none.
int ComboSelection(HWND dialog, int comboId);

// A list-view column: its title and its share of the list's width in
// thousandths.
struct ListColumn {
    const char* title;
    int permille;
};
// Replaces the columns (left-aligned, whole rows selected); false when the
// list refuses them.
bool SetListColumns(HWND list, const ListColumn* columns, int count);
// Inserts a row at `index` with one text per column; its index, or -1.
int InsertListRow(HWND list, int index, const std::vector<std::string>& texts, LPARAM data = 0);
int GetSelectedListItem(HWND listView);
void SelectListItem(HWND listView, int index);

// The number of rows of a static array, for DialogTable.commandCount.
template <typename T, unsigned N>
constexpr std::uint32_t RowCount(const T (&)[N])
{
    return N;
}
