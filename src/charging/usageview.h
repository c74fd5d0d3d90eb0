// The texts the usage dialog and its Save dialog show, worked out from the
// computed table so that the dialog procedures only copy them to controls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "charging/usagereport.h"
#include "tariff/tariff.h"

// A duration as "%02d:%02d:%02d" (hours may run past two digits).
std::string FormatDuration(std::int32_t seconds);
// An amount as "%.2f".
std::string FormatAmount(double amount);
// The billing period as "YYYY/MM/DD to YYYY/MM/DD".
std::string FormatPeriodDates(const TariffRecord& record);

// One row of the frame list: name, time, cost.
struct UsageRow {
    std::string frame;
    std::string time;
    std::string cost;
};

// Everything the dialog shows for one record.
struct UsageView {
    std::string periodTitle;  // "Period YYYY/MM/DD to YYYY/MM/DD"
    std::vector<UsageRow> rows;
    std::string totalFrameCost;
    std::string prepaidUsed;
    bool excess = false;             // Remainder below 0
    std::string remainderCostLabel;  // "Remainder (cost)" or "Excess (cost)"
    std::string remainderCost;       // its absolute value
    std::string remainderTimeLabel;  // "Remainder (time)" or "Excess (time)"
    std::string remainderTime;
    std::string periodicFee;
    std::string amountPayable;
    std::string connections;
    std::string lastSession;
};

UsageView FormatUsageView(const TariffRecord& record);

// The chooser's items: the Phone record first, then the ISPs in table order.
std::vector<std::string> UsageChooserItems(const TariffTable& table);
// The record an item of the chooser stands for; null when out of range.
const TariffRecord* UsageChooserRecord(const TariffTable& table, int item);
// The item shown when the dialog opens: the first ISP (the Phone record
// when the table has no ISP).
int UsageChooserFirstItem(const TariffTable& table);

// The Save Usage Report form as read from its controls.
enum class SaveIspOption { Unchosen, All, Selected, None };

struct SaveReportForm {
    SaveIspOption option = SaveIspOption::All;
    bool ispSelected = false;  // an item of the ISP list is selected
    std::int32_t selectedIspId = 0;
    bool includePhone = true;
    std::string fileName;
    bool append = false;
};

// Longest file name the form takes.
constexpr int SAVE_REPORT_NAME_MAX = 259;

// Checks the form in the order the user meets its fields. 0 with the choice
// filled in, or the code of the first problem (2071 no ISP selected, 2072 no
// ISP option, 2073 no file name).
int CheckSaveReportForm(const SaveReportForm& form, UsageReportChoice& choice);
