// Every dialog template of the program, opened the way the program opens
// it: nothing cut off, context help only for controls the template has, the
// Help button's topic and the default button and the tab order.
#include <windows.h>
#include <prsht.h>

#include <set>

#include "charging/charging.h"
#include "charging/win32/usagedialog.h"
#include "dialogs/win32/optionssheet.h"
#include "dialogs/win32/smalldialogs.h"
#include "harness.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/mainwindow.h"
#include "sessionlog/crash.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/win32/frame.h"
#include "tariff/win32/ispfiles.h"

namespace {

using namespace harness;
using Texts = std::vector<std::pair<int, std::string>>;

struct TemplateRow {
    int id;
    const char* name;  // of its picture
    void (*open)();  // opens the first dialog on the way to it; none: the main window
    std::vector<Step> before = {};  // the steps of the dialogs on the way
    HWND (*part)(HWND) = nullptr;  // the checked part of the dialog that opens last
    Texts laterTexts = {};  // texts its controls take after opening
    Step close = [](HWND d) { Press(d, IDCANCEL); };  // a sheet's Cancel button too
};

void Options() { ShowOptionsSheet(nullptr); }

template <int index> HWND Page(HWND sheet) { return ShowPage(sheet, index); }

const Step Editor = Through<1, IDC_ISPPAGE_EDIT>;

void Import()
{
    TariffRecord record;
    bool replace = false, phone = false;
    ImportTariffFile(nullptr, record, replace, phone);
}
void Export() { ExportTariffFile(nullptr, TariffRecord{}, false); }
void ChooseSample(HWND d) { ChooseFile(d, JoinPath(ProgramDirectory, "sample.ISP")); }
void Accept(HWND d) { Press(d, IDOK); }

// Modeless: its step runs from this loop, which ends once the step hid it.
void Printing()
{
    HWND printing = OpenPrintingWindow(MainWindow);
    ShowWindow(printing, SW_SHOW);
    for (MSG msg; IsWindowVisible(printing) && GetMessageA(&msg, nullptr, 0, 0);)
        if (!IsDialogMessageA(printing, &msg))
            DispatchMessageA(&msg);
    DestroyWindow(printing);
}

const TemplateRow Rows[] = {
    {IDD_MAIN, "main-window", nullptr, {}, nullptr, {{IDC_MONITOR, "Stop &Monitoring"}, {IDC_EXIT, "C&lose"}}},
    {IDD_USAGE, "usage", [] { ShowUsageReport(MainWindow, Now()); }, {}, nullptr,
     {{IDC_USAGE_REMAINDER_LABEL, "Remainder (cost)"}, {IDC_USAGE_REMAINTIME_LABEL, "Remainder (time)"},
      {IDC_USAGE_REMAINDER, "99999.99"}, {IDC_USAGE_REMAINTIME, "9999:59:59"},
      {IDC_USAGE_PERIOD, "Period 2026/12/31 to 2027/12/30"}}},
    {IDD_ABOUT, "about", [] { ShowAboutBox(nullptr); }, {}, nullptr,
     {{IDC_ABOUT_NAME, "Tolvane"}, {IDC_ABOUT_VERSION, "99.99z"}}},
    {IDD_ENTERDATE, "enter-date", [] { AskReportDate(nullptr); }},
    {IDD_CONNECTIONMADE, "connection-made", [] { ShowConnectionMade("Dial-up Networking"); }},
    {IDD_CONFIRMEXIT, "confirm-exit", [] { ConfirmExitDialog(nullptr); }},
    {IDD_VIEWLOG, "view-raw-log-entries", [] {
         ViewRequest request;
         RunViewDialog(nullptr, request);
     }},
    {IDD_DELETELOG, "delete-log-entries", [] { RunDeleteDialog(nullptr); }},
    {IDD_SAVEREPORT, "save-usage-report", [] {
         TariffTable table;
         ASSERT_EQ(ComputeUsage(Now(), table), 0);
         SaveUsageReport(nullptr, table);
     }},
    {IDD_PRINTING, "printing-usage", Printing, {}, nullptr, {}, [](HWND d) { ShowWindow(d, SW_HIDE); }},
    {IDD_CRASHRECOVERY, "crash-recovery", [] { RunCrashRecoveryDialog(nullptr, DO_NOTHING); }},
    {IDD_GENERALPAGE, "options-general", Options, {}, Page<0>},
    {IDD_ISPPAGE, "options-isp", Options, {}, Page<1>},
    {IDD_MONITORPAGE, "options-monitor", Options, {}, Page<2>},
    {IDD_RECOVERYPAGE, "options-recovery", Options, {}, Page<3>},
    {IDD_PRINTPAGE, "options-print", Options, {}, Page<4>},
    {IDD_ISPGENERAL, "editor-general", Options, {Editor}, Page<0>},
    {IDD_CHARGESPAGE, "editor-charges", Options, {Editor}, Page<1>, {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_FRAMESPAGE, "editor-frames", Options, {Editor}, Page<2>, {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_EXCEPTIONSPAGE, "editor-exceptions", Options, {Editor}, Page<3>, {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_COPYDAYS, "editor-copy", Options, {Editor, Through<1, IDC_CH_COPY>}},
    {IDD_ISPFILE_IMPORTPANEL, "isp-file-import-panel", Import, {}, FileDialogPanel},
    {IDD_ISPFILE_EXPORTPANEL, "isp-file-export-panel", Export, {}, FileDialogPanel},
    {IDD_IMPORT, "import-isp-or-phone", Import, {ChooseSample, Accept}},
    {IDD_DISCLAIMER, "disclaimer", Import, {ChooseSample}},
    {IDD_TELEPHONY, "monitor-telephony", Options, {Through<2, IDC_MON_CONFIGURE, IDC_MON_TELEPHONY>}},
    {IDD_RASOPTIONS, "monitor-ras", Options, {Through<2, IDC_MON_CONFIGURE, IDC_MON_RAS>}},
};

// Every dialog template the program has needs its row.
TEST(Templates, EveryTemplateHasARow)
{
    std::set<int> found, listed;
    for (const TemplateRow& row : Rows)
        listed.insert(row.id);
    for (int id = 151; id <= 177; ++id)
        if (FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)))  // RT_DIALOG
            found.insert(id);
    EXPECT_EQ(found, listed);
}

class TemplateRows : public Fixture, public ::testing::WithParamInterface<TemplateRow> {};

// The text fits its control at the dialog's font, beside the room the
// control takes itself (a check box's mark, a combo box's arrow).
void ExpectFits(HDC dc, HWND control, const std::string& text)
{
    const std::string cls = ClassOf(control);
    const bool label = cls == "Static", combo = cls == "ComboBox";
    const LONG style = GetWindowLongA(control, GWL_STYLE), type = style & (label ? SS_TYPEMASK : BS_TYPEMASK);
    if (text.empty() || (label && type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) ||
        (!label && !combo && cls != "Button"))
        return;  // icons, frames, pictures, and controls that show no fixed text
    const bool box = !label && ((type >= BS_CHECKBOX && type <= BS_AUTO3STATE) || type == BS_AUTORADIOBUTTON);
    const bool group = !label && !combo && type == BS_GROUPBOX;
    const LONG margin = label  ? 0
                        : combo ? GetSystemMetrics(SM_CXVSCROLL) + 8
                        : group ? 20
                        : box   ? GetSystemMetrics(SM_CXMENUCHECK) + 6
                                : 8;
    const bool wraps = label ? type <= SS_RIGHT : !combo && (style & BS_MULTILINE);
    RECT r;
    GetWindowRect(control, &r);
    RECT need = {0, 0, r.right - r.left - margin, 0};
    DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    EXPECT_LE(need.right + margin, r.right - r.left) << "\"" << text << "\" needs " << need.right << " px";
    EXPECT_TRUE(combo || group || need.bottom <= r.bottom - r.top)
        << "\"" << text << "\" needs " << need.bottom << " px of height";
}

void CheckOpenDialog(HWND d, const TemplateRow& row, Seen& seen)
{
    SCOPED_TRACE("dialog \"" + Text(d) + "\"");
    // Every control lies inside the dialog and its text fits (each item of
    // a combo box); a label's mnemonic reaches the control after it.
    HDC dc = GetDC(d);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0)));
    RECT client, r;
    GetClientRect(d, &client);
    int defaultButton = 0;
    std::vector<HWND> stops;  // Tab must visit these in template order
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        SCOPED_TRACE("control " + std::to_string(static_cast<short>(GetDlgCtrlID(c))));
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << "outside the dialog";
        const std::string cls = ClassOf(c), text = Text(c);
        if ((GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c))
            stops.push_back(c);
        for (const std::string& item : cls == "ComboBox" ? Items(d, GetDlgCtrlID(c)) : std::vector<std::string>{text})
            ExpectFits(dc, c, item);
        if (cls == "Button" && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            defaultButton = GetDlgCtrlID(c);
        if (cls == "Static" && text.find('&') != std::string::npos && text.find("&&") == std::string::npos) {
            HWND next = GetWindow(c, GW_HWNDNEXT);
            EXPECT_TRUE(next && ClassOf(next) != "Static") << "\"" << text << "\" labels no control";
        }
    }
    for (const auto& [id, text] : row.laterTexts)
        ExpectFits(dc, GetDlgItem(d, id), text);
    SelectObject(dc, font);
    ReleaseDC(d, dc);
    // Enter is OK (Cancel where there is none); pages, panels and the main
    // window have no default.
    const bool none = (GetWindowLongA(d, GWL_STYLE) & WS_CHILD) || d == MainWindow;
    EXPECT_EQ(defaultButton, none ? 0 : GetDlgItem(d, IDOK) ? IDOK : IDCANCEL);
    for (std::size_t i = 0; i < stops.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(d, stops[i], FALSE), stops[(i + 1) % stops.size()])
            << "after control " << GetDlgCtrlID(stops[i]);
    Picture(d, row.name);

    // Context help names only controls the dialog has (Escape is command 2
    // with or without a Cancel button).
    HELPINFO info{sizeof info, HELPINFO_WINDOW, 0, GetWindow(d, GW_CHILD), 0, {0, 0}};
    SendMessageA(d, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    for (const auto& [command, data] : seen.help) {
        ASSERT_EQ(command, static_cast<UINT>(HELP_WM_HELP));
        for (const DWORD* pair = reinterpret_cast<const DWORD*>(data); pair[0] || pair[1]; pair += 2)
            EXPECT_TRUE(pair[0] == IDCANCEL || GetDlgItem(d, static_cast<int>(pair[0])))
                << "help for missing control " << pair[0];
    }
    // The Help button opens a topic and leaves the dialog open.
    if (GetDlgItem(d, IDC_HELPBUTTON)) {
        seen.help.clear();
        Press(d, IDC_HELPBUTTON);
        EXPECT_TRUE(seen.help.size() == 1 && seen.help[0].first == HELP_CONTEXT && seen.help[0].second);
        EXPECT_TRUE(IsOpen(d));
    }
}

TEST_P(TemplateRows, OpenAsTheProgramOpensThem)
{
    const TemplateRow& row = GetParam();
    WithHelpFile();
    PinClock(testsupport::LocalInstant(2026, 3, 20, 12));
    WriteIni("[Global]\r\nActiveIDs=1,2\r\nDefaultISP=2\r\n[ISP1]\r\nDescription=Demon Internet\r\n"
             "[ISP2]\r\nDescription=Zetnet\r\n");
    ASSERT_NO_FATAL_FAILURE(WriteMarchSessions());
    testsupport::WriteFileBytes(JoinPath(ProgramDirectory, "sample.ISP"),
                                "[Import]\r\nLastISP=1\r\n[ImportISP1]\r\nDescription=Sample\r\n"
                                "[Disclaimer]\r\nNumLines=1\r\nLine1=Terms\r\n");
    OpenMainWindow();
    // A step that never ran fails the test as the fixture ends.
    for (const Step& step : row.before)
        Then(step);
    if (row.open) {
        Then([&](HWND d) {
            CheckOpenDialog(row.part ? row.part(d) : d, row, seen);
            row.close(d);
        });
        row.open();
    } else {
        CheckOpenDialog(MainWindow, row, seen);
    }
    EXPECT_TRUE(testsupport::RecordedErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(All, TemplateRows, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<TemplateRow>& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
