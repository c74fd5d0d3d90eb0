// Starts the raw log viewer with WinExec, as a separate program in a normal
// visible window, without waiting for it.
#include <windows.h>

#include "platform/viewer.h"
#include "platform/win32_seams.h"

namespace {

int Win32LaunchViewer(const char* viewerPath, const char* fileName)
{
    std::string commandLine = ViewerCommandLine(viewerPath, fileName);
    return WinExec(commandLine.c_str(), SW_SHOW) >= 32 ? 0 : -1;
}

} // namespace

void InstallWin32ViewerLauncher()
{
    SetViewerLauncher(Win32LaunchViewer);
}
