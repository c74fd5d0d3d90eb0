#include "platform/win32/win32_ui.h"

HWND CurrentDialog = nullptr;
HWND MainWindow = nullptr;
HINSTANCE ProgramInstance = nullptr;
HINSTANCE PreviousInstance = nullptr;
int ShowCommand = SW_SHOWNORMAL;
DWORD MainThreadId = 0;
