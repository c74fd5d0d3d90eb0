// A stand-in TAPI32.DLL that proves the program finds and binds the library
// beside it: one data modem named "Fake Modem" that opens and never calls.
// What the monitor does with Telephony's answers is tested in-process
// through the replaceable Telephony table.
#include <windows.h>

#include <cstring>

#include "monitor/win32/linemonitor.h"

extern "C" __declspec(dllexport) LONG WINAPI lineInitialize(HANDLE* lineApp, HINSTANCE, LineCallbackFn, const char*,
                                                            DWORD* count)
{
    *lineApp = reinterpret_cast<HANDLE>(0x1234);
    *count = 1;
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineNegotiateAPIVersion(HANDLE, DWORD, DWORD, DWORD high, DWORD* version,
                                                                     void*)
{
    *version = high;
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineGetDevCaps(HANDLE, DWORD, DWORD, DWORD, void* buffer)
{
    static const char name[] = "Fake Modem";
    auto* caps = static_cast<LineDevCapsHead*>(buffer);
    caps->dwNeededSize = sizeof(LineDevCapsHead) + sizeof name;
    if (caps->dwTotalSize < caps->dwNeededSize)
        return 0;
    caps->dwLineNameSize = sizeof name;
    caps->dwLineNameOffset = sizeof(LineDevCapsHead);
    caps->dwStringFormat = 1;  // ASCII
    caps->dwMediaModes = 0x10;  // data modem
    std::memcpy(static_cast<char*>(buffer) + caps->dwLineNameOffset, name, sizeof name);
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineOpen(HANDLE, DWORD, HANDLE* line, DWORD, DWORD, DWORD_PTR, DWORD,
                                                      DWORD, void*)
{
    *line = reinterpret_cast<HANDLE>(0x5678);
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineGetCallInfo(HANDLE, void*)
{
    return static_cast<LONG>(0x80000013);  // LINEERR_INVALCALLHANDLE
}

extern "C" __declspec(dllexport) LONG WINAPI lineClose(HANDLE)
{
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineShutdown(HANDLE)
{
    return 0;
}
