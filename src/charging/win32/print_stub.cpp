// Stand-in until printing exists: the Print button does nothing.
#include "charging/win32/usagedialog.h"

void PrintUsageReport(HWND, const TariffTable&) {}
