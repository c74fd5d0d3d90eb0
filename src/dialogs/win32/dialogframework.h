// The dispatcher every dialog procedure calls first, and the small helpers
// all dialogs share: help, the wait cursor, combo boxes and list views.
#pragma once
#include <windows.h>

#include "dialogs/dialogtable.h"

extern bool HelpWindowOpened;

INT_PTR DialogDispatch(DialogTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Handles a dialog's WM_INITDIALOG bookkeeping: the window that becomes
// the current dialog again when this one is destroyed.
void SetReturnWindow(DialogTable& table, HWND window);

BOOL ShowHelp(HWND window, UINT command, ULONG_PTR data);
void CloseHelp(HWND window);

void BeginBusyCursor();
void EndBusyCursor();
bool BusyCursorActive();

LRESULT FillComboStrings(HWND dialog, int comboId, int count, const char* const* strings);
int GetSelectedListItem(HWND listView);
void SelectListItem(HWND listView, int index);

// The number of rows of a static array, for DialogTable.commandCount.
template <typename T, unsigned N>
constexpr std::uint32_t RowCount(const T (&)[N])
{
    return N;
}
