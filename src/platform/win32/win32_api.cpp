#include "platform/win32/win32_api.h"

#include <mmsystem.h>

// Declared here with untyped records: MinGW's ras.h only knows the newest
// layouts, and the program passes the old ones.
extern "C" {
DWORD WINAPI RasEnumConnectionsA(void* connections, LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* status);
}

namespace {

HWND WINAPI LazyHtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data)
{
    using Entry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    // Loaded when help is first asked for, so that a system without HTML
    // Help still runs everything else.
    static const Entry entry = []() -> Entry {
        HMODULE library = LoadLibraryA("hhctrl.ocx");
        FARPROC found = library ? GetProcAddress(library, "HtmlHelpA") : nullptr;
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(found));
    }();
    return entry ? entry(caller, file, command, data) : nullptr;
}

const Win32Api RealApi = {
    ::MessageBoxA,
    ::WinHelpA,
    LazyHtmlHelpA,
    ::MessageBeep,
    ::Shell_NotifyIconA,
    ::PlaySoundA,
    ::PropertySheetA,
    ::GetOpenFileNameA,
    ::GetSaveFileNameA,
    ::PrintDlgA,
    ::ChooseFontA,
    ::RasEnumConnectionsA,
    ::RasGetConnectStatusA,
};
}

Win32Api Api = RealApi;

void ResetWin32Api()
{
    Api = RealApi;
}
