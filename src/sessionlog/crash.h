// At start-up: finding a session that a crash left without its end, and
// repairing the log by the user's choice or the configured remedy.
#pragma once
#include <cstdint>

enum CrashRemedy { CLOCK_END_NOW = 0, PRETEND_NEVER_OCCURRED = 1, DO_NOTHING = 2 };

// [WinCrashRecovery] of the settings file.
struct CrashSettings {
    std::int32_t checkForCrashes = 1;
    std::int32_t promptUser = 1;
    std::int32_t defaultRemedy = DO_NOTHING;
};

// Read afresh from disk; bad values take their defaults.
CrashSettings LoadCrashSettings();
// Writes all three keys as numbers.
void SaveCrashSettings(const CrashSettings& settings);
// 1 when the check is to run at start-up, else 0.
int CrashCheckEnabled();

// Asks (through the crash prompt) or takes the configured remedy. The end
// instant and flag are passed through unchanged. `owner` is the window that
// owns the question.
CrashRemedy ChooseRemedy(void* owner, std::int64_t& time, std::int32_t& flag);

// The check and the repair. 0 when there was nothing to repair or the
// remedy was applied, -1 when applying it failed (reported; the log keeps
// its open start).
int RecoverFromCrash(void* mainWindow);
