// A stand-in rasapi32.dll for tests: the active connections are the lines of
// the file named by TOLVANE_FAKE_RAS, "entry-name state" each (state in hex,
// 2000 = connected), read afresh on every call, so a test changes the
// connections by rewriting the file. No file: no connections. A line
// "! code" makes enumerations fail with that code (in hex). Every
// enumeration adds a byte to that name plus ".polls", so a test can wait
// until a change has been seen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/win32/rasmonitor.h"

namespace {

struct Entry {
    std::string name;
    DWORD state;
};

std::vector<Entry> ReadEntries(bool countPoll)
{
    std::vector<Entry> entries;
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOLVANE_FAKE_RAS", path, sizeof path))
        return entries;
    if (FILE* polls = countPoll ? std::fopen((std::string(path) + ".polls").c_str(), "ab") : nullptr) {
        std::fputc('.', polls);
        std::fclose(polls);
    }
    // The test replaces the file by renaming a new one over it; should an
    // open still fail in between, the last list stands.
    static std::vector<Entry> last;
    FILE* file = std::fopen(path, "r");
    if (!file)
        return last;
    for (char line[512]; std::fgets(line, sizeof line, file);)
        if (char* space = std::strrchr(line, ' ')) {
            *space = '\0';
            entries.push_back({line, static_cast<DWORD>(std::strtoul(space + 1, nullptr, 16))});
        }
    std::fclose(file);
    return last = entries;
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI RasEnumConnectionsA(void* buffer, DWORD* bytes, DWORD* count)
{
    auto* out = static_cast<RasConn95*>(buffer);
    if (!out || !bytes || !count || out->dwSize != sizeof(RasConn95))
        return 632;  // ERROR_INVALID_SIZE
    const std::vector<Entry> entries = ReadEntries(true);
    if (!entries.empty() && entries[0].name == "!")
        return entries[0].state;
    const DWORD needed = static_cast<DWORD>(entries.size() * sizeof(RasConn95));
    if (*bytes < needed) {
        *bytes = needed;
        *count = 0;
        return 603;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::memset(&out[i], 0, sizeof out[i]);
        out[i].dwSize = sizeof(RasConn95);
        out[i].hrasconn = reinterpret_cast<HANDLE>(i + 1);
        std::snprintf(out[i].szEntryName, sizeof out[i].szEntryName, "%s", entries[i].name.c_str());
    }
    *count = static_cast<DWORD>(entries.size());
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* buffer)
{
    auto* status = static_cast<RasConnStatus95*>(buffer);
    if (!status || status->dwSize != sizeof(RasConnStatus95))
        return 632;
    const std::vector<Entry> entries = ReadEntries(false);
    const std::size_t index = reinterpret_cast<std::size_t>(connection);
    if (index == 0 || index > entries.size())
        return 6;  // ERROR_INVALID_HANDLE: the connection went away
    status->rasconnstate = entries[index - 1].state;
    status->dwError = 0;
    return 0;
}
