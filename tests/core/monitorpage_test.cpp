// The [Monitor] settings, the Monitor page, its two connection dialogs, the
// modem list, and Start with Windows: the machine's Run key, else the user's,
// in memory.
#include <cstdio>
#include <map>

#include "dialogs/dialogtable.h"
#include "monitor/autostart.h"
#include "monitor/monitorpage.h"
#include "monitor/monitorstate.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::RecordedCodes;

class MonitorPageTest : public testsupport::ProgramDirTest {
protected:
    void Settings(const std::string& body)
    {
        WriteIni("[Global]\r\nActiveIDs=4,2\r\n[Monitor]\r\n" + body);
        testsupport::ClearRecordedErrors();
    }
    std::string Keys(const std::vector<const char*>& keys) const { return IniValues("Monitor", keys); }
    // Every setting read: Type, IconWhenMonitoring, AlertOnConnect, 'AlertSound', ShowLog, PromptDefault,
    // ConfirmExit, Delay, Device, PermanentLineID or -, Prompt, TrackInbound, RasPrompt, DefaultISP/sessionIsp,
    // RAS latency.
    std::string Read()
    {
        ResetMonitorState(state);
        ReadMonitorSettings(state);
        const MonitorState& s = state;
        const std::string line = s.hasPermanentLineID ? std::to_string(s.PermanentLineID) : "-";
        char text[700];
        std::snprintf(text, sizeof text, "%d %d %d '%s' %d %d %d %d %lu %s %d %d %d %d/%d %d", s.Type,
                      s.IconWhenMonitoring, s.AlertOnConnect, s.AlertSound.c_str(), s.ShowLog, s.PromptDefault,
                      s.ConfirmExit, s.Delay, static_cast<unsigned long>(s.Device), line.c_str(), s.Prompt,
                      s.TrackInbound, s.RasPrompt, s.DefaultISP, s.sessionIsp, ReadRasLatency());
        return text;
    }
    MonitorState state;  // not copyable: its RAS stop counter is atomic
};

// Checking reports the first unanswered group in order and stores nothing;
// storing alone takes defaults for what is unanswered, but never guesses the
// type. The keys the connection dialogs own are written back as read.
TEST_F(MonitorPageTest, CheckAndStore)
{
    const char* const unchanged = "<none>|old.wav|<none>|<none>|<none>|<none>|<none>|<none>|4000000000|99|7|1|7|0";
    // The form's change, the mode, the error reported (0: accepted) and the keys afterwards.
    const struct { void (*change)(MonitorForm&); int mode; ErrorCode error; const char* keys; } cases[] = {
        {[](MonitorForm& f) { f.alert = f.type = NONE_CHECKED; }, FIELDS_CHECK, 1016, unchanged},
        // A WAV file without its name.
        {[](MonitorForm& f) { f.alertSound.clear(); f.promptDefault = NONE_CHECKED; }, FIELDS_CHECK, 1015, unchanged},
        {[](MonitorForm& f) { f.promptDefault = f.confirmExit = NONE_CHECKED; }, FIELDS_CHECK, 1017, unchanged},
        {[](MonitorForm& f) { f.iconWhenMonitoring = NONE_CHECKED; }, FIELDS_CHECK, 2079, unchanged},
        {[](MonitorForm& f) { f.confirmExit = NONE_CHECKED; }, FIELDS_CHECK, 1019, unchanged},
        {[](MonitorForm&) {}, FIELDS_CHECK, 0, unchanged},
        {[](MonitorForm&) {}, FIELDS_STORE, 0, "2|C:\\ding.wav|1|2|0|0|15|0|4000000000|99|1|1|2|0"},
        {[](MonitorForm& f) {
             f.alert = f.promptDefault = f.iconWhenMonitoring = f.confirmExit = NONE_CHECKED;
             f.delayText = "-30";
         },
         FIELDS_STORE, 0, "0|<none>|0|1|1|0|-30|0|4000000000|99|1|1|2|0"},
        {[](MonitorForm& f) { f.type = NONE_CHECKED; }, FIELDS_STORE, 2078, unchanged},
    };
    for (const auto& c : cases) {
        Settings("Device=4000000000\r\nPermanentLineID=99\r\nPrompt=7\r\nTrackInbound=1\r\nRasPrompt=7\r\nUseTray=0\r\n"
                 "AlertSound=old.wav\r\n");
        MonitorForm form{.alert = 2, .alertSound = "C:\\ding.wav", .promptDefault = 1, .iconWhenMonitoring = 2,
                         .confirmExit = 0, .type = 0, .delayText = "15", .showLog = false};
        c.change(form);
        EXPECT_EQ(c.error ? -1 : 0, MonitorPageFields(form, c.mode)) << c.keys;
        EXPECT_EQ(c.error ? std::vector<ErrorCode>{c.error} : std::vector<ErrorCode>{}, RecordedCodes());
        EXPECT_EQ(c.keys, Keys({"AlertOnConnect", "AlertSound", "PromptDefault", "IconWhenMonitoring", "ConfirmExit",
                                "Type", "Delay", "ShowLog", "Device", "PermanentLineID", "Prompt", "TrackInbound",
                                "RasPrompt", "UseTray"}));
    }
}

TEST_F(MonitorPageTest, ConnectionDialogsStoreTheirChoiceOrAskForIt)
{
    const std::vector<const char*> keys = {"Device", "PermanentLineID", "Prompt", "TrackInbound", "RasPrompt"};
    Settings("PermanentLineID=5\r\n");
    EXPECT_EQ(0, StoreTelephonyForm({true, 3, 77, 0, true}));
    EXPECT_EQ(0, StoreRasPrompt(3));
    EXPECT_EQ("3|77|0|1|3", Keys(keys));
    EXPECT_EQ(0, StoreTelephonyForm({false, 3, 77, 1, false}));  // no modem: no device, no line
    EXPECT_EQ("0|<none>|1|0|3", Keys(keys));
    EXPECT_EQ(-1, StoreTelephonyForm({true, 3, 77, NONE_CHECKED, false}));
    EXPECT_EQ(-1, StoreRasPrompt(NONE_CHECKED));
    EXPECT_EQ("0|<none>|1|0|3", Keys(keys));
    EXPECT_EQ((std::vector<ErrorCode>{2077, 2077}), RecordedCodes());
}

TEST(ModemListTest, PreferredModemAndDeviceStateChanges)
{
    const std::vector<ModemEntry> modems = {{"Fax", 0, 10}, {"Data", 2, 20}};
    EXPECT_EQ((std::vector<std::string>{"Fax", "Data"}), ShowModems(modems, 2).texts);
    // The preferred one selected; when it is gone, the first.
    EXPECT_EQ(std::pair(1, 0), std::pair(ShowModems(modems, 2).selected, ShowModems(modems, 7).selected));
    EXPECT_EQ(std::vector<std::string>{"Modem Unavailable"}, ShowModems({}, 0).texts);

    const struct { std::uint32_t message; std::uintptr_t p1, p2, p3; std::uint32_t count; DevStateAction action;
                   std::uint32_t countAfter; } cases[] = {
        {8, 0x40000, 0, 0, 2, DevStateAction::Restart, 2}, {8, 0x40000, 19, 4, 2, DevStateAction::Refill, 5},
        {8, 0x40000, 19, 1, 3, DevStateAction::Refill, 3}, {8, 0x40000, 5, 0, 2, DevStateAction::None, 2},
        {8, 0x1, 0, 0, 2, DevStateAction::None, 2},        {2, 0x40000, 0, 0, 2, DevStateAction::None, 2},
    };
    for (const auto& c : cases) {
        std::uint32_t count = c.count;
        EXPECT_EQ(c.action, DecideDevState(c.message, c.p1, c.p2, c.p3, count)) << c.message << "/" << c.p2;
        EXPECT_EQ(c.countAfter, count);
    }
}

TEST_F(MonitorPageTest, ReadingTakesDefaultsAndReplacements)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "1 1 0 '' 1 0 1 0 0 - 1 0 2 4/4 500"},
        // Without Type, the Telephony keys choose the monitor.
        {"Device=2\r\n", "0 1 0 '' 1 0 1 0 2 - 1 0 2 4/4 500"},
        {"PermanentLineID=77\r\n", "0 1 0 '' 1 0 1 0 0 77 1 0 2 4/4 500"},
        {"Type=5\r\nUseTray=0\r\n", "1 2 0 '' 1 0 1 0 0 - 1 0 2 4/4 500"},
        {"UseTray=0\r\nIconWhenMonitoring=0\r\n", "1 0 0 '' 1 0 1 0 0 - 1 0 2 4/4 500"},
        {"IconWhenMonitoring=9\r\nAlertOnConnect=3\r\nShowLog=2\r\nPromptDefault=-1\r\nConfirmExit=4\r\n"
         "Prompt=7\r\nTrackInbound=2\r\nRasPrompt=7\r\nRasLatency=-5\r\nDelay=-30\r\n",
         "1 1 0 '' 1 0 1 -30 0 - 1 0 2 4/4 500"},
        {"Type=1\r\nDevice=4000000000\r\nAlertOnConnect=2\r\nAlertSound=C:\\a.wav\r\nShowLog=0\r\n"
         "IconWhenMonitoring=2\r\nPromptDefault=2\r\nConfirmExit=2\r\nPrompt=0\r\nTrackInbound=1\r\nRasPrompt=3\r\n"
         "RasLatency=250\r\n",
         "1 2 2 'C:\\a.wav' 0 2 2 0 4000000000 - 0 1 3 4/4 250"},
    };
    for (const auto& [body, expected] : cases) {
        Settings(body);
        EXPECT_EQ(Read(), expected) << body;
    }
}

using Values = std::map<std::string, std::string>;

// A Run key; each call may fail with the code given. The user's key exists
// only once it holds a value or was created.
struct FakeKey { Values values; long openRead = 0, openWrite = 0, query = 0, set = 0; bool exists = true; };

FakeKey Keys[2];  // machine, user
std::string ModulePath;

FakeKey& Of(RunKey root) { return Keys[root == RunKey::Machine ? 0 : 1]; }
FakeKey& Of(void* key) { return *static_cast<FakeKey*>(key); }

long Open(RunKey root, void** key, long FakeKey::*fault)
{
    *key = &Of(root);
    return !Of(root).exists ? AUTOSTART_FILE_NOT_FOUND : Of(root).*fault;
}

const AutostartRegistry Fake = {
    [](RunKey root, void** key) { return Open(root, key, &FakeKey::openRead); },
    [](RunKey root, void** key) { return Open(root, key, &FakeKey::openWrite); },
    [](RunKey root, void** key) {
        Of(root).exists = true;
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

TEST_F(AutostartTest, EachActionOnBothKeys)
{
    enum Act { Check, Register, Unregister };
    const char* const OURS = "\"C:\\Program Files\\Tolvane\\tolvane.exe\" -m";
    const Values OLD = {{"Tolvane", "\"C:\\old\\tolvane.exe\" -m"}}, HELD = {{"Tolvane", OURS}};
    const Values LONG = {{"Tolvane", std::string(700, 'x')}};
    const long DENIED = AUTOSTART_ACCESS_DENIED;
    // The action, the keys, a fault of the machine key and its code; registered afterwards, the keys, the log.
    const struct { Act act; Values machine, user; long FakeKey::*fault; long code; bool registered;
                   Values machineAfter, userAfter; const char* logged; } cases[] = {
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
        const std::string log = testsupport::ReadText(ErrorLogPath);  // its messages, without their times
        std::string logged;
        for (std::size_t at = log.find(" Error "); at != std::string::npos; at = log.find(" Error ", at + 1))
            logged += log.substr(at + 7, log.find('\n', at) - at - 7) + "|";
        EXPECT_EQ(c.logged, logged);
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
