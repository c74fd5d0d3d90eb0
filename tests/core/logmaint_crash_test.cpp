// Finding a session a crash left open and the three remedies.
#include "logmaint_support.h"
#include "platform/clock.h"
#include "platform/crashprompt.h"
#include "sessionlog/crash.h"
#include "startup/locations.h"

using namespace logmaint;

namespace {

std::vector<int> prompted;  // the preselected remedy of each question
int answer = DO_NOTHING;
void* askedOwner = nullptr;

class CrashTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetCrashPrompt([](void* owner, int preselected) {
            prompted.push_back(preselected);
            askedOwner = owner;
            return answer;
        });
        PinClock(LocalInstant(2023, 7, 1, 12));
    }
    void TearDown() override
    {
        SetCrashPrompt(nullptr);
        ProgramDirTest::TearDown();
    }
    void Settings(const std::string& keys) const { WriteIni("[WinCrashRecovery]\n" + keys); }
};

TEST_F(CrashTest, RemedyComesFromTheSettingsOrTheAnswer)
{
    const Records done = {Start(1, LocalInstant(2023, 6, 1)), End(1, LocalInstant(2023, 6, 1, 1))};
    const Records open = {done[0], done[1], Start(5, LocalInstant(2023, 6, 30, 22))};
    const Records ended = {done[0], done[1], open[2], MakeSessionRecord(5, SESSION_END, 1, Now())};
    const struct {
        const char* settings;
        int answer;
        Records before, after;
        std::vector<int> asked;  // the preselected remedy, when asked
    } cases[] = {
        {"PromptUser=0\nDefaultRemedy=0", DO_NOTHING, done, done, {}},  // a log that ends with an end needs nothing
        {"PromptUser=0\nDefaultRemedy=2", DO_NOTHING, open, open, {}},
        {"PromptUser=0\nDefaultRemedy=0", DO_NOTHING, open, ended, {}},  // clocked off now, flagged
        {"PromptUser=0\nDefaultRemedy=1", DO_NOTHING, open, done, {}},   // as if it never occurred
        {"", DO_NOTHING, open, open, {2}},  // asked by default; Cancel keeps the log
        {"PromptUser=5\nDefaultRemedy=0", PRETEND_NEVER_OCCURRED, open, done, {0}},  // any number but 0 asks
        {"PromptUser=1\nDefaultRemedy=1", 42, open, open, {1}},  // an answer that is no remedy
        {"PromptUser=1\nDefaultRemedy=7", DO_NOTHING, open, open, {2}},  // remedies out of range are "do nothing"
        {"PromptUser=1\nDefaultRemedy=-1", DO_NOTHING, open, open, {2}},
    };
    int owner = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Settings(c.settings);
        WriteLog(File("tolvane.log"), c.before);
        prompted.clear();
        answer = c.answer;
        EXPECT_EQ(RecoverFromCrash(&owner), 0);
        EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(c.after));
        EXPECT_EQ(prompted, c.asked);
    }
    EXPECT_EQ(askedOwner, &owner);
    EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), LogBytes(open));
    EXPECT_TRUE(RecordedCodes().empty());
    // Checking for crashes is on unless it is 0.
    for (auto [check, enabled] : {std::pair{"CheckForCrashes=0", 0}, {"CheckForCrashes=5", 1}, {"", 1}}) {
        Settings(check);
        EXPECT_EQ(CrashCheckEnabled(), enabled) << check;
    }
}

} // namespace
