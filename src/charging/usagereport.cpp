#include "charging/usagereport.h"

#include <cmath>
#include <cstdarg>

#include "charging/charging.h"
#include "charging/usageview.h"
#include "startup/errors.h"

namespace {

void AppendFormat(std::string& out, const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n > 0)
        out.append(buf, static_cast<std::size_t>(n) < sizeof buf ? static_cast<std::size_t>(n) : sizeof buf - 1);
}

void AppendDuration(std::string& out, const char* format, std::int32_t seconds)
{
    const SplitTime t = SplitSeconds(seconds);
    AppendFormat(out, format, static_cast<int>(t.hours), static_cast<int>(t.minutes), static_cast<int>(t.seconds));
}

// The name as plain text, cut or padded with blanks to the report's width.
void AppendFrameName(std::string& out, const std::string& name)
{
    const std::size_t width = REPORT_FRAME_NAME_WIDTH;
    std::string cut = name.substr(0, std::min(name.size(), name.find('\0')));
    if (cut.size() > width)
        cut.resize(width);
    out += cut;
    out.append(width - cut.size(), ' ');
}

const TariffRecord* FindIsp(const TariffTable& table, std::int32_t id)
{
    for (const TariffRecord& r : table.Isps)
        if (r.Id == id)
            return &r;
    return nullptr;
}

} // namespace

std::string FormatTariffReport(const TariffRecord& r)
{
    std::string out;
    out += r.Description;
    if (r.TollFree == 1)
        out += " (Toll-free)";
    out += '\n';
    out += "Period " + FormatPeriodDates(r) + " (YYYY/MM/DD)\n";
    AppendFormat(out, "\t\t\t\t%s\t%s\n", "Time taken", "Cost");
    const std::size_t frames = r.NumFrames > 0 ? static_cast<std::size_t>(r.NumFrames) : 0;
    for (std::size_t i = 0; i < frames; ++i) {
        AppendFrameName(out, i < r.FrameNames.size() ? r.FrameNames[i] : std::string());
        AppendDuration(out, "\t%02d:%02d:%02d", i < r.FrameTime.size() ? r.FrameTime[i] : 0);
        AppendFormat(out, "\t%.2f\n", i < r.FrameCost.size() ? r.FrameCost[i] : 0.0);
    }
    AppendFormat(out, "Total frame cost\t\t\t\t%.2f\n", r.TotalFrameCost);
    AppendFormat(out, "Less: Prepaid\t\t\t\t\t%.2f\n", r.PrepaidUsed);
    out += r.Remainder >= 0 ? "Remainder" : "Exceeded by";
    AppendDuration(out, "\t\t\t%02d:%02d:%02d", r.RemainderTime);
    AppendFormat(out, "\t%.2f\n", std::fabs(r.Remainder));
    AppendFormat(out, "Monthly/Weekly Fee\t\t\t\t%.2f\n", r.PeriodicFee);
    AppendFormat(out, "Amount payable\t\t\t\t\t%.2f\n", r.AmountPayable);
    AppendFormat(out, "Connections made\t\t%d\n", static_cast<int>(r.Connections));
    AppendDuration(out, "Last session\t\t\t%02d:%02d:%02d\n", r.LastSessionTime);
    out += '\n';
    return out;
}

void WriteTariffReport(std::FILE* stream, const TariffRecord& record)
{
    const std::string text = FormatTariffReport(record);
    std::fwrite(text.data(), 1, text.size(), stream);
}

int WriteUsageReport(std::FILE* stream, const TariffTable& table, const UsageReportChoice& choice)
{
    std::vector<const TariffRecord*> records;
    if (choice.allIsps) {
        for (const TariffRecord& r : table.Isps)
            records.push_back(&r);
    } else {
        for (std::int32_t id : choice.ispIds) {
            const TariffRecord* r = FindIsp(table, id);
            if (!r) {
                ShowError(2070);
                return -1;
            }
            records.push_back(r);
        }
    }
    if (choice.includePhone)
        records.push_back(&table.Phone);
    for (const TariffRecord* r : records)
        WriteTariffReport(stream, *r);
    return 0;
}

int SaveUsageReportFile(const std::string& fileName, bool append, const TariffTable& table,
                        const UsageReportChoice& choice)
{
    std::FILE* f = std::fopen(fileName.c_str(), append ? "a" : "w");
    if (!f) {
        ShowError(113, fileName.c_str());
        return -1;
    }
    const int result = WriteUsageReport(f, table, choice);
    // A full disk would otherwise leave a cut-off report that looks saved.
    const bool failed = std::ferror(f) != 0;
    const bool closeFailed = std::fclose(f) != 0;
    if (result != 0)
        return -1;
    if (failed || closeFailed) {
        ShowError(115, fileName.c_str());
        return -1;
    }
    return 0;
}
