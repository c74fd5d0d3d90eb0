// The ISP page's working copy: what New, Edit, Delete, Set as default,
// Import, Export, OK and Cancel do to the list and to tolvane.ini; and the
// editor run over its four pages on a new ISP, saved as the settings file
// expects it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/support.h"
#include "dialogs/dialogtable.h"
#include "platform/clock.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariff/tariffstore.h"
#include "tariffedit/ispworkingcopy.h"
#include "tariffedit/tariffeditor.h"

using testsupport::RecordedCodes;
using Codes = std::vector<ErrorCode>;

namespace {

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
    EXPECT_EQ(page.table.Isps.back().SecsPerUnit, 60);
    EXPECT_EQ(Global(), "1,3|2|7");  // taken at once
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    IspPageImported(page, Named("Other"), false, true, [](void*) { return false; }, nullptr);
    IspPageImported(page, Named("Telco"), false, true, [](void*) { return true; }, nullptr);
    SelectIspLine(page, 1);
    IspPageImported(page, Named("Demon"), true, false, nullptr, nullptr);
    IspPageImported(page, Named("Beta"), false, false, nullptr, nullptr);
    EXPECT_EQ(Lines(), "Telco=0 Demon=1 ISP3=3 Zen=4 Beta=5 4");
    EXPECT_EQ(Global(), "1,3,4,5|2|7");
    EXPECT_TRUE(page.changed);

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
    SelectIspLine(page, 0);
    SelectIspLine(page, 1);
    EXPECT_EQ(Lines(), "BT=0 ISP2=2 1");
    IspPageDelete(page);
    EXPECT_EQ(Lines(), "BT=0 0");
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
    EXPECT_TRUE(page.changed);
    ASSERT_EQ(page.table.Isps.size(), 2u);
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(IniValue("ISP2", "Description"), "Zen");
    SetProfileBackend(&savedBackend);
}

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
    editor.exceptions.entry = {24, 11, "x", ADD_CAPTION};
    editor.exceptions.frame = 1;
    ASSERT_EQ(TariffEditorOk(editor, active), -1);  // the active page is checked first; nothing is stored
    EXPECT_FALSE(changed);
    editor.exceptions.entry.year = "2026";  // still pending at OK, which adds it
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
              "PrepaidFrame=0\nOffsetsConnectCharge=1\nDefaultFrame=0\nNumFrames=2\nFrame0=0.050000,Peak\n"
              "Frame1=0.010000,Off_peak\nMon0=08:00:00-18:00:00,0\nNumExceptions=1\nDayException0=2026/12/25\n"
              "FrameForExceptions=1\nConnectCharge=0.100000\nMinCharge=0.000000\nTollFree=1\n");
}

} // namespace
