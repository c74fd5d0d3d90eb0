#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialogtable.h"
#include "monitor/monitorpage.h"
#include "platform/profile.h"
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
    std::string Key(const char* key) const { return IniValue("Monitor", key); }
    // Every group answered.
    MonitorForm Answered()
    {
        MonitorForm form;
        form.alert = 2;
        form.alertSound = "C:\\ding.wav";
        form.promptDefault = 1;
        form.iconWhenMonitoring = 2;
        form.confirmExit = 0;
        form.type = 0;
        form.delayText = "15";
        form.showLog = false;
        return form;
    }
};

TEST_F(MonitorPageTest, CheckingReportsTheFirstUnansweredGroupInOrder)
{
    struct Case {
        const char* name;
        void (*change)(MonitorForm&);
        ErrorCode expected;
    } cases[] = {
        {"no alert", [](MonitorForm& f) { f.alert = NONE_CHECKED; f.type = NONE_CHECKED; }, 1016},
        {"WAV without a file", [](MonitorForm& f) { f.alertSound.clear(); f.promptDefault = NONE_CHECKED; }, 1015},
        {"no preselection", [](MonitorForm& f) { f.promptDefault = NONE_CHECKED; f.confirmExit = NONE_CHECKED; }, 1017},
        {"no icon action", [](MonitorForm& f) { f.iconWhenMonitoring = NONE_CHECKED; }, 2079},
        {"no exit action", [](MonitorForm& f) { f.confirmExit = NONE_CHECKED; }, 1019},
        {"no type", [](MonitorForm& f) { f.type = NONE_CHECKED; }, 2078},
    };
    for (const Case& c : cases) {
        Settings("");
        MonitorForm form = Answered();
        c.change(form);
        EXPECT_EQ(-1, MonitorPageFields(form, FIELDS_CHECK)) << c.name;
        EXPECT_EQ(std::vector<ErrorCode>{c.expected}, RecordedCodes()) << c.name;
    }
    Settings("");
    EXPECT_EQ(0, MonitorPageFields(Answered(), FIELDS_CHECK));
    EXPECT_EQ("<none>", Key("Type"));  // checking stores nothing
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(MonitorPageTest, StoringWritesTheFormAndTheConnectionKeysAsRead)
{
    Settings("Device=4\r\nPermanentLineID=99\r\nPrompt=7\r\nTrackInbound=1\r\nRasPrompt=7\r\nUseTray=0\r\n");
    ASSERT_EQ(0, MonitorPageFields(Answered(), FIELDS_STORE));
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"AlertOnConnect", "2"}, {"AlertSound", "C:\\ding.wav"}, {"PromptDefault", "1"}, {"IconWhenMonitoring", "2"},
        {"ConfirmExit", "0"},    {"Type", "0"},                  {"Delay", "15"},        {"ShowLog", "0"},
        {"Device", "4"},         {"PermanentLineID", "99"},      {"Prompt", "1"},        {"TrackInbound", "1"},
        {"RasPrompt", "2"},      {"UseTray", "0"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.value, Key(e.key)) << e.key;
}

TEST_F(MonitorPageTest, StoringWithoutTheCheckTakesDefaultsButNeverGuessesTheType)
{
    Settings("AlertSound=old.wav\r\n");
    MonitorForm form;
    form.alert = form.promptDefault = form.iconWhenMonitoring = form.confirmExit = NONE_CHECKED;
    form.delayText = "-30";
    ASSERT_EQ(0, MonitorPageFields(form, FIELDS_STORE));
    EXPECT_EQ("0", Key("AlertOnConnect"));
    EXPECT_EQ("<none>", Key("AlertSound"));  // no sound: the file goes
    EXPECT_EQ("0", Key("PromptDefault"));
    EXPECT_EQ("1", Key("IconWhenMonitoring"));
    EXPECT_EQ("1", Key("ConfirmExit"));
    EXPECT_EQ("-30", Key("Delay"));
    EXPECT_TRUE(RecordedCodes().empty());

    Settings("");
    form.type = NONE_CHECKED;
    EXPECT_EQ(-1, MonitorPageFields(form, FIELDS_STORE));
    EXPECT_EQ(std::vector<ErrorCode>{2078}, RecordedCodes());
    EXPECT_EQ("<none>", Key("Type"));
}

TEST_F(MonitorPageTest, ConnectionDialogsStoreTheirChoiceOrAskForIt)
{
    Settings("PermanentLineID=5\r\n");
    TelephonyForm modem{true, 3, 77, 0, true};
    EXPECT_EQ(0, StoreTelephonyForm(modem));
    EXPECT_EQ("3", Key("Device"));
    EXPECT_EQ("77", Key("PermanentLineID"));
    EXPECT_EQ("0", Key("Prompt"));
    EXPECT_EQ("1", Key("TrackInbound"));

    TelephonyForm none{false, 3, 77, 1, false};
    EXPECT_EQ(0, StoreTelephonyForm(none));
    EXPECT_EQ("0", Key("Device"));
    EXPECT_EQ("<none>", Key("PermanentLineID"));

    none.onConnection = NONE_CHECKED;
    none.modem = true;
    EXPECT_EQ(-1, StoreTelephonyForm(none));
    EXPECT_EQ("0", Key("Device"));

    EXPECT_EQ(0, StoreRasPrompt(3));
    EXPECT_EQ("3", Key("RasPrompt"));
    EXPECT_EQ(-1, StoreRasPrompt(NONE_CHECKED));
    EXPECT_EQ("3", Key("RasPrompt"));
    EXPECT_EQ((std::vector<ErrorCode>{2077, 2077}), RecordedCodes());
}

TEST(ModemListTest, ListsTheModemsWithThePreferredOneSelected)
{
    const std::vector<ModemEntry> modems = {{"Fax", 0, 10}, {"Data", 2, 20}};
    ModemListView view = ShowModems(modems, 2);
    EXPECT_EQ((std::vector<std::string>{"Fax", "Data"}), view.texts);
    EXPECT_EQ(1, view.selected);
    EXPECT_EQ(0, ShowModems(modems, 7).selected);  // gone: the first
    view = ShowModems({}, 0);
    EXPECT_EQ(std::vector<std::string>{"Modem Unavailable"}, view.texts);
    EXPECT_EQ(0, view.selected);
}

TEST(ModemListTest, DeviceStateChangesRefillTheList)
{
    struct Case {
        std::uint32_t message;
        std::uintptr_t p1, p2, p3;
        std::uint32_t count;
        DevStateAction action;
        std::uint32_t countAfter;
    } cases[] = {
        {8, 0x40000, 0, 0, 2, DevStateAction::Restart, 2},
        {8, 0x40000, 19, 4, 2, DevStateAction::Refill, 5},
        {8, 0x40000, 19, 1, 3, DevStateAction::Refill, 3},
        {8, 0x40000, 5, 0, 2, DevStateAction::None, 2},
        {8, 0x1, 0, 0, 2, DevStateAction::None, 2},
        {2, 0x40000, 0, 0, 2, DevStateAction::None, 2},
    };
    for (const Case& c : cases) {
        std::uint32_t count = c.count;
        EXPECT_EQ(c.action, DecideDevState(c.message, c.p1, c.p2, c.p3, count)) << c.message << "/" << c.p2;
        EXPECT_EQ(c.countAfter, count);
    }
}

} // namespace
