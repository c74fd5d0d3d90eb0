// One run of the ISP editor: its four pages in sheet order and what showing,
// leaving, OK and Cancel do to them. The property sheet's page procedures
// share one of these; each page exists from the first time it is shown.
#pragma once
#include <array>

#include "tariffedit/chargespage.h"
#include "tariffedit/exceptionspage.h"
#include "tariffedit/framespage.h"
#include "tariffedit/ispgeneral.h"

enum EditorPage { EDITOR_GENERAL, EDITOR_CHARGES, EDITOR_FRAMES, EDITOR_EXCEPTIONS, EDITOR_PAGE_COUNT };

struct TariffEditor {
    TariffEditor(TariffRecord& record, bool& changed) : context{record, changed, {}} {}

    EditorContext context;
    std::array<bool, EDITOR_PAGE_COUNT> shown{};
    IspGeneralPage general;
    ChargesPage charges;
    FramesPage frames;
    ExceptionsPage exceptions;
    YesNoQuestion convertFrameName = nullptr;  // the Frames page's question
    void* owner = nullptr;
};

// The caller clears `changed`. 0, or -1 after error 105 (the editor does
// not open).
int BeginTariffEditor(TariffEditor& editor);
// The page becomes active: filled the first time, refilled from the frame
// list afterwards. -1 when it refuses to be shown.
int ShowEditorPage(TariffEditor& editor, EditorPage page);
// Leaving the page (or OK while it is active): its checks. 0 or -1.
int LeaveEditorPage(TariffEditor& editor, EditorPage page);
// OK of the sheet for one page that was shown: its store. 0 or -1.
int StoreEditorPage(TariffEditor& editor, EditorPage page);
// OK: checks the active page, then stores every page that was shown, in
// sheet order. -1 keeps the sheet open. Cancel writes nothing, so it needs
// no function.
int TariffEditorOk(TariffEditor& editor, EditorPage active);
