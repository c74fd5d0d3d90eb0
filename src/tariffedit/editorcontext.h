// What the four pages of the ISP editor share: the record being edited, the
// changed flag and the working list of frame names, plus the small rules
// every page applies to frame positions and to its Add/Change button.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tariff/tariff.h"

// Frame names as the Frames page last left them. Frames are referred to by
// their position in this list everywhere in the editor.
struct WorkingFrameList {
    std::vector<std::string> names;

    std::int32_t count() const { return static_cast<std::int32_t>(names.size()); }
    bool Contains(std::int32_t position) const { return position >= 0 && position < count(); }
};

struct EditorContext {
    TariffRecord& record;
    bool& changed;
    WorkingFrameList frames;
};

// The editor's starting list: a copy of the record's frame names. 0, or -1
// after error 105.
int MakeWorkingFrameList(const TariffRecord& record, WorkingFrameList& frames);

// A frame chooser filled again from the list keeps its position while that
// is still inside the list and falls back to the first frame otherwise, so
// a deleted frame is replaced by whichever frame moved into its place.
std::int32_t KeepFrameChoice(const WorkingFrameList& frames, std::int32_t position);
// The name shown for a position: the first frame's when it lies beyond the list.
std::string ShownFrameName(const WorkingFrameList& frames, std::int32_t position);

// Captions of the Add/Change buttons; the button's caption tells the mode.
// An empty caption stands for one that could not be read (error 1040).
extern const char* const ADD_CAPTION;
extern const char* const CHANGE_CAPTION;
// False, with error 1040, when the entry button shows neither caption.
bool EntryModeChosen(const std::string& caption);

// Browse mode shows the page's list; edit mode its Add/Edit group.
enum class PageMode { Browse, Edit };

// Leading decimal number of a text, 0 when there is none; plain notation
// only ("inf", "nan" and hex read as 0).
double ReadDecimal(const std::string& text);
// Leading decimal integer, 0 when there is none; present is false when the
// text holds no digits at all.
std::int32_t ReadInteger(const std::string& text, bool* present = nullptr);
// A choice (item index, or NONE_CHECKED) as the position in a chooser of n items.
bool Chosen(int index, int n);

// How a pending Add/Change entry is committed: by its button (checked with
// messages, then added), on leaving the page (checked only, it stays
// pending) or on OK of the sheet (stored with defaults, no messages).
enum class CommitForm { Button, Leave, Store };

// A Yes/No question the Windows build asks in a message box; true for Yes.
// A null question counts as No.
using YesNoQuestion = bool (*)(void* owner);

// After frames were deleted, positions beyond the list mean the first frame.
// Applied to every frame position of the record when frames are stored, so
// that no saved index points past the frames (loading would otherwise cut
// short the schedule of a day holding such an entry).
void ClampFramePositions(TariffRecord& record);
