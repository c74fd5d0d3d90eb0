// The Recovery page of the Options sheet: the [WinCrashRecovery] settings.
#pragma once
#include "sessionlog/crash.h"

struct RecoveryForm {
    bool checkForCrashes = true;
    bool promptUser = true;
    int remedy = DO_NOTHING;  // the checked radio, NONE_CHECKED (-1) when none
};

RecoveryForm OpenRecoveryForm();
// Leaving is always allowed; the store writes all three keys and never
// fails (no radio checked stores "do nothing").
int RecoveryPageFields(const RecoveryForm& form, int mode);
