// The start-up sequence: record an event for -b/-e and leave, or make sure
// one copy runs, open the main window and run the message loop.
#include <windows.h>

#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/localtime.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32_seams.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"
#include "startup/cmdline.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"
#include "tariff/ispnumbers.h"

int RunTolvane(HINSTANCE instance, HINSTANCE previous, int showCommand, int argc, char** argv)
{
    // -b and -e record this instant, however long the rest takes.
    const std::int64_t startInstant = Now();

    ProgramInstance = instance;
    PreviousInstance = previous;
    ShowCommand = showCommand;
    InstallWin32Seams();
    // Wine copies a Linux TZ such as "Europe/London" into the environment,
    // which msvcrt misreads; without it the runtime follows the Windows zone.
    InitTimeZone();

    ProgramPath = argc > 0 && argv[0] ? argv[0] : "";

    const int action = ParseCommandLine(argc, argv);
    if (action == STARTUP_ERROR)
        return 1;
    if (SetUpFileLocations(ProgramPath) != 0)
        return 1;
    if (CommandLineIsp == 0)
        CommandLineIsp = GetDefaultIsp();
    LoadGlobalDeleteSettings();
    if (CheckWindowsVersion() != 0)
        return 1;

    if (!ReportOnlyMode && (action == STARTUP_RECORD_START || action == STARTUP_RECORD_END)) {
        const int kind = action == STARTUP_RECORD_START ? SESSION_START : SESSION_END;
        return RecordSessionEvent(CommandLineIsp, kind, 0, startInstant) == 0 ? 0 : 1;
    }

    if (EnsureSingleInstance() != 0)
        return 0;
    if (RegisterMainWindowClass() != 0)
        return 1;
    InitCommonControlsOnce();

    HWND window = CreateDialogA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc);
    if (!window) {
        ShowError(1002);
        return 1;
    }
    MainWindow = window;
    CurrentDialog = window;
    ShowWindow(window, AutoMonitorMode ? SW_MINIMIZE : ShowCommand);

    return static_cast<int>(PumpMessages(PUMP_RUN, window));
}
