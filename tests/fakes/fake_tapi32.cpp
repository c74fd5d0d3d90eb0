// A stand-in TAPI32.DLL for tests, scripted by TOLVANE_FAKE_TAPI:
//   "devices=2;permids=7,9;media=16;name=Test Modem;extra=200;init=0;negotiate=0;
//    calls=100:0:1:256,400:0:1:16384"
// extra is the size of the capabilities before the name (over 1200 makes
// the caller grow its buffer); init / negotiate are the results of lineInitialize and
// lineNegotiateAPIVersion (decimal, may be negative); "init=reinit" answers
// LINEERR_REINIT once, "init=reinit2" always. Each call entry is
// "ms:device:origin:state": that many milliseconds after lineOpen the
// callback hears the state for a call on that device with that origin.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/win32/linemonitor.h"

namespace {

using Callback = void(CALLBACK*)(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR);

struct CallStep {
    DWORD ms, device, origin, state;
};

struct Script {
    DWORD devices = 1;
    std::vector<DWORD> permids;
    DWORD media = 0x10;
    std::string name = "Fake Modem";
    DWORD extra = 200;  // bytes of other data before the name
    std::string init = "0";
    LONG negotiate = 0;
    std::vector<CallStep> calls;
};

Script script;
Callback callback = nullptr;
HWND timerWindow = nullptr;
int reinitAnswers = 0;
std::size_t nextCall = 0;
DWORD openTick = 0;

std::string Value(const std::string& text, const char* key)
{
    const std::string k = std::string(key) + "=";
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(';', at);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(at, k.size(), k) == 0)
            return text.substr(at + k.size(), end - at - k.size());
        at = end + 1;
    }
    return {};
}

void ReadScript()
{
    char buffer[4096] = {};
    GetEnvironmentVariableA("TOLVANE_FAKE_TAPI", buffer, sizeof buffer);
    const std::string text = buffer;
    script = Script{};
    if (!Value(text, "devices").empty())
        script.devices = std::strtoul(Value(text, "devices").c_str(), nullptr, 10);
    const std::string permids = Value(text, "permids");
    for (const char* p = permids.c_str(); *p;) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(p, &end, 10);
        if (end == p) {  // not a number: skip the character
            ++p;
            continue;
        }
        script.permids.push_back(id);
        p = *end == ',' ? end + 1 : end;
    }
    if (!Value(text, "media").empty())
        script.media = std::strtoul(Value(text, "media").c_str(), nullptr, 10);
    if (!Value(text, "extra").empty())
        script.extra = std::strtoul(Value(text, "extra").c_str(), nullptr, 10);
    if (!Value(text, "name").empty())
        script.name = Value(text, "name");
    if (!Value(text, "init").empty())
        script.init = Value(text, "init");
    script.negotiate = std::strtol(Value(text, "negotiate").c_str(), nullptr, 10);
    const std::string calls = Value(text, "calls");
    for (const char* p = calls.c_str(); *p;) {
        CallStep step{};
        char* end = nullptr;
        step.ms = std::strtoul(p, &end, 10);
        step.device = std::strtoul(end + 1, &end, 10);
        step.origin = std::strtoul(end + 1, &end, 10);
        step.state = std::strtoul(end + 1, &end, 10);
        script.calls.push_back(step);
        p = *end == ',' ? end + 1 : end;
    }
}

void ScheduleNext()
{
    if (nextCall >= script.calls.size() || !timerWindow)
        return;
    const DWORD due = openTick + script.calls[nextCall].ms;
    const DWORD now = GetTickCount();
    SetTimer(timerWindow, 1, due > now ? due - now : 1, nullptr);
}

LRESULT CALLBACK TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        KillTimer(window, 1);
        if (nextCall < script.calls.size() && callback) {
            const std::size_t call = ++nextCall;  // the call handle is the step's number
            callback(static_cast<DWORD>(call), 2 /* LINE_CALLSTATE */, 0, script.calls[call - 1].state, 0, 0);
        }
        ScheduleNext();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

extern "C" __declspec(dllexport) LONG WINAPI lineInitialize(HANDLE* lineApp, HINSTANCE, Callback cb, const char*,
                                                            DWORD* count)
{
    ReadScript();
    if (script.init == "reinit2" || (script.init == "reinit" && reinitAnswers++ == 0))
        return static_cast<LONG>(0x80000052);
    const LONG result = std::strtol(script.init.c_str(), nullptr, 10);
    if (result != 0)
        return result;
    callback = cb;
    *lineApp = reinterpret_cast<HANDLE>(0x1234);
    *count = script.devices;
    if (!timerWindow) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TimerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FakeTapiTimer";
        RegisterClassA(&wc);
        timerWindow = CreateWindowA("FakeTapiTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineNegotiateAPIVersion(HANDLE, DWORD, DWORD, DWORD high, DWORD* version,
                                                                     void*)
{
    if (script.negotiate != 0)
        return script.negotiate;
    *version = high;
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineGetDevCaps(HANDLE, DWORD device, DWORD, DWORD, void* buffer)
{
    auto* caps = static_cast<DWORD*>(buffer);  // the leading DWORD fields
    const DWORD total = caps[0];
    const DWORD head = 16 * sizeof(DWORD);
    const DWORD needed = head + script.extra + static_cast<DWORD>(script.name.size()) + 1;
    caps[1] = needed;
    if (total < needed) {
        caps[2] = 3 * sizeof(DWORD);
        return 0;
    }
    std::memset(caps + 2, 0, total - 2 * sizeof(DWORD));
    caps[2] = needed;
    caps[7] = device < script.permids.size() ? script.permids[device] : 1000 + device;  // dwPermanentLineID
    caps[8] = static_cast<DWORD>(script.name.size()) + 1;                             // dwLineNameSize
    caps[9] = head + script.extra;                                                     // dwLineNameOffset
    caps[10] = 1;                                                                      // STRINGFORMAT_ASCII
    caps[15] = script.media;                                                           // dwMediaModes
    std::memcpy(static_cast<char*>(buffer) + caps[9], script.name.c_str(), script.name.size() + 1);
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineOpen(HANDLE, DWORD, HANDLE* line, DWORD, DWORD, DWORD_PTR, DWORD,
                                                      DWORD, void*)
{
    *line = reinterpret_cast<HANDLE>(0x5678);
    // Call steps count from the first opening and go on across reopenings:
    // a restart after a call end must not replay the calls.
    if (openTick == 0)
        openTick = GetTickCount();
    ScheduleNext();
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineGetCallInfo(HANDLE call, void* buffer)
{
    const std::size_t index = reinterpret_cast<std::size_t>(call);
    if (index == 0 || index > script.calls.size())
        return static_cast<LONG>(0x80000013);  // LINEERR_INVALCALLHANDLE
    auto* info = static_cast<LineCallInfo14*>(buffer);
    if (info->dwTotalSize < sizeof(LineCallInfo14))
        return static_cast<LONG>(0x80000023);  // LINEERR_STRUCTURETOOSMALL
    info->dwLineDeviceID = script.calls[index - 1].device;
    info->dwOrigin = script.calls[index - 1].origin;
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineClose(HANDLE)
{
    if (timerWindow)
        KillTimer(timerWindow, 1);
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineShutdown(HANDLE)
{
    return 0;
}
