#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"
#include "tariff/ispnumbers.h"

namespace {

class IspNumbersTest : public testsupport::ProgramDirTest {
protected:
    std::string Global(const char* key) { return ProfileGetString(IniFilePath, "Global", key, "<none>"); }
};

TEST_F(IspNumbersTest, ListsKeepNumbersOfOneOrMoreInOrder)
{
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", "3, 1,,x,0,-2,3");
    IdList ids;
    ASSERT_EQ(0, ReadIdList("ActiveIDs", false, ids));
    EXPECT_EQ((IdList{3, 1, 3}), ids);
    EXPECT_EQ("3,1,3", FormatIdList(ids));
    EXPECT_EQ("", FormatIdList({}));
}

TEST_F(IspNumbersTest, LongListsAreReadWhole)
{
    IdList many;
    for (int i = 1; i <= 3000; ++i)
        many.push_back(i);
    ProfileWrite(IniFilePath, "Global", "ReservedIDs", FormatIdList(many).c_str());
    IdList ids;
    ASSERT_EQ(0, ReadIdList("ReservedIDs", false, ids));
    EXPECT_EQ(many, ids);
    EXPECT_EQ(3001, AllocateIspId());
}

TEST_F(IspNumbersTest, DefaultIspWithoutASettingsFileIsAllocated)
{
    EXPECT_EQ(1, GetDefaultIsp());
    EXPECT_EQ("1", Global("ActiveIDs"));
    EXPECT_EQ(1, GetDefaultIsp());
    EXPECT_EQ("1", Global("ActiveIDs"));
}

TEST_F(IspNumbersTest, AllocationSkipsActiveAndReservedNumbers)
{
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", "1,3");
    ProfileWrite(IniFilePath, "Global", "ReservedIDs", "2");
    EXPECT_EQ(4, AllocateIspId());
    EXPECT_EQ("1,3,4", Global("ActiveIDs"));
    EXPECT_EQ("2", Global("ReservedIDs"));
}

TEST_F(IspNumbersTest, AllocationRunsOutBelow32767)
{
    IdList all;
    for (int i = 1; i <= MAX_ISP_ID; ++i)
        all.push_back(i);
    ProfileWrite(IniFilePath, "Global", "ReservedIDs", FormatIdList(all).c_str());
    EXPECT_EQ(-2, AllocateIspId());
    EXPECT_EQ("<none>", Global("ActiveIDs"));
    // Nothing left: the default still never fails.
    EXPECT_EQ(1, GetDefaultIsp());
}

TEST_F(IspNumbersTest, DefaultIspComesFromTheKeyThenTheFirstActive)
{
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", "7,5");
    for (const char* none : {"0", "-3", "", "abc"}) {
        ProfileWrite(IniFilePath, "Global", "DefaultISP", none);
        EXPECT_EQ(7, GetDefaultIsp()) << none;
    }
    SetDefaultIsp(5);
    EXPECT_EQ("5", Global("DefaultISP"));
    EXPECT_EQ(5, GetDefaultIsp());
    ProfileWrite(IniFilePath, "Global", "DefaultISP", "99");  // not checked against the list
    EXPECT_EQ(99, GetDefaultIsp());
    SetDefaultIsp(0);
    EXPECT_EQ("<none>", Global("DefaultISP"));
}

TEST_F(IspNumbersTest, IdStringsRoundTripAndEmptyDeletes)
{
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", "1, 2");
    ProfileWrite(IniFilePath, "Global", "ReservedIDs", "9");
    std::string active, reserved;
    ASSERT_EQ(0, ReadIdStrings(active, reserved));
    EXPECT_EQ("1, 2", active);
    EXPECT_EQ("9", reserved);
    ProfileWrite(IniFilePath, "Global", "ActiveIDs", "1,2,3");
    RestoreIdStrings(active, "");
    EXPECT_EQ("1, 2", Global("ActiveIDs"));
    EXPECT_EQ("<none>", Global("ReservedIDs"));
}

TEST_F(IspNumbersTest, DescriptionFallsBackToTheSectionName)
{
    ProfileWrite(IniFilePath, "ISP2", "Description", "Dial Direct");
    EXPECT_EQ("Dial Direct", GetIspDescription(2));
    EXPECT_EQ("ISP3", GetIspDescription(3));
}

} // namespace
