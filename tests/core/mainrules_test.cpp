// Main window rules: closing, the tray tooltip and the report date.
#include <cstdlib>
#include <tuple>

#include "monitor/mainrules.h"
#include "monitor/monitorstate.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::LocalInstant;

TEST(MainWindowClosing, FollowsConfirmExitAndWhereTheWindowGoes)
{
    const struct { bool monitoring; int confirmExit, icon; CloseStep expected; } cases[] = {
        {false, EXIT_CONFIRM, ICON_TRAY, CLOSE_DESTROY},
        {true, EXIT_WITHOUT_PROMPT, ICON_TRAY, CLOSE_STOP_AND_DESTROY},
        {true, EXIT_CONFIRM, ICON_MINIMIZE, CLOSE_ASK},
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_HIDE, CLOSE_MINIMISE},
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_TRAY, CLOSE_MINIMISE},
        // Minimised on the task bar is no hiding place: exit for real.
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_MINIMIZE, CLOSE_STOP_AND_DESTROY},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideClose(c.monitoring, c.confirmExit, c.icon), c.expected)
            << c.monitoring << "/" << c.confirmExit << "/" << c.icon;
    EXPECT_EQ(std::tuple(AfterConfirmExit(0), AfterConfirmExit(1), AfterConfirmExit(-1)),
              std::tuple(CLOSE_MINIMISE, CLOSE_STOP_AND_DESTROY, CLOSE_NOTHING));
    EXPECT_EQ(std::string(ExitButtonText(true, EXIT_MINIMIZE_IN_TRAY)) + ExitButtonText(false, EXIT_MINIMIZE_IN_TRAY) +
                  ExitButtonText(true, EXIT_CONFIRM),
              "C&loseE&xitE&xit");
}

TEST(OnlineTooltip, NameAndTimeOnlineWithinSixtyThreeCharacters)
{
    const std::string sixty(60, 'n'), long54(54, 'n');
    const struct { std::string description; std::int64_t online; std::string expected; } rows[] = {
        {"Demon", 100000, "Demon 27:46:40"}, {"Demon", -30, "Demon 00:00:00"},  // clock set back below the start
        {"", 65, "Tolvane (online) 00:01:05"},   {sixty, 3599, long54 + " 00:59:59"},
        {sixty, 360000, (long54 + " 100:00:00").substr(0, 63)},  // the end is cut off
    };
    for (const auto& c : rows)
        EXPECT_EQ(OnlineTooltip(c.description, 1700000000 + c.online, 1700000000), c.expected);
}

using EnterDateTest = testsupport::ProgramDirTest;

TEST_F(EnterDateTest, ProposedDateFollowsPreviousDefault)
{
    EXPECT_EQ(ReadPreviousDefault(), 0);  // no settings file
    for (auto [text, expected] : {std::pair{"2", 2}, {"3", 0}, {"-1", 0}, {"x", 0}}) {
        WriteIni(std::string("[Windows]\r\nPreviousDefault=") + text + "\r\n");
        EXPECT_EQ(ReadPreviousDefault(), expected) << text;
    }
    const struct { int y, m, d, setting, year, month, day; } cases[] = {
        {2024, 1, 5, 0, 2023, 12, 5}, {2024, 3, 3, 1, 2024, 2, 25}, {2024, 3, 3, 2, 2024, 3, 3},
        {2023, 3, 31, 0, 2023, 3, 3},  // a day the earlier month lacks rolls over into the next
    };
    for (const auto& c : cases) {
        const LocalTime d = ProposedReportDate(ToLocalTime(LocalInstant(c.y, c.m, c.d, 12)), c.setting);
        EXPECT_EQ(LocalInstant(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday), LocalInstant(c.year, c.month, c.day))
            << c.y << "-" << c.m << "-" << c.d << " setting " << c.setting;
    }
}

// The day is cut to the month; a missing choice or a year before 1901 is
// reported (the year as the program counts it, from 1900) and gives no date.
TEST_F(EnterDateTest, ChosenDateIsLocalMidnightOrAReportedError)
{
    const struct {
        int day, month;  // as shown: 1-31, 1-12; 0 for no choice
        const char* year;
        int code, expectMonth, expectDay;
        const char* shown;
    } cases[] = {
        {15, 6, "2024", 0, 6, 15, nullptr},  {31, 4, "2024", 0, 4, 30, nullptr}, {29, 2, "2023", 0, 2, 28, nullptr},
        {30, 2, "2024", 0, 2, 29, nullptr},  {0, 0, "2024", 1003, 0, 0, nullptr}, {5, 0, "2024", 1004, 0, 0, nullptr},
        {5, 4, "1900", 1005, 0, 0, "Invalid year: 0."}, {5, 4, "abc", 1005, 0, 0, "Invalid year: -1900."},
    };
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        std::int64_t instant = 7;
        EXPECT_EQ(ReportDateFromChoice(c.day - 1, c.month - 1, c.year, instant), c.code) << c.day << "/" << c.month;
        EXPECT_EQ(instant, c.code ? 7 : LocalInstant(std::atoi(c.year), c.expectMonth, c.expectDay)) << c.day;
        EXPECT_EQ(testsupport::RecordedCodes(), c.code ? std::vector<ErrorCode>{c.code} : std::vector<ErrorCode>{});
        if (c.shown) {
            EXPECT_EQ(testsupport::RecordedErrors().at(0).text, c.shown);
        }
    }
}

} // namespace
