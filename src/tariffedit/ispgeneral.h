// The General page of the ISP editor: the record's name, unit and rounding,
// billing period, fee, prepaid amount and method, and RAS name.
#pragma once
#include <string>

#include "dialogs/generalpage.h"  // NONE_CHECKED
#include "tariffedit/editorcontext.h"

// The page as its controls hold it: texts as typed, radio groups and
// choosers as the index of the checked button or chosen item.
struct IspGeneralForm {
    std::string name;
    std::string secsPerUnit;
    int rounding = NONE_CHECKED;       // Rounding 0..2
    bool roundAfterEveryCall = false;  // checked: AccumulateBeforeRounding 0
    int period = NONE_CHECKED;         // PeriodToBill 0 monthly, 1 weekly
    int billing = NONE_CHECKED;        // 0 end of calendar month, 1 specified date
    int billingDay = NONE_CHECKED;     // day chooser item; the day is item + 1
    std::string fee;
    std::string prepaid;
    int prepaidMethod = NONE_CHECKED;  // PrepaidMethod 0..2
    int prepaidFrame = NONE_CHECKED;   // prepaid frame chooser item
    bool offsetConnect = false;
    std::string rasName;
};

// The controls whose enabled state follows the choices.
struct IspGeneralEnables {
    bool billingGroup = true;  // group 710 with its two radios
    bool dayChooser = false;
    bool prepaidFrame = false;
    bool offsetConnect = false;
};

struct IspGeneralPage {
    IspGeneralForm form;
    IspGeneralEnables enables;
};

constexpr int ISP_NAME_MAX = 511;
constexpr int RAS_NAME_MAX = 512;
constexpr int BILLING_DAYS = 31;

// The page filled from the record, with the prepaid frames of the list.
IspGeneralPage OpenIspGeneralPage(const TariffRecord& record, const WorkingFrameList& frames);

// The clicks that change other controls. The record gives what a group
// shows again when it is enabled again.
void GeneralPeriodClicked(IspGeneralPage& page, const TariffRecord& record, int period);
void GeneralBillingClicked(IspGeneralPage& page, int billing);
void GeneralPrepaidMethodClicked(IspGeneralPage& page, const TariffRecord& record, int method);
// The page became active again: the prepaid frame chooser is filled from the
// list and keeps its item while that is still inside it.
void GeneralPageActivated(IspGeneralPage& page, const WorkingFrameList& frames);

// FIELDS_CHECK reports the first problem (1027-1035, 1072) and changes
// nothing; FIELDS_STORE puts defaults in place of bad values, writes the
// record and sets the changed flag. 0, or -1 after reporting.
int IspGeneralFields(const IspGeneralForm& form, EditorContext& context, int mode);
