// The [Monitor] settings, the Monitor page, its two connection dialogs and
// the modem list.
#include <cstdio>

#include "dialogs/dialogtable.h"
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
        WriteIni("[Global]\r\nActiveIDs=3\r\n[Monitor]\r\n" + body);
        testsupport::ClearRecordedErrors();
    }
    std::string Keys(const std::vector<const char*>& keys) const { return IniValues("Monitor", keys); }
};

// Checking reports the first unanswered group in order and stores nothing;
// storing alone takes defaults for what is unanswered, but never guesses the
// type. The keys the connection dialogs own are written back as read.
TEST_F(MonitorPageTest, CheckAndStore)
{
    const char* const unchanged = "<none>|old.wav|<none>|<none>|<none>|<none>|<none>|<none>|4000000000|99|7|1|7|0";
    const struct {
        void (*change)(MonitorForm&);
        int mode;
        ErrorCode error;  // 0: accepted
        const char* keys;
    } cases[] = {
        {[](MonitorForm& f) { f.alert = f.type = NONE_CHECKED; }, FIELDS_CHECK, 1016, unchanged},
        // A WAV file without its name.
        {[](MonitorForm& f) { f.alertSound.clear(); f.promptDefault = NONE_CHECKED; }, FIELDS_CHECK, 1015, unchanged},
        {[](MonitorForm& f) { f.promptDefault = f.confirmExit = NONE_CHECKED; }, FIELDS_CHECK, 1017, unchanged},
        {[](MonitorForm& f) { f.iconWhenMonitoring = NONE_CHECKED; }, FIELDS_CHECK, 2079, unchanged},
        {[](MonitorForm& f) { f.confirmExit = NONE_CHECKED; }, FIELDS_CHECK, 1019, unchanged},
        {[](MonitorForm& f) { f.type = NONE_CHECKED; }, FIELDS_CHECK, 2078, unchanged},
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
        MonitorForm form;
        form.alert = 2, form.alertSound = "C:\\ding.wav", form.promptDefault = 1, form.iconWhenMonitoring = 2;
        form.confirmExit = 0, form.type = 0, form.delayText = "15", form.showLog = false;
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
    const ModemListView view = ShowModems(modems, 2);
    EXPECT_EQ((std::vector<std::string>{"Fax", "Data"}), view.texts);
    EXPECT_EQ(1, view.selected);
    EXPECT_EQ(0, ShowModems(modems, 7).selected);  // gone: the first
    EXPECT_EQ(std::vector<std::string>{"Modem Unavailable"}, ShowModems({}, 0).texts);

    const struct {
        std::uint32_t message;
        std::uintptr_t p1, p2, p3;
        std::uint32_t count;
        DevStateAction action;
        std::uint32_t countAfter;
    } cases[] = {
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

class MonitorSettingsTest : public testsupport::ProgramDirTest {
protected:
    void Settings(const std::string& body)
    {
        WriteIni("[Global]\r\nActiveIDs=4,2\r\n[Monitor]\r\n" + body);
    }
    // Every setting read, on one line: Type, IconWhenMonitoring,
    // AlertOnConnect, 'AlertSound', ShowLog, PromptDefault, ConfirmExit,
    // Delay, Device, PermanentLineID or -, Prompt, TrackInbound, RasPrompt,
    // DefaultISP/sessionIsp, RAS latency.
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

TEST_F(MonitorSettingsTest, ReadingTakesDefaultsAndReplacements)
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

} // namespace
