// The ISP editor's General page (159): copies between its controls and the
// IspGeneralPage; the rules live with it.
#include "resource.h"
#include "tariffedit/ispgeneral.h"
#include "tariffedit/win32/editorpages.h"

namespace {

void CheckRadio(HWND page, int first, int last, int offset)
{
    for (int id = first; id <= last; ++id)
        SetChecked(page, id, id - first == offset);
}

void Read(HWND page, TariffEditor& editor)
{
    IspGeneralForm& f = editor.general.form;
    f.name = ControlText(page, IDC_ISP, ISP_NAME_MAX);
    f.secsPerUnit = ControlText(page, IDC_IG_UNIT, 31);
    f.rounding = CheckedButton(page, IDC_IG_ROUNDUP, 3);
    f.roundAfterEveryCall = IsChecked(page, IDC_IG_EVERYCALL);
    f.period = CheckedButton(page, IDC_IG_MONTHLY, 2);
    f.billing = CheckedButton(page, IDC_END_MONTH, 2);
    f.billingDay = ComboSelection(page, IDC_IG_BILLDAY);
    f.fee = ControlText(page, IDC_FEE, 79);
    f.prepaid = ControlText(page, IDC_IG_PREPAID, 79);
    f.prepaidMethod = CheckedButton(page, IDC_IG_OFFSETMONTHLY, 3);
    f.prepaidFrame = ComboSelection(page, IDC_IG_PREPAIDFRAME);
    f.offsetConnect = IsChecked(page, IDC_IG_OFFSETCONNECT);
    f.rasName = ControlText(page, IDC_RASNAME, RAS_NAME_MAX);
}

void Show(HWND page, TariffEditor& editor)
{
    const IspGeneralForm& f = editor.general.form;
    const IspGeneralEnables& on = editor.general.enables;
    SetDlgItemTextA(page, IDC_ISP, f.name.c_str());
    SetDlgItemTextA(page, IDC_IG_UNIT, f.secsPerUnit.c_str());
    CheckRadio(page, IDC_IG_ROUNDUP, IDC_IG_TRUNCATE, f.rounding);
    SetChecked(page, IDC_IG_EVERYCALL, f.roundAfterEveryCall);
    CheckRadio(page, IDC_IG_MONTHLY, IDC_IG_WEEKLY, f.period);
    CheckRadio(page, IDC_END_MONTH, IDC_IG_SPECIFIED, f.billing);
    SendDlgItemMessageA(page, IDC_IG_BILLDAY, CB_SETCURSEL, static_cast<WPARAM>(f.billingDay), 0);
    for (int id : {IDC_IG_BILLGROUP, IDC_END_MONTH, IDC_IG_SPECIFIED})
        EnableWindow(GetDlgItem(page, id), on.billingGroup);
    EnableWindow(GetDlgItem(page, IDC_IG_BILLDAY), on.dayChooser);
    SetDlgItemTextA(page, IDC_FEE, f.fee.c_str());
    SetDlgItemTextA(page, IDC_IG_PREPAID, f.prepaid.c_str());
    CheckRadio(page, IDC_IG_OFFSETMONTHLY, IDC_IG_INFRAME, f.prepaidMethod);
    FillComboNames(page, IDC_IG_PREPAIDFRAME, editor.context.frames.names);
    SendDlgItemMessageA(page, IDC_IG_PREPAIDFRAME, CB_SETCURSEL, static_cast<WPARAM>(f.prepaidFrame), 0);
    EnableWindow(GetDlgItem(page, IDC_IG_PREPAIDFRAME), on.prepaidFrame);
    SetChecked(page, IDC_IG_OFFSETCONNECT, f.offsetConnect);
    EnableWindow(GetDlgItem(page, IDC_IG_OFFSETCONNECT), on.offsetConnect);
    SetDlgItemTextA(page, IDC_RASNAME, f.rasName.c_str());
}

const EditorPageView View = {EDITOR_GENERAL, Read, Show, nullptr, nullptr, {}};

// A click that changes which controls are enabled.
void OnChoice(WindowHandle window, int controlId, WindowHandle, int code)
{
    if (code != BN_CLICKED)
        return;
    HWND page = static_cast<HWND>(window);
    TariffEditor& editor = EditorOf(page);
    Read(page, editor);
    const TariffRecord& record = editor.context.record;
    if (controlId == IDC_IG_MONTHLY || controlId == IDC_IG_WEEKLY)
        GeneralPeriodClicked(editor.general, record, controlId - IDC_IG_MONTHLY);
    else if (controlId == IDC_END_MONTH || controlId == IDC_IG_SPECIFIED)
        GeneralBillingClicked(editor.general, controlId - IDC_END_MONTH);
    else
        GeneralPrepaidMethodClicked(editor.general, record, controlId - IDC_IG_OFFSETMONTHLY);
    Show(page, editor);
    if (controlId == IDC_IG_SPECIFIED)
        SetFocus(GetDlgItem(page, IDC_IG_BILLDAY));
}

const CommandRow GeneralCommands[] = {
    Swallow(IDOK, 0),
    Swallow(IDCANCEL, 0),
    Row(IDC_IG_MONTHLY, 0, OnChoice),
    Row(IDC_IG_WEEKLY, 0, OnChoice),
    Row(IDC_END_MONTH, 0, OnChoice),
    Row(IDC_IG_SPECIFIED, 0, OnChoice),
    Row(IDC_IG_OFFSETMONTHLY, 0, OnChoice),
    Row(IDC_IG_OFFSETDAILY, 0, OnChoice),
    Row(IDC_IG_INFRAME, 0, OnChoice),
};

const HelpPair GeneralHelp[] = {
    {IDC_ISP_LABEL, 3900},        {IDC_ISP, 3900},
    {IDC_IG_UNITLABEL, 3901},     {IDC_IG_UNIT, 3901},
    {IDC_IG_ROUNDUP, 3902},       {IDC_IG_ROUNDHALF, 3903},
    {IDC_IG_TRUNCATE, 3904},      {IDC_IG_EVERYCALL, 3916},
    {IDC_IG_MONTHLY, 3905},       {IDC_IG_WEEKLY, 3906},
    {IDC_END_MONTH, 3907},        {IDC_IG_SPECIFIED, 3908},
    {IDC_IG_BILLDAY, 3908},       {IDC_PREPAID_LABEL, 3909},
    {IDC_IG_PREPAID, 3909},       {IDC_FEE_LABEL, 3915},
    {IDC_FEE, 3915},              {IDC_IG_OFFSETMONTHLY, 3910},
    {IDC_IG_OFFSETDAILY, 3911},   {IDC_IG_INFRAME, 3912},
    {IDC_IG_PREPAIDFRAME, 3912},  {IDC_IG_OFFSETCONNECT, 3914},
    {IDC_IG_RASLABEL, 3918},      {IDC_RASNAME, 3918},
    {0, 0},
};

DialogTable GeneralTable = {nullptr, RowCount(GeneralCommands), GeneralCommands, GeneralHelp, 0, 0, 0};

} // namespace

INT_PTR CALLBACK IspGeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(page, IDC_ISP, EM_LIMITTEXT, ISP_NAME_MAX, 0);
        SendDlgItemMessageA(page, IDC_RASNAME, EM_LIMITTEXT, RAS_NAME_MAX, 0);
        FillComboNumbers(page, IDC_IG_BILLDAY, 1, BILLING_DAYS);
    }
    return EditorPageDispatch(GeneralTable, View, page, message, wParam, lParam);
}
