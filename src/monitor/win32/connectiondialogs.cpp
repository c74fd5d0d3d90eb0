#include "monitor/win32/connectiondialogs.h"

#include <new>
#include <vector>

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "monitor/monitorpage.h"
#include "monitor/monitorstate.h"
#include "monitor/win32/linemonitor.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"

namespace {

// The open Telephony dialog (the sheet is modal, so there is at most one)
// and its own Telephony session, which lives as long as the dialog so that
// a reinitialised or added device can be listed again.
struct TelephonyDialogState {
    HWND dialog = nullptr;
    HANDLE lineApp = nullptr;
    bool sessionOpen = false;
    DWORD deviceCount = 0;
    // The list's items; item data is the index here plus one (0: no modem).
    std::vector<ModemEntry> modems;
};

TelephonyDialogState telephonyDialog;

void CALLBACK TelephonyDialogCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2,
                                      DWORD_PTR param3);

void StartSession()
{
    telephonyDialog.deviceCount = 0;
    telephonyDialog.sessionOpen =
        InitTelephony(telephonyDialog.lineApp, telephonyDialog.deviceCount, TelephonyDialogCallback, false) == 0;
    if (!telephonyDialog.sessionOpen)
        telephonyDialog.deviceCount = 0;
}

void EndSession()
{
    if (telephonyDialog.sessionOpen)
        Telephony.lineShutdown(telephonyDialog.lineApp);
    telephonyDialog.sessionOpen = false;
    telephonyDialog.lineApp = nullptr;
}

// The modem of the selected item; false when none is selected or the item
// is "Modem Unavailable".
bool SelectedModem(HWND dialog, ModemEntry& modem)
{
    const int item = ComboSelection(dialog, IDC_TEL_MODEM);
    if (item < 0)
        return false;
    const LRESULT data = SendDlgItemMessageA(dialog, IDC_TEL_MODEM, CB_GETITEMDATA, item, 0);
    if (data <= 0 || static_cast<std::size_t>(data) > telephonyDialog.modems.size())
        return false;
    modem = telephonyDialog.modems[static_cast<std::size_t>(data) - 1];
    return true;
}

void FillModemList(HWND dialog, DWORD preferredDevice)
{
    ModemEntry selected;
    if (SelectedModem(dialog, selected))
        preferredDevice = selected.device;
    SendDlgItemMessageA(dialog, IDC_TEL_MODEM, CB_RESETCONTENT, 0, 0);
    telephonyDialog.modems.clear();
    try {
        for (DWORD device = 0; telephonyDialog.sessionOpen && device < telephonyDialog.deviceCount; ++device) {
            DWORD version = 0;
            const std::vector<unsigned char> caps = GetLineCaps(telephonyDialog.lineApp, device, version, false);
            if (caps.size() < sizeof(LineDevCapsHead))
                continue;
            const auto* head = reinterpret_cast<const LineDevCapsHead*>(caps.data());
            telephonyDialog.modems.push_back(ModemEntry{ModemName(caps), device, head->dwPermanentLineID});
        }
    } catch (const std::bad_alloc&) {
        ShowError(105);
    }
    const ModemListView view = ShowModems(telephonyDialog.modems, preferredDevice);
    FillComboNames(dialog, IDC_TEL_MODEM, view.texts);
    for (std::size_t i = 0; i < telephonyDialog.modems.size(); ++i)
        SendDlgItemMessageA(dialog, IDC_TEL_MODEM, CB_SETITEMDATA, i, static_cast<LPARAM>(i + 1));
    SendDlgItemMessageA(dialog, IDC_TEL_MODEM, CB_SETCURSEL, view.selected, 0);
}

void CALLBACK TelephonyDialogCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2,
                                      DWORD_PTR param3)
{
    if (!telephonyDialog.dialog)
        return;
    // The count travels in a static, not on the stack: with the address of a
    // local passed out, GCC's optimiser warns of a dangling pointer at the
    // store below (a false alarm). Callbacks only come on the UI thread.
    static std::uint32_t count;
    count = telephonyDialog.deviceCount;
    switch (DecideDevState(message, param1, param2, param3, count)) {
    case DevStateAction::Restart:
        EndSession();
        StartSession();
        break;
    case DevStateAction::Refill:
        telephonyDialog.deviceCount = count;
        break;
    case DevStateAction::None:
        return;
    }
    PostMessageA(telephonyDialog.dialog, WM_COMMAND, IDC_TEL_REFILL, 0);
}

void OnRefill(WindowHandle dialog)
{
    FillModemList(static_cast<HWND>(dialog), 0);
}

const char* const INVALID_MODEM_TEXT =
    "An invalid modem was selected in the Monitor options page. This may result either from the failure to select a "
    "modem or even having an invalid version of a required system component (TAPI) on your system. Click OK to "
    "continue anyway, or CANCEL to return to correct the error.";

void OnTelephonyOk(WindowHandle handle)
{
    HWND dialog = static_cast<HWND>(handle);
    TelephonyForm form;
    ModemEntry modem;
    form.modem = SelectedModem(dialog, modem);
    if (!form.modem &&
        Api.MessageBoxA(dialog, INVALID_MODEM_TEXT, "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return;
    form.device = modem.device;
    form.permanentLineId = modem.permanentLineId;
    form.onConnection = IsChecked(dialog, IDC_TEL_PROMPT) ? 1 : IsChecked(dialog, IDC_TEL_AUTOLOG) ? 0 : NONE_CHECKED;
    form.trackInbound = IsChecked(dialog, IDC_TEL_INBOUND);
    if (StoreTelephonyForm(form) == 0)
        EndDialog(dialog, 0);
}

const CommandRow TelephonyCommands[] = {
    Row(IDOK, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnTelephonyOk),
    Row(IDC_TEL_REFILL, ROW_WINDOW_ONLY, OnRefill),
};

const HelpPair TelephonyHelp[] = {
    {IDC_TEL_MODEMLABEL, 3610}, {IDC_TEL_MODEM, 3610},   {IDC_CONNECT_GROUP, 5100}, {IDC_TEL_PROMPT, 5100},
    {IDC_TEL_AUTOLOG, 5100},    {IDC_TEL_INBOUND, 5101}, {IDOK, 3000},              {IDCANCEL, 3001},
    {IDC_HELPBUTTON, 3002},     {0, 0},
};

DialogTable TelephonyTable = {nullptr, RowCount(TelephonyCommands), TelephonyCommands, TelephonyHelp, 1,
                              IDC_HELPBUTTON, 626};

void OpenTelephonyDialog(HWND dialog)
{
    const TelephonySettings settings = ReadTelephonySettings();
    telephonyDialog = TelephonyDialogState{};
    telephonyDialog.dialog = dialog;
    StartSession();
    FillModemList(dialog, settings.Device);
    CheckRadioButton(dialog, IDC_TEL_PROMPT, IDC_TEL_AUTOLOG, settings.Prompt != 0 ? IDC_TEL_PROMPT : IDC_TEL_AUTOLOG);
    SetChecked(dialog, IDC_TEL_INBOUND, settings.TrackInbound == 1);
}

INT_PTR CALLBACK TelephonyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(TelephonyTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(TelephonyTable, MainWindow);
        OpenTelephonyDialog(dialog);
    } else if (message == WM_DESTROY) {
        EndSession();
        telephonyDialog = TelephonyDialogState{};
    }
    return result;
}

void OnRasOk(WindowHandle handle)
{
    HWND dialog = static_cast<HWND>(handle);
    if (StoreRasPrompt(CheckedButton(dialog, IDC_RAS_IGNORE, 4)) == 0)
        EndDialog(dialog, 0);
}

const CommandRow RasCommands[] = {
    Row(IDOK, ROW_WINDOW_ONLY | ROW_CODE_ZERO_ONLY, OnRasOk),
};

const HelpPair RasHelp[] = {
    {IDC_CONNECT_GROUP, 5204}, {IDC_RAS_IGNORE, 5200}, {IDC_RAS_DEFAULT, 5201}, {IDC_RAS_PROMPT, 5202},
    {IDC_RAS_ALWAYS, 5203},    {IDOK, 3000},           {IDCANCEL, 3001},        {IDC_HELPBUTTON, 3002},
    {0, 0},
};

DialogTable RasTable = {nullptr, RowCount(RasCommands), RasCommands, RasHelp, 1, IDC_HELPBUTTON, 627};

INT_PTR CALLBACK RasDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(RasTable, dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        SetReturnWindow(RasTable, MainWindow);
        CheckRadioButton(dialog, IDC_RAS_IGNORE, IDC_RAS_ALWAYS, IDC_RAS_IGNORE + ReadRasPrompt());
    }
    return result;
}

} // namespace

INT_PTR RunTelephonyDialog(HWND owner)
{
    return RunModalDialog(owner, IDD_TELEPHONY, TelephonyDialogProc, nullptr);
}

INT_PTR RunRasDialog(HWND owner)
{
    return RunModalDialog(owner, IDD_RASOPTIONS, RasDialogProc, nullptr);
}
