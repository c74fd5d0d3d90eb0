#include "platform/profile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

namespace {
const ProfileBackend* currentBackend = nullptr;
}

void SetProfileBackend(const ProfileBackend* backend)
{
    currentBackend = backend;
}

const ProfileBackend& CurrentProfileBackend()
{
    return currentBackend ? *currentBackend : IniProfileBackend;
}

int ProfileRead(const std::string& file, const char* section, const char* key, const char* def, char* buf, int size)
{
    return CurrentProfileBackend().read(file.c_str(), section, key, def, buf, size);
}

std::string ProfileGetString(const std::string& file, const char* section, const char* key, const char* def,
                             int bufSize)
{
    if (bufSize < 1)
        bufSize = 1;
    std::vector<char> buf(static_cast<std::size_t>(bufSize), '\0');
    int n = ProfileRead(file, section, key, def ? def : "", buf.data(), bufSize);
    if (n < 0)
        n = 0;
    if (n > bufSize - 1)
        n = bufSize - 1;
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

long LenientNumber(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 100000000000LL)
            value = value * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        value = -value;
    // Saturate to 32 bits, as the file's numbers are 32-bit quantities.
    if (value > 2147483647LL)
        value = 2147483647LL;
    if (value < -2147483647LL - 1)
        value = -2147483647LL - 1;
    return static_cast<long>(value);
}

long ProfileGetInt(const std::string& file, const char* section, const char* key, long def)
{
    std::string text = ProfileGetString(file, section, key, "");
    if (text.empty())
        return def;
    return LenientNumber(text.c_str());
}

namespace {

bool HasLineBreak(const char* text)
{
    return text && std::strpbrk(text, "\r\n") != nullptr;
}

// Calls a GetPrivateProfileSection-style reader with a buffer that doubles
// while the result fills it, up to maxBytes of text. It starts at the file's
// size, which its text cannot exceed: some systems take time in proportion
// to the file for every call.
template <class Read>
int ReadGrowing(const std::string& file, std::size_t maxBytes, std::string& text, Read read)
{
    try {
        const std::size_t cap = maxBytes < INT_MAX - 2 ? maxBytes + 2 : INT_MAX;
        std::error_code ec;
        const auto fileSize = std::filesystem::file_size(file, ec);
        std::size_t size = ec ? 8192 : std::max<std::size_t>(fileSize + 2, 8192);
        if (size > cap)
            size = cap;
        std::vector<char> buf;
        for (;;) {
            buf.assign(size, '\0');
            int n = read(buf.data(), static_cast<int>(size));
            if (n < 0)
                n = 0;
            if (static_cast<std::size_t>(n) < size - 2 || size < 3) {
                text.assign(buf.data(), static_cast<std::size_t>(n));
                return 0;
            }
            if (size >= cap)
                return -1;
            size = size > cap / 2 ? cap : size * 2;
        }
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

// The NUL-ended pieces of a section or name list.
std::vector<std::string> Pieces(const std::string& text)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

} // namespace

std::string ProfileTrim(const std::string& text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    return text.substr(b, e - b);
}

std::string ProfileLower(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string ProfileUnquote(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool ProfileWrite(const std::string& file, const char* section, const char* key, const char* value)
{
    if (HasLineBreak(section) || HasLineBreak(key))
        return false;
    if (!HasLineBreak(value))
        return CurrentProfileBackend().write(file.c_str(), section, key, value) != 0;
    std::string line = value;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return CurrentProfileBackend().write(file.c_str(), section, key, line.c_str()) != 0;
}

bool ProfileWriteInt(const std::string& file, const char* section, const char* key, long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return ProfileWrite(file, section, key, text);
}

bool ProfileDeleteKey(const std::string& file, const char* section, const char* key)
{
    return ProfileWrite(file, section, key, nullptr);
}

void ProfileFlush(const std::string& file)
{
    CurrentProfileBackend().write(file.c_str(), nullptr, nullptr, nullptr);
}

int ProfileReadSection(const std::string& file, const char* section, std::size_t maxBytes, ProfileSection& out)
{
    out = ProfileSection{};
    std::string text;
    const ProfileBackend& backend = CurrentProfileBackend();
    if (ReadGrowing(file, maxBytes, text,
                    [&](char* buf, int size) { return backend.readSection(file.c_str(), section, buf, size); }) != 0)
        return -1;
    try {
        out.bytes = text.size();
        for (const std::string& line : Pieces(text)) {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key = ProfileTrim(line.substr(0, eq));
            if (key.empty() || key[0] == ';')
                continue;
            out.values.emplace(ProfileLower(key), ProfileUnquote(ProfileTrim(line.substr(eq + 1))));
        }
        return 0;
    } catch (const std::bad_alloc&) {
        out = ProfileSection{};
        return -1;
    }
}

std::string ProfileSectionString(const ProfileSection& section, const char* key, const char* def, int bufSize)
{
    const auto found = section.values.find(ProfileLower(key));
    std::string value = found != section.values.end() ? found->second : ProfileTrim(def ? def : "");
    const std::size_t limit = bufSize > 1 ? static_cast<std::size_t>(bufSize - 1) : 0;
    if (value.size() > limit)
        value.resize(limit);
    return value;
}

long ProfileSectionInt(const ProfileSection& section, const char* key, long def)
{
    const std::string text = ProfileSectionString(section, key, "");
    return text.empty() ? def : LenientNumber(text.c_str());
}

int ProfileSectionNames(const std::string& file, std::size_t maxBytes, std::vector<std::string>& names)
{
    names.clear();
    std::string text;
    const ProfileBackend& backend = CurrentProfileBackend();
    if (ReadGrowing(file, maxBytes, text, [&](char* buf, int size) { return backend.readSectionNames(file.c_str(), buf, size); }) != 0)
        return -1;
    try {
        for (const std::string& name : Pieces(text))
            names.push_back(ProfileLower(name));
        return 0;
    } catch (const std::bad_alloc&) {
        names.clear();
        return -1;
    }
}
