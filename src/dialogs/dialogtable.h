// Table-driven dialogs: each dialog has one static table of command rows
// and help pairs; the dispatcher routes commands through it.
#pragma once
#include <cstdint>

// A window handle, opaque to portable code.
using WindowHandle = void*;

using ControlHandler = void (*)(WindowHandle dialog, int controlId, WindowHandle control, int code);
using WindowHandler = void (*)(WindowHandle dialog);

// Kind bits of a command row.
constexpr std::uint32_t ROW_CODE_ZERO_ONLY = 1;  // act on notification code 0 only
constexpr std::uint32_t ROW_WINDOW_ONLY = 2;     // the handler takes the dialog window only

struct CommandRow {
    std::int32_t controlId;
    std::uint32_t kind;
    ControlHandler controlHandler;  // kinds 0 and 1
    WindowHandler windowHandler;    // kinds 2 and 3
};

// Rows as the tables write them: Row(id, kind, handler) or Swallow(id, kind).
constexpr CommandRow Row(std::int32_t id, std::uint32_t kind, ControlHandler handler)
{
    return CommandRow{id, kind, handler, nullptr};
}
constexpr CommandRow Row(std::int32_t id, std::uint32_t kind, WindowHandler handler)
{
    return CommandRow{id, kind, nullptr, handler};
}
constexpr CommandRow Swallow(std::int32_t id, std::uint32_t kind)
{
    return CommandRow{id, kind, nullptr, nullptr};
}

// Control id and help context; an array ends with {0, 0}. The layout is the
// one the help engine takes for its context-help requests.
struct HelpPair {
    std::uint32_t controlId;
    std::uint32_t context;
};

// The context a help array gives a control; 0 when it names none.
std::uint32_t FindHelpContext(const HelpPair* pairs, std::uint32_t controlId);

struct DialogTable {
    WindowHandle returnWindow;
    std::uint32_t commandCount;
    const CommandRow* commands;
    const HelpPair* helpPairs;
    std::int32_t hasHelpButton;
    std::int32_t helpButtonId;
    std::uint32_t helpButtonContext;
};


enum class CommandRoute {
    Ignore,       // swallowed by a row, or a notification nobody answers
    CallHandler,  // the row's handler runs
    EndOk,        // default OK: the dialog ends with 0
    EndCancel,    // default Cancel: the dialog ends with -1
    HelpButton,   // the dialog's Help button opens its topic
};

// Decides what a WM_COMMAND does. `row` receives the matching row when the
// result is CallHandler.
CommandRoute RouteCommand(const DialogTable& table, int controlId, int code, const CommandRow** row);

// Property pages. The notifications a sheet sends its pages (the values of
// the common-controls PSN_* codes) and how a page answers each: check its
// fields with messages on leaving (mode 1), store them on OK (mode 2).
constexpr int PAGE_SETACTIVE = -200;
constexpr int PAGE_KILLACTIVE = -201;
constexpr int PAGE_APPLY = -202;
constexpr int PAGE_RESET = -203;
constexpr int PAGE_HELP = -205;
constexpr int PAGE_QUERYCANCEL = -209;

// Mode bits of a page's fields operation.
constexpr int FIELDS_CHECK = 1;
constexpr int FIELDS_STORE = 2;

// What a PSN_APPLY answer may be.
constexpr std::intptr_t PAGE_APPLY_NOERROR = 0;
constexpr std::intptr_t PAGE_APPLY_INVALID_NOCHANGEPAGE = 2;

enum class PageRoute {
    Accept,       // SETACTIVE of a page whose data is there
    Refuse,       // SETACTIVE of a page whose data failed to load
    Check,        // KILLACTIVE: the fields operation with FIELDS_CHECK
    Store,        // APPLY: the fields operation with FIELDS_STORE
    Help,         // the page's help context
    QueryCancel,  // answered TRUE, no result set
    Other,        // not the page's business
};

PageRoute RoutePageNotification(int code, bool loaded);

// How the page procedure answers: whether it sets the sheet's result, the
// result, and what the procedure returns.
struct PageAnswer {
    bool setsResult;
    std::intptr_t result;
    bool returns;
};

// fieldsFailed: the check or store of the route failed (ignored otherwise).
PageAnswer AnswerPage(PageRoute route, bool fieldsFailed);
