// Starts the Telephony line monitor of the program against whatever
// TAPI32.DLL the system loads (the fake beside this exe, or none) and writes
// to probe.out in the current folder:
//   box <code> <text>   an error box the monitor showed
//   start <result>      the monitor's start
//   modem <name>        the opened modem's name
#include <windows.h>

#include <cstdio>

#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "platform/win32/win32_ui.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {
FILE* out = nullptr;
}

int main()
{
    out = std::fopen("probe.out", "wb");
    if (!out)
        return 2;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    SetUpFileLocations(path);
    ProgramInstance = GetModuleHandleA(nullptr);
    SetErrorPresenter([](const char* text, const char*, ErrorCode code) {
        std::fprintf(out, "box %d %s\n", static_cast<int>(code), text);
    });
    const int started = StartLineMonitor();
    std::fprintf(out, "start %d\n", started);
    if (started == 0) {
        DWORD version = 0;
        std::fprintf(out, "modem %s\n",
                     ModemName(GetLineCaps(reinterpret_cast<HANDLE>(Monitor.lineApp), Monitor.Device, version, true))
                         .c_str());
        CloseLine();
    }
    std::fclose(out);
    return 0;
}
