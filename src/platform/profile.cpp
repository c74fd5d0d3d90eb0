#include "platform/profile.h"

#include <cstdio>
#include <cstdlib>
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

bool ProfileWrite(const std::string& file, const char* section, const char* key, const char* value)
{
    return CurrentProfileBackend().write(file.c_str(), section, key, value) != 0;
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
