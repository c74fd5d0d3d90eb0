// Stand-ins until the raw log and deletion dialogs exist.
#include "monitor/win32/controller.h"

void ViewRawLog(HWND) {}

int RunDeleteDialog(HWND)
{
    return -1;
}
