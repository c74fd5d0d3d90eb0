// Routing commands and property-sheet notifications through dialog tables.
#include <gtest/gtest.h>

#include <tuple>

#include "dialogs/dialogtable.h"
#include "resource.h"

namespace {

void Full(WindowHandle, int, WindowHandle, int) {}
void Simple(WindowHandle) {}

const CommandRow rows[] = {
    Row(500, 0, Full),    // every notification
    Row(501, 1, Full),    // code 0 only
    Row(502, 2, Simple),  // every notification, window only
    Row(503, 3, Simple),  // code 0 only, window only
    Swallow(1, 0),        // Enter does nothing
    Row(503, 0, Full),    // never reached: the first row wins
};

TEST(DialogRouting, RowsKindsAndDefaults)
{
    const DialogTable table{nullptr, 6, rows, nullptr, 1, IDC_HELPBUTTON, 612};
    const DialogTable empty{nullptr, 0, nullptr, nullptr, 0, 0, 0};
    const struct {
        const DialogTable& table;
        int id, code;
        CommandRoute route;
        int row;  // of a handler that runs
    } cases[] = {
        {table, 500, 0, CommandRoute::CallHandler, 0},  {table, 500, 5, CommandRoute::CallHandler, 0},
        {table, 501, 0, CommandRoute::CallHandler, 1},  {table, 501, 1, CommandRoute::Ignore, -1},
        {table, 502, 3, CommandRoute::CallHandler, 2},  {table, 503, 0, CommandRoute::CallHandler, 3},
        {table, 503, 768, CommandRoute::Ignore, -1},
        {table, 1, 0, CommandRoute::Ignore, -1},  // a swallowed OK keeps the dialog open
        {table, 2, 0, CommandRoute::EndCancel, -1}, {table, 2, 1, CommandRoute::Ignore, -1},
        {table, 1100, 0, CommandRoute::HelpButton, -1}, {table, 999, 0, CommandRoute::Ignore, -1},
        {empty, 1, 0, CommandRoute::EndOk, -1},     {empty, 2, 0, CommandRoute::EndCancel, -1},
        {empty, 1100, 0, CommandRoute::Ignore, -1},  // no Help button
    };
    for (const auto& c : cases) {
        const CommandRow* row = nullptr;
        EXPECT_EQ(c.route, RouteCommand(c.table, c.id, c.code, &row)) << c.id << "/" << c.code;
        EXPECT_EQ(c.row >= 0 ? &rows[c.row] : nullptr, row) << c.id << "/" << c.code;
    }
}

TEST(PageRouting, EachNotificationAndItsAnswer)
{
    const struct {
        int code;
        bool loaded, fieldsFailed;
        PageRoute route;
        PageAnswer answer;
    } cases[] = {
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
    for (const auto& c : cases) {
        const PageRoute route = RoutePageNotification(c.code, c.loaded);
        EXPECT_EQ(c.route, route) << c.code << " loaded " << c.loaded;
        const PageAnswer a = AnswerPage(route, c.fieldsFailed);
        EXPECT_EQ(std::tuple(c.answer.setsResult, c.answer.result, c.answer.returns),
                  std::tuple(a.setsResult, a.result, a.returns))
            << c.code << " loaded " << c.loaded << " failed " << c.fieldsFailed;
    }
}

} // namespace
