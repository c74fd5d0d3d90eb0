#include "monitor/win32/monitorevents.h"

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <optional>

#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"

namespace {

std::atomic<int> liveEvents{0};
std::atomic<bool> pending{false};
std::mutex queueLock;
std::deque<MonitorEvent>& Queue()
{
    static std::deque<MonitorEvent> queue;
    return queue;
}

std::optional<MonitorEvent> PopEvent()
{
    std::lock_guard<std::mutex> hold(queueLock);
    auto& queue = Queue();
    if (queue.empty()) {
        pending = false;
        return std::nullopt;
    }
    MonitorEvent event = std::move(queue.front());
    queue.pop_front();
    pending = !queue.empty();
    return event;
}

template <typename Predicate>
void DiscardWhere(Predicate matches)
{
    std::deque<MonitorEvent> dropped;  // released outside the lock
    std::lock_guard<std::mutex> hold(queueLock);
    auto& queue = Queue();
    std::deque<MonitorEvent> kept;
    for (MonitorEvent& event : queue)
        (matches(event) ? dropped : kept).push_back(std::move(event));
    queue.swap(kept);
    pending = !queue.empty();
}

bool IsRas(const MonitorEvent& event)
{
    return event.kind == MonitorEventKind::RasConnected || event.kind == MonitorEventKind::RasDisconnected;
}

} // namespace

void ConnectionEventRelease::operator()(ConnectionEvent* event) const
{
    if (!event)
        return;
    --liveEvents;
    delete event;
}

ConnectionEventPtr NewConnectionEvent(const char* entryName, std::int64_t time)
{
    ConnectionEventPtr event(new ConnectionEvent);
    ++liveEvents;
    if (entryName)
        std::memcpy(event->entryName, entryName, strnlen(entryName, sizeof event->entryName - 1));
    event->time = time;
    return event;
}

int LiveConnectionEvents()
{
    return liveEvents;
}

bool QueueMonitorEvent(MonitorEvent&& event)
{
    try {
        std::lock_guard<std::mutex> hold(queueLock);
        Queue().push_back(std::move(event));
        pending = true;
        return true;
    } catch (const std::bad_alloc&) {
        event.connection.reset();
        return false;
    }
}

void DeliverMonitorEvents()
{
    static bool delivering = false;
    if (delivering || !pending)
        return;
    delivering = true;
    while (std::optional<MonitorEvent> event = PopEvent()) {
        switch (event->kind) {
        case MonitorEventKind::RasConnected:
            OnRasConnected(event->connection.release());
            break;
        case MonitorEventKind::RasDisconnected:
            OnRasDisconnected(event->connection.release());
            break;
        case MonitorEventKind::CallState:
            OnCallState(event->callState, event->callInfo, event->time);
            break;
        case MonitorEventKind::LineReinit:
            CloseLine();
            StartLineMonitor();
            break;
        }
    }
    delivering = false;
}

void DiscardRasEvents()
{
    DiscardWhere(IsRas);
}

void DiscardLineEvents()
{
    DiscardWhere([](const MonitorEvent& event) { return !IsRas(event); });
}

MonitorReports Reports = {ReportConnection, ReportDisconnection};

void ResetMonitorReports()
{
    Reports = {ReportConnection, ReportDisconnection};
}

bool MonitorEventsPending()
{
    return pending;
}
