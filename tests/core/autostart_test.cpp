// Start with Windows: the machine's Run key, else the user's, in memory.
#include <map>

#include "monitor/autostart.h"
#include "startup/locations.h"
#include "support.h"

namespace {

// Two Run keys, each able to refuse one kind of access.
struct FakeKey {
    std::map<std::string, std::string> values;
    bool exists = true;
    long readDenied = 0, writeDenied = 0;  // results of opening for reading, for writing
    long setFails = 0, queryFails = 0;
    int writeOpens = 0;
};

FakeKey Keys[2];  // machine, user
std::string ModulePath;

long Open(RunKey root, void** key, bool write)
{
    FakeKey& k = Keys[root == RunKey::Machine ? 0 : 1];
    *key = &k;
    k.writeOpens += write;
    return !k.exists ? AUTOSTART_FILE_NOT_FOUND : write ? k.writeDenied : k.readDenied;
}

FakeKey& Of(void* key)
{
    return *static_cast<FakeKey*>(key);
}

const AutostartRegistry Fake = {
    [](RunKey root, void** key) { return Open(root, key, false); },
    [](RunKey root, void** key) { return Open(root, key, true); },
    [](RunKey root, void** key) {
        Keys[root == RunKey::Machine ? 0 : 1].exists = true;
        return Open(root, key, true);
    },
    [](void* key, const char* name, std::size_t size) -> long {
        auto found = Of(key).values.find(name);
        return Of(key).queryFails              ? Of(key).queryFails
               : found == Of(key).values.end() ? AUTOSTART_FILE_NOT_FOUND
               : found->second.size() + 1 > size ? AUTOSTART_MORE_DATA
                                                 : 0;
    },
    [](void* key, const char* name, const std::string& data) {
        return Of(key).setFails ? Of(key).setFails : (Of(key).values[name] = data, 0L);
    },
    [](void* key, const char* name) { return Of(key).values.erase(name) ? 0L : AUTOSTART_FILE_NOT_FOUND; },
    [](void*) {},
    [] { return ModulePath; },
};

class AutostartTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        Keys[0] = Keys[1] = FakeKey{};
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
    const struct {
        bool machine, user;
        std::size_t length;  // 700: longer than the query buffer
        bool expected;
    } cases[] = {{false, false, 10, false}, {true, false, 10, true}, {false, true, 10, true}, {true, false, 700, true}};
    for (const auto& c : cases) {
        Machine() = User() = FakeKey{};
        if (c.machine)
            Machine().values["Tolvane"] = std::string(c.length, 'x');
        if (c.user)
            User().values["Tolvane"] = std::string(c.length, 'x');
        EXPECT_EQ(c.expected, IsAutostartRegistered()) << c.machine << c.user << c.length;
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
    const struct {
        long createDenied, setFails;
        const char* logged;  // empty: nothing, and the machine key holds the value
    } cases[] = {
        {0, 0, ""},
        {AUTOSTART_ACCESS_DENIED, 0, "Unable to create key: access denied (code 5)."},
        {0, 87, "Unable to set registry key: code 87."},
    };
    for (const auto& c : cases) {
        Machine() = User() = FakeKey{};
        User().values["Tolvane"] = "\"C:\\old\\tolvane.exe\" -m";
        Machine().writeDenied = c.createDenied;
        Machine().setFails = c.setFails;
        testsupport::WriteFileBytes(ErrorLogPath, "");
        RegisterAutostart();
        const bool toUser = *c.logged != 0;
        EXPECT_EQ(!toUser, Machine().values.count("Tolvane") == 1) << c.logged;
        ASSERT_EQ(toUser, User().values.count("Tolvane") == 1) << c.logged;
        EXPECT_EQ(OURS, (toUser ? User() : Machine()).values["Tolvane"]) << c.logged;
        EXPECT_TRUE(IsAutostartRegistered());
        EXPECT_EQ(toUser, ErrorLog().find(c.logged) != std::string::npos && !ErrorLog().empty()) << ErrorLog();
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
    Machine() = User() = FakeKey{};
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
