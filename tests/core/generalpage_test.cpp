// The General and Recovery pages: what their check and store write.
#include "dialogs/dialogtable.h"
#include "dialogs/generalpage.h"
#include "sessionlog/recoverypage.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::RecordedCodes;

class GeneralPageTest : public testsupport::ProgramDirTest {
protected:
    // The store updates the deletion flags every part of the program reads.
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        saved = {ConfirmDelete, BackupOnDelete};
    }
    void TearDown() override
    {
        ConfirmDelete = saved.first, BackupOnDelete = saved.second;
        ProgramDirTest::TearDown();
    }
    std::pair<std::int32_t, std::int32_t> saved;
    void Settings(const std::string& body)
    {
        WriteIni(body);
        testsupport::ClearRecordedErrors();
    }
};

const char* const OLD_VIEW = "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=old.txt\r\nViewerPath=old.exe\r\n"
                             "DefaultRange=1\r\n";
const std::vector<const char*> VIEW_KEYS = {"UseTempName", "RawLogFileName", "ViewerPath", "DefaultRange"};

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
        GeneralForm form;
        form.confirmDelete = form.backupOnDelete = true;
        form.previousDefault = 1;
        form.tempFile = c.tempFile;
        form.rawLogFileName = c.fileName;
        form.defaultRange = c.range;
        form.viewerPath = c.viewer;
        EXPECT_EQ(c.error ? -1 : 0, GeneralPageFields(form, FIELDS_STORE)) << c.viewKeys;
        EXPECT_EQ(c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{}, RecordedCodes());
        // The earlier steps are written whatever follows.
        EXPECT_EQ("1|1", IniValues("Global", {"ConfirmDelete", "BackupOnDelete"}));
        EXPECT_EQ("1", IniValue("Windows", "PreviousDefault"));
        EXPECT_EQ(c.viewKeys, IniValues("WinViewLog", VIEW_KEYS));
    }
    // Leaving the page checks and stores nothing.
    Settings(OLD_VIEW);
    GeneralForm form;
    form.tempFile = NONE_CHECKED;
    EXPECT_EQ(0, GeneralPageFields(form, FIELDS_CHECK));
    EXPECT_EQ("<none>", IniValue("Windows", "PreviousDefault"));
    EXPECT_EQ("0|old.txt|old.exe|1", IniValues("WinViewLog", VIEW_KEYS));
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(GeneralPageTest, RecoveryPageStoresAllThreeKeys)
{
    const struct {
        bool check, prompt;
        int remedy;
        const char* keys;
    } cases[] = {{true, false, 0, "1|0|0"}, {false, true, 1, "0|1|1"}, {true, true, NONE_CHECKED, "1|1|2"}};
    for (const auto& c : cases) {
        Settings("");
        RecoveryForm form{c.check, c.prompt, c.remedy};
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_CHECK));
        EXPECT_EQ("<none>", IniValue("WinCrashRecovery", "DefaultRemedy"));
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_STORE));
        EXPECT_EQ(c.keys, IniValues("WinCrashRecovery", {"CheckForCrashes", "PromptUser", "DefaultRemedy"}));
    }
}

} // namespace
