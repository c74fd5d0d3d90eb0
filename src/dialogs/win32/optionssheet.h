// The Options property sheet, opened from the main window, and what its
// pages share.
#pragma once
#include <windows.h>

#include <string>

#include "dialogs/win32/dialogframework.h"

// Runs the sheet modally on its General page; reports 2010 when the sheet
// cannot be created. The sheet's result (above 0 OK, 0 Cancel, -1 failed).
INT_PTR ShowOptionsSheet(HWND owner);

// The page procedures, in tab order.
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK IspPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MonitorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RecoveryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PrintPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What every page procedure does first: the page dispatcher and, on
// initialisation, the main window as the return window and then `open`
// (null: nothing) to fill the controls.
INT_PTR OptionsPageDispatch(DialogTable& table, const PageRules& rules, void (*open)(HWND page), HWND page,
                            UINT message, WPARAM wParam, LPARAM lParam);

// An open-file dialog that puts the chosen path into a field.
struct FileChoice {
    const char* title;
    const char* filter;  // pairs of NUL-terminated strings, then a NUL
    const char* defaultExtension;
    const char* initialDirectory;  // null: the dialog's own choice
    DWORD flags;
};
// On OK the path replaces the field's text and is selected; the focus
// goes to the field either way.
void BrowseIntoField(HWND dialog, int fieldId, const FileChoice& choice);
