#include "dialogs/generalpage.h"

#include <cstdlib>
#include <new>

#include "dialogs/dialogtable.h"
#include "platform/profile.h"
#include "sessionlog/viewlog.h"
#include "startup/errors.h"
#include "startup/locations.h"

int ReadPreviousDefault()
{
    const std::string text = ProfileGetString(IniFilePath, "Windows", "PreviousDefault", "", 32);
    const int value = std::atoi(text.c_str());
    return value < 0 || value > 2 ? 0 : value;
}

void SavePreviousDefault(int value)
{
    ProfileWriteInt(IniFilePath, "Windows", "PreviousDefault", value);
}

bool OpenGeneralForm(GeneralForm& form)
{
    form = GeneralForm{};
    form.confirmDelete = ConfirmDelete != 0;
    form.backupOnDelete = BackupOnDelete != 0;
    form.previousDefault = ReadPreviousDefault();
    ViewLogSettings settings;
    if (LoadViewLogSettings(settings) != 0)
        return false;
    form.viewerPath = settings.viewerPath;
    form.tempFile = settings.useTempName == 1 ? 0 : 1;
    form.rawLogFileName = settings.rawLogFileName;
    form.defaultRange = settings.defaultRange >= 0 && settings.defaultRange <= 2 ? settings.defaultRange : 2;
    return true;
}

int GeneralPageFields(const GeneralForm& form, int mode)
{
    if (!(mode & FIELDS_STORE))
        return 0;
    try {
        ConfirmDelete = form.confirmDelete ? 1 : 0;
        BackupOnDelete = form.backupOnDelete ? 1 : 0;
        SaveGlobalDeleteSettings();
        SavePreviousDefault(form.previousDefault >= 0 && form.previousDefault <= 2 ? form.previousDefault : 0);

        ViewLogSettings settings;
        settings.viewerPath = form.viewerPath.substr(0, GENERAL_TEXT_MAX);
        if (form.tempFile == 0) {
            settings.useTempName = 1;
        } else if (form.tempFile == 1) {
            settings.useTempName = 0;
            settings.rawLogFileName = form.rawLogFileName.substr(0, GENERAL_TEXT_MAX);
            if (settings.rawLogFileName.empty()) {
                ShowError(2066);
                return -1;
            }
        } else {
            ShowError(2067);
            return -1;
        }
        if (form.defaultRange == NONE_CHECKED) {
            ShowError(2068);
            return -1;
        }
        settings.defaultRange = form.defaultRange >= 0 && form.defaultRange <= 2 ? form.defaultRange : 2;
        SaveViewLogSettings(settings);
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}
