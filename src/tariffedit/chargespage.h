// The Charges page of the ISP editor: the seven weekday schedules, the
// default frame, the connection and minimum charges and toll-free, and the
// Copy dialog that copies one day's schedule to others.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "dialogs/generalpage.h"  // NONE_CHECKED
#include "tariffedit/editorcontext.h"

// The "Add/Edit frame for the day" group: the chosen item of each time
// chooser (the item is the value) and of "Frame to use" (NONE_CHECKED when
// none is chosen; frame names are never empty, so its text needs no check).
struct ScheduleEntryForm {
    std::array<int, 6> times{};  // start h, m, s, end h, m, s
    int frame = 0;
    std::string caption;  // the Add/Change button's
};

// "Default frame", the two charges as typed and "Toll free".
struct ChargesForm {
    int defaultFrame = NONE_CHECKED;
    std::string connectCharge;
    std::string minCharge;
    bool tollFree = false;
};

struct ChargesPage {
    std::array<std::vector<ScheduleEntry>, DAYS_PER_WEEK> days;  // the page's copies, Sunday first
    int currentDay = 0;
    std::vector<ScheduleEntry> rows;  // the list: the current day, each row carrying its frame position
    int selected = -1;
    PageMode mode = PageMode::Browse;
    ScheduleEntryForm entry;
    ChargesForm form;
};

// Day list items, Sunday first.
extern const char* const WeekdayNames[DAYS_PER_WEEK];

// The list's texts of a row: start and end "%02d:%02d:%02d" and the frame's
// name (the first frame's when the position lies beyond the list).
struct ScheduleRowText {
    std::string start;
    std::string end;
    std::string frame;
};
ScheduleRowText ScheduleRowTexts(const ScheduleEntry& row, const WorkingFrameList& frames);

// 0, or -1 after error 105 (the page then refuses to become active).
int OpenChargesPage(const TariffRecord& record, const WorkingFrameList& frames, ChargesPage& page);
// Active again: "Default frame" keeps its item while it is inside the list.
void ChargesPageActivated(ChargesPage& page, const WorkingFrameList& frames);

// Stores the rows into the current day, then shows `day`. 0 or -1 (105).
int ChargesSelectDay(ChargesPage& page, const WorkingFrameList& frames, int day);
void ChargesNew(ChargesPage& page);
void ChargesEdit(ChargesPage& page);  // 1053 with no row selected
void ChargesCancelEntry(ChargesPage& page);
void ChargesDelete(ChargesPage& page, const WorkingFrameList& frames);  // 1052
// 0, or -1 when the entry was refused (1049, 1050, 1036, 1040).
int ChargesCommit(ChargesPage& page, const WorkingFrameList& frames, CommitForm form);

// The Copy dialog: from the current day to a set of days, or from another day.
struct CopyForm {
    int source = 0;     // 0 "The currently selected day", 1 "Other:", NONE_CHECKED
    int otherDay = 0;   // the day chooser's item, NONE_CHECKED
    std::array<bool, DAYS_PER_WEEK> targets{};
};
// Whether a target box is enabled: never the current day's.
bool CopyTargetEnabled(const CopyForm& form, int currentDay, int day);
// The dialog's OK: 0, or -1 after 1057, 1058 or 1059 (the dialog stays open).
int CheckCopyForm(const CopyForm& form);
// Carries out a checked copy; each target gets its own copy. 0, or -1
// after 1051 or 105.
int ChargesCopy(ChargesPage& page, const WorkingFrameList& frames, const CopyForm& form);

// FIELDS_CHECK: a pending entry, 1054, 1055, 1056. FIELDS_STORE: writes
// DefaultFrame, the charges, TollFree and the seven schedules.
int ChargesFields(ChargesPage& page, EditorContext& context, int mode);
