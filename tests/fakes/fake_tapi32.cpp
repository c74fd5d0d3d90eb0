// A stand-in TAPI32.DLL that proves the program finds and binds the library
// beside it: one data modem that opens and never calls. The program binds
// each function on first use, and the ones it needs only for a call or at
// exit may be missing. What the monitor does with Telephony's answers is
// tested in-process through the replaceable Telephony table.
#include <windows.h>

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
    auto* caps = static_cast<LineDevCapsHead*>(buffer);
    caps->dwNeededSize = sizeof(LineDevCapsHead);
    caps->dwMediaModes = 0x10;  // data modem
    return 0;
}

extern "C" __declspec(dllexport) LONG WINAPI lineOpen(HANDLE, DWORD, HANDLE* line, DWORD, DWORD, DWORD_PTR, DWORD,
                                                      DWORD, void*)
{
    *line = reinterpret_cast<HANDLE>(0x5678);
    return 0;
}
