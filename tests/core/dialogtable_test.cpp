// Routing commands and property-sheet notifications through dialog tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialogtable.h"
#include "resource.h"

namespace {

std::vector<std::string> calls;

void Full(WindowHandle, int id, WindowHandle, int code)
{
    calls.push_back("full " + std::to_string(id) + "/" + std::to_string(code));
}
void Simple(WindowHandle) { calls.push_back("simple"); }

const CommandRow rows[] = {
    Row(500, 0, Full),     // every notification
    Row(501, 1, Full),     // code 0 only
    Row(502, 2, Simple),   // every notification, window only
    Row(503, 3, Simple),   // code 0 only, window only
    Swallow(1, 0),         // Enter does nothing
    Row(503, 0, Full),     // never reached: the first row wins
};

DialogTable table{nullptr, 6, rows, nullptr, 1, IDC_HELPBUTTON, 612};

// The handler's record, if it runs.
struct RouteCase { int id, code; CommandRoute route; const char* call; };

TEST(DialogRouting, RowsKindsAndDefaults)
{
    const RouteCase cases[] = {
        {500, 0, CommandRoute::CallHandler, "full 500/0"},
        {500, 5, CommandRoute::CallHandler, "full 500/5"},
        {501, 0, CommandRoute::CallHandler, "full 501/0"},
        {501, 1, CommandRoute::Ignore, nullptr},  // e.g. a selection change is swallowed
        {502, 3, CommandRoute::CallHandler, "simple"},
        {503, 0, CommandRoute::CallHandler, "simple"},
        {503, 768, CommandRoute::Ignore, nullptr},
        {1, 0, CommandRoute::Ignore, nullptr},      // swallowed OK keeps the dialog open
        {2, 0, CommandRoute::EndCancel, nullptr},   // no row: default Cancel
        {2, 1, CommandRoute::Ignore, nullptr},      // no row and a notification code
        {1100, 0, CommandRoute::HelpButton, nullptr},
        {999, 0, CommandRoute::Ignore, nullptr},
    };
    for (const RouteCase& c : cases) {
        calls.clear();
        const CommandRow* row = nullptr;
        CommandRoute route = RouteCommand(table, c.id, c.code, &row);
        EXPECT_EQ(c.route, route) << c.id << "/" << c.code;
        if (route == CommandRoute::CallHandler) {
            ASSERT_NE(nullptr, row);
            if (row->kind & ROW_WINDOW_ONLY)
                row->windowHandler(nullptr);
            else
                row->controlHandler(nullptr, c.id, nullptr, c.code);
            EXPECT_EQ(std::vector<std::string>{c.call}, calls) << c.id;
        }
    }
}

TEST(DialogRouting, EmptyTableHasOnlyTheDefaults)
{
    DialogTable empty{nullptr, 0, nullptr, nullptr, 0, 0, 0};
    EXPECT_EQ(CommandRoute::EndOk, RouteCommand(empty, 1, 0, nullptr));
    EXPECT_EQ(CommandRoute::EndCancel, RouteCommand(empty, 2, 0, nullptr));
    EXPECT_EQ(CommandRoute::Ignore, RouteCommand(empty, 1100, 0, nullptr));  // no Help button
}

struct PageCase { int code; bool loaded, fieldsFailed; PageRoute route; PageAnswer answer; };

TEST(PageRouting, EachNotificationAndItsAnswer)
{
    const PageCase cases[] = {
        {PAGE_SETACTIVE, true, false, PageRoute::Accept, {true, 0, true}},
        {PAGE_SETACTIVE, false, false, PageRoute::Refuse, {true, -1, true}},
        {PAGE_KILLACTIVE, true, false, PageRoute::Check, {true, 0, true}},
        {PAGE_KILLACTIVE, true, true, PageRoute::Check, {true, 1, true}},  // stays on the page
        {PAGE_APPLY, true, false, PageRoute::Store, {true, PAGE_APPLY_NOERROR, true}},
        {PAGE_APPLY, true, true, PageRoute::Store, {true, PAGE_APPLY_INVALID_NOCHANGEPAGE, true}},
        {PAGE_HELP, true, false, PageRoute::Help, {false, 0, false}},
        {PAGE_QUERYCANCEL, true, false, PageRoute::QueryCancel, {false, 0, true}},
        {PAGE_RESET, true, false, PageRoute::Other, {false, 0, false}},
        {-100, true, false, PageRoute::Other, {false, 0, false}},  // a list view's notification
    };
    for (const PageCase& c : cases) {
        const PageRoute route = RoutePageNotification(c.code, c.loaded);
        EXPECT_EQ(c.route, route) << c.code << " loaded " << c.loaded;
        const PageAnswer answer = AnswerPage(route, c.fieldsFailed);
        EXPECT_TRUE(c.answer.setsResult == answer.setsResult && c.answer.result == answer.result &&
                    c.answer.returns == answer.returns)
            << c.code << " loaded " << c.loaded << " failed " << c.fieldsFailed;
    }
}

} // namespace
