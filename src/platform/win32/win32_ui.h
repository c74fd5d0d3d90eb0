// Win32 state shared by the user-interface code.
#pragma once
#include <windows.h>

#include "platform/profile.h"

// The window that owns error boxes: the open dialog, else the main window.
extern HWND CurrentDialog;
extern HWND MainWindow;
extern HINSTANCE ProgramInstance;

// The Win32 profile API backend (for the conformance suite and tools).
const ProfileBackend& Win32Profile();
