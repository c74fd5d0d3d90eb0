// The Monitor page (166): copies between its controls and the form, and
// opens the configuration dialog of the chosen type of monitoring.
#include <windows.h>
#include <commdlg.h>

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "monitor/monitorpage.h"
#include "monitor/win32/connectiondialogs.h"
#include "resource.h"
#include "startup/errors.h"
#include "startup/locations.h"

namespace {

// The sound file field and its Browse button go with "Play WAV file".
void ShowSoundField(HWND page, bool playSound)
{
    HWND field = GetDlgItem(page, IDC_MON_WAVFILE);
    EnableWindow(field, playSound);
    EnableWindow(GetDlgItem(page, IDC_BROWSE), playSound);
    if (playSound) {
        SendMessageA(field, EM_SETSEL, 0, -1);
        SetFocus(field);
    }
}

void OnAlert(WindowHandle page, int, WindowHandle, int)
{
    HWND window = static_cast<HWND>(page);
    ShowSoundField(window, IsChecked(window, IDC_MON_PLAYWAV));
}

void OnBrowse(WindowHandle page)
{
    const FileChoice sound = {
        "Select WAV File", "WAV files\0*.WAV\0All files\0*.*\0", "wav", ProgramDirectory.c_str(),
        OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
    };
    BrowseIntoField(static_cast<HWND>(page), IDC_MON_WAVFILE, sound);
}

void OnConfigure(WindowHandle handle)
{
    HWND page = static_cast<HWND>(handle);
    if (IsChecked(page, IDC_MON_TELEPHONY))
        RunTelephonyDialog(page);
    else if (IsChecked(page, IDC_MON_RAS))
        RunRasDialog(page);
    else
        ShowError(2078);
}

MonitorForm ReadForm(HWND page)
{
    MonitorForm form;
    form.alert = CheckedButton(page, IDC_MON_NOSOUND, 3);
    form.alertSound = ControlText(page, IDC_MON_WAVFILE, SOUND_PATH_MAX);
    form.promptDefault = CheckedButton(page, IDC_TIME_CONNECTION, 3);
    form.iconWhenMonitoring = CheckedButton(page, IDC_MON_HIDEICON, 3);
    form.confirmExit = CheckedButton(page, IDC_MON_EXITNOPROMPT, 3);
    form.type = CheckedButton(page, IDC_MON_TELEPHONY, 2);
    form.delayText = ControlText(page, IDC_MON_DELAY, 32);
    form.showLog = IsChecked(page, IDC_MON_SHOWLOG);
    form.autostart = IsChecked(page, IDC_MON_AUTOSTART);
    return form;
}

int Fields(HWND page, int mode)
{
    return MonitorPageFields(ReadForm(page), mode);
}

void OpenPage(HWND page)
{
    const MonitorForm form = OpenMonitorForm();
    SendDlgItemMessageA(page, IDC_MON_WAVFILE, EM_LIMITTEXT, SOUND_PATH_MAX, 0);
    CheckRadioButton(page, IDC_MON_NOSOUND, IDC_MON_PLAYWAV, IDC_MON_NOSOUND + form.alert);
    if (form.alert == 2)
        SetDlgItemTextA(page, IDC_MON_WAVFILE, form.alertSound.c_str());
    ShowSoundField(page, form.alert == 2);
    CheckRadioButton(page, IDC_TIME_CONNECTION, IDC_TIME_SPECIFIED, IDC_TIME_CONNECTION + form.promptDefault);
    CheckRadioButton(page, IDC_MON_HIDEICON, IDC_MON_MINIMIZE, IDC_MON_HIDEICON + form.iconWhenMonitoring);
    CheckRadioButton(page, IDC_MON_EXITNOPROMPT, IDC_MON_EXITMINIMIZE, IDC_MON_EXITNOPROMPT + form.confirmExit);
    CheckRadioButton(page, IDC_MON_TELEPHONY, IDC_MON_RAS, IDC_MON_TELEPHONY + form.type);
    SetDlgItemTextA(page, IDC_MON_DELAY, form.delayText.c_str());
    SetChecked(page, IDC_MON_SHOWLOG, form.showLog);
    SetChecked(page, IDC_MON_AUTOSTART, form.autostart);
}

const CommandRow MonitorCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_BROWSE, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnBrowse),
    Row(IDC_MON_NOSOUND, 0, OnAlert),
    Row(IDC_MON_BEEP, 0, OnAlert),
    Row(IDC_MON_PLAYWAV, 0, OnAlert),
    Row(IDC_MON_CONFIGURE, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnConfigure),
};

const HelpPair MonitorHelp[] = {
    {IDC_MON_ALERTGROUP, 3600},  {IDC_MON_NOSOUND, 3601},      {IDC_MON_BEEP, 3602},         {IDC_MON_PLAYWAV, 3603},
    {IDC_MON_WAVFILE, 3603},     {IDC_BROWSE, 3617},           {IDC_MON_PROMPTGROUP, 3619},  {IDC_TIME_CONNECTION, 3619},
    {IDC_TIME_NOW, 3619},        {IDC_TIME_SPECIFIED, 3619},   {IDC_MON_ICONGROUP, 3620},    {IDC_MON_HIDEICON, 3620},
    {IDC_MON_TRAYICON, 3620},    {IDC_MON_MINIMIZE, 3620},     {IDC_MON_EXITNOPROMPT, 3614}, {IDC_MON_EXITCONFIRM, 3615},
    {IDC_MON_EXITMINIMIZE, 3616}, {IDC_MON_TYPEGROUP, 3618},   {IDC_MON_TELEPHONY, 3618},    {IDC_MON_RAS, 3618},
    {IDC_MON_CONFIGURE, 3618},   {IDC_MON_DELAYLABEL, 3611},   {IDC_MON_DELAY, 3611},        {IDC_MON_SHOWLOG, 3613},
    {IDC_MON_AUTOSTART, 3609},   {0, 0},
};

DialogTable MonitorTable = {nullptr, RowCount(MonitorCommands), MonitorCommands, MonitorHelp, 0, 0, 0};

const PageRules MonitorRules = {Fields, nullptr};

} // namespace

INT_PTR CALLBACK MonitorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return OptionsPageDispatch(MonitorTable, MonitorRules, OpenPage, page, message, wParam, lParam);
}
