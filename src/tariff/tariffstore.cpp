#include "tariff/tariffstore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "platform/clock.h"
#include "platform/profile.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "tariff/ispnumbers.h"

namespace {

// Thrown inside this file only: a count too large to be anything but hostile.
struct HostileCount {};

// What one load may hold in memory over all of its records together, so a
// small file cannot multiply its way to gigabytes (10,000 ISP numbers that
// each name a section of 10,000 frames). Realistic tables use a few kB.
constexpr std::size_t TARIFF_LOAD_BUDGET = std::size_t{32} << 20;

struct LoadBudget {
    std::size_t left = TARIFF_LOAD_BUDGET;

    void Take(std::size_t bytes)
    {
        if (bytes > left)
            throw HostileCount{};
        left -= bytes;
    }
};

// The sections of one load, each read from the file once (ActiveIDs may name
// a section many times; each profile call is slow under some systems).
struct SectionCache {
    explicit SectionCache(const std::string& path) : file(path) {}

    const std::string& file;
    bool haveNames = false;
    std::unordered_set<std::string> present;
    std::unordered_map<std::string, ProfileSection> read;
    ProfileSection none;

    // Learns which sections exist, so that missing ones cost no call.
    void ListSections(LoadBudget& budget)
    {
        std::vector<std::string> names;
        if (ProfileSectionNames(file, budget.left, names) != 0)
            throw HostileCount{};
        for (const std::string& name : names) {
            budget.Take(name.size() + sizeof(std::string));
            present.insert(name);
        }
        haveNames = true;
    }

    const ProfileSection& Get(const std::string& section, LoadBudget& budget)
    {
        const std::string key = ProfileLower(section);
        if (haveNames && !present.count(key))
            return none;
        auto found = read.find(key);
        if (found != read.end())
            return found->second;
        ProfileSection values;
        if (ProfileReadSection(file, section.c_str(), budget.left, values) != 0)
            throw HostileCount{};
        budget.Take(2 * values.bytes);  // the text and its index
        return read.emplace(key, std::move(values)).first->second;
    }
};

struct SectionReader {
    const ProfileSection& values;
    const char* section;
    LoadBudget& budget;

    std::string Text(const char* key, const char* def = "") const
    {
        return ProfileSectionString(values, key, def, TARIFF_VALUE_BUFFER);
    }

    // Lenient number; missing or empty gives def.
    std::int32_t Int(const char* key, std::int32_t def) const
    {
        return static_cast<std::int32_t>(ProfileSectionInt(values, key, def));
    }

    double Double(const char* key) const;

    // Calls f(i, value) for each key "<prefix>i" the section holds with i
    // below count (as a read of "%s%d" would find it). Walking the section
    // instead of looking up every i keeps a large count of missing keys cheap.
    template <class F>
    void Numbered(const char* prefix, std::int32_t count, F f) const
    {
        const std::string lower = ProfileLower(prefix);
        for (const auto& [key, value] : values.values) {
            if (key.size() <= lower.size() || key.compare(0, lower.size(), lower) != 0)
                continue;
            const std::string digits = key.substr(lower.size());
            if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos ||
                (digits.size() > 1 && digits[0] == '0'))
                continue;
            const long i = std::stol(digits);
            if (i < count)
                f(static_cast<std::int32_t>(i), value.substr(0, TARIFF_VALUE_BUFFER - 1));
        }
    }
};

// Heap bytes of a text beyond what the string object holds itself.
std::size_t TextBytes(const std::string& text)
{
    return text.size() > 15 ? text.size() + 1 : 0;
}

// Leading decimal number of a text (atof-like), 0 when there is none or when
// it is not finite: "nan" or "1e999" must not become a charge.
double LenientDouble(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    // Plain decimal notation only; strtod would also take hex and "inf".
    const char* p = text;
    if (*p == '+' || *p == '-')
        ++p;
    if (!((*p >= '0' && *p <= '9') || (*p == '.' && p[1] >= '0' && p[1] <= '9')))
        return 0.0;
    const double value = std::strtod(text, nullptr);
    if (!std::isfinite(value))
        return 0.0;
    return value;
}

double SectionReader::Double(const char* key) const
{
    return LenientDouble(Text(key).c_str());
}

double NotNegative(double value)
{
    return value < 0.0 ? 0.0 : value;
}

std::int32_t InRange(std::int32_t value, std::int32_t low, std::int32_t high, std::int32_t fallback)
{
    return value < low || value > high ? fallback : value;
}

std::string Numbered(const char* prefix, long n)
{
    return prefix + std::to_string(n);
}

// Reads a number like scanf's %d: optional blanks, a sign and digits
// (saturating). Advances p; false when there are no digits.
bool ScanInt(const char*& p, std::int32_t& out)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9')
        return false;
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 10000000000LL)
            value = value * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        value = -value;
    value = std::clamp<long long>(value, -2147483647LL - 1, 2147483647LL);
    out = static_cast<std::int32_t>(value);
    return true;
}

// Numbers separated by the given literal characters, e.g. "%d:%d:%d".
// Every number must be present for the value to count.
bool ScanFields(const std::string& text, const char* separators, std::int32_t* fields, int count)
{
    const char* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*p != separators[i - 1])
                return false;
            ++p;
        }
        if (!ScanInt(p, fields[i]))
            return false;
    }
    return true;
}

int TimeOfDay(std::int32_t h, std::int32_t m, std::int32_t s)
{
    return h * 3600 + m * 60 + s;
}

bool ValidEntry(const ScheduleEntry& e, std::int32_t numFrames)
{
    auto clock = [](std::int32_t h, std::int32_t m, std::int32_t s) {
        return h >= 0 && h <= 23 && m >= 0 && m <= 59 && s >= 0 && s <= 59;
    };
    return clock(e.StartHour, e.StartMinute, e.StartSecond) && clock(e.EndHour, e.EndMinute, e.EndSecond) &&
           TimeOfDay(e.EndHour, e.EndMinute, e.EndSecond) >= TimeOfDay(e.StartHour, e.StartMinute, e.StartSecond) &&
           e.Frame >= 0 && e.Frame < numFrames;
}


void CheckCount(std::int64_t count)
{
    if (count > MAX_TARIFF_COUNT)
        throw HostileCount{};
}

void ReadFrames(const SectionReader& in, TariffRecord& record, std::int32_t numFrames)
{
    CheckCount(numFrames);
    // Charges, names, and the usage totals made for each frame later.
    in.budget.Take(static_cast<std::size_t>(numFrames) *
                   (2 * sizeof(double) + sizeof(std::string) + sizeof(std::int32_t)));
    std::vector<double> charges(static_cast<std::size_t>(numFrames), 0.0);
    std::vector<std::string> names(static_cast<std::size_t>(numFrames));
    for (std::int32_t i = 0; i < numFrames; ++i)
        names[static_cast<std::size_t>(i)] = Numbered("Frame", i);
    in.Numbered("Frame", numFrames, [&](std::int32_t i, const std::string& value) {
        const std::vector<std::string> pieces = SplitList(value);
        const auto n = static_cast<std::size_t>(i);
        if (!pieces.empty())
            charges[n] = NotNegative(LenientDouble(pieces[0].c_str()));
        if (value.find(',') != std::string::npos && pieces.size() >= 2) {
            names[n] = pieces[1];
            in.budget.Take(TextBytes(names[n]));
        }
    });
    record.FrameCharges = std::move(charges);
    record.FrameNames = std::move(names);
    record.NumFrames = numFrames;
}

void ReadSchedule(const SectionReader& in, std::vector<ScheduleEntry>& day, const char* dayName,
                  std::int32_t numFrames)
{
    // Each value is read once: counting and parsing share the texts.
    std::vector<std::string> values;
    for (;;) {
        std::string value = in.Text(Numbered(dayName, static_cast<long>(values.size())).c_str());
        if (value.empty())
            break;
        in.budget.Take(sizeof(ScheduleEntry) + sizeof(std::string) + TextBytes(value));
        values.push_back(std::move(value));
        CheckCount(static_cast<std::int64_t>(values.size()));
    }
    std::vector<ScheduleEntry> entries(values.size());
    for (std::size_t j = 0; j < values.size(); ++j) {
        std::int32_t f[7] = {};
        if (!ScanFields(values[j], "::-::,", f, 7))
            break;  // this entry and the rest stay all-zero
        const ScheduleEntry e{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
        if (!ValidEntry(e, numFrames))
            break;
        entries[j] = e;
    }
    std::stable_sort(entries.begin(), entries.end(), [](const ScheduleEntry& a, const ScheduleEntry& b) {
        return TimeOfDay(a.StartHour, a.StartMinute, a.StartSecond) <
               TimeOfDay(b.StartHour, b.StartMinute, b.StartSecond);
    });
    day = std::move(entries);
}

void ReadExceptions(const SectionReader& in, TariffRecord& record)
{
    std::int32_t count = in.Int("NumExceptions", 0);
    if (count < 0)
        count = 0;
    CheckCount(count);
    in.budget.Take(static_cast<std::size_t>(count) * sizeof(DayExceptionEntry));
    std::vector<DayExceptionEntry> entries(static_cast<std::size_t>(count));
    in.Numbered("DayException", count, [&](std::int32_t i, const std::string& value) {
        std::int32_t f[3] = {};
        if (ScanFields(value, "//", f, 3) && f[0] >= 1900 && f[1] >= 1 && f[1] <= 12 && f[2] >= 1 && f[2] <= 31)
            entries[static_cast<std::size_t>(i)] = DayExceptionEntry{f[0] - 1900, f[1] - 1, f[2]};
    });
    record.DayExceptions = std::move(entries);
    record.NumExceptions = count;
}

void ReadRecord(const SectionReader& in, TariffRecord& record, const LocalTime& reference)
{
    record.Description = in.Text("Description");
    if (record.Description.empty())
        record.Description = in.section;
    record.RasName = in.Text("RasName");
    in.budget.Take(sizeof(TariffRecord) + TextBytes(record.Description) + TextBytes(record.RasName));

    record.SecsPerUnit = in.Int("SecsPerUnit", 60);
    if (record.SecsPerUnit < 1)
        record.SecsPerUnit = 60;
    record.Rounding = InRange(in.Int("Rounding", 0), 0, 2, 0);
    record.AccumulateBeforeRounding = InRange(in.Int("AccumulateBeforeRounding", 0), 0, 1, 0);
    record.PeriodToBill = InRange(in.Int("PeriodToBill", 0), 0, 1, 0);
    record.BillingDate = InRange(in.Int("BillingDate", 0), 0, MAX_BILLING_DATE, 0);
    record.PrepaidMethod = InRange(in.Int("PrepaidMethod", 0), 0, 2, 0);
    record.PeriodicFee = NotNegative(in.Double("PeriodicFee"));
    record.PrepaidCharge = NotNegative(in.Double("PrepaidCharge"));
    record.PrepaidFrame = std::max<std::int32_t>(in.Int("PrepaidFrame", 0), 0);
    record.OffsetsConnectCharge = InRange(in.Int("OffsetsConnectCharge", 0), 0, 1, 0);
    const std::int32_t numFrames = std::max<std::int32_t>(in.Int("NumFrames", 1), 1);
    record.DefaultFrame = std::max<std::int32_t>(in.Int("DefaultFrame", 0), 0);

    ReadFrames(in, record, numFrames);
    for (int d = 0; d < DAYS_PER_WEEK; ++d)
        ReadSchedule(in, record.Schedules[static_cast<std::size_t>(d)], TariffDayNames[d], numFrames);
    ReadExceptions(in, record);

    record.FrameForExceptions = std::max<std::int32_t>(in.Int("FrameForExceptions", 0), 0);
    record.ConnectCharge = NotNegative(in.Double("ConnectCharge"));
    record.MinCharge = NotNegative(in.Double("MinCharge"));
    record.TollFree = InRange(in.Int("TollFree", 0), 0, 1, 0);

    record.FrameCost.assign(static_cast<std::size_t>(numFrames), 0.0);
    record.FrameTime.assign(static_cast<std::size_t>(numFrames), 0);

    ComputeBillingPeriod(record, reference);

    if (record.PrepaidMethod == PREPAID_OFFSET_MONTHLY)
        record.OffsetsConnectCharge = 0;
    if (record.MinCharge > 0.0 || record.PrepaidMethod != PREPAID_OFFSET_MONTHLY)
        record.AccumulateBeforeRounding = 0;
}

std::string Fixed(double value)
{
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

} // namespace

// One record of a load, its section taken from the load's cache. Running
// out of memory or of the load's budget is error 105.
static int LoadCachedTariff(TariffRecord& record, const std::string& section, const LocalTime& reference,
                            SectionCache& sections, LoadBudget& budget)
{
    try {
        ReadRecord(SectionReader{sections.Get(section, budget), section.c_str(), budget}, record, reference);
        return 0;
    } catch (const std::bad_alloc&) {
    } catch (const HostileCount&) {
    } catch (const std::length_error&) {
    }
    ShowError(105);
    return -1;
}

int LoadTariff(TariffRecord& record, const std::string& section, const LocalTime& reference, const std::string& file)
{
    ProfileFlush(file);
    SectionCache sections{file};
    LoadBudget budget;
    return LoadCachedTariff(record, section, reference, sections, budget);
}

int SaveTariff(const TariffRecord& record, const std::string& section, const std::string& file)
{
    try {
        const char* sec = section.c_str();
        // After the first failed write (a full disk) nothing more is tried;
        // each write left the file whole, so it holds a mix of old and new.
        bool ok = true;
        auto write = [&](const char* key, const char* value) { ok = ok && ProfileWrite(file, sec, key, value); };
        auto put = [&](const char* key, const std::string& value) { write(key, value.c_str()); };
        auto putInt = [&](const char* key, std::int32_t value) { put(key, std::to_string(value)); };

        put("Description", record.Description);
        if (record.RasName.empty())
            write("RasName", nullptr);
        else
            put("RasName", record.RasName);
        putInt("SecsPerUnit", record.SecsPerUnit);
        putInt("Rounding", record.Rounding);
        putInt("AccumulateBeforeRounding", record.AccumulateBeforeRounding);
        putInt("PeriodToBill", record.PeriodToBill);
        putInt("BillingDate", record.BillingDate);
        put("PeriodicFee", Fixed(record.PeriodicFee));
        putInt("PrepaidMethod", record.PrepaidMethod);
        put("PrepaidCharge", Fixed(record.PrepaidCharge));
        putInt("PrepaidFrame", record.PrepaidFrame);
        putInt("OffsetsConnectCharge", record.OffsetsConnectCharge);
        putInt("DefaultFrame", record.DefaultFrame);
        putInt("NumFrames", record.NumFrames);
        // Counts beyond what loading accepts cannot come from a real tariff;
        // they must not turn into billions of writes.
        const std::int32_t frames = std::min(record.NumFrames, MAX_TARIFF_COUNT);
        const std::int32_t exceptions = std::min(record.NumExceptions, MAX_TARIFF_COUNT);
        for (std::int32_t i = 0; i < frames; ++i) {
            const auto n = static_cast<std::size_t>(i);
            std::string value = Fixed(n < record.FrameCharges.size() ? record.FrameCharges[n] : 0.0);
            if (n < record.FrameNames.size() && !record.FrameNames[n].empty())
                value += "," + record.FrameNames[n];
            put(Numbered("Frame", i).c_str(), value);
        }
        for (int d = 0; d < DAYS_PER_WEEK; ++d) {
            const std::vector<ScheduleEntry>& day = record.Schedules[static_cast<std::size_t>(d)];
            for (std::size_t j = 0; j < day.size(); ++j) {
                const ScheduleEntry& e = day[j];
                char value[128];
                std::snprintf(value, sizeof value, "%02d:%02d:%02d-%02d:%02d:%02d,%d", e.StartHour, e.StartMinute,
                              e.StartSecond, e.EndHour, e.EndMinute, e.EndSecond, e.Frame);
                put(Numbered(TariffDayNames[d], static_cast<long>(j)).c_str(), value);
            }
            // An older, longer schedule would otherwise carry on after ours.
            write(Numbered(TariffDayNames[d], static_cast<long>(day.size())).c_str(), nullptr);
        }
        putInt("NumExceptions", record.NumExceptions);
        for (std::int32_t i = 0; i < exceptions; ++i) {
            const auto n = static_cast<std::size_t>(i);
            const DayExceptionEntry e = n < record.DayExceptions.size() ? record.DayExceptions[n] : DayExceptionEntry{};
            char value[64];
            std::snprintf(value, sizeof value, "%04d/%02d/%02d", e.Year + 1900, e.Month + 1, e.Day);
            put(Numbered("DayException", i).c_str(), value);
        }
        putInt("FrameForExceptions", record.FrameForExceptions);
        put("ConnectCharge", Fixed(record.ConnectCharge));
        put("MinCharge", Fixed(record.MinCharge));
        putInt("TollFree", record.TollFree);
        if (!ok) {
            ShowError(115, file.c_str());
            return -1;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

int CreateIspTariff(TariffRecord& record, const LocalTime& reference)
{
    FreeTariff(record);
    const std::int32_t id = AllocateIspId();
    if (id == -1)
        return -1;  // the list read has reported it
    if (id < 1) {
        ShowError(118);
        return -1;
    }
    record.Id = id;
    return LoadTariff(record, IspSectionName(id), reference, IniFilePath);
}

int LoadTariffTable(std::int64_t reference, TariffTable& table)
{
    FreeTariffTable(table);
    const LocalTime local = ToLocalTime(reference);
    ProfileFlush(IniFilePath);
    IdList ids;
    if (ReadIdList("ActiveIDs", false, ids) != 0)
        return -1;
    TariffTable loaded;
    SectionCache sections{IniFilePath};
    LoadBudget budget;
    try {
        if (static_cast<std::int64_t>(ids.size()) > MAX_TARIFF_COUNT)
            throw HostileCount{};
        loaded.Isps.resize(std::max<std::size_t>(ids.size(), 1));
        sections.ListSections(budget);
        // A number listed again gets a copy of the record its section gave,
        // charged to the budget like the first.
        std::unordered_map<std::int32_t, std::pair<std::size_t, std::size_t>> first;  // index, bytes
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const auto seen = first.find(ids[i]);
            if (seen != first.end()) {
                budget.Take(seen->second.second);
                loaded.Isps[i] = loaded.Isps[seen->second.first];
                continue;
            }
            const std::size_t before = budget.left;
            loaded.Isps[i].Id = ids[i];
            if (LoadCachedTariff(loaded.Isps[i], IspSectionName(ids[i]), local, sections, budget) != 0)
                return -1;
            first.emplace(ids[i], std::make_pair(i, before - budget.left));
        }
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    } catch (const HostileCount&) {
        ShowError(105);
        return -1;
    }
    if (ids.empty() && CreateIspTariff(loaded.Isps[0], local) != 0)
        return -1;
    loaded.Phone.Id = 0;
    if (LoadCachedTariff(loaded.Phone, "Phone", local, sections, budget) != 0)
        return -1;
    table = std::move(loaded);
    return 0;
}

int LoadTariffTable(std::int64_t reference, std::int32_t& count, std::vector<TariffRecord>& isps, TariffRecord& phone)
{
    TariffTable table;
    count = 0;
    FreeTariffTable(isps, phone);
    if (LoadTariffTable(reference, table) != 0)
        return -1;
    count = static_cast<std::int32_t>(table.Isps.size());
    isps = std::move(table.Isps);
    phone = std::move(table.Phone);
    return 0;
}

int SaveTariffTable(const TariffTable& table)
{
    ProfileFlush(IniFilePath);
    IdList oldActive, reserved;
    if (ReadIdList("ActiveIDs", false, oldActive) != 0 || ReadIdList("ReservedIDs", false, reserved) != 0)
        return -1;
    std::string activeText, reservedText;
    try {
        IdList active;
        for (const TariffRecord& record : table.Isps)
            if (record.Id >= 1)  // an Id of 0 names no section that could be read back
                active.push_back(record.Id);
        // Numbers of deleted ISPs are never handed out again.
        for (std::int32_t id : oldActive)
            if (std::find(active.begin(), active.end(), id) == active.end() &&
                std::find(reserved.begin(), reserved.end(), id) == reserved.end())
                reserved.push_back(id);
        activeText = FormatIdList(active);
        reservedText = FormatIdList(reserved);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    if (SaveTariff(table.Phone, "Phone", IniFilePath) != 0)
        return -1;
    for (const TariffRecord& record : table.Isps)
        if (record.Id >= 1 && SaveTariff(record, IspSectionName(record.Id), IniFilePath) != 0)
            return -1;
    const bool written =
        ProfileWrite(IniFilePath, "Global", "ActiveIDs", activeText.empty() ? nullptr : activeText.c_str()) &&
        ProfileWrite(IniFilePath, "Global", "ReservedIDs", reservedText.empty() ? nullptr : reservedText.c_str());
    ProfileFlush(IniFilePath);
    if (!written) {
        ShowError(115, IniFilePath.c_str());
        return -1;
    }
    return 0;
}

int SaveTariffTable(std::int32_t count, const std::vector<TariffRecord>& isps, const TariffRecord& phone)
{
    try {
        TariffTable table;
        const auto n = std::min<std::size_t>(count < 0 ? 0 : static_cast<std::size_t>(count), isps.size());
        table.Isps.assign(isps.begin(), isps.begin() + static_cast<std::ptrdiff_t>(n));
        table.Phone = phone;
        return SaveTariffTable(table);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

int FindIspByRasName(const std::string& name, std::int32_t& ispId)
{
    TariffTable table;
    {
        ScopedSuppressErrors quiet;
        if (LoadTariffTable(Now(), table) != 0)
            return -1;
    }
    for (const TariffRecord& record : table.Isps) {
        const std::string& identity = record.RasName.empty() ? record.Description : record.RasName;
        if (identity == name) {
            ispId = record.Id;
            return 0;
        }
    }
    return -1;
}

int SetIspRasName(std::int32_t ispId, const std::string& name)
{
    const std::string section = IspSectionName(ispId);
    if (name.empty())
        return ProfileDeleteKey(IniFilePath, section.c_str(), "RasName") ? 0 : -1;
    return ProfileWrite(IniFilePath, section.c_str(), "RasName", name.c_str()) ? 0 : -1;
}

int DeleteRasName(const std::string& section, const std::string& file)
{
    return ProfileDeleteKey(file, section.c_str(), "RasName") ? 0 : -1;
}

IspList BuildIspList(bool quiet)
{
    IspList list;
    TariffTable table;
    int loaded;
    if (quiet) {
        ScopedSuppressErrors suppress;
        loaded = LoadTariffTable(Now(), table);
    } else {
        loaded = LoadTariffTable(Now(), table);
    }
    if (loaded != 0) {
        list.items.push_back({"ISP1", 1});
        return list;
    }
    const std::int32_t defaultIsp = GetDefaultIsp();
    for (const TariffRecord& record : table.Isps)
        list.items.push_back({record.Description, record.Id});
    for (std::size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i].ispId == defaultIsp) {
            list.selected = static_cast<int>(i);
            break;
        }
    return list;
}
