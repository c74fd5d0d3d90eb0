// Finding a session a crash left open and the three remedies.

#include "logmaint_support.h"
#include "platform/clock.h"
#include "platform/crashprompt.h"
#include "platform/profile.h"
#include "sessionlog/crash.h"
#include "startup/locations.h"
#include "support.h"

using namespace logmaint;
using testsupport::LocalInstant;
using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;

namespace {

std::vector<int> prompted;  // the preselected remedy of each question
int answer = DO_NOTHING;
void* askedOwner = nullptr;

int ScriptedPrompt(void* owner, int preselected)
{
    prompted.push_back(preselected);
    askedOwner = owner;
    return answer;
}

class CrashTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetCrashPrompt(ScriptedPrompt);
        prompted.clear();
        answer = DO_NOTHING;
        PinClock(LocalInstant(2023, 7, 1, 12));
    }
    void TearDown() override
    {
        SetCrashPrompt(nullptr);
        ProgramDirTest::TearDown();
    }
    void Settings(const char* check, const char* prompt, const char* remedy)
    {
        ProfileWrite(IniFilePath, "WinCrashRecovery", "CheckForCrashes", check);
        ProfileWrite(IniFilePath, "WinCrashRecovery", "PromptUser", prompt);
        ProfileWrite(IniFilePath, "WinCrashRecovery", "DefaultRemedy", remedy);
    }
    std::string Log() { return ReadFileBytes(File("tolvane.log")); }
    const std::vector<SessionRecord> done = {Start(1, LocalInstant(2023, 6, 1)), End(1, LocalInstant(2023, 6, 1, 1))};
    const std::vector<SessionRecord> log = {done[0], done[1], Start(5, LocalInstant(2023, 6, 30, 22))};
};

TEST_F(CrashTest, SettingsReadLenientlyWithDefaults)
{
    // check, prompt, remedy as read, and whether the check is enabled.
    const struct { const char *check, *prompt, *remedy, *expected; } cases[] = {
        {nullptr, nullptr, nullptr, "1121"}, {"", "", "", "1121"},    {"0", "0", "0", "0000"},
        {"5", "1", "7", "1121"},             {"1", "0", "-1", "1021"}, {"0x", "abc", "1 more", "0010"},
    };
    for (const auto& c : cases) {
        Settings(c.check, c.prompt, c.remedy);
        const CrashSettings s = LoadCrashSettings();
        EXPECT_EQ(std::to_string(s.checkForCrashes) + std::to_string(s.promptUser) + std::to_string(s.defaultRemedy) +
                      std::to_string(CrashCheckEnabled()),
                  c.expected);
    }
}

TEST_F(CrashTest, EachRemedyWithoutAsking)
{
    // A log that ends with an end: nothing to repair, nothing asked.
    WriteLog(File("tolvane.log"), done);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(Log(), LogBytes(done));

    Settings("1", "0", "2");  // do nothing
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(Log(), LogBytes(log));

    Settings("1", "0", "0");  // clock the session off now, flagged
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(Log(), LogBytes(log) + RecordBytes(MakeSessionRecord(5, SESSION_END, 1, Now())));

    Settings("1", "0", "1");  // pretend it never occurred
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(Log(), LogBytes(done));
    EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), LogBytes(log));
    EXPECT_TRUE(prompted.empty());
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(CrashTest, AskingPreselectsTheDefaultAndTakesTheAnswer)
{
    int owner = 0;

    // PromptUser missing: asked, "do nothing" preselected; Cancel keeps the log.
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(&owner), 0);
    EXPECT_EQ(prompted, std::vector<int>{2});
    EXPECT_EQ(askedOwner, &owner);
    EXPECT_EQ(Log(), LogBytes(log));

    Settings(nullptr, "1", "0");
    answer = PRETEND_NEVER_OCCURRED;
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(prompted.back(), 0);
    EXPECT_EQ(Log(), LogBytes(done));

    // An answer that is no remedy leaves the log alone.
    WriteLog(File("tolvane.log"), log);
    answer = 42;
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(Log(), LogBytes(log));
}

} // namespace
