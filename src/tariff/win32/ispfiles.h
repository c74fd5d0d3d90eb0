// Import and export of ISP definition files through the file dialog with
// its extra panel, the Disclaimer dialog and the Import dialog.
#pragma once
#include <windows.h>

#include "tariff/tariff.h"

// Export: runs the whole export of one record; reports its own failures.
void ExportTariffFile(HWND owner, const TariffRecord& record, bool phone);
// Import: false when cancelled or failed (already reported); otherwise the loaded record (Id 0), Replace pressed, phone company.
bool ImportTariffFile(HWND owner, TariffRecord& record, bool& replace, bool& phone);
