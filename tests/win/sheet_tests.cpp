// The property-sheet layer over two pages of the test's own: what a page
// checks when it is left, what OK stores, and what the sheet's Help opens.
#include <windows.h>
#include <prsht.h>

#include "dialogs/win32/dialogframework.h"
#include "harness.h"
#include "sheet_pages.h"

namespace {

using namespace harness;

using PageLog = std::vector<std::string>;  // what a page's rules were asked

int Fields(HWND page, int mode)
{
    PageLog& log = *PageContext<PageLog>(page);
    const std::string text = Text(page, TEST_PAGE_FIELD);
    if ((mode & FIELDS_CHECK) && text == "bad") {
        log.push_back("refused");
        return -1;
    }
    if (mode & FIELDS_STORE)
        log.push_back("stored " + text);
    return 0;
}

const CommandRow PageRows[] = {Swallow(IDOK, 0), Swallow(IDCANCEL, 0)};
DialogTable PageTable = {nullptr, RowCount(PageRows), PageRows, nullptr, 0, 0, 0};
const PageRules Rules = {Fields, nullptr};

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PageDispatch(PageTable, Rules, page, message, wParam, lParam);
}

const PageEntry Pages[] = {{TEST_PAGE_FIRST, PageProc, 601}, {TEST_PAGE_SECOND, PageProc, 602}};

class SheetTest : public Fixture {
protected:
    INT_PTR Run()
    {
        void* const contexts[] = {&first, &second};
        return RunPropertySheet(nullptr, "Test Sheet", Pages, 2, contexts);
    }
    static int PageIndex(HWND sheet)
    {
        return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX,
                                             reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
    }
    PageLog first, second;
};

TEST_F(SheetTest, OkStoresTheShownPagesOnly)
{
    Then([](HWND sheet) {
        SetText(CurrentPage(sheet), TEST_PAGE_FIELD, "one");
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_GT(Run(), 0);
    EXPECT_EQ(std::vector<std::string>{"stored one"}, first);
    EXPECT_TRUE(second.empty());  // never shown, never stored
    EXPECT_EQ(std::vector<std::string>{"Test Sheet"}, Titles());
}

TEST_F(SheetTest, AFailedCheckKeepsThePageAndTheSheet)
{
    int stayed = -1;
    bool openAfterOk = false;
    Then([&](HWND sheet) {
        SetText(CurrentPage(sheet), TEST_PAGE_FIELD, "bad");
        ShowPage(sheet, 1);
        stayed = PageIndex(sheet);
        PressSheetButton(sheet, PSBTN_OK);
        openAfterOk = IsOpen(sheet);
        SetText(CurrentPage(sheet), TEST_PAGE_FIELD, "good");
        ShowPage(sheet, 1);
        SetText(CurrentPage(sheet), TEST_PAGE_FIELD, "two");
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_GT(Run(), 0);
    EXPECT_EQ(0, stayed);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ((std::vector<std::string>{"refused", "refused", "stored good"}), first);
    EXPECT_EQ(std::vector<std::string>{"stored two"}, second);
}

TEST_F(SheetTest, HelpOpensTheShownPagesTopicAndCancelStoresNothing)
{
    WithHelpFile();
    Then([](HWND sheet) {
        ShowPage(sheet, 1);
        PressSheetButton(sheet, PSBTN_HELP);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(1u, seen.help.size());
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), seen.help[0].first);
    EXPECT_EQ(602u, seen.help[0].second);
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());
}

}  // namespace
