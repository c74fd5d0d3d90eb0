#include "platform/win32/win32_api.h"

#include <mmsystem.h>

namespace {
const Win32Api RealApi = {
    ::MessageBoxA,
    ::WinHelpA,
    ::MessageBeep,
    ::Shell_NotifyIconA,
    ::PlaySoundA,
    ::GetSaveFileNameA,
};
}

Win32Api Api = RealApi;

void ResetWin32Api()
{
    Api = RealApi;
}
