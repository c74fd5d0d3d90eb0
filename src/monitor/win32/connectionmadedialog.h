// The Connection Made dialog, opened by the monitors for a connection they
// cannot attribute (or always, as the user chose).
#pragma once

// Sets Monitor.online (1 on OK) and may change Monitor.sessionIsp and
// Monitor.eventTime. connectionName may be null.
void ShowConnectionMade(const char* connectionName);
