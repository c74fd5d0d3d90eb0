#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "startup/locations.h"
#include "support.h"

namespace {

std::string Sep(const char* text)
{
    std::string s(text);
    for (char& c : s)
        if (c == '|')
            c = PathSeparator;
    return s;
}

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded)
{
    EXPECT_EQ(Sep("C:\\dir|tolvane.ini"), JoinPath("C:\\dir", "tolvane.ini"));
    EXPECT_EQ("C:\\dir\\tolvane.ini", JoinPath("C:\\dir\\", "tolvane.ini"));
    EXPECT_EQ("/srv/x/tolvane.ini", JoinPath("/srv/x/", "tolvane.ini"));
    EXPECT_EQ("tolvane.ini", JoinPath("", "tolvane.ini"));
    EXPECT_EQ(Sep("C:|tolvane.log"), JoinPath("C:", "tolvane.log"));
}

TEST(JoinPath, InPlaceFormCutsToTheCapacity)
{
    char buf[260] = "C:\\import";
    EXPECT_EQ(buf, JoinPath(buf, "my.isp", sizeof buf));
    EXPECT_EQ(Sep("C:\\import|my.isp"), std::string(buf));

    char small[12] = "abcdefgh";
    JoinPath(small, "12345678", sizeof small);
    EXPECT_EQ(11u, std::strlen(small));
    EXPECT_EQ(Sep("abcdefgh|12"), std::string(small));

    char full[4] = "abc";
    JoinPath(full, "zz", sizeof full);
    EXPECT_STREQ("abc", full);

    char empty[8] = "";
    JoinPath(empty, "name", sizeof empty);
    EXPECT_STREQ("name", empty);
}

class FileLocationsTest : public testsupport::ProgramDirTest {};

TEST_F(FileLocationsTest, FilesLiveBesideTheProgram)
{
    std::string dir = (Dir() / "Program Files").string();
    ASSERT_EQ(0, SetUpFileLocations(dir + "/tolvane.exe"));
    EXPECT_EQ(dir, ProgramDirectory);
    EXPECT_TRUE(std::filesystem::is_directory(dir));  // created when missing
    EXPECT_EQ(JoinPath(dir, "tolvane.ini"), IniFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.log"), LogFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.bak"), BackupFilePath);
    EXPECT_EQ(JoinPath(dir, "tolvane.err"), ErrorLogPath);
    EXPECT_EQ(dir + "/tolvanew.hlp", HelpFilePath);
}

TEST_F(FileLocationsTest, DriveRootAndBareNames)
{
    ASSERT_EQ(0, SetUpFileLocations("C:\\tolvane.exe"));
    EXPECT_EQ("C:", ProgramDirectory);
    EXPECT_EQ(Sep("C:|tolvane.ini"), IniFilePath);
    EXPECT_EQ("C:\\tolvanew.hlp", HelpFilePath);

    ASSERT_EQ(0, SetUpFileLocations("tolvane.exe"));
    EXPECT_EQ("", ProgramDirectory);
    EXPECT_EQ("tolvane.ini", IniFilePath);
    EXPECT_EQ("tolvanew.hlp", HelpFilePath);
}

TEST_F(FileLocationsTest, UncreatableDirectoryIsError111)
{
    testsupport::WriteFileBytes(File("plainfile"), "x");
    std::string dir = (Dir() / "plainfile" / "sub").string();
    EXPECT_EQ(-1, SetUpFileLocations(dir + "/tolvane.exe"));
    ASSERT_EQ(std::vector<ErrorCode>{111}, testsupport::RecordedCodes());
    EXPECT_EQ("Unable to create directory " + dir + ".", testsupport::RecordedErrors()[0].text);
}

TEST_F(FileLocationsTest, GlobalDeleteSettingsReadLeniently)
{
    struct Case {
        const char* confirm;
        const char* backup;
        const char* hack;
        int confirmOut, backupOut;
        unsigned hackOut;
    } cases[] = {
        {nullptr, nullptr, nullptr, 1, 1, 0},
        {"0", "0", "1", 0, 0, 1},
        {"", "abc", "3x", 1, 0, 3},  // empty is the default; text reads as 0
        {"7", "-1", "", 1, 1, 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(IniFilePath);
        if (c.confirm)
            testsupport::WriteFileBytes(IniFilePath, std::string("[Global]\r\nConfirmDelete=") + c.confirm +
                                                         "\r\nBackupOnDelete=" + c.backup + "\r\nHackFlags=" + c.hack +
                                                         "\r\n");
        LoadGlobalDeleteSettings();
        EXPECT_EQ(c.confirmOut, ConfirmDelete);
        EXPECT_EQ(c.backupOut, BackupOnDelete);
        EXPECT_EQ(c.hackOut, HackFlags);
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
