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
    void Put(const char* key, const char* value) { ProfileWrite(IniFilePath, "Global", key, value); }
};

TEST_F(IspNumbersTest, ListsKeepNumbersOfOneOrMoreInOrderAndAreReadWhole)
{
    Put("ActiveIDs", "3, 1,,x,0,-2,3");
    IdList ids;
    ASSERT_EQ(0, ReadIdList("ActiveIDs", false, ids));
    EXPECT_EQ((IdList{3, 1, 3}), ids);
    EXPECT_EQ("3,1,3", FormatIdList(ids));
    EXPECT_EQ("", FormatIdList({}));
    IdList many;
    for (int i = 1; i <= 3000; ++i)
        many.push_back(i);
    Put("ReservedIDs", FormatIdList(many).c_str());
    ASSERT_EQ(0, ReadIdList("ReservedIDs", false, ids));
    EXPECT_EQ(many, ids);
}

TEST_F(IspNumbersTest, AllocationTakesTheLowestUnusedNumber)
{
    Put("ActiveIDs", "1,3");
    Put("ReservedIDs", "2");
    EXPECT_EQ(4, AllocateIspId());
    EXPECT_EQ("1,3,4", Global("ActiveIDs"));
    EXPECT_EQ("2", Global("ReservedIDs"));
}

TEST_F(IspNumbersTest, DefaultIspComesFromTheKeyThenTheFirstActiveThenANewNumber)
{
    EXPECT_EQ(1, GetDefaultIsp());  // no settings file
    EXPECT_EQ("1", Global("ActiveIDs"));
    EXPECT_EQ(1, GetDefaultIsp());
    EXPECT_EQ("1", Global("ActiveIDs"));
    Put("ActiveIDs", "7,5");
    for (const char* none : {"0", "-3", "", "abc"}) {
        Put("DefaultISP", none);
        EXPECT_EQ(7, GetDefaultIsp()) << none;
    }
    SetDefaultIsp(5);
    EXPECT_EQ("5", Global("DefaultISP"));
    EXPECT_EQ(5, GetDefaultIsp());
    Put("DefaultISP", "99");  // not checked against the list
    EXPECT_EQ(99, GetDefaultIsp());
    SetDefaultIsp(0);
    EXPECT_EQ("<none>", Global("DefaultISP"));
}

TEST_F(IspNumbersTest, IdStringsRoundTripAndEmptyDeletes)
{
    Put("ActiveIDs", "1, 2");
    Put("ReservedIDs", "9");
    std::string active, reserved;
    ASSERT_EQ(0, ReadIdStrings(active, reserved));
    EXPECT_EQ("1, 2", active);
    EXPECT_EQ("9", reserved);
    Put("ActiveIDs", "1,2,3");
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
