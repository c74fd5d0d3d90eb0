#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::RecordedErrors;

TEST(ErrorTables, HaveEveryRowOnceWithRowZeroFirst)
{
    EXPECT_EQ(127, ErrorTableSize);
    EXPECT_EQ(0, ErrorTable[0].code);
    std::set<int> codes;
    for (int i = 0; i < ErrorTableSize; ++i)
        EXPECT_TRUE(codes.insert(ErrorTable[i].code).second) << ErrorTable[i].code;
    for (int missing : {106, 1018, 2002, 2003, 2012, 2057})
        EXPECT_EQ(nullptr, FindErrorFormat(missing)) << missing;
    EXPECT_STREQ("Unable to open log file %s.", FindErrorFormat(100));
    EXPECT_STREQ("Unable to run %s to view the raw log file.", FindErrorFormat(1075));
    EXPECT_STREQ("emsg (%d), suppressflag(%d): %s", FindLogTextFormat(2));
    EXPECT_STREQ("Unable to %s key: access denied (code %ld).", FindLogTextFormat(1202));
}

class ErrorReportingTest : public testsupport::ProgramDirTest {};

TEST_F(ErrorReportingTest, ShowErrorFormatsShowsAndLogs)
{
    ShowError(100, "C:\\x\\tolvane.log");
    ASSERT_EQ(1u, RecordedErrors().size());
    EXPECT_EQ("Error 100", RecordedErrors()[0].caption);
    EXPECT_EQ("Unable to open log file C:\\x\\tolvane.log.", RecordedErrors()[0].text);
    std::string log = ReadFileBytes(ErrorLogPath);
    // "Sun 06 Dec 2026 16:15:32 UTC Error 2: emsg (100), suppressflag(0): ..."
    std::regex line(R"(^[A-Z][a-z]{2} \d{2} [A-Z][a-z]{2} \d{4} \d{2}:\d{2}:\d{2} [^\r\n]*Error 2: emsg \(100\), suppressflag\(0\): Unable to open log file C:\\x\\tolvane\.log\.\r?\n$)");
    EXPECT_TRUE(std::regex_match(log, line)) << log;
}

TEST_F(ErrorReportingTest, TheTimeStampIsTheLocalTime)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    PinClock(testsupport::LocalInstant(2026, 7, 4, 9, 5, 7));
    LogError(1000);
    EXPECT_EQ("Sat 04 Jul 2026 09:05:07 BST Error 1000: Unable to get current RAS connections in RAS monitoring "
              "thread. Possibly out of memory.\n",
              ReadFileBytes(ErrorLogPath));
}

TEST_F(ErrorReportingTest, UnknownCodeFallsBackToRowZeroWithCodeZero)
{
    ShowError(2030);
    ASSERT_EQ(1u, RecordedErrors().size());
    EXPECT_EQ("Error 0", RecordedErrors()[0].caption);
    EXPECT_EQ("Internal error: Unknown error message. Please report this.", RecordedErrors()[0].text);
    EXPECT_NE(std::string::npos, ReadFileBytes(ErrorLogPath).find("emsg (0), suppressflag(0)"));
}

TEST_F(ErrorReportingTest, SuppressedErrorsAreLoggedWithTheFlagOnly)
{
    {
        ScopedSuppressErrors quiet;
        {
            ScopedSuppressErrors nested;
            ShowError(105);
        }
        EXPECT_EQ(1, SuppressFlag);  // the inner scope restored the outer value
        ShowError(113, "a.txt");
    }
    EXPECT_EQ(0, SuppressFlag);
    EXPECT_TRUE(RecordedErrors().empty());
    std::string log = ReadFileBytes(ErrorLogPath);
    EXPECT_NE(std::string::npos, log.find("emsg (105), suppressflag(1): Insufficient memory."));
    EXPECT_NE(std::string::npos, log.find("emsg (113), suppressflag(1): Unable to open file a.txt."));
}

TEST_F(ErrorReportingTest, MessagesAreCutAt255Characters)
{
    std::string longPath(400, 'p');
    ShowError(113, longPath.c_str());
    ASSERT_EQ(1u, RecordedErrors().size());
    EXPECT_EQ(255u, RecordedErrors()[0].text.size());
}

TEST_F(ErrorReportingTest, LogTextsByNumberAndUnknownNumbers)
{
    LogError(1002, "disconnection");
    LogError(1202, "open", 5L);
    LogError(4242);
    std::string log = ReadFileBytes(ErrorLogPath);
    EXPECT_NE(std::string::npos,
              log.find("Error 1002: Unable to inform main thread from RAS monitoring thread of disconnection due to out "
                       "of memory condition."));
    EXPECT_NE(std::string::npos, log.find("Error 1202: Unable to open key: access denied (code 5)."));
    EXPECT_NE(std::string::npos, log.find("Error 4242: Unknown error number."));
}

TEST_F(ErrorReportingTest, WithoutALogPathOrAWritableLogOnlyTheLineIsLost)
{
    ErrorLogPath.clear();
    ShowError(108, 'x');
    EXPECT_EQ(1u, RecordedErrors().size());
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));

    // A directory where the log should be: the box still appears.
    SetUpFileLocations(File("tolvane.exe").string());
    std::filesystem::create_directory(ErrorLogPath);
    ShowError(108, 'y');
    EXPECT_EQ(2u, RecordedErrors().size());
}

TEST_F(ErrorReportingTest, SuppressFlagIsPerThread)
{
    ScopedSuppressErrors quiet;
    int otherThreadFlag = -1;
    std::thread t([&] { otherThreadFlag = SuppressFlag; });
    t.join();
    EXPECT_EQ(0, otherThreadFlag);
}

} // namespace
