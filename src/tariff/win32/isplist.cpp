#include "tariff/win32/isplist.h"

#include "resource.h"
#include "tariff/tariffstore.h"

void FillIspList(HWND dialog, bool keep)
{
    HWND combo = GetDlgItem(dialog, IDC_ISP);
    if (!keep)
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const IspList list = BuildIspList(keep);
    LRESULT select = CB_ERR;
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        // The index the box gives back, in case its style sorts the items.
        const LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(list.items[i].description.c_str()));
        if (at < 0)
            continue;
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), list.items[i].ispId);
        if (static_cast<int>(i) == list.selected || select == CB_ERR)
            select = at;
    }
    if (select != CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

int SelectedIsp(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_ISP);
    const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR)
        return 0;
    const LRESULT data = SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0);
    return data == CB_ERR ? 0 : static_cast<int>(data);
}
