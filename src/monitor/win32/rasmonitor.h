// The RAS monitor: a thread that polls the active dial-up connections and
// reports the ones that appear and disappear.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "monitor/monitorstate.h"

// The Windows 95 / NT 4.0 forms of the RAS records, which every RAS version
// accepts. MinGW's ras.h only declares the newest layouts.
struct RasConn95 {
    DWORD dwSize;
    HANDLE hrasconn;
    char szEntryName[257];
    char szDeviceType[17];
    char szDeviceName[129];
};
struct RasConnStatus95 {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    char szDeviceType[17];
    char szDeviceName[129];
};
#ifndef _WIN64
static_assert(sizeof(RasConn95) == 412, "the old RASCONN is 412 bytes");
#endif
static_assert(sizeof(RasConnStatus95) == 160, "the old RASCONNSTATUS is 160 bytes");

constexpr DWORD RASCS_CONNECTED_STATE = 0x2000;
constexpr DWORD RAS_ERROR_BUFFER_TOO_SMALL = 603;

// The entry names of the connections that are up (RASCS_Connected), in
// RAS order. False after reporting 2074 (or when memory ran out).
bool EnumerateActiveConnections(std::vector<std::string>& names);

// The poll interval the running thread uses (read when it was started).
int CurrentRasLatency();

// Start and stop of the polling thread; the handling of MSG_CONNECTED and
// MSG_DISCONNECTED on the UI thread, which releases the event.
int StartRasMonitor();
void StopRasMonitor();
void OnRasConnected(ConnectionEvent* event);
void OnRasDisconnected(ConnectionEvent* event);
