#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialogtable.h"
#include "dialogs/generalpage.h"
#include "platform/profile.h"
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
        savedConfirm = ConfirmDelete;
        savedBackup = BackupOnDelete;
    }
    void TearDown() override
    {
        ConfirmDelete = savedConfirm;
        BackupOnDelete = savedBackup;
        ProgramDirTest::TearDown();
    }
    std::int32_t savedConfirm = 0, savedBackup = 0;
    void Settings(const std::string& body)
    {
        WriteIni(body);
        testsupport::ClearRecordedErrors();
    }
};

const char* const OLD_VIEW = "[WinViewLog]\r\nUseTempName=0\r\nRawLogFileName=old.txt\r\nViewerPath=old.exe\r\n"
                             "DefaultRange=1\r\n";

TEST_F(GeneralPageTest, StoreWritesEachStepAndStopsAtTheFirstProblem)
{
    struct Case {
        const char* name;
        int tempFile;
        const char* fileName;
        int range;
        const char* viewer;
        ErrorCode error;  // 0: stored
        const char* useTemp, *rawName, *viewerKey, *rangeKey;
    } cases[] = {
        {"temporary file", 0, "kept.txt", 0, "view.exe", 0, "1", "<none>", "view.exe", "0"},
        {"named file", 1, "C:\\raw.txt", 2, "", 0, "0", "C:\\raw.txt", "<none>", "2"},
        {"named file without a name", 1, "", 2, "view.exe", 2066, "0", "old.txt", "old.exe", "1"},
        {"no file option", NONE_CHECKED, "x", 2, "view.exe", 2067, "0", "old.txt", "old.exe", "1"},
        {"no range", 0, "", NONE_CHECKED, "view.exe", 2068, "0", "old.txt", "old.exe", "1"},
    };
    for (const Case& c : cases) {
        Settings(std::string("[Global]\r\nConfirmDelete=0\r\nBackupOnDelete=0\r\n[Windows]\r\nPreviousDefault=2\r\n") +
                 OLD_VIEW);
        GeneralForm form;
        form.confirmDelete = true;
        form.backupOnDelete = true;
        form.previousDefault = 1;
        form.tempFile = c.tempFile;
        form.rawLogFileName = c.fileName;
        form.defaultRange = c.range;
        form.viewerPath = c.viewer;
        EXPECT_EQ(c.error ? -1 : 0, GeneralPageFields(form, FIELDS_STORE)) << c.name;
        EXPECT_EQ(c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{}, RecordedCodes()) << c.name;
        // The earlier steps are written whatever follows.
        EXPECT_EQ("1", IniValue("Global", "ConfirmDelete")) << c.name;
        EXPECT_EQ("1", IniValue("Global", "BackupOnDelete")) << c.name;
        EXPECT_EQ("1", IniValue("Windows", "PreviousDefault")) << c.name;
        EXPECT_EQ(c.useTemp, IniValue("WinViewLog", "UseTempName")) << c.name;
        EXPECT_EQ(c.rawName, IniValue("WinViewLog", "RawLogFileName")) << c.name;
        EXPECT_EQ(c.viewerKey, IniValue("WinViewLog", "ViewerPath")) << c.name;
        EXPECT_EQ(c.rangeKey, IniValue("WinViewLog", "DefaultRange")) << c.name;
    }
}

TEST_F(GeneralPageTest, LeavingThePageStoresNothing)
{
    Settings(OLD_VIEW);
    GeneralForm form;
    form.tempFile = NONE_CHECKED;
    EXPECT_EQ(0, GeneralPageFields(form, FIELDS_CHECK));
    EXPECT_EQ("<none>", IniValue("Windows", "PreviousDefault"));
    EXPECT_EQ("old.txt", IniValue("WinViewLog", "RawLogFileName"));
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(GeneralPageTest, RecoveryPageStoresAllThreeKeys)
{
    struct Case {
        bool check, prompt;
        int remedy;
        const char* remedyKey;
    } cases[] = {
        {true, false, 0, "0"},
        {false, true, 1, "1"},
        {true, true, NONE_CHECKED, "2"},
    };
    for (const Case& c : cases) {
        Settings("");
        RecoveryForm form{c.check, c.prompt, c.remedy};
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_CHECK));
        EXPECT_EQ("<none>", IniValue("WinCrashRecovery", "DefaultRemedy"));
        EXPECT_EQ(0, RecoveryPageFields(form, FIELDS_STORE));
        EXPECT_EQ(c.check ? "1" : "0", IniValue("WinCrashRecovery", "CheckForCrashes"));
        EXPECT_EQ(c.prompt ? "1" : "0", IniValue("WinCrashRecovery", "PromptUser"));
        EXPECT_EQ(c.remedyKey, IniValue("WinCrashRecovery", "DefaultRemedy"));
    }
}

} // namespace
