#include "charging/usageview.h"

#include <cmath>
#include <cstdio>

#include "charging/charging.h"

std::string FormatDuration(std::int32_t seconds)
{
    const SplitTime t = SplitSeconds(seconds);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(t.hours), static_cast<int>(t.minutes),
                  static_cast<int>(t.seconds));
    return buf;
}

std::string FormatAmount(double amount)
{
    // Wide enough for any double in fixed notation.
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.2f", amount);
    return buf;
}

std::string FormatPeriodDates(const TariffRecord& r)
{
    const LocalTime& s = r.PeriodStart.localTime;
    const LocalTime& e = r.PeriodEnd.localTime;
    char dates[96];
    std::snprintf(dates, sizeof dates, "%04d/%02d/%02d to %04d/%02d/%02d", static_cast<int>(s.tm_year + 1900),
                  static_cast<int>(s.tm_mon + 1), static_cast<int>(s.tm_mday), static_cast<int>(e.tm_year + 1900),
                  static_cast<int>(e.tm_mon + 1), static_cast<int>(e.tm_mday));
    return dates;
}

UsageView FormatUsageView(const TariffRecord& r)
{
    UsageView v;
    v.periodTitle = "Period " + FormatPeriodDates(r);

    const std::size_t frames = r.NumFrames > 0 ? static_cast<std::size_t>(r.NumFrames) : 0;
    for (std::size_t i = 0; i < frames; ++i) {
        UsageRow row;
        if (i < r.FrameNames.size())
            row.frame = r.FrameNames[i].substr(0, r.FrameNames[i].find('\0'));
        row.time = FormatDuration(i < r.FrameTime.size() ? r.FrameTime[i] : 0);
        row.cost = FormatAmount(i < r.FrameCost.size() ? r.FrameCost[i] : 0.0);
        v.rows.push_back(std::move(row));
    }

    v.totalFrameCost = FormatAmount(r.TotalFrameCost);
    v.prepaidUsed = FormatAmount(r.PrepaidUsed);
    v.excess = r.Remainder < 0;
    v.remainderCostLabel = v.excess ? "Excess (cost)" : "Remainder (cost)";
    v.remainderTimeLabel = v.excess ? "Excess (time)" : "Remainder (time)";
    // fabs also keeps a negative zero from showing as "-0.00".
    v.remainderCost = FormatAmount(std::fabs(r.Remainder));
    v.remainderTime = FormatDuration(r.RemainderTime);
    v.periodicFee = FormatAmount(r.PeriodicFee);
    v.amountPayable = FormatAmount(r.AmountPayable);
    v.connections = std::to_string(r.Connections);
    v.lastSession = FormatDuration(r.LastSessionTime);
    return v;
}

std::vector<std::string> UsageChooserItems(const TariffTable& table)
{
    std::vector<std::string> items;
    items.reserve(table.Isps.size() + 1);
    items.push_back(table.Phone.Description);
    for (const TariffRecord& r : table.Isps)
        items.push_back(r.Description);
    return items;
}

const TariffRecord* UsageChooserRecord(const TariffTable& table, int item)
{
    if (item == 0)
        return &table.Phone;
    if (item < 0 || static_cast<std::size_t>(item) > table.Isps.size())
        return nullptr;
    return &table.Isps[static_cast<std::size_t>(item) - 1];
}

int UsageChooserFirstItem(const TariffTable& table)
{
    return table.Isps.empty() ? 0 : 1;
}

int CheckSaveReportForm(const SaveReportForm& form, UsageReportChoice& choice)
{
    UsageReportChoice result;
    switch (form.option) {
    case SaveIspOption::All:
        result.allIsps = true;
        break;
    case SaveIspOption::Selected:
        if (!form.ispSelected)
            return 2071;
        result.allIsps = false;
        result.ispIds = {form.selectedIspId};
        break;
    case SaveIspOption::None:
        result.allIsps = false;
        break;
    case SaveIspOption::Unchosen:
        return 2072;
    }
    result.includePhone = form.includePhone;
    if (form.fileName.empty())
        return 2073;
    choice = std::move(result);
    return 0;
}
