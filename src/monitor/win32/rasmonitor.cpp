#include "monitor/win32/rasmonitor.h"

#include <cstring>
#include <new>

#include "monitor/raschanges.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/monitorevents.h"
#include "platform/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_api.h"
#include "startup/errors.h"
#include "tariff/tariffstore.h"

namespace {

int pollInterval = 500;
// Set by the polling thread once it has shown error 2074 in this run; later
// failures of the run are only logged, or a broken RAS would put up a box
// every poll.
bool enumerationFailureShown = false;

void ReportEnumerationFailure()
{
    if (enumerationFailureShown) {
        ScopedSuppressErrors quiet;
        ShowError(2074);
        return;
    }
    enumerationFailureShown = true;
    ShowError(2074);
}

void PostChange(const RasChange& change, std::int64_t time)
{
    const char* what = change.connected ? "connection" : "disconnection";
    try {
        MonitorEvent event;
        event.kind = change.connected ? MonitorEventKind::RasConnected : MonitorEventKind::RasDisconnected;
        event.connection = NewConnectionEvent(change.entryName.c_str(), time);
        if (!QueueMonitorEvent(std::move(event))) {
            LogError(1002, what);
            return;
        }
    } catch (const std::bad_alloc&) {
        LogError(1002, what);
        return;
    }
    // Only a wake-up for the main loop; the event itself waits in the queue.
    PostThreadMessageA(Monitor.uiThreadId, change.connected ? MSG_CONNECTED : MSG_DISCONNECTED, 0, 0);
}

DWORD WINAPI RasPollingThread(void*)
{
    std::vector<std::string> previous;
    for (;;) {
        if (Monitor.rasStopRequests.exchange(0) != 0)
            break;
        std::vector<std::string> current;
        if (!EnumerateActiveConnections(current)) {
            LogError(1000);
            current.clear();
        }
        const std::int64_t t = Now() + Monitor.Delay;
        for (const RasChange& change : DiffConnections(previous, current))
            PostChange(change, t);
        previous.swap(current);
        Sleep(static_cast<DWORD>(pollInterval));
    }
    previous.clear();
    return 0;
}

// Waits for the thread while still answering messages that other threads
// send to this one: the polling thread's error box talks to its owner here.
DWORD WaitForPollingThread(HANDLE thread, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return WAIT_TIMEOUT;
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return result;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

bool EnumerateActiveConnections(std::vector<std::string>& names)
{
    names.clear();
    std::vector<RasConn95> entries;
    try {
        entries.resize(1);
        for (;;) {
            std::memset(entries.data(), 0, entries.size() * sizeof(RasConn95));
            entries[0].dwSize = sizeof(RasConn95);
            DWORD bytes = static_cast<DWORD>(entries.size() * sizeof(RasConn95));
            DWORD count = 0;
            const DWORD result = Api.RasEnumConnectionsA(entries.data(), &bytes, &count);
            if (result == 0) {
                entries.resize(count < entries.size() ? count : entries.size());
                break;
            }
            if (result != RAS_ERROR_BUFFER_TOO_SMALL || bytes <= entries.size() * sizeof(RasConn95)) {
                // A "too small" answer that asks for no more room would loop for ever.
                ReportEnumerationFailure();
                return false;
            }
            entries.resize((bytes + sizeof(RasConn95) - 1) / sizeof(RasConn95));
        }
        for (const RasConn95& entry : entries) {
            RasConnStatus95 status{};
            status.dwSize = sizeof status;
            if (Api.RasGetConnectStatusA(entry.hrasconn, &status) != 0 || status.rasconnstate != RASCS_CONNECTED_STATE)
                continue;
            names.emplace_back(entry.szEntryName, strnlen(entry.szEntryName, sizeof entry.szEntryName));
        }
    } catch (const std::bad_alloc&) {
        names.clear();
        return false;
    }
    return true;
}

int CurrentRasLatency()
{
    return pollInterval;
}

int StartRasMonitor()
{
    if (Monitor.rasThreadStarted)
        return 0;
    Monitor.rasStopRequests = 0;
    Monitor.uiThreadId = GetCurrentThreadId();
    // Read here rather than in the thread: settings are read on this thread.
    pollInterval = ReadRasLatency();
    enumerationFailureShown = false;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RasPollingThread, nullptr, 0, &id);
    if (!thread) {
        ShowError(2075, static_cast<int>(GetLastError()));
        StopRasMonitor();
        return -1;
    }
    Monitor.rasThread = reinterpret_cast<std::uintptr_t>(thread);
    Monitor.rasThreadId = id;
    Monitor.rasThreadStarted = true;
    return 0;
}

void StopRasMonitor()
{
    if (Monitor.rasThreadStarted)
        ++Monitor.rasStopRequests;
    if (Monitor.rasThread) {
        HANDLE thread = reinterpret_cast<HANDLE>(Monitor.rasThread);
        const DWORD result = WaitForPollingThread(thread, 300000);
        if (result != WAIT_OBJECT_0)
            ShowError(2076, result == WAIT_TIMEOUT ? "timeout" : "failure", static_cast<long>(GetLastError()));
        CloseHandle(thread);
        Monitor.rasThread = 0;
        Monitor.rasThreadId = 0;
        Monitor.rasThreadStarted = false;
    }
    // What the thread reported but nobody handled yet belongs to this run.
    DiscardRasEvents();
}

void OnRasConnected(ConnectionEvent* raw)
{
    ConnectionEventPtr event(raw);
    if (Monitor.online || !event)
        return;
    Monitor.eventTime = event->time;
    bool ask = false;
    std::int32_t found = 0;
    RasDecision decision = RasDecision::Ask;
    if (Monitor.RasPrompt != RAS_ALWAYS_PROMPT)
        decision = DecideRasConnection(Monitor.RasPrompt, FindIspByRasName(event->entryName, found) == 0);
    switch (decision) {
    case RasDecision::LogFound:
        Monitor.sessionIsp = found;
        break;
    case RasDecision::LogDefault:
        Monitor.sessionIsp = Monitor.DefaultISP;
        break;
    case RasDecision::Ask:
        ask = true;
        break;
    case RasDecision::Ignore:
        break;
    }
    const std::size_t length = strnlen(event->entryName, sizeof Monitor.connectionName - 1);
    std::memset(Monitor.connectionName, 0, sizeof Monitor.connectionName);
    std::memcpy(Monitor.connectionName, event->entryName, length);
    Monitor.online = decision == RasDecision::LogFound || decision == RasDecision::LogDefault;
    Reports.connection(ask);
}

void OnRasDisconnected(ConnectionEvent* raw)
{
    ConnectionEventPtr event(raw);
    if (!event || !Monitor.online)
        return;
    if (std::strncmp(event->entryName, Monitor.connectionName, sizeof Monitor.connectionName) != 0)
        return;
    Monitor.eventTime = event->time;
    Reports.disconnection();
}
