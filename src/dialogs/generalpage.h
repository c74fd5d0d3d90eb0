// The General page of the Options sheet: deletion settings, the date the
// Enter Date dialog proposes, and how raw log entries are viewed.
#pragma once
#include <string>

// [Windows] PreviousDefault: 0 a month back, 1 a week back, 2 today.
int ReadPreviousDefault();
void SavePreviousDefault(int value);

// Which of a group's radio buttons is checked; -1 none.
constexpr int NONE_CHECKED = -1;

// The page as read from (and shown in) its controls.
struct GeneralForm {
    bool confirmDelete = false;
    bool backupOnDelete = false;
    int previousDefault = 0;   // 0..2 or NONE_CHECKED
    std::string viewerPath;    // empty: none
    int tempFile = 0;          // 0 a temporary file, 1 the named file, NONE_CHECKED
    std::string rawLogFileName;
    int defaultRange = 2;      // selected item of the range list, NONE_CHECKED when none
};

// Longest texts the page reads from its fields.
constexpr int GENERAL_TEXT_MAX = 511;

// The form the page opens with; false when the view settings could not be
// read (reported), and the page then refuses to be shown.
bool OpenGeneralForm(GeneralForm& form);

// Leaving the page is always allowed; the store writes the deletion
// settings, PreviousDefault and then [WinViewLog], each at once, so a
// later failure (2066, 2067, 2068, 105) keeps the earlier ones written.
// 0, or -1 after reporting.
int GeneralPageFields(const GeneralForm& form, int mode);
