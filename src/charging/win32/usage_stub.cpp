// Stand-in until the Usage dialog exists.
#include "monitor/win32/controller.h"

void ShowUsageReport(HWND, std::int64_t) {}
