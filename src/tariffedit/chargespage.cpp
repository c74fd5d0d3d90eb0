#include "tariffedit/chargespage.h"

#include <cstdio>
#include <new>

#include "dialogs/dialogtable.h"
#include "startup/errors.h"

const char* const WeekdayNames[DAYS_PER_WEEK] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};

namespace {

std::string Clock(int hour, int minute, int second)
{
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    return text;
}

std::string Fixed(double value)
{
    char text[512];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

// The rows as the current day's entries: positions beyond the list become
// the first frame.
void StoreRows(ChargesPage& page, const WorkingFrameList& frames)
{
    std::vector<ScheduleEntry> entries = page.rows;
    for (ScheduleEntry& e : entries)
        e.Frame = KeepFrameChoice(frames, e.Frame);
    page.days[static_cast<std::size_t>(page.currentDay)] = std::move(entries);
}

void ShowDay(ChargesPage& page)
{
    page.rows = page.days[static_cast<std::size_t>(page.currentDay)];
}

void Browse(ChargesPage& page)
{
    page.mode = PageMode::Browse;
    page.selected = page.rows.empty() ? -1 : 0;
}

// A charge that must be there and not negative.
bool Charge(const std::string& text, bool check, ErrorCode code, double& value)
{
    value = ReadDecimal(text);
    if (!text.empty() && value >= 0.0)
        return true;
    value = 0.0;
    if (check)
        ShowError(code);
    return !check;
}

} // namespace

ScheduleRowText ScheduleRowTexts(const ScheduleEntry& row, const WorkingFrameList& frames)
{
    return {Clock(row.StartHour, row.StartMinute, row.StartSecond), Clock(row.EndHour, row.EndMinute, row.EndSecond),
            ShownFrameName(frames, row.Frame)};
}

int OpenChargesPage(const TariffRecord& record, const WorkingFrameList& frames, ChargesPage& page)
{
    try {
        page = ChargesPage{};
        page.days = record.Schedules;
        ShowDay(page);
        Browse(page);
        page.form.defaultFrame = frames.Contains(record.DefaultFrame) ? record.DefaultFrame : NONE_CHECKED;
        page.form.connectCharge = Fixed(record.ConnectCharge);
        page.form.minCharge = Fixed(record.MinCharge);
        page.form.tollFree = record.TollFree != 0;
        return 0;
    } catch (const std::bad_alloc&) {
        page = ChargesPage{};
        ShowError(105);
        return -1;
    }
}

void ChargesPageActivated(ChargesPage& page, const WorkingFrameList& frames)
{
    page.form.defaultFrame = KeepFrameChoice(frames, page.form.defaultFrame);
}

int ChargesSelectDay(ChargesPage& page, const WorkingFrameList& frames, int day)
{
    if (!Chosen(day, DAYS_PER_WEEK))
        return -1;
    try {
        StoreRows(page, frames);
        page.currentDay = day;
        ShowDay(page);
        Browse(page);
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

void ChargesNew(ChargesPage& page)
{
    page.mode = PageMode::Edit;
    page.entry = ScheduleEntryForm{};
    page.entry.caption = ADD_CAPTION;
}

void ChargesEdit(ChargesPage& page)
{
    if (page.selected < 0) {
        ShowError(1053);
        return;
    }
    const ScheduleEntry& row = page.rows[static_cast<std::size_t>(page.selected)];
    page.mode = PageMode::Edit;
    page.entry.times = {row.StartHour, row.StartMinute, row.StartSecond, row.EndHour, row.EndMinute, row.EndSecond};
    page.entry.frame = row.Frame;
    page.entry.caption = CHANGE_CAPTION;
}

void ChargesCancelEntry(ChargesPage& page)
{
    Browse(page);
}

void ChargesDelete(ChargesPage& page, const WorkingFrameList& frames)
{
    if (page.selected < 0) {
        ShowError(1052);
        return;
    }
    page.rows.erase(page.rows.begin() + page.selected);
    try {
        StoreRows(page, frames);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        ShowDay(page);
    }
    Browse(page);
}

int ChargesCommit(ChargesPage& page, const WorkingFrameList& frames, CommitForm form)
{
    const bool check = form != CommitForm::Store;
    const std::array<int, 6>& t = page.entry.times;
    const int limits[6] = {24, 60, 60, 24, 60, 60};
    bool valid = true;
    for (int i = 0; i < 6; ++i)
        valid = valid && Chosen(t[static_cast<std::size_t>(i)], limits[i]);
    const int start = (t[0] * 60 + t[1]) * 60 + t[2];
    const int end = (t[3] * 60 + t[4]) * 60 + t[5];
    if (!valid || end <= start) {
        if (check) {
            ShowError(1049);
            return -1;
        }
        Browse(page);
        return 0;
    }
    ScheduleEntry entry{t[0], t[1], t[2], t[3], t[4], t[5], page.entry.frame};
    if (!frames.Contains(entry.Frame)) {
        if (check) {
            ShowError(1050);
            return -1;
        }
        entry.Frame = KeepFrameChoice(frames, entry.Frame);
    }
    if (form == CommitForm::Leave)
        return 0;

    const std::string& caption = page.entry.caption;
    if (!EntryModeChosen(caption))
        return -1;
    try {
        if (caption == ADD_CAPTION) {
            page.rows.push_back(entry);
        } else if (page.selected < 0) {
            ShowError(1036);
            return -1;
        } else {
            page.rows[static_cast<std::size_t>(page.selected)] = entry;
        }
        StoreRows(page, frames);
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    Browse(page);
    return 0;
}

bool CopyTargetEnabled(const CopyForm& form, int currentDay, int day)
{
    return form.source == 0 && day != currentDay;
}

int CheckCopyForm(const CopyForm& form)
{
    if (form.source != 0 && form.source != 1) {
        ShowError(1057);
        return -1;
    }
    if (form.source == 1) {
        if (!Chosen(form.otherDay, DAYS_PER_WEEK)) {
            ShowError(1058);
            return -1;
        }
        return 0;
    }
    for (bool target : form.targets)
        if (target)
            return 0;
    ShowError(1059);
    return -1;
}

int ChargesCopy(ChargesPage& page, const WorkingFrameList& frames, const CopyForm& form)
{
    if (!Chosen(page.currentDay, DAYS_PER_WEEK)) {
        ShowError(1051);
        return -1;
    }
    try {
        StoreRows(page, frames);
        const std::size_t current = static_cast<std::size_t>(page.currentDay);
        if (form.source == 1) {
            page.days[current] = page.days[static_cast<std::size_t>(form.otherDay)];
            ShowDay(page);
            Browse(page);
            return 0;
        }
        for (std::size_t day = 0; day < page.days.size(); ++day)
            if (form.targets[day] && day != current)
                page.days[day] = page.days[current];
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

int ChargesFields(ChargesPage& page, EditorContext& context, int mode)
{
    const bool store = (mode & FIELDS_STORE) != 0;
    const bool check = !store;
    const WorkingFrameList& frames = context.frames;
    if (page.mode == PageMode::Edit &&
        ChargesCommit(page, frames, store ? CommitForm::Store : CommitForm::Leave) != 0)
        return -1;
    try {
        StoreRows(page, frames);
    } catch (const std::bad_alloc&) {
        if (check)
            ShowError(105);
        return -1;
    }
    int defaultFrame = page.form.defaultFrame;
    if (!frames.Contains(defaultFrame)) {
        if (check) {
            ShowError(1054);
            return -1;
        }
        defaultFrame = 0;
    }
    double connect = 0.0;
    double minimum = 0.0;
    if (!Charge(page.form.connectCharge, check, 1055, connect) || !Charge(page.form.minCharge, check, 1056, minimum))
        return -1;
    if (!store)
        return 0;
    try {
        TariffRecord& r = context.record;
        r.DefaultFrame = defaultFrame;
        r.ConnectCharge = connect;
        r.MinCharge = minimum;
        r.TollFree = page.form.tollFree ? 1 : 0;
        // Every day, not only those shown again since frames were deleted.
        for (std::size_t day = 0; day < page.days.size(); ++day) {
            r.Schedules[day] = page.days[day];
            for (ScheduleEntry& e : r.Schedules[day])
                e.Frame = KeepFrameChoice(frames, e.Frame);
        }
        context.changed = true;
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
