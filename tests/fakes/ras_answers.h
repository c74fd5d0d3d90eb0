// What RasEnumConnectionsA and RasGetConnectStatusA answer over a list of
// connections, entry name and state each, connection handle i + 1 being
// entry i: the stand-in rasapi32.dll and the in-process monitor tests both
// answer this way.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "monitor/win32/rasmonitor.h"

using RasEntries = std::vector<std::pair<std::string, DWORD>>;

inline DWORD EnumerateRasEntries(const RasEntries& entries, void* buffer, DWORD* bytes, DWORD* count)
{
    auto* out = static_cast<RasConn95*>(buffer);
    if (!out || !bytes || !count || out->dwSize != sizeof(RasConn95))
        return 632;  // ERROR_INVALID_SIZE
    const DWORD needed = static_cast<DWORD>(entries.size() * sizeof(RasConn95));
    if (*bytes < needed) {
        *bytes = needed;
        *count = 0;
        return RAS_ERROR_BUFFER_TOO_SMALL;
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

inline DWORD RasEntryStatus(const RasEntries& entries, HANDLE connection, void* buffer)
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
