// Every dialog template of the program, opened the way the program opens
// it: nothing cut off, context help only for controls the template has, the
// Help button's topic, the default button and the tab order.
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
    int defaultButton;  // 0: Enter does nothing
    Texts laterTexts;  // texts its controls take after opening
    void (*open)(HWND owner, const Step& check);
};

void Modal(const Step& check, void (*run)())
{
    Then([check](HWND d) {
        check(d);
        Press(d, IDCANCEL);
    });
    run();
}

// A page as the Options sheet shows it; `inside` opens a dialog from it.
void OptionsPage(int index, const Step& check, void (*inside)(HWND page) = nullptr)
{
    Then([=](HWND sheet) {
        ShowPage(sheet, index);
        HWND page = CurrentPage(sheet);
        if (inside)
            inside(page);
        else
            check(page);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    if (inside) {
        Then([check](HWND d) {
            check(d);
            Press(d, IDCANCEL);
        });
    }
    ShowOptionsSheet(nullptr);
}

// A page of the ISP editor, opened from the Options sheet's ISP page.
void EditorPage(int index, const Step& check, void (*inside)(HWND page) = nullptr)
{
    Then([](HWND sheet) {
        ShowPage(sheet, 1);
        Press(CurrentPage(sheet), IDC_ISPPAGE_EDIT);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Then([=](HWND editor) {
        ShowPage(editor, index);
        if (inside)
            inside(CurrentPage(editor));
        else
            check(CurrentPage(editor));
        PressSheetButton(editor, PSBTN_CANCEL);
    });
    if (inside) {
        Then([check](HWND d) {
            check(d);
            Press(d, IDCANCEL);
        });
    }
    ShowOptionsSheet(nullptr);
}

void Configure(HWND page, int type)
{
    Click(page, type);
    Press(page, IDC_MON_CONFIGURE);
}

// An import file in the folder the file dialog opens, chosen there; with a
// disclaimer or without.
void ImportFrom(bool disclaimer)
{
    const std::string folder = JoinPath(ProgramDirectory, "import");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = JoinPath(folder, "sample.ISP");
    testsupport::WriteFileBytes(path, std::string("[Import]\r\nLastISP=1\r\n[ImportISP1]\r\nDescription=Sample\r\n") +
                                          (disclaimer ? "[Disclaimer]\r\nNumLines=1\r\nLine1=Terms\r\n" : ""));
    Then([path](HWND d) { ChooseFile(d, path); });
}

void RunImport()
{
    TariffRecord record;
    bool replace = false, phone = false;
    ImportTariffFile(nullptr, record, replace, phone);
}

// The panel of the file dialog, which the dialog itself places.
void FilePanel(const Step& check, void (*run)())
{
    Then([check](HWND d) {
        check(FileDialogPanel(d));
        Press(d, IDCANCEL);
    });
    run();
}

const TemplateRow Rows[] = {
    {IDD_MAIN, "main-window", 0, {{IDC_MONITOR, "Stop &Monitoring"}, {IDC_EXIT, "C&lose"}}, nullptr},
    {IDD_USAGE, "usage", IDOK,
     {{IDC_USAGE_REMAINDER_LABEL, "Remainder (cost)"}, {IDC_USAGE_REMAINTIME_LABEL, "Remainder (time)"},
      {IDC_USAGE_REMAINDER, "99999.99"}, {IDC_USAGE_REMAINTIME, "9999:59:59"},
      {IDC_USAGE_PERIOD, "Period 2026/12/31 to 2027/12/30"}},
     [](HWND owner, const Step& check) {
         Then([check](HWND d) {
             check(d);
             Press(d, IDOK);
         });
         ShowUsageReport(owner, Now());
     }},
    {IDD_ABOUT, "about", IDOK, {{IDC_ABOUT_NAME, "Tolvane"}, {IDC_ABOUT_VERSION, "99.99z"}},
     [](HWND, const Step& check) { Modal(check, [] { ShowAboutBox(nullptr); }); }},
    {IDD_ENTERDATE, "enter-date", IDOK, {}, [](HWND, const Step& check) { Modal(check, [] { AskReportDate(nullptr); }); }},
    {IDD_CONNECTIONMADE, "connection-made", IDOK, {},
     [](HWND, const Step& check) { Modal(check, [] { ShowConnectionMade("Dial-up Networking"); }); }},
    {IDD_CONFIRMEXIT, "confirm-exit", IDOK, {},
     [](HWND, const Step& check) { Modal(check, [] { ConfirmExitDialog(nullptr); }); }},
    {IDD_VIEWLOG, "view-raw-log-entries", IDOK, {}, [](HWND, const Step& check) {
         Modal(check, [] {
             ViewRequest request;
             RunViewDialog(nullptr, request);
         });
     }},
    {IDD_DELETELOG, "delete-log-entries", IDOK, {},
     [](HWND, const Step& check) { Modal(check, [] { RunDeleteDialog(nullptr); }); }},
    {IDD_SAVEREPORT, "save-usage-report", IDOK, {}, [](HWND, const Step& check) {
         Modal(check, [] {
             TariffTable table;
             ASSERT_EQ(ComputeUsage(Now(), table), 0);
             SaveUsageReport(nullptr, table);
         });
     }},
    {IDD_PRINTING, "printing-usage", IDCANCEL, {}, [](HWND owner, const Step& check) {
         // Modeless: its step runs from this loop.
         bool done = false;
         Then([&done, check](HWND d) {
             check(d);
             ShowWindow(d, SW_HIDE);
             done = true;
         });
         HWND printing = OpenPrintingWindow(owner);
         ASSERT_TRUE(printing);
         ShowWindow(printing, SW_SHOW);
         for (MSG msg; !done && GetMessageA(&msg, nullptr, 0, 0);)
             if (!IsDialogMessageA(printing, &msg))
                 DispatchMessageA(&msg);
         DestroyWindow(printing);
     }},
    {IDD_CRASHRECOVERY, "crash-recovery", IDOK, {},
     [](HWND, const Step& check) { Modal(check, [] { RunCrashRecoveryDialog(nullptr, DO_NOTHING); }); }},
    {IDD_GENERALPAGE, "options-general", 0, {}, [](HWND, const Step& check) { OptionsPage(0, check); }},
    {IDD_ISPPAGE, "options-isp", 0, {}, [](HWND, const Step& check) { OptionsPage(1, check); }},
    {IDD_MONITORPAGE, "options-monitor", 0, {}, [](HWND, const Step& check) { OptionsPage(2, check); }},
    {IDD_RECOVERYPAGE, "options-recovery", 0, {}, [](HWND, const Step& check) { OptionsPage(3, check); }},
    {IDD_PRINTPAGE, "options-print", 0, {}, [](HWND, const Step& check) { OptionsPage(4, check); }},
    {IDD_ISPGENERAL, "editor-general", 0, {}, [](HWND, const Step& check) { EditorPage(0, check); }},
    {IDD_CHARGESPAGE, "editor-charges", 0, {{IDC_ENTRY_BUTTON, "&Change"}},
     [](HWND, const Step& check) { EditorPage(1, check); }},
    {IDD_FRAMESPAGE, "editor-frames", 0, {{IDC_ENTRY_BUTTON, "&Change"}},
     [](HWND, const Step& check) { EditorPage(2, check); }},
    {IDD_EXCEPTIONSPAGE, "editor-exceptions", 0, {{IDC_ENTRY_BUTTON, "&Change"}},
     [](HWND, const Step& check) { EditorPage(3, check); }},
    {IDD_COPYDAYS, "editor-copy", IDOK, {}, [](HWND, const Step& check) {
         EditorPage(1, check, [](HWND page) { Press(page, IDC_CH_COPY); });
     }},
    {IDD_ISPFILE_IMPORTPANEL, "isp-file-import-panel", 0, {},
     [](HWND, const Step& check) { FilePanel(check, RunImport); }},
    {IDD_ISPFILE_EXPORTPANEL, "isp-file-export-panel", 0, {},
     [](HWND, const Step& check) { FilePanel(check, [] { ExportTariffFile(nullptr, TariffRecord{}, false); }); }},
    {IDD_IMPORT, "import-isp-or-phone", IDOK, {}, [](HWND, const Step& check) {
         ImportFrom(false);
         Modal(check, RunImport);
     }},
    {IDD_DISCLAIMER, "disclaimer", IDOK, {}, [](HWND, const Step& check) {
         ImportFrom(true);
         Modal(check, RunImport);
     }},
    {IDD_TELEPHONY, "monitor-telephony", IDOK, {}, [](HWND, const Step& check) {
         OptionsPage(2, check, [](HWND page) { Configure(page, IDC_MON_TELEPHONY); });
     }},
    {IDD_RASOPTIONS, "monitor-ras", IDOK, {}, [](HWND, const Step& check) {
         OptionsPage(2, check, [](HWND page) { Configure(page, IDC_MON_RAS); });
     }},
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
    EXPECT_EQ(defaultButton, row.defaultButton);
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
    ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, testsupport::LocalInstant(2026, 3, 2, 17)), 0);
    ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, testsupport::LocalInstant(2026, 3, 2, 18)), 0);
    OpenMainWindow();
    bool checked = false;
    const Step check = [&](HWND d) {
        checked = true;
        CheckOpenDialog(d, row, seen);
    };
    if (row.open)
        row.open(window, check);
    else
        check(window);
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
