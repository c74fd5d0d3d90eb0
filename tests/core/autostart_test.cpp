#include <gtest/gtest.h>

#include <map>
#include <string>

#include "monitor/autostart.h"
#include "startup/locations.h"
#include "support.h"

namespace {

// Two Run keys in memory, each able to refuse one kind of access.
struct FakeKey {
    std::map<std::string, std::string> values;
    bool exists = true;
    long readDenied = 0;   // result of opening for reading
    long writeDenied = 0;  // result of opening or creating for writing
    long setFails = 0;
    long queryFails = 0;
    int writeOpens = 0;
};

FakeKey Keys[2];
std::string ModulePath;

FakeKey& KeyOf(RunKey root)
{
    return Keys[root == RunKey::Machine ? 0 : 1];
}

long Open(RunKey root, void** key, bool write)
{
    FakeKey& k = KeyOf(root);
    *key = &k;
    if (write)
        ++k.writeOpens;
    return !k.exists ? AUTOSTART_FILE_NOT_FOUND : write ? k.writeDenied : k.readDenied;
}

long OpenRead(RunKey root, void** key)
{
    return Open(root, key, false);
}

long OpenWrite(RunKey root, void** key)
{
    return Open(root, key, true);
}

long Create(RunKey root, void** key)
{
    KeyOf(root).exists = true;
    return Open(root, key, true);
}

long Query(void* key, const char* name, std::size_t size)
{
    FakeKey& k = *static_cast<FakeKey*>(key);
    if (k.queryFails)
        return k.queryFails;
    auto found = k.values.find(name);
    if (found == k.values.end())
        return AUTOSTART_FILE_NOT_FOUND;
    return found->second.size() + 1 > size ? AUTOSTART_MORE_DATA : 0;
}

long Set(void* key, const char* name, const std::string& data)
{
    FakeKey& k = *static_cast<FakeKey*>(key);
    if (k.setFails)
        return k.setFails;
    k.values[name] = data;
    return 0;
}

long Remove(void* key, const char* name)
{
    return static_cast<FakeKey*>(key)->values.erase(name) ? 0 : AUTOSTART_FILE_NOT_FOUND;
}

void Close(void*) {}

std::string ProgramFile()
{
    return ModulePath;
}

const AutostartRegistry Fake = {OpenRead, OpenWrite, Create, Query, Set, Remove, Close, ProgramFile};

class AutostartTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        Keys[0] = FakeKey{};
        Keys[1] = FakeKey{};
        ModulePath = "C:\\Program Files\\Tolvane\\tolvane.exe";
        SetAutostartRegistry(&Fake);
    }
    void TearDown() override
    {
        SetAutostartRegistry(nullptr);
        ProgramDirTest::TearDown();
    }
    FakeKey& Machine() { return Keys[0]; }
    FakeKey& User() { return Keys[1]; }
    std::string ErrorLog() { return testsupport::ReadFileBytes(ErrorLogPath); }
};

const char* const OURS = "\"C:\\Program Files\\Tolvane\\tolvane.exe\" -m";

TEST_F(AutostartTest, RegisteredWhenEitherKeyHoldsTheValue)
{
    struct Case {
        const char* name;
        bool machine, user;
        std::size_t length;
        bool expected;
    } cases[] = {
        {"neither", false, false, 10, false},
        {"machine", true, false, 10, true},
        {"user only", false, true, 10, true},
        {"longer than the query buffer", true, false, 700, true},
    };
    for (const Case& c : cases) {
        Machine() = FakeKey{};
        User() = FakeKey{};
        if (c.machine)
            Machine().values["Tolvane"] = std::string(c.length, 'x');
        if (c.user)
            User().values["Tolvane"] = std::string(c.length, 'x');
        EXPECT_EQ(c.expected, IsAutostartRegistered()) << c.name;
    }
    EXPECT_EQ("", ErrorLog());
}

TEST_F(AutostartTest, ReadFailuresAreLoggedAndCountAsNotRegistered)
{
    Machine().readDenied = AUTOSTART_ACCESS_DENIED;
    User().exists = false;  // a user without a Run key is no failure
    EXPECT_FALSE(IsAutostartRegistered());
    Machine().readDenied = 0;
    Machine().queryFails = 1010;
    EXPECT_FALSE(IsAutostartRegistered());
    const std::string log = ErrorLog();
    EXPECT_NE(std::string::npos, log.find("Unable to open key: access denied (code 5)."));
    EXPECT_NE(std::string::npos, log.find("Unable to query registry key: code 1010."));
    EXPECT_EQ(std::string::npos, log.find("code 2."));
}

TEST_F(AutostartTest, RegisteringWritesTheMachineKeyElseTheUserKey)
{
    struct Case {
        const char* name;
        long createDenied, setFails;
        bool machineValue, userValue;
        const char* logged;  // empty: nothing
    } cases[] = {
        {"machine writable", 0, 0, true, false, ""},
        {"machine denied", AUTOSTART_ACCESS_DENIED, 0, false, true, "Unable to create key: access denied (code 5)."},
        {"machine set fails", 0, 87, false, true, "Unable to set registry key: code 87."},
    };
    for (const Case& c : cases) {
        Machine() = FakeKey{};
        User() = FakeKey{};
        User().values["Tolvane"] = "\"C:\\old\\tolvane.exe\" -m";
        Machine().writeDenied = c.createDenied;
        Machine().setFails = c.setFails;
        testsupport::WriteFileBytes(ErrorLogPath, "");
        RegisterAutostart();
        EXPECT_EQ(c.machineValue, Machine().values.count("Tolvane") == 1) << c.name;
        ASSERT_EQ(c.userValue, User().values.count("Tolvane") == 1) << c.name;
        EXPECT_EQ(OURS, (c.userValue ? User() : Machine()).values["Tolvane"]) << c.name;
        EXPECT_TRUE(IsAutostartRegistered()) << c.name;
        const std::string log = ErrorLog();
        if (*c.logged)
            EXPECT_NE(std::string::npos, log.find(c.logged)) << c.name << ": " << log;
        else
            EXPECT_EQ("", log) << c.name;
    }
}

TEST_F(AutostartTest, TheValueNamesTheProgramAsTypedWhenItsFileIsUnknown)
{
    ModulePath.clear();
    ProgramPath = "D:\\My Tools\\tolvane.exe";
    RegisterAutostart();
    EXPECT_EQ("\"D:\\My Tools\\tolvane.exe\" -m", Machine().values["Tolvane"]);
}

TEST_F(AutostartTest, UnregisteringRemovesBothAndOpensOnlyKeysHoldingTheValue)
{
    Machine().values["Tolvane"] = OURS;
    User().values["Tolvane"] = OURS;
    Machine().values["Other"] = "other.exe";
    UnregisterAutostart();
    EXPECT_FALSE(IsAutostartRegistered());
    EXPECT_EQ(1u, Machine().values.count("Other"));

    // A standard user cannot open the machine key for writing: with nothing
    // there, unchecking the box tries nothing and logs nothing.
    Machine() = FakeKey{};
    User() = FakeKey{};
    Machine().writeDenied = AUTOSTART_ACCESS_DENIED;
    UnregisterAutostart();
    EXPECT_EQ(0, Machine().writeOpens);
    EXPECT_EQ(0, User().writeOpens);
    EXPECT_EQ("", ErrorLog());

    // A machine value the user may not remove stays, is logged, and the
    // box goes on saying so.
    Machine().values["Tolvane"] = OURS;
    User().values["Tolvane"] = OURS;
    UnregisterAutostart();
    EXPECT_TRUE(User().values.empty());
    EXPECT_TRUE(IsAutostartRegistered());
    EXPECT_NE(std::string::npos, ErrorLog().find("Unable to open key: access denied (code 5)."));
}

} // namespace
