// One conformance suite for every settings-file backend: the portable reader
// and writer natively, and the Win32 profile API as well under Wine.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support.h"

#ifdef _WIN32
#include "platform/win32/win32_ui.h"
#endif

namespace {

struct BackendCase {
    const char* name;
    const ProfileBackend* backend;
};

std::vector<BackendCase> Backends()
{
    std::vector<BackendCase> list{{"Portable", &IniProfileBackend}};
#ifdef _WIN32
    list.push_back({"Win32", &Win32Profile()});
#endif
    return list;
}

class ProfileConformance : public testsupport::ProgramDirTest, public ::testing::WithParamInterface<BackendCase> {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetProfileBackend(GetParam().backend);
        file = File("settings.ini").string();
    }
    void TearDown() override
    {
        ProfileFlush(file);
        SetProfileBackend(nullptr);
        ProgramDirTest::TearDown();
    }
    std::string file;
};

TEST_P(ProfileConformance, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ("dflt", ProfileGetString(file, "Global", "Nothing", "dflt"));
    ASSERT_TRUE(ProfileWrite(file, "Global", "Present", "1"));
    EXPECT_EQ("dflt", ProfileGetString(file, "Other", "Present", "dflt"));
    EXPECT_EQ("dflt", ProfileGetString(file, "Global", "Absent", "dflt"));
    EXPECT_EQ(42, ProfileGetInt(file, "Global", "Absent", 42));
}

TEST_P(ProfileConformance, NamesMatchWithoutRegardToCase)
{
    ASSERT_TRUE(ProfileWrite(file, "ISP1", "secsperunit", "60"));
    EXPECT_EQ("60", ProfileGetString(file, "isp1", "SecsPerUnit"));
    // A second write under other case replaces the one key.
    ASSERT_TRUE(ProfileWrite(file, "Isp1", "SECSPERUNIT", "90"));
    EXPECT_EQ("90", ProfileGetString(file, "ISP1", "SecsPerUnit"));
    std::string text = testsupport::ReadFileBytes(file);
    EXPECT_EQ(std::string::npos, text.find("60")) << text;
}

TEST_P(ProfileConformance, ValuesAreTrimmedOnRead)
{
    testsupport::WriteFileBytes(file, "[Global]\r\n  Name  =   Some ISP   \r\nTab=\tx\t\r\n");
    ProfileFlush(file);
    EXPECT_EQ("Some ISP", ProfileGetString(file, "Global", "Name"));
    EXPECT_EQ("x", ProfileGetString(file, "Global", "Tab"));
}

TEST_P(ProfileConformance, WriteWithoutValueDeletesTheKey)
{
    ASSERT_TRUE(ProfileWrite(file, "Global", "DefaultISP", "3"));
    ASSERT_TRUE(ProfileWrite(file, "Global", "Keep", "yes"));
    ASSERT_TRUE(ProfileDeleteKey(file, "Global", "DefaultISP"));
    EXPECT_EQ("none", ProfileGetString(file, "Global", "DefaultISP", "none"));
    EXPECT_EQ("yes", ProfileGetString(file, "Global", "Keep"));
    EXPECT_EQ(std::string::npos, testsupport::ReadFileBytes(file).find("DefaultISP"));
}

TEST_P(ProfileConformance, LongValueIsCutToTheBufferWithItsCount)
{
    std::string value(600, 'a');
    for (std::size_t i = 0; i < value.size(); ++i)
        value[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(ProfileWrite(file, "Global", "ActiveIDs", value.c_str()));
    char buf[512];
    int n = ProfileRead(file, "Global", "ActiveIDs", "", buf, sizeof buf);
    EXPECT_EQ(511, n);
    EXPECT_EQ(value.substr(0, 511), std::string(buf));
    // A value that fits is copied whole with its exact count.
    ASSERT_TRUE(ProfileWrite(file, "Global", "Short", "12345"));
    EXPECT_EQ(5, ProfileRead(file, "Global", "Short", "", buf, sizeof buf));
}

TEST_P(ProfileConformance, FlushSeesAnotherWritersChange)
{
    ASSERT_TRUE(ProfileWrite(file, "Monitor", "Delay", "5"));
    EXPECT_EQ("5", ProfileGetString(file, "Monitor", "Delay"));
    // Another program rewrites the file behind our back.
    testsupport::WriteFileBytes(file, "[Monitor]\r\nDelay=17\r\n");
    ProfileFlush(file);
    EXPECT_EQ("17", ProfileGetString(file, "Monitor", "Delay"));
}

TEST_P(ProfileConformance, WritesKeepOtherSectionsKeysAndUnknownLines)
{
    testsupport::WriteFileBytes(file, "; a comment\r\n[Global]\r\nActiveIDs=1,2\r\n\r\n[ISP1]\r\nDescription=First\r\n");
    ProfileFlush(file);
    ASSERT_TRUE(ProfileWrite(file, "Global", "DefaultISP", "2"));
    ASSERT_TRUE(ProfileWrite(file, "ISP2", "Description", "Second"));
    ASSERT_TRUE(ProfileWrite(file, "ISP1", "Description", "Renamed"));
    ProfileFlush(file);
    EXPECT_EQ("1,2", ProfileGetString(file, "Global", "ActiveIDs"));
    EXPECT_EQ("2", ProfileGetString(file, "Global", "DefaultISP"));
    EXPECT_EQ("Renamed", ProfileGetString(file, "ISP1", "Description"));
    EXPECT_EQ("Second", ProfileGetString(file, "ISP2", "Description"));
    EXPECT_NE(std::string::npos, testsupport::ReadFileBytes(file).find("; a comment"));
}

TEST_P(ProfileConformance, NumbersAreReadLeniently)
{
    testsupport::WriteFileBytes(file, "[S]\r\nA=12abc\r\nB=abc\r\nC=\r\nD=-7\r\nE= 99999999999\r\n");
    ProfileFlush(file);
    EXPECT_EQ(12, ProfileGetInt(file, "S", "A", 5));
    EXPECT_EQ(0, ProfileGetInt(file, "S", "B", 5));
    EXPECT_EQ(5, ProfileGetInt(file, "S", "C", 5));  // empty takes the default
    EXPECT_EQ(-7, ProfileGetInt(file, "S", "D", 5));
    EXPECT_EQ(2147483647L, ProfileGetInt(file, "S", "E", 5));
}

TEST_P(ProfileConformance, FirstOfDuplicateKeysWins)
{
    testsupport::WriteFileBytes(file, "[S]\r\nK=first\r\nK=second\r\n[s]\r\nK=third\r\n");
    ProfileFlush(file);
    EXPECT_EQ("first", ProfileGetString(file, "S", "K"));
}

TEST_P(ProfileConformance, UnwritableFileFailsTheWriteAndReadsDefaults)
{
    std::string inMissingDir = (Dir() / "no-such-dir" / "x.ini").string();
    EXPECT_FALSE(ProfileWrite(inMissingDir, "S", "K", "v"));
    EXPECT_EQ("d", ProfileGetString(inMissingDir, "S", "K", "d"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileConformance, ::testing::ValuesIn(Backends()),
                         [](const ::testing::TestParamInfo<BackendCase>& info) { return info.param.name; });

#ifdef _WIN32
using ProfileCrossBackend = testsupport::ProgramDirTest;

// Files written through one backend read back alike through the other.
TEST_F(ProfileCrossBackend, EachBackendReadsTheOthersFiles)
{
    const ProfileBackend* backends[2] = {&IniProfileBackend, &Win32Profile()};
    for (int writer = 0; writer < 2; ++writer) {
        std::string f = File(writer == 0 ? "portable.ini" : "win32.ini").string();
        SetProfileBackend(backends[writer]);
        ASSERT_TRUE(ProfileWrite(f, "Global", "ActiveIDs", "1,2,5"));
        ASSERT_TRUE(ProfileWrite(f, "ISP1", "Description", "Dial Direct"));
        ASSERT_TRUE(ProfileWrite(f, "ISP1", "Gone", "x"));
        ASSERT_TRUE(ProfileDeleteKey(f, "ISP1", "Gone"));
        ASSERT_TRUE(ProfileWrite(f, "Phone", "CostPerUnit", "0.050000"));
        ProfileFlush(f);
        SetProfileBackend(backends[1 - writer]);
        ProfileFlush(f);
        EXPECT_EQ("1,2,5", ProfileGetString(f, "global", "activeids")) << "writer " << writer;
        EXPECT_EQ("Dial Direct", ProfileGetString(f, "ISP1", "Description")) << "writer " << writer;
        EXPECT_EQ("-", ProfileGetString(f, "ISP1", "Gone", "-")) << "writer " << writer;
        EXPECT_EQ("0.050000", ProfileGetString(f, "Phone", "CostPerUnit")) << "writer " << writer;
        ProfileFlush(f);
    }
    SetProfileBackend(nullptr);
}
#endif

} // namespace
