#include <gtest/gtest.h>

#include <string>

#include "monitor/monitorstate.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"

namespace {

class MonitorSettingsTest : public testsupport::ProgramDirTest {
protected:
    void Settings(const std::string& body)
    {
        testsupport::WriteFileBytes(IniFilePath, "[Global]\r\nActiveIDs=4,2\r\n[Monitor]\r\n" + body);
    }
    // The state block is not copyable (its RAS stop counter is atomic).
    const MonitorState& Read()
    {
        ResetMonitorState(state);
        ReadMonitorSettings(state);
        return state;
    }
    MonitorState state;
    std::string Key(const char* key) { return ProfileGetString(IniFilePath, "Monitor", key, "<none>"); }
};

TEST_F(MonitorSettingsTest, DefaultsForAnEmptySection)
{
    Settings("");
    const MonitorState& s = Read();
    EXPECT_EQ(MONITOR_RAS, s.Type);
    EXPECT_EQ(ICON_TRAY, s.IconWhenMonitoring);
    EXPECT_EQ(ALERT_NONE, s.AlertOnConnect);
    EXPECT_EQ("", s.AlertSound);
    EXPECT_EQ(1, s.ShowLog);
    EXPECT_EQ(PROMPT_CONNECTION_TIME, s.PromptDefault);
    EXPECT_EQ(EXIT_CONFIRM, s.ConfirmExit);
    EXPECT_EQ(0, s.Delay);
    EXPECT_EQ(0u, s.Device);
    EXPECT_FALSE(s.hasPermanentLineID);
    EXPECT_EQ(1, s.Prompt);
    EXPECT_EQ(0, s.TrackInbound);
    EXPECT_EQ(RAS_MATCH_ELSE_PROMPT, s.RasPrompt);
    EXPECT_EQ(4, s.DefaultISP);
    EXPECT_EQ(4, s.sessionIsp);
    EXPECT_EQ(500, ReadRasLatency());
}

TEST_F(MonitorSettingsTest, TypeFollowsTheTelephonyKeysWhenMissing)
{
    Settings("Device=2\r\n");
    EXPECT_EQ(MONITOR_TELEPHONY, Read().Type);
    Settings("PermanentLineID=77\r\n");
    const MonitorState& s = Read();
    EXPECT_EQ(MONITOR_TELEPHONY, s.Type);
    EXPECT_TRUE(s.hasPermanentLineID);
    EXPECT_EQ(77u, s.PermanentLineID);
    Settings("Type=5\r\nDevice=2\r\n");
    EXPECT_EQ(MONITOR_RAS, Read().Type);  // out of range
}

TEST_F(MonitorSettingsTest, IconWhenMonitoringFallsBackToUseTray)
{
    Settings("UseTray=0\r\n");
    EXPECT_EQ(ICON_MINIMIZE, Read().IconWhenMonitoring);
    Settings("UseTray=3\r\n");
    EXPECT_EQ(ICON_TRAY, Read().IconWhenMonitoring);
    Settings("UseTray=0\r\nIconWhenMonitoring=0\r\n");
    EXPECT_EQ(ICON_HIDE, Read().IconWhenMonitoring);
    Settings("IconWhenMonitoring=9\r\n");
    EXPECT_EQ(ICON_TRAY, Read().IconWhenMonitoring);
}

TEST_F(MonitorSettingsTest, OutOfRangeValuesTakeTheirReplacements)
{
    Settings("AlertOnConnect=3\r\nShowLog=2\r\nPromptDefault=-1\r\nConfirmExit=4\r\nPrompt=7\r\nTrackInbound=2\r\n"
             "RasPrompt=7\r\nRasLatency=-5\r\nDelay=-30\r\n");
    const MonitorState& s = Read();
    EXPECT_EQ(ALERT_NONE, s.AlertOnConnect);
    EXPECT_EQ(1, s.ShowLog);
    EXPECT_EQ(PROMPT_CONNECTION_TIME, s.PromptDefault);
    EXPECT_EQ(EXIT_CONFIRM, s.ConfirmExit);
    EXPECT_EQ(1, s.Prompt);
    EXPECT_EQ(0, s.TrackInbound);
    EXPECT_EQ(RAS_MATCH_ELSE_PROMPT, s.RasPrompt);
    EXPECT_EQ(-30, s.Delay);
    EXPECT_EQ(500, ReadRasLatency());
}

TEST_F(MonitorSettingsTest, WritingStoresNormalisedValuesAndDeletesAbsentOnes)
{
    Settings("RasPrompt=7\r\nPermanentLineID=5\r\nAlertSound=C:\\old.wav\r\nUseTray=0\r\n");
    Read();
    MonitorState& s = state;
    s.AlertSound.clear();
    s.hasPermanentLineID = false;
    s.Device = 4000000000u;
    s.ConfirmExit = EXIT_MINIMIZE_IN_TRAY;
    WriteMonitorSettings(s);
    EXPECT_EQ("2", Key("RasPrompt"));
    EXPECT_EQ("<none>", Key("PermanentLineID"));
    EXPECT_EQ("<none>", Key("AlertSound"));
    EXPECT_EQ("4000000000", Key("Device"));
    EXPECT_EQ("2", Key("IconWhenMonitoring"));  // taken over from UseTray
    EXPECT_EQ("0", Key("UseTray"));             // never written
    const MonitorState& again = Read();
    EXPECT_EQ(4000000000u, again.Device);
    EXPECT_EQ(EXIT_MINIMIZE_IN_TRAY, again.ConfirmExit);
    EXPECT_EQ(MONITOR_TELEPHONY, again.Type);

    WriteTelephonySettings(3, 12345, true, 0, 1);
    TelephonySettings t = ReadTelephonySettings();
    EXPECT_EQ(3u, t.Device);
    EXPECT_TRUE(t.hasPermanentLineID);
    EXPECT_EQ(12345u, t.PermanentLineID);
    EXPECT_EQ(0, t.Prompt);
    EXPECT_EQ(1, t.TrackInbound);
    WriteRasPrompt(RAS_ALWAYS_PROMPT);
    EXPECT_EQ(RAS_ALWAYS_PROMPT, ReadRasPrompt());
}

} // namespace
