// The Usage dialog and its Save Usage Report dialog over a tolvane.ini and
// tolvane.log in a temporary folder: what they show, what Save writes and
// what it refuses.
#include <windows.h>
#include <commdlg.h>

#include <filesystem>

#include "charging/charging.h"
#include "charging/usagereport.h"
#include "charging/win32/usagedialog.h"
#include "dialogs/win32/dialogframework.h"
#include "harness.h"
#include "platform/profile.h"

namespace {

using namespace harness;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;

// March 2026 under calendar-month billing; 2 March is a Monday. Amounts are
// binary fractions so every total is exact.
const char* const Settings =
    "[Global]\nActiveIDs=1,2,3\nDefaultISP=2\n[Phone]\nDescription=Phone Company\nFrame0=0.125000,Flat\n"
    "[ISP1]\nDescription=Net One\nNumFrames=2\nFrame0=0.250000,Off-peak\nFrame1=0.500000,Peak\n"
    "Mon0=08:00:00-17:59:59,1\nPrepaidCharge=30.000000\n"
    "[ISP2]\nDescription=Net Two\nFrame0=0.250000,Anytime\nPeriodicFee=9.500000\nTollFree=1\n"
    "[ISP3]\nDescription=Net Three\nFrame0=0.250000,Standard\n";

const int TotalIds[] = {IDC_USAGE_TOTALCOST_LABEL, IDC_USAGE_TOTALCOST, IDC_PREPAID_LABEL, IDC_USAGE_PREPAID,
                        IDC_USAGE_REMAINDER_LABEL, IDC_USAGE_REMAINDER, IDC_USAGE_REMAINTIME_LABEL,
                        IDC_USAGE_REMAINTIME, IDC_FEE_LABEL, IDC_FEE, IDC_USAGE_PAYABLE_LABEL,
                        IDC_USAGE_PAYABLE, IDC_USAGE_CONNECTIONS_LABEL, IDC_USAGE_CONNECTIONS,
                        IDC_USAGE_LASTSESSION_LABEL, IDC_USAGE_LASTSESSION};

std::vector<std::string> Totals(HWND d)
{
    std::vector<std::string> shown;
    for (int id : TotalIds)
        shown.push_back(Text(d, id));
    return shown;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? "\r\n" : std::string(1, c);
    return out;
}

// The fake save-file dialog: what it was asked, and what it answers.
OPENFILENAMEA lastBrowse{};
std::string browseAnswer;  // empty: the user cancels

class UsageDialogTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        WriteIni(Settings);
        ASSERT_NO_FATAL_FAILURE(WriteMarchSessions());
        PinClock(LocalInstant(2026, 3, 20, 12));
        main = CreateWindowA("STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ProgramInstance, nullptr);
        MainWindow = CurrentDialog = main;
        browseAnswer.clear();
        Api.GetSaveFileNameA = [](LPOPENFILENAMEA ofn) WINAPI -> BOOL {
            lastBrowse = *ofn;
            if (browseAnswer.empty())
                return FALSE;
            std::snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", browseAnswer.c_str());
            return TRUE;
        };
    }
    void TearDown() override
    {
        DestroyWindow(main);
        Fixture::TearDown();
    }
    static std::int64_t March() { return LocalInstant(2026, 3, 15, 12); }
    // The reports of the chosen records as the engine computes them now.
    static std::string Reports(const std::vector<int>& isps, bool phone)
    {
        TariffTable table;
        EXPECT_EQ(ComputeUsage(March(), table), 0);
        std::string text;
        for (int i : isps)
            text += FormatTariffReport(table.Isps.at(static_cast<std::size_t>(i)));
        return WithCrLf(phone ? text + FormatTariffReport(table.Phone) : text);
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

TEST_F(UsageDialogTest, ShowsTheFirstIspAndEachRecordTheChooserPicks)
{
    RehideAfterReport = true;
    Then([&](HWND d) {
        EXPECT_EQ(OpenUsageDialog(), d);
        EXPECT_EQ(CurrentDialog, d);
        EXPECT_EQ(GetWindow(d, GW_OWNER), main);
        EXPECT_FALSE(BusyCursorActive()) << "the wait cursor is down once the dialog shows";
        EXPECT_EQ(Items(d, IDC_ISP),
                  (std::vector<std::string>{"Phone Company", "Net One", "Net Two", "Net Three"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "Net One");
        EXPECT_EQ(Text(d, IDC_USAGE_PERIOD), "Period 2026/03/01 to 2026/03/31");
        EXPECT_EQ(ListViewRows(d, IDC_USAGE_FRAMES),
                  (std::vector<std::vector<std::string>>{{"Off-peak", "00:30:00", "7.50"}, {"Peak", "00:30:00", "15.00"}}));
        EXPECT_EQ(GetSelectedListItem(GetDlgItem(d, IDC_USAGE_FRAMES)), 0);
        EXPECT_EQ(Totals(d), (std::vector<std::string>{"Total Frame Cost", "22.50", "Less: Prepaid", "30.00",
                                                       "Remainder (cost)", "7.50", "Remainder (time)", "00:30:00",
                                                       "Monthly/weekly fee", "0.00", "Amount payable", "0.00",
                                                       "No of connections", "1", "Last Session", "01:00:00"}));
        Select(d, IDC_ISP, 2);
        Picture(d, "usage-excess");
        EXPECT_EQ(ListViewRows(d, IDC_USAGE_FRAMES),
                  (std::vector<std::vector<std::string>>{{"Anytime", "100:00:00", "1500.00"}}));
        EXPECT_EQ(Totals(d), (std::vector<std::string>{"Total Frame Cost", "1500.00", "Less: Prepaid", "0.00",
                                                       "Excess (cost)", "1500.00", "Excess (time)", "100:00:00",
                                                       "Monthly/weekly fee", "9.50", "Amount payable", "1509.50",
                                                       "No of connections", "1", "Last Session", "100:00:00"}));
        ExpectLayout(d);
        // Other notifications of the chooser change nothing.
        SendDlgItemMessageA(d, IDC_ISP, LB_SETCURSEL, 0, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ISP, LBN_DBLCLK), 0);
        EXPECT_EQ(Text(d, IDC_USAGE_PAYABLE), "1509.50");
        EXPECT_TRUE(RehideAfterReport) << "still set while the report shows";
        Press(d, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(OpenUsageDialog(), nullptr);
    EXPECT_EQ(CurrentDialog, main) << "error boxes belong to the main window again";
    EXPECT_FALSE(RehideAfterReport);
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(UsageDialogTest, OpeningAgainClosesTheOpenReportAndAsksForTheCurrentOne)
{
    Then([&](HWND d) {
        ShowUsageReport(main, LocalInstant(2025, 1, 1));
        EXPECT_FALSE(IsOpen(d));
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(Titles().size(), 1u) << "no second dialog from that call";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, main, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDC_CURRENT));
}

TEST_F(UsageDialogTest, TheWaitCursorIsUpWhileTheReportIsComputedAndAFailureShowsNoDialog)
{
    static bool busyWhileReading = false;
    static const ProfileBackend* real = &CurrentProfileBackend();
    static const ProfileBackend watching = {
        [](const char* file, const char* section, const char* key, const char* def, char* buf, int size) {
            busyWhileReading = busyWhileReading || BusyCursorActive();
            return real->read(file, section, key, def, buf, size);
        },
        real->write, real->readSection, real->readSectionNames};
    SetProfileBackend(&watching);
    Then([](HWND d) { Press(d, IDOK); });
    ShowUsageReport(main, March());
    EXPECT_TRUE(busyWhileReading);
    // A folder where the log should be: it cannot be opened.
    std::filesystem::remove(LogFilePath);
    std::filesystem::create_directory(LogFilePath);
    ShowUsageReport(main, March());
    EXPECT_FALSE(RecordedCodes().empty());
    EXPECT_FALSE(BusyCursorActive());
    EXPECT_EQ(Titles().size(), 1u);
}

// ---- Save Usage Report

TEST_F(UsageDialogTest, SaveOpensWithItsDefaultsRefusesEachProblemAndCancelWritesNothing)
{
    const std::string file = (Dir() / "fixed.txt").string();
    Save([&](HWND d) {
        EXPECT_EQ(CurrentDialog, d);
        EXPECT_EQ(GetWindow(d, GW_OWNER), OpenUsageDialog()) << "the report owns its Save dialog";
        for (int id : {IDC_SAVE_ALL, IDC_SAVE_SELECTED, IDC_SAVE_NONE, IDC_SAVE_PHONE, IDC_SAVE_APPEND})
            EXPECT_EQ(Checked(d, id), id == IDC_SAVE_ALL || id == IDC_SAVE_PHONE) << id;
        EXPECT_EQ(Text(d, IDC_SAVE_FILE), "");
        EXPECT_EQ(Items(d, IDC_ISP), (std::vector<std::string>{"Net One", "Net Two", "Net Three"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "Net Two");
        for (auto [radio, listEnabled] : {std::pair{IDC_SAVE_SELECTED, true}, {IDC_SAVE_NONE, false},
                                          {IDC_SAVE_SELECTED, true}, {IDC_SAVE_ALL, false}}) {
            Click(d, radio);
            EXPECT_EQ(Enabled(d, IDC_ISP), listEnabled) << "after " << radio;
        }
        const struct {
            const char* what;
            std::function<void()> change;
            ErrorCode code;
        } problems[] = {
            {"no file name", [] {}, 2073},
            {"Selected ISP with none chosen",
             [&] {
                 SetText(d, IDC_SAVE_FILE, file);
                 Click(d, IDC_SAVE_SELECTED);
                 Select(d, IDC_ISP, -1);
             },
             2071},
            {"no ISP option", [&] { CheckRadioButton(d, IDC_SAVE_ALL, IDC_SAVE_NONE, 0); }, 2072},
        };
        for (const auto& p : problems) {
            SCOPED_TRACE(p.what);
            testsupport::ClearRecordedErrors();
            seen.errorOwners.clear();
            p.change();
            Press(d, IDOK);
            EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{p.code});
            EXPECT_EQ(seen.errorOwners, std::vector<HWND>{d}) << "the box belongs to the Save dialog";
            EXPECT_TRUE(IsOpen(d));
        }
        Press(d, IDCANCEL);
    });
    for (const auto& entry : std::filesystem::directory_iterator(Dir()))
        EXPECT_NE(entry.path().extension(), ".txt") << "Cancel writes nothing";
}

TEST_F(UsageDialogTest, OkWritesTheChosenReports)
{
    const std::filesystem::path file = Dir() / "report.txt";
    testsupport::WriteFileBytes(file, "old text\r\n");
    Save([&](HWND d) {
        Click(d, IDC_SAVE_SELECTED);
        SelectText(d, IDC_ISP, "Net Three");
        Click(d, IDC_SAVE_APPEND);
        SetText(d, IDC_SAVE_FILE, file.string());
        Press(d, IDOK);
    });
    EXPECT_EQ(testsupport::ReadFileBytes(file), "old text\r\n" + Reports({2}, true));
}

TEST_F(UsageDialogTest, BrowseAsksTheSaveFileDialogAndFillsTheName)
{
    const std::string file = (Dir() / "browsed.txt").string();
    Save([&](HWND d) {
        HWND field = GetDlgItem(d, IDC_SAVE_FILE);
        SetWindowTextA(field, "typed.txt");
        Press(d, IDC_BROWSE);  // cancelled: the name stays, the focus comes back to it
        EXPECT_EQ(Text(field), "typed.txt");
        EXPECT_EQ(GetFocus(), field);
        EXPECT_EQ(lastBrowse.hwndOwner, d);
        EXPECT_TRUE(lastBrowse.Flags & OFN_OVERWRITEPROMPT) << "replacing a file asks first";
        Click(d, IDC_SAVE_APPEND);
        browseAnswer = file;
        Press(d, IDC_BROWSE);
        EXPECT_FALSE(lastBrowse.Flags & OFN_OVERWRITEPROMPT) << "appending does not";
        EXPECT_EQ(Text(field), file);
        DWORD from = 0, to = 0;
        SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(std::pair(from, to), std::pair(DWORD{0}, static_cast<DWORD>(file.size()))) << "selected";
        Press(d, IDOK);
    });
    EXPECT_EQ(testsupport::ReadFileBytes(file), Reports({0, 1, 2}, true));
}

TEST_F(UsageDialogTest, AnIspAddedSinceTheReportIsRefused)
{
    const std::filesystem::path file = Dir() / "new.txt";
    Then([&](HWND usage) {
        ProfileWrite(IniFilePath, "Global", "ActiveIDs", "1,2,3,4");
        ProfileWrite(IniFilePath, "ISP4", "Description", "Net Four");
        ProfileFlush(IniFilePath);
        Press(usage, IDC_USAGE_SAVE);
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{2070});
        EXPECT_TRUE(IsOpen(usage));
        Press(usage, IDOK);
    });
    Then([&](HWND save) {
        Click(save, IDC_SAVE_SELECTED);
        EXPECT_EQ(SelectText(save, IDC_ISP, "Net Four"), 3);
        SetText(save, IDC_SAVE_FILE, file.string());
        Press(save, IDOK);
    });
    ShowUsageReport(main, March());
    EXPECT_EQ(testsupport::ReadFileBytes(file), "") << "opened (emptied) but nothing written, the phone neither";
}

}  // namespace
