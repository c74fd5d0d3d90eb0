// The ISP page of the Options sheet: its working copy of the tariff table,
// the lines of its list and what New, Edit, Delete, Set as default, Import,
// OK and Cancel do to them. The page procedure shows `lines` and `selected`
// after every operation and keeps the "Set as default" box as `defaultChecked`.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tariff/tariff.h"

struct IspLine {
    std::string text;     // the entry's Description
    std::int32_t id = 0;  // the entry's Id, 0 for the Phone entry
};

struct IspPageState {
    TariffTable table;           // the working copy
    std::int32_t defaultIsp = 0;  // 0: none
    bool changed = false;
    std::string savedActive;     // ActiveIDs and ReservedIDs as at opening
    std::string savedReserved;
    bool idStringsRead = false;
    bool loaded = false;         // the page may become active
    std::vector<IspLine> lines;  // line 0 the Phone entry, then the ISPs
    int selected = -1;           // -1: no line selected
    bool defaultChecked = false;
};

// Runs the ISP editor on a record in place; sets changed when a page wrote
// into it. The Windows build passes OpenTariffEditor.
using TariffEditorRunner = void (*)(void* owner, TariffRecord& record, bool& changed, const char* caption);

// Reads the id strings and loads the table for `now` with error boxes
// suppressed, takes the default ISP and fills the lines.
void OpenIspPage(IspPageState& state, std::int64_t now);

void SelectIspLine(IspPageState& state, int line);
void IspPageNew(IspPageState& state, std::int64_t now, TariffEditorRunner runEditor, void* owner);
void IspPageEdit(IspPageState& state, TariffEditorRunner runEditor, void* owner);
void IspPageDelete(IspPageState& state);
// The user has just toggled the box to `checked`.
void IspPageSetDefault(IspPageState& state, bool checked);

// An imported record. `replace`: the user chose Replace; `phone`: it is a
// phone company configuration. confirmPhone asks whether to replace the
// Phone entry (only asked without Replace); true means Yes.
void IspPageImported(IspPageState& state, TariffRecord&& imported, bool replace, bool phone,
                     bool (*confirmPhone)(void* owner), void* owner);
// The record Export writes (the Phone record, or the selected ISP's) or null
// after error 1061. `phone` tells which kind it is.
const TariffRecord* IspPageExportRecord(const IspPageState& state, bool& phone);

// OK: saves a changed working copy and the default ISP. 0, or -1 when the
// save failed and the sheet must stay open with the copy kept.
int IspPageApply(IspPageState& state);
// Cancel: drops the copy and writes back the id strings read at opening,
// which frees every number New or Import allocated since.
void IspPageCancel(IspPageState& state);

extern const char* const NEW_ISP_CAPTION;
extern const char* const EDIT_ISP_CAPTION;
extern const char* const IMPORT_PHONE_QUESTION;
extern const char* const WARNING_CAPTION;
