#include "tariffedit/framespage.h"

#include <cstdio>
#include <new>

#include "dialogs/dialogtable.h"
#include "startup/errors.h"

const char* const FRAME_NAME_CAPTION = "Frame Name Error";
const char* const FRAME_NAME_QUESTION =
    "The name of the frame cannot have commas or spaces. Do you wish TOLVANE to convert the spaces and commas to "
    "the underline (_) character automatically? (If you choose No, you will be given a chance to go back and "
    "change the name yourself.)";
const char* const FRAME_DELETE_QUESTION =
    "You are about to delete a frame. If this frame has been selected for some other purpose in the other pages, "
    "another frame will be substituted in its place, possibly without warning. If you only want to change its name "
    "and value, you can use the Edit key. Proceed with deletion?";

std::string FormatFrameCharge(double charge)
{
    char text[512];
    std::snprintf(text, sizeof text, "%f", charge);
    return text;
}

namespace {

void Browse(FramesPage& page)
{
    page.mode = PageMode::Browse;
    page.selected = page.rows.empty() ? -1 : 0;
}

} // namespace

FramesPage OpenFramesPage(const TariffRecord& record)
{
    FramesPage page;
    for (std::size_t i = 0; i < record.FrameNames.size(); ++i)
        page.rows.push_back({record.FrameNames[i], FormatFrameCharge(i < record.FrameCharges.size() ? record.FrameCharges[i] : 0.0)});
    Browse(page);
    return page;
}

void FramesNew(FramesPage& page)
{
    page.mode = PageMode::Edit;
    page.entry = {"", "0.0", ADD_CAPTION};
}

void FramesEdit(FramesPage& page)
{
    if (page.selected < 0) {
        ShowError(1037);
        return;
    }
    const FrameRow& row = page.rows[static_cast<std::size_t>(page.selected)];
    page.mode = PageMode::Edit;
    page.entry = {row.name, row.charge, CHANGE_CAPTION};
}

void FramesCancelEntry(FramesPage& page)
{
    Browse(page);
}

void FramesDelete(FramesPage& page, YesNoQuestion confirm, void* owner)
{
    if (page.rows.size() == 1) {
        ShowError(1041);
        return;
    }
    if (page.selected < 0) {
        ShowError(1042);
        return;
    }
    if (!confirm || !confirm(owner))
        return;
    page.rows.erase(page.rows.begin() + page.selected);
    if (page.selected >= static_cast<int>(page.rows.size()))
        page.selected = static_cast<int>(page.rows.size()) - 1;
}

int FramesCommit(FramesPage& page, CommitForm form, YesNoQuestion convert, void* owner)
{
    const bool check = form != CommitForm::Store;
    std::string name = page.entry.name.substr(0, FRAME_NAME_MAX);
    double charge = ReadDecimal(page.entry.charge.substr(0, FRAME_CHARGE_MAX));
    if (charge < 0.0) {
        if (check) {
            ShowError(1038);
            return -1;
        }
        charge = 0.0;
    }
    if (name.empty()) {
        if (check) {
            ShowError(1039);
            return -1;
        }
        name = "Unspecified_frame";
    }
    if (name.find_first_of(", ") != std::string::npos) {
        if (check && !(convert && convert(owner)))
            return -1;
        for (char& c : name)
            if (c == ',' || c == ' ')
                c = '_';
    }
    if (form == CommitForm::Leave)
        return 0;

    const std::string& caption = page.entry.caption;
    if (!EntryModeChosen(caption))
        return -1;
    FrameRow row{name, FormatFrameCharge(charge)};
    if (caption == ADD_CAPTION) {
        page.rows.push_back(std::move(row));
    } else if (page.selected < 0) {
        ShowError(1036);
        return -1;
    } else {
        page.rows[static_cast<std::size_t>(page.selected)] = std::move(row);
    }
    Browse(page);
    return 0;
}

int ReadFrameRows(const FramesPage& page, std::vector<std::string>& names, std::vector<double>& charges)
{
    try {
        names.clear();
        charges.clear();
        for (std::size_t i = 0; i < page.rows.size(); ++i) {
            const FrameRow& row = page.rows[i];
            names.push_back(row.name.empty() ? "Frame" + std::to_string(i) : row.name);
            const double charge = ReadDecimal(row.charge);
            charges.push_back(charge < 0.0 ? 0.0 : charge);
        }
        if (names.empty()) {
            names.push_back("Frame0");
            charges.push_back(0.0);
        }
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

int FramesFields(FramesPage& page, EditorContext& context, int mode, YesNoQuestion convert, void* owner)
{
    const bool store = (mode & FIELDS_STORE) != 0;
    if (page.mode == PageMode::Edit &&
        FramesCommit(page, store ? CommitForm::Store : CommitForm::Leave, convert, owner) != 0)
        return -1;
    std::vector<std::string> names;
    std::vector<double> charges;
    if (ReadFrameRows(page, names, charges) != 0)
        return -1;
    if (!store) {
        context.frames.names = std::move(names);
        return 0;
    }
    try {
        TariffRecord& r = context.record;
        r.NumFrames = static_cast<std::int32_t>(names.size());
        r.FrameCost.assign(names.size(), 0.0);
        r.FrameTime.assign(names.size(), 0);
        r.FrameNames = std::move(names);
        r.FrameCharges = std::move(charges);
        ClampFramePositions(r);
        context.changed = true;
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}
