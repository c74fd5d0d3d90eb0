// The Telephony line monitor: TAPI32.DLL bound on first use, the configured
// modem's line opened with monitor privilege, call states turned into
// session starts and ends.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/linedecisions.h"

constexpr LONG LINEERR_OPERATIONUNAVAIL_VALUE = static_cast<LONG>(0x80000049);
constexpr LONG LINEERR_REINIT_VALUE = static_cast<LONG>(0x80000052);
constexpr LONG LINEERR_INCOMPATIBLEAPIVERSION_VALUE = static_cast<LONG>(0x8000000C);

// The leading fields of LINEDEVCAPS that the monitor uses; the record
// itself is a byte buffer of the size Telephony asks for.
struct LineDevCapsHead {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwStringFormat;
    DWORD dwAddressModes;
    DWORD dwNumAddresses;
    DWORD dwBearerModes;
    DWORD dwMaxRate;
    DWORD dwMediaModes;
};

// LINECALLINFO in its Telephony 1.3/1.4 form (296 bytes on 32-bit Windows).
struct LineCallInfo14 {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    HANDLE hLine;
    DWORD dwLineDeviceID;
    DWORD dwAddressID;
    DWORD dwBearerMode;
    DWORD dwRate;
    DWORD dwMediaMode;
    DWORD dwAppSpecific;
    DWORD dwCallID;
    DWORD dwRelatedCallID;
    DWORD dwCallParamFlags;
    DWORD dwCallStates;
    DWORD dwMonitorDigitModes;
    DWORD dwMonitorMediaModes;
    DWORD DialParams[4];
    DWORD dwOrigin;
    DWORD rest[53];
};
#ifndef _WIN64
static_assert(sizeof(LineCallInfo14) == 296, "the 1.4 LINECALLINFO is 296 bytes");
#endif

using LineCallbackFn = void(CALLBACK*)(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                                       DWORD_PTR param2, DWORD_PTR param3);

// The seven Telephony calls the monitor makes. The defaults bind
// TAPI32.DLL on first use and answer LINEERR_OPERATIONUNAVAIL when the
// library or the function is missing; tests put scripted ones in their place.
struct TelephonyApi {
    LONG(WINAPI* lineInitialize)(HANDLE* lineApp, HINSTANCE instance, LineCallbackFn callback, const char* appName,
                                 DWORD* deviceCount);
    LONG(WINAPI* lineNegotiateAPIVersion)(HANDLE lineApp, DWORD device, DWORD low, DWORD high, DWORD* version,
                                          void* extensionId);
    LONG(WINAPI* lineGetDevCaps)(HANDLE lineApp, DWORD device, DWORD version, DWORD extVersion, void* caps);
    LONG(WINAPI* lineOpen)(HANDLE lineApp, DWORD device, HANDLE* line, DWORD version, DWORD extVersion,
                           DWORD_PTR callbackData, DWORD privileges, DWORD mediaModes, void* callParams);
    LONG(WINAPI* lineGetCallInfo)(HANDLE call, void* callInfo);
    LONG(WINAPI* lineClose)(HANDLE line);
    LONG(WINAPI* lineShutdown)(HANDLE lineApp);
};

extern TelephonyApi Telephony;
// Puts every entry back to the lazily bound library.
void ResetTelephonyApi();

int InitTelephony(HANDLE& lineApp, DWORD& deviceCount, LineCallbackFn callback, bool report);
DWORD NegotiateLineVersion(HANDLE lineApp, DWORD device, bool report);
// Empty on failure; else the whole capabilities block.
std::vector<unsigned char> GetLineCaps(HANDLE lineApp, DWORD device, DWORD& version, bool report);
std::vector<unsigned char> FindLineDevice(HANDLE lineApp, DWORD deviceCount, bool hasPermanentLineId,
                                          DWORD permanentLineId, DWORD device, DWORD& version, DWORD& foundDevice);
std::string ModemName(const std::vector<unsigned char>& caps);

void CloseLine();
void CALLBACK LineCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2,
                           DWORD_PTR param3);
// A call state change as it is handled on the UI thread; info was read and
// time taken when the state arrived.
void OnCallState(std::uint32_t state, const CallInfoSummary& info, std::int64_t time);

// Opens the configured modem line and watches its calls; closes it again.
int StartLineMonitor();
void StopLineMonitor();
