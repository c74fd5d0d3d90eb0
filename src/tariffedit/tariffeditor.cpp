#include "tariffedit/tariffeditor.h"

#include "dialogs/dialogtable.h"

int BeginTariffEditor(TariffEditor& editor)
{
    editor.shown = {};
    return MakeWorkingFrameList(editor.context.record, editor.context.frames);
}

int ShowEditorPage(TariffEditor& editor, EditorPage page)
{
    const TariffRecord& record = editor.context.record;
    const WorkingFrameList& frames = editor.context.frames;
    const bool first = !editor.shown[page];
    switch (page) {
    case EDITOR_GENERAL:
        if (first)
            editor.general = OpenIspGeneralPage(record, frames);
        else
            GeneralPageActivated(editor.general, frames);
        break;
    case EDITOR_CHARGES:
        if (first && OpenChargesPage(record, frames, editor.charges) != 0)
            return -1;
        if (!first)
            ChargesPageActivated(editor.charges, frames);
        break;
    case EDITOR_FRAMES:
        if (first)
            editor.frames = OpenFramesPage(record);
        break;
    case EDITOR_EXCEPTIONS:
        if (first)
            editor.exceptions = OpenExceptionsPage(record, frames);
        else
            ExceptionsPageActivated(editor.exceptions, frames);
        break;
    default:
        return -1;
    }
    editor.shown[page] = true;
    return 0;
}

namespace {

int PageFields(TariffEditor& editor, EditorPage page, int mode)
{
    EditorContext& context = editor.context;
    switch (page) {
    case EDITOR_GENERAL:
        return IspGeneralFields(editor.general.form, context, mode);
    case EDITOR_CHARGES:
        return ChargesFields(editor.charges, context, mode);
    case EDITOR_FRAMES:
        return FramesFields(editor.frames, context, mode, editor.convertFrameName, editor.owner);
    case EDITOR_EXCEPTIONS:
        return ExceptionsFields(editor.exceptions, context, mode);
    default:
        return -1;
    }
}

} // namespace

int LeaveEditorPage(TariffEditor& editor, EditorPage page)
{
    return editor.shown[page] ? PageFields(editor, page, FIELDS_CHECK) : 0;
}

int StoreEditorPage(TariffEditor& editor, EditorPage page)
{
    return editor.shown[page] ? PageFields(editor, page, FIELDS_STORE) : 0;
}

int TariffEditorOk(TariffEditor& editor, EditorPage active)
{
    if (LeaveEditorPage(editor, active) != 0)
        return -1;
    for (int page = 0; page < EDITOR_PAGE_COUNT; ++page)
        if (StoreEditorPage(editor, static_cast<EditorPage>(page)) != 0)
            return -1;
    return 0;
}
