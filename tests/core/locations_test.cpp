// Where the program keeps its files, and the [Global] deletion settings.
#include <algorithm>
#include <cstring>

#include "startup/locations.h"
#include "support.h"

namespace {

std::string Sep(std::string s)
{
    std::replace(s.begin(), s.end(), '|', PathSeparator);
    return s;
}

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded)
{
    EXPECT_EQ(Sep("C:\\dir|tolvane.ini"), JoinPath("C:\\dir", "tolvane.ini"));
    EXPECT_EQ("/srv/x/tolvane.ini", JoinPath("/srv/x/", "tolvane.ini"));
    EXPECT_EQ("C:\\dir\\tolvane.ini", JoinPath("C:\\dir\\", "tolvane.ini"));
    EXPECT_EQ("tolvane.ini", JoinPath("", "tolvane.ini"));
    // The in-place form never writes past its capacity.
    const std::pair<const char*, const char*> cases[] = {
        {"abcdefgh", "abcdefgh|12"}, {"abcdefghij", "abcdefghij|"}, {"abcdefghijk", "abcdefghijk"}, {"", "12345678"}};
    for (auto [start, expected] : cases) {
        char buf[12] = {};
        std::strcpy(buf, start);
        EXPECT_EQ(buf, JoinPath(buf, "12345678", sizeof buf));
        EXPECT_EQ(Sep(expected), std::string(buf));
    }
}

class FileLocationsTest : public testsupport::ProgramDirTest {};

TEST_F(FileLocationsTest, FilesLiveBesideTheProgramWhoseFolderIsMadeIfMissing)
{
    const std::string dir = (Dir() / "Program Files").string();
    ASSERT_EQ(0, SetUpFileLocations(dir + "/tolvane.exe"));
    EXPECT_EQ(dir, ProgramDirectory);
    EXPECT_TRUE(std::filesystem::is_directory(dir));  // created when missing
    EXPECT_EQ(JoinPath(dir, "tolvane.ini"), IniFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.log"), LogFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.bak"), BackupFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.err"), ErrorLogPath);
    EXPECT_EQ(dir + "/tolvanew.hlp", HelpFilePath);
    testsupport::WriteFileBytes(File("plainfile"), "x");
    const std::string blocked = (Dir() / "plainfile" / "sub").string();
    EXPECT_EQ(-1, SetUpFileLocations(blocked + "/tolvane.exe"));
    ASSERT_EQ(std::vector<ErrorCode>{111}, testsupport::RecordedCodes());
    EXPECT_EQ("Unable to create directory " + blocked + ".", testsupport::RecordedErrors()[0].text);

    ASSERT_EQ(0, SetUpFileLocations("C:\\tolvane.exe"));
    EXPECT_EQ("C:", ProgramDirectory);
    EXPECT_EQ(Sep("C:|tolvane.ini"), IniFilePath);
    EXPECT_EQ("C:\\tolvanew.hlp", HelpFilePath);
    ASSERT_EQ(0, SetUpFileLocations("tolvane.exe"));
    EXPECT_EQ("", ProgramDirectory);
    EXPECT_EQ("tolvane.ini", IniFilePath);
    EXPECT_EQ("tolvanew.hlp", HelpFilePath);
}

TEST_F(FileLocationsTest, GlobalDeleteSettingsReadLeniently)
{
    const struct { const char* keys; int confirm, backup; unsigned hack; } cases[] = {
        {"", 1, 1, 0},
        {"ConfirmDelete=0\r\nBackupOnDelete=0\r\nHackFlags=1\r\n", 0, 0, 1},
        {"ConfirmDelete=\r\nBackupOnDelete=abc\r\nHackFlags=3x\r\n", 1, 0, 3},  // empty is the default; text is 0
        {"ConfirmDelete=7\r\nBackupOnDelete=-1\r\n", 1, 1, 0},
    };
    for (const auto& c : cases) {
        testsupport::WriteFileBytes(IniFilePath, std::string("[Global]\r\n") + c.keys);
        LoadGlobalDeleteSettings();
        EXPECT_EQ(c.confirm, ConfirmDelete) << c.keys;
        EXPECT_EQ(c.backup, BackupOnDelete) << c.keys;
        EXPECT_EQ(c.hack, HackFlags) << c.keys;
    }
    ConfirmDelete = 0;
    BackupOnDelete = 1;
    SaveGlobalDeleteSettings();
    ConfirmDelete = BackupOnDelete = 5;
    LoadGlobalDeleteSettings();
    EXPECT_EQ(0, ConfirmDelete);
    EXPECT_EQ(1, BackupOnDelete);
    HackFlags = 0;
}

} // namespace
