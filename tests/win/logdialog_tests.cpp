// The View, Delete and Crash Recovery dialogs driven inside their own modal
// loops over real files: what they open with, what they refuse, what OK
// and Cancel give.
#include "harness.h"
#include "platform/viewer.h"
#include "sessionlog/crash.h"
#include "sessionlog/deletelog.h"
#include "sessionlog/win32/logdialogs.h"

namespace {

using namespace harness;
using logmaint::End;
using logmaint::Start;
using testsupport::LocalInstant;
using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;

const int DateControls[] = {IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR};

std::vector<std::string> Dates(HWND d)
{
    std::vector<std::string> shown;
    for (int id : DateControls)
        shown.push_back(Text(d, id));
    return shown;
}

// Each start of the viewer: its program and the text of the file it got.
std::vector<std::string> launches;

class LogDialogTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        PinClock(LocalInstant(2024, 5, 15, 12));
        ConfirmDelete = BackupOnDelete = 1;
        launches.clear();
        SetViewerLauncher([](const char* viewer, const char* file) {
            launches.push_back(std::string(viewer) + " " + ReadFileBytes(file));
            return 0;
        });
        Settings("");
        logmaint::WriteLog(LogFilePath, log);
    }
    void Settings(const std::string& more)
    {
        WriteIni("[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nDescription=Demon Internet\r\n[ISP2]\r\nDescription=Zetnet\r\n" +
                 more);
    }
    // Last year one session per ISP, this year one left open.
    const std::vector<SessionRecord> log = {
        Start(1, LocalInstant(2023, 2, 1, 9)),   End(1, LocalInstant(2023, 2, 1, 10)),
        Start(2, LocalInstant(2023, 11, 5, 20)), End(2, LocalInstant(2023, 11, 5, 21)),
        Start(1, LocalInstant(2024, 5, 10, 8)),
    };
};

// ---- View

TEST_F(LogDialogTest, ViewOpensWithTheDefaultRangeRefusesBadChoicesAndGivesThePeriodOrStartsTheViewer)
{
    Settings("[WinViewLog]\r\nDefaultRange=1\r\n");
    Then([](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_PERIODONLY));
        EXPECT_EQ(Dates(d), (std::vector<std::string>{"1", "January", "2024", "31", "December", "2024"}));
        EXPECT_EQ(Items(d, IDC_STARTYEAR), (std::vector<std::string>{"2023", "2024", "2025"}));
        EXPECT_EQ(Items(d, IDC_ISP), (std::vector<std::string>{"Demon Internet", "Zetnet", "All isps"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "All isps");
        for (int radio : {IDC_WHOLELOG, IDC_PERIODONLY}) {
            Click(d, radio);
            for (int id : DateControls)
                EXPECT_EQ(Enabled(d, id), radio == IDC_PERIODONLY) << id;
        }
        Select(d, IDC_ISP, -1);
        Refused(d, 2080);
        SelectText(d, IDC_ISP, "Zetnet");
        SetText(d, IDC_ENDYEAR, "abc");  // a year not above 1900
        Refused(d, 1005);
        Select(d, IDC_STARTDAY, 1);  // 2 February 2023
        Select(d, IDC_STARTMONTH, 1);
        SetText(d, IDC_STARTYEAR, "2023");
        SetText(d, IDC_ENDYEAR, "2024");
        Press(d, IDOK);
    });
    ViewRequest request;
    ASSERT_EQ(RunViewDialog(nullptr, request), 0);
    EXPECT_EQ(std::tuple(request.from, request.to, request.ispId),
              std::tuple(LocalInstant(2023, 2, 2), LocalInstant(2025, 1, 1) - 1, 2));
    // The whole log by default: its radio chosen, the dates off; OK starts
    // the viewer on the listing, Cancel starts nothing.
    Settings("[WinViewLog]\r\nDefaultRange=0\r\n");
    Then([](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_WHOLELOG));
        EXPECT_FALSE(Enabled(d, IDC_ENDYEAR));
        SelectText(d, IDC_ISP, "Zetnet");
        Press(d, IDOK);
    });
    EXPECT_EQ(ViewRawLogEntries(nullptr), 0);
    Then([](HWND d) { Press(d, IDCANCEL); });
    EXPECT_EQ(ViewRawLogEntries(nullptr), -1);
    EXPECT_EQ(launches, std::vector<std::string>{"notepad.exe Zetnet\r\nStart : 5 November 2023, 20:00:00\r\n"
                                                 "End   : 5 November 2023, 21:00:00\r\n\r\n"});
}

// ---- Delete

TEST_F(LogDialogTest, DeleteProposesLastYearRefusesBadChoicesAndAsksBeforeDeleting)
{
    Then([](HWND d) {
        EXPECT_EQ(Dates(d), (std::vector<std::string>{"1", "January", "2023", "31", "December", "2023"}));
        SetText(d, IDC_ENDYEAR, "9999");
        Refused(d, 1005);
        Select(d, IDC_ISP, -1);
        Refused(d, 1013);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(RunDeleteDialog(nullptr), -1);
    const std::string before = ReadFileBytes(LogFilePath);
    for (int reply : {IDNO, IDYES}) {
        EXPECT_EQ(ReadFileBytes(LogFilePath), before);
        answer = reply;
        Then([](HWND d) { Press(d, IDOK); });
        EXPECT_EQ(RunDeleteDialog(nullptr), 0);
    }
    ASSERT_EQ(seen.questions.size(), 2u) << "asked on OK only";
    EXPECT_EQ(seen.questions[1].text,
              "Delete log entries for All isps for the period 1 January 2023 to 31 December 2023?");
    EXPECT_EQ(logmaint::ReadRecords(LogFilePath), std::vector<SessionRecord>{log[4]});
}

// ---- Crash Recovery

TEST_F(LogDialogTest, CrashRecoveryGivesTheChosenRemedyAndRefusesNone)
{
    // OK gives the remedy chosen, Cancel none whatever was chosen.
    const struct {
        int preselected, click, button, remedy;
    } cases[] = {{DO_NOTHING, IDC_CLOCKEND, IDOK, CLOCK_END_NOW},
                 {CLOCK_END_NOW, IDC_PRETEND, IDCANCEL, DO_NOTHING}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remedy);
        Then([&](HWND d) {
            for (int id : {IDC_CLOCKEND, IDC_PRETEND, IDC_DONOTHING})
                EXPECT_EQ(Checked(d, id), id == IDC_CLOCKEND + c.preselected) << "radio " << id;
            Click(d, c.click);
            Press(d, c.button);
        });
        EXPECT_EQ(RunCrashRecoveryDialog(nullptr, c.preselected), c.remedy);
    }
    // The crash check at start asks through this dialog and repairs the
    // log as it chose.
    Then([](HWND d) {
        CheckRadioButton(d, IDC_CLOCKEND, IDC_DONOTHING, 0);
        Refused(d, 2081);
        Click(d, IDC_PRETEND);
        Press(d, IDOK);
    });
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(logmaint::ReadRecords(LogFilePath), std::vector<SessionRecord>(log.begin(), log.begin() + 4));
}

}  // namespace
