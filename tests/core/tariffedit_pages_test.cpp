// The ISP editor's pages as forms: each refusal, the defaults storing puts
// in place of bad values, the frame list the pages share and what deleting
// a frame does to the other pages.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <tuple>
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

// The four pages opened on a record of three frames.
class EditorPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        record.NumFrames = 3;
        record.FrameNames = {"Peak", "Evening", "Night"};
        record.FrameCharges = {0.05, 0.02, 0.01};
        record.Schedules[0] = {{8, 0, 0, 9, 0, 0, 1}};
        MakeWorkingFrameList(record, context.frames);
        general = OpenIspGeneralPage(record, context.frames);
        frames = OpenFramesPage(record);
        ASSERT_EQ(OpenChargesPage(record, context.frames, charges), 0);
        exceptions = OpenExceptionsPage(record, context.frames);
        testsupport::ClearRecordedErrors();
    }
    TariffRecord record;
    bool changed = false;
    EditorContext context{record, changed, {}};
    IspGeneralPage general;
    FramesPage frames;
    ChargesPage charges;
    ExceptionsPage exceptions;
};

// The General and Charges pages: checking reports the first problem (or
// passes), storing passes silently and puts the default in place.
TEST_F(EditorPagesTest, FormRulesReportWhenCheckingAndTakeDefaultsWhenStoring)
{
    using General = std::function<void(IspGeneralForm&)>;
    using Charges = std::function<void(ChargesForm&)>;
    const TariffRecord& r = record;
    const struct {
        const char* name;
        General general;
        Charges charges;
        ErrorCode error;
        std::function<bool()> stored;
    } cases[] = {
        {"no name", [](auto& f) { f.name.clear(); }, {}, 1027, [&] { return r.Description == "Unspecified ISP"; }},
        {"no unit", [](auto& f) { f.secsPerUnit.clear(); }, {}, 1028, [&] { return r.SecsPerUnit == 60; }},
        {"negative unit", [](auto& f) { f.secsPerUnit = "-5"; }, {}, 1028, [&] { return r.SecsPerUnit == 60; }},
        {"unit 0", [](auto& f) { f.secsPerUnit = "0"; }, {}, 0, [&] { return r.SecsPerUnit == 0; }},
        {"no rounding", [](auto& f) { f.rounding = NONE_CHECKED; }, {}, 1029, [&] { return r.Rounding == 0; }},
        {"no period", [](auto& f) { f.period = NONE_CHECKED; }, {}, 1030, [&] { return r.PeriodToBill == 0; }},
        {"weekly", [](auto& f) { f.period = 1; }, {}, 0, [&] { return r.PeriodToBill == 1 && r.BillingDate == 0; }},
        {"no billing", [](auto& f) { f.billing = NONE_CHECKED; }, {}, 1031, [&] { return r.BillingDate == 0; }},
        {"no billing day", [](auto& f) { f.billingDay = NONE_CHECKED; }, {}, 1031, [&] { return r.BillingDate == 0; }},
        {"day 31", [](auto& f) { f.billingDay = 30; }, {}, 0, [&] { return r.BillingDate == 31; }},
        {"no fee", [](auto& f) { f.fee.clear(); }, {}, 1072, [&] { return r.PeriodicFee == 0.0; }},
        {"negative fee", [](auto& f) { f.fee = "-3"; }, {}, 0, [&] { return r.PeriodicFee == -3.0; }},
        {"no prepaid", [](auto& f) { f.prepaid.clear(); }, {}, 1032, [&] { return r.PrepaidCharge == 0.0; }},
        {"negative prepaid", [](auto& f) { f.prepaid = "-1"; }, {}, 1032, [&] { return r.PrepaidCharge == 0.0; }},
        {"no frame", [](auto& f) { f.prepaidFrame = NONE_CHECKED; }, {}, 1033, [&] { return r.PrepaidFrame == 0; }},
        {"frame gone", [](auto& f) { f.prepaidFrame = 3; }, {}, 1035, [&] { return r.PrepaidFrame == 0; }},
        {"no method", [](auto& f) { f.prepaidMethod = NONE_CHECKED; }, {}, 1034, [&] { return r.PrepaidMethod == 0; }},
        {"no method, no prepaid", [](auto& f) { f.prepaidMethod = NONE_CHECKED; f.prepaid = "0"; }, {}, 0,
         [&] { return r.PrepaidMethod == 0 && r.PrepaidFrame == 0; }},
        {"no default", {}, [](auto& f) { f.defaultFrame = NONE_CHECKED; }, 1054, [&] { return r.DefaultFrame == 0; }},
        {"connect < 0", {}, [](auto& f) { f.connectCharge = "-0.1"; }, 1055, [&] { return r.ConnectCharge == 0.0; }},
        {"no minimum", {}, [](auto& f) { f.minCharge.clear(); }, 1056, [&] { return r.MinCharge == 0.0; }},
    };
    for (const auto& c : cases) {
        IspGeneralForm form{"Zen", "30", 2, false, 0, 1, 14, "9.99", "1.50", 2, 2, true, "ZenDial"};
        charges.form = {2, "0.10", "0.25", true};
        c.general ? c.general(form) : c.charges(charges.form);
        const auto fields = [&](int mode) {
            return c.general ? IspGeneralFields(form, context, mode) : ChargesFields(charges, context, mode);
        };
        testsupport::ClearRecordedErrors();
        EXPECT_EQ(fields(FIELDS_CHECK), c.error ? -1 : 0) << c.name;
        EXPECT_EQ(fields(FIELDS_STORE), 0) << c.name;
        EXPECT_EQ(RecordedCodes(), c.error ? Codes{c.error} : Codes{}) << c.name;
        EXPECT_TRUE(c.stored() && changed) << c.name;
        changed = false;
    }
}

// Each refusal of an entry's button, a list operation or the Copy dialog.
TEST_F(EditorPagesTest, EntryListAndCopyRefusals)
{
    const auto frame = [&](const char* name, const char* charge, const char* caption) {
        frames.entry = {name, charge, caption};
        EXPECT_EQ(FramesCommit(frames, CommitForm::Button, Yes, nullptr), -1);
    };
    const auto schedule = [&](std::array<int, 6> times, int frameChosen) {
        charges.entry = {times, frameChosen, ADD_CAPTION};
        EXPECT_EQ(ChargesCommit(charges, context.frames, CommitForm::Button), -1);
    };
    const auto exception = [&](int day, int month, const char* year) {
        exceptions.entry = {day, month, year, ADD_CAPTION};
        EXPECT_EQ(ExceptionsCommit(exceptions, CommitForm::Button), -1);
        EXPECT_EQ(ExceptionsCommit(exceptions, CommitForm::Store), -1);  // silently
    };
    const auto copy = [](CopyForm form) { EXPECT_EQ(CheckCopyForm(form), -1); };
    const struct { const char* what; std::function<void()> act; ErrorCode error; } cases[] = {
        {"negative charge", [&] { frame("Day", "-1", ADD_CAPTION); }, 1038},
        {"no frame name", [&] { frame("", "0.5", ADD_CAPTION); }, 1039},
        {"unreadable button", [&] { frame("Day", "0.5", ""); }, 1040},
        {"Change, no frame", [&] { frame("Day", "0.5", CHANGE_CAPTION); }, 1036},
        {"edit, no frame", [&] { FramesEdit(frames); }, 1037},
        {"delete, no frame", [&] { FramesDelete(frames, Yes, nullptr); }, 1042},
        {"the last frame", [&] {
             frames.rows.resize(1);
             FramesDelete(frames, Yes, nullptr);
         }, 1041},
        {"no start hour", [&] { schedule({NONE_CHECKED, 0, 0, 9, 0, 0}, 0); }, 1049},
        {"empty", [&] { schedule({8, 0, 0, 8, 0, 0}, 0); }, 1049},
        {"no frame", [&] { schedule({8, 0, 0, 9, 0, 0}, NONE_CHECKED); }, 1050},
        {"gone frame", [&] { schedule({8, 0, 0, 9, 0, 0}, 3); }, 1050},
        {"edit, no entry", [&] { ChargesEdit(charges); }, 1053},
        {"delete, no entry", [&] { ChargesDelete(charges, context.frames); }, 1052},
        {"copy, no source", [&] { copy({NONE_CHECKED, 0, {true}}); }, 1057},
        {"copy, no other day", [&] { copy({1, NONE_CHECKED, {}}); }, 1058},
        {"copy, no target", [&] { copy({0, 0, {}}); }, 1059},
        {"year 1899", [&] { exception(0, 0, "1899"); }, 1045},
        {"no year", [&] { exception(0, 0, "x"); }, 1045},
        {"no month", [&] { exception(0, NONE_CHECKED, "2026"); }, 1046},
        {"no day", [&] { exception(NONE_CHECKED, 0, "2026"); }, 1047},
        {"edit, no exception", [&] { ExceptionsEdit(exceptions); }, 1044},
        {"delete, no exception", [&] { ExceptionsDelete(exceptions); }, 1043},
        {"no frame for exceptions", [&] {
             exceptions.frame = NONE_CHECKED;
             EXPECT_EQ(ExceptionsFields(exceptions, context, FIELDS_CHECK), -1);
         }, 1048},
    };
    frames.selected = charges.selected = exceptions.selected = -1;
    for (const auto& c : cases) {
        testsupport::ClearRecordedErrors();
        c.act();
        EXPECT_EQ(RecordedCodes(), Codes{c.error}) << c.what;
    }
    exception(0, 0, "x");  // the year as typed is named
    EXPECT_EQ(testsupport::RecordedErrors().back().text.rfind("x is", 0), 0u);
}

TEST_F(EditorPagesTest, FramesStoreDefaultsConvertNamesAndAskBeforeDeleting)
{
    const auto store = [&](const char* name, const char* charge) {
        frames.entry = {name, charge, ADD_CAPTION};
        EXPECT_EQ(FramesCommit(frames, CommitForm::Store, No, nullptr), 0);
        return frames.rows.back().name + " " + frames.rows.back().charge;
    };
    EXPECT_EQ(store("Day", "-1"), "Day 0.000000");
    EXPECT_EQ(store("", "0.5"), "Unspecified_frame 0.500000");
    EXPECT_EQ(store("Off peak,x", "0.05"), "Off_peak_x 0.050000");  // converted without asking
    FramesEdit(frames);  // Change of the first row
    frames.entry.name = "a b";
    EXPECT_EQ(FramesCommit(frames, CommitForm::Button, No, nullptr), -1);  // No to the conversion
    EXPECT_EQ(FramesCommit(frames, CommitForm::Button, Yes, nullptr), 0);
    EXPECT_EQ(frames.rows[0].name, "a_b");

    frames.selected = 1;
    FramesDelete(frames, No, nullptr);
    EXPECT_EQ(frames.rows.size(), 6u);
    FramesDelete(frames, Yes, nullptr);
    EXPECT_EQ(frames.rows[1].name, "Night");

    FramesNew(frames);  // leaving with a pending entry checks it and keeps it pending
    frames.entry = {"Week,end", "0.01", ADD_CAPTION};
    ASSERT_EQ(FramesFields(frames, context, FIELDS_CHECK, Yes, nullptr), 0);
    EXPECT_EQ(context.frames.count(), 5);
    EXPECT_EQ(frames.entry.name, "Week,end");
    ASSERT_EQ(FramesFields(frames, context, FIELDS_STORE, No, nullptr), 0);
    EXPECT_EQ(record.FrameNames.back(), "Week_end");
    EXPECT_EQ(record.NumFrames, 6);
    EXPECT_TRUE(RecordedCodes().empty());
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

TEST_F(EditorPagesTest, ADeletedFramesPositionGoesToTheNextFrameAndPositionsBeyondToTheFirst)
{
    record.DefaultFrame = 2;
    record.PrepaidMethod = PREPAID_DAILY_IN_FRAME;
    record.PrepaidFrame = 2;
    record.FrameForExceptions = 1;
    record.Schedules[1] = {{8, 0, 0, 9, 0, 0, 1}, {9, 0, 0, 10, 0, 0, 2}};
    record.Schedules[2] = {{8, 0, 0, 9, 0, 0, 2}};
    SetUp();
    ASSERT_EQ(ChargesSelectDay(charges, context.frames, 1), 0);
    frames.selected = 1;
    FramesDelete(frames, Yes, nullptr);
    ASSERT_EQ(FramesFields(frames, context, FIELDS_CHECK, nullptr, nullptr), 0);
    EXPECT_EQ(context.frames.names, (std::vector<std::string>{"Peak", "Night"}));

    GeneralPageActivated(general, context.frames);
    ChargesPageActivated(charges, context.frames);
    ExceptionsPageActivated(exceptions, context.frames);
    EXPECT_EQ(std::vector<int>({general.form.prepaidFrame, charges.form.defaultFrame, exceptions.frame}),
              std::vector<int>({0, 0, 1}));
    EXPECT_EQ(ScheduleRowTexts(charges.rows[0], context.frames).frame, "Night");
    EXPECT_EQ(ScheduleRowTexts(charges.rows[1], context.frames).frame, "Peak");

    ASSERT_EQ(IspGeneralFields(general.form, context, FIELDS_STORE), 0);
    ASSERT_EQ(ChargesFields(charges, context, FIELDS_STORE), 0);
    ASSERT_EQ(FramesFields(frames, context, FIELDS_STORE, nullptr, nullptr), 0);
    ASSERT_EQ(ExceptionsFields(exceptions, context, FIELDS_STORE), 0);
    EXPECT_EQ(std::vector<int>({record.PrepaidFrame, record.DefaultFrame, record.FrameForExceptions}),
              std::vector<int>({0, 0, 1}));
    EXPECT_EQ(record.Schedules[1], (std::vector<ScheduleEntry>{{8, 0, 0, 9, 0, 0, 1}, {9, 0, 0, 10, 0, 0, 0}}));
    EXPECT_EQ(record.Schedules[2][0].Frame, 0);  // a day not shown again
}

TEST_F(EditorPagesTest, SchedulesAddKeepPendingAndCopyEachDayItsOwn)
{
    ChargesSelectDay(charges, context.frames, 1);
    ChargesNew(charges);
    charges.entry = {{0, 0, 0, 23, 59, 59}, 2, ADD_CAPTION};
    ASSERT_EQ(ChargesCommit(charges, context.frames, CommitForm::Button), 0);
    ChargesNew(charges);  // 00:00:00 to 00:00:00: OK drops it
    ASSERT_EQ(ChargesFields(charges, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.Schedules[1], (std::vector<ScheduleEntry>{{0, 0, 0, 23, 59, 59, 2}}));

    ChargesNew(charges);
    charges.entry.times = {5, 0, 0, 6, 0, 0};
    ASSERT_EQ(ChargesFields(charges, context, FIELDS_CHECK), 0);  // leaving keeps it pending
    EXPECT_EQ(charges.rows.size(), 1u);
    ASSERT_EQ(ChargesCommit(charges, context.frames, CommitForm::Button), 0);
    EXPECT_EQ(charges.days[1].back().StartHour, 5);  // after the later entry

    CopyForm form{0, 0, {}};
    EXPECT_FALSE(CopyTargetEnabled(form, 3, 3));  // never the current day itself
    EXPECT_TRUE(CopyTargetEnabled(form, 3, 4));
    ChargesSelectDay(charges, context.frames, 0);
    form.targets[1] = form.targets[2] = true;
    ASSERT_EQ(ChargesCopy(charges, context.frames, form), 0);
    ChargesSelectDay(charges, context.frames, 1);
    ChargesDelete(charges, context.frames);  // asks nothing
    EXPECT_TRUE(charges.days[1].empty());
    ASSERT_EQ(ChargesCopy(charges, context.frames, CopyForm{1, 0, {}}), 0);  // Monday from Sunday
    EXPECT_EQ(charges.rows, record.Schedules[0]);
    ASSERT_EQ(ChargesFields(charges, context, FIELDS_STORE), 0);  // every day stored, not only Monday
    EXPECT_EQ(record.Schedules[2], record.Schedules[0]);
    EXPECT_FALSE(CopyTargetEnabled(CopyForm{1, 0, {}}, 3, 4));
}

TEST_F(EditorPagesTest, ExceptionsAreListedAsDatesAndAChangedOneMovesToTheEnd)
{
    for (const auto& [day, month, year] : {std::tuple{0, 0, "1900"}, {30, 1, "2026"}, {24, 11, "02026"}}) {
        ExceptionsNew(exceptions, 2026);
        exceptions.entry = {day, month, year, ADD_CAPTION};
        ASSERT_EQ(ExceptionsCommit(exceptions, CommitForm::Button), 0) << year;
    }
    EXPECT_EQ(exceptions.lines, (std::vector<std::string>{"1 January 1900", "31 February 2026", "25 December 2026"}));
    ExceptionsEdit(exceptions);
    exceptions.entry.year = "2000";
    ASSERT_EQ(ExceptionsFields(exceptions, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.DayExceptions, (std::vector<DayExceptionEntry>{{126, 1, 31}, {126, 11, 25}, {100, 0, 1}}));
    EXPECT_EQ(record.NumExceptions, 3);

    exceptions.lines.clear();  // without exceptions the frame is still stored
    exceptions.frame = NONE_CHECKED;
    record.NumExceptions = 5;
    ASSERT_EQ(ExceptionsFields(exceptions, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.NumExceptions + record.FrameForExceptions, 0);
    EXPECT_TRUE(RecordedCodes().empty());
}

} // namespace
