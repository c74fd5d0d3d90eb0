#include "startup/win32/frame.h"

#include <commctrl.h>

#include "monitor/win32/mainwindow.h"
#include "monitor/win32/monitorevents.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"

namespace {

constexpr const char* SemaphoreName = "TolvaneS001";
constexpr const char* MainWindowClass = "KRTolvane";

DWORD WINAPI WatchForSecondCopy(LPVOID parameter)
{
    HANDLE semaphore = static_cast<HANDLE>(parameter);
    for (;;) {
        if (WaitForSingleObject(semaphore, INFINITE) != WAIT_OBJECT_0)
            return 0;  // the handle is gone; nothing left to watch
        // The UI thread made its queue before this thread started, so a
        // failure here is transient (a full queue): try again briefly.
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (PostThreadMessageA(MainThreadId, MSG_ACTIVATE, 0, 0))
                break;
            Sleep(20);
        }
    }
}

} // namespace

int CheckWindowsVersion()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info))
        return 0;  // cannot tell: every system that lacks the call is long gone
#pragma GCC diagnostic pop
    if (info.dwPlatformId == VER_PLATFORM_WIN32s) {
        ShowError(2001);
        return -1;
    }
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion < 4) {
        ShowError(2005);
        return -1;
    }
    return 0;
}

int EnsureSingleInstance()
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, SemaphoreName);
    if (!semaphore) {
        ShowError(2058);
        return -1;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ReleaseSemaphore(semaphore, 1, nullptr);
        CloseHandle(semaphore);
        return -1;
    }
    MainThreadId = GetCurrentThreadId();
    // Give this thread its message queue now, so the watcher's first post
    // cannot find the thread without one.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HANDLE watcher = CreateThread(nullptr, 0, WatchForSecondCopy, semaphore, 0, nullptr);
    if (!watcher) {
        ShowError(2059);
        CloseHandle(semaphore);
        return -1;
    }
    CloseHandle(watcher);
    return 0;  // the semaphore stays open for the whole run
}

bool RegisterProgramWindowClass(const char* name, WNDPROC procedure, int extraBytes)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = extraBytes;
    wc.hInstance = ProgramInstance;
    wc.hIcon = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    wc.hIconSm = static_cast<HICON>(LoadImageA(ProgramInstance, MAKEINTRESOURCEA(IDI_WAITING), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc)) {
        ShowError(1001);
        return false;
    }
    return true;
}

int RegisterMainWindowClass()
{
    return RegisterProgramWindowClass(MainWindowClass, DefDlgProcA, DLGWINDOWEXTRA) ? 0 : -1;
}

void InitCommonControlsOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES;
    if (!InitCommonControlsEx(&icc))
        InitCommonControls();
}

WPARAM PumpMessages(int mode, HWND dialog)
{
    MSG msg;
    for (;;) {
        if (mode == PUMP_RUN) {
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0)
                return msg.wParam;
            if (got == -1)
                return 1;
        } else {
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                return 0;
            if (msg.message == WM_QUIT) {
                // Taken while printing: put it back for the main loop, or
                // the program would never end.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return msg.wParam;
            }
        }

        if (!msg.hwnd) {
            if (msg.message == MSG_ACTIVATE && mode == PUMP_ONE && dialog) {
                // The main window's own handling: it may be parked while monitoring.
                if (MainWindow)
                    SendMessageA(MainWindow, MSG_ACTIVATE, 0, 0);
                return msg.wParam;
            }
            if (msg.message == MSG_ACTIVATE || msg.message == MSG_CONNECTED || msg.message == MSG_DISCONNECTED)
                msg.hwnd = dialog;
        }

        if (!dialog || !IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (mode != PUMP_RUN)
            return msg.wParam;
        // Connection events wait in their own queue, since modal loops drop
        // thread messages; back in the main loop no dialog is open.
        DeliverMonitorEvents();
    }
}
