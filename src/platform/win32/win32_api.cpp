#include "platform/win32/win32_api.h"

namespace {
const Win32Api RealApi = {
    ::MessageBoxA,
    ::WinHelpA,
    ::MessageBeep,
    ::GetSaveFileNameA,
};
}

Win32Api Api = RealApi;

void ResetWin32Api()
{
    Api = RealApi;
}
