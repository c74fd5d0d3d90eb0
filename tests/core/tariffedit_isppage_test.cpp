// The ISP page's working copy: what New, Edit, Delete, Set as default,
// Import, OK and Cancel do to the list and to tolvane.ini.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/support.h"
#include "platform/clock.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariffedit/ispworkingcopy.h"

using testsupport::RecordedCodes;

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
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const IspLine& line : page.lines)
            texts.push_back(line.text + "=" + std::to_string(line.id));
        return texts;
    }
    std::string Global(const char* key)
    {
        ProfileFlush(IniFilePath);
        return IniValue("Global", key);
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

TEST_F(IspPageTest, OpensWithThePhoneLineFirstAndTheDefaultSelected)
{
    Open("ActiveIDs=1,3\r\nDefaultISP=3\r\n", "[ISP3]\r\nDescription=Demon\r\n");
    EXPECT_TRUE(page.loaded);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Phone=0", "ISP1=1", "Demon=3"}));
    EXPECT_EQ(page.selected, 2);
    EXPECT_TRUE(page.defaultChecked);

    Open("ActiveIDs=1,3\r\nDefaultISP=7\r\n");  // a default not in the list
    EXPECT_EQ(page.selected, 1);
    EXPECT_FALSE(page.defaultChecked);
}

TEST_F(IspPageTest, NewKeepsTheRecordAfterCancelAndCancellingTheSheetFreesItsNumber)
{
    Open("ActiveIDs=1\r\nReservedIDs=2\r\n");
    IspPageNew(page, Now(), Editor, nullptr);
    EXPECT_EQ(Texts().back(), "ISP3=3");
    EXPECT_EQ(page.selected, 2);
    EXPECT_EQ(page.table.Isps.back().SecsPerUnit, 60);
    EXPECT_EQ(Global("ActiveIDs"), "1,3");  // taken at once
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    EXPECT_EQ(Texts().back(), "Zen=4");
    EXPECT_TRUE(page.changed);

    IspPageCancel(page);
    EXPECT_EQ(Global("ActiveIDs"), "1");
    EXPECT_EQ(Global("ReservedIDs"), "2");
    EXPECT_EQ(IniValue("ISP4", "Description"), "<none>");
}

TEST_F(IspPageTest, EditReplacesTheLineOnlyWhenTheEditorWroteIntoTheRecord)
{
    Open("ActiveIDs=1,2\r\n");
    page.selected = -1;
    IspPageEdit(page, Editor, const_cast<char*>("Never"));
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1025});
    SelectIspLine(page, 0);
    IspPageEdit(page, Editor, nullptr);
    EXPECT_FALSE(page.changed);
    IspPageEdit(page, Editor, const_cast<char*>("BT"));
    EXPECT_EQ(page.table.Phone.Description, "BT");
    EXPECT_EQ(Texts()[0], "BT=0");
    EXPECT_TRUE(page.changed);
}

TEST_F(IspPageTest, DeleteKeepsThePhoneEntryAndMovesTheSelectionAsTheListShrinks)
{
    Open("ActiveIDs=1,2,3\r\nDefaultISP=3\r\n");
    page.selected = -1;
    IspPageDelete(page);
    SelectIspLine(page, 0);
    IspPageDelete(page);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1013, 1012}));

    SelectIspLine(page, 3);  // the last line, the default ISP
    IspPageDelete(page);
    EXPECT_EQ(page.selected, 2);
    EXPECT_EQ(page.defaultIsp, 0);
    EXPECT_FALSE(page.defaultChecked);
    SelectIspLine(page, 1);
    IspPageDelete(page);
    EXPECT_EQ(page.selected, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Phone=0", "ISP2=2"}));
    IspPageDelete(page);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Phone=0"});
    EXPECT_EQ(page.selected, 0);

    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(Global("ActiveIDs"), "<none>");
    EXPECT_EQ(Global("ReservedIDs"), "1,2,3");
    EXPECT_EQ(Global("DefaultISP"), "<none>");
    EXPECT_FALSE(page.changed);
}

TEST_F(IspPageTest, SetAsDefaultRefusesThePhoneEntryAndUncheckingClearsTheDefault)
{
    Open("ActiveIDs=1,2\r\nDefaultISP=1\r\n");
    page.selected = -1;
    IspPageSetDefault(page, true);
    SelectIspLine(page, 0);
    IspPageSetDefault(page, true);
    EXPECT_FALSE(page.defaultChecked);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1026, 1014}));
    EXPECT_FALSE(page.changed);

    SelectIspLine(page, 2);
    IspPageSetDefault(page, true);
    EXPECT_EQ(page.defaultIsp, 2);
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(Global("DefaultISP"), "2");

    OpenIspPage(page, Now());
    IspPageSetDefault(page, false);
    SelectIspLine(page, 1);
    EXPECT_FALSE(page.defaultChecked);
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(Global("DefaultISP"), "<none>");
}

TEST_F(IspPageTest, AFailedSaveKeepsTheWorkingCopyForAnotherTry)
{
    // Our own writer on every platform: its file writes are the ones a test can fail.
    const ProfileBackend& savedBackend = CurrentProfileBackend();
    SetProfileBackend(&IniProfileBackend);
    Open("ActiveIDs=1\r\n");
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    const FileOps* saved = &CurrentFileOps();
    FileOps full = *saved;
    full.writeAll = [](std::FILE*, const void*, std::size_t) { return -1; };
    SetFileOps(&full);
    EXPECT_EQ(IspPageApply(page), -1);
    SetFileOps(saved);
    EXPECT_TRUE(page.changed);
    ASSERT_EQ(page.table.Isps.size(), 2u);
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(IniValue("ISP2", "Description"), "Zen");
    SetProfileBackend(&savedBackend);
}

TEST_F(IspPageTest, ImportReplacesThePhoneEntryOrTheSelectedIspOrAppends)
{
    Open("ActiveIDs=1\r\n");
    const auto named = [](const char* name) { TariffRecord r; r.Description = name; return r; };
    IspPageImported(page, named("Other"), false, true, [](void*) { return false; }, nullptr);
    IspPageImported(page, named("Telco"), false, true, [](void*) { return true; }, nullptr);
    IspPageImported(page, named("X"), true, false, nullptr, nullptr);  // Replace on the Phone line
    page.selected = -1;
    IspPageImported(page, named("X"), true, false, nullptr, nullptr);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1063, 1062}));
    SelectIspLine(page, 1);
    IspPageImported(page, named("Demon"), true, false, nullptr, nullptr);
    IspPageImported(page, named("Zen"), false, false, nullptr, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Telco=0", "Demon=1", "Zen=2"}));
    EXPECT_EQ(Global("ActiveIDs"), "1,2");
}

} // namespace
