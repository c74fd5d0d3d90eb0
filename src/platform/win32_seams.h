// Installs the Win32 implementations of the platform seams (profile API,
// file operations, error boxes, the viewer, the crash recovery question).
// Declared here without <windows.h> so that portable code and tools can call
// it; defined in the Win32 layer.
#pragma once

void InstallWin32Seams();

// Installs the WinExec viewer launcher (part of InstallWin32Seams).
void InstallWin32ViewerLauncher();
