// The ISP editor's pages as forms: each refusal, the defaults storing puts
// in place of bad values, the frame list the pages share and what deleting
// a frame does to the other pages. The ISP page's working copy: what New,
// Edit, Delete, Set as default, Import, Export, OK and Cancel do to the list
// and to tolvane.ini; and the editor run over its four pages on a new ISP,
// saved as the settings file expects it.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/support.h"
#include "dialogs/dialogtable.h"
#include "platform/clock.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"
#include "tariffedit/chargespage.h"
#include "tariffedit/exceptionspage.h"
#include "tariffedit/framespage.h"
#include "tariffedit/ispgeneral.h"
#include "tariffedit/ispworkingcopy.h"
#include "tariffedit/tariffeditor.h"

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
    const TariffRecord& r = record;
    const struct { const char* name; std::function<void(IspGeneralForm&)> general;
                   std::function<void(ChargesForm&)> charges; ErrorCode error; std::function<bool()> stored; }
    cases[] = {
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
    FramesEdit(frames);  // Change of the first row
    frames.entry.name = "a b";
    EXPECT_EQ(FramesCommit(frames, CommitForm::Button, No, nullptr), -1);  // No to the conversion
    EXPECT_EQ(FramesCommit(frames, CommitForm::Button, Yes, nullptr), 0);
    EXPECT_EQ(frames.rows[0].name, "a_b");

    frames.selected = 1;
    FramesDelete(frames, No, nullptr);
    FramesDelete(frames, Yes, nullptr);
    EXPECT_EQ(frames.rows[1].name, "Night");

    FramesNew(frames);  // leaving with a pending entry checks it and keeps it pending; OK converts it unasked
    frames.entry = {"Week,end", "0.01", ADD_CAPTION};
    ASSERT_EQ(FramesFields(frames, context, FIELDS_CHECK, Yes, nullptr), 0);
    EXPECT_EQ(context.frames.count(), 4);
    EXPECT_EQ(frames.entry.name, "Week,end");
    ASSERT_EQ(FramesFields(frames, context, FIELDS_STORE, No, nullptr), 0);
    EXPECT_EQ(record.FrameNames.back(), "Week_end");
    EXPECT_EQ(record.NumFrames, 5);
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
    record.DefaultFrame = record.PrepaidFrame = 2;
    record.PrepaidMethod = PREPAID_DAILY_IN_FRAME;
    record.FrameForExceptions = 1;
    record.Schedules[1] = {{8, 0, 0, 9, 0, 0, 1}, {9, 0, 0, 10, 0, 0, 2}};
    record.Schedules[2] = {{8, 0, 0, 9, 0, 0, 2}};
    SetUp();
    ASSERT_EQ(ChargesSelectDay(charges, context.frames, 1), 0);
    frames.selected = 1;
    FramesDelete(frames, Yes, nullptr);
    ASSERT_EQ(FramesFields(frames, context, FIELDS_CHECK, nullptr, nullptr), 0);

    GeneralPageActivated(general, context.frames);
    ChargesPageActivated(charges, context.frames);
    ExceptionsPageActivated(exceptions, context.frames);
    EXPECT_EQ(std::vector<int>({general.form.prepaidFrame, charges.form.defaultFrame, exceptions.frame}),
              std::vector<int>({0, 0, 1}));
    EXPECT_EQ(ScheduleRowTexts(charges.rows[0], context.frames).frame + " " +
                  ScheduleRowTexts(charges.rows[1], context.frames).frame, "Night Peak");

    ASSERT_EQ(ChargesFields(charges, context, FIELDS_STORE), 0);
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

    exceptions.lines.clear();  // without exceptions the frame is still stored
    exceptions.frame = NONE_CHECKED;
    record.NumExceptions = 5;
    ASSERT_EQ(ExceptionsFields(exceptions, context, FIELDS_STORE), 0);
    EXPECT_EQ(record.NumExceptions + record.FrameForExceptions, 0);
    EXPECT_TRUE(RecordedCodes().empty());
}

class IspPageTest : public testsupport::ProgramDirTest {
protected:
    void Open(const std::string& global, const std::string& rest = "")
    {
        PinClock(testsupport::LocalInstant(2026, 3, 20, 12));
        WriteIni("[Global]\r\n" + global + rest);
        OpenIspPage(page, Now());
        testsupport::ClearRecordedErrors();
    }
    // Each line as "text=id", then the selected line, "*" when "Set as default" is checked.
    std::string Lines() const
    {
        std::string s;
        for (const IspLine& line : page.lines)
            s += line.text + "=" + std::to_string(line.id) + " ";
        return s + std::to_string(page.selected) + (page.defaultChecked ? "*" : "");
    }
    // ActiveIDs, ReservedIDs and DefaultISP.
    std::string Global()
    {
        ProfileFlush(IniFilePath);
        return IniValues("Global", {"ActiveIDs", "ReservedIDs", "DefaultISP"});
    }
    IspPageState page;
};

// The editor: owner names the new Description, or null for Cancel.
void Editor(void* owner, TariffRecord& record, bool& changed, const char*)
{
    if (owner) {
        record.Description = static_cast<const char*>(owner);
        changed = true;
    }
}

TariffRecord Named(const char* description)
{
    TariffRecord r;
    r.Description = description;
    return r;
}

TEST_F(IspPageTest, OperationsWithoutASuitableLineAreRefusedAndChangeNothing)
{
    using Op = std::function<void(IspPageState&)>;
    const Op edit = [](IspPageState& p) { IspPageEdit(p, Editor, const_cast<char*>("Never")); };
    const Op remove = [](IspPageState& p) { IspPageDelete(p); };
    const Op setDefault = [](IspPageState& p) { IspPageSetDefault(p, true); };
    const Op replace = [](IspPageState& p) { IspPageImported(p, Named("X"), true, false, nullptr, nullptr); };
    const Op exportIt = [](IspPageState& p) {
        bool phone = false;
        EXPECT_EQ(IspPageExportRecord(p, phone), nullptr);
    };
    const struct { int line; Op op; ErrorCode error; } cases[] = {
        {-1, edit, 1025},       {-1, remove, 1013},  {0, remove, 1012},  {-1, setDefault, 1026},
        {0, setDefault, 1014},  {-1, replace, 1062}, {0, replace, 1063}, {-1, exportIt, 1061},
    };
    for (const auto& c : cases) {
        Open("ActiveIDs=1,2\r\nDefaultISP=1\r\n");
        SelectIspLine(page, c.line);
        const std::string before = Lines();
        c.op(page);
        EXPECT_EQ(RecordedCodes(), Codes{c.error});
        EXPECT_EQ(Lines(), before) << c.error;
        EXPECT_FALSE(page.changed) << c.error;
    }
}

// New keeps its record even when the editor is cancelled; an import replaces
// the Phone entry (after Yes) or the selected ISP, or is appended; Cancel of
// the sheet frees every number they took.
TEST_F(IspPageTest, NewAndImportAddToTheListAndCancelFreesTheirNumbers)
{
    Open("ActiveIDs=1\r\nReservedIDs=2\r\nDefaultISP=7\r\n");
    EXPECT_EQ(Lines(), "Phone=0 ISP1=1 1");  // a default not in the list
    IspPageNew(page, Now(), Editor, nullptr);
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    IspPageImported(page, Named("Other"), false, true, [](void*) { return false; }, nullptr);
    IspPageImported(page, Named("Telco"), false, true, [](void*) { return true; }, nullptr);
    SelectIspLine(page, 1);
    IspPageImported(page, Named("Demon"), true, false, nullptr, nullptr);
    IspPageImported(page, Named("Beta"), false, false, nullptr, nullptr);
    EXPECT_EQ(Lines(), "Telco=0 Demon=1 ISP3=3 Zen=4 Beta=5 4");
    EXPECT_EQ(Global(), "1,3,4,5|2|7");  // taken at once

    IspPageCancel(page);
    EXPECT_EQ(Global(), "1|2|7");
    EXPECT_EQ(IniValue("ISP4", "Description"), "<none>");
}

TEST_F(IspPageTest, EditDeleteAndTheDefaultAreSavedByOk)
{
    Open("ActiveIDs=1,2,3\r\nDefaultISP=3\r\n", "[ISP3]\r\nDescription=Demon\r\n");
    EXPECT_TRUE(page.loaded);
    EXPECT_EQ(Lines(), "Phone=0 ISP1=1 ISP2=2 Demon=3 3*");  // the Phone line first, the default selected
    SelectIspLine(page, 0);
    IspPageEdit(page, Editor, nullptr);
    EXPECT_FALSE(page.changed);
    IspPageEdit(page, Editor, const_cast<char*>("BT"));  // only an editor that wrote replaces the line
    EXPECT_EQ(page.table.Phone.Description, "BT");
    SelectIspLine(page, 3);  // the last line, the default ISP
    IspPageDelete(page);
    EXPECT_EQ(Lines(), "BT=0 ISP1=1 ISP2=2 2");
    SelectIspLine(page, 1);
    IspPageDelete(page);
    EXPECT_EQ(Lines(), "BT=0 ISP2=2 1");
    IspPageSetDefault(page, true);
    EXPECT_EQ(Lines(), "BT=0 ISP2=2 1*");
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_FALSE(page.changed);
    EXPECT_EQ(Global(), "2|1,3|2");

    OpenIspPage(page, Now());
    IspPageSetDefault(page, false);
    IspPageDelete(page);
    EXPECT_EQ(Lines(), "BT=0 0");  // no default: not even the Phone line is ticked
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(Global(), "<none>|1,3,2|<none>");
}

TEST_F(IspPageTest, AFailedSaveKeepsTheWorkingCopyForAnotherTry)
{
    // Our own writer on every platform: its file writes are the ones a test can fail.
    const ProfileBackend& savedBackend = CurrentProfileBackend();
    SetProfileBackend(&IniProfileBackend);
    Open("ActiveIDs=1\r\n");
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    const FileOps& saved = CurrentFileOps();
    FileOps full = saved;
    full.writeAll = [](std::FILE*, const void*, std::size_t) { return -1; };
    SetFileOps(&full);
    EXPECT_EQ(IspPageApply(page), -1);
    EXPECT_EQ(SaveTariff(page.table.Isps[1], "ISP2", IniFilePath), -1);  // as an export saves its entry
    SetFileOps(&saved);
    EXPECT_EQ(RecordedCodes(), (Codes{115, 115}));
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(IniValue("ISP2", "Description"), "Zen");
    SetProfileBackend(&savedBackend);
}

// Leaves the active page for another, as a click on its tab does.
void Switch(TariffEditor& editor, EditorPage& active, EditorPage next)
{
    ASSERT_EQ(LeaveEditorPage(editor, active), 0);
    ASSERT_EQ(ShowEditorPage(editor, next), 0);
    active = next;
}

// What the user does in the editor, page by page, then OK on the last page.
void BuildDemon(void*, TariffRecord& record, bool& changed, const char*)
{
    TariffEditor editor(record, changed);
    editor.convertFrameName = Yes;
    ASSERT_EQ(BeginTariffEditor(editor), 0);
    EditorPage active = EDITOR_GENERAL;
    ASSERT_EQ(ShowEditorPage(editor, active), 0);
    editor.general.form = {"Demon", "30", ROUNDING_HALF, true, 0, 1, 14, "9.99", "1.5", 2, 0, true, "DemonDial"};

    Switch(editor, active, EDITOR_FRAMES);
    FramesEdit(editor.frames);
    editor.frames.entry = {"Peak", "0.05", CHANGE_CAPTION};
    ASSERT_EQ(FramesCommit(editor.frames, CommitForm::Button, Yes, nullptr), 0);
    FramesNew(editor.frames);
    editor.frames.entry = {"Off peak", "0.01", ADD_CAPTION};
    ASSERT_EQ(FramesCommit(editor.frames, CommitForm::Button, Yes, nullptr), 0);

    Switch(editor, active, EDITOR_CHARGES);
    ASSERT_EQ(ChargesSelectDay(editor.charges, editor.context.frames, 1), 0);
    ChargesNew(editor.charges);
    editor.charges.entry.times = {8, 0, 0, 18, 0, 0};
    ASSERT_EQ(ChargesCommit(editor.charges, editor.context.frames, CommitForm::Button), 0);
    editor.charges.form = {0, "0.10", "0", true};

    Switch(editor, active, EDITOR_EXCEPTIONS);
    ExceptionsNew(editor.exceptions, 2026);
    editor.exceptions.entry.day = 24;
    editor.exceptions.entry.month = 11;  // still pending at OK, which adds it

    Switch(editor, active, EDITOR_GENERAL);  // now with both frames to choose from
    editor.general.form.prepaidFrame = 1;
    Switch(editor, active, EDITOR_CHARGES);
    editor.charges.form.defaultFrame = 1;
    Switch(editor, active, EDITOR_EXCEPTIONS);
    editor.exceptions.frame = 1;
    editor.exceptions.entry.year = "x";  // OK checks the active page first and stores nothing while it refuses
    ASSERT_EQ(TariffEditorOk(editor, active), -1);
    EXPECT_FALSE(changed);
    editor.exceptions.entry.year = "2026";
    ASSERT_EQ(TariffEditorOk(editor, active), 0);
}

TEST_F(IspPageTest, ATariffBuiltInTheEditorIsSavedWithEveryKey)
{
    Open("ActiveIDs=1\r\n");
    IspPageNew(page, Now(), BuildDemon, nullptr);
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(RecordedCodes(), Codes{1045});
    EXPECT_EQ(Global(), "1,2|<none>|1");
    const std::string text = testsupport::ReadText(IniFilePath);
    const std::size_t start = text.find("[ISP2]\n");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(text.substr(start, text.find("\n[", start) - start + 1),
              "[ISP2]\nDescription=Demon\nRasName=DemonDial\nSecsPerUnit=30\nRounding=1\nAccumulateBeforeRounding=0\n"
              "PeriodToBill=0\nBillingDate=15\nPeriodicFee=9.990000\nPrepaidMethod=2\nPrepaidCharge=1.500000\n"
              "PrepaidFrame=1\nOffsetsConnectCharge=1\nDefaultFrame=1\nNumFrames=2\nFrame0=0.050000,Peak\n"
              "Frame1=0.010000,Off_peak\nMon0=08:00:00-18:00:00,0\nNumExceptions=1\nDayException0=2026/12/25\n"
              "FrameForExceptions=1\nConnectCharge=0.100000\nMinCharge=0.000000\nTollFree=1\n");
}

} // namespace
