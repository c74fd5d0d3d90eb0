// The Frames page of the ISP editor: the named charge rates, kept by
// position, and the WorkingFrameList the other pages choose from.
#pragma once
#include <string>
#include <vector>

#include "tariffedit/editorcontext.h"

// A row as the list shows it: the name and the charge written with "%f".
struct FrameRow {
    std::string name;
    std::string charge;
};

// The "Add/Edit Frame" group.
struct FrameEntryForm {
    std::string name;
    std::string charge;
    std::string caption;  // the Add/Change button's
};

struct FramesPage {
    std::vector<FrameRow> rows;
    int selected = -1;
    PageMode mode = PageMode::Browse;
    FrameEntryForm entry;
};

constexpr int FRAME_NAME_MAX = 511;
constexpr int FRAME_CHARGE_MAX = 79;

extern const char* const FRAME_NAME_CAPTION;
extern const char* const FRAME_NAME_QUESTION;
extern const char* const FRAME_DELETE_QUESTION;  // caption WARNING_CAPTION

std::string FormatFrameCharge(double charge);

FramesPage OpenFramesPage(const TariffRecord& record);
void FramesNew(FramesPage& page);
void FramesEdit(FramesPage& page);    // 1037 with no row selected
void FramesCancelEntry(FramesPage& page);
// Asks before removing the selected row; 1041, 1042.
void FramesDelete(FramesPage& page, YesNoQuestion confirm, void* owner);
// The pending entry. A name holding commas or blanks is converted to "_"
// after `convert` says Yes (asked only when checking). 0, or -1 when the
// entry was refused (reported, or No answered).
int FramesCommit(FramesPage& page, CommitForm form, YesNoQuestion convert, void* owner);

// The rows as frames: negative charges 0, empty names "Frame%d"; no rows
// give one frame "Frame0" at 0. 0, or -1 after error 105.
int ReadFrameRows(const FramesPage& page, std::vector<std::string>& names, std::vector<double>& charges);

// FIELDS_CHECK (leaving the page): checks a pending entry and hands the
// rows' names to the other pages. FIELDS_STORE (OK): commits a pending
// entry and replaces the record's frames. 0, or -1 after reporting.
int FramesFields(FramesPage& page, EditorContext& context, int mode, YesNoQuestion convert, void* owner);
