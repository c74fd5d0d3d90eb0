// The ISP editor's pages as forms: each check and store rule, the frame
// list the pages share and what deleting a frame does to the other pages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/support.h"
#include "dialogs/dialogtable.h"
#include "tariffedit/chargespage.h"
#include "tariffedit/exceptionspage.h"
#include "tariffedit/framespage.h"
#include "tariffedit/ispgeneral.h"

using testsupport::RecordedCodes;
using Codes = std::vector<ErrorCode>;

namespace {

bool No(void*) { return false; }
bool Yes(void*) { return true; }
Codes Expected(ErrorCode code) { return code ? Codes{code} : Codes{}; }

class EditorPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        record.NumFrames = 3;
        record.FrameNames = {"Peak", "Evening", "Night"};
        record.FrameCharges = {0.05, 0.02, 0.01};
        MakeWorkingFrameList(record, context.frames);
        testsupport::ClearRecordedErrors();
    }
    // One row of a rule table: checking reports `error` (or passes), storing
    // passes silently with the value `stored` looks for.
    void ExpectRule(const char* name, const std::function<int(int)>& fields, ErrorCode error,
                    const std::function<bool()>& stored)
    {
        testsupport::ClearRecordedErrors();
        EXPECT_EQ(fields(FIELDS_CHECK), error ? -1 : 0) << name;
        EXPECT_EQ(fields(FIELDS_STORE), 0) << name;
        EXPECT_EQ(RecordedCodes(), Expected(error)) << name;
        EXPECT_TRUE(stored() && changed) << name;
        changed = false;
    }
    TariffRecord record;
    bool changed = false;
    EditorContext context{record, changed, {}};
};

TEST_F(EditorPagesTest, GeneralRulesReportWhenCheckingAndTakeDefaultsWhenStoring)
{
    const TariffRecord& r = record;
    const struct {
        const char* name;
        std::function<void(IspGeneralForm&)> change;
        ErrorCode error;
        std::function<bool()> stored;
    } cases[] = {
        {"no name", [](auto& f) { f.name.clear(); }, 1027, [&] { return r.Description == "Unspecified ISP"; }},
        {"no unit", [](auto& f) { f.secsPerUnit.clear(); }, 1028, [&] { return r.SecsPerUnit == 60; }},
        {"negative unit", [](auto& f) { f.secsPerUnit = "-5"; }, 1028, [&] { return r.SecsPerUnit == 60; }},
        {"unit 0", [](auto& f) { f.secsPerUnit = "0"; }, 0, [&] { return r.SecsPerUnit == 0; }},
        {"no rounding", [](auto& f) { f.rounding = NONE_CHECKED; }, 1029, [&] { return r.Rounding == 0; }},
        {"no period", [](auto& f) { f.period = NONE_CHECKED; }, 1030, [&] { return r.PeriodToBill == 0; }},
        {"weekly", [](auto& f) { f.period = 1; }, 0, [&] { return r.PeriodToBill == 1 && r.BillingDate == 0; }},
        {"no billing", [](auto& f) { f.billing = NONE_CHECKED; }, 1031, [&] { return r.BillingDate == 0; }},
        {"no billing day", [](auto& f) { f.billingDay = NONE_CHECKED; }, 1031, [&] { return r.BillingDate == 0; }},
        {"day 31", [](auto& f) { f.billingDay = 30; }, 0, [&] { return r.BillingDate == 31; }},
        {"no fee", [](auto& f) { f.fee.clear(); }, 1072, [&] { return r.PeriodicFee == 0.0; }},
        {"negative fee", [](auto& f) { f.fee = "-3"; }, 0, [&] { return r.PeriodicFee == -3.0; }},
        {"no prepaid", [](auto& f) { f.prepaid.clear(); }, 1032, [&] { return r.PrepaidCharge == 0.0; }},
        {"negative prepaid", [](auto& f) { f.prepaid = "-1"; }, 1032, [&] { return r.PrepaidCharge == 0.0; }},
        {"no prepaid frame", [](auto& f) { f.prepaidFrame = NONE_CHECKED; }, 1033, [&] { return r.PrepaidFrame == 0; }},
        {"frame gone", [](auto& f) { f.prepaidFrame = 3; }, 1035, [&] { return r.PrepaidFrame == 0; }},
        {"no method", [](auto& f) { f.prepaidMethod = NONE_CHECKED; }, 1034, [&] { return r.PrepaidMethod == 0; }},
        {"no method, no prepaid", [](auto& f) { f.prepaidMethod = NONE_CHECKED; f.prepaid = "0"; }, 0,
         [&] { return r.PrepaidMethod == 0 && r.PrepaidFrame == 0; }},
    };
    for (const auto& c : cases) {
        IspGeneralForm form{"Zen", "30", 2, false, 0, 1, 14, "9.99", "1.50", 2, 2, true, "ZenDial"};
        c.change(form);
        ExpectRule(c.name, [&](int mode) { return IspGeneralFields(form, context, mode); }, c.error, c.stored);
    }
}

TEST_F(EditorPagesTest, GeneralGroupsFollowTheChoices)
{
    record.PeriodToBill = PERIOD_WEEKLY;
    record.BillingDate = 12;
    record.OffsetsConnectCharge = 1;
    IspGeneralPage page = OpenIspGeneralPage(record, context.frames);
    EXPECT_FALSE(page.enables.billingGroup || page.enables.offsetConnect);  // weekly; no prepaid charge
    GeneralPeriodClicked(page, record, 0);
    EXPECT_TRUE(page.enables.billingGroup && page.enables.dayChooser);
    EXPECT_EQ(page.form.billingDay, 11);
    GeneralPrepaidMethodClicked(page, record, 2);
    EXPECT_TRUE(page.enables.prepaidFrame && page.enables.offsetConnect && page.form.offsetConnect);
    GeneralPrepaidMethodClicked(page, record, 0);
    EXPECT_FALSE(page.enables.prepaidFrame || page.enables.offsetConnect || page.form.offsetConnect);
}

TEST_F(EditorPagesTest, FrameEntryRules)
{
    FramesPage page = OpenFramesPage(record);
    const struct {
        const char *name, *charge;
        ErrorCode error;
        const char *storedName, *storedCharge;
    } cases[] = {
        {"Day", "-1", 1038, "Day", "0.000000"},
        {"", "0.5", 1039, "Unspecified_frame", "0.500000"},
        {"Off peak,x", "0.05", 0, "Off_peak_x", "0.050000"},  // No to the conversion
    };
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        page.mode = PageMode::Edit;
        page.entry = {c.name, c.charge, ADD_CAPTION};
        EXPECT_EQ(FramesCommit(page, CommitForm::Button, No, nullptr), -1) << c.name;
        EXPECT_EQ(RecordedCodes(), Expected(c.error)) << c.name;
        ASSERT_EQ(FramesCommit(page, CommitForm::Store, No, nullptr), 0) << c.name;
        EXPECT_EQ(page.rows.back().name + " " + page.rows.back().charge, std::string(c.storedName) + " " + c.storedCharge);
    }
    FramesEdit(page);  // Change of the first row
    page.entry.name = "a b";
    EXPECT_EQ(FramesCommit(page, CommitForm::Button, Yes, nullptr), 0);
    EXPECT_EQ(page.rows[0].name, "a_b");

    testsupport::ClearRecordedErrors();
    for (const char* caption : {"", "&Change"}) {  // unreadable; Change without a row
        page.entry.caption = caption;
        page.selected = -1;
        FramesCommit(page, CommitForm::Button, Yes, nullptr);
    }
    FramesEdit(page);
    EXPECT_EQ(RecordedCodes(), (Codes{1040, 1036, 1037}));
}

TEST_F(EditorPagesTest, FramesKeepOneFrameAndAskBeforeDeleting)
{
    FramesPage page = OpenFramesPage(record);
    page.selected = -1;
    FramesDelete(page, Yes, nullptr);
    page.selected = 2;
    FramesDelete(page, No, nullptr);
    EXPECT_EQ(page.rows.size(), 3u);
    for (int i = 0; i < 3; ++i)
        FramesDelete(page, Yes, nullptr);
    EXPECT_EQ(page.rows.size(), 1u);
    EXPECT_EQ(RecordedCodes(), (Codes{1042, 1041}));
}

TEST_F(EditorPagesTest, LeavingFramesWithAPendingAddChecksItButKeepsItPending)
{
    FramesPage page = OpenFramesPage(record);
    int asked = 0;
    const auto count = [](void* asked) { return ++*static_cast<int*>(asked) > 0; };
    FramesNew(page);
    page.entry = {"Week,end", "0.01", ADD_CAPTION};
    ASSERT_EQ(FramesFields(page, context, FIELDS_CHECK, count, &asked), 0);
    EXPECT_EQ(context.frames.count(), 3);
    EXPECT_EQ(page.entry.name, "Week,end");
    ASSERT_EQ(FramesFields(page, context, FIELDS_STORE, count, &asked), 0);
    EXPECT_EQ(asked, 1);  // storing converts without asking
    EXPECT_EQ(record.FrameNames.back(), "Week_end");
    EXPECT_EQ(record.NumFrames, 4);
}

TEST_F(EditorPagesTest, ADeletedFramesPositionGoesToTheNextFrameAndPositionsBeyondToTheFirst)
{
    record.DefaultFrame = 2;
    record.PrepaidMethod = PREPAID_DAILY_IN_FRAME;
    record.PrepaidFrame = 2;
    record.FrameForExceptions = 1;
    record.Schedules[1] = {{8, 0, 0, 9, 0, 0, 1}, {9, 0, 0, 10, 0, 0, 2}};
    record.Schedules[2] = {{8, 0, 0, 9, 0, 0, 2}};
    IspGeneralPage general = OpenIspGeneralPage(record, context.frames);
    ChargesPage charges;
    ASSERT_EQ(OpenChargesPage(record, context.frames, charges), 0);
    ExceptionsPage exceptions = OpenExceptionsPage(record, context.frames);
    ASSERT_EQ(ChargesSelectDay(charges, context.frames, 1), 0);

    FramesPage frames = OpenFramesPage(record);
    frames.selected = 1;
    FramesDelete(frames, Yes, nullptr);
    ASSERT_EQ(FramesFields(frames, context, FIELDS_CHECK, nullptr, nullptr), 0);
    EXPECT_EQ(context.frames.names, (std::vector<std::string>{"Peak", "Night"}));

    GeneralPageActivated(general, context.frames);
    ChargesPageActivated(charges, context.frames);
    ExceptionsPageActivated(exceptions, context.frames);
    EXPECT_EQ(general.form.prepaidFrame, 0);
    EXPECT_EQ(charges.form.defaultFrame, 0);
    EXPECT_EQ(exceptions.frame, 1);
    EXPECT_EQ(ScheduleRowTexts(charges.rows[0], context.frames).frame, "Night");
    EXPECT_EQ(ScheduleRowTexts(charges.rows[1], context.frames).frame, "Peak");

    ASSERT_EQ(IspGeneralFields(general.form, context, FIELDS_STORE), 0);
    ASSERT_EQ(ChargesFields(charges, context, FIELDS_STORE), 0);
    ASSERT_EQ(FramesFields(frames, context, FIELDS_STORE, nullptr, nullptr), 0);
    ASSERT_EQ(ExceptionsFields(exceptions, context, FIELDS_STORE), 0);
    EXPECT_EQ(std::vector<int>({record.PrepaidFrame, record.DefaultFrame, record.FrameForExceptions}),
              std::vector<int>({0, 0, 1}));
    EXPECT_EQ(record.Schedules[1][0].Frame, 1);
    EXPECT_EQ(record.Schedules[1][1].Frame, 0);
    EXPECT_EQ(record.Schedules[2][0].Frame, 0);  // a day not shown again
}

TEST_F(EditorPagesTest, ScheduleEntryRules)
{
    ChargesPage page;
    ASSERT_EQ(OpenChargesPage(record, context.frames, page), 0);
    ChargesSelectDay(page, context.frames, 1);
    const struct {
        const char* name;
        std::array<int, 6> times;
        int frame;
        ErrorCode error;
    } cases[] = {
        {"no hour", {NONE_CHECKED, 0, 0, 9, 0, 0}, 0, 1049}, {"empty", {8, 0, 0, 8, 0, 0}, 0, 1049},
        {"backwards", {8, 0, 1, 8, 0, 0}, 0, 1049},          {"no frame", {8, 0, 0, 9, 0, 0}, NONE_CHECKED, 1050},
        {"gone frame", {8, 0, 0, 9, 0, 0}, 3, 1050},         {"whole day", {0, 0, 0, 23, 59, 59}, 2, 0},
    };
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        ChargesNew(page);
        page.entry.times = c.times;
        page.entry.frame = c.frame;
        EXPECT_EQ(ChargesCommit(page, context.frames, CommitForm::Button), c.error ? -1 : 0) << c.name;
        EXPECT_EQ(RecordedCodes(), Expected(c.error)) << c.name;
    }
    ChargesNew(page);  // 00:00:00 to 00:00:00: OK drops it
    ASSERT_EQ(ChargesFields(page, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.Schedules[1], (std::vector<ScheduleEntry>{{0, 0, 0, 23, 59, 59, 2}}));

    ChargesNew(page);
    page.entry.times = {5, 0, 0, 6, 0, 0};
    ASSERT_EQ(ChargesFields(page, context, FIELDS_CHECK), 0);  // leaving keeps it pending
    EXPECT_EQ(page.rows.size(), 1u);
    ASSERT_EQ(ChargesCommit(page, context.frames, CommitForm::Button), 0);
    EXPECT_EQ(page.days[1].back().StartHour, 5);  // after the later entry
}

TEST_F(EditorPagesTest, ChargesRules)
{
    const TariffRecord& r = record;
    const struct {
        const char* name;
        std::function<void(ChargesForm&)> change;
        ErrorCode error;
        std::function<bool()> stored;
    } cases[] = {
        {"no default", [](auto& f) { f.defaultFrame = NONE_CHECKED; }, 1054, [&] { return r.DefaultFrame == 0; }},
        {"negative connection", [](auto& f) { f.connectCharge = "-0.1"; }, 1055, [&] { return r.ConnectCharge == 0.0; }},
        {"no minimum", [](auto& f) { f.minCharge.clear(); }, 1056, [&] { return r.MinCharge == 0.0; }},
    };
    for (const auto& c : cases) {
        ChargesPage page;
        ASSERT_EQ(OpenChargesPage(record, context.frames, page), 0);
        page.form = {2, "0.10", "0.25", true};
        c.change(page.form);
        ExpectRule(c.name, [&](int mode) { return ChargesFields(page, context, mode); }, c.error, c.stored);
    }
}

TEST_F(EditorPagesTest, CopyGivesEachDayItsOwnScheduleAndNeverTheCurrentDayItself)
{
    CopyForm form;
    EXPECT_FALSE(CopyTargetEnabled(form, 3, 3));
    EXPECT_TRUE(CopyTargetEnabled(form, 3, 4));
    form.source = NONE_CHECKED;
    CheckCopyForm(form);
    form = CopyForm{1, NONE_CHECKED, {}};
    CheckCopyForm(form);
    EXPECT_FALSE(CopyTargetEnabled(form, 3, 4));
    form.source = 0;
    EXPECT_EQ(CheckCopyForm(form), -1);
    EXPECT_EQ(RecordedCodes(), (Codes{1057, 1058, 1059}));

    record.Schedules[0] = {{8, 0, 0, 9, 0, 0, 1}};
    ChargesPage page;
    ASSERT_EQ(OpenChargesPage(record, context.frames, page), 0);
    form.targets[1] = form.targets[2] = true;
    ASSERT_EQ(ChargesCopy(page, context.frames, form), 0);
    ChargesSelectDay(page, context.frames, 1);
    ChargesDelete(page, context.frames);  // asks nothing
    EXPECT_TRUE(page.days[1].empty());
    EXPECT_EQ(page.days[2], record.Schedules[0]);
    ASSERT_EQ(ChargesCopy(page, context.frames, CopyForm{1, 0, {}}), 0);  // Monday from Sunday
    EXPECT_EQ(page.rows, record.Schedules[0]);
}

TEST_F(EditorPagesTest, ExceptionEntryRules)
{
    ExceptionsPage page = OpenExceptionsPage(record, context.frames);
    const struct {
        int day, month;
        const char* year;
        ErrorCode error;
    } cases[] = {{0, 0, "1899", 1045}, {0, 0, "x", 1045}, {0, NONE_CHECKED, "2026", 1046}, {NONE_CHECKED, 0, "2026", 1047}};
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        page.mode = PageMode::Edit;
        page.entry = {c.day, c.month, c.year, ADD_CAPTION};
        EXPECT_EQ(ExceptionsCommit(page, CommitForm::Button), -1) << c.year;
        EXPECT_EQ(ExceptionsCommit(page, CommitForm::Store), -1) << c.year;  // silently
        ASSERT_EQ(RecordedCodes(), Codes{c.error}) << c.year;
        if (c.error == 1045) {  // names the text as typed
            EXPECT_EQ(testsupport::RecordedErrors()[0].text.rfind(std::string(c.year) + " is", 0), 0u);
        }
    }
    for (const ExceptionEntryForm& e : {ExceptionEntryForm{0, 0, "1900", ""}, {30, 1, "2026", ""}, {24, 11, "02026", ""}}) {
        ExceptionsNew(page, 2026);
        page.entry = {e.day, e.month, e.year, ADD_CAPTION};
        ASSERT_EQ(ExceptionsCommit(page, CommitForm::Button), 0) << e.year;
    }
    EXPECT_EQ(page.lines, (std::vector<std::string>{"1 January 1900", "31 February 2026", "25 December 2026"}));
    ExceptionsEdit(page);  // the first line moves to the end
    page.entry.year = "2000";
    ASSERT_EQ(ExceptionsFields(page, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.DayExceptions, (std::vector<DayExceptionEntry>{{126, 1, 31}, {126, 11, 25}, {100, 0, 1}}));
    EXPECT_EQ(record.NumExceptions, 3);
}

TEST_F(EditorPagesTest, TheFrameForExceptionsIsCheckedEvenWithoutExceptions)
{
    ExceptionsPage page = OpenExceptionsPage(record, context.frames);
    ExceptionsEdit(page);
    ExceptionsDelete(page);
    page.frame = NONE_CHECKED;
    EXPECT_EQ(ExceptionsFields(page, context, FIELDS_CHECK), -1);
    EXPECT_EQ(RecordedCodes(), (Codes{1044, 1043, 1048}));
    record.NumExceptions = 5;
    ASSERT_EQ(ExceptionsFields(page, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.NumExceptions, 0);
    EXPECT_EQ(record.FrameForExceptions, 0);
}

} // namespace
