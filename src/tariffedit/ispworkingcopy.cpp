#include "tariffedit/ispworkingcopy.h"

#include <new>
#include <utility>

#include "platform/localtime.h"
#include "startup/errors.h"
#include "tariff/ispnumbers.h"
#include "tariff/tariffstore.h"

const char* const NEW_ISP_CAPTION = "New ISP";
const char* const EDIT_ISP_CAPTION = "Edit ISP";
const char* const WARNING_CAPTION = "Warning";
const char* const IMPORT_PHONE_QUESTION =
    "You are about to import a phone company configuration. This will replace the existing phone company "
    "configuration. Select YES to replace or NO to abort the import.";

namespace {

void FillLines(IspPageState& state)
{
    state.lines.clear();
    state.lines.push_back({state.table.Phone.Description, 0});
    for (const TariffRecord& isp : state.table.Isps)
        state.lines.push_back({isp.Description, isp.Id});
}

std::int32_t SelectedId(const IspPageState& state)
{
    return state.lines[static_cast<std::size_t>(state.selected)].id;
}

// The record behind the selected line: the Phone record or the ISP at the
// line's position (lines and array share one order; with a number listed
// twice a search by Id would always find the first of them).
TariffRecord* SelectedRecord(IspPageState& state)
{
    if (state.selected < 0)
        return nullptr;
    if (state.selected == 0)
        return &state.table.Phone;
    return &state.table.Isps[static_cast<std::size_t>(state.selected - 1)];
}

int LineOf(const IspPageState& state, std::int32_t id)
{
    for (std::size_t i = 1; i < state.lines.size(); ++i)
        if (state.lines[i].id == id)
            return static_cast<int>(i);
    return -1;
}

// Appends a record to the copy and selects its new line; false after 105.
bool AppendIsp(IspPageState& state, TariffRecord&& record)
{
    try {
        state.table.Isps.push_back(std::move(record));
        FillLines(state);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return false;
    }
    state.changed = true;
    SelectIspLine(state, static_cast<int>(state.lines.size()) - 1);
    return true;
}

} // namespace

void SelectIspLine(IspPageState& state, int line)
{
    state.selected = line >= 0 && line < static_cast<int>(state.lines.size()) ? line : -1;
    // With no default the box is left clear: a box still ticked on another
    // line after the default was deleted would claim a default that OK does
    // not store.
    state.defaultChecked = state.defaultIsp != 0 && state.selected >= 0 && SelectedId(state) == state.defaultIsp;
}

void OpenIspPage(IspPageState& state, std::int64_t now)
{
    state = IspPageState{};
    state.idStringsRead = ReadIdStrings(state.savedActive, state.savedReserved) == 0;
    int loadResult = -1;
    {
        ScopedSuppressErrors quiet;
        loadResult = LoadTariffTable(now, state.table);
    }
    state.defaultIsp = GetDefaultIsp();
    FillLines(state);
    const int line = LineOf(state, state.defaultIsp);
    if (line > 0) {
        SelectIspLine(state, line);
    } else {
        state.selected = state.lines.size() > 1 ? 1 : 0;
        state.defaultChecked = false;
    }
    state.loaded = state.idStringsRead && loadResult == 0;
}

void IspPageNew(IspPageState& state, std::int64_t now, TariffEditorRunner runEditor, void* owner)
{
    TariffRecord record;
    if (CreateIspTariff(record, ToLocalTime(now)) != 0)
        return;
    // The number is taken already, so the record joins the copy even when
    // the editor is cancelled.
    bool edited = false;
    runEditor(owner, record, edited, NEW_ISP_CAPTION);
    AppendIsp(state, std::move(record));
}

void IspPageEdit(IspPageState& state, TariffEditorRunner runEditor, void* owner)
{
    if (state.selected < 0) {
        ShowError(1025);
        return;
    }
    TariffRecord* record = SelectedRecord(state);
    if (!record)
        return;
    bool edited = false;
    runEditor(owner, *record, edited, EDIT_ISP_CAPTION);
    if (!edited)
        return;
    state.changed = true;
    const int line = state.selected;
    state.lines[static_cast<std::size_t>(line)].text = record->Description;
    SelectIspLine(state, line);
}

void IspPageDelete(IspPageState& state)
{
    if (state.selected < 0) {
        ShowError(1013);
        return;
    }
    if (state.selected == 0) {
        ShowError(1012);
        return;
    }
    const std::int32_t id = SelectedId(state);
    const int line = state.selected;
    state.table.Isps.erase(state.table.Isps.begin() + (line - 1));
    if (state.defaultIsp == id)
        state.defaultIsp = 0;
    state.changed = true;
    state.lines.erase(state.lines.begin() + line);
    SelectIspLine(state, line < static_cast<int>(state.lines.size()) ? line : line - 1);
}

void IspPageSetDefault(IspPageState& state, bool checked)
{
    if (state.selected < 0) {
        ShowError(1026);
        state.defaultChecked = !checked;
        return;
    }
    const std::int32_t id = SelectedId(state);
    state.defaultChecked = checked;
    if (checked) {
        if (state.selected == 0) {
            ShowError(1014);
            state.defaultChecked = false;
        } else if (state.defaultIsp != id) {
            state.defaultIsp = id;
            state.changed = true;
        }
    } else if (state.defaultIsp == id) {
        state.defaultIsp = 0;
        state.changed = true;
    }
}

void IspPageImported(IspPageState& state, TariffRecord&& imported, bool replace, bool phone,
                     bool (*confirmPhone)(void* owner), void* owner)
{
    if (phone) {
        if (!replace && !(confirmPhone && confirmPhone(owner)))
            return;
        imported.Id = 0;
        state.table.Phone = std::move(imported);
        state.lines[0] = {state.table.Phone.Description, 0};
        state.changed = true;
        SelectIspLine(state, 0);
        return;
    }
    if (replace) {
        if (state.selected < 0) {
            ShowError(1062);
            return;
        }
        if (state.selected == 0) {
            ShowError(1063);
            return;
        }
        const int line = state.selected;
        imported.Id = SelectedId(state);
        state.table.Isps[static_cast<std::size_t>(line - 1)] = std::move(imported);
        state.lines[static_cast<std::size_t>(line)].text = state.table.Isps[static_cast<std::size_t>(line - 1)].Description;
        state.changed = true;
        SelectIspLine(state, line);
        return;
    }
    const std::int32_t id = AllocateIspId();
    if (id == -1 || id == -2) {
        ShowError(id == -1 ? 105 : 118);
        return;
    }
    imported.Id = id;
    AppendIsp(state, std::move(imported));
}

const TariffRecord* IspPageExportRecord(const IspPageState& state, bool& phone)
{
    if (state.selected < 0) {
        ShowError(1061);
        return nullptr;
    }
    phone = state.selected == 0;
    if (phone)
        return &state.table.Phone;
    return &state.table.Isps[static_cast<std::size_t>(state.selected - 1)];
}

int IspPageApply(IspPageState& state)
{
    if (!state.changed)
        return 0;
    if (SaveTariffTable(state.table) != 0)
        return -1;
    SetDefaultIsp(state.defaultIsp);
    FreeTariffTable(state.table);
    state.changed = false;
    return 0;
}

void IspPageCancel(IspPageState& state)
{
    FreeTariffTable(state.table);
    // Writing back texts that were never read would empty both lists.
    if (state.idStringsRead)
        RestoreIdStrings(state.savedActive, state.savedReserved);
    state.savedActive.clear();
    state.savedReserved.clear();
    state.changed = false;
}
