// The monitoring controller: the state the main window owns and what the
// monitors call when a connection comes or goes.
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
