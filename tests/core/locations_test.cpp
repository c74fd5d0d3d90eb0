// Where the program keeps its files, and the [Global] deletion settings.
#include <algorithm>
#include <cstring>
#include <tuple>

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

using FileLocationsTest = testsupport::ProgramDirTest;

TEST_F(FileLocationsTest, FilesLiveBesideTheProgramWhoseFolderIsMadeIfMissing)
{
    const auto paths = [] {
        return ProgramDirectory + " " + IniFilePath + " " + LogFilePath + " " + BackupFilePath + " " + ErrorLogPath +
               " " + HelpFilePath;
    };
    const std::string dir = (Dir() / "Program Files").string();
    ASSERT_EQ(0, SetUpFileLocations(dir + "/tolvane.exe"));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_EQ(dir + " " + JoinPath(dir, "tolvane.ini") + " " + JoinPath(dir, "tolvane.log") + " " +
                  JoinPath(dir, "tolvane.bak") + " " + JoinPath(dir, "tolvane.err") + " " + dir + "/tolvanew.hlp",
              paths());
    testsupport::WriteFileBytes(File("plainfile"), "x");
    const std::string blocked = (Dir() / "plainfile" / "sub").string();
    EXPECT_EQ(-1, SetUpFileLocations(blocked + "/tolvane.exe"));
    ASSERT_EQ(std::vector<ErrorCode>{111}, testsupport::RecordedCodes());
    EXPECT_EQ("Unable to create directory " + blocked + ".", testsupport::RecordedErrors()[0].text);
    ASSERT_EQ(0, SetUpFileLocations("C:\\tolvane.exe"));
    EXPECT_EQ(Sep("C: C:|tolvane.ini C:|tolvane.log C:|tolvane.bak C:|tolvane.err C:\\tolvanew.hlp"), paths());
    ASSERT_EQ(0, SetUpFileLocations("tolvane.exe"));
    EXPECT_EQ(" tolvane.ini tolvane.log tolvane.bak tolvane.err tolvanew.hlp", paths());
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
        EXPECT_EQ(std::tuple(c.confirm, c.backup, c.hack), std::tuple(ConfirmDelete, BackupOnDelete, HackFlags))
            << c.keys;
    }
    ConfirmDelete = 0;
    SaveGlobalDeleteSettings();
    ConfirmDelete = BackupOnDelete = 5;
    LoadGlobalDeleteSettings();
    EXPECT_EQ(std::pair(0, 1), std::pair(ConfirmDelete, BackupOnDelete));
    ConfirmDelete = 1;
    HackFlags = 0;
}

} // namespace
