// Dialogs and pages: routing commands and property-sheet notifications
// through dialog tables; what the General, Recovery and Print pages' check
// and store write, and the printer settings as read; what the usage
// dialog's texts and chooser do with odd records (the window tests show the
// ordinary ones), and the checks of the Save Usage Report form.
#include <cstdio>
#include <tuple>

#include "charging/printersettings.h"
#include "charging/usageview.h"
#include "core/charging_support.h"
#include "dialogs/dialogtable.h"
#include "dialogs/generalpage.h"
#include "resource.h"
#include "sessionlog/recoverypage.h"
#include "startup/locations.h"
#include "support.h"

namespace {

void Full(WindowHandle, int, WindowHandle, int) {}
void Simple(WindowHandle) {}

const CommandRow rows[] = {
    Row(500, 0, Full),    // every notification
    Row(501, 1, Full),    // code 0 only
    Row(502, 2, Simple),  // every notification, window only
    Row(503, 3, Simple),  // code 0 only, window only
    Swallow(1, 0),        // Enter does nothing
    Row(503, 0, Full),    // never reached: the first row wins
};

TEST(DialogRouting, RowsKindsAndDefaults)
{
    const DialogTable table{nullptr, 6, rows, nullptr, 1, IDC_HELPBUTTON, 612};
    const DialogTable empty{nullptr, 0, nullptr, nullptr, 0, 0, 0};
    // The table, the command, its route and the row of the handler that runs.
    const struct { const DialogTable& table; int id, code; CommandRoute route; int row; } cases[] = {
        {table, 500, 0, CommandRoute::CallHandler, 0},  {table, 500, 5, CommandRoute::CallHandler, 0},
        {table, 501, 0, CommandRoute::CallHandler, 1},  {table, 502, 3, CommandRoute::CallHandler, 2},
        {table, 503, 0, CommandRoute::CallHandler, 3},  {table, 503, 768, CommandRoute::Ignore, -1},
        {table, 1, 0, CommandRoute::Ignore, -1},  // a swallowed OK keeps the dialog open
        {table, 2, 0, CommandRoute::EndCancel, -1}, {table, 2, 1, CommandRoute::Ignore, -1},
        {table, 1100, 0, CommandRoute::HelpButton, -1}, {table, 999, 0, CommandRoute::Ignore, -1},
        {empty, 1, 0, CommandRoute::EndOk, -1}, {empty, 1100, 0, CommandRoute::Ignore, -1},  // no Help button
    };
    for (const auto& c : cases) {
        const CommandRow* row = nullptr;
        EXPECT_EQ(c.route, RouteCommand(c.table, c.id, c.code, &row)) << c.id << "/" << c.code;
        EXPECT_EQ(c.row >= 0 ? &rows[c.row] : nullptr, row) << c.id << "/" << c.code;
    }
}

TEST(PageRouting, EachNotificationAndItsAnswer)
{
    // The answer when the page's fields pass and when they fail: sets a result, the result, returns TRUE.
    using Answer = std::tuple<bool, int, bool>;
    const Answer none{false, 0, false};
    const struct { int code; bool loaded; PageRoute route; Answer passed, failed; } cases[] = {
        {PAGE_SETACTIVE, true, PageRoute::Accept, {true, 0, true}, {true, 0, true}},
        {PAGE_SETACTIVE, false, PageRoute::Refuse, {true, -1, true}, {true, -1, true}},
        {PAGE_KILLACTIVE, true, PageRoute::Check, {true, 0, true}, {true, 1, true}},  // 1 stays on the page
        {PAGE_APPLY, true, PageRoute::Store, {true, PAGE_APPLY_NOERROR, true},
         {true, PAGE_APPLY_INVALID_NOCHANGEPAGE, true}},
        {PAGE_HELP, true, PageRoute::Help, none, none},
        {PAGE_QUERYCANCEL, true, PageRoute::QueryCancel, {false, 0, true}, {false, 0, true}},
        {-100, true, PageRoute::Other, none, none},  // a list view's notification
    };
    for (const auto& c : cases) {
        const PageRoute route = RoutePageNotification(c.code, c.loaded);
        EXPECT_EQ(c.route, route) << c.code << " loaded " << c.loaded;
        for (bool failed : {false, true}) {
            const PageAnswer a = AnswerPage(route, failed);
            EXPECT_EQ(failed ? c.failed : c.passed, Answer(a.setsResult, a.result, a.returns)) << c.code << failed;
        }
    }
}

using testsupport::RecordedCodes;

using GeneralPageTest = testsupport::ProgramDirTest;

const char* const OLD_VIEW = "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=old.txt\r\nViewerPath=old.exe\r\n"
                             "DefaultRange=1\r\n";
const std::vector<const char*> VIEW_KEYS = {"UseTempName", "RawLogFileName", "ViewerPath", "DefaultRange"};

// The deletion settings and PreviousDefault are written whatever follows;
// the view settings only when all of them are answered.
TEST_F(GeneralPageTest, StoreWritesEachStepAndStopsAtTheFirstProblem)
{
    // The view settings answered, the error reported (0: stored) and the view keys afterwards.
    const struct { int tempFile; const char* fileName; int range; const char* viewer; ErrorCode error;
                   const char* viewKeys; } cases[] = {
        {0, "kept.txt", 0, "view.exe", 0, "1|<none>|view.exe|0"},
        {1, "C:\\raw.txt", 2, "", 0, "0|C:\\raw.txt|<none>|2"},
        {1, "", 2, "view.exe", 2066, "0|old.txt|old.exe|1"},  // a named file without a name
        {NONE_CHECKED, "x", 2, "view.exe", 2067, "0|old.txt|old.exe|1"},
        {0, "", NONE_CHECKED, "view.exe", 2068, "0|old.txt|old.exe|1"},
    };
    for (const auto& c : cases) {
        WriteIni(std::string("[Global]\r\nConfirmDelete=1\r\nBackupOnDelete=0\r\n[Windows]\r\nPreviousDefault=2\r\n") +
                 OLD_VIEW);
        testsupport::ClearRecordedErrors();
        const GeneralForm form{false, true, 1, c.viewer, c.tempFile, c.fileName, c.range};
        EXPECT_EQ(c.error ? -1 : 0, GeneralPageFields(form, FIELDS_STORE)) << c.viewKeys;
        EXPECT_EQ(c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{}, RecordedCodes());
        EXPECT_EQ("0|1|1", IniValues("Global", {"ConfirmDelete", "BackupOnDelete"}) + "|" +
                               IniValue("Windows", "PreviousDefault"));
        EXPECT_EQ(c.viewKeys, IniValues("WinViewLog", VIEW_KEYS));
    }
    // Leaving the page checks and stores nothing.
    WriteIni(OLD_VIEW);
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(0, GeneralPageFields({true, true, 1, "", NONE_CHECKED, "", 2}, FIELDS_CHECK));
    EXPECT_EQ("<none>|0|old.txt|old.exe|1", IniValue("Windows", "PreviousDefault") + "|" +
                                                 IniValues("WinViewLog", VIEW_KEYS));
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(GeneralPageTest, RecoveryPageStoresAllThreeKeys)
{
    const std::pair<RecoveryForm, const char*> cases[] = {
        {{true, false, 0}, "1|0|0"}, {{false, true, 1}, "0|1|1"}, {{true, true, NONE_CHECKED}, "1|1|2"}};
    for (const auto& [form, keys] : cases) {
        WriteIni("");
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_CHECK));
        EXPECT_EQ("<none>", IniValue("WinCrashRecovery", "DefaultRemedy"));
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_STORE));
        EXPECT_EQ(keys, IniValues("WinCrashRecovery", {"CheckForCrashes", "PromptUser", "DefaultRemedy"}));
    }
}

using PrinterSettingsTest = testsupport::ProgramDirTest;

// Negative and unreadable numbers take the defaults, text reads as 0.
TEST_F(PrinterSettingsTest, ReadRules)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "'' 12 1.00 1.00 1.00 1.00 1 0"},
        {"FontFaceName=Arial\r\nFontPointSize=10\r\nLeftMargin=0.5\r\nTopMargin=2\r\nBottomMargin=0\r\n"
         "PrintPhone=0\r\nSeparatePage=1\r\n",
         "'Arial' 10 0.50 1.00 2.00 0.00 0 1"},
        {"FontPointSize=-3\r\nLeftMargin=-1\r\nBottomMargin=1e999\r\nPrintPhone=2\r\nSeparatePage=5\r\n",
         "'' 12 1.00 1.00 1.00 1.00 1 0"},
        {"FontPointSize=abc\r\nLeftMargin=x\r\n", "'' 0 0.00 1.00 1.00 1.00 1 0"},
    };
    for (const auto& [body, expected] : cases) {
        WriteIni(std::string("[Printer]\r\n") + body);
        PrinterSettings s;
        EXPECT_EQ(0, LoadPrinterSettings(s));
        char text[200];
        std::snprintf(text, sizeof text, "'%s' %d %.2f %.2f %.2f %.2f %d %d", s.faceName.c_str(), s.pointSize,
                      s.leftMargin, s.rightMargin, s.topMargin, s.bottomMargin, s.printPhone, s.separatePage);
        EXPECT_EQ(expected, std::string(text)) << body;
    }
}

TEST_F(PrinterSettingsTest, CheckingRefusesNegativeNumbersAndStoringReplacesThem)
{
    WriteIni("[Printer]\r\nFontFaceName=Courier\r\n");
    PrintForm form{"", "-1", "0", "", "2.5", "-1", false, true};  // left, right, top, bottom
    EXPECT_EQ(-1, PrintPageFields(form, FIELDS_CHECK));
    form.pointSize = "0";
    EXPECT_EQ(-1, PrintPageFields(form, FIELDS_CHECK));
    EXPECT_EQ((std::vector<ErrorCode>{1023, 1024}), RecordedCodes());
    EXPECT_EQ("Courier", IniValue("Printer", "FontFaceName"));  // checking stores nothing

    form.pointSize = "-4";
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(0, PrintPageFields(form, FIELDS_STORE));
    EXPECT_TRUE(RecordedCodes().empty());
    EXPECT_EQ("<none>|12|0.000000|1.000000|2.500000|1.000000|0|1",
              IniValues("Printer", {"FontFaceName", "FontPointSize", "LeftMargin", "RightMargin", "TopMargin",
                                    "BottomMargin", "PrintPhone", "SeparatePage"}));
}

TEST(UsageView, OddRecordsAndChooserItems)
{
    TariffRecord r = chargingtest::ReportedTariff();
    r.NumFrames = 4;  // one more than every array holds
    r.Remainder = -0.0;
    r.LastSessionTime = -3725;
    const UsageView v = FormatUsageView(r);
    ASSERT_EQ(v.rows.size(), 4u);
    EXPECT_EQ(v.rows[3].frame + "|" + v.rows[3].time + "|" + v.rows[3].cost, "|00:00:00|0.00");
    EXPECT_EQ(v.remainderCostLabel + " " + v.remainderCost + (v.excess ? " excess" : ""), "Remainder (cost) 0.00");
    EXPECT_EQ(v.lastSession, "01:02:05");
    EXPECT_EQ(FormatAmount(1e300).size(), 304u);  // no tariff gives this, but a file could

    // Chooser items out of range, and a table without ISPs.
    TariffTable table{std::vector<TariffRecord>(2), TariffRecord{}};
    EXPECT_EQ(UsageChooserRecord(table, 2), &table.Isps[1]);
    EXPECT_EQ(UsageChooserRecord(table, 3), nullptr);
    EXPECT_EQ(UsageChooserRecord(table, -1), nullptr);  // LB_ERR: nothing selected
    table.Isps.clear();
    EXPECT_EQ(UsageChooserFirstItem(table), 0);
    EXPECT_EQ(UsageChooserRecord(table, 0), &table.Phone);
}

TEST(SaveReportForm, ChecksInOrderAndFillsTheChoice)
{
    const struct { SaveIspOption option; bool selected; const char* file; int result; } cases[] = {
        {SaveIspOption::All, false, "r.txt", 0},       {SaveIspOption::Selected, true, "r.txt", 0},
        {SaveIspOption::None, false, "r.txt", 0},      {SaveIspOption::Selected, false, "", 2071},
        {SaveIspOption::Unchosen, true, "", 2072},     {SaveIspOption::All, false, "", 2073},
    };
    for (const auto& c : cases) {
        const bool phone = c.option != SaveIspOption::All;
        UsageReportChoice choice{false, {99}, false};  // left alone on failure
        ASSERT_EQ(CheckSaveReportForm({c.option, c.selected, 7, phone, c.file}, choice), c.result);
        const bool ok = c.result == 0;
        EXPECT_EQ(choice.allIsps, ok && c.option == SaveIspOption::All);
        EXPECT_EQ(choice.ispIds, ok ? std::vector<std::int32_t>(c.option == SaveIspOption::Selected, 7)
                                    : std::vector<std::int32_t>{99});
        EXPECT_EQ(choice.includePhone, ok && phone);
    }
}

} // namespace
