// The Usage dialog, its Save Usage Report dialog and the print entry point.
#pragma once
#include <windows.h>

#include <cstdint>

#include "tariff/tariff.h"

// The Usage dialog while it is open, else null.
HWND OpenUsageDialog();

// Fills the period title, the frame list and the totals from one record.
void ShowTariffUsage(HWND dialog, const TariffRecord& record);

// Runs the Save Usage Report dialog over the computed table and, on OK,
// writes the chosen reports to the file.
void SaveUsageReport(HWND owner, const TariffTable& table);

// Prints the computed table (its own module).
void PrintUsageReport(HWND owner, const TariffTable& table);
// The "Printing Usage" window, hidden, with the cancel flag cleared; null
// when it cannot be made.
HWND OpenPrintingWindow(HWND owner);

// The Usage dialog for the billing periods containing the reference instant.
void ShowUsageReport(HWND owner, std::int64_t reference);
