// Start with Windows: the machine's Run key, else the user's, in memory.
#include <map>

#include "monitor/autostart.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using Values = std::map<std::string, std::string>;

// A Run key; each call may fail with the code given. The user's key exists
// only once it holds a value or was created.
struct FakeKey {
    Values values;
    long openRead = 0, openWrite = 0, query = 0, set = 0;
    bool exists = true;
};

FakeKey Keys[2];  // machine, user
std::string ModulePath;

FakeKey& KeyOf(RunKey root)
{
    return Keys[root == RunKey::Machine ? 0 : 1];
}

FakeKey& Of(void* key)
{
    return *static_cast<FakeKey*>(key);
}

long Open(RunKey root, void** key, long FakeKey::*fault)
{
    *key = &KeyOf(root);
    return !KeyOf(root).exists ? AUTOSTART_FILE_NOT_FOUND : KeyOf(root).*fault;
}

const AutostartRegistry Fake = {
    [](RunKey root, void** key) { return Open(root, key, &FakeKey::openRead); },
    [](RunKey root, void** key) { return Open(root, key, &FakeKey::openWrite); },
    [](RunKey root, void** key) {
        KeyOf(root).exists = true;
        return Open(root, key, &FakeKey::openWrite);
    },
    [](void* key, const char* name, std::size_t size) -> long {
        auto found = Of(key).values.find(name);
        return Of(key).query                   ? Of(key).query
               : found == Of(key).values.end() ? AUTOSTART_FILE_NOT_FOUND
               : found->second.size() + 1 > size ? AUTOSTART_MORE_DATA
                                                 : 0;
    },
    [](void* key, const char* name, const std::string& data) {
        return Of(key).set ? Of(key).set : (Of(key).values[name] = data, 0L);
    },
    [](void* key, const char* name) { return Of(key).values.erase(name) ? 0L : AUTOSTART_FILE_NOT_FOUND; },
    [](void*) {},
    [] { return ModulePath; },
};

using AutostartTest = testsupport::ProgramDirTest;

// The error log's messages, without their times.
std::string Logged()
{
    const std::string log = testsupport::ReadText(ErrorLogPath);
    std::string out;
    for (std::size_t at = log.find(" Error "); at != std::string::npos; at = log.find(" Error ", at + 1))
        out += log.substr(at + 7, log.find('\n', at) - at - 7) + "|";
    return out;
}

const char* const OURS = "\"C:\\Program Files\\Tolvane\\tolvane.exe\" -m";
const Values OLD = {{"Tolvane", "\"C:\\old\\tolvane.exe\" -m"}};
const Values HELD = {{"Tolvane", OURS}};

TEST_F(AutostartTest, EachActionOnBothKeys)
{
    enum Act { Check, Register, Unregister };
    const Values LONG = {{"Tolvane", std::string(700, 'x')}};
    const long DENIED = AUTOSTART_ACCESS_DENIED;
    const struct {
        Act act;
        Values machine, user;
        long FakeKey::*fault;  // on the machine key
        long code;
        bool registered;  // afterwards
        Values machineAfter, userAfter;
        const char* logged;
    } cases[] = {
        {Check, LONG, {}, nullptr, 0, true, LONG, {}, ""},  // longer than the query buffer
        // A user without a Run key is no failure.
        {Check, HELD, {}, &FakeKey::openRead, DENIED, false, HELD, {},
         "1202: Unable to open key: access denied (code 5).|"},
        {Check, HELD, {}, &FakeKey::query, 1010, false, HELD, {}, "1201: Unable to query registry key: code 1010.|"},
        // The machine key, else the user's; never both, or Windows starts both.
        {Register, {}, OLD, nullptr, 0, true, HELD, {}, ""},
        {Register, {}, OLD, &FakeKey::openWrite, DENIED, true, {}, HELD,
         "1202: Unable to create key: access denied (code 5).|"},
        {Register, {}, OLD, &FakeKey::set, 87, true, {}, HELD, "1201: Unable to set registry key: code 87.|"},
        {Unregister, {{"Tolvane", OURS}, {"Other", "o.exe"}}, HELD, nullptr, 0, false, {{"Other", "o.exe"}}, {}, ""},
        // A standard user cannot open the machine key for writing: only a
        // key holding the value is opened, and one that stays is logged.
        {Unregister, {}, HELD, &FakeKey::openWrite, DENIED, false, {}, {}, ""},
        {Unregister, HELD, HELD, &FakeKey::openWrite, DENIED, true, HELD, {},
         "1202: Unable to open key: access denied (code 5).|"},
    };
    SetAutostartRegistry(&Fake);
    ModulePath = "C:\\Program Files\\Tolvane\\tolvane.exe";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Keys[0] = Keys[1] = {};
        Keys[0].values = c.machine;
        if (c.fault)
            Keys[0].*c.fault = c.code;
        Keys[1].values = c.user;
        Keys[1].exists = !c.user.empty();
        testsupport::WriteFileBytes(ErrorLogPath, "");
        if (c.act == Register)
            RegisterAutostart();
        else if (c.act == Unregister)
            UnregisterAutostart();
        EXPECT_EQ(c.registered, IsAutostartRegistered());
        EXPECT_EQ(c.machineAfter, Keys[0].values);
        EXPECT_EQ(c.userAfter, Keys[1].values);
        EXPECT_EQ(c.logged, Logged());
    }
    // Without the running program's file, the program as typed.
    ModulePath.clear();
    ProgramPath = "D:\\My Tools\\tolvane.exe";
    Keys[0] = Keys[1] = {};
    RegisterAutostart();
    EXPECT_EQ((Values{{"Tolvane", "\"D:\\My Tools\\tolvane.exe\" -m"}}), Keys[0].values);
    SetAutostartRegistry(nullptr);
}

} // namespace
