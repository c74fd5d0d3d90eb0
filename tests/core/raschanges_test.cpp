// RAS connections seen from one cycle to the next, and what each means.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/raschanges.h"

namespace {

using Names = std::vector<std::string>;

std::vector<std::string> Describe(const std::vector<RasChange>& changes)
{
    std::vector<std::string> out;
    for (const RasChange& c : changes)
        out.push_back((c.connected ? "+" : "-") + c.entryName);
    return out;
}

TEST(RasChanges, SuccessiveCyclesOfOneMonitoringRun)
{
    // Each step is the list of connected entries one cycle sees.
    struct Step { Names current; std::vector<std::string> expected; } steps[] = {
        {{"Dial Direct"}, {"+Dial Direct"}},      // already up at the first cycle
        {{"Dial Direct"}, {}},                    // nothing changed
        {{"Dial Direct", "Work"}, {"+Work"}},     // a second connection
        {{"Work", "dial direct"}, {"-Dial Direct", "+dial direct"}},  // names are case-sensitive
        {{}, {"-Work", "-dial direct"}},          // both gone, in the previous order
        {{"A", "B"}, {"+A", "+B"}},
        {{"C", "B"}, {"-A", "+C"}},               // disconnections before connections
        {{"X", "X"}, {"-C", "-B", "+X"}},         // two connections through one entry count as one
        {{}, {"-X"}},
    };
    Names previous;
    for (const Step& s : steps) {
        EXPECT_EQ(s.expected, Describe(DiffConnections(previous, s.current)));
        previous = s.current;
    }
}

TEST(RasChanges, DecisionByRasPrompt)
{
    const RasDecision found = RasDecision::LogFound;
    // Rows: RasPrompt 0 to 3; columns: an ISP matched the entry, or not.
    const RasDecision expected[4][2] = {{found, RasDecision::Ignore},
                                        {found, RasDecision::LogDefault},
                                        {found, RasDecision::Ask},
                                        {RasDecision::Ask, RasDecision::Ask}};
    for (int prompt = 0; prompt < 4; ++prompt) {
        EXPECT_EQ(expected[prompt][0], DecideRasConnection(prompt, true)) << prompt;
        EXPECT_EQ(expected[prompt][1], DecideRasConnection(prompt, false)) << prompt;
    }
}

} // namespace
