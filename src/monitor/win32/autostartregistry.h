// The real registry behind the start-with-Windows decisions.
#pragma once

// Installs it unless a registry has been installed already (tests put
// their own in first).
void InstallWin32AutostartRegistry();
