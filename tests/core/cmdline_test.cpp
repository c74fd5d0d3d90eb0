#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "startup/cmdline.h"
#include "support.h"

namespace {

struct CommandLineCase {
    std::vector<const char*> words;
    int action;
    std::int32_t isp;
    bool reportOnly;
    bool autoMonitor;
    std::vector<std::string> captionsAndTexts;  // "caption|text" of each box, in order
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {
protected:
    void SetUp() override
    {
        ResetCommandLineSettings();
        testsupport::ClearRecordedErrors();
    }
};

TEST_P(CommandLineTest, ParsesWordByWord)
{
    const CommandLineCase& c = GetParam();
    std::vector<const char*> argv{"tolvane.exe"};
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    int action = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(c.action, action);
    EXPECT_EQ(c.isp, CommandLineIsp);
    EXPECT_EQ(c.reportOnly, ReportOnlyMode);
    EXPECT_EQ(c.autoMonitor, AutoMonitorMode);
    std::vector<std::string> shown;
    for (const auto& e : testsupport::RecordedErrors())
        shown.push_back(e.caption + "|" + e.text);
    EXPECT_EQ(c.captionsAndTexts, shown);
}

INSTANTIATE_TEST_SUITE_P(
    Words, CommandLineTest,
    ::testing::Values(
        CommandLineCase{{}, 0, 0, false, false, {}},
        CommandLineCase{{"-b"}, 1, 0, false, false, {}},
        CommandLineCase{{"-i", "3", "-e"}, 2, 3, false, false, {}},
        CommandLineCase{{"/e", "/i3"}, 2, 3, false, false, {}},
        CommandLineCase{{"-ei3"}, 2, 3, false, false, {}},
        CommandLineCase{{"/e/i3"}, -1, 3, false, false, {"Error 108|Unknown option -/."}},
        CommandLineCase{{"-i", "-2", "-b"}, 1, 0, false, false, {"Error 112|Invalid ISP number: -2. Ignored."}},
        CommandLineCase{{"-b", "-l"}, 1, 0, true, false, {}},
        CommandLineCase{{"-x", "-b"}, 1, 0, false, false, {"Error 108|Unknown option -x."}},
        CommandLineCase{{"-b", "-x"}, -1, 0, false, false, {"Error 108|Unknown option -x."}},
        CommandLineCase{{"-i"}, -1, 0, false, false, {"Error 109|Missing argument to option -i."}},
        CommandLineCase{{"notes.txt"}, -1, 0, false, false,
                        {"Error 110|Unexpected argument to program encountered: notes.txt."}},
        // Several options in one word, either lead character.
        CommandLineCase{{"/lm"}, 0, 0, true, true, {}},
        CommandLineCase{{"-bm"}, 1, 0, false, true, {}},
        // The word after -i is consumed whatever it holds.
        CommandLineCase{{"-i", "-b"}, 0, 0, false, false, {}},
        CommandLineCase{{"-i", "abc"}, 0, 0, false, false, {}},
        // "--" ends the options and is consumed; what follows is unexpected.
        CommandLineCase{{"-b", "--", "x"}, -1, 0, false, false,
                        {"Error 110|Unexpected argument to program encountered: x."}},
        CommandLineCase{{"-b", "//"}, 1, 0, false, false, {}},
        CommandLineCase{{"-m", "/"}, 0, 0, false, true, {}},
        // A colon is not an option; the last of -b/-e/errors decides.
        CommandLineCase{{"-b:"}, -1, 0, false, false, {"Error 108|Unknown option -:."}},
        CommandLineCase{{"-e", "-b"}, 1, 0, false, false, {}},
        // Options are case-sensitive.
        CommandLineCase{{"-B"}, -1, 0, false, false, {"Error 108|Unknown option -B."}},
        // An error in an option word does not stop the rest of that word.
        CommandLineCase{{"-xi7"}, -1, 7, false, false, {"Error 108|Unknown option -x."}},
        // An error already made wins over a later unexpected word too.
        CommandLineCase{{"-b", "a", "b"}, -1, 0, false, false,
                        {"Error 110|Unexpected argument to program encountered: a."}}));

} // namespace
