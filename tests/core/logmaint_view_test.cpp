// The raw log listing: settings, the text of listed sessions, periods,
// temporary files and the export-and-launch sequence.
#include <algorithm>
#include <cstdio>

#include "logmaint_support.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/viewer.h"
#include "sessionlog/viewlog.h"
#include "startup/locations.h"

using namespace logmaint;
using testsupport::LocalInstant;
using testsupport::ReadText;
using testsupport::RecordedCodes;

namespace {

class ViewLogTest : public testsupport::ProgramDirTest {
protected:
    // Lists into a text file and returns the text (and the result).
    std::string List(std::int64_t from, std::int64_t to, std::int32_t isp, int* result = nullptr)
    {
            std::string path = File("listing.txt").string();
        std::FILE* f = std::fopen(path.c_str(), "w");
        int r = ListSessions(from, to, isp, f, path);
        std::fclose(f);
        if (result)
            *result = r;
        return ReadText(path);
    }
    std::pair<std::int64_t, std::int64_t> Days(int y1, int m1, int d1, int y2, int m2, int d2)
    {
        LocalTime a, b;
        a.tm_year = y1 - 1900, a.tm_mon = m1 - 1, a.tm_mday = d1;
        b.tm_year = y2 - 1900, b.tm_mon = m2 - 1, b.tm_mday = d2;
        std::int64_t from = 0, to = 0;
        EXPECT_EQ(PeriodFromDates(a, b, from, to), 0);
        return {from, to};
    }
};

TEST_F(ViewLogTest, SessionAcrossMonthsIsListedForEitherMonthButNotTheLastDay)
{
    ProfileWrite(IniFilePath, "ISP2", "Description", "Demon Dial");
    WriteLog(File("tolvane.log"), {Start(2, LocalInstant(2023, 3, 30, 23)), End(2, LocalInstant(2023, 4, 1, 1, 2, 3))});
    const std::string block = "Demon Dial\nStart : 30 March 2023, 23:00:00\nEnd   : 1 April 2023, 01:02:03\n\n";
    auto [marchFrom, marchTo] = Days(2023, 3, 1, 2023, 3, 31);
    auto [aprilFrom, aprilTo] = Days(2023, 4, 1, 2023, 4, 30);
    auto [lastFrom, lastTo] = Days(2023, 3, 31, 2023, 3, 31);
    EXPECT_EQ(List(marchFrom, marchTo, 0), block);
    EXPECT_EQ(List(aprilFrom, aprilTo, 2), block);
    EXPECT_EQ(List(lastFrom, lastTo, 0), "");
    EXPECT_EQ(List(aprilTo, aprilFrom, 0), "");  // reversed
}

TEST_F(ViewLogTest, OpenSessionsFilterAndWholeLog)
{
    PinClock(LocalInstant(2023, 6, 1));
    WriteLog(File("tolvane.log"), {Start(1, LocalInstant(2023, 5, 2, 8)), End(1, LocalInstant(2023, 5, 2, 9)),
                                   Start(3, LocalInstant(2023, 5, 3, 8)), End(3, LocalInstant(2023, 5, 3, 9, 30)),
                                   Start(1, LocalInstant(2023, 5, 4, 7, 5, 9))});
    const std::string first = "ISP1\nStart : 2 May 2023, 08:00:00\nEnd   : 2 May 2023, 09:00:00\n\n";
    const std::string second = "ISP3\nStart : 3 May 2023, 08:00:00\nEnd   : 3 May 2023, 09:30:00\n\n";
    const std::string open = "ISP1\nStart : 4 May 2023, 07:05:09\nEnd   : still online\n\n";
    ViewRequest whole = WholeLogRequest(0);
    EXPECT_EQ(whole.from, 0);
    EXPECT_EQ(whole.to, Now());
    EXPECT_EQ(List(whole.from, whole.to, 0), first + second + open);
    EXPECT_EQ(List(whole.from, whole.to, 1), first + open);
    EXPECT_EQ(List(whole.from, whole.to, 3), second);
    // The open session counts by its start only.
    EXPECT_EQ(List(LocalInstant(2023, 5, 4, 8), whole.to, 0), "");
    // A negative ISP lists everything and notes the bad number.
    EXPECT_EQ(List(whole.from, whole.to, -4), first + second + open);
    EXPECT_NE(testsupport::ReadFileBytes(ErrorLogPath).find("Error 1200: Bad ISP number: -4."), std::string::npos);
}

TEST_F(ViewLogTest, DamagedLogsFailOrListSafely)
{
    SessionRecord bad = Start(1, LocalInstant(2023, 5, 2));
    bad.localTime.tm_mon = 4000;  // must not index past the month names
    bad.localTime.tm_year = 2147483647;
    WriteLog(File("tolvane.log"), {bad, End(1, LocalInstant(2023, 5, 2, 1))});
    int result = 1;
    std::string text = List(0, LocalInstant(2024, 1, 1), 0, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(text.substr(0, 28), "ISP1\nStart : 2 ? 2147483647,");

    // A stream that cannot be written reports the file by name.
    std::string path = File("tolvane.log").string();
    std::FILE* readOnly = std::fopen(path.c_str(), "r");
    SessionPair pair{Start(1, 100), End(1, 200)};
    EXPECT_EQ(FormatSession(readOnly, "out.txt", pair, 0), -1);
    std::fclose(readOnly);
    ASSERT_EQ(RecordedCodes(), std::vector<ErrorCode>{115});
    EXPECT_EQ(testsupport::RecordedErrors()[0].text, "Unable to write file out.txt.");
}

TEST_F(ViewLogTest, PeriodRunsFromMidnightToTheLastSecondAcrossDaylightSaving)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    auto [springFrom, springTo] = Days(2023, 3, 26, 2023, 3, 26);
    EXPECT_EQ(springTo - springFrom, 23 * 3600 - 1);
    auto [autumnFrom, autumnTo] = Days(2023, 10, 29, 2023, 10, 29);
    EXPECT_EQ(autumnTo - autumnFrom, 25 * 3600 - 1);
    EXPECT_EQ(ToLocalTime(autumnTo).tm_hour, 23);
    // Calendar overflow is normalised: 31 April is 1 May.
    auto [overFrom, overTo] = Days(2023, 4, 31, 2023, 4, 31);
    EXPECT_EQ(ToLocalTime(overFrom).tm_mon, 4);
    EXPECT_EQ(overTo - overFrom, 24 * 3600 - 1);
}

TEST_F(ViewLogTest, DefaultDatesForMonthAndYear)
{
    LocalTime a, b;
    DefaultViewDates(RANGE_CURRENT_MONTH, LocalInstant(2024, 2, 15, 12), a, b);
    EXPECT_EQ(std::vector<int>({a.tm_mday, a.tm_mon, b.tm_mday, b.tm_mon}), std::vector<int>({1, 1, 29, 1}));  // leap
    DefaultViewDates(RANGE_CURRENT_YEAR, LocalInstant(2024, 2, 15, 12), a, b);
    EXPECT_EQ(std::vector<int>({a.tm_mday, a.tm_mon, b.tm_mday, b.tm_mon, b.tm_year}),
              std::vector<int>({1, 0, 31, 11, 124}));
}

TEST_F(ViewLogTest, SettingsDefaultsBadValuesAndRoundTrip)
{
    const auto loaded = [] {
        ViewLogSettings s;
        EXPECT_EQ(LoadViewLogSettings(s), 0);
        return std::to_string(s.useTempName) + "|" + s.rawLogFileName + "|" + s.viewerPath + "|" +
               std::to_string(s.defaultRange) + "|" + std::to_string(ReadDefaultRange());
    };
    const struct { const char *useTemp, *rawName, *viewer, *range, *expected; } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, "1||notepad.exe|2|2"},
        {"0", nullptr, "", "0", "1||notepad.exe|0|0"},  // no file: temporary after all
        {"0", "C:\\raw log.txt", "C:\\Program Files\\ed.exe", "1", "0|C:\\raw log.txt|C:\\Program Files\\ed.exe|1|1"},
        {"7", "x.txt", "v", "5", "1|x.txt|v|2|2"},
        {"-1", "x.txt", "v", "-1", "1|x.txt|v|2|2"},
    };
    for (const auto& c : cases) {
        ProfileWrite(IniFilePath, "WinViewLog", "UseTempName", c.useTemp);
        ProfileWrite(IniFilePath, "WinViewLog", "RawLogFileName", c.rawName);
        ProfileWrite(IniFilePath, "WinViewLog", "ViewerPath", c.viewer);
        ProfileWrite(IniFilePath, "WinViewLog", "DefaultRange", c.range);
        EXPECT_EQ(loaded(), c.expected);
    }
    SaveViewLogSettings({0, "out.txt", "", 1});
    EXPECT_EQ(IniValue("WinViewLog", "ViewerPath"), "<none>");
    EXPECT_EQ(loaded(), "0|out.txt|notepad.exe|1|1");
}

TEST(ViewerCommand, QuotesWordsWithBlanks)
{
    EXPECT_EQ(ViewerCommandLine("notepad.exe", "C:\\TEMP\\rlab12cd"), "notepad.exe C:\\TEMP\\rlab12cd");
    EXPECT_EQ(ViewerCommandLine("C:\\Program Files\\Ed\\ed.exe", "C:\\Documents and Settings\\rl1"),
              "\"C:\\Program Files\\Ed\\ed.exe\" \"C:\\Documents and Settings\\rl1\"");
    EXPECT_EQ(ViewerCommandLine("\"C:\\Program Files\\Ed\\ed.exe\"", "f"), "\"C:\\Program Files\\Ed\\ed.exe\" f");
}

// ---- Temporary files and the export ----

struct Launch {
    std::string viewer, file, text;
};
std::vector<Launch> launches;
int launchResult = 0;

int FakeLauncher(const char* viewer, const char* file)
{
    launches.push_back({viewer, file, ReadText(file)});
    return launchResult;
}

class ExportTest : public ViewLogTest {
protected:
    void SetUp() override
    {
        ViewLogTest::SetUp();
        SetViewerLauncher(FakeLauncher);
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
};

TEST_F(ExportTest, TemporaryFileIsDeletedAtExitAndAFixedOneKept)
{
    ViewLogSettings settings;
    ASSERT_EQ(ExportAndViewRawLog(settings, WholeLogRequest(0)), 0);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].viewer, "notepad.exe");
    EXPECT_EQ(launches[0].text, block);
    std::filesystem::path file = launches[0].file;
    EXPECT_EQ(file.string().substr(0, file.string().size() - 6), JoinPath(TemporaryDirectory(), "rl"));
    EXPECT_EQ(file.filename().string().size(), 8u);
    EXPECT_EQ(RegisteredTempFiles(), std::vector<std::string>{file.string()});
    EXPECT_TRUE(std::filesystem::exists(file));
    DeleteRegisteredTempFiles();
    EXPECT_FALSE(std::filesystem::exists(file));

    // A fixed file is overwritten and kept.
    ViewLogSettings fixed{0, File("raw.txt").string(), "C:\\Tools\\view.exe", 2};
    testsupport::WriteFileBytes(File("raw.txt"), std::string(500, 'o'));
    ASSERT_EQ(ExportAndViewRawLog(fixed, WholeLogRequest(0)), 0);
    EXPECT_EQ(ReadText(File("raw.txt")), block);
    EXPECT_EQ(launches.at(1).viewer, "C:\\Tools\\view.exe");
    EXPECT_TRUE(RegisteredTempFiles().empty());
}

TEST_F(ExportTest, FailuresReportAndCleanUp)
{
    // The viewer does not start: 1075 naming it; the listing stays.
    launchResult = -1;
    ViewLogSettings fixed{0, File("raw.txt").string(), "nosuchviewer.exe", 2};
    EXPECT_EQ(ExportAndViewRawLog(fixed, WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1075});
    EXPECT_EQ(testsupport::RecordedErrors().back().text, "Unable to run nosuchviewer.exe to view the raw log file.");
    EXPECT_TRUE(std::filesystem::exists(File("raw.txt")));

    // The output file cannot be created.
    testsupport::ClearRecordedErrors();
    launches.clear();
    ViewLogSettings nowhere{0, (Dir() / "missing" / "raw.txt").string(), "v", 2};
    EXPECT_EQ(ExportAndViewRawLog(nowhere, WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1074});

    // The log cannot be read through: the partial listing is removed, no viewer.
    testsupport::ClearRecordedErrors();
    WriteLog(File("tolvane.log"), {Start(1, 100), End(1, 200)}, "tail");
    launchResult = 0;
    EXPECT_EQ(ExportAndViewRawLog(fixed, WholeLogRequest(0)), -1);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});
    EXPECT_FALSE(std::filesystem::exists(File("raw.txt")));
    EXPECT_TRUE(launches.empty());
}

TEST_F(ExportTest, RegisteredListGrowsAndTempNamesAreFresh)
{
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        names.push_back(MakeTempRawLogName());
        ASSERT_FALSE(names.back().empty() || std::filesystem::exists(names.back()));
        testsupport::WriteFileBytes(names.back(), "x");
        ASSERT_EQ(RegisterTempFile(names.back()), 0);
    }
    EXPECT_EQ(RegisteredTempFiles(), names);
    DeleteRegisteredTempFiles();
    EXPECT_TRUE(RegisteredTempFiles().empty());
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), [](auto& n) { return std::filesystem::exists(n); }));
}

TEST(ViewerLaunch, MissingProgramIsReportedAsFailure)
{
    // The launcher the platform installs (WinExec on Windows).
    EXPECT_EQ(LaunchViewer("no-such-viewer-program-x1.exe", "nothing.txt"), -1);
}

} // namespace
