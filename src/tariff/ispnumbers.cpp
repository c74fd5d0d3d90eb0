#include "tariff/ispnumbers.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "platform/profile.h"
#include "startup/errors.h"
#include "startup/locations.h"

std::string ReadWholeValue(const std::string& file, const char* section, const char* key)
{
    int size = 512;
    for (;;) {
        std::string value = ProfileGetString(file, section, key, "", size);
        if (static_cast<int>(value.size()) < size - 1)
            return value;
        size = size * 2;  // doubling keeps a hostile length fast
    }
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ',' || text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            pieces.push_back(text.substr(start, i - start));
    }
    return pieces;
}

IdList ParseIdList(const std::string& text)
{
    IdList ids;
    for (const std::string& piece : SplitList(text)) {
        long n = LenientNumber(piece.c_str());
        if (n >= 1)
            ids.push_back(static_cast<std::int32_t>(n));
    }
    return ids;
}

std::string FormatIdList(const IdList& ids)
{
    std::string text;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(ids[i]);
    }
    return text;
}

int ReadIdList(const char* key, bool quiet, IdList& ids)
{
    try {
        ids = ParseIdList(ReadWholeValue(IniFilePath, "Global", key));
        return 0;
    } catch (const std::bad_alloc&) {
        if (!quiet)
            ShowError(105);
        return -1;
    }
}

std::int32_t AllocateIspId()
{
    IdList active, reserved;
    if (ReadIdList("ActiveIDs", false, active) != 0 || ReadIdList("ReservedIDs", false, reserved) != 0)
        return -1;
    std::unordered_set<std::int32_t> used(active.begin(), active.end());
    used.insert(reserved.begin(), reserved.end());
    std::int32_t n = 1;
    while (n <= MAX_ISP_ID && used.count(n))
        ++n;
    if (n > MAX_ISP_ID)
        return -2;
    try {
        active.push_back(n);
        ProfileWrite(IniFilePath, "Global", "ActiveIDs", FormatIdList(active).c_str());
    } catch (const std::bad_alloc&) {
        // The number is still handed out; the list is not written.
    }
    return n;
}

std::int32_t GetDefaultIsp()
{
    ProfileFlush(IniFilePath);
    long n = ProfileGetInt(IniFilePath, "Global", "DefaultISP", 0);
    if (n >= 1)
        return static_cast<std::int32_t>(n);
    IdList active;
    if (ReadIdList("ActiveIDs", true, active) == 0 && !active.empty())
        return active.front();
    std::int32_t allocated = AllocateIspId();
    return allocated < 1 ? 1 : allocated;
}

void SetDefaultIsp(std::int32_t number)
{
    if (number < 1)
        ProfileDeleteKey(IniFilePath, "Global", "DefaultISP");
    else
        ProfileWriteInt(IniFilePath, "Global", "DefaultISP", number);
}

int ReadIdStrings(std::string& active, std::string& reserved)
{
    try {
        active = ReadWholeValue(IniFilePath, "Global", "ActiveIDs");
        reserved = ReadWholeValue(IniFilePath, "Global", "ReservedIDs");
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

void RestoreIdStrings(const std::string& active, const std::string& reserved)
{
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", active.empty() ? nullptr : active.c_str());
    ProfileWrite(IniFilePath, "Global", "ReservedIDs", reserved.empty() ? nullptr : reserved.c_str());
}

std::string IspSectionName(std::int32_t ispId)
{
    return "ISP" + std::to_string(ispId);
}

std::string GetIspDescription(std::int32_t ispId)
{
    // Empty counts as missing, as when the tariff itself is loaded.
    std::string section = IspSectionName(ispId);
    std::string description = ProfileGetString(IniFilePath, section.c_str(), "Description", "");
    return description.empty() ? section : description;
}
