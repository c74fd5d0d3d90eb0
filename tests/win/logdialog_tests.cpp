// The View, Delete and Crash Recovery dialogs from their templates, driven
// with messages inside their own modal loops, over real files in a
// temporary program folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "logmaint_support.h"
#include "modal_script.h"
#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/viewer.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32_seams.h"
#include "resource.h"
#include "startup/win32/frame.h"
#include "sessionlog/crash.h"
#include "sessionlog/deletelog.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using logmaint::End;
using logmaint::ReadRecords;
using logmaint::Start;
using logmaint::WriteLog;
using modal::Checked;
using modal::Click;
using modal::ComboItems;
using modal::ComboSelection;
using modal::IsOpen;
using modal::Press;
using modal::Select;
using testsupport::LocalInstant;
using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;

const std::vector<int> DateControls = {IDC_STARTGROUP,    IDC_STARTDAYLABEL, IDC_STARTDAY,      IDC_STARTMONTHLABEL,
                                       IDC_STARTMONTH,    IDC_STARTYEARLABEL, IDC_STARTYEAR,    IDC_ENDGROUP,
                                       IDC_ENDDAYLABEL,   IDC_ENDDAY,        IDC_ENDMONTHLABEL, IDC_END_MONTH,
                                       IDC_ENDYEARLABEL,  IDC_ENDYEAR};

const char* const IniWithTwoIsps =
    "[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nDescription=Demon Internet\r\n[ISP2]\r\nDescription=Zetnet\r\n";

// The question boxes the dialogs ask through the replaceable MessageBoxA.
struct Question {
    std::string text;
    std::string caption;
    UINT type;
};
std::vector<Question> questions;
int answer = IDYES;

int WINAPI ScriptedBox(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    questions.push_back({text ? text : "", caption ? caption : "", type});
    return answer;
}

struct Launch {
    std::string viewer;
    std::string file;
    std::string contents;  // as the viewer would have found it
};
std::vector<Launch> launches;

int RecordingLauncher(const char* viewerPath, const char* fileName)
{
    launches.push_back({viewerPath, fileName, ReadFileBytes(fileName)});
    return 0;
}

// Day, month and year as the three combo boxes show them.
struct DateShown {
    std::string day, month, year;
    std::vector<std::string> years;
    friend bool operator==(const DateShown&, const DateShown&) = default;
};

DateShown ShownDate(HWND dialog, int dayId, int monthId, int yearId)
{
    return {ComboSelection(dialog, dayId), ComboSelection(dialog, monthId), modal::Text(GetDlgItem(dialog, yearId)),
            ComboItems(dialog, yearId)};
}

void SetDate(HWND dialog, bool start, int day, int month, const char* year)
{
    Select(dialog, start ? IDC_STARTDAY : IDC_ENDDAY, day - 1);
    Select(dialog, start ? IDC_STARTMONTH : IDC_END_MONTH, month - 1);
    SetDlgItemTextA(dialog, start ? IDC_STARTYEAR : IDC_ENDYEAR, year);
}

int SelectIsp(HWND dialog, const std::string& text)
{
    return static_cast<int>(
        SendDlgItemMessageA(dialog, IDC_ISP, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(text.c_str())));
}

class LogDialogTest : public testsupport::ProgramDirTest {
protected:
    static void SetUpTestSuite()
    {
        ProgramInstance = GetModuleHandleA(nullptr);
        InitCommonControlsOnce();
    }

    void SetUp() override
    {
        ProgramDirTest::SetUp();
        PinClock(LocalInstant(2024, 5, 15, 12));
        ConfirmDelete = 1;
        BackupOnDelete = 1;
        questions.clear();
        answer = IDYES;
        launches.clear();
        Api.MessageBoxA = ScriptedBox;
        SetViewerLauncher(RecordingLauncher);
        WriteIni(IniWithTwoIsps);
    }

    void TearDown() override
    {
        ResetWin32Api();
        InstallWin32ViewerLauncher();
        InstallCrashRecoveryDialog();
        testsupport::ProgramDirTest::TearDown();
    }

    void WriteIni(const std::string& text)
    {
        testsupport::WriteFileBytes(File("tolvane.ini"), text);
        ProfileFlush(IniFilePath);
    }

    std::string Ini() { return ReadFileBytes(File("tolvane.ini")); }
};

// ---------------------------------------------------------------- View

class ViewDialogTest : public LogDialogTest {};

TEST_F(ViewDialogTest, PresetsFollowTheDefaultRange)
{
    struct Case {
        const char* setting;  // null: no key
        bool wholeLog;
        DateShown start, end;
    };
    const std::vector<std::string> years = {"2023", "2024", "2025"};
    const Case cases[] = {
        {nullptr, false, {"1", "May", "2024", years}, {"31", "May", "2024", years}},
        {"0", true, {"1", "May", "2024", years}, {"31", "May", "2024", years}},
        {"1", false, {"1", "January", "2024", years}, {"31", "December", "2024", years}},
        {"2", false, {"1", "May", "2024", years}, {"31", "May", "2024", years}},
        {"7", false, {"1", "May", "2024", years}, {"31", "May", "2024", years}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "(none)");
        std::string ini = IniWithTwoIsps;
        if (c.setting)
            ini += std::string("[WinViewLog]\r\nDefaultRange=") + c.setting + "\r\n";
        WriteIni(ini);
        modal::Script script([&](HWND d) {
            EXPECT_EQ(modal::Text(d), "View Raw Log Entries");
            EXPECT_EQ(Checked(d, IDC_WHOLELOG), c.wholeLog);
            EXPECT_EQ(Checked(d, IDC_PERIODONLY), !c.wholeLog);
            for (int id : DateControls)
                EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, id)) != 0, !c.wholeLog) << "control " << id;
            EXPECT_EQ(ShownDate(d, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR), c.start);
            EXPECT_EQ(ShownDate(d, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR), c.end);
            EXPECT_EQ(ComboItems(d, IDC_ISP), (std::vector<std::string>{"Demon Internet", "Zetnet", "All isps"}));
            EXPECT_EQ(ComboSelection(d, IDC_ISP), "All isps");
            EXPECT_EQ(ComboItems(d, IDC_STARTDAY).size(), 31u);
            EXPECT_EQ(ComboItems(d, IDC_END_MONTH).size(), 12u);
            Press(d, IDCANCEL);
        });
        ViewRequest request;
        EXPECT_EQ(RunViewDialog(nullptr, request), -1);
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.forced());
    }
}

TEST_F(ViewDialogTest, TheRadiosDisableAndEnableTheDateControls)
{
    modal::Script script([&](HWND d) {
        Click(d, IDC_WHOLELOG);
        EXPECT_TRUE(Checked(d, IDC_WHOLELOG));
        for (int id : DateControls)
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, id))) << "control " << id;
        Click(d, IDC_PERIODONLY);
        EXPECT_FALSE(Checked(d, IDC_WHOLELOG));
        for (int id : DateControls)
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, id))) << "control " << id;
        Press(d, IDCANCEL);
    });
    ViewRequest request;
    EXPECT_EQ(RunViewDialog(nullptr, request), -1);
    EXPECT_FALSE(script.forced());
}

TEST_F(ViewDialogTest, BadChoicesAreReportedAndTheDialogStaysOpen)
{
    struct Case {
        const char* name;
        std::function<void(HWND)> spoil;
        ErrorCode code;
        const char* text;
    };
    const Case cases[] = {
        {"no range chosen",
         [](HWND d) { CheckRadioButton(d, IDC_WHOLELOG, IDC_PERIODONLY, 0); },
         2065, "You need to specify whether you want the whole log displayed or only a specific portion of it."},
        {"start year 1900", [](HWND d) { SetDlgItemTextA(d, IDC_STARTYEAR, "1900"); }, 1005, "Invalid year: 1900."},
        {"end year not a number", [](HWND d) { SetDlgItemTextA(d, IDC_ENDYEAR, "abc"); }, 1005, "Invalid year: 0."},
        {"no ISP", [](HWND d) { Select(d, IDC_ISP, -1); }, 2080,
         "You need to select one of the items in the ISP to view box. Select \"All isps\" if you want to view the log "
         "entries for all the ISPs."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ClearRecordedErrors();
        modal::Script script([&](HWND d) {
            c.spoil(d);
            Press(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            Press(d, IDCANCEL);
        });
        ViewRequest request;
        EXPECT_EQ(RunViewDialog(nullptr, request), -1);
        EXPECT_FALSE(script.forced());
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{c.code});
        if (!testsupport::RecordedErrors().empty()) {
            EXPECT_NE(testsupport::RecordedErrors()[0].text.find(c.text), std::string::npos)
                << testsupport::RecordedErrors()[0].text;
        }
    }
}

TEST_F(ViewDialogTest, OkGivesThePeriodFromMidnightToTheLastSecondAndTheIsp)
{
    struct Case {
        const char* name;
        std::function<void(HWND)> choose;
        std::int64_t from, to;
        std::int32_t isp;
    };
    const Case cases[] = {
        {"March for Zetnet",
         [](HWND d) {
             SetDate(d, true, 1, 3, "2024");
             SetDate(d, false, 31, 3, "2024");
             SelectIsp(d, "Zetnet");
         },
         LocalInstant(2024, 3, 1), LocalInstant(2024, 4, 1) - 1, 2},
        {"a 31st of February ends with February",
         [](HWND d) {
             SetDate(d, true, 2, 2, "2023");
             SetDate(d, false, 31, 2, "2024");
         },
         LocalInstant(2023, 2, 2), LocalInstant(2024, 3, 1) - 1, 0},
        {"the whole log up to now",
         [](HWND d) {
             Click(d, IDC_WHOLELOG);
             SelectIsp(d, "Demon Internet");
         },
         0, LocalInstant(2024, 5, 15, 12), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modal::Script script([&](HWND d) {
            c.choose(d);
            Press(d, IDOK);
            EXPECT_FALSE(IsOpen(d));
        });
        ViewRequest request;
        ASSERT_EQ(RunViewDialog(nullptr, request), 0);
        EXPECT_FALSE(script.forced());
        EXPECT_EQ(request.from, c.from);
        EXPECT_EQ(request.to, c.to);
        EXPECT_EQ(request.ispId, c.isp);
        EXPECT_TRUE(RecordedCodes().empty());
    }
}

class ViewRawLogTest : public LogDialogTest {
protected:
    void SetUp() override
    {
        LogDialogTest::SetUp();
        WriteLog(File("tolvane.log"), {Start(1, LocalInstant(2024, 3, 3, 10)), End(1, LocalInstant(2024, 3, 3, 11, 30, 15)),
                                       Start(2, LocalInstant(2024, 4, 20, 21, 5)), End(2, LocalInstant(2024, 4, 21, 0, 2, 3)),
                                       Start(1, LocalInstant(2024, 5, 10, 8))});
    }
};

TEST_F(ViewRawLogTest, ListsThePeriodIntoTheFixedFileAndStartsTheViewer)
{
    const std::string raw = (Dir() / "raw log.txt").string();
    WriteIni(std::string(IniWithTwoIsps) + "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=" + raw +
             "\r\nViewerPath=C:\\Tools\\view.exe\r\n");
    const std::string iniBefore = Ini();
    modal::Script script([&](HWND d) {
        SetDate(d, true, 1, 4, "2024");
        SetDate(d, false, 31, 5, "2024");
        Press(d, IDOK);
    });
    EXPECT_EQ(ViewRawLogEntries(nullptr), 0);
    EXPECT_FALSE(script.forced());
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].viewer, "C:\\Tools\\view.exe");
    EXPECT_EQ(launches[0].file, raw);
    const std::string expected = "Zetnet\r\nStart : 20 April 2024, 21:05:00\r\nEnd   : 21 April 2024, 00:02:03\r\n\r\n"
                                 "Demon Internet\r\nStart : 10 May 2024, 08:00:00\r\nEnd   : still online\r\n\r\n";
    EXPECT_EQ(launches[0].contents, expected);
    EXPECT_EQ(ReadFileBytes(raw), expected) << "a fixed file stays";
    EXPECT_TRUE(RegisteredTempFiles().empty());
    EXPECT_EQ(Ini(), iniBefore) << "the dialog changes no setting";
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(ViewRawLogTest, WholeLogForOneIspGoesToATemporaryFileInNotepad)
{
    modal::Script script([&](HWND d) {
        Click(d, IDC_WHOLELOG);
        SelectIsp(d, "Demon Internet");
        Press(d, IDOK);
    });
    EXPECT_EQ(ViewRawLogEntries(nullptr), 0);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].viewer, "notepad.exe");
    EXPECT_EQ(launches[0].contents,
              "Demon Internet\r\nStart : 3 March 2024, 10:00:00\r\nEnd   : 3 March 2024, 11:30:15\r\n\r\n"
              "Demon Internet\r\nStart : 10 May 2024, 08:00:00\r\nEnd   : still online\r\n\r\n");
    const std::string name = std::filesystem::path(launches[0].file).filename().string();
    EXPECT_EQ(name.size(), 8u);
    EXPECT_EQ(name.substr(0, 2), "rl");
    ASSERT_EQ(RegisteredTempFiles().size(), 1u);
    EXPECT_EQ(RegisteredTempFiles()[0], launches[0].file);
    DeleteRegisteredTempFiles();
    EXPECT_FALSE(std::filesystem::exists(launches[0].file));
}

TEST_F(ViewRawLogTest, CancelWritesNothingAndStartsNothing)
{
    const std::string raw = (Dir() / "raw.txt").string();
    WriteIni(std::string(IniWithTwoIsps) + "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=" + raw + "\r\n");
    modal::Script script([&](HWND d) { Press(d, IDCANCEL); });
    EXPECT_EQ(ViewRawLogEntries(nullptr), -1);
    EXPECT_TRUE(launches.empty());
    EXPECT_FALSE(std::filesystem::exists(raw));
}

// ---------------------------------------------------------------- Delete

class DeleteDialogTest : public LogDialogTest {
protected:
    void SetUp() override
    {
        LogDialogTest::SetUp();
        WriteLog(File("tolvane.log"), log);
        before = ReadFileBytes(File("tolvane.log"));
    }
    // Two sessions last year (one per ISP) and one this year.
    const std::vector<SessionRecord> log = {
        Start(1, LocalInstant(2023, 2, 1, 9)),  End(1, LocalInstant(2023, 2, 1, 10)),
        Start(2, LocalInstant(2023, 11, 5, 20)), End(2, LocalInstant(2023, 11, 5, 21)),
        Start(1, LocalInstant(2024, 1, 7, 9)),  End(1, LocalInstant(2024, 1, 7, 9, 45)),
    };
    std::string before;
};

TEST_F(DeleteDialogTest, ProposesLastYearForAllIsps)
{
    modal::Script script([&](HWND d) {
        EXPECT_EQ(modal::Text(d), "Delete Log Entries");
        const std::vector<std::string> years = {"2022", "2023", "2024"};
        EXPECT_EQ(ShownDate(d, IDC_STARTDAY, IDC_STARTMONTH, IDC_STARTYEAR), (DateShown{"1", "January", "2023", years}));
        EXPECT_EQ(ShownDate(d, IDC_ENDDAY, IDC_END_MONTH, IDC_ENDYEAR), (DateShown{"31", "December", "2023", years}));
        EXPECT_EQ(ComboItems(d, IDC_ISP), (std::vector<std::string>{"Demon Internet", "Zetnet", "All isps"}));
        EXPECT_EQ(ComboSelection(d, IDC_ISP), "All isps");
        // Four characters at most may be typed into the year.
        HWND yearEdit = GetWindow(GetDlgItem(d, IDC_STARTYEAR), GW_CHILD);
        EXPECT_EQ(SendMessageA(yearEdit, EM_GETLIMITTEXT, 0, 0), 4);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(RunDeleteDialog(nullptr), -1);
    EXPECT_FALSE(script.forced());
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), before);
}

TEST_F(DeleteDialogTest, BadChoicesAreReportedAndTheDialogStaysOpen)
{
    struct Case {
        const char* name;
        std::function<void(HWND)> spoil;
        ErrorCode code;
    };
    const Case cases[] = {
        {"start year 0", [](HWND d) { SetDlgItemTextA(d, IDC_STARTYEAR, "0"); }, 1005},
        {"end year 1900", [](HWND d) { SetDlgItemTextA(d, IDC_ENDYEAR, "1900"); }, 1005},
        // Past what the runtime's calendar reaches: no period rather than a wrong one.
        {"end year 9999", [](HWND d) { SetDlgItemTextA(d, IDC_ENDYEAR, "9999"); }, 1005},
        {"no ISP", [](HWND d) { Select(d, IDC_ISP, -1); }, 1013},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ClearRecordedErrors();
        modal::Script script([&](HWND d) {
            c.spoil(d);
            Press(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            Press(d, IDCANCEL);
        });
        EXPECT_EQ(RunDeleteDialog(nullptr), -1);
        EXPECT_FALSE(script.forced());
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{c.code});
        EXPECT_TRUE(questions.empty());
        EXPECT_EQ(ReadFileBytes(File("tolvane.log")), before);
    }
}

TEST_F(DeleteDialogTest, YesDeletesThePeriodAndKeepsTheOldLogAsBackup)
{
    modal::Script script([&](HWND d) { Press(d, IDOK); });
    EXPECT_EQ(RunDeleteDialog(nullptr), 0);
    EXPECT_FALSE(script.forced());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].caption, "Confirm Deletion");
    EXPECT_EQ(questions[0].text, "Delete log entries for All isps for the period 1 January 2023 to 31 December 2023?");
    EXPECT_EQ(questions[0].type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), logmaint::LogBytes({log[4], log[5]}));
    EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), before);
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(DeleteDialogTest, NoClosesTheDialogAndLeavesTheLogAlone)
{
    answer = IDNO;
    modal::Script script([&](HWND d) {
        Press(d, IDOK);
        EXPECT_FALSE(IsOpen(d));
    });
    EXPECT_EQ(RunDeleteDialog(nullptr), 0);
    EXPECT_FALSE(script.forced());
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), before);
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.bak")));
}

TEST_F(DeleteDialogTest, OneIspWithoutConfirmationOrBackup)
{
    ConfirmDelete = 0;
    BackupOnDelete = 0;
    modal::Script script([&](HWND d) { SelectIsp(d, "Zetnet"); Press(d, IDOK); });
    EXPECT_EQ(RunDeleteDialog(nullptr), 0);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(ReadRecords(File("tolvane.log")), (std::vector<SessionRecord>{log[0], log[1], log[4], log[5]}));
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.bak")));
}

TEST_F(DeleteDialogTest, AChosenMonthCutsTheSessionsThatCrossItsEnds)
{
    // 31 February means the last day of February: March keeps its hour.
    WriteLog(File("tolvane.log"), {Start(1, LocalInstant(2023, 1, 31, 23)), End(1, LocalInstant(2023, 2, 1, 1)),
                                   Start(2, LocalInstant(2023, 2, 28, 23)), End(2, LocalInstant(2023, 3, 1, 1))});
    modal::Script script([&](HWND d) {
        SetDate(d, true, 1, 2, "2023");
        SetDate(d, false, 31, 2, "2023");
        SelectIsp(d, "All isps");
        Press(d, IDOK);
    });
    EXPECT_EQ(RunDeleteDialog(nullptr), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "Delete log entries for All isps for the period 1 February 2023 to 28 February 2023?");
    EXPECT_EQ(ReadRecords(File("tolvane.log")),
              (std::vector<SessionRecord>{Start(1, LocalInstant(2023, 1, 31, 23)), End(1, LocalInstant(2023, 2, 1)),
                                          Start(2, LocalInstant(2023, 3, 1) - 1), End(2, LocalInstant(2023, 3, 1, 1))}));
}

// ---------------------------------------------------------------- Crash

class CrashDialogTest : public LogDialogTest {
protected:
    void SetUp() override
    {
        LogDialogTest::SetUp();
        InstallCrashRecoveryDialog();
        WriteLog(File("tolvane.log"), log);
    }
    const std::vector<SessionRecord> log = {Start(1, LocalInstant(2024, 5, 1, 10)), End(1, LocalInstant(2024, 5, 1, 11)),
                                            Start(2, LocalInstant(2024, 5, 14, 22))};
};

TEST_F(CrashDialogTest, EachChoiceGivesItsRemedy)
{
    struct Case {
        const char* name;
        int click;  // 0: leave the preselection
        int button;
        std::vector<SessionRecord> after;
    };
    const SessionRecord endNow = MakeSessionRecord(2, SESSION_END, 1, LocalInstant(2024, 5, 15, 12));
    const Case cases[] = {
        {"clock the end now", IDC_CLOCKEND, IDOK, {log[0], log[1], log[2], endNow}},
        {"pretend it never occurred", IDC_PRETEND, IDOK, {log[0], log[1]}},
        {"do nothing", IDC_DONOTHING, IDOK, log},
        {"the preselection", 0, IDOK, log},
        {"cancel", IDC_CLOCKEND, IDCANCEL, log},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLog(File("tolvane.log"), log);
        const std::string iniBefore = Ini();
        modal::Script script([&](HWND d) {
            EXPECT_EQ(modal::Text(d), "Tolvane Windows Crash Recovery");
            EXPECT_TRUE(Checked(d, IDC_DONOTHING)) << "no DefaultRemedy: do nothing";
            if (c.click)
                Click(d, c.click);
            Press(d, c.button);
            EXPECT_FALSE(IsOpen(d));
        });
        EXPECT_EQ(RecoverFromCrash(nullptr), 0);
        EXPECT_TRUE(script.ran());
        EXPECT_FALSE(script.forced());
        EXPECT_EQ(ReadRecords(File("tolvane.log")), c.after);
        EXPECT_EQ(Ini(), iniBefore) << "the dialog changes no setting";
        EXPECT_TRUE(RecordedCodes().empty());
    }
}

TEST_F(CrashDialogTest, PreselectsTheConfiguredRemedy)
{
    for (const char* remedy : {"0", "1", "2", "9"}) {
        SCOPED_TRACE(remedy);
        WriteIni(std::string("[WinCrashRecovery]\r\nDefaultRemedy=") + remedy + "\r\n");
        const int expected = remedy[0] == '9' ? IDC_DONOTHING : IDC_CLOCKEND + (remedy[0] - '0');
        modal::Script script([&](HWND d) {
            for (int id : {IDC_CLOCKEND, IDC_PRETEND, IDC_DONOTHING})
                EXPECT_EQ(Checked(d, id), id == expected) << "radio " << id;
            Press(d, IDCANCEL);
        });
        EXPECT_EQ(RecoverFromCrash(nullptr), 0);
        EXPECT_TRUE(script.ran());
        EXPECT_EQ(ReadRecords(File("tolvane.log")), log);
    }
}

TEST_F(CrashDialogTest, OkWithNoChoiceIsReportedAndTheDialogStaysOpen)
{
    modal::Script script([&](HWND d) {
        CheckRadioButton(d, IDC_CLOCKEND, IDC_DONOTHING, 0);
        Press(d, IDOK);
        EXPECT_TRUE(IsOpen(d));
        EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{2081});
        Click(d, IDC_PRETEND);
        Press(d, IDOK);
    });
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_FALSE(script.forced());
    EXPECT_EQ(ReadRecords(File("tolvane.log")), (std::vector<SessionRecord>{log[0], log[1]}));
}

TEST_F(CrashDialogTest, TheDialogIsOwnedByTheWindowGiven)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ProgramInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    HWND seenOwner = nullptr;
    modal::Script script([&](HWND d) {
        seenOwner = GetWindow(d, GW_OWNER);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(RunCrashRecoveryDialog(owner, PRETEND_NEVER_OCCURRED), DO_NOTHING);
    EXPECT_EQ(seenOwner, owner);
    DestroyWindow(owner);
}


// ---------------------------------------------------------------- Help

std::vector<std::pair<UINT, ULONG_PTR>> helpCalls;

BOOL WINAPI RecordingHelp(HWND, LPCSTR, UINT command, ULONG_PTR data)
{
    helpCalls.push_back({command, data});
    return TRUE;
}

TEST_F(LogDialogTest, TheHelpButtonOpensEachDialogsTopicAndLeavesItOpen)
{
    testsupport::WriteFileBytes(HelpFilePath, "help");
    Api.WinHelpA = RecordingHelp;
    struct Case {
        const char* name;
        std::function<void()> run;
        ULONG_PTR topic;
    };
    const Case cases[] = {
        {"view", [] { ViewRequest r; RunViewDialog(nullptr, r); }, 622},
        {"delete", [] { RunDeleteDialog(nullptr); }, 624},
        {"crash", [] { RunCrashRecoveryDialog(nullptr, DO_NOTHING); }, 628},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        helpCalls.clear();
        modal::Script script([&](HWND d) {
            Press(d, IDC_HELPBUTTON);
            EXPECT_TRUE(IsOpen(d));
            Press(d, IDCANCEL);
        });
        c.run();
        EXPECT_FALSE(script.forced());
        EXPECT_EQ(helpCalls, (std::vector<std::pair<UINT, ULONG_PTR>>{{HELP_CONTEXT, c.topic}}));
    }
}

}  // namespace
