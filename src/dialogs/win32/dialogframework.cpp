#include "dialogs/win32/dialogframework.h"

#include <commctrl.h>
#include <prsht.h>
#include <sys/stat.h>

#include <cstdio>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_ui.h"
#include "startup/locations.h"

bool HelpWindowOpened = false;

namespace {

HCURSOR waitCursor = nullptr;
HCURSOR savedCursor = nullptr;

// HTML Help's command numbers (htmlhelp.h is not part of every toolchain).
constexpr UINT HH_HELP_CONTEXT_COMMAND = 0x000F;
constexpr UINT HH_CLOSE_ALL_COMMAND = 0x0012;

// The engine that opened the help window, so that CloseHelp closes that one.
enum class HelpEngine { None, WinHelp, HtmlHelp };
HelpEngine openedBy = HelpEngine::None;

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

// The user guide, tolvane.chm, sits beside the WinHelp file's place.
std::string HtmlHelpFilePath()
{
    const std::size_t slash = HelpFilePath.find_last_of("\\/");
    const std::string directory = slash == std::string::npos ? std::string() : HelpFilePath.substr(0, slash + 1);
    return directory + "tolvane.chm";
}

// HTML Help's popups for a help array need a text-popup file in the guide,
// which our help compiler cannot build and Wine does not show: F1 on a
// control opens the guide at that control's own topic instead, and a
// right-click asks for nothing.
BOOL ShowHtmlHelp(HWND window, UINT command, ULONG_PTR data)
{
    std::uint32_t context = 0;
    if (command == HELP_CONTEXT)
        context = static_cast<std::uint32_t>(data);
    else if (command == HELP_WM_HELP && window)
        context = FindHelpContext(reinterpret_cast<const HelpPair*>(data),
                                  static_cast<std::uint32_t>(GetDlgCtrlID(window)));
    if (context == 0)
        return FALSE;
    HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
    const std::string path = HtmlHelpFilePath();
    if (!Api.HtmlHelpA(owner, path.c_str(), HH_HELP_CONTEXT_COMMAND, context))
        return FALSE;
    HelpWindowOpened = true;
    openedBy = HelpEngine::HtmlHelp;
    return TRUE;
}

void RouteCommandMessage(DialogTable& table, HWND window, WPARAM wParam, LPARAM lParam)
{
    int controlId = LOWORD(wParam);
    int code = HIWORD(wParam);
    const CommandRow* row = nullptr;
    switch (RouteCommand(table, controlId, code, &row)) {
    case CommandRoute::CallHandler:
        if (row->kind & ROW_WINDOW_ONLY)
            row->windowHandler(window);
        else
            row->controlHandler(window, controlId, reinterpret_cast<HWND>(lParam), code);
        break;
    case CommandRoute::EndOk:
        EndDialog(window, 0);
        break;
    case CommandRoute::EndCancel:
        EndDialog(window, -1);
        break;
    case CommandRoute::HelpButton:
        ShowHelp(window, HELP_CONTEXT, table.helpButtonContext);
        break;
    case CommandRoute::Ignore:
        break;
    }
}

// What a sheet keeps for each of its pages while it runs.
struct PageHost {
    std::uint32_t helpContext;
    void* context;
};

PageHost* HostOf(HWND page)
{
    return reinterpret_cast<PageHost*>(GetWindowLongPtrA(page, DWLP_USER));
}

} // namespace

void SetReturnWindow(DialogTable& table, HWND window)
{
    table.returnWindow = window;
}

INT_PTR DialogDispatch(DialogTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CurrentDialog = window;
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        return TRUE;
    case WM_DESTROY:
        CurrentDialog = static_cast<HWND>(table.returnWindow);
        return 0;
    case WM_SETCURSOR:
        if (savedCursor) {
            SetCursor(waitCursor);
            SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        if (table.helpPairs) {
            const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
            ShowHelp(static_cast<HWND>(info->hItemHandle), HELP_WM_HELP,
                     reinterpret_cast<ULONG_PTR>(table.helpPairs));
        }
        // Answered either way: left unanswered, the default handling passes
        // F1 on to the owner, which would show its own popup as well.
        return TRUE;
    case WM_CONTEXTMENU:
        if (table.helpPairs)
            ShowHelp(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(table.helpPairs));
        return 0;
    case WM_COMMAND:
        RouteCommandMessage(table, window, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

INT_PTR RunModalDialog(HWND owner, int templateId, DLGPROC procedure, void* data)
{
    return DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(templateId), owner, procedure,
                           reinterpret_cast<LPARAM>(data));
}

INT_PTR PageDispatch(DialogTable& table, const PageRules& rules, HWND page, UINT message, WPARAM wParam,
                     LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const INT_PTR result = DialogDispatch(table, page, message, wParam, lParam);
        // The sheet hands the page a copy of its page record; the record's
        // own lParam is the host RunPropertySheet made for the page.
        const PROPSHEETPAGEA* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        SetWindowLongPtrA(page, DWLP_USER, record ? record->lParam : 0);
        return result;
    }
    if (message != WM_NOTIFY)
        return DialogDispatch(table, page, message, wParam, lParam);

    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    const bool loaded = !rules.loaded || rules.loaded(page);
    const PageRoute route = RoutePageNotification(static_cast<int>(header->code), loaded);
    bool failed = false;
    switch (route) {
    case PageRoute::Check:
        failed = rules.fields && rules.fields(page, FIELDS_CHECK) != 0;
        break;
    case PageRoute::Store:
        failed = rules.fields && rules.fields(page, FIELDS_STORE) != 0;
        break;
    case PageRoute::Help:
        if (const PageHost* host = HostOf(page))
            ShowHelp(page, HELP_CONTEXT, host->helpContext);
        break;
    default:
        break;
    }
    const PageAnswer answer = AnswerPage(route, failed);
    if (answer.setsResult)
        SetWindowLongPtrA(page, DWLP_MSGRESULT, answer.result);
    return answer.returns ? TRUE : FALSE;
}

void* PageContextPointer(HWND page)
{
    const PageHost* host = HostOf(page);
    return host ? host->context : nullptr;
}

INT_PTR RunPropertySheet(HWND owner, const char* caption, const PageEntry* pages, int count, void* const* contexts)
{
    std::vector<PageHost> hosts(static_cast<std::size_t>(count));
    // The sheet steps through the array by each record's dwSize: the
    // records must be of the size they declare.
    std::vector<PROPSHEETPAGEA_V1> records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        hosts[i] = PageHost{pages[i].helpContext, contexts ? contexts[i] : nullptr};
        PROPSHEETPAGEA_V1& record = records[i];
        record = PROPSHEETPAGEA_V1{};
        record.dwSize = sizeof record;
        record.dwFlags = PSP_HASHELP;
        record.hInstance = ProgramInstance;
        record.pszTemplate = MAKEINTRESOURCEA(pages[i].templateId);
        record.pfnDlgProc = pages[i].procedure;
        record.lParam = reinterpret_cast<LPARAM>(&hosts[i]);
    }
    PROPSHEETHEADERA header{};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = ProgramInstance;
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(count);
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(records.data());
    return Api.PropertySheetA(&header);
}

BOOL ShowHelp(HWND window, UINT command, ULONG_PTR data)
{
    // A WinHelp file wins; else the HTML Help guide; without either (or
    // without a help engine) there is nothing to show.
    if (FileExists(HelpFilePath)) {
        BOOL result = Api.WinHelpA(window, HelpFilePath.c_str(), command, data);
        if (command != HELP_WM_HELP && command != HELP_CONTEXTMENU) {
            HelpWindowOpened = true;
            openedBy = HelpEngine::WinHelp;
        }
        return result;
    }
    if (FileExists(HtmlHelpFilePath()))
        return ShowHtmlHelp(window, command, data);
    return FALSE;
}

void CloseHelp(HWND window)
{
    if (!HelpWindowOpened)
        return;
    if (openedBy == HelpEngine::WinHelp)
        Api.WinHelpA(window, HelpFilePath.c_str(), HELP_QUIT, 0);
    else if (openedBy == HelpEngine::HtmlHelp)
        Api.HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL_COMMAND, 0);
    openedBy = HelpEngine::None;
}

void BeginBusyCursor()
{
    if (!waitCursor)
        waitCursor = LoadCursor(nullptr, IDC_WAIT);
    HCURSOR previous = SetCursor(waitCursor);
    if (!savedCursor)
        savedCursor = previous ? previous : LoadCursor(nullptr, IDC_ARROW);
}

void EndBusyCursor()
{
    if (savedCursor)
        SetCursor(savedCursor);
    savedCursor = nullptr;
}

bool BusyCursorActive()
{
    return savedCursor != nullptr;
}

LRESULT FillComboStrings(HWND dialog, int comboId, int count, const char* const* strings)
{
    SendDlgItemMessageA(dialog, comboId, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strings[i]));
    return SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, 0, 0);
}

LRESULT FillComboNumbers(HWND dialog, int comboId, int first, int last, bool twoDigits)
{
    SendDlgItemMessageA(dialog, comboId, CB_RESETCONTENT, 0, 0);
    char text[16];
    for (int n = first; n <= last; ++n) {
        std::snprintf(text, sizeof text, twoDigits ? "%02d" : "%d", n);
        SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    return SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, 0, 0);
}

LRESULT FillComboNames(HWND dialog, int comboId, const std::vector<std::string>& names)
{
    std::vector<const char*> strings;
    strings.reserve(names.size());
    for (const std::string& name : names)
        strings.push_back(name.c_str());
    return FillComboStrings(dialog, comboId, static_cast<int>(strings.size()), strings.data());
}

int CheckedButton(HWND dialog, int firstId, int count)
{
    for (int i = 0; i < count; ++i)
        if (IsChecked(dialog, firstId + i))
            return i;
    return -1;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

std::string ControlText(HWND dialog, int id, int max)
{
    std::string text(static_cast<std::size_t>(max) + 1, '\0');
    const UINT length = GetDlgItemTextA(dialog, id, text.data(), max + 1);
    text.resize(length);
    return text;
}

int ComboSelection(HWND dialog, int comboId)
{
    const LRESULT index = SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

bool SetListColumns(HWND list, const ListColumn* columns, int count)
{
    RECT client;
    if (!list || !GetClientRect(list, &client))
        return false;
    const int width = client.right - client.left;
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0))
        ;
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = width * columns[i].permille / 1000;
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        if (SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)) == -1)
            return false;
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    return true;
}

int InsertListRow(HWND list, int index, const std::vector<std::string>& texts, LPARAM data)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
    item.lParam = data;
    const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return -1;
    for (std::size_t sub = 1; sub < texts.size(); ++sub) {
        LVITEMA cell{};
        cell.iSubItem = static_cast<int>(sub);
        cell.pszText = const_cast<char*>(texts[sub].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
    return row;
}

int GetSelectedListItem(HWND listView)
{
    return static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectListItem(HWND listView, int index)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
