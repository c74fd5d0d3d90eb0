// A stand-in rasapi32.dll for tests: the active connections are the lines of
// the file named by TOLVANE_FAKE_RAS, "entry-name state" each (the name
// without blanks, the state in hex, 2000 = connected), read afresh by every
// enumeration, so a test changes the connections by rewriting the file. No
// file: no connections. Every enumeration adds a byte to that name plus
// ".polls", so a test can wait until a change has been seen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/win32/rasmonitor.h"

namespace {

// Name and state of each connection the last enumeration found.
std::vector<std::pair<std::string, DWORD>> entries;

void ReadEntries()
{
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOLVANE_FAKE_RAS", path, sizeof path))
        return entries.clear();
    std::ofstream(std::string(path) + ".polls", std::ios::app) << '.';
    // The test replaces the file by renaming a new one over it; should an
    // open still fail in between, the last list stands.
    std::ifstream file(path);
    if (!file)
        return;
    entries.clear();
    std::string name;
    for (DWORD state = 0; file >> name >> std::hex >> state;)
        entries.push_back({name, state});
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI RasEnumConnectionsA(void* buffer, DWORD* bytes, DWORD* count)
{
    auto* out = static_cast<RasConn95*>(buffer);
    if (!out || !bytes || !count || out->dwSize != sizeof(RasConn95))
        return 632;  // ERROR_INVALID_SIZE
    ReadEntries();
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
        std::snprintf(out[i].szEntryName, sizeof out[i].szEntryName, "%s", entries[i].first.c_str());
    }
    *count = static_cast<DWORD>(entries.size());
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* buffer)
{
    auto* status = static_cast<RasConnStatus95*>(buffer);
    const std::size_t index = reinterpret_cast<std::size_t>(connection);
    if (!status || status->dwSize != sizeof(RasConnStatus95))
        return 632;
    if (index == 0 || index > entries.size())
        return 6;  // ERROR_INVALID_HANDLE: the connection went away
    status->rasconnstate = entries[index - 1].second;
    status->dwError = 0;
    return 0;
}
