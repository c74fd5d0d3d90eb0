// The raw log listing: settings, the text of listed sessions, periods,
// temporary files and the export-and-launch sequence.
#include <cstdio>

#include "logmaint_support.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/viewer.h"
#include "sessionlog/viewlog.h"
#include "startup/locations.h"

using namespace logmaint;

namespace {

using Period = std::pair<std::int64_t, std::int64_t>;

class ViewLogTest : public ProgramDirTest {
protected:
    // Lists into a text file and returns the text.
    std::string List(Period period, std::int32_t isp)
    {
        const std::string path = File("listing.txt").string();
        std::FILE* f = std::fopen(path.c_str(), "w");
        EXPECT_EQ(ListSessions(period.first, period.second, isp, f, path), 0);
        std::fclose(f);
        return ReadText(path);
    }
    static Period Days(int y1, int m1, int d1, int y2, int m2, int d2)
    {
        Period p;
        const LocalTime a{0, 0, 0, d1, m1 - 1, y1 - 1900}, b{0, 0, 0, d2, m2 - 1, y2 - 1900};
        EXPECT_EQ(PeriodFromDates(a, b, p.first, p.second), 0);
        return p;
    }
};

TEST_F(ViewLogTest, SessionsListedByPeriodAndIsp)
{
    ProfileWrite(IniFilePath, "ISP2", "Description", "Demon Dial");
    PinClock(LocalInstant(2023, 6, 1));
    WriteLog(File("tolvane.log"), {Start(2, LocalInstant(2023, 3, 30, 23)), End(2, LocalInstant(2023, 4, 1, 1, 2, 3)),
                                   Start(1, LocalInstant(2023, 5, 2, 8)), End(1, LocalInstant(2023, 5, 2, 9)),
                                   Start(3, LocalInstant(2023, 5, 3, 8)), End(3, LocalInstant(2023, 5, 3, 9, 30)),
                                   Start(1, LocalInstant(2023, 5, 4, 7, 5, 9))});
    const std::string months = "Demon Dial\nStart : 30 March 2023, 23:00:00\nEnd   : 1 April 2023, 01:02:03\n\n";
    const std::string first = "ISP1\nStart : 2 May 2023, 08:00:00\nEnd   : 2 May 2023, 09:00:00\n\n";
    const std::string second = "ISP3\nStart : 3 May 2023, 08:00:00\nEnd   : 3 May 2023, 09:30:00\n\n";
    const std::string open = "ISP1\nStart : 4 May 2023, 07:05:09\nEnd   : still online\n\n";
    const ViewRequest whole = WholeLogRequest(0);
    EXPECT_EQ(Period(whole.from, whole.to), Period(0, Now()));
    const Period april = Days(2023, 4, 1, 2023, 4, 30);
    const struct {
        Period period;
        std::int32_t isp;
        std::string expected;
    } cases[] = {
        {{whole.from, whole.to}, 0, months + first + second + open},
        {{whole.from, whole.to}, 1, first + open}, {{whole.from, whole.to}, 3, second},
        {{whole.from, whole.to}, -4, months + first + second + open},  // as 0, noted below
        // A session is listed when it starts or ends in the period; an open one by its start only.
        {Days(2023, 3, 1, 2023, 3, 31), 0, months},     {april, 2, months},
        {Days(2023, 3, 31, 2023, 3, 31), 0, ""},       {{april.second, april.first}, 0, ""},
        {{LocalInstant(2023, 5, 4, 8), whole.to}, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(List(c.period, c.isp), c.expected) << &c - cases;
    EXPECT_NE(ReadFileBytes(ErrorLogPath).find("Error 1200: Bad ISP number: -4."), std::string::npos);
}

TEST_F(ViewLogTest, DamagedLogsFailOrListSafely)
{
    SessionRecord bad = Start(1, LocalInstant(2023, 5, 2));
    bad.localTime.tm_mon = 4000;  // must not index past the month names
    bad.localTime.tm_year = 2147483647;
    WriteLog(File("tolvane.log"), {bad, End(1, LocalInstant(2023, 5, 2, 1))});
    EXPECT_EQ(List({0, LocalInstant(2024, 1, 1)}, 0).substr(0, 28), "ISP1\nStart : 2 ? 2147483647,");
    // A stream that cannot be written reports the file by name.
    std::FILE* readOnly = std::fopen(File("tolvane.log").string().c_str(), "r");
    EXPECT_EQ(FormatSession(readOnly, "out.txt", {Start(1, 100), End(1, 200)}, 0), -1);
    std::fclose(readOnly);
    ASSERT_EQ(RecordedCodes(), std::vector<ErrorCode>{115});
    EXPECT_EQ(RecordedErrors()[0].text, "Unable to write file out.txt.");
}

TEST_F(ViewLogTest, PeriodsRunFromMidnightToTheLastSecondAndDefaultToMonthOrYear)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    const auto length = [](Period p) { return p.second - p.first; };
    EXPECT_EQ(length(Days(2023, 3, 26, 2023, 3, 26)), 23 * 3600 - 1);  // spring forward
    EXPECT_EQ(length(Days(2023, 10, 29, 2023, 10, 29)), 25 * 3600 - 1);
    // Calendar overflow is normalised: 31 April is 1 May.
    const Period over = Days(2023, 4, 31, 2023, 4, 31);
    EXPECT_EQ(ToLocalTime(over.first).tm_mon, 4);
    EXPECT_EQ(length(over), 24 * 3600 - 1);

    LocalTime a, b;
    DefaultViewDates(RANGE_CURRENT_MONTH, LocalInstant(2024, 2, 15, 12), a, b);
    EXPECT_EQ(std::vector<int>({a.tm_mday, a.tm_mon, b.tm_mday, b.tm_mon}), std::vector<int>({1, 1, 29, 1}));  // leap
    DefaultViewDates(RANGE_CURRENT_YEAR, LocalInstant(2024, 2, 15, 12), a, b);
    EXPECT_EQ(std::vector<int>({a.tm_mday, a.tm_mon, b.tm_mday, b.tm_mon, b.tm_year}),
              std::vector<int>({1, 0, 31, 11, 124}));
}

TEST_F(ViewLogTest, SettingsDefaultsAndBadValues)
{
    const auto loaded = [] {
        ViewLogSettings s;
        EXPECT_EQ(LoadViewLogSettings(s), 0);
        return std::to_string(s.useTempName) + "|" + s.rawLogFileName + "|" + s.viewerPath + "|" +
               std::to_string(s.defaultRange) + "|" + std::to_string(ReadDefaultRange());
    };
    const std::pair<const char*, const char*> cases[] = {
        {"", "1||notepad.exe|2|2"},
        {"UseTempName=0\nViewerPath=\nDefaultRange=0\n", "1||notepad.exe|0|0"},  // no file: temporary after all
        {"UseTempName=0\nRawLogFileName=C:\\raw log.txt\nViewerPath=C:\\Program Files\\ed.exe\nDefaultRange=1\n",
         "0|C:\\raw log.txt|C:\\Program Files\\ed.exe|1|1"},
        {"UseTempName=7\nRawLogFileName=x.txt\nViewerPath=v\nDefaultRange=5\n", "1|x.txt|v|2|2"},
        {"UseTempName=-1\nRawLogFileName=x.txt\nViewerPath=v\nDefaultRange=-1\n", "1|x.txt|v|2|2"},
    };
    for (const auto& [settings, expected] : cases) {
        WriteIni(std::string("[WinViewLog]\n") + settings);
        EXPECT_EQ(loaded(), expected);
    }
}

TEST(Viewer, CommandQuotesWordsWithBlanksAndAMissingProgramFails)
{
    EXPECT_EQ(ViewerCommandLine("notepad.exe", "C:\\TEMP\\rlab12cd"), "notepad.exe C:\\TEMP\\rlab12cd");
    EXPECT_EQ(ViewerCommandLine("C:\\Program Files\\Ed\\ed.exe", "C:\\Documents and Settings\\rl1"),
              "\"C:\\Program Files\\Ed\\ed.exe\" \"C:\\Documents and Settings\\rl1\"");
    EXPECT_EQ(ViewerCommandLine("\"C:\\Program Files\\Ed\\ed.exe\"", "f"), "\"C:\\Program Files\\Ed\\ed.exe\" f");
    // The launcher the platform installs (WinExec on Windows).
    EXPECT_EQ(LaunchViewer("no-such-viewer-program-x1.exe", "nothing.txt"), -1);
}

// ---- The export ----

struct Launch { std::string viewer, file, text; };
std::vector<Launch> launches;
int launchResult = 0;

class ExportTest : public ViewLogTest {
protected:
    void SetUp() override
    {
        ViewLogTest::SetUp();
        SetViewerLauncher([](const char* viewer, const char* file) {
            launches.push_back({viewer, file, ReadText(file)});
            return launchResult;
        });
        launches.clear();
        launchResult = 0;
        DeleteRegisteredTempFiles();
        WriteLog(File("tolvane.log"), {Start(1, LocalInstant(2023, 5, 2, 8)), End(1, LocalInstant(2023, 5, 2, 9))});
    }
    void TearDown() override
    {
        SetViewerLauncher(nullptr);
        DeleteRegisteredTempFiles();
        ViewLogTest::TearDown();
    }
    const std::string block = "ISP1\nStart : 2 May 2023, 08:00:00\nEnd   : 2 May 2023, 09:00:00\n\n";
    ViewLogSettings Fixed() const { return {0, File("raw.txt").string(), "C:\\Tools\\view.exe", 2}; }
};

TEST_F(ExportTest, TemporaryFilesGoAtExitAFixedOneIsKeptAndFailuresCleanUp)
{
    ASSERT_EQ(ExportAndViewRawLog(ViewLogSettings{}, WholeLogRequest(0)), 0);
    ASSERT_EQ(ExportAndViewRawLog(ViewLogSettings{}, WholeLogRequest(0)), 0);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].viewer, "notepad.exe");
    EXPECT_EQ(launches[0].text, block);
    const std::string file = launches[0].file;
    EXPECT_EQ(file.substr(0, file.size() - 6), JoinPath(TemporaryDirectory(), "rl"));  // and six characters
    EXPECT_EQ(RegisteredTempFiles(), (std::vector<std::string>{file, launches[1].file}));
    DeleteRegisteredTempFiles();
    EXPECT_FALSE(std::filesystem::exists(file) || std::filesystem::exists(launches[1].file));

    WriteFileBytes(File("raw.txt"), std::string(500, 'o'));
    ASSERT_EQ(ExportAndViewRawLog(Fixed(), WholeLogRequest(0)), 0);
    EXPECT_EQ(ReadText(File("raw.txt")), block);
    EXPECT_EQ(launches.at(2).viewer, "C:\\Tools\\view.exe");
    EXPECT_TRUE(RegisteredTempFiles().empty());

    // The viewer does not start: 1075 naming it; the listing stays.
    launchResult = -1;
    EXPECT_EQ(ExportAndViewRawLog(Fixed(), WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1075});
    EXPECT_EQ(RecordedErrors().back().text, "Unable to run C:\\Tools\\view.exe to view the raw log file.");
    EXPECT_TRUE(std::filesystem::exists(File("raw.txt")));
    // The output file cannot be created.
    ClearRecordedErrors();
    launches.clear();
    EXPECT_EQ(ExportAndViewRawLog({0, (Dir() / "missing" / "raw.txt").string(), "v", 2}, WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1074});
    // The log cannot be read through: the partial listing is removed, no viewer.
    ClearRecordedErrors();
    WriteLog(File("tolvane.log"), {Start(1, 100), End(1, 200)}, "tail");
    EXPECT_EQ(ExportAndViewRawLog(Fixed(), WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});
    EXPECT_FALSE(std::filesystem::exists(File("raw.txt")));
    EXPECT_TRUE(launches.empty());
}

} // namespace
