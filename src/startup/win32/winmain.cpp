#include <windows.h>

#include <cstdlib>
#include <new>

#include "startup/errors.h"
#include "startup/win32/frame.h"

// The runtime has split the command line into words already; the rules of
// the options apply to those words.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand)
{
    try {
        return RunTolvane(instance, previous, showCommand, __argc, __argv);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return 1;
    }
}
