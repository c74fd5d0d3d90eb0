// The [Monitor] settings as the monitor reads and writes them.
#include <cstdio>

#include "monitor/monitorstate.h"
#include "startup/locations.h"
#include "support.h"

namespace {

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
         "PromptDefault=2\r\nConfirmExit=0\r\nPrompt=0\r\nTrackInbound=1\r\nRasPrompt=3\r\nRasLatency=250\r\n",
         "1 1 2 'C:\\a.wav' 0 2 0 0 4000000000 - 0 1 3 4/4 250"},
    };
    for (const auto& [body, expected] : cases) {
        Settings(body);
        EXPECT_EQ(Read(), expected) << body;
    }
}

// (What the Monitor page stores through the same writer is tested there.)
TEST_F(MonitorSettingsTest, WritingTakesOverUseTrayAndKeepsLargeDeviceNumbers)
{
    Settings("UseTray=0\r\n");
    Read();
    state.Device = 4000000000u;
    state.ConfirmExit = EXIT_MINIMIZE_IN_TRAY;
    WriteMonitorSettings(state);
    EXPECT_EQ(Read(), "1 2 0 '' 1 0 2 0 4000000000 - 1 0 2 4/4 500");
    WriteRasPrompt(RAS_ALWAYS_PROMPT);
    EXPECT_EQ(RAS_ALWAYS_PROMPT, ReadRasPrompt());
}

} // namespace
