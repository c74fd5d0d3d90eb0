#include <cstdio>
#include <cstdlib>

#include "monitor/monitorstate.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariff/ispnumbers.h"

namespace {

const char* const SECTION = "Monitor";

// The key's text (at most 511 characters), empty when missing.
std::string Text(const char* key)
{
    return ProfileGetString(IniFilePath, SECTION, key, "", 512);
}

// The leading number of the text; text without digits reads as 0.
long Number(const std::string& text)
{
    return LenientNumber(text.c_str());
}

// A small enumerated value: missing gives `missing`, anything outside
// [0, max] gives `outOfRange`.
int Choice(const char* key, int max, int missing, int outOfRange)
{
    std::string text = Text(key);
    if (text.empty())
        return missing;
    long n = Number(text);
    return (n < 0 || n > max) ? outOfRange : static_cast<int>(n);
}

std::uint32_t Unsigned(const std::string& text)
{
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

void WriteInt(const char* key, long value)
{
    ProfileWriteInt(IniFilePath, SECTION, key, value);
}

void WriteUnsigned(const char* key, std::uint32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    ProfileWrite(IniFilePath, SECTION, key, text);
}

} // namespace

void ResetMonitorState(MonitorState& state)
{
    state.Type = state.IconWhenMonitoring = state.AlertOnConnect = 0;
    state.AlertSound.clear();
    state.ShowLog = state.PromptDefault = state.ConfirmExit = state.DefaultISP = state.Delay = 0;
    state.Device = state.PermanentLineID = 0;
    state.hasPermanentLineID = false;
    state.Prompt = state.TrackInbound = state.RasPrompt = state.sessionIsp = 0;
    state.online = state.reparented = state.hidden = false;
    state.eventTime = 0;
    state.lineApp = state.line = 0;
    state.lineApiVersion = 0;
    state.rasThreadStarted = false;
    state.rasStopRequests.store(0);
    state.rasThreadId = state.uiThreadId = 0;
    state.rasThread = 0;
    state.connectionName[0] = '\0';
}

TelephonySettings ReadTelephonySettings()
{
    TelephonySettings t;
    t.Device = Unsigned(Text("Device"));
    std::string permanent = Text("PermanentLineID");
    t.hasPermanentLineID = !permanent.empty();
    t.PermanentLineID = t.hasPermanentLineID ? Unsigned(permanent) : 0;
    t.Prompt = Choice("Prompt", 1, 1, 1);
    t.TrackInbound = Choice("TrackInbound", 1, 0, 0);
    return t;
}

int ReadRasPrompt()
{
    return Choice("RasPrompt", 3, RAS_MATCH_ELSE_PROMPT, RAS_MATCH_ELSE_PROMPT);
}

int ReadRasLatency()
{
    std::string text = Text("RasLatency");
    if (text.empty())
        return 500;
    long n = Number(text);
    return n < 0 ? 500 : static_cast<int>(n);
}

void ReadMonitorSettings(MonitorState& state)
{
    ProfileFlush(IniFilePath);
    state.DefaultISP = GetDefaultIsp();
    state.sessionIsp = state.DefaultISP;

    std::string type = Text("Type");
    if (type.empty())
        state.Type = (!Text("PermanentLineID").empty() || !Text("Device").empty()) ? MONITOR_TELEPHONY : MONITOR_RAS;
    else
        state.Type = Choice("Type", 1, MONITOR_RAS, MONITOR_RAS);

    if (Text("IconWhenMonitoring").empty()) {
        std::string useTray = Text("UseTray");
        state.IconWhenMonitoring = useTray.empty() ? ICON_TRAY : (Number(useTray) != 0 ? ICON_TRAY : ICON_MINIMIZE);
    } else {
        state.IconWhenMonitoring = Choice("IconWhenMonitoring", 2, ICON_TRAY, ICON_TRAY);
    }

    state.AlertOnConnect = Choice("AlertOnConnect", 2, ALERT_NONE, ALERT_NONE);
    state.AlertSound = Text("AlertSound");
    state.ShowLog = Choice("ShowLog", 1, 1, 1);
    state.PromptDefault = Choice("PromptDefault", 2, PROMPT_CONNECTION_TIME, PROMPT_CONNECTION_TIME);
    state.ConfirmExit = Choice("ConfirmExit", 2, EXIT_CONFIRM, EXIT_CONFIRM);
    state.Delay = static_cast<int>(Number(Text("Delay")));

    TelephonySettings t = ReadTelephonySettings();
    state.Device = t.Device;
    state.PermanentLineID = t.PermanentLineID;
    state.hasPermanentLineID = t.hasPermanentLineID;
    state.Prompt = t.Prompt;
    state.TrackInbound = t.TrackInbound;
    state.RasPrompt = ReadRasPrompt();
}

void WriteTelephonySettings(std::uint32_t device, std::uint32_t permanentLineId, bool hasPermanentLineId, int prompt,
                            int trackInbound)
{
    WriteInt("Prompt", prompt);
    WriteUnsigned("Device", device);
    if (hasPermanentLineId)
        WriteUnsigned("PermanentLineID", permanentLineId);
    else
        ProfileDeleteKey(IniFilePath, SECTION, "PermanentLineID");
    WriteInt("TrackInbound", trackInbound);
}

void WriteRasPrompt(int value)
{
    WriteInt("RasPrompt", value);
}

void WriteMonitorSettings(const MonitorState& v)
{
    ProfileFlush(IniFilePath);
    WriteInt("ConfirmExit", v.ConfirmExit);
    WriteInt("Delay", v.Delay);
    WriteTelephonySettings(v.Device, v.PermanentLineID, v.hasPermanentLineID, v.Prompt, v.TrackInbound);
    WriteInt("PromptDefault", v.PromptDefault);
    WriteInt("ShowLog", v.ShowLog);
    WriteInt("AlertOnConnect", v.AlertOnConnect);
    if (v.AlertSound.empty())
        ProfileDeleteKey(IniFilePath, SECTION, "AlertSound");
    else
        ProfileWrite(IniFilePath, SECTION, "AlertSound", v.AlertSound.c_str());
    WriteRasPrompt(v.RasPrompt);
    WriteInt("IconWhenMonitoring", v.IconWhenMonitoring);
    WriteInt("Type", v.Type);
    ProfileFlush(IniFilePath);
}
