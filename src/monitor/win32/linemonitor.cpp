#include "monitor/win32/linemonitor.h"

#include <cstring>
#include <new>

#include "monitor/win32/controller.h"
#include "monitor/win32/monitorevents.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "startup/errors.h"

namespace {

// Lazy binding: a slot is untried, bound, or failed; failures are final for
// the run, and the library is never unloaded.
enum class Slot { Untried, Bound, Failed };

struct Binding {
    const char* name;
    Slot state = Slot::Untried;
    FARPROC entry = nullptr;
};

enum Function { F_CLOSE, F_GETCALLINFO, F_GETDEVCAPS, F_INITIALIZE, F_NEGOTIATE, F_OPEN, F_SHUTDOWN, F_COUNT };

Binding bindings[F_COUNT] = {{"lineClose"},      {"lineGetCallInfo"},         {"lineGetDevCaps"}, {"lineInitialize"},
                             {"lineNegotiateAPIVersion"}, {"lineOpen"}, {"lineShutdown"}};
Slot librarySlot = Slot::Untried;
HMODULE library = nullptr;

template <typename Fn>
Fn Bind(Function which)
{
    Binding& slot = bindings[which];
    if (slot.state == Slot::Untried) {
        if (librarySlot == Slot::Untried) {
            library = LoadLibraryA("TAPI32.DLL");
            librarySlot = library ? Slot::Bound : Slot::Failed;
        }
        slot.entry = librarySlot == Slot::Bound ? GetProcAddress(library, slot.name) : nullptr;
        slot.state = slot.entry ? Slot::Bound : Slot::Failed;
    }
    return slot.state == Slot::Bound ? reinterpret_cast<Fn>(reinterpret_cast<void*>(slot.entry)) : nullptr;
}

constexpr DWORD LINEMEDIAMODE_DATAMODEM_VALUE = 0x10;
constexpr DWORD LINECALLPRIVILEGE_MONITOR_VALUE = 2;
constexpr DWORD LINE_CALLSTATE_VALUE = 2;
constexpr DWORD LINE_LINEDEVSTATE_VALUE = 8;
constexpr DWORD LINEDEVSTATE_REINIT_VALUE = 0x40000;
constexpr std::size_t FIRST_CAPS_SIZE = 1264;
// Telephony asking for more than this is not believed.
constexpr std::size_t MAX_CAPS_SIZE = 1 << 20;

LONG WINAPI BoundLineInitialize(HANDLE* lineApp, HINSTANCE instance, LineCallbackFn callback, const char* appName,
                        DWORD* deviceCount)
{
    using Fn = LONG(WINAPI*)(HANDLE*, HINSTANCE, LineCallbackFn, const char*, DWORD*);
    Fn fn = Bind<Fn>(F_INITIALIZE);
    return fn ? fn(lineApp, instance, callback, appName, deviceCount) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineNegotiateAPIVersion(HANDLE lineApp, DWORD device, DWORD low, DWORD high, DWORD* version,
                                 void* extensionId)
{
    using Fn = LONG(WINAPI*)(HANDLE, DWORD, DWORD, DWORD, DWORD*, void*);
    Fn fn = Bind<Fn>(F_NEGOTIATE);
    return fn ? fn(lineApp, device, low, high, version, extensionId) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineGetDevCaps(HANDLE lineApp, DWORD device, DWORD version, DWORD extVersion, void* caps)
{
    using Fn = LONG(WINAPI*)(HANDLE, DWORD, DWORD, DWORD, void*);
    Fn fn = Bind<Fn>(F_GETDEVCAPS);
    return fn ? fn(lineApp, device, version, extVersion, caps) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineOpen(HANDLE lineApp, DWORD device, HANDLE* line, DWORD version, DWORD extVersion,
                  DWORD_PTR callbackData, DWORD privileges, DWORD mediaModes, void* callParams)
{
    using Fn = LONG(WINAPI*)(HANDLE, DWORD, HANDLE*, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, void*);
    Fn fn = Bind<Fn>(F_OPEN);
    return fn ? fn(lineApp, device, line, version, extVersion, callbackData, privileges, mediaModes, callParams)
              : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineGetCallInfo(HANDLE call, void* callInfo)
{
    using Fn = LONG(WINAPI*)(HANDLE, void*);
    Fn fn = Bind<Fn>(F_GETCALLINFO);
    return fn ? fn(call, callInfo) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineClose(HANDLE line)
{
    using Fn = LONG(WINAPI*)(HANDLE);
    Fn fn = Bind<Fn>(F_CLOSE);
    return fn ? fn(line) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

LONG WINAPI BoundLineShutdown(HANDLE lineApp)
{
    using Fn = LONG(WINAPI*)(HANDLE);
    Fn fn = Bind<Fn>(F_SHUTDOWN);
    return fn ? fn(lineApp) : LINEERR_OPERATIONUNAVAIL_VALUE;
}

HANDLE LineApp()
{
    return reinterpret_cast<HANDLE>(Monitor.lineApp);
}

void ShutDown()
{
    Telephony.lineShutdown(LineApp());
    Monitor.lineApp = 0;
}

const TelephonyApi BoundTelephony = {BoundLineInitialize, BoundLineNegotiateAPIVersion, BoundLineGetDevCaps,
                                     BoundLineOpen,       BoundLineGetCallInfo,          BoundLineClose,
                                     BoundLineShutdown};

} // namespace

TelephonyApi Telephony = BoundTelephony;

void ResetTelephonyApi()
{
    Telephony = BoundTelephony;
}

int InitTelephony(HANDLE& lineApp, DWORD& deviceCount, LineCallbackFn callback, bool report)
{
    LONG result = Telephony.lineInitialize(&lineApp, ProgramInstance, callback, nullptr, &deviceCount);
    if (result == LINEERR_REINIT_VALUE)
        result = Telephony.lineInitialize(&lineApp, ProgramInstance, callback, nullptr, &deviceCount);
    if (result == 0)
        return 0;
    if (report) {
        if (result == LINEERR_REINIT_VALUE)
            ShowError(2006);
        else
            ShowError(2007, static_cast<long>(result));
    }
    return -1;
}

DWORD NegotiateLineVersion(HANDLE lineApp, DWORD device, bool report)
{
    DWORD version = 0;
    unsigned char extensionId[16] = {};
    const LONG result =
        Telephony.lineNegotiateAPIVersion(lineApp, device, 0x00010003, 0x00010004, &version, extensionId);
    if (result == 0)
        return version;
    if (report) {
        if (result == LINEERR_INCOMPATIBLEAPIVERSION_VALUE)
            ShowError(2008, static_cast<unsigned long>(device));
        else
            ShowError(2007, static_cast<long>(result));
    }
    return 0;
}

std::vector<unsigned char> GetLineCaps(HANDLE lineApp, DWORD device, DWORD& version, bool report)
{
    version = NegotiateLineVersion(lineApp, device, report);
    if (version == 0)
        return {};
    std::vector<unsigned char> caps;
    try {
        std::size_t size = FIRST_CAPS_SIZE;
        for (;;) {
            caps.assign(size, 0);
            auto* head = reinterpret_cast<LineDevCapsHead*>(caps.data());
            head->dwTotalSize = static_cast<DWORD>(size);
            if (Telephony.lineGetDevCaps(lineApp, device, version, 0, caps.data()) != 0) {
                if (report)
                    ShowError(2063);
                return {};
            }
            if (head->dwNeededSize <= head->dwTotalSize)
                return caps;
            if (head->dwNeededSize > MAX_CAPS_SIZE || head->dwNeededSize <= size)
                throw std::bad_alloc();
            size = head->dwNeededSize;
        }
    } catch (const std::bad_alloc&) {
        if (report)
            ShowError(105);
        return {};
    }
}

std::vector<unsigned char> FindLineDevice(HANDLE lineApp, DWORD deviceCount, bool hasPermanentLineId,
                                          DWORD permanentLineId, DWORD device, DWORD& version, DWORD& foundDevice)
{
    if (!hasPermanentLineId) {
        if (device >= deviceCount) {
            ShowError(2061);
            return {};
        }
        std::vector<unsigned char> caps = GetLineCaps(lineApp, device, version, true);
        if (!caps.empty())
            foundDevice = device;
        return caps;
    }
    for (DWORD d = 0; d < deviceCount; ++d) {
        std::vector<unsigned char> caps = GetLineCaps(lineApp, d, version, true);
        if (caps.empty())
            return {};
        if (reinterpret_cast<const LineDevCapsHead*>(caps.data())->dwPermanentLineID == permanentLineId) {
            foundDevice = d;
            return caps;
        }
    }
    return {};
}

std::string ModemName(const std::vector<unsigned char>& caps)
{
    if (caps.size() < sizeof(LineDevCapsHead))
        return MODEM_UNAVAILABLE;
    const auto* head = reinterpret_cast<const LineDevCapsHead*>(caps.data());
    return ModemNameFromCaps(caps.data(), caps.size(), head->dwLineNameSize, head->dwLineNameOffset,
                             head->dwStringFormat);
}

int StartLineMonitor()
{
    HANDLE lineApp = nullptr;
    DWORD count = 0;
    if (InitTelephony(lineApp, count, LineCallback, true) != 0)
        return -1;
    Monitor.lineApp = reinterpret_cast<std::uintptr_t>(lineApp);
    if (count == 0) {
        ShowError(2060);
        ShutDown();
        return -1;
    }
    DWORD version = 0;
    DWORD device = Monitor.Device;
    std::vector<unsigned char> caps = FindLineDevice(lineApp, count, Monitor.hasPermanentLineID,
                                                     Monitor.PermanentLineID, Monitor.Device, version, device);
    if (caps.empty()) {
        ShutDown();
        return -1;
    }
    Monitor.lineApiVersion = version;
    Monitor.Device = device;
    if (!(reinterpret_cast<const LineDevCapsHead*>(caps.data())->dwMediaModes & LINEMEDIAMODE_DATAMODEM_VALUE)) {
        ShowError(2062);
        ShutDown();
        return -1;
    }
    Monitor.online = false;
    HANDLE line = nullptr;
    if (Telephony.lineOpen(lineApp, Monitor.Device, &line, version, 0, 0, LINECALLPRIVILEGE_MONITOR_VALUE, 0,
                           nullptr) != 0) {
        ShowError(2009);
        ShutDown();
        return -1;
    }
    Monitor.line = reinterpret_cast<std::uintptr_t>(line);
    return 0;
}

void StopLineMonitor()
{
    if (MonitoringActive)
        CloseLine();
    else
        DiscardLineEvents();
}

void CloseLine()
{
    Telephony.lineClose(reinterpret_cast<HANDLE>(Monitor.line));
    Telephony.lineShutdown(LineApp());
    Monitor.line = 0;
    Monitor.lineApp = 0;
    Monitor.lineApiVersion = 0;
    Monitor.online = false;
    // States still queued belong to the line just closed.
    DiscardLineEvents();
}

void CALLBACK LineCallback(DWORD device, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR)
{
    // Telephony calls this from this thread's message loop, possibly inside
    // a dialog's modal loop: the event waits in the queue until the main loop
    // delivers it. What the call was is read now, while the call exists.
    MonitorEvent event;
    if (message == LINE_CALLSTATE_VALUE) {
        event.kind = MonitorEventKind::CallState;
        event.callState = static_cast<std::uint32_t>(param1);
        event.time = Now();
        LineCallInfo14 info{};
        info.dwTotalSize = sizeof info;
        if (Telephony.lineGetCallInfo(reinterpret_cast<HANDLE>(static_cast<DWORD_PTR>(device)), &info) == 0) {
            event.callInfo.read = true;
            event.callInfo.lineDeviceId = info.dwLineDeviceID;
            event.callInfo.origin = info.dwOrigin;
        }
    } else if (message == LINE_LINEDEVSTATE_VALUE && param1 == LINEDEVSTATE_REINIT_VALUE && param2 == 0) {
        event.kind = MonitorEventKind::LineReinit;
    } else {
        return;
    }
    QueueMonitorEvent(std::move(event));
}

void OnCallState(std::uint32_t state, const CallInfoSummary& info, std::int64_t time)
{
    switch (DecideCallState(state, info, Monitor.Device, Monitor.online, Monitor.TrackInbound)) {
    case CallAction::Nothing:
        return;
    case CallAction::Connect:
        Monitor.eventTime = time + Monitor.Delay;
        Monitor.connectionName[0] = '\0';
        Monitor.sessionIsp = Monitor.DefaultISP;
        if (Monitor.Prompt == 0)
            Monitor.online = true;
        Reports.connection(Monitor.Prompt != 0);
        return;
    case CallAction::EndAndRestart:
        if (Monitor.online) {
            Monitor.eventTime = time;
            Reports.disconnection();
        }
        CloseLine();
        StartLineMonitor();
        return;
    }
}
