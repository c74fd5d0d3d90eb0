// Start-up: where the program keeps its files and the [Global] deletion
// settings, the command line word by word, error boxes and the error log.
#include <algorithm>
#include <cstring>
#include <thread>
#include <tuple>

#include "platform/clock.h"
#include "startup/cmdline.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "support.h"

namespace {

std::string Sep(std::string s)
{
    std::replace(s.begin(), s.end(), '|', PathSeparator);
    return s;
}

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded)
{
    EXPECT_EQ("/srv/x/tolvane.ini", JoinPath("/srv/x/", "tolvane.ini"));
    EXPECT_EQ("C:\\dir\\tolvane.ini", JoinPath("C:\\dir\\", "tolvane.ini"));
    // The in-place form never writes past its capacity.
    const std::pair<const char*, const char*> cases[] = {
        {"abcdefgh", "abcdefgh|12"}, {"abcdefghij", "abcdefghij|"}, {"abcdefghijk", "abcdefghijk"}, {"", "12345678"}};
    for (auto [start, expected] : cases) {
        char buf[12] = {};
        std::strcpy(buf, start);
        EXPECT_EQ(buf, JoinPath(buf, "12345678", sizeof buf));
        EXPECT_EQ(Sep(expected), std::string(buf));
    }
}

using FileLocationsTest = testsupport::ProgramDirTest;

TEST_F(FileLocationsTest, FilesLiveBesideTheProgramWhoseFolderIsMadeIfMissing)
{
    const auto paths = [] {
        return ProgramDirectory + " " + IniFilePath + " " + LogFilePath + " " + BackupFilePath + " " + ErrorLogPath +
               " " + HelpFilePath;
    };
    const std::string dir = (Dir() / "Program Files").string();
    ASSERT_EQ(0, SetUpFileLocations(dir + "/tolvane.exe"));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_EQ(dir + " " + JoinPath(dir, "tolvane.ini") + " " + JoinPath(dir, "tolvane.log") + " " +
                  JoinPath(dir, "tolvane.bak") + " " + JoinPath(dir, "tolvane.err") + " " + dir + "/tolvanew.hlp",
              paths());
    testsupport::WriteFileBytes(File("plainfile"), "x");
    const std::string blocked = (Dir() / "plainfile" / "sub").string();
    EXPECT_EQ(-1, SetUpFileLocations(blocked + "/tolvane.exe"));
    ASSERT_EQ(std::vector<ErrorCode>{111}, testsupport::RecordedCodes());
    EXPECT_EQ("Unable to create directory " + blocked + ".", testsupport::RecordedErrors()[0].text);
    ASSERT_EQ(0, SetUpFileLocations("C:\\tolvane.exe"));
    EXPECT_EQ(Sep("C: C:|tolvane.ini C:|tolvane.log C:|tolvane.bak C:|tolvane.err C:\\tolvanew.hlp"), paths());
    ASSERT_EQ(0, SetUpFileLocations("tolvane.exe"));
    EXPECT_EQ(" tolvane.ini tolvane.log tolvane.bak tolvane.err tolvanew.hlp", paths());
}

TEST_F(FileLocationsTest, GlobalDeleteSettingsReadLeniently)
{
    const struct { const char* keys; int confirm, backup; unsigned hack; } cases[] = {
        {"", 1, 1, 0},
        {"ConfirmDelete=0\r\nBackupOnDelete=0\r\nHackFlags=1\r\n", 0, 0, 1},
        {"ConfirmDelete=7\r\nBackupOnDelete=-1\r\n", 1, 1, 0},
    };
    for (const auto& c : cases) {
        testsupport::WriteFileBytes(IniFilePath, std::string("[Global]\r\n") + c.keys);
        LoadGlobalDeleteSettings();
        EXPECT_EQ(std::tuple(c.confirm, c.backup, c.hack), std::tuple(ConfirmDelete, BackupOnDelete, HackFlags))
            << c.keys;
    }
}

// What a command line leads to: the action (-1 an error), the ISP, "l" for
// the report-only mode, "m" for monitoring at once, then each box shown.
TEST(CommandLine, ParsesWordByWord)
{
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{}, "0 0"},
        {{"-i", "3", "-e"}, "2 3"},
        {{"-ei3"}, "2 3"},
        {{"/lm"}, "0 0 l m"},  // several options in one word
        {{"-i", "-b"}, "0 0"},  // the word after -i is consumed whatever it holds
        {{"-i", "-2", "-b"}, "1 0 [Error 112: Invalid ISP number: -2. Ignored.]"},
        {{"-i"}, "-1 0 [Error 109: Missing argument to option -i.]"},
        // Options are case-sensitive; the last of -b/-e/errors decides.
        {{"-B", "-b"}, "1 0 [Error 108: Unknown option -B.]"},
        {{"/e/i3"}, "-1 3 [Error 108: Unknown option -/.]"},
        // An error in an option word does not stop the rest of that word.
        {{"-xi7"}, "-1 7 [Error 108: Unknown option -x.]"},
        {{"notes.txt"}, "-1 0 [Error 110: Unexpected argument to program encountered: notes.txt.]"},
        // "--", "/" and "//" end the options and are consumed; only the first
        // word after them is reported.
        {{"-b", "--", "a", "b"}, "-1 0 [Error 110: Unexpected argument to program encountered: a.]"},
        {{"-m", "/", "-b"}, "-1 0 m [Error 110: Unexpected argument to program encountered: -b.]"},
        {{"//", "-b"}, "-1 0 [Error 110: Unexpected argument to program encountered: -b.]"},
    };
    for (const auto& [words, expected] : cases) {
        ResetCommandLineSettings();
        testsupport::ClearRecordedErrors();
        std::vector<const char*> argv{"tolvane.exe"};
        argv.insert(argv.end(), words.begin(), words.end());
        std::string got = std::to_string(ParseCommandLine(static_cast<int>(argv.size()), argv.data()));
        got += " " + std::to_string(CommandLineIsp) + (ReportOnlyMode ? " l" : "") + (AutoMonitorMode ? " m" : "");
        for (const auto& e : testsupport::RecordedErrors())
            got += " [" + e.caption + ": " + e.text + "]";
        EXPECT_EQ(expected, got) << ::testing::PrintToString(words);
    }
    ResetCommandLineSettings();
}

using testsupport::RecordedErrors;

using ErrorReportingTest = testsupport::ProgramDirTest;

// Each box is logged with its code and whether it was shown; suppression
// holds for its scope and its thread only.
TEST_F(ErrorReportingTest, BoxesShownOrSuppressedAndAllLogged)
{
    ShowError(100, "C:\\x\\tolvane.log");
    ShowError(2030);                                // no such row: row zero, as code 0
    ShowError(113, std::string(400, 'p').c_str());  // cut at 255 characters
    {
        ScopedSuppressErrors quiet;
        {
            ScopedSuppressErrors nested;
            ShowError(105);
        }
        EXPECT_EQ(1, SuppressFlag);
        int otherThreadFlag = -1;
        std::thread([&] { otherThreadFlag = SuppressFlag; }).join();
        EXPECT_EQ(0, otherThreadFlag);
    }
    EXPECT_EQ((std::vector<ErrorCode>{100, 0, 113}), testsupport::RecordedCodes());
    EXPECT_EQ("Error 0", RecordedErrors()[1].caption);
    const std::string log = testsupport::ReadText(ErrorLogPath);
    std::string lines;
    for (std::size_t at = log.find(" Error "); at != std::string::npos; at = log.find(" Error ", at + 1))
        lines += log.substr(at + 1, log.find('\n', at) - at);
    const std::string cut = ("Unable to open file " + std::string(400, 'p')).substr(0, 255);
    EXPECT_EQ("Error 2: emsg (100), suppressflag(0): Unable to open log file C:\\x\\tolvane.log.\n"
              "Error 2: emsg (0), suppressflag(0): Internal error: Unknown error message. Please report this.\n"
              "Error 2: emsg (113), suppressflag(0): " + cut + "\n"
              "Error 2: emsg (105), suppressflag(1): Insufficient memory.\n",
              lines);
}

TEST_F(ErrorReportingTest, LogLinesCarryTheLocalTime)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    PinClock(testsupport::LocalInstant(2026, 7, 4, 9, 5, 7));
    LogError(4242);
    EXPECT_EQ("Sat 04 Jul 2026 09:05:07 BST Error 4242: Unknown error number.\n",
              testsupport::ReadFileBytes(ErrorLogPath));
}

TEST_F(ErrorReportingTest, WithoutAWritableLogOnlyTheLineIsLost)
{
    std::filesystem::create_directory(ErrorLogPath);  // a directory where the log should be
    ShowError(108, 'y');
    EXPECT_EQ(1u, RecordedErrors().size());
}

} // namespace
