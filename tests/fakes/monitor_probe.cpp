// Runs one monitor of the program against whatever rasapi32.dll and
// TAPI32.DLL the system loads (Wine's own, or the fakes beside this exe) and
// writes what happened to probe.out in the current folder:
//   box <code> <text>         an error box the monitor showed
//   start <result>            the monitor's start
//   connect <prompt> <online> <isp> <eventTime> <name>
//   disconnect <eventTime>
//   device <number>           the device the line monitor opened
//   modem <name>              its name as the modem list shows it
// Usage: monitor_probe line|ras key=value...  (device, permid, prompt,
// track, delay, defaultisp, rasprompt, pump = milliseconds of message loop)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/monitorevents.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"

namespace {

FILE* out = nullptr;

void Presenter(const char* text, const char*, ErrorCode code)
{
    std::fprintf(out, "box %d %s\n", static_cast<int>(code), text);
    std::fflush(out);
}

void RecordConnection(bool prompt)
{
    std::fprintf(out, "connect %d %d %d %lld %s\n", prompt ? 1 : 0, Monitor.online ? 1 : 0, Monitor.sessionIsp,
                 static_cast<long long>(Monitor.eventTime), Monitor.connectionName);
    std::fflush(out);
}

void RecordDisconnection()
{
    std::fprintf(out, "disconnect %lld\n", static_cast<long long>(Monitor.eventTime));
    std::fflush(out);
    Monitor.online = false;
}

void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

} // namespace

int main(int argc, char** argv)
{
    out = std::fopen("probe.out", "w");
    if (!out || argc < 2)
        return 2;
    std::map<std::string, long long> args;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t eq = arg.find('=');
        if (eq != std::string::npos)
            args[arg.substr(0, eq)] = std::atoll(arg.c_str() + eq + 1);
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    SetUpFileLocations(path);
    ProgramInstance = GetModuleHandleA(nullptr);
    SetErrorPresenter(Presenter);
    Reports = {RecordConnection, RecordDisconnection};

    Monitor.Device = static_cast<std::uint32_t>(args["device"]);
    Monitor.hasPermanentLineID = args.count("permid") != 0;
    Monitor.PermanentLineID = static_cast<std::uint32_t>(args["permid"]);
    Monitor.Prompt = static_cast<int>(args["prompt"]);
    Monitor.TrackInbound = static_cast<int>(args["track"]);
    Monitor.Delay = static_cast<int>(args["delay"]);
    Monitor.DefaultISP = static_cast<int>(args["defaultisp"]);
    Monitor.RasPrompt = args.count("rasprompt") ? static_cast<int>(args["rasprompt"]) : 1;

    const bool line = std::string(argv[1]) == "line";
    const int started = line ? StartLineMonitor() : StartRasMonitor();
    std::fprintf(out, "start %d\n", started);
    if (line && started == 0) {
        std::fprintf(out, "device %u\n", static_cast<unsigned>(Monitor.Device));
        DWORD version = 0;
        const auto caps = GetLineCaps(reinterpret_cast<HANDLE>(Monitor.lineApp), Monitor.Device, version, true);
        std::fprintf(out, "modem %s\n", ModemName(caps).c_str());
    }
    std::fflush(out);
    if (started == 0) {
        MonitoringActive = true;
        if (args["pump"] > 0) {
            SetTimer(nullptr, 0, static_cast<UINT>(args["pump"]), Quit);
            PumpMessages(PUMP_RUN, nullptr);
        }
        if (line)
            StopLineMonitor();
        else
            StopRasMonitor();
        MonitoringActive = false;
    }
    std::fprintf(out, "end %d\n", LiveConnectionEvents());
    std::fclose(out);
    return 0;
}
