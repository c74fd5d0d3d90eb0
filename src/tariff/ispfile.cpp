#include "tariff/ispfile.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <unordered_set>

#include "platform/profile.h"
#include "startup/errors.h"
#include "tariff/tariffstore.h"

namespace {

const char* const HEADER = "Import";
const char* const DISCLAIMER = "Disclaimer";

// The most an import file may make us hold while listing or building its
// disclaimer; a real file is a few kB.
constexpr std::size_t ISP_FILE_READ_BOUND = std::size_t{32} << 20;

// LastISP and LastPhone are read through 11 characters; absent, empty or
// negative counts as 0.
std::int64_t LastNumber(const std::string& path, bool phone)
{
    const std::string text = ProfileGetString(path, HEADER, phone ? "LastPhone" : "LastISP", "", 12);
    const long value = LenientNumber(text.c_str());
    return value < 0 ? 0 : value;
}

// The number of a section name "<prefix><digits>" (prefix in lower case),
// as a "%s%d" name would spell it; 0 when it is no such name.
std::int64_t EntryNumber(const std::string& lowerName, const std::string& prefix)
{
    if (lowerName.size() <= prefix.size() || lowerName.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const std::string digits = lowerName.substr(prefix.size());
    if (digits.size() > 10 || digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoll(digits);
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::string la = ProfileLower(a), lb = ProfileLower(b);
    return la < lb ? -1 : la > lb ? 1 : 0;
}

} // namespace

VersionNumbers ParseVersion(const std::string& text)
{
    VersionNumbers version{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < version.size() && at <= text.size(); ++part) {
        std::size_t end = text.find('.', at);
        if (end == std::string::npos)
            end = text.size();
        std::size_t p = at;
        while (p < end && (text[p] == ' ' || text[p] == '\t'))
            ++p;
        std::uint64_t value = 0;
        for (; p < end && text[p] >= '0' && text[p] <= '9'; ++p)
            value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[p] - '0'), 0xFFFFFFFFu);
        version[part] = static_cast<std::uint32_t>(value);
        at = end + 1;
    }
    return version;
}

std::string FormatVersion(const VersionNumbers& version)
{
    char text[48];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(version[0]),
                  static_cast<unsigned long>(version[1]), static_cast<unsigned long>(version[2]),
                  static_cast<unsigned long>(version[3]));
    return text;
}

int CheckIspFileVersion(const std::string& path)
{
    ProfileFlush(path);
    const std::string text = ProfileGetString(path, HEADER, "MinVersion", "", 80);
    if (text.empty() || ParseVersion(text) <= PROGRAM_VERSION)
        return 0;
    ShowError(1011, path.c_str());
    return -1;
}

std::string ReadIspFileDescription(const std::string& path)
{
    ProfileFlush(path);
    return ProfileGetString(path, HEADER, "FileDescription", "", ISP_FILE_DESCRIPTION_MAX + 1);
}

std::string IspFileSection(std::int64_t number, bool phone)
{
    return (phone ? "ImportPhone" : "ImportISP") + std::to_string(number);
}

int WriteIspFileEntry(const std::string& path, const std::string& description, const TariffRecord& record,
                      bool phone)
{
    if (CheckIspFileVersion(path) != 0)
        return -1;
    try {
        bool ok = true;
        auto write = [&](const char* key, const std::string& value) {
            ok = ok && ProfileWrite(path, HEADER, key, value.c_str());
        };
        const std::string ours = FormatVersion(PROGRAM_VERSION);
        if (ProfileGetString(path, HEADER, "CreatedByVersion", "").empty())
            write("CreatedByVersion", ours);
        write("LastUpdatedByVersion", ours);
        write("LastUpdatedByPlatform", "Win32");
        // Only ever raised: a file another version marked as needing more
        // keeps its mark.
        const std::string minimum = ProfileGetString(path, HEADER, "MinVersion", "", 80);
        if (minimum.empty() || ParseVersion(minimum) <= ISP_FILE_MIN_VERSION)
            write("MinVersion", FormatVersion(ISP_FILE_MIN_VERSION));
        const std::int64_t number = LastNumber(path, phone) + 1;
        write(phone ? "LastPhone" : "LastISP", std::to_string(number));
        write("FileDescription", description.substr(0, ISP_FILE_DESCRIPTION_MAX));
        ProfileFlush(path);
        if (!ok) {
            ShowError(115, path.c_str());
            return -1;
        }
        // The RAS name names the user's own connection: it never reaches the
        // file, not even for a moment.
        TariffRecord copy = record;
        copy.RasName.clear();
        const std::string section = IspFileSection(number, phone);
        const int saved = SaveTariff(copy, section, path);
        DeleteRasName(section, path);
        ProfileFlush(path);
        return saved;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

bool BuildDisclaimer(const std::string& path, std::string& text)
{
    text.clear();
    try {
        ProfileSection lines;
        if (ProfileReadSection(path, DISCLAIMER, ISP_FILE_READ_BOUND, lines) != 0)
            return false;
        std::int64_t count = ProfileSectionInt(lines, "NumLines", 0);
        if (count < 1)
            return false;
        if (count > MAX_TARIFF_COUNT) {
            // No real disclaimer is this long: show the lines the file has
            // instead of millions of empty ones after them.
            std::int64_t last = 0;
            for (const auto& entry : lines.values) {
                const std::int64_t n = EntryNumber(entry.first, "line");
                if (n <= count)
                    last = std::max(last, n);
            }
            count = last;
        }
        for (std::int64_t n = 1; n <= count; ++n) {
            text += ProfileSectionString(lines, ("Line" + std::to_string(n)).c_str(), "");
            text += "\r\n";
        }
        return true;
    } catch (const std::bad_alloc&) {
        text.clear();
        return false;
    }
}

std::vector<IspFileEntry> ListIspFileEntries(const std::string& path, bool phone)
{
    std::vector<IspFileEntry> entries;
    try {
        const std::int64_t last = LastNumber(path, phone);
        // Only sections that exist are listed, so a huge count costs nothing.
        std::vector<std::string> names;
        if (last < 1 || ProfileSectionNames(path, ISP_FILE_READ_BOUND, names) != 0)
            return entries;
        const std::string prefix = phone ? "importphone" : "importisp";
        std::unordered_set<std::int64_t> seen;
        for (const std::string& name : names) {
            const std::int64_t n = EntryNumber(name, prefix);
            if (n < 1 || n > last || !seen.insert(n).second)
                continue;
            if (entries.size() >= static_cast<std::size_t>(MAX_TARIFF_COUNT))
                break;
            IspFileEntry entry;
            entry.number = static_cast<std::int32_t>(n);
            entry.name = ProfileGetString(path, IspFileSection(entry.number, phone).c_str(), "Description", "",
                                          TARIFF_VALUE_BUFFER);
            if (entry.name.empty())
                entry.name = (phone ? "Phone" : "ISP") + std::to_string(n);
            entries.push_back(std::move(entry));
        }
        std::sort(entries.begin(), entries.end(), [](const IspFileEntry& a, const IspFileEntry& b) {
            const int order = CompareNoCase(a.name, b.name);
            return order != 0 ? order < 0 : a.number < b.number;
        });
    } catch (const std::bad_alloc&) {
        entries.clear();
    }
    return entries;
}

int LoadIspFileEntry(TariffRecord& record, const std::string& path, std::int32_t number, bool phone,
                     const LocalTime& reference)
{
    FreeTariff(record);
    if (LoadTariff(record, IspFileSection(number, phone), reference, path) != 0)
        return -1;  // reported
    record.Id = 0;
    record.RasName.clear();
    return 0;
}
