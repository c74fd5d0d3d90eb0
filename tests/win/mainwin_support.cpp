#include "mainwin_support.h"

#include <fstream>
#include <iterator>

#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "monitor/win32/mainwindow.h"
#include "platform/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/cmdline.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"

namespace mainwin {

namespace {

MainWindowFixture* current = nullptr;
Seen* seenNow = nullptr;

BOOL WINAPI FakeNotify(DWORD message, PNOTIFYICONDATAA data)
{
    seenNow->tray.push_back({message, data->uID, (data->uFlags & NIF_ICON) ? data->hIcon : nullptr,
                             (data->uFlags & NIF_TIP) ? data->szTip : ""});
    return TRUE;
}

BOOL WINAPI FakeBeep(UINT type)
{
    seenNow->beeps.push_back(type);
    return TRUE;
}

int StartLine()
{
    ++seenNow->lineStarts;
    return current->startResult;
}
void StopLine()
{
    ++seenNow->lineStops;
}
int StartRas()
{
    ++seenNow->rasStarts;
    return current->startResult;
}
void StopRas()
{
    ++seenNow->rasStops;
}

void ConnectionMade(const char* name)
{
    seenNow->connectionNames.push_back(name ? name : "<none>");
    Monitor.online = current->confirmConnection;
    if (current->confirmConnection) {
        Monitor.sessionIsp = current->confirmedIsp;
        Monitor.eventTime = current->confirmedTime;
    }
}

void Report(HWND, std::int64_t reference)
{
    seenNow->reports.push_back(reference);
}

}  // namespace

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* c = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && c->message == WM_INITDIALOG && current) {
        char cls[32] = {};
        GetClassNameA(c->hwnd, cls, sizeof cls);
        if (std::string(cls) != "KRTolvane") {
            char title[128] = {};
            GetWindowTextA(c->hwnd, title, sizeof title);
            seenNow->dialogs.push_back(title);
            if (!current->steps.empty()) {
                auto step = current->steps.front();
                current->steps.pop_front();
                step(c->hwnd);
            } else {
                Press(c->hwnd, IDCANCEL);  // an unscripted dialog must not hang the test
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ScriptedPresenter(const char* text, const char* caption, ErrorCode code)
{
    testsupport::RecordedErrors().push_back({code, text, caption});
    if (current && !current->onError.empty()) {
        auto answer = current->onError.front();
        current->onError.pop_front();
        answer(code);
    }
}

}  // namespace

void MainWindowFixture::SetUp()
{
    ProgramDirTest::SetUp();
    current = this;
    seenNow = &seen;
    ProgramInstance = GetModuleHandleA(nullptr);
    InitCommonControlsOnce();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(ProgramInstance, "KRTolvane", &wc)) {
        ASSERT_EQ(RegisterMainWindowClass(), 0);
    }
    Api.Shell_NotifyIconA = FakeNotify;
    Api.MessageBeep = FakeBeep;
    Hooks = {StartLine, StopLine, StartRas, StopRas, ConnectionMade, Report};
    savedPresenter_ = CurrentErrorPresenter();
    SetErrorPresenter(ScriptedPresenter);
    ResetCommandLineSettings();
    MonitoringActive = RehideAfterReport = RehideAfterAbout = false;
    WriteSettings("");
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, DialogHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook_, nullptr);
}

void MainWindowFixture::TearDown()
{
    if (IsWindow(window))
        DestroyWindow(window);  // stops monitoring as well
    Pump();
    if (hook_)
        UnhookWindowsHookEx(hook_);
    ResetWin32Api();
    ResetControllerHooks();
    SetErrorPresenter(savedPresenter_);
    ResetCommandLineSettings();
    MainWindow = nullptr;
    CurrentDialog = nullptr;
    current = nullptr;
    ProgramDirTest::TearDown();
}

void MainWindowFixture::WriteSettings(const std::string& more)
{
    testsupport::WriteFileBytes(IniFilePath,
                                "[Global]\r\nActiveIDs=4,2\r\nDefaultISP=2\r\n[ISP4]\r\nDescription=Alpha\r\n"
                                "[ISP2]\r\nDescription=Beta\r\n" +
                                    more);
    ProfileFlush(IniFilePath);
}

void MainWindowFixture::Open()
{
    window = CreateDialogA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc);
    ASSERT_NE(window, nullptr);
    MainWindow = window;
    CurrentDialog = window;
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
}

void MainWindowFixture::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitSeen = true;
            continue;
        }
        if (!msg.hwnd && (msg.message == MSG_ACTIVATE || msg.message == MSG_CONNECTED ||
                          msg.message == MSG_DISCONNECTED))
            msg.hwnd = MainWindow;
        if (!MainWindow || !IsDialogMessageA(MainWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void MainWindowFixture::Command(int id)
{
    Press(window, id);
    Pump();
}

std::vector<SessionRecord> MainWindowFixture::Records() const
{
    const std::string bytes = testsupport::ReadFileBytes(File("tolvane.log"));
    std::vector<SessionRecord> records;
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
        SessionRecord r;
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + at, r);
        records.push_back(r);
    }
    return records;
}

HICON MainWindowFixture::Icon(int id) const
{
    return static_cast<HICON>(LoadImageA(ProgramInstance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

}  // namespace mainwin
