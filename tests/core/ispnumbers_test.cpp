// ISP numbers in [Global]: allocation, the default ISP and the saved lists.
// (How ActiveIDs is parsed is tested through the tariff table.)
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"
#include "tariff/ispnumbers.h"

namespace {

class IspNumbersTest : public testsupport::ProgramDirTest {
protected:
    std::string Global(const char* key) { return IniValue("Global", key); }
    void Put(const char* key, const char* value) { ProfileWrite(IniFilePath, "Global", key, value); }
};

TEST_F(IspNumbersTest, AllocationTakesTheLowestUnusedNumber)
{
    Put("ActiveIDs", "1,3");
    Put("ReservedIDs", "2");
    EXPECT_EQ(4, AllocateIspId());
    EXPECT_EQ("1,3,4|2", IniValues("Global", {"ActiveIDs", "ReservedIDs"}));
}

TEST_F(IspNumbersTest, DefaultIspComesFromTheKeyThenTheFirstActiveThenANewNumber)
{
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(1, GetDefaultIsp());  // no settings file: ISP 1 is made, once
        EXPECT_EQ("1", Global("ActiveIDs"));
    }
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
    EXPECT_EQ("1, 2|9", active + "|" + reserved);
    Put("ActiveIDs", "1,2,3");
    RestoreIdStrings(active, "");
    EXPECT_EQ("1, 2|<none>", IniValues("Global", {"ActiveIDs", "ReservedIDs"}));
}

} // namespace
