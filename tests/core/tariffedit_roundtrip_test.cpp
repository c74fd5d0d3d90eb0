// A tariff built through the ISP page and the four editor pages, saved and
// loaded again, equals the same tariff written by hand in the settings file.
#include <gtest/gtest.h>

#include "core/support.h"
#include "dialogs/dialogtable.h"
#include "platform/clock.h"
#include "platform/localtime.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"
#include "tariffedit/ispworkingcopy.h"
#include "tariffedit/tariffeditor.h"
#include "tariff_support.h"

namespace {

bool Yes(void*)
{
    return true;
}

// What the user does in the editor, page by page, then OK on the last page.
void BuildDemon(void*, TariffRecord& record, bool& changed, const char*)
{
    TariffEditor editor(record, changed);
    editor.convertFrameName = Yes;
    ASSERT_EQ(BeginTariffEditor(editor), 0);
    ASSERT_EQ(ShowEditorPage(editor, EDITOR_GENERAL), 0);
    editor.general.form = {"Demon", "30", ROUNDING_HALF, true, 0, 1, 14, "9.99", "1.5", 2, 0, true, "DemonDial"};
    ASSERT_EQ(LeaveEditorPage(editor, EDITOR_GENERAL), 0);

    ASSERT_EQ(ShowEditorPage(editor, EDITOR_FRAMES), 0);
    FramesPage& frames = editor.frames;
    FramesEdit(frames);
    frames.entry = {"Peak", "0.05", CHANGE_CAPTION};
    ASSERT_EQ(FramesCommit(frames, CommitForm::Button, Yes, nullptr), 0);
    FramesNew(frames);
    frames.entry = {"Off peak", "0.01", ADD_CAPTION};
    ASSERT_EQ(FramesCommit(frames, CommitForm::Button, Yes, nullptr), 0);
    ASSERT_EQ(LeaveEditorPage(editor, EDITOR_FRAMES), 0);

    ASSERT_EQ(ShowEditorPage(editor, EDITOR_CHARGES), 0);
    ChargesPage& charges = editor.charges;
    ASSERT_EQ(ChargesSelectDay(charges, editor.context.frames, 1), 0);
    ChargesNew(charges);
    charges.entry.times = {8, 0, 0, 18, 0, 0};
    ASSERT_EQ(ChargesCommit(charges, editor.context.frames, CommitForm::Button), 0);
    charges.form = {0, "0.10", "0", true};
    ASSERT_EQ(LeaveEditorPage(editor, EDITOR_CHARGES), 0);

    ASSERT_EQ(ShowEditorPage(editor, EDITOR_EXCEPTIONS), 0);
    ExceptionsNew(editor.exceptions, 2026);
    editor.exceptions.entry.day = 24;
    editor.exceptions.entry.month = 11;  // still pending at OK, which adds it
    ASSERT_EQ(LeaveEditorPage(editor, EDITOR_EXCEPTIONS), 0);

    ASSERT_EQ(ShowEditorPage(editor, EDITOR_GENERAL), 0);  // now with both frames to choose from
    editor.general.form.prepaidFrame = 1;
    ASSERT_EQ(ShowEditorPage(editor, EDITOR_CHARGES), 0);
    editor.charges.form.defaultFrame = 1;
    ASSERT_EQ(ShowEditorPage(editor, EDITOR_EXCEPTIONS), 0);
    editor.exceptions.frame = 1;
    ASSERT_EQ(TariffEditorOk(editor, EDITOR_EXCEPTIONS), 0);
}

class TariffEditRoundTripTest : public testsupport::ProgramDirTest {};

TEST_F(TariffEditRoundTripTest, ATariffBuiltInTheEditorLoadsAsTheSameTariffWrittenByHand)
{
    PinClock(testsupport::LocalInstant(2026, 3, 20, 12));
    WriteIni("[Global]\r\nActiveIDs=1\r\n");
    IspPageState page;
    OpenIspPage(page, Now());
    IspPageNew(page, Now(), BuildDemon, nullptr);
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(IspPageApply(page), 0);

    const std::string hand = (Dir() / "hand.ini").string();
    testsupport::WriteFileBytes(hand,
                                "[ISP2]\r\nDescription=Demon\r\nRasName=DemonDial\r\nSecsPerUnit=30\r\nRounding=1\r\n"
                                "PeriodToBill=0\r\nBillingDate=15\r\nPeriodicFee=9.99\r\nPrepaidMethod=2\r\n"
                                "PrepaidCharge=1.5\r\nPrepaidFrame=1\r\nOffsetsConnectCharge=1\r\nDefaultFrame=1\r\n"
                                "NumFrames=2\r\nFrame0=0.05,Peak\r\nFrame1=0.01,Off_peak\r\n"
                                "Mon0=08:00:00-18:00:00,0\r\nNumExceptions=1\r\nDayException0=2026/12/25\r\n"
                                "FrameForExceptions=1\r\nConnectCharge=0.1\r\nMinCharge=0\r\nTollFree=1\r\n");
    TariffRecord expected;
    ASSERT_EQ(LoadTariff(expected, "ISP2", ToLocalTime(Now()), hand), 0);
    expected.Id = 2;

    TariffTable table;
    ASSERT_EQ(LoadTariffTable(Now(), table), 0);
    ASSERT_EQ(table.Isps.size(), 2u);
    tarifftest::ExpectSameTariff(table.Isps[1], expected);
    EXPECT_EQ(IniValue("Global", "ActiveIDs"), "1,2");
}

TEST(TariffEditorTest, OkChecksTheActivePageFirstAndWritesNothingWhenItFails)
{
    TariffRecord record;
    record.NumFrames = 1;
    record.FrameNames = {"Peak"};
    bool changed = false;
    TariffEditor editor(record, changed);
    ASSERT_EQ(BeginTariffEditor(editor), 0);
    ASSERT_EQ(ShowEditorPage(editor, EDITOR_GENERAL), 0);
    ASSERT_EQ(ShowEditorPage(editor, EDITOR_CHARGES), 0);
    ChargesNew(editor.charges);
    editor.charges.entry.times = {8, 0, 0, 8, 0, 0};
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(TariffEditorOk(editor, EDITOR_CHARGES), -1);
    EXPECT_EQ(testsupport::RecordedCodes(), std::vector<ErrorCode>{1049});
    EXPECT_FALSE(changed);
    editor.charges.entry.times = {8, 0, 0, 9, 0, 0};
    ASSERT_EQ(TariffEditorOk(editor, EDITOR_CHARGES), 0);
    EXPECT_EQ(record.Schedules[0].size(), 1u);
    EXPECT_TRUE(changed);
}

} // namespace
