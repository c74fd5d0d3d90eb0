#include "sessionlog/crash.h"

#include "platform/clock.h"
#include "platform/crashprompt.h"
#include "platform/profile.h"
#include "sessionlog/deletelog.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

namespace {

const char* const CRASH_SECTION = "WinCrashRecovery";

std::int32_t ReadSwitch(const char* key)
{
    long value = ProfileGetInt(IniFilePath, CRASH_SECTION, key, 1);
    return value == 0 ? 0 : 1;
}

std::int32_t ValidRemedy(long value)
{
    return value >= CLOCK_END_NOW && value <= DO_NOTHING ? static_cast<std::int32_t>(value) : DO_NOTHING;
}

} // namespace

CrashSettings LoadCrashSettings()
{
    ProfileFlush(IniFilePath);
    CrashSettings settings;
    settings.checkForCrashes = ReadSwitch("CheckForCrashes");
    settings.promptUser = ReadSwitch("PromptUser");
    settings.defaultRemedy = ValidRemedy(ProfileGetInt(IniFilePath, CRASH_SECTION, "DefaultRemedy", DO_NOTHING));
    return settings;
}

void SaveCrashSettings(const CrashSettings& settings)
{
    ProfileWriteInt(IniFilePath, CRASH_SECTION, "CheckForCrashes", settings.checkForCrashes);
    ProfileWriteInt(IniFilePath, CRASH_SECTION, "PromptUser", settings.promptUser);
    ProfileWriteInt(IniFilePath, CRASH_SECTION, "DefaultRemedy", settings.defaultRemedy);
}

int CrashCheckEnabled()
{
    return LoadCrashSettings().checkForCrashes;
}

CrashRemedy ChooseRemedy(void* owner, std::int64_t& time, std::int32_t& flag)
{
    (void)time;
    (void)flag;
    CrashSettings settings = LoadCrashSettings();
    if (settings.promptUser != 1)
        return static_cast<CrashRemedy>(settings.defaultRemedy);
    // Whatever the prompt answers, only a known remedy may touch the log.
    return static_cast<CrashRemedy>(ValidRemedy(CurrentCrashPrompt()(owner, settings.defaultRemedy)));
}

int RecoverFromCrash(void* mainWindow)
{
    SessionRecord start;
    if (FindOpenSession(start) != 1)
        return 0;
    std::int64_t endTime = Now();
    std::int32_t endFlag = 1;
    switch (ChooseRemedy(mainWindow, endTime, endFlag)) {
    case CLOCK_END_NOW:
        return RecordSessionEvent(start.ispId, SESSION_END, endFlag, endTime) == 0 ? 0 : -1;
    case PRETEND_NEVER_OCCURRED:
        return DeleteRecord(start) == 0 ? 0 : -1;
    case DO_NOTHING:
        break;
    }
    return 0;
}
