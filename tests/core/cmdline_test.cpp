// The command line, word by word, and the boxes it shows.
#include "startup/cmdline.h"
#include "support.h"

namespace {

TEST(CommandLine, ParsesWordByWord)
{
    struct Case {
        std::vector<const char*> words;
        int action;
        std::int32_t isp;
        bool reportOnly, autoMonitor;
        std::vector<std::string> boxes;  // "caption|text" of each box, in order
    };
    const Case cases[] = {
        {{}, 0, 0, false, false, {}},
        {{"-i", "3", "-e"}, 2, 3, false, false, {}},
        {{"/e", "/i3"}, 2, 3, false, false, {}},
        {{"-ei3"}, 2, 3, false, false, {}},
        {{"-b", "-l"}, 1, 0, true, false, {}},
        {{"/lm"}, 0, 0, true, true, {}},  // several options in one word
        {{"-i", "-b"}, 0, 0, false, false, {}},  // the word after -i is consumed whatever it holds
        {{"-i", "-2", "-b"}, 1, 0, false, false, {"Error 112|Invalid ISP number: -2. Ignored."}},
        {{"-i"}, -1, 0, false, false, {"Error 109|Missing argument to option -i."}},
        // Options are case-sensitive; the last of -b/-e/errors decides.
        {{"-B", "-b"}, 1, 0, false, false, {"Error 108|Unknown option -B."}},
        {{"-b", "-x"}, -1, 0, false, false, {"Error 108|Unknown option -x."}},
        {{"/e/i3"}, -1, 3, false, false, {"Error 108|Unknown option -/."}},
        // An error in an option word does not stop the rest of that word.
        {{"-xi7"}, -1, 7, false, false, {"Error 108|Unknown option -x."}},
        {{"notes.txt"}, -1, 0, false, false, {"Error 110|Unexpected argument to program encountered: notes.txt."}},
        // "--", "/" and "//" end the options and are consumed; only the first word
        // after them is reported.
        {{"-b", "--", "a", "b"}, -1, 0, false, false, {"Error 110|Unexpected argument to program encountered: a."}},
        {{"-m", "/", "-b"}, -1, 0, false, true, {"Error 110|Unexpected argument to program encountered: -b."}},
        {{"//", "-b"}, -1, 0, false, false, {"Error 110|Unexpected argument to program encountered: -b."}},
    };
    for (const Case& c : cases) {
        ResetCommandLineSettings();
        testsupport::ClearRecordedErrors();
        std::vector<const char*> argv{"tolvane.exe"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        const std::string line = ::testing::PrintToString(c.words);
        EXPECT_EQ(ParseCommandLine(static_cast<int>(argv.size()), argv.data()), c.action) << line;
        EXPECT_EQ(CommandLineIsp, c.isp) << line;
        EXPECT_EQ(ReportOnlyMode, c.reportOnly) << line;
        EXPECT_EQ(AutoMonitorMode, c.autoMonitor) << line;
        std::vector<std::string> shown;
        for (const auto& e : testsupport::RecordedErrors())
            shown.push_back(e.caption + "|" + e.text);
        EXPECT_EQ(shown, c.boxes) << line;
    }
    ResetCommandLineSettings();
}

} // namespace
