// The ISP editor as one run over its four pages: a tariff built through the
// ISP page and every editor page is saved as the settings file expects it,
// and OK refuses while the active page does.
#include <gtest/gtest.h>

#include "core/support.h"
#include "dialogs/dialogtable.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariffedit/ispworkingcopy.h"
#include "tariffedit/tariffeditor.h"

namespace {

bool Yes(void*)
{
    return true;
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
    ASSERT_EQ(TariffEditorOk(editor, active), 0);
}

class TariffEditorTest : public testsupport::ProgramDirTest {};

TEST_F(TariffEditorTest, ATariffBuiltInTheEditorIsSavedWithEveryKey)
{
    PinClock(testsupport::LocalInstant(2026, 3, 20, 12));
    WriteIni("[Global]\r\nActiveIDs=1\r\n");
    IspPageState page;
    OpenIspPage(page, Now());
    IspPageNew(page, Now(), BuildDemon, nullptr);
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(IspPageApply(page), 0);

    const std::string text = testsupport::ReadText(IniFilePath);
    const std::size_t start = text.find("[ISP2]\n");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(text.substr(start, text.find("\n[", start) - start + 1),
              "[ISP2]\nDescription=Demon\nRasName=DemonDial\nSecsPerUnit=30\nRounding=1\nAccumulateBeforeRounding=0\n"
              "PeriodToBill=0\nBillingDate=15\nPeriodicFee=9.990000\nPrepaidMethod=2\nPrepaidCharge=1.500000\n"
              "PrepaidFrame=1\nOffsetsConnectCharge=1\nDefaultFrame=1\nNumFrames=2\nFrame0=0.050000,Peak\n"
              "Frame1=0.010000,Off_peak\nMon0=08:00:00-18:00:00,0\nNumExceptions=1\nDayException0=2026/12/25\n"
              "FrameForExceptions=1\nConnectCharge=0.100000\nMinCharge=0.000000\nTollFree=1\n");
    EXPECT_EQ(IniValue("Global", "ActiveIDs"), "1,2");
}

TEST(TariffEditorOkTest, OkChecksTheActivePageFirstAndWritesNothingWhenItFails)
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
