#include <gtest/gtest.h>

#include <cstdio>
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
    std::string Key(const char* key) { return ProfileGetString(IniFilePath, "Monitor", key, "<none>"); }
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
         "PromptDefault=2\r\nConfirmExit=0\r\nPrompt=0\r\nTrackInbound=1\r\nRasPrompt=3\r\nRasLatency=250\r\n",
         "1 1 2 'C:\\a.wav' 0 2 0 0 4000000000 - 0 1 3 4/4 250"},
    };
    for (const auto& [body, expected] : cases) {
        Settings(body);
        EXPECT_EQ(Read(), expected) << body;
    }
}

TEST_F(MonitorSettingsTest, WritingStoresNormalisedValuesAndDeletesAbsentOnes)
{
    Settings("RasPrompt=7\r\nPermanentLineID=5\r\nAlertSound=C:\\old.wav\r\nUseTray=0\r\n");
    Read();
    state.AlertSound.clear();
    state.hasPermanentLineID = false;
    state.Device = 4000000000u;
    state.ConfirmExit = EXIT_MINIMIZE_IN_TRAY;
    WriteMonitorSettings(state);
    EXPECT_EQ("2", Key("RasPrompt"));
    EXPECT_EQ("<none>", Key("PermanentLineID"));
    EXPECT_EQ("<none>", Key("AlertSound"));
    EXPECT_EQ("2", Key("IconWhenMonitoring"));  // taken over from UseTray
    EXPECT_EQ("0", Key("UseTray"));             // never written
    EXPECT_EQ(Read(), "0 2 0 '' 1 0 2 0 4000000000 - 1 0 2 4/4 500");

    WriteTelephonySettings(3, 12345, true, 0, 1);
    const TelephonySettings t = ReadTelephonySettings();
    EXPECT_EQ(3u, t.Device);
    EXPECT_EQ(12345u, t.PermanentLineID);
    EXPECT_TRUE(t.hasPermanentLineID);
    EXPECT_EQ(0, t.Prompt);
    EXPECT_EQ(1, t.TrackInbound);
    WriteRasPrompt(RAS_ALWAYS_PROMPT);
    EXPECT_EQ(RAS_ALWAYS_PROMPT, ReadRasPrompt());
}

} // namespace
