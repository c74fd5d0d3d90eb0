// Finding a session a crash left open and the three remedies.
#include "logmaint_support.h"
#include "platform/clock.h"
#include "platform/crashprompt.h"
#include "platform/profile.h"
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
    static void Settings(const char* check, const char* prompt, const char* remedy)
    {
        ProfileWrite(IniFilePath, "WinCrashRecovery", "CheckForCrashes", check);
        ProfileWrite(IniFilePath, "WinCrashRecovery", "PromptUser", prompt);
        ProfileWrite(IniFilePath, "WinCrashRecovery", "DefaultRemedy", remedy);
    }
};

TEST_F(CrashTest, RemedyComesFromTheSettingsOrTheAnswer)
{
    const std::vector<SessionRecord> done = {Start(1, LocalInstant(2023, 6, 1)), End(1, LocalInstant(2023, 6, 1, 1))};
    const std::vector<SessionRecord> open = {done[0], done[1], Start(5, LocalInstant(2023, 6, 30, 22))};
    const std::vector<SessionRecord> ended = {done[0], done[1], open[2], MakeSessionRecord(5, SESSION_END, 1, Now())};
    const struct {
        const char *prompt, *remedy;
        int answer;
        std::vector<SessionRecord> before, after;
        std::vector<int> asked;  // the preselected remedy, when asked
    } cases[] = {
        {"0", "0", DO_NOTHING, done, done, {}},  // a log that ends with an end needs nothing
        {"0", "2", DO_NOTHING, open, open, {}},
        {"0", "0", DO_NOTHING, open, ended, {}},  // clocked off now, flagged
        {"0", "1", DO_NOTHING, open, done, {}},   // as if it never occurred
        {nullptr, nullptr, DO_NOTHING, open, open, {2}},  // asked by default; Cancel keeps the log
        {"5", "0", PRETEND_NEVER_OCCURRED, open, done, {0}},  // any number but 0 asks
        {"1", "1", 42, open, open, {1}},  // an answer that is no remedy
        {"1", "7", DO_NOTHING, open, open, {2}},  // remedies out of range are "do nothing"
        {"1", "-1", DO_NOTHING, open, open, {2}},
    };
    int owner = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Settings(nullptr, c.prompt, c.remedy);
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
    for (auto [check, enabled] : {std::pair{"0", 0}, {"5", 1}, {nullptr, 1}}) {
        Settings(check, nullptr, nullptr);
        EXPECT_EQ(CrashCheckEnabled(), enabled) << check;
    }
}

} // namespace
