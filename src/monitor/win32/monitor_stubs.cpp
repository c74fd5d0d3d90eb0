// Stand-ins until the RAS and Telephony monitors and the Connection Made
// dialog exist: monitoring cannot start, and a detected connection is never
// confirmed.
#include "monitor/win32/controller.h"

int StartRasMonitor()
{
    return -1;
}

void StopRasMonitor() {}

void OnRasConnected(ConnectionEvent* event)
{
    delete event;
}

void OnRasDisconnected(ConnectionEvent* event)
{
    delete event;
}

int StartLineMonitor()
{
    return -1;
}

void StopLineMonitor() {}

void ShowConnectionMade(const char*)
{
    Monitor.online = false;
}
