#include "tariffedit/ispgeneral.h"

#include <cstdio>
#include <new>

#include "dialogs/dialogtable.h"
#include "startup/errors.h"

namespace {

std::string Money(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The billing group as the record had it at opening.
void ShowBillingDate(IspGeneralPage& page, const TariffRecord& record)
{
    page.enables.billingGroup = true;
    if (record.BillingDate != 0) {
        page.form.billing = 1;
        page.form.billingDay = record.BillingDate >= 1 && record.BillingDate <= BILLING_DAYS ? record.BillingDate - 1
                                                                                           : NONE_CHECKED;
        page.enables.dayChooser = true;
    } else {
        page.form.billing = 0;
        page.form.billingDay = 0;
        page.enables.dayChooser = false;
    }
}

// A failed check: the error when checking, else the fallback is used.
bool Refuse(bool check, ErrorCode code)
{
    if (check)
        ShowError(code);
    return !check;
}

} // namespace

IspGeneralPage OpenIspGeneralPage(const TariffRecord& record, const WorkingFrameList& frames)
{
    IspGeneralPage page;
    IspGeneralForm& f = page.form;
    f.name = record.Description;
    f.secsPerUnit = std::to_string(record.SecsPerUnit);
    f.rounding = record.Rounding >= 0 && record.Rounding <= 2 ? record.Rounding : NONE_CHECKED;
    f.roundAfterEveryCall = record.AccumulateBeforeRounding == 0;
    f.period = record.PeriodToBill == PERIOD_WEEKLY ? 1 : 0;
    ShowBillingDate(page, record);
    if (f.period == 1) {
        page.enables.billingGroup = false;
        page.enables.dayChooser = false;
        f.billingDay = 0;
    }
    f.fee = Money(record.PeriodicFee);
    f.prepaid = Money(record.PrepaidCharge);
    f.prepaidMethod = record.PrepaidMethod >= 0 && record.PrepaidMethod <= 2 ? record.PrepaidMethod : NONE_CHECKED;
    if (record.PrepaidMethod == PREPAID_DAILY_IN_FRAME) {
        page.enables.prepaidFrame = true;
        f.prepaidFrame = frames.Contains(record.PrepaidFrame) ? record.PrepaidFrame : NONE_CHECKED;
    } else {
        f.prepaidFrame = frames.count() > 0 ? 0 : NONE_CHECKED;
    }
    page.enables.offsetConnect = record.PrepaidCharge != 0.0;
    f.offsetConnect = page.enables.offsetConnect && record.OffsetsConnectCharge != 0;
    f.rasName = record.RasName;
    return page;
}

void GeneralPeriodClicked(IspGeneralPage& page, const TariffRecord& record, int period)
{
    page.form.period = period;
    if (period == 1) {
        page.enables.billingGroup = false;
        page.enables.dayChooser = false;
        page.form.billingDay = 0;
    } else {
        ShowBillingDate(page, record);
    }
}

void GeneralBillingClicked(IspGeneralPage& page, int billing)
{
    page.form.billing = billing;
    page.enables.dayChooser = billing == 1;
}

void GeneralPrepaidMethodClicked(IspGeneralPage& page, const TariffRecord& record, int method)
{
    page.form.prepaidMethod = method;
    if (method == PREPAID_DAILY_IN_FRAME) {
        page.enables.prepaidFrame = true;
        page.form.prepaidFrame = record.PrepaidFrame;
    } else {
        page.enables.prepaidFrame = false;
        page.form.prepaidFrame = 0;
    }
    page.enables.offsetConnect = method != PREPAID_OFFSET_MONTHLY;
    page.form.offsetConnect = page.enables.offsetConnect && record.OffsetsConnectCharge != 0;
}

void GeneralPageActivated(IspGeneralPage& page, const WorkingFrameList& frames)
{
    page.form.prepaidFrame = frames.count() > 0 ? KeepFrameChoice(frames, page.form.prepaidFrame) : NONE_CHECKED;
}

int IspGeneralFields(const IspGeneralForm& form, EditorContext& context, int mode)
{
    const bool check = (mode & FIELDS_CHECK) != 0;
    try {
        TariffRecord values;
        values.Description = form.name.substr(0, ISP_NAME_MAX);
        if (values.Description.empty()) {
            if (!Refuse(check, 1027))
                return -1;
            values.Description = "Unspecified ISP";
        }

        bool present = false;
        values.SecsPerUnit = ReadInteger(form.secsPerUnit, &present);
        if (!present || values.SecsPerUnit < 0) {
            if (!Refuse(check, 1028))
                return -1;
            values.SecsPerUnit = 60;
        }

        values.Rounding = form.rounding;
        if (!Chosen(form.rounding, 3)) {
            if (!Refuse(check, 1029))
                return -1;
            values.Rounding = ROUNDING_UP;
        }
        values.AccumulateBeforeRounding = form.roundAfterEveryCall ? 0 : 1;

        values.PeriodToBill = form.period;
        if (!Chosen(form.period, 2)) {
            if (!Refuse(check, 1030))
                return -1;
            values.PeriodToBill = PERIOD_MONTHLY;
        }
        values.BillingDate = BILLING_CALENDAR_MONTH;
        if (values.PeriodToBill == PERIOD_MONTHLY) {
            if (form.billing == 1 && Chosen(form.billingDay, BILLING_DAYS)) {
                values.BillingDate = form.billingDay + 1;
            } else if (form.billing != 0 && !Refuse(check, 1031)) {
                return -1;
            }
        }

        values.PeriodicFee = ReadDecimal(form.fee);
        if (form.fee.empty() && !Refuse(check, 1072))
            return -1;

        values.PrepaidCharge = ReadDecimal(form.prepaid);
        if (form.prepaid.empty() || values.PrepaidCharge < 0.0) {
            if (!Refuse(check, 1032))
                return -1;
            values.PrepaidCharge = 0.0;
        }

        values.PrepaidMethod = form.prepaidMethod;
        values.PrepaidFrame = 0;
        if (form.prepaidMethod == PREPAID_DAILY_IN_FRAME) {
            if (form.prepaidFrame == NONE_CHECKED) {
                if (!Refuse(check, 1033))
                    return -1;
            } else if (!context.frames.Contains(form.prepaidFrame)) {
                if (!Refuse(check, 1035))
                    return -1;
            } else {
                values.PrepaidFrame = form.prepaidFrame;
            }
        } else if (!Chosen(form.prepaidMethod, 3)) {
            if (values.PrepaidCharge != 0.0 && !Refuse(check, 1034))
                return -1;
            values.PrepaidMethod = PREPAID_OFFSET_MONTHLY;
        }
        values.OffsetsConnectCharge = form.offsetConnect ? 1 : 0;
        values.RasName = form.rasName.substr(0, RAS_NAME_MAX);

        if (!(mode & FIELDS_STORE))
            return 0;
        TariffRecord& r = context.record;
        r.Description = std::move(values.Description);
        r.RasName = std::move(values.RasName);
        r.SecsPerUnit = values.SecsPerUnit;
        r.Rounding = values.Rounding;
        r.AccumulateBeforeRounding = values.AccumulateBeforeRounding;
        r.PeriodToBill = values.PeriodToBill;
        r.BillingDate = values.BillingDate;
        r.PeriodicFee = values.PeriodicFee;
        r.PrepaidCharge = values.PrepaidCharge;
        r.PrepaidMethod = values.PrepaidMethod;
        r.PrepaidFrame = values.PrepaidFrame;
        r.OffsetsConnectCharge = values.OffsetsConnectCharge;
        context.changed = true;
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}
