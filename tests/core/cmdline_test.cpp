// The command line, word by word, and the boxes it shows.
#include "startup/cmdline.h"
#include "support.h"

namespace {

// What a command line leads to: the action (-1 an error), the ISP, "l" for
// the report-only mode, "m" for monitoring at once, then each box shown.
TEST(CommandLine, ParsesWordByWord)
{
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{}, "0 0"},
        {{"-i", "3", "-e"}, "2 3"},
        {{"/e", "/i3"}, "2 3"},
        {{"-ei3"}, "2 3"},
        {{"-b", "-l"}, "1 0 l"},
        {{"/lm"}, "0 0 l m"},  // several options in one word
        {{"-i", "-b"}, "0 0"},  // the word after -i is consumed whatever it holds
        {{"-i", "-2", "-b"}, "1 0 [Error 112: Invalid ISP number: -2. Ignored.]"},
        {{"-i"}, "-1 0 [Error 109: Missing argument to option -i.]"},
        // Options are case-sensitive; the last of -b/-e/errors decides.
        {{"-B", "-b"}, "1 0 [Error 108: Unknown option -B.]"},
        {{"-b", "-x"}, "-1 0 [Error 108: Unknown option -x.]"},
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

} // namespace
