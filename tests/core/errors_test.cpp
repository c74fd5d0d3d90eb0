// Error boxes and the error log.
#include <thread>

#include "platform/clock.h"
#include "startup/errors.h"
#include "startup/locations.h"
#include "support.h"

namespace {

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
