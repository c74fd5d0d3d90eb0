// Stand-in until the monitoring controller exists.
#include "monitor/win32/controller.h"

MonitorState Monitor;
bool MonitoringActive = false;
bool RehideAfterReport = false;
bool RehideAfterAbout = false;

int StartMonitoring()
{
    return -1;
}

void StopMonitoring() {}
void ReportConnection(bool) {}
void ReportDisconnection() {}
void HideWhileMonitoring() {}
void RestoreFromHidden() {}
