// Error boxes and the error log.
#include <regex>
#include <thread>

#include "platform/clock.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "support.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::RecordedErrors;

class ErrorReportingTest : public testsupport::ProgramDirTest {};

TEST_F(ErrorReportingTest, ShowErrorFormatsShowsAndLogs)
{
    ShowError(100, "C:\\x\\tolvane.log");
    ShowError(2030);  // no such row: row zero, as code 0
    ASSERT_EQ(2u, RecordedErrors().size());
    EXPECT_EQ("Error 100", RecordedErrors()[0].caption);
    EXPECT_EQ("Unable to open log file C:\\x\\tolvane.log.", RecordedErrors()[0].text);
    EXPECT_EQ("Error 0", RecordedErrors()[1].caption);
    EXPECT_EQ("Internal error: Unknown error message. Please report this.", RecordedErrors()[1].text);
    // "Sun 06 Dec 2026 16:15:32 UTC Error 2: emsg (100), suppressflag(0): ..."
    const std::regex lines(R"([A-Z][a-z]{2} \d{2} [A-Z][a-z]{2} \d{4} \d{2}:\d{2}:\d{2} [^\r\n]*Error 2: emsg \(100\), )"
                           R"(suppressflag\(0\): Unable to open log file C:\\x\\tolvane\.log\.\r?\n)"
                           R"([^\r\n]* Error 2: emsg \(0\), suppressflag\(0\): Internal error: [^\r\n]*\r?\n)");
    EXPECT_TRUE(std::regex_match(ReadFileBytes(ErrorLogPath), lines)) << ReadFileBytes(ErrorLogPath);
    ShowError(113, std::string(400, 'p').c_str());  // messages are cut at 255 characters
    EXPECT_EQ(255u, RecordedErrors().back().text.size());
}

TEST_F(ErrorReportingTest, LogLinesCarryTheLocalTimeAndTheirText)
{
    TOLVANE_REQUIRE_TZ("Europe/London");
    PinClock(testsupport::LocalInstant(2026, 7, 4, 9, 5, 7));
    LogError(1202, "open", 5L);
    LogError(4242);
    EXPECT_EQ("Sat 04 Jul 2026 09:05:07 BST Error 1202: Unable to open key: access denied (code 5).\n"
              "Sat 04 Jul 2026 09:05:07 BST Error 4242: Unknown error number.\n",
              ReadFileBytes(ErrorLogPath));
}

TEST_F(ErrorReportingTest, SuppressedErrorsAreLoggedWithTheFlagOnlyOnThisThread)
{
    {
        ScopedSuppressErrors quiet;
        {
            ScopedSuppressErrors nested;
            ShowError(105);
        }
        EXPECT_EQ(1, SuppressFlag);  // the inner scope restored the outer value
        int otherThreadFlag = -1;
        std::thread([&] { otherThreadFlag = SuppressFlag; }).join();
        EXPECT_EQ(0, otherThreadFlag);
        ShowError(113, "a.txt");
    }
    EXPECT_EQ(0, SuppressFlag);
    EXPECT_TRUE(RecordedErrors().empty());
    const std::string log = ReadFileBytes(ErrorLogPath);
    EXPECT_NE(std::string::npos, log.find("emsg (105), suppressflag(1): Insufficient memory."));
    EXPECT_NE(std::string::npos, log.find("emsg (113), suppressflag(1): Unable to open file a.txt."));
}

TEST_F(ErrorReportingTest, WithoutALogPathOrAWritableLogOnlyTheLineIsLost)
{
    ErrorLogPath.clear();
    ShowError(108, 'x');
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));
    SetUpFileLocations(File("tolvane.exe").string());
    std::filesystem::create_directory(ErrorLogPath);  // a directory where the log should be
    ShowError(108, 'y');
    EXPECT_EQ(2u, RecordedErrors().size());
}

} // namespace
