// The Usage dialog and the Save Usage Report dialog, run for real in this
// process over a tolvane.ini and tolvane.log in a temporary folder. Each
// dialog is driven by a scripted step that runs once it is up and showing.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "charging/charging.h"
#include "charging/usagereport.h"
#include "charging/win32/usagedialog.h"
#include "core/support.h"
#include "win/window_picture.h"
#include "dialogs/win32/dialogframework.h"
#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"
#include "startup/win32/frame.h"

using testsupport::LocalInstant;

namespace {

// ---- Driving modal dialogs ------------------------------------------------

using Step = std::function<void(HWND)>;
std::deque<Step> steps;
std::vector<std::string> unexpectedDialogs;
HHOOK hook = nullptr;

std::string TextOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    return TextOf(GetDlgItem(dialog, id));
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A dialog that EndDialog has closed is hidden at once; one that stays open
// after a check failed is still showing.
bool StillOpen(HWND dialog)
{
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

VOID CALLBACK RunNextStep(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    KillTimer(dialog, id);
    if (steps.empty()) {
        unexpectedDialogs.push_back(TextOf(dialog));
        EndDialog(dialog, -2);
        return;
    }
    // The dialog's loop shows it once its queue is empty; a step that came
    // first shows it the same way.
    if (!IsWindowVisible(dialog)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    Step step = std::move(steps.front());
    steps.pop_front();
    step(dialog);
    if (StillOpen(dialog)) {
        ADD_FAILURE() << "a step left \"" << TextOf(dialog) << "\" open";
        EndDialog(dialog, -3);
    }
}

// Steps run from a timer, so the dialog's own loop is running and it shows.
LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (m->message == WM_INITDIALOG)
            SetTimer(m->hwnd, 0x5EE, 0, RunNextStep);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

// ---- Reading the dialogs --------------------------------------------------

std::vector<std::string> ListBoxItems(HWND list)
{
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

using Rows = std::vector<std::vector<std::string>>;

Rows ListViewRows(HWND list)
{
    Rows rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> row;
        for (int sub = 0; sub < 3; ++sub) {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = sub;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            row.push_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

// What the dialog shows for the record on display.
struct Shown {
    std::string period;
    Rows rows;
    std::vector<std::string> totals;  // label, value pairs in screen order
};

Shown ReadShown(HWND dialog)
{
    Shown s;
    s.period = ItemText(dialog, IDC_USAGE_PERIOD);
    s.rows = ListViewRows(GetDlgItem(dialog, IDC_USAGE_FRAMES));
    for (int id : {IDC_USAGE_TOTALCOST_LABEL, IDC_USAGE_TOTALCOST, IDC_PREPAID_LABEL, IDC_USAGE_PREPAID,
                   IDC_USAGE_REMAINDER_LABEL, IDC_USAGE_REMAINDER, IDC_USAGE_REMAINTIME_LABEL, IDC_USAGE_REMAINTIME,
                   IDC_FEE_LABEL, IDC_FEE, IDC_USAGE_PAYABLE_LABEL, IDC_USAGE_PAYABLE,
                   IDC_USAGE_CONNECTIONS_LABEL, IDC_USAGE_CONNECTIONS, IDC_USAGE_LASTSESSION_LABEL,
                   IDC_USAGE_LASTSESSION})
        s.totals.push_back(ItemText(dialog, id));
    return s;
}

void ChooseRecord(HWND dialog, int item)
{
    HWND list = GetDlgItem(dialog, IDC_ISP);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ISP, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// ---- The files ------------------------------------------------------------

// March 2026 under calendar-month billing; 2 March is a Monday. Amounts are
// binary fractions so every total is exact.
const char* const Settings =
    "[Global]\n"
    "ActiveIDs=1,2,3\n"
    "DefaultISP=2\n"
    "[Phone]\n"
    "Description=Phone Company\n"
    "Frame0=0.125000,Flat\n"
    "[ISP1]\n"
    "Description=Net One\n"
    "NumFrames=2\n"
    "Frame0=0.250000,Off-peak\n"
    "Frame1=0.500000,Peak\n"
    "Mon0=08:00:00-17:59:59,1\n"
    "PrepaidCharge=30.000000\n"
    "[ISP2]\n"
    "Description=Net Two\n"
    "Frame0=0.250000,Anytime\n"
    "PeriodicFee=9.500000\n"
    "TollFree=1\n"
    "[ISP3]\n"
    "Description=Net Three\n"
    "Frame0=0.250000,Standard\n";

struct Shot {
    std::string name;
    RECT rect;
};

struct SeenError {
    ErrorCode code;
    HWND owner;
};
std::vector<SeenError> seenErrors;

void RecordError(const char*, const char*, ErrorCode code)
{
    seenErrors.push_back({code, CurrentDialog});
}

// The fake save-file dialog: what it was asked, and what it answers.
OPENFILENAMEA lastBrowse{};
std::string browseFilter;
std::string browseInitialName;
int browseCalls = 0;
std::string browseAnswer;  // empty: the user cancels

BOOL WINAPI FakeGetSaveFileName(LPOPENFILENAMEA ofn)
{
    ++browseCalls;
    lastBrowse = *ofn;
    browseFilter.assign(ofn->lpstrFilter, 0, 0);
    for (const char* p = ofn->lpstrFilter; *p; p += std::strlen(p) + 1)
        browseFilter += std::string(p) + "|";
    browseInitialName = ofn->lpstrFile;
    if (browseAnswer.empty())
        return FALSE;
    std::snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", browseAnswer.c_str());
    return TRUE;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

class UsageDialogTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        testsupport::ProgramDirTest::SetUp();
        ProgramInstance = GetModuleHandleA(nullptr);
        InitCommonControlsOnce();
        testsupport::WriteFileBytes(IniFilePath, Settings);
        ProfileFlush(IniFilePath);
        const struct {
            std::int32_t isp;
            int kind;
            std::int64_t when;
        } events[] = {
            {1, SESSION_START, LocalInstant(2026, 3, 2, 17, 30, 0)},
            {1, SESSION_END, LocalInstant(2026, 3, 2, 18, 30, 0)},
            {2, SESSION_START, LocalInstant(2026, 3, 9, 0, 0, 0)},
            {2, SESSION_END, LocalInstant(2026, 3, 13, 4, 0, 0)},
        };
        for (const auto& e : events)
            ASSERT_EQ(RecordSessionEvent(e.isp, e.kind, 0, e.when), 0);
        PinClock(LocalInstant(2026, 3, 20, 12, 0, 0));

        main = CreateWindowA("STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ProgramInstance, nullptr);
        ASSERT_NE(main, nullptr);
        MainWindow = main;
        CurrentDialog = main;
        steps.clear();
        unexpectedDialogs.clear();
        seenErrors.clear();
        savedPresenter = CurrentErrorPresenter();
        SetErrorPresenter(RecordError);
        Api.GetSaveFileNameA = FakeGetSaveFileName;
        browseCalls = 0;
        browseAnswer.clear();
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
    }

    void TearDown() override
    {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
        ResetWin32Api();
        SetErrorPresenter(savedPresenter);
        EXPECT_TRUE(steps.empty()) << steps.size() << " steps never ran";
        EXPECT_TRUE(unexpectedDialogs.empty()) << "unexpected dialog " << unexpectedDialogs.front();
        DestroyWindow(main);
        MainWindow = nullptr;
        CurrentDialog = nullptr;
        RehideAfterReport = false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.hwnd)
                DispatchMessageA(&msg);
        testsupport::ProgramDirTest::TearDown();
    }

    static std::int64_t March()
    {
        return LocalInstant(2026, 3, 15, 12, 0, 0);
    }

    std::vector<ErrorCode> ErrorCodes() const
    {
        std::vector<ErrorCode> codes;
        for (const SeenError& e : seenErrors)
            codes.push_back(e.code);
        return codes;
    }

    // The report text of the chosen records as the engine computes them now.
    static std::string Reports(const std::vector<int>& ispIndexes, bool phone)
    {
        TariffTable table;
        EXPECT_EQ(ComputeUsage(March(), table), 0);
        std::string text;
        for (int i : ispIndexes)
            text += FormatTariffReport(table.Isps.at(static_cast<std::size_t>(i)));
        if (phone)
            text += FormatTariffReport(table.Phone);
        return WithCrLf(text);
    }

    HWND main = nullptr;
    ErrorPresenter savedPresenter = nullptr;
};

const Shown NetOne = {
    "Period 2026/03/01 to 2026/03/31",
    {{"Off-peak", "00:30:00", "7.50"}, {"Peak", "00:30:00", "15.00"}},
    {"Total Frame Cost", "22.50", "Less: Prepaid", "30.00", "Remainder (cost)", "7.50", "Remainder (time)", "00:30:00",
     "Monthly/weekly fee", "0.00", "Amount payable", "0.00", "No of connections", "1", "Last Session", "01:00:00"},
};
const Shown NetTwo = {
    "Period 2026/03/01 to 2026/03/31",
    {{"Anytime", "100:00:00", "1500.00"}},
    {"Total Frame Cost", "1500.00", "Less: Prepaid", "0.00", "Excess (cost)", "1500.00", "Excess (time)", "100:00:00",
     "Monthly/weekly fee", "9.50", "Amount payable", "1509.50", "No of connections", "1", "Last Session",
     "100:00:00"},
};
const Shown NetThree = {
    "Period 2026/03/01 to 2026/03/31",
    {{"Standard", "00:00:00", "0.00"}},
    {"Total Frame Cost", "0.00", "Less: Prepaid", "0.00", "Remainder (cost)", "0.00", "Remainder (time)", "00:00:00",
     "Monthly/weekly fee", "0.00", "Amount payable", "0.00", "No of connections", "0", "Last Session", "00:00:00"},
};
// Charged for Net One's hour only: Net Two is toll-free.
const Shown PhoneCompany = {
    "Period 2026/03/01 to 2026/03/31",
    {{"Flat", "01:00:00", "7.50"}},
    {"Total Frame Cost", "7.50", "Less: Prepaid", "0.00", "Excess (cost)", "7.50", "Excess (time)", "01:00:00",
     "Monthly/weekly fee", "0.00", "Amount payable", "7.50", "No of connections", "1", "Last Session", "01:00:00"},
};

void ExpectShown(HWND dialog, const Shown& expected, const char* what)
{
    SCOPED_TRACE(what);
    const Shown shown = ReadShown(dialog);
    EXPECT_EQ(shown.period, expected.period);
    ASSERT_EQ(shown.rows.size(), expected.rows.size());
    for (std::size_t i = 0; i < shown.rows.size(); ++i)
        EXPECT_EQ(shown.rows[i], expected.rows[i]) << "row " << i;
    EXPECT_EQ(GetSelectedListItem(GetDlgItem(dialog, IDC_USAGE_FRAMES)), 0) << "the first row is selected";
    ASSERT_EQ(shown.totals.size(), expected.totals.size());
    for (std::size_t i = 0; i < shown.totals.size(); ++i)
        EXPECT_EQ(shown.totals[i], expected.totals[i]) << "totals line " << i / 2;
}

// ---- The Usage dialog -----------------------------------------------------

TEST_F(UsageDialogTest, ShowsTheFirstIspAndEachRecordTheChooserPicks)
{
    bool ran = false;
    steps.push_back([&](HWND dialog) {
        ran = true;
        EXPECT_EQ(TextOf(dialog), "Usage");
        EXPECT_EQ(OpenUsageDialog(), dialog);
        EXPECT_EQ(CurrentDialog, dialog);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
        EXPECT_FALSE(BusyCursorActive()) << "the wait cursor is down once the dialog shows";
        HWND chooser = GetDlgItem(dialog, IDC_ISP);
        EXPECT_EQ(ClassOf(chooser), "ListBox");
        EXPECT_EQ(ListBoxItems(chooser),
                  (std::vector<std::string>{"Phone Company", "Net One", "Net Two", "Net Three"}));
        EXPECT_EQ(SendMessageA(chooser, LB_GETCURSEL, 0, 0), 1);

        HWND list = GetDlgItem(dialog, IDC_USAGE_FRAMES);
        RECT client;
        GetClientRect(list, &client);
        const char* titles[] = {"Frame", "Time", "Cost"};
        const int widths[] = {client.right / 2, client.right / 4, client.right / 4};
        for (int i = 0; i < 3; ++i) {
            char title[32] = {};
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = title;
            column.cchTextMax = sizeof title;
            ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
            EXPECT_STREQ(title, titles[i]);
            EXPECT_EQ(column.cx, widths[i]) << titles[i];
            EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        }

        ExpectShown(dialog, NetOne, "at opening: the first ISP, with a remainder");
        ChooseRecord(dialog, 2);
        ExpectShown(dialog, NetTwo, "an ISP in excess, 100 hours");
        ChooseRecord(dialog, 0);
        ExpectShown(dialog, PhoneCompany, "the phone company");
        ChooseRecord(dialog, 3);
        ExpectShown(dialog, NetThree, "an ISP without sessions");
        // Other notifications of the list box change nothing.
        SendMessageA(chooser, LB_SETCURSEL, 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ISP, LBN_DBLCLK), reinterpret_cast<LPARAM>(chooser));
        ExpectShown(dialog, NetThree, "after a double click");
        Press(dialog, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_TRUE(ran);
    EXPECT_EQ(OpenUsageDialog(), nullptr);
    EXPECT_EQ(CurrentDialog, main) << "error boxes belong to the main window again";
    EXPECT_TRUE(seenErrors.empty());
}

TEST_F(UsageDialogTest, EscapeAndPrintAndHelp)
{
    bool ran = false;
    steps.push_back([&](HWND dialog) {
        ran = true;
        Press(dialog, IDC_USAGE_PRINT);  // printing comes later: nothing happens yet
        EXPECT_TRUE(StillOpen(dialog));
        Press(dialog, IDC_HELPBUTTON);  // no help file here: nothing happens
        EXPECT_TRUE(StillOpen(dialog));
        Press(dialog, IDCANCEL);
        EXPECT_FALSE(StillOpen(dialog));
    });
    ShowUsageReport(main, March());
    EXPECT_TRUE(ran);
    EXPECT_EQ(OpenUsageDialog(), nullptr);
}

TEST_F(UsageDialogTest, AReportOfAnotherPeriodShowsThatPeriod)
{
    ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 4, 6, 20, 0, 0)), 0);
    ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 4, 6, 20, 0, 10)), 0);
    steps.push_back([&](HWND dialog) {
        const Shown shown = ReadShown(dialog);
        EXPECT_EQ(shown.period, "Period 2026/04/01 to 2026/04/30");
        EXPECT_EQ(shown.rows, (Rows{{"Off-peak", "00:01:00", "0.25"}, {"Peak", "00:00:00", "0.00"}}));
        Press(dialog, IDOK);
    });
    ShowUsageReport(main, LocalInstant(2026, 4, 30, 23, 59, 59));
}

TEST_F(UsageDialogTest, OpeningAgainClosesTheOpenReportAndAsksForTheCurrentOne)
{
    int opened = 0;
    steps.push_back([&](HWND dialog) {
        ++opened;
        ShowUsageReport(main, LocalInstant(2025, 1, 1));
        EXPECT_FALSE(StillOpen(dialog)) << "the open report was closed";
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(opened, 1) << "no second dialog from that call";
    EXPECT_EQ(OpenUsageDialog(), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, main, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "nothing was posted to the main window";
    EXPECT_EQ(LOWORD(msg.wParam), IDC_CURRENT);
    EXPECT_EQ(HIWORD(msg.wParam), 0);
}

TEST_F(UsageDialogTest, ClosingClearsTheRehideFlag)
{
    RehideAfterReport = true;
    steps.push_back([&](HWND dialog) {
        EXPECT_TRUE(RehideAfterReport) << "still set while the report shows";
        Press(dialog, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_FALSE(RehideAfterReport);
}

TEST_F(UsageDialogTest, AFailedComputationShowsNoDialog)
{
    // A folder where the log should be: it cannot be opened.
    std::filesystem::remove(LogFilePath);
    std::filesystem::create_directory(LogFilePath);
    ShowUsageReport(main, March());
    EXPECT_FALSE(ErrorCodes().empty());
    EXPECT_FALSE(BusyCursorActive());
    EXPECT_EQ(OpenUsageDialog(), nullptr);
}

// The wait cursor is up while the report is computed: the tariffs are read
// under it.
bool busyWhileReading = false;
const ProfileBackend* realProfile = nullptr;

int WatchingRead(const char* file, const char* section, const char* key, const char* def, char* buf, int size)
{
    if (BusyCursorActive())
        busyWhileReading = true;
    return realProfile->read(file, section, key, def, buf, size);
}

TEST_F(UsageDialogTest, TheWaitCursorIsUpWhileTheReportIsComputed)
{
    realProfile = &CurrentProfileBackend();
    const ProfileBackend watching = {WatchingRead, realProfile->write, realProfile->readSection,
                                     realProfile->readSectionNames};
    SetProfileBackend(&watching);
    busyWhileReading = false;
    steps.push_back([&](HWND dialog) { Press(dialog, IDOK); });
    ShowUsageReport(main, March());
    SetProfileBackend(realProfile);
    EXPECT_TRUE(busyWhileReading);
    EXPECT_FALSE(BusyCursorActive());
}

// The help engine as the dialogs call it.
struct HelpCall {
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCall> helpCalls;

BOOL WINAPI FakeWinHelp(HWND, LPCSTR, UINT command, ULONG_PTR data)
{
    helpCalls.push_back({command, data});
    return TRUE;
}

// The context a help-pair table gives a control, 0 when it has none.
DWORD ContextOf(ULONG_PTR pairs, int id)
{
    for (const DWORD* p = reinterpret_cast<const DWORD*>(pairs); p[0] || p[1]; p += 2)
        if (p[0] == static_cast<DWORD>(id))
            return p[1];
    return 0;
}

TEST_F(UsageDialogTest, HelpButtonsAndContextHelpOfBothDialogs)
{
    testsupport::WriteFileBytes(HelpFilePath, "help");
    Api.WinHelpA = FakeWinHelp;
    helpCalls.clear();
    auto askHelp = [](HWND dialog, int id) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = GetDlgItem(dialog, id);
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    };
    steps.push_back([&](HWND usage) {
        Press(usage, IDC_HELPBUTTON);
        ASSERT_EQ(helpCalls.size(), 1u);
        EXPECT_EQ(helpCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(helpCalls[0].data, 612u);
        askHelp(usage, IDC_USAGE_REMAINTIME);
        ASSERT_EQ(helpCalls.size(), 2u);
        EXPECT_EQ(helpCalls[1].command, static_cast<UINT>(HELP_WM_HELP));
        const struct {
            int id;
            DWORD context;
        } pairs[] = {{IDC_ISP, 3200}, {IDC_USAGE_PERIOD, 3201}, {IDC_USAGE_FRAMES, 3202},
                     {IDC_USAGE_REMAINDER_LABEL, 3205}, {IDC_USAGE_REMAINTIME, 3211}, {IDC_USAGE_PAYABLE, 3210},
                     {IDC_USAGE_LASTSESSION_LABEL, 3207}, {IDC_USAGE_SAVE, 3212}, {IDC_USAGE_PRINT, 3208},
                     {IDC_HELPBUTTON, 3002}};
        for (const auto& pair : pairs)
            EXPECT_EQ(ContextOf(helpCalls[1].data, pair.id), pair.context) << pair.id;
        Press(usage, IDC_USAGE_SAVE);
        EXPECT_TRUE(StillOpen(usage)) << "Help leaves the report open";
        Press(usage, IDOK);
    });
    steps.push_back([&](HWND save) {
        helpCalls.clear();
        Press(save, IDC_HELPBUTTON);
        ASSERT_EQ(helpCalls.size(), 1u);
        EXPECT_EQ(helpCalls[0].data, 625u);
        askHelp(save, IDC_SAVE_APPEND);
        ASSERT_EQ(helpCalls.size(), 2u);
        for (const auto& [id, context] : {std::pair{IDC_SAVE_GROUP, 5000}, std::pair{IDC_ISP, 5000},
                                           std::pair{IDC_SAVE_FILE, 5001}, std::pair{IDC_BROWSE, 5001},
                                           std::pair{IDC_SAVE_APPEND, 5002}, std::pair{IDCANCEL, 3001}})
            EXPECT_EQ(ContextOf(helpCalls[1].data, id), static_cast<DWORD>(context)) << id;
        EXPECT_TRUE(StillOpen(save));
        Press(save, IDCANCEL);
    });
    ShowUsageReport(main, March());
}

// ---- The Save Usage Report dialog ----------------------------------------

// Runs a report, presses Save and hands the Save dialog to `save`.
void SaveFromReport(const Step& save)
{
    steps.push_back([](HWND usage) {
        Press(usage, IDC_USAGE_SAVE);
        EXPECT_TRUE(StillOpen(usage)) << "the report stays open after saving";
        Press(usage, IDOK);
    });
    steps.push_back(save);
}

int SelectIsp(HWND save, const char* name)
{
    HWND combo = GetDlgItem(save, IDC_ISP);
    const int item = static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(name)));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    return item;
}

TEST_F(UsageDialogTest, SaveDialogOpensWithItsDefaults)
{
    SaveFromReport([&](HWND save) {
        EXPECT_EQ(TextOf(save), "Save Usage Report");
        EXPECT_EQ(CurrentDialog, save);
        EXPECT_EQ(GetWindow(save, GW_OWNER), OpenUsageDialog()) << "the report owns its Save dialog";
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_ALL), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_SELECTED), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_NONE), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_PHONE), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_APPEND), BST_UNCHECKED);
        EXPECT_EQ(ItemText(save, IDC_SAVE_FILE), "");
        HWND combo = GetDlgItem(save, IDC_ISP);
        EXPECT_FALSE(IsWindowEnabled(combo));
        // Every ISP in table order, numbers as item data, the default ISP chosen.
        ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
        const char* names[] = {"Net One", "Net Two", "Net Three"};
        for (int i = 0; i < 3; ++i) {
            char text[64] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, names[i]);
            EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0), i + 1);
        }
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(SendDlgItemMessageA(save, IDC_SAVE_FILE, EM_GETLIMITTEXT, 0, 0), 259);

        // The radio buttons: the ISP list is usable exactly with "Selected ISP".
        const struct {
            int press;
            bool listEnabled;
        } clicks[] = {{IDC_SAVE_SELECTED, true}, {IDC_SAVE_NONE, false}, {IDC_SAVE_SELECTED, true},
                      {IDC_SAVE_ALL, false}};
        for (const auto& click : clicks) {
            Press(save, click.press);
            for (int id : {IDC_SAVE_ALL, IDC_SAVE_SELECTED, IDC_SAVE_NONE})
                EXPECT_EQ(IsDlgButtonChecked(save, id), id == click.press ? BST_CHECKED : BST_UNCHECKED)
                    << "after pressing " << click.press;
            EXPECT_EQ(IsWindowEnabled(combo) != FALSE, click.listEnabled) << "after pressing " << click.press;
        }
        Press(save, IDCANCEL);
    });
    ShowUsageReport(main, March());
    EXPECT_TRUE(seenErrors.empty());
    for (const auto& entry : std::filesystem::directory_iterator(Dir()))
        EXPECT_NE(entry.path().extension(), ".txt") << "Cancel writes nothing";
}

TEST_F(UsageDialogTest, SaveWritesTheChosenReports)
{
    struct Case {
        const char* what;
        int option;
        const char* isp;  // for "Selected ISP"
        bool phone;
        bool append;
        const char* before;  // the file's content before, null: no file
        std::vector<int> isps;
    };
    const Case cases[] = {
        {"all ISPs and the phone", IDC_SAVE_ALL, nullptr, true, false, nullptr, {0, 1, 2}},
        {"all ISPs without the phone, replacing", IDC_SAVE_ALL, nullptr, false, false, "old text\r\n", {0, 1, 2}},
        {"one ISP and the phone", IDC_SAVE_SELECTED, "Net Three", true, false, nullptr, {2}},
        {"one ISP, appended", IDC_SAVE_SELECTED, "Net One", false, true, "old text\r\n", {0}},
        {"only the phone, appended to a new file", IDC_SAVE_NONE, nullptr, true, true, nullptr, {}},
        {"nothing at all empties the file", IDC_SAVE_NONE, nullptr, false, false, "old text\r\n", {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path file = Dir() / ("report" + std::to_string(++n) + ".txt");
        if (c.before)
            testsupport::WriteFileBytes(file, c.before);
        SaveFromReport([&](HWND save) {
            Press(save, c.option);
            if (c.isp)
                SelectIsp(save, c.isp);
            CheckDlgButton(save, IDC_SAVE_PHONE, c.phone ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(save, IDC_SAVE_APPEND, c.append ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
            Press(save, IDOK);
        });
        ShowUsageReport(main, March());
        EXPECT_TRUE(seenErrors.empty());
        ASSERT_TRUE(std::filesystem::exists(file));
        const std::string expected = (c.append && c.before ? std::string(c.before) : "") + Reports(c.isps, c.phone);
        EXPECT_EQ(testsupport::ReadFileBytes(file), expected);
    }
}

TEST_F(UsageDialogTest, SavedTextOfOneIsp)
{
    const std::filesystem::path file = Dir() / "two.txt";
    SaveFromReport([&](HWND save) {
        Press(save, IDC_SAVE_SELECTED);
        SelectIsp(save, "Net Two");
        CheckDlgButton(save, IDC_SAVE_PHONE, BST_UNCHECKED);
        SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
        Press(save, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(testsupport::ReadFileBytes(file), WithCrLf("Net Two (Toll-free)\n"
                                                         "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
                                                         "\t\t\t\tTime taken\tCost\n"
                                                         "Anytime                 \t100:00:00\t1500.00\n"
                                                         "Total frame cost\t\t\t\t1500.00\n"
                                                         "Less: Prepaid\t\t\t\t\t0.00\n"
                                                         "Exceeded by\t\t\t100:00:00\t1500.00\n"
                                                         "Monthly/Weekly Fee\t\t\t\t9.50\n"
                                                         "Amount payable\t\t\t\t\t1509.50\n"
                                                         "Connections made\t\t1\n"
                                                         "Last session\t\t\t100:00:00\n"
                                                         "\n"));
}

TEST_F(UsageDialogTest, SavingTwiceWithAppendKeepsBothReports)
{
    const std::filesystem::path file = Dir() / "twice.txt";
    for (int i = 0; i < 2; ++i)
        SaveFromReport([&](HWND save) {
            Press(save, IDC_SAVE_NONE);
            CheckDlgButton(save, IDC_SAVE_APPEND, BST_CHECKED);
            SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
            Press(save, IDOK);
        });
    ShowUsageReport(main, March());
    ShowUsageReport(main, March());
    const std::string phone = Reports({}, true);
    EXPECT_EQ(testsupport::ReadFileBytes(file), phone + phone);
}

TEST_F(UsageDialogTest, BrowseAsksTheSaveFileDialogAndFillsTheName)
{
    const std::filesystem::path file = Dir() / "browsed.txt";
    SaveFromReport([&](HWND save) {
        HWND field = GetDlgItem(save, IDC_SAVE_FILE);
        SetWindowTextA(field, "typed.txt");

        // Cancelled: the name stays, the focus comes back to it.
        Press(save, IDC_BROWSE);
        EXPECT_EQ(browseCalls, 1);
        EXPECT_EQ(TextOf(field), "typed.txt");
        EXPECT_EQ(GetFocus(), field);
        EXPECT_EQ(lastBrowse.hwndOwner, save);
        EXPECT_EQ(browseFilter, "All files|*.*|Text files|*.TXT|");
        EXPECT_EQ(lastBrowse.nFilterIndex, 1u);
        EXPECT_EQ(browseInitialName, "") << "no initial name";
        EXPECT_GE(lastBrowse.nMaxFile, 260u);
        const DWORD always = OFN_HIDEREADONLY | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR;
        EXPECT_EQ(lastBrowse.Flags & always, always);
        EXPECT_TRUE(lastBrowse.Flags & OFN_OVERWRITEPROMPT) << "replacing a file asks first";

        // Picked while appending: no question about overwriting.
        CheckDlgButton(save, IDC_SAVE_APPEND, BST_CHECKED);
        browseAnswer = file.string();
        SetFocus(GetDlgItem(save, IDOK));
        Press(save, IDC_BROWSE);
        EXPECT_FALSE(lastBrowse.Flags & OFN_OVERWRITEPROMPT);
        EXPECT_EQ(TextOf(field), file.string());
        EXPECT_EQ(GetFocus(), field);
        DWORD from = 0, to = 0;
        SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, file.string().size()) << "the picked name is selected";
        Press(save, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(testsupport::ReadFileBytes(file), Reports({0, 1, 2}, true));
}

TEST_F(UsageDialogTest, EachProblemIsReportedAndTheDialogStaysOpen)
{
    const std::filesystem::path file = Dir() / "fixed.txt";
    SaveFromReport([&](HWND save) {
        const struct {
            const char* what;
            std::function<void()> change;
            ErrorCode code;
        } problems[] = {
            {"no file name", [] {}, 2073},
            {"Selected ISP with no ISP chosen",
             [&] {
                 SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
                 Press(save, IDC_SAVE_SELECTED);
                 SendDlgItemMessageA(save, IDC_ISP, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
             },
             2071},
            {"no ISP option at all",
             [&] {
                 for (int id : {IDC_SAVE_ALL, IDC_SAVE_SELECTED, IDC_SAVE_NONE})
                     CheckDlgButton(save, id, BST_UNCHECKED);
             },
             2072},
            {"the ISP comes before the name",
             [&] {
                 Press(save, IDC_SAVE_SELECTED);
                 SetDlgItemTextA(save, IDC_SAVE_FILE, "");
             },
             2071},
        };
        for (const auto& p : problems) {
            SCOPED_TRACE(p.what);
            seenErrors.clear();
            p.change();
            Press(save, IDOK);
            ASSERT_EQ(ErrorCodes(), std::vector<ErrorCode>{p.code});
            EXPECT_EQ(seenErrors[0].owner, save) << "the box belongs to the Save dialog";
            EXPECT_TRUE(StillOpen(save));
        }
        // What was entered is still there; mend it and save.
        EXPECT_EQ(IsDlgButtonChecked(save, IDC_SAVE_SELECTED), BST_CHECKED);
        SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
        SelectIsp(save, "Net One");
        seenErrors.clear();
        Press(save, IDOK);
        EXPECT_TRUE(seenErrors.empty());
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(testsupport::ReadFileBytes(file), Reports({0}, true));
}

TEST_F(UsageDialogTest, AnIspAddedSinceTheReportIsRefused)
{
    const std::filesystem::path file = Dir() / "new.txt";
    testsupport::WriteFileBytes(file, "old text\r\n");
    steps.push_back([&](HWND usage) {
        // Another ISP appears in the settings while the report is open.
        ProfileWrite(IniFilePath, "Global", "ActiveIDs", "1,2,3,4");
        ProfileWrite(IniFilePath, "ISP4", "Description", "Net Four");
        ProfileFlush(IniFilePath);
        Press(usage, IDC_USAGE_SAVE);
        ASSERT_EQ(ErrorCodes(), std::vector<ErrorCode>{2070});
        EXPECT_TRUE(StillOpen(usage));
        // The report itself was not recomputed.
        EXPECT_EQ(ListBoxItems(GetDlgItem(usage, IDC_ISP)).size(), 4u);
        Press(usage, IDOK);
    });
    steps.push_back([&](HWND save) {
        Press(save, IDC_SAVE_SELECTED);
        EXPECT_EQ(SelectIsp(save, "Net Four"), 3);
        SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
        Press(save, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(testsupport::ReadFileBytes(file), "") << "opened (emptied) but nothing written, the phone neither";
}

TEST_F(UsageDialogTest, AFileThatCannotBeOpenedIsReported)
{
    const std::filesystem::path file = Dir() / "no such folder" / "r.txt";
    SaveFromReport([&](HWND save) {
        SetDlgItemTextA(save, IDC_SAVE_FILE, file.string().c_str());
        Press(save, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(ErrorCodes(), std::vector<ErrorCode>{113});
    EXPECT_FALSE(std::filesystem::exists(file));
}

// ---- Layout ---------------------------------------------------------------

// Every control inside the dialog and every text fitting its control, for
// each text the control can take.
void ExpectNothingCutOff(HWND dialog, const std::vector<std::pair<int, std::string>>& otherTexts)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    RECT client;
    GetClientRect(dialog, &client);
    auto fits = [&](HWND c, const std::string& text) {
        SCOPED_TRACE(text);
        RECT r;
        GetWindowRect(c, &r);
        RECT need = {0, 0, 0, 0};
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        LONG margin = 0;
        if (ClassOf(c) == "Button")
            margin = (style & BS_TYPEMASK) == BS_GROUPBOX ? 20 : ((style & BS_TYPEMASK) == BS_PUSHBUTTON ||
                                                                  (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                                                                     ? 8
                                                                     : 20;  // the box or circle of a check
        EXPECT_LE(need.right + margin, r.right - r.left) << "text needs " << need.right << " px";
        EXPECT_LE(need.bottom, r.bottom - r.top);
    };
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string text = TextOf(c);
        SCOPED_TRACE(text.empty() ? ClassOf(c) : text);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.left, client.left);
        EXPECT_GE(r.top, client.top);
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
        if (!text.empty() && ClassOf(c) != "Edit" && ClassOf(c) != "ComboBox")
            fits(c, text);
    }
    for (const auto& [id, text] : otherTexts)
        fits(GetDlgItem(dialog, id), text);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
}

TEST_F(UsageDialogTest, NoLabelIsCutOff)
{
    steps.push_back([&](HWND usage) {
        SCOPED_TRACE("Usage");
        ChooseRecord(usage, 2);  // the widest values: 1509.50 and 100:00:00
        ExpectNothingCutOff(usage, {{IDC_USAGE_REMAINDER_LABEL, "Remainder (cost)"},
                                    {IDC_USAGE_REMAINTIME_LABEL, "Remainder (time)"},
                                    {IDC_USAGE_REMAINDER, "99999.99"},
                                    {IDC_USAGE_REMAINTIME, "9999:59:59"},
                                    {IDC_USAGE_PERIOD, "Period 2026/12/31 to 2027/12/30"}});
        // The list shows every column whole.
        HWND list = GetDlgItem(usage, IDC_USAGE_FRAMES);
        RECT client;
        GetClientRect(list, &client);
        int total = 0;
        for (int i = 0; i < 3; ++i)
            total += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
        EXPECT_LE(total, client.right);
        for (const char* text : {"100:00:00", "1509.50"})
            EXPECT_LE(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)) + 12,
                      client.right / 4)
                << text;
        Press(usage, IDC_USAGE_SAVE);
        Press(usage, IDOK);
    });
    steps.push_back([&](HWND save) {
        SCOPED_TRACE("Save Usage Report");
        ExpectNothingCutOff(save, {});
        Press(save, IDCANCEL);
    });
    ShowUsageReport(main, March());
}

TEST_F(UsageDialogTest, TabOrderFollowsTheTemplate)
{
    steps.push_back([&](HWND usage) {
        const std::vector<int> order = {IDC_ISP, IDC_USAGE_FRAMES, IDOK, IDC_USAGE_SAVE, IDC_USAGE_PRINT,
                                        IDC_HELPBUTTON};
        HWND at = GetDlgItem(usage, order.front());
        for (std::size_t i = 1; i <= order.size(); ++i) {
            at = GetNextDlgTabItem(usage, at, FALSE);
            EXPECT_EQ(GetDlgCtrlID(at), order[i % order.size()]) << "after " << order[i - 1];
        }
        Press(usage, IDC_USAGE_SAVE);
        Press(usage, IDOK);
    });
    steps.push_back([&](HWND save) {
        Press(save, IDC_SAVE_SELECTED);  // the list takes part once enabled
        const std::vector<int> order = {IDC_SAVE_SELECTED, IDC_ISP, IDC_SAVE_PHONE, IDC_SAVE_FILE,
                                        IDC_BROWSE,        IDC_SAVE_APPEND, IDOK,        IDCANCEL,
                                        IDC_HELPBUTTON};
        HWND at = GetDlgItem(save, order.front());
        for (std::size_t i = 1; i <= order.size(); ++i) {
            at = GetNextDlgTabItem(save, at, FALSE);
            EXPECT_EQ(GetDlgCtrlID(at), order[i % order.size()]) << "after " << order[i - 1];
        }
        Press(save, IDCANCEL);
    });
    ShowUsageReport(main, March());
}

// ---- Pictures for people to look at ---------------------------------------

TEST_F(UsageDialogTest, Pictures)
{
    const char* folder = std::getenv("TOLVANE_PICTURES");
    if (!folder || !*folder)
        GTEST_SKIP() << "TOLVANE_PICTURES names no folder";
    const std::string dir = folder;
    steps.push_back([&](HWND usage) {
        EXPECT_TRUE(SaveWindowPicture(usage, dir + "\\usage-dialog.bmp"));
        ChooseRecord(usage, 2);
        EXPECT_TRUE(SaveWindowPicture(usage, dir + "\\usage-dialog-excess.bmp"));
        Press(usage, IDC_USAGE_SAVE);
        Press(usage, IDOK);
    });
    steps.push_back([&](HWND save) {
        Press(save, IDC_SAVE_SELECTED);
        SetDlgItemTextA(save, IDC_SAVE_FILE, "C:\\reports\\march.txt");
        EXPECT_TRUE(SaveWindowPicture(save, dir + "\\save-usage-report.bmp"));
        Press(save, IDCANCEL);
    });
    ShowUsageReport(main, March());
}

}  // namespace
