#include "sessionlog/recoverypage.h"

#include "dialogs/dialogtable.h"

RecoveryForm OpenRecoveryForm()
{
    const CrashSettings settings = LoadCrashSettings();
    RecoveryForm form;
    form.checkForCrashes = settings.checkForCrashes != 0;
    form.promptUser = settings.promptUser != 0;
    form.remedy = settings.defaultRemedy;
    return form;
}

int RecoveryPageFields(const RecoveryForm& form, int mode)
{
    if (!(mode & FIELDS_STORE))
        return 0;
    CrashSettings settings;
    settings.checkForCrashes = form.checkForCrashes ? 1 : 0;
    settings.promptUser = form.promptUser ? 1 : 0;
    settings.defaultRemedy = form.remedy == CLOCK_END_NOW || form.remedy == PRETEND_NEVER_OCCURRED ? form.remedy
                                                                                                    : DO_NOTHING;
    SaveCrashSettings(settings);
    return 0;
}
