// The General, Recovery and Print pages: what their check and store write,
// and the printer settings as read.
#include <cstdio>

#include "charging/printersettings.h"
#include "dialogs/dialogtable.h"
#include "dialogs/generalpage.h"
#include "sessionlog/recoverypage.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::RecordedCodes;

class GeneralPageTest : public testsupport::ProgramDirTest {
protected:
    void Settings(const std::string& body)
    {
        WriteIni(body);
        testsupport::ClearRecordedErrors();
    }
};

const char* const OLD_VIEW = "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=old.txt\r\nViewerPath=old.exe\r\n"
                             "DefaultRange=1\r\n";
const std::vector<const char*> VIEW_KEYS = {"UseTempName", "RawLogFileName", "ViewerPath", "DefaultRange"};

// The deletion settings and PreviousDefault are written whatever follows;
// the view settings only when all of them are answered.
TEST_F(GeneralPageTest, StoreWritesEachStepAndStopsAtTheFirstProblem)
{
    const struct {
        int tempFile;
        const char* fileName;
        int range;
        const char* viewer;
        ErrorCode error;  // 0: stored
        const char* viewKeys;
    } cases[] = {
        {0, "kept.txt", 0, "view.exe", 0, "1|<none>|view.exe|0"},
        {1, "C:\\raw.txt", 2, "", 0, "0|C:\\raw.txt|<none>|2"},
        {1, "", 2, "view.exe", 2066, "0|old.txt|old.exe|1"},  // a named file without a name
        {NONE_CHECKED, "x", 2, "view.exe", 2067, "0|old.txt|old.exe|1"},
        {0, "", NONE_CHECKED, "view.exe", 2068, "0|old.txt|old.exe|1"},
    };
    for (const auto& c : cases) {
        Settings(std::string("[Global]\r\nConfirmDelete=0\r\nBackupOnDelete=0\r\n[Windows]\r\nPreviousDefault=2\r\n") +
                 OLD_VIEW);
        const GeneralForm form{true, true, 1, c.viewer, c.tempFile, c.fileName, c.range};
        EXPECT_EQ(c.error ? -1 : 0, GeneralPageFields(form, FIELDS_STORE)) << c.viewKeys;
        EXPECT_EQ(c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{}, RecordedCodes());
        EXPECT_EQ("1|1|1", IniValues("Global", {"ConfirmDelete", "BackupOnDelete"}) + "|" +
                               IniValue("Windows", "PreviousDefault"));
        EXPECT_EQ(c.viewKeys, IniValues("WinViewLog", VIEW_KEYS));
    }
    // Leaving the page checks and stores nothing.
    Settings(OLD_VIEW);
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
        Settings("");
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

} // namespace
