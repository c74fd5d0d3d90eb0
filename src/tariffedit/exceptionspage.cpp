#include "tariffedit/exceptionspage.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "dialogs/dialogtable.h"
#include "sessionlog/sessionlog.h"
#include "startup/errors.h"

namespace {

void Browse(ExceptionsPage& page)
{
    page.mode = PageMode::Browse;
    page.selected = page.lines.empty() ? -1 : 0;
}

std::string FourDigits(int year)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d", year);
    return text;
}

// The group as an exception, or false (reported when checking).
bool ReadEntry(const ExceptionEntryForm& entry, bool check, DayExceptionEntry& exception)
{
    const std::string text = entry.year.substr(0, EXCEPTION_YEAR_MAX);
    const int year = ReadInteger(text);
    if (year < 1900) {
        if (check)
            ShowError(1045, text.c_str());
        return false;
    }
    if (!Chosen(entry.month, 12)) {
        if (check)
            ShowError(1046);
        return false;
    }
    if (!Chosen(entry.day, 31)) {
        if (check)
            ShowError(1047);
        return false;
    }
    exception = {year - 1900, entry.month, entry.day + 1};
    return true;
}

} // namespace

std::string FormatException(const DayExceptionEntry& exception)
{
    const int month = exception.Month >= 0 && exception.Month < 12 ? exception.Month : 0;
    char text[128];
    std::snprintf(text, sizeof text, "%d %s %04d", exception.Day, MonthNames[month], exception.Year + 1900);
    return text;
}

DayExceptionEntry ParseException(const std::string& line)
{
    int day = 0;
    int year = 0;
    char name[64] = "";
    std::sscanf(line.c_str(), "%d %63s %d", &day, name, &year);
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (std::strcmp(name, MonthNames[m]) == 0)
            month = m;
    return {year - 1900, month, day};
}

ExceptionsPage OpenExceptionsPage(const TariffRecord& record, const WorkingFrameList& frames)
{
    ExceptionsPage page;
    for (const DayExceptionEntry& e : record.DayExceptions)
        page.lines.push_back(FormatException(e));
    Browse(page);
    page.frame = frames.count() > 0 ? KeepFrameChoice(frames, record.FrameForExceptions) : NONE_CHECKED;
    return page;
}

void ExceptionsPageActivated(ExceptionsPage& page, const WorkingFrameList& frames)
{
    page.frame = frames.count() > 0 ? KeepFrameChoice(frames, page.frame) : NONE_CHECKED;
}

void ExceptionsNew(ExceptionsPage& page, int year)
{
    page.mode = PageMode::Edit;
    page.entry = {0, 0, FourDigits(year), ADD_CAPTION};
}

void ExceptionsEdit(ExceptionsPage& page)
{
    if (page.selected < 0) {
        ShowError(1044);
        return;
    }
    const DayExceptionEntry e = ParseException(page.lines[static_cast<std::size_t>(page.selected)]);
    page.mode = PageMode::Edit;
    page.entry = {e.Day >= 1 && e.Day <= 31 ? e.Day - 1 : NONE_CHECKED, e.Month, FourDigits(e.Year + 1900),
                  CHANGE_CAPTION};
}

void ExceptionsCancelEntry(ExceptionsPage& page)
{
    Browse(page);
}

void ExceptionsDelete(ExceptionsPage& page)
{
    if (page.selected < 0) {
        ShowError(1043);
        return;
    }
    page.lines.erase(page.lines.begin() + page.selected);
    page.selected = page.lines.empty() ? -1 : 0;
}

int ExceptionsCommit(ExceptionsPage& page, CommitForm form)
{
    DayExceptionEntry exception;
    if (!ReadEntry(page.entry, form != CommitForm::Store, exception))
        return -1;
    if (form == CommitForm::Leave)
        return 0;
    const std::string& caption = page.entry.caption;
    if (!EntryModeChosen(caption))
        return -1;
    try {
        if (caption == CHANGE_CAPTION && page.selected >= 0)
            page.lines.erase(page.lines.begin() + page.selected);
        page.lines.push_back(FormatException(exception));
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    Browse(page);
    return 0;
}

int ExceptionsFields(ExceptionsPage& page, EditorContext& context, int mode)
{
    const bool store = (mode & FIELDS_STORE) != 0;
    if (page.mode == PageMode::Edit && ExceptionsCommit(page, store ? CommitForm::Store : CommitForm::Leave) != 0)
        return -1;
    std::vector<DayExceptionEntry> exceptions;
    try {
        for (const std::string& line : page.lines)
            exceptions.push_back(ParseException(line));
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    int frame = page.frame;
    if (!context.frames.Contains(frame)) {
        if (!store) {
            ShowError(1048);
            return -1;
        }
        frame = 0;
    }
    if (!store)
        return 0;
    TariffRecord& r = context.record;
    r.FrameForExceptions = frame;
    r.NumExceptions = static_cast<std::int32_t>(exceptions.size());
    r.DayExceptions = std::move(exceptions);
    context.changed = true;
    return 0;
}
