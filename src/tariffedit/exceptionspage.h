// The Exceptions page of the ISP editor: the dates charged all day at the
// frame for exceptions.
#pragma once
#include <string>
#include <vector>

#include "dialogs/generalpage.h"  // NONE_CHECKED
#include "tariffedit/editorcontext.h"

// The "Add/Edit exception" group: the day chooser's item (day = item + 1),
// the month chooser's item, the year as typed.
struct ExceptionEntryForm {
    int day = NONE_CHECKED;
    int month = NONE_CHECKED;
    std::string year;
    std::string caption;  // the Add/Change button's
};

struct ExceptionsPage {
    std::vector<std::string> lines;  // the list, in the order stored
    int selected = -1;
    PageMode mode = PageMode::Browse;
    ExceptionEntryForm entry;
    int frame = NONE_CHECKED;  // "Frame for exceptions"
};

constexpr int EXCEPTION_YEAR_MAX = 5;

// "%d %s %04d": day, English month name, year.
std::string FormatException(const DayExceptionEntry& exception);
// Read back with "%d %s %d"; a month name not found counts as January.
DayExceptionEntry ParseException(const std::string& line);

ExceptionsPage OpenExceptionsPage(const TariffRecord& record, const WorkingFrameList& frames);
void ExceptionsPageActivated(ExceptionsPage& page, const WorkingFrameList& frames);
// New proposes day 1, January and `year` (the current one).
void ExceptionsNew(ExceptionsPage& page, int year);
void ExceptionsEdit(ExceptionsPage& page);    // 1044 with no line selected
void ExceptionsCancelEntry(ExceptionsPage& page);
void ExceptionsDelete(ExceptionsPage& page);  // 1043 with no line selected
// Button and Store add the entry (a changed one moves to the end); Leave
// only reads it. 0, or -1 when refused (1045-1047 unless storing, 1040).
int ExceptionsCommit(ExceptionsPage& page, CommitForm form);

// FIELDS_CHECK: a pending entry and 1048. FIELDS_STORE: writes
// FrameForExceptions and the exceptions.
int ExceptionsFields(ExceptionsPage& page, EditorContext& context, int mode);
