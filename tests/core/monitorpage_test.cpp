// The Monitor page, the two connection dialogs and the modem list.
#include "dialogs/dialogtable.h"
#include "monitor/monitorpage.h"
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
    // Every group answered.
    MonitorForm Answered()
    {
        MonitorForm form;
        form.alert = 2, form.alertSound = "C:\\ding.wav", form.promptDefault = 1, form.iconWhenMonitoring = 2;
        form.confirmExit = 0, form.type = 0, form.delayText = "15", form.showLog = false;
        return form;
    }
};

TEST_F(MonitorPageTest, CheckingReportsTheFirstUnansweredGroupInOrder)
{
    const struct { void (*change)(MonitorForm&); ErrorCode expected; } cases[] = {
        {[](MonitorForm& f) { f.alert = NONE_CHECKED; f.type = NONE_CHECKED; }, 1016},
        {[](MonitorForm& f) { f.alertSound.clear(); f.promptDefault = NONE_CHECKED; }, 1015},  // WAV without a file
        {[](MonitorForm& f) { f.promptDefault = NONE_CHECKED; f.confirmExit = NONE_CHECKED; }, 1017},
        {[](MonitorForm& f) { f.iconWhenMonitoring = NONE_CHECKED; }, 2079},
        {[](MonitorForm& f) { f.confirmExit = NONE_CHECKED; }, 1019},
        {[](MonitorForm& f) { f.type = NONE_CHECKED; }, 2078},
    };
    for (const auto& c : cases) {
        Settings("");
        MonitorForm form = Answered();
        c.change(form);
        EXPECT_EQ(-1, MonitorPageFields(form, FIELDS_CHECK)) << c.expected;
        EXPECT_EQ(std::vector<ErrorCode>{c.expected}, RecordedCodes());
    }
    Settings("");
    EXPECT_EQ(0, MonitorPageFields(Answered(), FIELDS_CHECK));
    EXPECT_EQ("<none>", Keys({"Type"}));  // checking stores nothing
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(MonitorPageTest, StoringWritesTheFormAndTheConnectionKeysAsRead)
{
    Settings("Device=4\r\nPermanentLineID=99\r\nPrompt=7\r\nTrackInbound=1\r\nRasPrompt=7\r\nUseTray=0\r\n");
    ASSERT_EQ(0, MonitorPageFields(Answered(), FIELDS_STORE));
    EXPECT_EQ("2|C:\\ding.wav|1|2|0|0|15|0|4|99|1|1|2|0",
              Keys({"AlertOnConnect", "AlertSound", "PromptDefault", "IconWhenMonitoring", "ConfirmExit", "Type", "Delay",
                    "ShowLog", "Device", "PermanentLineID", "Prompt", "TrackInbound", "RasPrompt", "UseTray"}));

    // Without the check: defaults for what is unanswered, the sound file goes.
    Settings("AlertSound=old.wav\r\n");
    MonitorForm form;
    form.alert = form.promptDefault = form.iconWhenMonitoring = form.confirmExit = NONE_CHECKED;
    form.delayText = "-30";
    ASSERT_EQ(0, MonitorPageFields(form, FIELDS_STORE));
    EXPECT_EQ("0|<none>|0|1|1|-30",
              Keys({"AlertOnConnect", "AlertSound", "PromptDefault", "IconWhenMonitoring", "ConfirmExit", "Delay"}));
    EXPECT_TRUE(RecordedCodes().empty());
    // ... but the type is never guessed.
    Settings("");
    form.type = NONE_CHECKED;
    EXPECT_EQ(-1, MonitorPageFields(form, FIELDS_STORE));
    EXPECT_EQ(std::vector<ErrorCode>{2078}, RecordedCodes());
    EXPECT_EQ("<none>", Keys({"Type"}));
}

TEST_F(MonitorPageTest, ConnectionDialogsStoreTheirChoiceOrAskForIt)
{
    const std::vector<const char*> keys = {"Device", "PermanentLineID", "Prompt", "TrackInbound"};
    Settings("PermanentLineID=5\r\n");
    EXPECT_EQ(0, StoreTelephonyForm({true, 3, 77, 0, true}));
    EXPECT_EQ("3|77|0|1", Keys(keys));
    TelephonyForm none{false, 3, 77, 1, false};
    EXPECT_EQ(0, StoreTelephonyForm(none));
    EXPECT_EQ("0|<none>|1|0", Keys(keys));
    none.onConnection = NONE_CHECKED;
    none.modem = true;
    EXPECT_EQ(-1, StoreTelephonyForm(none));
    EXPECT_EQ("0", Keys({"Device"}));

    EXPECT_EQ(0, StoreRasPrompt(3));
    EXPECT_EQ(-1, StoreRasPrompt(NONE_CHECKED));
    EXPECT_EQ("3", Keys({"RasPrompt"}));
    EXPECT_EQ((std::vector<ErrorCode>{2077, 2077}), RecordedCodes());
}

TEST(ModemListTest, PreferredModemAndDeviceStateChanges)
{
    const std::vector<ModemEntry> modems = {{"Fax", 0, 10}, {"Data", 2, 20}};
    ModemListView view = ShowModems(modems, 2);
    EXPECT_EQ((std::vector<std::string>{"Fax", "Data"}), view.texts);
    EXPECT_EQ(1, view.selected);
    EXPECT_EQ(0, ShowModems(modems, 7).selected);  // gone: the first
    view = ShowModems({}, 0);
    EXPECT_EQ(std::vector<std::string>{"Modem Unavailable"}, view.texts);
    EXPECT_EQ(0, view.selected);

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

} // namespace
