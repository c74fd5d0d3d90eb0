#include "monitor/monitorpage.h"

#include "dialogs/dialogtable.h"
#include "monitor/autostart.h"
#include "monitor/linedecisions.h"
#include "monitor/monitorstate.h"
#include "platform/profile.h"
#include "startup/errors.h"

MonitorForm OpenMonitorForm()
{
    MonitorState scratch;
    ReadMonitorSettings(scratch);
    MonitorForm form;
    form.alert = scratch.AlertOnConnect;
    form.alertSound = scratch.AlertSound;
    form.promptDefault = scratch.PromptDefault;
    form.iconWhenMonitoring = scratch.IconWhenMonitoring;
    form.confirmExit = scratch.ConfirmExit;
    form.type = scratch.Type == MONITOR_RAS ? 1 : 0;
    form.delayText = std::to_string(scratch.Delay);
    form.showLog = scratch.ShowLog != 0;
    form.autostart = IsAutostartRegistered();
    return form;
}

namespace {

// One radio group: its value, or the default after reporting `error` when
// checking (0 then means the check failed).
bool GroupValue(int checked, int fallback, int error, bool check, int& value)
{
    if (checked != NONE_CHECKED) {
        value = checked;
        return true;
    }
    if (check) {
        ShowError(error);
        return false;
    }
    value = fallback;
    return true;
}

} // namespace

int MonitorPageFields(const MonitorForm& form, int mode)
{
    const bool check = (mode & FIELDS_CHECK) != 0;
    // What the page does not show (the keys the connection dialogs own)
    // goes back as read, normalised.
    MonitorState values;
    if (mode & FIELDS_STORE)
        ReadMonitorSettings(values);
    values.AlertSound.clear();
    if (!GroupValue(form.alert, ALERT_NONE, 1016, check, values.AlertOnConnect))
        return -1;
    if (values.AlertOnConnect == ALERT_SOUND) {
        values.AlertSound = form.alertSound.substr(0, SOUND_PATH_MAX);
        if (values.AlertSound.empty() && check) {
            ShowError(1015);
            return -1;
        }
    }
    if (!GroupValue(form.promptDefault, PROMPT_CONNECTION_TIME, 1017, check, values.PromptDefault) ||
        !GroupValue(form.iconWhenMonitoring, ICON_TRAY, 2079, check, values.IconWhenMonitoring) ||
        !GroupValue(form.confirmExit, EXIT_CONFIRM, 1019, check, values.ConfirmExit) ||
        !GroupValue(form.type, 0, 2078, true, values.Type))
        return -1;
    values.Delay = static_cast<int>(LenientNumber(form.delayText.c_str()));
    values.ShowLog = form.showLog ? 1 : 0;
    if (!(mode & FIELDS_STORE))
        return 0;

    WriteMonitorSettings(values);
    if (form.autostart)
        RegisterAutostart();
    else
        UnregisterAutostart();
    return 0;
}

ModemListView ShowModems(const std::vector<ModemEntry>& modems, std::uint32_t preferredDevice)
{
    ModemListView view;
    for (std::size_t i = 0; i < modems.size(); ++i) {
        if (modems[i].device == preferredDevice)
            view.selected = static_cast<int>(i);
        view.texts.push_back(modems[i].name);
    }
    if (view.texts.empty())
        view.texts.push_back(MODEM_UNAVAILABLE);
    return view;
}

DevStateAction DecideDevState(std::uint32_t message, std::uintptr_t param1, std::uintptr_t param2,
                              std::uintptr_t param3, std::uint32_t& deviceCount)
{
    if (message != LINE_LINEDEVSTATE_MESSAGE || param1 != LINEDEVSTATE_REINIT_VALUE)
        return DevStateAction::None;
    if (param2 == 0)
        return DevStateAction::Restart;
    if (param2 != LINE_CREATE_MESSAGE)
        return DevStateAction::None;
    if (deviceCount <= param3)
        deviceCount = static_cast<std::uint32_t>(param3 + 1);
    return DevStateAction::Refill;
}

int StoreTelephonyForm(const TelephonyForm& form)
{
    if (form.onConnection == NONE_CHECKED) {
        ShowError(2077);
        return -1;
    }
    WriteTelephonySettings(form.modem ? form.device : 0, form.permanentLineId, form.modem, form.onConnection,
                           form.trackInbound ? 1 : 0);
    return 0;
}

int StoreRasPrompt(int checked)
{
    if (checked < RAS_MATCH_ELSE_IGNORE || checked > RAS_ALWAYS_PROMPT) {
        ShowError(2077);
        return -1;
    }
    WriteRasPrompt(checked);
    return 0;
}
