// The ISP page's working copy: what New, Edit, Delete, Set as default,
// Import, Export, OK and Cancel do to the list and to tolvane.ini.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/support.h"
#include "platform/clock.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "tariffedit/ispworkingcopy.h"

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

TEST_F(IspPageTest, OpensWithThePhoneLineFirstAndTheDefaultSelected)
{
    Open("ActiveIDs=1,3\r\nDefaultISP=3\r\n", "[ISP3]\r\nDescription=Demon\r\n");
    EXPECT_TRUE(page.loaded);
    EXPECT_EQ(Lines(), "Phone=0 ISP1=1 Demon=3 2*");
    Open("ActiveIDs=1,3\r\nDefaultISP=7\r\n");  // a default not in the list
    EXPECT_EQ(Lines(), "Phone=0 ISP1=1 ISP3=3 1");
}

TEST_F(IspPageTest, NewKeepsTheRecordAfterCancelAndCancellingTheSheetFreesItsNumber)
{
    Open("ActiveIDs=1\r\nReservedIDs=2\r\n");
    IspPageNew(page, Now(), Editor, nullptr);
    EXPECT_EQ(page.table.Isps.back().SecsPerUnit, 60);
    EXPECT_EQ(Global(), "1,3|2|<none>");  // taken at once
    IspPageNew(page, Now(), Editor, const_cast<char*>("Zen"));
    EXPECT_EQ(Lines(), "Phone=0 ISP1=1 ISP3=3 Zen=4 3");
    EXPECT_TRUE(page.changed);

    IspPageCancel(page);
    EXPECT_EQ(Global(), "1|2|<none>");
    EXPECT_EQ(IniValue("ISP4", "Description"), "<none>");
}

TEST_F(IspPageTest, EditDeleteAndTheDefaultAreSavedByOk)
{
    Open("ActiveIDs=1,2,3\r\nDefaultISP=3\r\n");
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
    const FileOps* saved = &CurrentFileOps();
    FileOps full = *saved;
    full.writeAll = [](std::FILE*, const void*, std::size_t) { return -1; };
    SetFileOps(&full);
    EXPECT_EQ(IspPageApply(page), -1);
    SetFileOps(saved);
    EXPECT_EQ(RecordedCodes(), Codes{115});
    EXPECT_TRUE(page.changed);
    ASSERT_EQ(page.table.Isps.size(), 2u);
    ASSERT_EQ(IspPageApply(page), 0);
    EXPECT_EQ(IniValue("ISP2", "Description"), "Zen");
    SetProfileBackend(&savedBackend);
}

TEST_F(IspPageTest, ImportReplacesThePhoneEntryOrTheSelectedIspOrAppends)
{
    Open("ActiveIDs=1\r\n");
    IspPageImported(page, Named("Other"), false, true, [](void*) { return false; }, nullptr);
    IspPageImported(page, Named("Telco"), false, true, [](void*) { return true; }, nullptr);
    SelectIspLine(page, 1);
    IspPageImported(page, Named("Demon"), true, false, nullptr, nullptr);
    IspPageImported(page, Named("Zen"), false, false, nullptr, nullptr);
    EXPECT_EQ(Lines(), "Telco=0 Demon=1 Zen=2 2");
    EXPECT_EQ(Global(), "1,2|<none>|<none>");
}

} // namespace
