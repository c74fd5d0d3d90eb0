// The Usage dialog and its Save Usage Report dialog over a tolvane.ini and
// tolvane.log in a temporary folder, and the report printed on the prefix's
// PostScript file printer (the ctest print_readback reads it back as text).
#include <windows.h>
#include <commdlg.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "charging/charging.h"
#include "charging/usagereport.h"
#include "charging/win32/usagedialog.h"
#include "dialogs/win32/dialogframework.h"
#include "harness.h"

namespace {

using namespace harness;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;

// March 2026 under calendar-month billing; 2 March is a Monday. Amounts are
// binary fractions so every total is exact.
const char* const Settings =
    "[Global]\nActiveIDs=1,2,3\nDefaultISP=2\n[Phone]\nDescription=Phone Company\nFrame0=0.125000,Flat\n"
    "[ISP1]\nDescription=Net & One\nNumFrames=2\nFrame0=0.250000,Off-peak\nFrame1=0.500000,Peak\n"
    "Mon0=08:00:00-17:59:59,1\nPrepaidCharge=30.000000\n"
    "[ISP2]\nDescription=Net Two\nFrame0=0.250000,Anytime\nPeriodicFee=9.500000\nTollFree=1\n"
    "[ISP3]\nDescription=Net Three\nFrame0=0.250000,Standard\n";

// What the dialog shows of a record: its period, each frame's row, then
// the texts beside the frames in the dialog's order.
std::string Shown(HWND d)
{
    std::string shown = Text(d, IDC_USAGE_PERIOD);
    for (const std::vector<std::string>& row : ListViewRows(d, IDC_USAGE_FRAMES))
        shown += "|" + row[0] + " " + row[1] + " " + row[2];
    for (int id : {IDC_USAGE_TOTALCOST, IDC_USAGE_PREPAID, IDC_USAGE_REMAINDER_LABEL, IDC_USAGE_REMAINDER,
                   IDC_USAGE_REMAINTIME_LABEL, IDC_USAGE_REMAINTIME, IDC_FEE, IDC_USAGE_PAYABLE,
                   IDC_USAGE_CONNECTIONS, IDC_USAGE_LASTSESSION})
        shown += "|" + Text(d, id);
    return shown;
}

// The fake save-file dialog: what it was asked, and what it answers ("": the user cancels).
OPENFILENAMEA lastBrowse{};
std::string browseAnswer;

// Where the prefix's printer puts each job; the print dialog, which the
// user cancels or answers with the default printer.
const char* const PrintFile = "C:\\users\\Public\\Documents\\tolvane-print.ps";
PRINTDLGA printAsked{};
bool printDialogAnswers = true;

class UsageDialogTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        WriteIni(Settings);
        ASSERT_NO_FATAL_FAILURE(WriteMarchSessions());
        PinClock(LocalInstant(2026, 3, 20, 12));
        // A stand-in main window, which the fixture destroys.
        window = main =
            CreateWindowA("STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ProgramInstance, nullptr);
        MainWindow = CurrentDialog = main;
        browseAnswer.clear();
        Api.GetSaveFileNameA = [](LPOPENFILENAMEA ofn) WINAPI -> BOOL {
            lastBrowse = *ofn;
            std::snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", browseAnswer.c_str());
            return !browseAnswer.empty();
        };
        DeleteFileA(PrintFile);
        printDialogAnswers = true;
        Api.PrintDlgA = [](LPPRINTDLGA dialog) WINAPI -> BOOL {
            printAsked = *dialog;
            dialog->Flags |= PD_RETURNDEFAULT;
            return printDialogAnswers && PrintDlgA(dialog);
        };
    }
    static std::int64_t March() { return LocalInstant(2026, 3, 15, 12); }
    static TariffTable Computed()
    {
        TariffTable table;
        EXPECT_EQ(ComputeUsage(March(), table), 0);
        return table;
    }
    // The reports of the chosen records as the engine computes them now.
    static std::string Reports(const std::vector<int>& isps, bool phone)
    {
        const TariffTable table = Computed();
        std::string text;
        for (int i : isps)
            text += FormatTariffReport(table.Isps.at(static_cast<std::size_t>(i)));
        // Written as text: each line ends in CR LF.
        return std::regex_replace(phone ? text + FormatTariffReport(table.Phone) : text, std::regex("\n"), "\r\n");
    }
    // Opens the report, presses Save and hands the Save dialog to `save`.
    void Save(const Step& save)
    {
        Then([](HWND usage) {
            Press(usage, IDC_USAGE_SAVE);
            EXPECT_TRUE(IsOpen(usage)) << "the report stays open after saving";
            Press(usage, IDOK);
        });
        Then(save);
        ShowUsageReport(main, March());
    }
    HWND main = nullptr;
};

// ---- Usage

TEST_F(UsageDialogTest, ShowsTheFirstIspAndEachRecordTheChooserPicksOneReportAtATimeAndNothingWithoutALog)
{
    RehideAfterReport = true;
    Then([&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), main);
        EXPECT_FALSE(BusyCursorActive()) << "the wait cursor is down once the dialog shows";
        EXPECT_EQ(Items(d, IDC_ISP),
                  (std::vector<std::string>{"Phone Company", "Net & One", "Net Two", "Net Three"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "Net & One");
        EXPECT_EQ(Shown(d), "Period 2026/03/01 to 2026/03/31|Off-peak 00:30:00 7.50|Peak 00:30:00 15.00|"
                            "22.50|30.00|Remainder (cost)|7.50|Remainder (time)|00:30:00|0.00|0.00|1|01:00:00");
        Select(d, IDC_ISP, 2);
        Picture(d, "usage-excess");
        EXPECT_EQ(Shown(d), "Period 2026/03/01 to 2026/03/31|Anytime 100:00:00 1500.00|1500.00|0.00|Excess (cost)|"
                            "1500.00|Excess (time)|100:00:00|9.50|1509.50|1|100:00:00");
        EXPECT_TRUE(RehideAfterReport) << "still set while the report shows";
        // Asked again: the open report closes, and the main window is to ask
        // for the current one.
        ShowUsageReport(main, LocalInstant(2025, 1, 1));
        EXPECT_FALSE(IsOpen(d));
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(CurrentDialog, main) << "error boxes belong to the main window again";
    EXPECT_FALSE(RehideAfterReport);
    EXPECT_TRUE(RecordedCodes().empty());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, main, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDC_CURRENT));
    // A folder where the log should be: no report, no dialog.
    std::filesystem::remove(LogFilePath);
    std::filesystem::create_directory(LogFilePath);
    ShowUsageReport(main, March());
    EXPECT_FALSE(RecordedCodes().empty());
    EXPECT_FALSE(BusyCursorActive());
}

// ---- Save Usage Report

TEST_F(UsageDialogTest, SaveOpensWithItsDefaultsRefusesProblemsAndWritesOrAppendsTheChosenReports)
{
    const std::string file = (Dir() / "report.txt").string();
    testsupport::WriteFileBytes(file, "old text\r\n");
    Save([&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), OpenUsageDialog()) << "the report owns its Save dialog";
        for (int id : {IDC_SAVE_ALL, IDC_SAVE_SELECTED, IDC_SAVE_NONE, IDC_SAVE_PHONE, IDC_SAVE_APPEND})
            EXPECT_EQ(Checked(d, id), id == IDC_SAVE_ALL || id == IDC_SAVE_PHONE) << id;
        EXPECT_EQ(Items(d, IDC_ISP), (std::vector<std::string>{"Net & One", "Net Two", "Net Three"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "Net Two");
        for (auto [radio, listEnabled] : {std::pair{IDC_SAVE_SELECTED, true}, {IDC_SAVE_NONE, false},
                                          {IDC_SAVE_SELECTED, true}, {IDC_SAVE_ALL, false}}) {
            Click(d, radio);
            EXPECT_EQ(Enabled(d, IDC_ISP), listEnabled) << "after " << radio;
        }
        // Selected ISP with none chosen: refused over the Save dialog, which stays open.
        HWND field = GetDlgItem(d, IDC_SAVE_FILE);
        SetWindowTextA(field, "typed.txt");
        Click(d, IDC_SAVE_SELECTED);
        Select(d, IDC_ISP, -1);
        Refused(d, 2071);
        EXPECT_EQ(seen.errorOwners, std::vector<HWND>{d});
        Click(d, IDC_SAVE_ALL);
        Press(d, IDC_BROWSE);  // cancelled: the name stays, the focus comes back to it
        EXPECT_EQ(Text(field), "typed.txt");
        EXPECT_EQ(GetFocus(), field);
        EXPECT_EQ(lastBrowse.hwndOwner, d);
        EXPECT_TRUE(lastBrowse.Flags & OFN_OVERWRITEPROMPT) << "replacing a file asks first";
        browseAnswer = file;
        Press(d, IDC_BROWSE);
        EXPECT_EQ(Text(field), file);
        Press(d, IDOK);
    });
    Save([&](HWND d) {
        Click(d, IDC_SAVE_SELECTED);
        SelectText(d, IDC_ISP, "Net Three");
        Click(d, IDC_SAVE_APPEND);
        Press(d, IDC_BROWSE);
        EXPECT_FALSE(lastBrowse.Flags & OFN_OVERWRITEPROMPT) << "appending does not";
        Press(d, IDOK);
    });
    EXPECT_EQ(testsupport::ReadFileBytes(file), Reports({0, 1, 2}, true) + Reports({2}, true));
}

// ---- Print

TEST_F(UsageDialogTest, EveryBlockReachesThePrinterUnlessEitherDialogIsCancelled)
{
    printDialogAnswers = false;
    PrintUsageReport(main, Computed());
    printDialogAnswers = true;
    // Pages enough for the window's step to come round while they print.
    TariffTable many = Computed();
    for (int i = 0; i < 30; ++i)
        many.Isps.push_back(many.Isps[1]);
    WriteIni(std::string(Settings) + "[Printer]\nSeparatePage=1\n");
    Then([&](HWND printing) {
        EXPECT_EQ(GetWindow(printing, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main)) << "the owner waits while the job runs";
        Press(printing, IDCANCEL);
        EXPECT_TRUE(IsWindow(printing)) << "the window waits for the job to end";
        ShowWindow(printing, SW_HIDE);
    });
    PrintUsageReport(main, many);
    EXPECT_EQ(GetFileAttributesA(PrintFile), INVALID_FILE_ATTRIBUTES) << "nothing reaches the printer";

    WriteIni(Settings);
    // A short job may end before the window's step comes round.
    Then([](HWND printing) { ShowWindow(printing, SW_HIDE); });
    PrintUsageReport(main, Computed());
    DropSteps();
    EXPECT_EQ(printAsked.hwndOwner, main);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{}) << "cancelling is no error";
    // Four blocks flow over two pages.
    EXPECT_NE(testsupport::ReadFileBytes(PrintFile).find("%%Pages: 2"), std::string::npos);
    // Kept for the read-back test and for people to look at, with rows of
    // each block the pages must hold in this order.
    const char* folder = std::getenv("TOLVANE_ARTIFACTS");
    if (!folder || !*folder)
        return;
    const std::string base = std::string(folder[0] == '/' ? "Z:" : "") + folder + "\\usage-print";
    EXPECT_TRUE(CopyFileA(PrintFile, (base + ".ps").c_str(), FALSE));
    testsupport::WriteFileBytes(base + ".expected",
                                "Net & One\nPeriod: 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\nTime Cost\n"
                                "Off-peak 00:30:00 7.50\nRemainder 00:30:00 7.50\nLast session 01:00:00\n"
                                "Net Two\nExcess 100:00:00 1500.00\nAdd: monthly/weekly fee 9.50\n"
                                "Net Three\nPhone Company\nFlat 01:00:00 7.50\nNumber of connections 1\n");
}

}  // namespace
