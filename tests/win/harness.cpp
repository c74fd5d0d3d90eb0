#include "harness.h"

#include <commctrl.h>
#include <dlgs.h>
#include <prsht.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/mainwindow.h"
#include "monitor/win32/monitorevents.h"
#include "platform/profile.h"
#include "platform/win32/messages.h"
#include "platform/win32_seams.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/cmdline.h"
#include "startup/win32/frame.h"

namespace harness {

namespace {

std::deque<Step> steps;
std::vector<std::string> titles;
Fixture* fixture = nullptr;
ErrorPresenter savedPresenter = nullptr;
const ProfileBackend* savedProfile = nullptr;
constexpr UINT_PTR STEP_TIMER = 0x5EE, LEFT_OPEN_TIMER = 0x5EF;

bool IsList(HWND dialog, int id) { return ClassOf(GetDlgItem(dialog, id)) == "ListBox"; }

// Runs the next step on a dialog that initialised. A dialog with no step
// left, or one that its step left open, fails the test and is ended.
void CALLBACK StepTimer(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    KillTimer(dialog, id);
    if (id == STEP_TIMER && !steps.empty()) {
        if (!IsWindowVisible(dialog))
            ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
        Step step = std::move(steps.front());
        steps.pop_front();
        step(dialog);
        // A property sheet ends only once its own loop sees the pressed
        // button, and then goes with this timer.
        if (IsOpen(dialog))
            SetTimer(dialog, LEFT_OPEN_TIMER, 0, StepTimer);
        return;
    }
    if (id == LEFT_OPEN_TIMER && !IsOpen(dialog))
        return;
    ADD_FAILURE() << (id == STEP_TIMER ? "unexpected dialog \"" : "a step left \"") << Text(dialog) << "\" open";
    if (CurrentPage(dialog))
        PressSheetButton(dialog, PSBTN_CANCEL);
    if (IsOpen(dialog))
        EndDialog(dialog, 0x5A5A);
}

LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && !(GetWindowLongA(m->hwnd, GWL_STYLE) & WS_CHILD) &&
        ClassOf(m->hwnd) != "KRTolvane") {
        titles.push_back(Text(m->hwnd));
        SetTimer(m->hwnd, STEP_TIMER, 0, StepTimer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

Seen& Now() { return fixture->seen; }

const ControllerHooks ScriptedHooks = {
    [] { return ++Now().lineStarts, fixture->startResult; },
    [] { ++Now().lineStops; },
    [] { return ++Now().rasStarts, fixture->startResult; },
    [] { ++Now().rasStops; },
    ShowConnectionMade,
    [](HWND, std::int64_t reference) { Now().reports.push_back(reference); },
};

LineScript line;

const TelephonyApi ScriptedTelephony = {
    [](HANDLE* app, HINSTANCE, LineCallbackFn callback, const char*, DWORD* count) WINAPI -> LONG {
        if (line.reinits-- > 0)
            return LINEERR_REINIT_VALUE;
        line.callback = callback;
        *app = reinterpret_cast<HANDLE>(0x1234);
        *count = line.devices;
        return 0;
    },
    [](HANDLE, DWORD, DWORD, DWORD high, DWORD* version, void*) WINAPI -> LONG {
        *version = high;
        return line.negotiate;
    },
    [](HANDLE, DWORD device, DWORD, DWORD, void* buffer) WINAPI -> LONG {
        const std::string name = "Modem " + std::to_string(device + 1);
        auto* caps = static_cast<LineDevCapsHead*>(buffer);
        caps->dwLineNameOffset = sizeof(LineDevCapsHead) + line.extra;
        caps->dwNeededSize = caps->dwLineNameOffset + static_cast<DWORD>(name.size()) + 1;
        if (caps->dwTotalSize < caps->dwNeededSize)
            return 0;
        caps->dwPermanentLineID = 500 + device;
        caps->dwLineNameSize = static_cast<DWORD>(name.size()) + 1;
        caps->dwStringFormat = 1;  // ASCII
        caps->dwMediaModes = line.media;
        std::memcpy(static_cast<char*>(buffer) + caps->dwLineNameOffset, name.c_str(), name.size() + 1);
        return 0;
    },
    [](HANDLE, DWORD, HANDLE* opened, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, void*) WINAPI -> LONG {
        ++line.opens;
        *opened = reinterpret_cast<HANDLE>(0x5678);
        return 0;
    },
    [](HANDLE call, void* buffer) WINAPI -> LONG {
        const std::size_t i = reinterpret_cast<std::size_t>(call);
        if (i == 0 || i > line.calls.size())
            return static_cast<LONG>(0x80000013);  // LINEERR_INVALCALLHANDLE
        auto* info = static_cast<LineCallInfo14*>(buffer);
        info->dwLineDeviceID = line.calls[i - 1].first;
        info->dwOrigin = line.calls[i - 1].second;
        return 0;
    },
    [](HANDLE) WINAPI -> LONG { return 0; },
    [](HANDLE) WINAPI -> LONG { return 0; },
};

}  // namespace

void Then(Step step) { steps.push_back(std::move(step)); }

LineScript& ScriptTelephony()
{
    line = {};
    Telephony = ScriptedTelephony;
    return line;
}

void Fixture::WriteMarchSessions() const
{
    using testsupport::LocalInstant;
    ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 3, 2, 17, 30)), 0);
    ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 3, 2, 18, 30)), 0);
    ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, LocalInstant(2026, 3, 9)), 0);
    ASSERT_EQ(RecordSessionEvent(2, SESSION_END, 0, LocalInstant(2026, 3, 13, 4)), 0);
}
void DropSteps() { steps.clear(); }
std::vector<std::string>& Titles() { return titles; }

void Select(HWND dialog, int id, int index)
{
    const bool list = IsList(dialog, id);
    SendDlgItemMessageA(dialog, id, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, list ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int SelectText(HWND dialog, int id, const std::string& text)
{
    const std::vector<std::string> items = Items(dialog, id);
    const auto at = std::find(items.begin(), items.end(), text);
    const int index = at == items.end() ? -1 : static_cast<int>(at - items.begin());
    Select(dialog, id, index);
    return index;
}

std::string Text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<std::string> Items(HWND dialog, int id)
{
    const bool list = IsList(dialog, id);
    std::vector<std::string> items;
    for (LRESULT i = 0, n = SendDlgItemMessageA(dialog, id, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0); i < n; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, id, list ? LB_GETTEXT : CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::string Selection(HWND dialog, int id)
{
    const LRESULT at = SendDlgItemMessageA(dialog, id, IsList(dialog, id) ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    const std::vector<std::string> items = Items(dialog, id);
    return at >= 0 && at < static_cast<LRESULT>(items.size()) ? items[static_cast<std::size_t>(at)] : "";
}

std::vector<std::vector<std::string>> ListViewRows(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(ListView_GetItemCount(list)));
    for (int i = 0, columns = Header_GetItemCount(ListView_GetHeader(list)); i < static_cast<int>(rows.size()); ++i)
        for (int column = 0; column < columns; ++column) {
            char text[256] = {};
            ListView_GetItemText(list, i, column, text, sizeof text);
            rows[static_cast<std::size_t>(i)].push_back(text);
        }
    return rows;
}

HWND ShowPage(HWND sheet, int index)
{
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return CurrentPage(sheet);
}

void PressSheetButton(HWND sheet, int button)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    // The sheet may post the button's command to itself.
    MSG msg;
    while (PeekMessageA(&msg, sheet, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

HWND CurrentPage(HWND sheet)
{
    return ClassOf(sheet) == "#32770" && GetDlgItem(sheet, 0x3020)  // the sheet's tab control
               ? reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))
               : nullptr;
}

// ---- Pictures

void Picture(HWND window, const std::string& name)
{
    const char* folder = std::getenv("TOLVANE_ARTIFACTS");
    if (!folder || !*folder)
        return;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    for (int i = 0; i < 10; ++i, Sleep(30))
        for (MSG msg; PeekMessageA(&msg, window, 0, 0, PM_REMOVE);)
            DispatchMessageA(&msg);
    RECT r;
    GetWindowRect(window, &r);
    BITMAPINFOHEADER info{sizeof info, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const DWORD size = ((static_cast<DWORD>(info.biWidth) * 3 + 3) & ~3u) * static_cast<DWORD>(info.biHeight);
    const BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
    std::string bytes = std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                        std::string(reinterpret_cast<const char*>(&info), sizeof info) + std::string(size, '\0');
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, info.biWidth, info.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    EXPECT_EQ(GetDIBits(memory, bitmap, 0, static_cast<UINT>(info.biHeight), bytes.data() + offset,
                        reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
              info.biHeight);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    testsupport::WriteFileBytes(std::string(folder[0] == '/' ? "Z:" : "") + folder + "\\" + name + ".bmp", bytes);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- The fixture

void ChooseFile(HWND fileDialog, const std::string& path)
{
    SetDlgItemTextA(fileDialog, cmb13, path.c_str());
    Press(fileDialog, IDOK);
}

HWND FileDialogPanel(HWND fileDialog)
{
    for (HWND c = GetWindow(fileDialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == "#32770")
            return c;
    return nullptr;
}

void Fixture::SetUp()
{
    ProgramDirTest::SetUp();
    fixture = this;
    steps.clear();
    titles.clear();
    ProgramInstance = GetModuleHandleA(nullptr);
    InitCommonControlsOnce();
    static const int registered = RegisterMainWindowClass();
    ASSERT_EQ(registered, 0);
    savedPresenter = CurrentErrorPresenter();
    SetErrorPresenter([](const char* text, const char* caption, ErrorCode code) {
        testsupport::RecordedErrors().push_back({code, text, caption});
        Now().errorOwners.push_back(CurrentDialog);
    });
    savedProfile = &CurrentProfileBackend();
    Api.MessageBoxA = [](HWND, LPCSTR text, LPCSTR caption, UINT) WINAPI {
        Now().questions.push_back({text ? text : "", caption ? caption : ""});
        return fixture->answer;
    };
    Api.WinHelpA = [](HWND, LPCSTR, UINT command, ULONG_PTR data) WINAPI {
        return Now().help.push_back({command, data}), TRUE;
    };
    Api.Shell_NotifyIconA = [](DWORD message, PNOTIFYICONDATAA data) WINAPI {
        const char* verb = message == NIM_ADD ? "add " : message == NIM_MODIFY ? "modify " : "delete";
        Now().tray.push_back(verb + std::string((data->uFlags & NIF_TIP) ? data->szTip : ""));
        return TRUE;
    };
    Api.MessageBeep = [](UINT type) WINAPI { return Now().beeps.push_back(type), TRUE; };
    Hooks = ScriptedHooks;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, DialogHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook_, nullptr);
}

void Fixture::TearDown()
{
    if (IsWindow(window))
        DestroyWindow(window);  // stops monitoring as well
    Pump();
    if (hook_)
        UnhookWindowsHookEx(hook_);
    EXPECT_TRUE(steps.empty()) << steps.size() << " steps never ran";
    steps.clear();
    ResetWin32Api();
    ResetTelephonyApi();
    ResetControllerHooks();
    ResetMonitorReports();
    ResetMonitorState(Monitor);
    ResetCommandLineSettings();
    SetErrorPresenter(savedPresenter);
    SetProfileBackend(savedProfile);
    InstallWin32ViewerLauncher();
    InstallCrashRecoveryDialog();
    MonitoringActive = RehideAfterReport = RehideAfterAbout = false;
    MainWindow = CurrentDialog = nullptr;
    fixture = nullptr;
    ProgramDirTest::TearDown();
}

void Fixture::OpenMainWindow()
{
    window = CreateDialogA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc);
    ASSERT_NE(window, nullptr);
    MainWindow = CurrentDialog = window;
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
}

void Fixture::Pump()
{
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (msg.message == WM_QUIT) {
            quitSeen = true;
            continue;
        }
        if (!msg.hwnd && (msg.message == MSG_ACTIVATE || msg.message == MSG_CONNECTED || msg.message == MSG_DISCONNECTED))
            msg.hwnd = MainWindow;
        if (!MainWindow || !IsDialogMessageA(MainWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void Fixture::Command(int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    Pump();
}

}  // namespace harness
