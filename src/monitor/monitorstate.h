// The monitoring controller's state block and the [Monitor] settings.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

enum MonitorType { MONITOR_TELEPHONY = 0, MONITOR_RAS = 1 };
enum IconWhenMonitoringValue { ICON_HIDE = 0, ICON_TRAY = 1, ICON_MINIMIZE = 2 };
enum AlertOnConnectValue { ALERT_NONE = 0, ALERT_BEEP = 1, ALERT_SOUND = 2 };
enum PromptDefaultValue { PROMPT_CONNECTION_TIME = 0, PROMPT_NOW = 1, PROMPT_SPECIFIED_TIME = 2 };
enum ConfirmExitValue { EXIT_WITHOUT_PROMPT = 0, EXIT_CONFIRM = 1, EXIT_MINIMIZE_IN_TRAY = 2 };
enum RasPromptValue { RAS_MATCH_ELSE_IGNORE = 0, RAS_MATCH_ELSE_DEFAULT = 1, RAS_MATCH_ELSE_PROMPT = 2, RAS_ALWAYS_PROMPT = 3 };

// Settings and run-time state of monitoring. Zeroed at each start of
// monitoring, then filled from the settings file. Platform handles are kept
// as opaque integers so the block stays portable.
struct MonitorState {
    int Type = 0;
    int IconWhenMonitoring = 0;
    int AlertOnConnect = 0;
    std::string AlertSound;  // empty: none
    int ShowLog = 0;
    int PromptDefault = 0;
    int ConfirmExit = 0;
    int DefaultISP = 0;
    int Delay = 0;
    std::uint32_t Device = 0;
    bool hasPermanentLineID = false;
    std::uint32_t PermanentLineID = 0;
    int Prompt = 0;
    int TrackInbound = 0;
    int RasPrompt = 0;
    int sessionIsp = 0;
    bool online = false;
    std::int64_t eventTime = 0;
    bool reparented = false;
    bool hidden = false;
    // Telephony
    std::uintptr_t lineApp = 0;
    std::uintptr_t line = 0;
    std::uint32_t lineApiVersion = 0;
    // RAS polling thread
    bool rasThreadStarted = false;
    std::atomic<std::int32_t> rasStopRequests{0};
    std::uint32_t rasThreadId = 0;
    std::uint32_t uiThreadId = 0;
    std::uintptr_t rasThread = 0;
    char connectionName[257] = {};
};

// One detected RAS connection or disconnection, made by the polling thread
// and released by the UI thread that receives it.
struct ConnectionEvent {
    char entryName[257] = {};
    std::int64_t time = 0;  // the cycle's instant plus Delay
};

// Sets every field back to zero (the start of each monitoring run).
void ResetMonitorState(MonitorState& state);

struct TelephonySettings {
    std::uint32_t Device = 0;
    std::uint32_t PermanentLineID = 0;
    bool hasPermanentLineID = false;
    int Prompt = 1;
    int TrackInbound = 0;
};

// Reads [Monitor] into the state (after flushing the settings cache) and
// sets DefaultISP and sessionIsp to the default ISP.
void ReadMonitorSettings(MonitorState& state);
TelephonySettings ReadTelephonySettings();
int ReadRasPrompt();
// RAS poll interval in milliseconds (read by the polling thread itself).
int ReadRasLatency();

// Writes the settings fields of the state, in the order the Monitor page uses.
void WriteMonitorSettings(const MonitorState& values);
void WriteTelephonySettings(std::uint32_t device, std::uint32_t permanentLineId, bool hasPermanentLineId, int prompt,
                            int trackInbound);
void WriteRasPrompt(int value);
