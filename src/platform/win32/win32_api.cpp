#include "platform/win32/win32_api.h"

#include <mmsystem.h>

// Declared here with untyped records: MinGW's ras.h only knows the newest
// layouts, and the program passes the old ones.
extern "C" {
DWORD WINAPI RasEnumConnectionsA(void* connections, LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* status);
}

namespace {
const Win32Api RealApi = {
    ::MessageBoxA,
    ::WinHelpA,
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
