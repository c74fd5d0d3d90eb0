// The main window as built from its template, and the message loop that
// drives it, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "monitor/win32/mainwindow.h"
#include "platform/win32/messages.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Drops whatever the last test left in this thread's queue, quit included.
void DrainQueue()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd)
            DispatchMessageA(&msg);
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The window reads the ISPs and checks the log as it opens: give it
        // a program folder of its own.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string folder = std::string(temp) + "tolvane-frame-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_EQ(SetUpFileLocations(folder + "\\tolvane.exe"), 0);
        ProgramInstance = GetModuleHandleA(nullptr);
        InitCommonControlsOnce();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (!GetClassInfoExA(ProgramInstance, "KRTolvane", &wc)) {
            ASSERT_EQ(RegisterMainWindowClass(), 0);
        }
    }

    void SetUp() override
    {
        window = CreateDialogA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc);
        ASSERT_NE(window, nullptr) << "error " << GetLastError();
        MainWindow = window;
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        DrainQueue();
        MainWindow = nullptr;
        CurrentDialog = nullptr;
    }

    HWND window = nullptr;
};

struct ControlRow {
    int id;  // -1 for labels and groups
    const char* className;
    const char* text;
    bool group;  // a group box
};

// In the order of the template, which is also the tab order.
const std::vector<ControlRow> ExpectedControls = {
    {-1, "Button", "Report", true},
    {-1, "Static", "Display or print the accumulated time/costs", false},
    {IDC_CURRENT, "Button", "&Current", false},
    {IDC_PREVIOUS, "Button", "&Previous", false},
    {-1, "Button", "Manual", true},
    {-1, "Static", "Manually start or stop timer", false},
    {IDC_ISP, "ComboBox", "ISP1", false},  // a new settings file has one ISP
    {IDC_BEGIN, "Button", "&Begin", false},
    {IDC_END, "Button", "&End", false},
    {-1, "Button", "Automatic", true},
    {-1, "Static", "Automatically detect modem connections", false},
    {IDC_MONITOR, "Button", "&Monitor", false},
    {IDC_VIEW, "Button", "&View", false},
    {IDC_OPTIONS, "Button", "&Options", false},
    {IDC_DELETE, "Button", "&Delete", false},
    {IDC_HELPBUTTON, "Button", "&Help", false},
    {IDC_ABOUT, "Button", "&About", false},
    {IDC_EXIT, "Button", "E&xit", false},
};

TEST_F(MainWindowTest, HasTheTitleClassAndEveryControlInOrder)
{
    EXPECT_EQ(TextOf(window), "Tolvane");
    EXPECT_EQ(ClassOf(window), "KRTolvane");
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    ASSERT_EQ(children.size(), ExpectedControls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ControlRow& row = ExpectedControls[i];
        SCOPED_TRACE(row.text);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(children[i])), row.id);
        EXPECT_EQ(ClassOf(children[i]), row.className);
        EXPECT_EQ(TextOf(children[i]), row.text);
        const LONG style = GetWindowLongA(children[i], GWL_STYLE);
        if (row.group) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        } else if (row.id > 0 && std::string(row.className) == "Button") {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "Enter must do nothing: no default button";
        }
    }
}

TEST_F(MainWindowTest, TabVisitsTheControlsInReadingOrder)
{
    const std::vector<int> order = {IDC_CURRENT, IDC_PREVIOUS, IDC_ISP, IDC_BEGIN,  IDC_END,   IDC_MONITOR,
                                    IDC_VIEW,    IDC_OPTIONS,  IDC_DELETE,   IDC_HELPBUTTON, IDC_ABOUT, IDC_EXIT};
    HWND at = GetDlgItem(window, order.front());
    for (std::size_t i = 1; i <= order.size(); ++i) {
        at = GetNextDlgTabItem(window, at, FALSE);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(GetDlgCtrlID(at), order[i % order.size()]) << "after control " << order[i - 1];
    }
}

TEST_F(MainWindowTest, NoLabelIsCutOffAndEveryControlLiesInside)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    RECT client;
    GetClientRect(window, &client);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string text = TextOf(c);
        SCOPED_TRACE(text.empty() ? ClassOf(c) : text);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.left, client.left);
        EXPECT_GE(r.top, client.top);
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
        if (text.empty())
            continue;
        RECT need = {0, 0, 0, 0};
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        // Room the control itself takes around its text.
        LONG margin = 0;
        if (ClassOf(c) == "Button")
            margin = (style & BS_TYPEMASK) == BS_GROUPBOX ? 20 : 8;
        EXPECT_LE(need.right + margin, r.right - r.left) << "text needs " << need.right << " px";
        EXPECT_LE(need.bottom, r.bottom - r.top);
    }
    // The texts the buttons take while monitoring must fit as well.
    for (auto [id, text] : {std::pair{IDC_MONITOR, "Stop &Monitoring"}, std::pair{IDC_EXIT, "C&lose"}}) {
        SCOPED_TRACE(text);
        HWND button = GetDlgItem(window, id);
        RECT r;
        GetClientRect(button, &r);
        RECT need = {0, 0, 0, 0};
        DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_LE(need.right + 8, r.right);
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, CannotBeMaximisedOrResized)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(MainWindowTest, BecomesTheOwnerOfErrorBoxes)
{
    EXPECT_EQ(CurrentDialog, window);
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndTheLoopEndsWithZero)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CurrentDialog, nullptr);
}

TEST_F(MainWindowTest, TheSystemMenuCloseEndsTheProgramToo)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 0u);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, EnterAndEscapeDoNothingWhileNotMonitoring)
{
    for (int id : {IDOK, IDCANCEL})
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    PostQuitMessage(5);
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 5u);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, ActivateThreadMessageBringsTheWindowBackInTheMainLoop)
{
    for (int hideWith : {SW_MINIMIZE, SW_HIDE}) {
        SCOPED_TRACE(hideWith);
        ShowWindow(window, hideWith);
        ASSERT_FALSE(IsWindowVisible(window) && !IsIconic(window));
        PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
        PostQuitMessage(3);  // comes after everything else in the queue
        EXPECT_EQ(PumpMessages(PUMP_RUN, window), 3u);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(IsIconic(window));
    }
}

TEST_F(MainWindowTest, OneMessageModeBringsTheWindowForwardAndReturns)
{
    DrainQueue();
    ShowWindow(window, SW_MINIMIZE);
    DrainQueue();
    PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
    PumpMessages(PUMP_ONE, window);
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(MainWindowTest, OneMessageModeReturnsAtOnceWhenNothingWaits)
{
    DrainQueue();
    EXPECT_EQ(PumpMessages(PUMP_ONE, window), 0u);
}

TEST_F(MainWindowTest, OneMessageModeLeavesTheQuitForTheMainLoop)
{
    DrainQueue();
    PostQuitMessage(4);
    for (int i = 0; i < 5; ++i)
        PumpMessages(PUMP_ONE, window);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the quit was swallowed";
    EXPECT_EQ(PumpMessages(PUMP_RUN, window), 4u);
}

// The connection messages come from another thread without a window; the
// loop hands them to the dialog, which may be a different one than the main
// window (a dialog running its own pump while printing).
INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    static std::vector<UINT>* seen = nullptr;
    if (message == WM_NULL && wParam)  // set-up call from the test
        seen = reinterpret_cast<std::vector<UINT>*>(wParam);
    else if (seen && (message == MSG_CONNECTED || message == MSG_DISCONNECTED || message == MSG_ACTIVATE))
        seen->push_back(message);
    return message == WM_INITDIALOG;
}

TEST_F(MainWindowTest, ThreadMessagesReachTheGivenDialog)
{
    HWND recorder = CreateDialogA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, RecordingProc);
    ASSERT_NE(recorder, nullptr);
    std::vector<UINT> seen;
    RecordingProc(recorder, WM_NULL, reinterpret_cast<WPARAM>(&seen), 0);
    DrainQueue();
    PostThreadMessageA(GetCurrentThreadId(), MSG_CONNECTED, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), MSG_DISCONNECTED, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), MSG_ACTIVATE, 0, 0);
    PostQuitMessage(0);
    PumpMessages(PUMP_RUN, recorder);
    EXPECT_EQ(seen, (std::vector<UINT>{MSG_CONNECTED, MSG_DISCONNECTED, MSG_ACTIVATE}));
    RecordingProc(recorder, WM_NULL, 0, 0);
    DestroyWindow(recorder);
}

TEST(StartUpFrame, WindowsVersionIsAccepted)
{
    EXPECT_EQ(CheckWindowsVersion(), 0);
}

TEST(StartUpFrame, TheClassIsRegisteredOnceOnly)
{
    ProgramInstance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(ProgramInstance, "KRTolvane", &wc)) {
        ASSERT_EQ(RegisterMainWindowClass(), 0);
        ASSERT_TRUE(GetClassInfoExA(ProgramInstance, "KRTolvane", &wc));
    }
    EXPECT_EQ(wc.cbWndExtra, DLGWINDOWEXTRA);
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_NE(wc.hIcon, nullptr);
    EXPECT_NE(wc.hIconSm, nullptr);
}

}  // namespace
