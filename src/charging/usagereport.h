// Usage reports as text: one record's report in the fixed twelve-line
// layout, and the report file the usage dialog's Save writes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tariff/tariff.h"

// Width a frame name is cut or padded to in a report.
constexpr int REPORT_FRAME_NAME_WIDTH = 24;

// Which reports go into a file.
struct UsageReportChoice {
    bool allIsps = true;               // every ISP, in table order
    std::vector<std::int32_t> ispIds;  // otherwise these ISPs in this order (empty: none)
    bool includePhone = true;          // the Phone report after the ISPs
};

// One record's report, each line ending in '\n'.
std::string FormatTariffReport(const TariffRecord& record);
// Writes it to a stream (a text stream, so '\n' becomes the platform's line end).
void WriteTariffReport(std::FILE* stream, const TariffRecord& record);

// The chosen reports. 0, or -1 with error 2070 reported when a chosen ISP is
// not in the table (nothing is written then, the Phone report neither).
int WriteUsageReport(std::FILE* stream, const TariffTable& table, const UsageReportChoice& choice);

// Creates (or empties) the file, or appends to it, and writes the chosen
// reports. 0, or -1 after reporting error 113 (cannot open), 2070 (ISP not
// in the table; the file stays created or emptied, or unchanged when
// appending) or 115 (a write failed).
int SaveUsageReportFile(const std::string& fileName, bool append, const TariffTable& table,
                        const UsageReportChoice& choice);
