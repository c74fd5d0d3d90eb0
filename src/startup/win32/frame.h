// The program's frame on Windows: the steps of start-up that need the
// system, and the message loop.
#pragma once
#include <windows.h>

#include <cstdint>

// 0 on the Windows 95 family and NT 4.0 or later; else reports 2001 or 2005
// and returns -1.
int CheckWindowsVersion();

// 0 when this is the first copy (the watcher thread then runs), -1 when the
// program must end: another copy runs (it is told to come forward) or the
// semaphore or thread could not be made (2058, 2059 reported).
int EnsureSingleInstance();

// Registers "KRTolvane", the class the main dialog template names. 0, or -1
// after reporting 1001.
int RegisterMainWindowClass();
// Registers a class with the program's icons, the arrow cursor and a white
// background; reports error 1001 and returns false when that fails.
bool RegisterProgramWindowClass(const char* name, WNDPROC procedure, int extraBytes);

// Initialises the common controls the first time; later calls do nothing.
void InitCommonControlsOnce();

enum PumpMode { PUMP_RUN = 0, PUMP_ONE = 2 };

// Mode 0 runs the message loop until WM_QUIT and returns its code. Mode 2
// handles at most one waiting message and returns its wParam (0 when there
// was none). Thread messages of the program are handed to the dialog.
WPARAM PumpMessages(int mode, HWND dialog);

// The whole start-up sequence; the result is the process exit code.
int RunTolvane(HINSTANCE instance, HINSTANCE previous, int showCommand, int argc, char** argv);
