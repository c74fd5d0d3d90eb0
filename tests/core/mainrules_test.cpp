#include <gtest/gtest.h>

#include <string>

#include "monitor/mainrules.h"
#include "monitor/monitorstate.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::LocalInstant;
using testsupport::RecordedCodes;

struct CloseCase {
    bool monitoring;
    int confirmExit;
    int icon;
    CloseStep expected;
};

TEST(MainWindowClosing, FollowsConfirmExitAndWhereTheWindowGoes)
{
    const CloseCase cases[] = {
        {false, EXIT_CONFIRM, ICON_TRAY, CLOSE_DESTROY},
        {false, EXIT_MINIMIZE_IN_TRAY, ICON_HIDE, CLOSE_DESTROY},
        {true, EXIT_WITHOUT_PROMPT, ICON_TRAY, CLOSE_STOP_AND_DESTROY},
        {true, EXIT_CONFIRM, ICON_MINIMIZE, CLOSE_ASK},
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_HIDE, CLOSE_MINIMISE},
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_TRAY, CLOSE_MINIMISE},
        // Minimised on the task bar is no hiding place: exit for real.
        {true, EXIT_MINIMIZE_IN_TRAY, ICON_MINIMIZE, CLOSE_STOP_AND_DESTROY},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.monitoring << "/" << c.confirmExit << "/" << c.icon);
        EXPECT_EQ(DecideClose(c.monitoring, c.confirmExit, c.icon), c.expected);
    }
    EXPECT_EQ(AfterConfirmExit(0), CLOSE_MINIMISE);
    EXPECT_EQ(AfterConfirmExit(1), CLOSE_STOP_AND_DESTROY);
    EXPECT_EQ(AfterConfirmExit(-1), CLOSE_NOTHING);
}

TEST(MainWindowButtons, ExitReadsCloseOnlyWhileMonitoringWithMinimiseInTray)
{
    EXPECT_STREQ(MonitorButtonText(false), "&Monitor");
    EXPECT_STREQ(MonitorButtonText(true), "Stop &Monitoring");
    EXPECT_STREQ(ExitButtonText(true, EXIT_MINIMIZE_IN_TRAY), "C&lose");
    EXPECT_STREQ(ExitButtonText(false, EXIT_MINIMIZE_IN_TRAY), "E&xit");
    EXPECT_STREQ(ExitButtonText(true, EXIT_CONFIRM), "E&xit");
}

struct TooltipCase {
    std::string description;
    std::int64_t online;  // seconds since the connection
    std::string expected;
};

TEST(OnlineTooltip, NameAndTimeOnlineWithinSixtyThreeCharacters)
{
    const std::string sixty(60, 'n');
    const std::string long54(54, 'n');
    const TooltipCase cases[] = {
        {"Demon", 100000, "Demon 27:46:40"},
        {"Demon", -30, "Demon 00:00:00"},  // clock set back below the start
        {"", 65, "Tolvane (online) 00:01:05"},
        {sixty, 3599, long54 + " 00:59:59"},
        // A hundred hours and more: the end is cut off at 63 characters.
        {sixty, 360000, (long54 + " 100:00:00").substr(0, 63)},
    };
    const std::int64_t start = 1700000000;
    for (const TooltipCase& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string tip = OnlineTooltip(c.description, start + c.online, start);
        EXPECT_EQ(tip, c.expected);
        EXPECT_LE(tip.size(), TOOLTIP_MAX);
    }
}

class EnterDateTest : public testsupport::ProgramDirTest {
protected:
    void SetPreviousDefault(const char* value)
    {
        testsupport::WriteFileBytes(IniFilePath, std::string("[Windows]\r\nPreviousDefault=") + value + "\r\n");
        ProfileFlush(IniFilePath);
    }
    static LocalTime Date(int year, int month, int day)
    {
        LocalTime t = ToLocalTime(LocalInstant(year, month, day, 12));
        return t;
    }
};

TEST_F(EnterDateTest, PreviousDefaultReadsZeroUnlessOneOrTwo)
{
    EXPECT_EQ(ReadPreviousDefault(), 0);  // no settings file
    const std::pair<const char*, int> cases[] = {{"1", 1}, {"2", 2}, {"3", 0}, {"-1", 0}, {"x", 0}, {"", 0}};
    for (auto [text, expected] : cases) {
        SetPreviousDefault(text);
        EXPECT_EQ(ReadPreviousDefault(), expected) << text;
    }
}

TEST_F(EnterDateTest, ProposedDateIsAMonthOrAWeekBackOrToday)
{
    struct Case {
        LocalTime today;
        int setting;
        int year, month, day;
    };
    const Case cases[] = {
        {Date(2024, 5, 15), 0, 2024, 4, 15}, {Date(2024, 1, 5), 0, 2023, 12, 5}, {Date(2024, 3, 3), 1, 2024, 2, 25},
        {Date(2024, 3, 3), 2, 2024, 3, 3},
        // A day the earlier month lacks rolls over into the next.
        {Date(2023, 3, 31), 0, 2023, 3, 3},
    };
    for (const Case& c : cases) {
        const LocalTime d = ProposedReportDate(c.today, c.setting);
        EXPECT_EQ(d.tm_year + 1900, c.year);
        EXPECT_EQ(d.tm_mon + 1, c.month);
        EXPECT_EQ(d.tm_mday, c.day);
    }
}

TEST_F(EnterDateTest, ChosenDateIsLocalMidnightWithTheDayCutToTheMonth)
{
    struct Case {
        int day, month;  // as shown: 1-31, 1-12
        const char* year;
        int expectYear, expectMonth, expectDay;
    };
    const Case cases[] = {
        {15, 6, "2024", 2024, 6, 15}, {31, 4, "2024", 2024, 4, 30},  {29, 2, "2023", 2023, 2, 28},
        {31, 2, "2023", 2023, 2, 28}, {30, 2, "2024", 2024, 2, 29},  {29, 2, "2024", 2024, 2, 29},
        {31, 12, "1999", 1999, 12, 31}, {1, 1, "2030", 2030, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.day << "/" << c.month << "/" << c.year);
        std::int64_t instant = 0;
        ASSERT_EQ(ReportDateFromChoice(c.day - 1, c.month - 1, c.year, instant), 0);
        EXPECT_EQ(instant, LocalInstant(c.expectYear, c.expectMonth, c.expectDay));
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(EnterDateTest, MissingDayMonthOrBadYearIsReportedAndGivesNoDate)
{
    struct Case {
        int day, month;
        const char* year;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {-1, 3, "2024", 1003, "You need to select a value for the day portion of the date."},
        {-1, -1, "2024", 1003, "You need to select a value for the day portion of the date."},
        {4, -1, "2024", 1004, "You need to select a value for the month."},
        {4, 3, "1900", 1005, "Invalid year: 0."},
        {4, 3, "1899", 1005, "Invalid year: -1."},
        {4, 3, "", 1005, "Invalid year: -1900."},
        {4, 3, "abc", 1005, "Invalid year: -1900."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        testsupport::ClearRecordedErrors();
        std::int64_t instant = 7;
        EXPECT_EQ(ReportDateFromChoice(c.day, c.month, c.year, instant), c.code);
        EXPECT_EQ(instant, 7);
        ASSERT_EQ(testsupport::RecordedErrors().size(), 1u);
        EXPECT_EQ(testsupport::RecordedErrors()[0].code, c.code);
        EXPECT_EQ(testsupport::RecordedErrors()[0].text, c.text);
    }
}

} // namespace
