// Win32 state shared by the user-interface code.
#pragma once
#include <windows.h>

#include "platform/profile.h"

// The window that owns error boxes: the open dialog, else the main window.
extern HWND CurrentDialog;
extern HWND MainWindow;
// As handed to the program's entry by the system.
extern HINSTANCE ProgramInstance;
extern HINSTANCE PreviousInstance;
extern int ShowCommand;
// The thread that runs the message loop; written before the watcher starts.
extern DWORD MainThreadId;

// The Win32 profile API backend (for the conformance suite and tools).
const ProfileBackend& Win32Profile();
