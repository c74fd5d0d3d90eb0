// Every dialog template of the program, opened the way the program opens
// it: nothing cut off, context help only for controls the template has, the
// Help button's topic, the default button and the tab order.
#include <windows.h>
#include <prsht.h>

#include <functional>
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
using Opener = std::function<void(const Step& check)>;

struct TemplateRow {
    int id;
    const char* name;  // of its picture
    Opener open;
    Texts laterTexts = {};  // texts its controls take after opening
};

// The next dialog checked, then cancelled.
void CheckThenCancel(const Step& check)
{
    Then([check](HWND d) {
        check(d);
        Press(d, IDCANCEL);
    });
}

// A modal dialog the call opens.
Opener Modal(void (*run)())
{
    return [run](const Step& check) {
        CheckThenCancel(check);
        run();
    };
}

// A page of the Options sheet, or of the ISP editor opened from its ISP
// page; `inside` opens a dialog from the page, which is the one checked.
Opener OnPage(int index, bool editor = false, void (*inside)(HWND page) = nullptr)
{
    return [=](const Step& check) {
        if (editor) {
            Then([](HWND sheet) {
                ShowPage(sheet, 1);
                Press(CurrentPage(sheet), IDC_ISPPAGE_EDIT);
                PressSheetButton(sheet, PSBTN_CANCEL);
            });
        }
        Then([=](HWND sheet) {
            ShowPage(sheet, index);
            if (inside)
                inside(CurrentPage(sheet));
            else
                check(CurrentPage(sheet));
            PressSheetButton(sheet, PSBTN_CANCEL);
        });
        if (inside)
            CheckThenCancel(check);
        ShowOptionsSheet(nullptr);
    };
}

void Configure(HWND page, int type)
{
    Click(page, type);
    Press(page, IDC_MON_CONFIGURE);
}

void RunImport()
{
    TariffRecord record;
    bool replace = false, phone = false;
    ImportTariffFile(nullptr, record, replace, phone);
}

// After the file dialog, where an import file is chosen, its disclaimer and
// then the Import dialog.
Opener Import(bool pastDisclaimer)
{
    return [pastDisclaimer](const Step& check) {
        const std::string path = JoinPath(ProgramDirectory, "sample.ISP");
        testsupport::WriteFileBytes(path, "[Import]\r\nLastISP=1\r\n[ImportISP1]\r\nDescription=Sample\r\n"
                                          "[Disclaimer]\r\nNumLines=1\r\nLine1=Terms\r\n");
        Then([path](HWND d) { ChooseFile(d, path); });
        if (pastDisclaimer)
            Then([](HWND d) { Press(d, IDOK); });
        Modal(RunImport)(check);
    };
}

// The panel of the file dialog, which the dialog itself places.
Opener FilePanel(void (*run)())
{
    return [run](const Step& check) { Modal(run)([check](HWND d) { check(FileDialogPanel(d)); }); };
}

// Modeless: its step runs from this loop.
void OpenPrinting(const Step& check)
{
    bool done = false;
    Then([&done, check](HWND d) {
        check(d);
        ShowWindow(d, SW_HIDE);
        done = true;
    });
    HWND printing = OpenPrintingWindow(MainWindow);
    ASSERT_TRUE(printing);
    ShowWindow(printing, SW_SHOW);
    for (MSG msg; !done && GetMessageA(&msg, nullptr, 0, 0);)
        if (!IsDialogMessageA(printing, &msg))
            DispatchMessageA(&msg);
    DestroyWindow(printing);
}

const TemplateRow Rows[] = {
    {IDD_MAIN, "main-window", [](const Step& check) { check(MainWindow); },
     {{IDC_MONITOR, "Stop &Monitoring"}, {IDC_EXIT, "C&lose"}}},
    {IDD_USAGE, "usage", Modal([] { ShowUsageReport(MainWindow, Now()); }),
     {{IDC_USAGE_REMAINDER_LABEL, "Remainder (cost)"}, {IDC_USAGE_REMAINTIME_LABEL, "Remainder (time)"},
      {IDC_USAGE_REMAINDER, "99999.99"}, {IDC_USAGE_REMAINTIME, "9999:59:59"},
      {IDC_USAGE_PERIOD, "Period 2026/12/31 to 2027/12/30"}}},
    {IDD_ABOUT, "about", Modal([] { ShowAboutBox(nullptr); }),
     {{IDC_ABOUT_NAME, "Tolvane"}, {IDC_ABOUT_VERSION, "99.99z"}}},
    {IDD_ENTERDATE, "enter-date", Modal([] { AskReportDate(nullptr); })},
    {IDD_CONNECTIONMADE, "connection-made", Modal([] { ShowConnectionMade("Dial-up Networking"); })},
    {IDD_CONFIRMEXIT, "confirm-exit", Modal([] { ConfirmExitDialog(nullptr); })},
    {IDD_VIEWLOG, "view-raw-log-entries", Modal([] {
         ViewRequest request;
         RunViewDialog(nullptr, request);
     })},
    {IDD_DELETELOG, "delete-log-entries", Modal([] { RunDeleteDialog(nullptr); })},
    {IDD_SAVEREPORT, "save-usage-report", Modal([] {
         TariffTable table;
         ASSERT_EQ(ComputeUsage(Now(), table), 0);
         SaveUsageReport(nullptr, table);
     })},
    {IDD_PRINTING, "printing-usage", OpenPrinting},
    {IDD_CRASHRECOVERY, "crash-recovery", Modal([] { RunCrashRecoveryDialog(nullptr, DO_NOTHING); })},
    {IDD_GENERALPAGE, "options-general", OnPage(0)},
    {IDD_ISPPAGE, "options-isp", OnPage(1)},
    {IDD_MONITORPAGE, "options-monitor", OnPage(2)},
    {IDD_RECOVERYPAGE, "options-recovery", OnPage(3)},
    {IDD_PRINTPAGE, "options-print", OnPage(4)},
    {IDD_ISPGENERAL, "editor-general", OnPage(0, true)},
    {IDD_CHARGESPAGE, "editor-charges", OnPage(1, true), {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_FRAMESPAGE, "editor-frames", OnPage(2, true), {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_EXCEPTIONSPAGE, "editor-exceptions", OnPage(3, true), {{IDC_ENTRY_BUTTON, "&Change"}}},
    {IDD_COPYDAYS, "editor-copy", OnPage(1, true, [](HWND page) { Press(page, IDC_CH_COPY); })},
    {IDD_ISPFILE_IMPORTPANEL, "isp-file-import-panel", FilePanel(RunImport)},
    {IDD_ISPFILE_EXPORTPANEL, "isp-file-export-panel",
     FilePanel([] { ExportTariffFile(nullptr, TariffRecord{}, false); })},
    {IDD_IMPORT, "import-isp-or-phone", Import(true)},
    {IDD_DISCLAIMER, "disclaimer", Import(false)},
    {IDD_TELEPHONY, "monitor-telephony", OnPage(2, false, [](HWND page) { Configure(page, IDC_MON_TELEPHONY); })},
    {IDD_RASOPTIONS, "monitor-ras", OnPage(2, false, [](HWND page) { Configure(page, IDC_MON_RAS); })},
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

void CheckOpenDialog(HWND d, const TemplateRow& row, Seen& seen)
{
    ExpectLayout(d, row.laterTexts);
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
        ASSERT_EQ(seen.help.size(), 1u);
        EXPECT_EQ(seen.help[0].first, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_NE(seen.help[0].second, 0u);
        EXPECT_TRUE(IsOpen(d));
    }

    // Tab visits the tab stops in template order; a label's mnemonic
    // reaches the control after it.
    std::vector<HWND> stops;
    int defaultButton = 0;
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const std::string cls = ClassOf(c);
        if ((style & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c))
            stops.push_back(c);
        if (cls == "Button" && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            defaultButton = GetDlgCtrlID(c);
        const std::string text = Text(c);
        if (cls == "Static" && text.find('&') != std::string::npos && text.find("&&") == std::string::npos) {
            HWND next = GetWindow(c, GW_HWNDNEXT);
            EXPECT_TRUE(next && ClassOf(next) != "Static") << "\"" << text << "\" labels no control";
        }
    }
    // Enter is OK (Cancel where there is none); pages, panels and the main
    // window have no default.
    const bool none = (GetWindowLongA(d, GWL_STYLE) & WS_CHILD) || d == MainWindow;
    EXPECT_EQ(defaultButton, none ? 0 : GetDlgItem(d, IDOK) ? IDOK : IDCANCEL);
    for (std::size_t i = 0; i < stops.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(d, stops[i], FALSE), stops[(i + 1) % stops.size()])
            << "after control " << GetDlgCtrlID(stops[i]);
}

TEST_P(TemplateRows, OpenAsTheProgramOpensThem)
{
    const TemplateRow& row = GetParam();
    WithHelpFile();
    PinClock(testsupport::LocalInstant(2026, 3, 20, 12));
    WriteIni("[Global]\r\nActiveIDs=1,2\r\nDefaultISP=2\r\n[ISP1]\r\nDescription=Demon Internet\r\n"
             "[ISP2]\r\nDescription=Zetnet\r\n");
    ASSERT_NO_FATAL_FAILURE(WriteMarchSessions());
    OpenMainWindow();
    bool checked = false;
    const Step check = [&](HWND d) {
        checked = true;
        CheckOpenDialog(d, row, seen);
    };
    row.open(check);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(testsupport::RecordedErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(All, TemplateRows, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<TemplateRow>& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
