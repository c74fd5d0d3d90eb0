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

struct DialogTable {
    WindowHandle returnWindow;
    std::uint32_t commandCount;
    const CommandRow* commands;
    const HelpPair* helpPairs;
    std::int32_t hasHelpButton;
    std::int32_t helpButtonId;
    std::uint32_t helpButtonContext;
};

constexpr int IDC_HELP_BUTTON = 1100;

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
