// The Monitor page of the Options sheet and its two connection dialogs:
// the forms as read from their controls and the rules that check and store
// them in [Monitor].
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/generalpage.h"  // NONE_CHECKED

// The Monitor page. Radio groups hold the index of the checked button.
struct MonitorForm {
    int alert = 0;  // 0 no sound, 1 beep, 2 WAV file
    std::string alertSound;
    int promptDefault = 0;
    int iconWhenMonitoring = 1;
    int confirmExit = 1;
    int type = 1;  // 0 Telephony, 1 RAS
    std::string delayText;
    bool showLog = true;
    bool autostart = false;
};

constexpr int SOUND_PATH_MAX = 259;

// The form the page opens with: [Monitor] and whether the program starts
// with Windows.
MonitorForm OpenMonitorForm();

// Checks (FIELDS_CHECK: 1015, 1016, 1017, 2079, 1019 in that order) and
// stores (FIELDS_STORE: [Monitor], the Telephony and RAS keys re-written
// as read, then start with Windows). Without the check bit unanswered
// groups take their defaults, but no type of monitoring (2078) fails
// either way. 0, or -1 after reporting.
int MonitorPageFields(const MonitorForm& form, int mode);

// The Telephony dialog's modem list.
struct ModemEntry {
    std::string name;
    std::uint32_t device = 0;
    std::uint32_t permanentLineId = 0;
};

// The texts of the list ("Modem Unavailable" alone when there is no modem)
// and the item selected: the preferred device, else the first.
struct ModemListView {
    std::vector<std::string> texts;
    int selected = 0;
};
ModemListView ShowModems(const std::vector<ModemEntry>& modems, std::uint32_t preferredDevice);

// What the dialog's Telephony callback does with a message.
constexpr std::uint32_t LINE_LINEDEVSTATE_MESSAGE = 8;
constexpr std::uint32_t LINEDEVSTATE_REINIT_VALUE = 0x00040000;
constexpr std::uint32_t LINE_CREATE_MESSAGE = 19;

enum class DevStateAction {
    None,
    Restart,  // shut the session down, start it again, refill
    Refill,   // a device was added (the count may have grown)
};
DevStateAction DecideDevState(std::uint32_t message, std::uintptr_t param1, std::uintptr_t param2,
                              std::uintptr_t param3, std::uint32_t& deviceCount);

// The Telephony dialog's OK once the modem question is settled: modem
// false stores device 0 without a permanent line id. onConnection is 1
// prompt, 0 log to the default ISP, NONE_CHECKED (2077). 0 or -1.
struct TelephonyForm {
    bool modem = false;
    std::uint32_t device = 0;
    std::uint32_t permanentLineId = 0;
    int onConnection = 1;
    bool trackInbound = false;
};
int StoreTelephonyForm(const TelephonyForm& form);

// The RAS dialog's OK: the checked RasPrompt (0..3), written at once, or
// NONE_CHECKED (2077). 0 or -1.
int StoreRasPrompt(int checked);
