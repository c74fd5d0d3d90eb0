// A small driver for scripts that run the real program under Wine:
//   tolvane_driver wait-main SECONDS   waits for the main window, prints "X Y WIDTH HEIGHT"
//   tolvane_driver close-main          presses the main window's Exit button
//   tolvane_driver press-box CAPTION SECONDS   waits for a message box, prints its text, presses OK
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver.h"

namespace {

HWND WaitForTopLevel(const char* className, const char* caption, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, caption);
        if (window && IsWindowVisible(window))
            return window;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "wait-main") == 0) {
        const DWORD seconds = argc >= 3 ? std::strtoul(argv[2], nullptr, 10) : 30;
        HWND window = WaitForTopLevel("KRTolvane", nullptr, seconds * 1000);
        if (!window) {
            std::fprintf(stderr, "no main window\n");
            return 1;
        }
        // Let it finish painting before anyone looks.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(500);
        RECT r;
        GetWindowRect(window, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "close-main") == 0) {
        HWND window = FindWindowA("KRTolvane", nullptr);
        if (!window) {
            std::fprintf(stderr, "no main window\n");
            return 1;
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(1103, BN_CLICKED), 0);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "press-box") == 0) {
        const DWORD seconds = argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 30;
        HWND box = WaitForTopLevel("#32770", argv[2], seconds * 1000);
        if (!box) {
            std::fprintf(stderr, "no box \"%s\"\n", argv[2]);
            return 1;
        }
        std::printf("%s\n", e2e::ReadMessageBox(box).text.c_str());
        e2e::PressOk(box);
        return 0;
    }
    std::fprintf(stderr, "usage: tolvane_driver wait-main SECONDS | close-main | press-box CAPTION SECONDS\n");
    return 2;
}
