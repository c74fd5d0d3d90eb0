#include <windows.h>

#include "platform/win32_seams.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InstallWin32Seams();
    return 0;
}
