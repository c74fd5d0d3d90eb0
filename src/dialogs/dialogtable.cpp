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

PageRoute RoutePageNotification(int code, bool loaded)
{
    switch (code) {
    case PAGE_SETACTIVE:
        return loaded ? PageRoute::Accept : PageRoute::Refuse;
    case PAGE_KILLACTIVE:
        return PageRoute::Check;
    case PAGE_APPLY:
        return PageRoute::Store;
    case PAGE_HELP:
        return PageRoute::Help;
    case PAGE_QUERYCANCEL:
        return PageRoute::QueryCancel;
    default:
        return PageRoute::Other;
    }
}

PageAnswer AnswerPage(PageRoute route, bool fieldsFailed)
{
    switch (route) {
    case PageRoute::Accept:
        return {true, 0, true};
    case PageRoute::Refuse:
        return {true, -1, true};
    case PageRoute::Check:
        // TRUE keeps the user on the page.
        return {true, fieldsFailed ? 1 : 0, true};
    case PageRoute::Store:
        return {true, fieldsFailed ? PAGE_APPLY_INVALID_NOCHANGEPAGE : PAGE_APPLY_NOERROR, true};
    case PageRoute::QueryCancel:
        return {false, 0, true};
    case PageRoute::Help:
    case PageRoute::Other:
        break;
    }
    return {false, 0, false};
}

std::uint32_t FindHelpContext(const HelpPair* pairs, std::uint32_t controlId)
{
    for (const HelpPair* pair = pairs; pair && (pair->controlId || pair->context); ++pair)
        if (pair->controlId == controlId)
            return pair->context;
    return 0;
}
