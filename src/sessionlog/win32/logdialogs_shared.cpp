// The date and ISP choosers of the raw log and deletion dialogs.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "dialogs/win32/dialogframework.h"
#include "resource.h"
#include "sessionlog/deletelog.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/errors.h"
#include "tariff/tariffstore.h"
#include "tariff/win32/isplist.h"

namespace {

int SelectedIndex(HWND dialog, int comboId)
{
    const int index = ComboSelection(dialog, comboId);
    return index < 0 ? 0 : index;
}

void AddItem(HWND dialog, int comboId, const char* text, LPARAM data)
{
    LRESULT at = SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0)
        SendDlgItemMessageA(dialog, comboId, CB_SETITEMDATA, static_cast<WPARAM>(at), data);
}

} // namespace

void SetDateControls(HWND dialog, int dayId, int monthId, int yearId, const LocalTime& date)
{
    FillComboNumbers(dialog, dayId, 1, 31);
    SendDlgItemMessageA(dialog, dayId, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mday - 1), 0);
    FillComboStrings(dialog, monthId, 12, MonthNames);
    SendDlgItemMessageA(dialog, monthId, CB_SETCURSEL, static_cast<WPARAM>(date.tm_mon), 0);
    const int year = date.tm_year + 1900;
    FillComboNumbers(dialog, yearId, year - 1, year + 1);
    SendDlgItemMessageA(dialog, yearId, CB_LIMITTEXT, 4, 0);
    SendDlgItemMessageA(dialog, yearId, CB_SETCURSEL, 1, 0);
}

int GetDateControls(HWND dialog, int dayId, int monthId, int yearId, LocalTime& date)
{
    char text[6] = {};  // five characters are read
    GetDlgItemTextA(dialog, yearId, text, sizeof text);
    const int year = std::atoi(text);
    if (year <= 1900) {
        ShowError(1005, year);
        return -1;
    }
    LocalTime result = DateFromChoice(SelectedIndex(dialog, dayId) % 31, SelectedIndex(dialog, monthId) % 12, year);
    date = result;
    return 0;
}

int PeriodOfDates(const LocalTime& startDate, const LocalTime& endDate, std::int64_t& from, std::int64_t& to)
{
    if (PeriodFromDates(startDate, endDate, from, to) == 0)
        return 0;
    // Name the date the runtime cannot place (a year past its range).
    std::int64_t ignoredFrom = 0;
    std::int64_t ignoredTo = 0;
    const bool startFails = PeriodFromDates(startDate, startDate, ignoredFrom, ignoredTo) != 0;
    ShowError(1005, (startFails ? startDate : endDate).tm_year + 1900);
    return -1;
}

void FillLogIspList(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_ISP, CB_RESETCONTENT, 0, 0);
    FillIspList(dialog, true);
    AddItem(dialog, IDC_ISP, ALL_ISPS_TEXT, 0);
    LRESULT count = SendDlgItemMessageA(dialog, IDC_ISP, CB_GETCOUNT, 0, 0);
    if (count > 0)
        SendDlgItemMessageA(dialog, IDC_ISP, CB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

bool SelectedLogIsp(HWND dialog, std::int32_t& ispId, std::string& text)
{
    LRESULT index = SendDlgItemMessageA(dialog, IDC_ISP, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return false;
    LRESULT length = SendDlgItemMessageA(dialog, IDC_ISP, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::string buffer(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
    if (length > 0)
        SendDlgItemMessageA(dialog, IDC_ISP, CB_GETLBTEXT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(buffer.data()));
    text = buffer.c_str();
    ispId = static_cast<std::int32_t>(
        SendDlgItemMessageA(dialog, IDC_ISP, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    return true;
}
