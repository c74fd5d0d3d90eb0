// Connection events on their way to the UI thread.
//
// The modal loops of dialogs and message boxes drop thread messages that
// have no window, so an event posted while one runs would be lost. Every
// event therefore waits in this queue; a posted message only wakes the main
// loop, and the main loop delivers the queue after each message it handled
// (DeliverMonitorEvents). Events that come in while a modal dialog is open
// are thus handled, in order, once that dialog has closed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "monitor/linedecisions.h"
#include "monitor/monitorstate.h"

// ConnectionEvent ownership: made by the polling thread, released once by
// the UI thread. The count of live events lets tests see leaks and double
// releases.
struct ConnectionEventRelease {
    void operator()(ConnectionEvent* event) const;
};
using ConnectionEventPtr = std::unique_ptr<ConnectionEvent, ConnectionEventRelease>;
// Throws std::bad_alloc like new.
ConnectionEventPtr NewConnectionEvent(const char* entryName, std::int64_t time);
int LiveConnectionEvents();

enum class MonitorEventKind { RasConnected, RasDisconnected, CallState, LineReinit };

struct MonitorEvent {
    MonitorEventKind kind = MonitorEventKind::CallState;
    ConnectionEventPtr connection;  // RAS events
    std::uint32_t callState = 0;    // CallState
    CallInfoSummary callInfo;       // CallState, read when the state arrived
    std::int64_t time = 0;          // CallState: the instant the state arrived
};

// Any thread. False only when memory ran out (the event is then released).
bool QueueMonitorEvent(MonitorEvent&& event);
// UI thread: handles every queued event in order. Does nothing when called
// again from inside a delivery (a dialog opened by an event).
void DeliverMonitorEvents();
// UI thread: releases the queued events of one monitor (when it stops).
void DiscardRasEvents();
void DiscardLineEvents();
bool MonitorEventsPending();

// Where the monitors hand a decided connection or disconnection: the
// controller's ReportConnection/ReportDisconnection, unless a test records.
struct MonitorReports {
    void (*connection)(bool prompt);
    void (*disconnection)();
};
extern MonitorReports Reports;
void ResetMonitorReports();
