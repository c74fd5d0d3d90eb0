// How the main window, the monitoring controller, the monitors and the
// report and log dialogs meet. Each function is implemented by its own
// module; until a module exists, a stub in a file of its own stands in.
#pragma once
#include <windows.h>

#include <cstdint>

#include "monitor/monitorstate.h"

// The controller's state block and its flags (the main window owns them).
extern MonitorState Monitor;
extern bool MonitoringActive;
extern bool RehideAfterReport;
extern bool RehideAfterAbout;

// Controller, on the UI thread.
int StartMonitoring();
void StopMonitoring();
// A monitor detected a connection (eventTime, sessionIsp, connectionName and,
// without a prompt, online are set) or the end of the logged one.
void ReportConnection(bool prompt);
void ReportDisconnection();
void HideWhileMonitoring();
void RestoreFromHidden();

// RAS monitor.
int StartRasMonitor();
void StopRasMonitor();
// Handling of MSG_CONNECTED / MSG_DISCONNECTED; both release the event.
void OnRasConnected(ConnectionEvent* event);
void OnRasDisconnected(ConnectionEvent* event);

// Telephony line monitor.
int StartLineMonitor();
void StopLineMonitor();

// Connection Made dialog: sets Monitor.online (1 on OK) and may change
// Monitor.sessionIsp and Monitor.eventTime. connectionName may be null.
void ShowConnectionMade(const char* connectionName);

// Usage report for the billing periods containing the reference instant.
void ShowUsageReport(HWND owner, std::int64_t reference);

// Raw log and deletion dialogs opened from the main window.
void ViewRawLog(HWND owner);
int RunDeleteDialog(HWND owner);
