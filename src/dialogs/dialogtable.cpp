#include "dialogs/dialogtable.h"

CommandRoute RouteCommand(const DialogTable& table, int controlId, int code, const CommandRow** row)
{
    if (row)
        *row = nullptr;
    if (table.commands) {
        for (std::uint32_t i = 0; i < table.commandCount; ++i) {
            const CommandRow& r = table.commands[i];
            if (r.controlId != controlId)
                continue;
            // A found row never falls through to the defaults.
            bool hasHandler = (r.kind & ROW_WINDOW_ONLY) ? r.windowHandler != nullptr : r.controlHandler != nullptr;
            if (!hasHandler)
                return CommandRoute::Ignore;
            if ((r.kind & ROW_CODE_ZERO_ONLY) && code != 0)
                return CommandRoute::Ignore;
            if (row)
                *row = &r;
            return CommandRoute::CallHandler;
        }
    }
    if (code != 0)
        return CommandRoute::Ignore;
    if (controlId == 1)
        return CommandRoute::EndOk;
    if (controlId == 2)
        return CommandRoute::EndCancel;
    if (table.hasHelpButton && controlId == table.helpButtonId)
        return CommandRoute::HelpButton;
    return CommandRoute::Ignore;
}
