// The Win32 calls that tests replace: one table of function pointers that
// defaults to the real API. Code calls Api.MessageBoxA(...) and so on.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>
#include <shellapi.h>

struct Win32Api {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
    BOOL(WINAPI* WinHelpA)(HWND, LPCSTR, UINT, ULONG_PTR);
    // HTML Help's one entry. The default loads hhctrl.ocx on its first call
    // and answers null when HTML Help is not there.
    HWND(WINAPI* HtmlHelpA)(HWND, LPCSTR, UINT, DWORD_PTR);
    BOOL(WINAPI* MessageBeep)(UINT);
    BOOL(WINAPI* Shell_NotifyIconA)(DWORD, PNOTIFYICONDATAA);
    BOOL(WINAPI* PlaySoundA)(LPCSTR, HMODULE, DWORD);

    // Property sheets and the common dialogs.
    INT_PTR(WINAPI* PropertySheetA)(LPCPROPSHEETHEADERA);
    BOOL(WINAPI* GetOpenFileNameA)(LPOPENFILENAMEA);
    BOOL(WINAPI* GetSaveFileNameA)(LPOPENFILENAMEA);
    BOOL(WINAPI* PrintDlgA)(LPPRINTDLGA);
    BOOL(WINAPI* ChooseFontA)(LPCHOOSEFONTA);

    // RAS, with the connection and status records in the layouts declared
    // in monitor/win32/rasmonitor.h (the old 412- and 160-byte forms).
    DWORD(WINAPI* RasEnumConnectionsA)(void* connections, LPDWORD bytes, LPDWORD count);
    DWORD(WINAPI* RasGetConnectStatusA)(HANDLE connection, void* status);
};

extern Win32Api Api;
// Puts every entry back to the real function.
void ResetWin32Api();
