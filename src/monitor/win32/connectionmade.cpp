// The Connection Made dialog: the user picks the time to log and the ISP of
// a detected connection, and may tie the RAS entry name to that ISP.
#include "monitor/connectionmade.h"

#include <string>

#include "dialogs/win32/dialogframework.h"
#include "tariff/win32/isplist.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/errors.h"
#include "tariff/tariffstore.h"

namespace {

// What the dialog opens with: the entry name offered for association
// (empty for none). What it hands back goes to Monitor.
struct ConnectionMadeForm {
    std::string offeredName;
};

void EnableTimeFields(HWND dialog, bool enable)
{
    for (int id : {IDC_TIME_HOUR, IDC_TIME_MINUTE, IDC_TIME_SECOND})
        EnableWindow(GetDlgItem(dialog, id), enable);
}

void OnTimeOption(WindowHandle dialog, int controlId, WindowHandle, int)
{
    EnableTimeFields(static_cast<HWND>(dialog), controlId == IDC_TIME_SPECIFIED);
}

// The time fields take two digits; more is read and refused.
std::string FieldText(HWND dialog, int id)
{
    return ControlText(dialog, id, 15);
}

void OnOk(WindowHandle handle, int, WindowHandle, int)
{
    HWND dialog = static_cast<HWND>(handle);
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_ISP, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        ShowError(1071);
        return;
    }
    std::int64_t time = Monitor.eventTime;
    if (IsChecked(dialog, IDC_TIME_NOW)) {
        time = Now();
    } else if (IsChecked(dialog, IDC_TIME_SPECIFIED)) {
        const int fields[3] = {ReadTimeField(FieldText(dialog, IDC_TIME_HOUR)),
                               ReadTimeField(FieldText(dialog, IDC_TIME_MINUTE)),
                               ReadTimeField(FieldText(dialog, IDC_TIME_SECOND))};
        if (const int code = CheckSpecifiedTime(fields[0], fields[1], fields[2])) {
            ShowError(code, fields[code - 1006]);
            return;
        }
        time = SpecifiedTimeToday(Now(), fields[0], fields[1], fields[2]);
    } else if (!IsChecked(dialog, IDC_TIME_CONNECTION)) {
        ShowError(1009);
        return;
    }
    Monitor.eventTime = time;
    Monitor.sessionIsp =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_ISP, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    // A failure to store the name is reported where it happens; the
    // session is logged all the same.
    const std::string& offeredName = DialogData<ConnectionMadeForm>(dialog).offeredName;
    if (!offeredName.empty() && IsChecked(dialog, IDC_RASNAME_ASSOCIATE))
        SetIspRasName(Monitor.sessionIsp, offeredName);
    EndDialog(dialog, 0);
}

const CommandRow Rows[] = {
    Row(IDOK, ROW_CODE_ZERO_ONLY, OnOk),
    Row(IDC_TIME_CONNECTION, ROW_CODE_ZERO_ONLY, OnTimeOption),
    Row(IDC_TIME_NOW, ROW_CODE_ZERO_ONLY, OnTimeOption),
    Row(IDC_TIME_SPECIFIED, ROW_CODE_ZERO_ONLY, OnTimeOption),
};

const HelpPair HelpPairs[] = {
    {IDC_TIME_CONNECTION, 4600}, {IDC_TIME_NOW, 4601},        {IDC_TIME_SPECIFIED, 4602},    {IDC_TIME_HOUR, 4602},
    {IDC_TIME_MINUTE, 4602},     {IDC_TIME_SECOND, 4602},     {IDC_ISP_LABEL, 4603},          {IDC_ISP, 4603},
    {IDC_RASNAME_GROUP, 4605},   {IDC_RASNAME, 4605},         {IDC_RASNAME_ASSOCIATE, 4605}, {IDOK, 3000},
    {IDCANCEL, 4604},            {IDC_HELPBUTTON, 3002},      {0, 0},
};

DialogTable Table = {nullptr, RowCount(Rows), Rows, HelpPairs, 1, IDC_HELPBUTTON, 616};

void OnInit(HWND dialog)
{
    SetReturnWindow(Table, MainWindow);
    int option = Monitor.PromptDefault;
    if (option < PROMPT_CONNECTION_TIME || option > PROMPT_SPECIFIED_TIME)
        option = PROMPT_CONNECTION_TIME;
    CheckRadioButton(dialog, IDC_TIME_CONNECTION, IDC_TIME_SPECIFIED, IDC_TIME_CONNECTION + option);
    const TimeFieldTexts texts = TimeFieldsOf(Monitor.eventTime);
    SetDlgItemTextA(dialog, IDC_TIME_HOUR, texts.hour.c_str());
    SetDlgItemTextA(dialog, IDC_TIME_MINUTE, texts.minute.c_str());
    SetDlgItemTextA(dialog, IDC_TIME_SECOND, texts.second.c_str());
    for (int id : {IDC_TIME_HOUR, IDC_TIME_MINUTE, IDC_TIME_SECOND})
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 2, 0);
    // Disabled until "Specified time" is clicked, also when preselected.
    EnableTimeFields(dialog, false);
    FillIspList(dialog, true);
    const std::string& offeredName = DialogData<ConnectionMadeForm>(dialog).offeredName;
    if (!offeredName.empty()) {
        SetDlgItemTextA(dialog, IDC_RASNAME, offeredName.c_str());
    } else {
        for (int id : {IDC_RASNAME_GROUP, IDC_RASNAME, IDC_RASNAME_ASSOCIATE})
            EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
}

INT_PTR CALLBACK ConnectionMadeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = DialogDispatch(Table, window, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        OnInit(window);
        return TRUE;
    }
    return result;
}

} // namespace

void ShowConnectionMade(const char* connectionName)
{
    ConnectionMadeForm form{connectionName ? connectionName : ""};
    const bool wasHidden = Monitor.hidden;
    if (wasHidden)
        RestoreFromHidden();
    Monitor.online = RunModalDialog(nullptr, IDD_CONNECTIONMADE, ConnectionMadeProc, &form) == 0;
    if (wasHidden)
        HideWhileMonitoring();
}
