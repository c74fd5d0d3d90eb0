#include <windows.h>

#include <cstdlib>

#include "startup/win32/frame.h"

// The runtime has split the command line into words already; the rules of
// the options apply to those words.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand)
{
    return RunTolvane(instance, previous, showCommand, __argc, __argv);
}
