// The Win32 calls that tests replace: one table of function pointers that
// defaults to the real API. Code calls Api.MessageBoxA(...) and so on.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

struct Win32Api {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
    BOOL(WINAPI* WinHelpA)(HWND, LPCSTR, UINT, ULONG_PTR);
    BOOL(WINAPI* MessageBeep)(UINT);
    BOOL(WINAPI* Shell_NotifyIconA)(DWORD, PNOTIFYICONDATAA);
    BOOL(WINAPI* PlaySoundA)(LPCSTR, HMODULE, DWORD);

    // The save-file dialog (the usage report's Browse).
    BOOL(WINAPI* GetSaveFileNameA)(LPOPENFILENAMEA);
};

extern Win32Api Api;
// Puts every entry back to the real function.
void ResetWin32Api();
