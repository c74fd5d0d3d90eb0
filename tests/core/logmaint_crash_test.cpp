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
    const std::vector<SessionRecord> done = {Start(1, LocalInstant(2023, 6, 1)), End(1, LocalInstant(2023, 6, 1, 1))};
    const SessionRecord dangling = Start(5, LocalInstant(2023, 6, 30, 22));
};

TEST_F(CrashTest, SettingsReadLenientlyWithDefaults)
{
    const struct { const char *check, *prompt, *remedy; CrashSettings expected; } cases[] = {
        {nullptr, nullptr, nullptr, {1, 1, 2}}, {"", "", "", {1, 1, 2}},    {"0", "0", "0", {0, 0, 0}},
        {"5", "1", "7", {1, 1, 2}},             {"1", "0", "-1", {1, 0, 2}}, {"0x", "abc", "1 more", {0, 0, 1}},
    };
    for (const auto& c : cases) {
        Settings(c.check, c.prompt, c.remedy);
        CrashSettings s = LoadCrashSettings();
        EXPECT_EQ(s.checkForCrashes, c.expected.checkForCrashes);
        EXPECT_EQ(s.promptUser, c.expected.promptUser);
        EXPECT_EQ(s.defaultRemedy, c.expected.defaultRemedy);
        EXPECT_EQ(CrashCheckEnabled(), c.expected.checkForCrashes);
    }
    SaveCrashSettings({0, 1, 1});
    EXPECT_EQ(ProfileGetString(IniFilePath, "WinCrashRecovery", "CheckForCrashes"), "0");
    EXPECT_EQ(ProfileGetString(IniFilePath, "WinCrashRecovery", "DefaultRemedy"), "1");
}

TEST_F(CrashTest, EachRemedyWithoutAsking)
{
    // A log that ends with an end: nothing to repair, nothing asked.
    WriteLog(File("tolvane.log"), done);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(done));

    std::vector<SessionRecord> log = done;
    log.push_back(dangling);
    Settings("1", "0", "2");
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(log));

    Settings("1", "0", "0");
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    SessionRecord clocked = MakeSessionRecord(5, SESSION_END, 1, Now());
    std::vector<SessionRecord> closed = log;
    closed.push_back(clocked);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(closed));

    Settings("1", "0", "1");
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(done));
    EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), LogBytes(log));
    EXPECT_TRUE(prompted.empty());
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(CrashTest, AskingPreselectsTheDefaultAndTakesTheAnswer)
{
    std::vector<SessionRecord> log = done;
    log.push_back(dangling);
    int owner = 0;

    // PromptUser missing: asked, "do nothing" preselected; Cancel keeps the log.
    WriteLog(File("tolvane.log"), log);
    EXPECT_EQ(RecoverFromCrash(&owner), 0);
    EXPECT_EQ(prompted, std::vector<int>{2});
    EXPECT_EQ(askedOwner, &owner);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(log));

    Settings(nullptr, "1", "0");
    answer = PRETEND_NEVER_OCCURRED;
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(prompted.back(), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(done));

    // An answer that is no remedy leaves the log alone.
    WriteLog(File("tolvane.log"), log);
    answer = 42;
    EXPECT_EQ(RecoverFromCrash(nullptr), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(log));
}

} // namespace
