// The ISP page and the ISP editor as the user meets them: a tariff built
// through all four pages lands in tolvane.ini as the loader reads it, and
// entries still pending in a page at OK are kept or refused.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;
using testsupport::RecordedCodes;

enum { GENERAL, CHARGES, FRAMES, EXCEPTIONS };

class TariffEditTest : public Fixture {
protected:
    // The Options sheet on its ISP page with `line` selected; `button` runs
    // the editor, which `edit` drives. Then OK.
    void EditThroughOptions(int line, int button, Step edit)
    {
        Then([=](HWND sheet) {
            ShowPage(sheet, 1);
            HWND page = CurrentPage(sheet);
            Select(page, IDC_ISP, line);
            Press(page, button);
            PressSheetButton(sheet, PSBTN_OK);
        });
        Then(edit);
        ShowOptionsSheet(nullptr);
    }
};

TEST_F(TariffEditTest, ATariffBuiltThroughEveryPageIsSavedAsTyped)
{
    WriteIni("[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nDescription=Old\r\n");
    EditThroughOptions(0, IDC_ISPPAGE_NEW, [&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        SetText(page, IDC_ISP, "Metro Dial");
        SetText(page, IDC_IG_UNIT, "30");
        Click(page, IDC_IG_ROUNDHALF);
        Click(page, IDC_IG_SPECIFIED);
        Select(page, IDC_IG_BILLDAY, 14);
        SetText(page, IDC_FEE, "4.95");
        SetText(page, IDC_IG_PREPAID, "2.50");
        Click(page, IDC_IG_INFRAME);
        SetText(page, IDC_RASNAME, "Metro");

        ShowPage(sheet, FRAMES);
        page = CurrentPage(sheet);
        SelectListItem(GetDlgItem(page, IDC_FR_LIST), 0);
        Press(page, IDC_FR_EDIT);
        SetText(page, IDC_FRAME, "Peak time");  // converted after the question
        SetText(page, IDC_FR_CHARGE, "0.05");
        Press(page, IDC_ENTRY_BUTTON);
        Press(page, IDC_FR_NEW);
        SetText(page, IDC_FRAME, "Evening");
        SetText(page, IDC_FR_CHARGE, "0.01");
        Press(page, IDC_ENTRY_BUTTON);

        ShowPage(sheet, CHARGES);
        page = CurrentPage(sheet);
        Select(page, IDC_DAY, 1);
        Press(page, IDC_CH_NEW);
        Select(page, IDC_CH_STARTHOUR, 8);
        Select(page, IDC_CH_ENDHOUR, 18);
        Select(page, IDC_CH_ENDHOUR + 1, 30);
        Select(page, IDC_FRAME, 0);
        Press(page, IDC_ENTRY_BUTTON);
        Select(page, IDC_CH_DEFAULT, 1);
        SetText(page, IDC_CH_CONNECT, "0.10");

        ShowPage(sheet, EXCEPTIONS);
        page = CurrentPage(sheet);
        Press(page, IDC_EX_NEW);
        Select(page, IDC_DAY, 24);
        Select(page, IDC_MONTH, 11);
        SetText(page, IDC_YEAR, "2026");
        Press(page, IDC_ENTRY_BUTTON);
        Select(page, IDC_EX_FRAME, 1);

        ShowPage(sheet, GENERAL);
        Select(CurrentPage(sheet), IDC_IG_PREPAIDFRAME, 1);
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Options", "New ISP"}));
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{});
    ASSERT_EQ(seen.questions.size(), 1u);
    EXPECT_EQ(seen.questions[0].caption, "Frame Name Error");
    EXPECT_EQ(IniValue("Global", "ActiveIDs"), "1,2");
    EXPECT_EQ(IniValues("ISP2", {"Description", "SecsPerUnit", "Rounding", "BillingDate", "PeriodicFee",
                                 "PrepaidCharge", "PrepaidMethod", "PrepaidFrame", "RasName"}),
              "Metro Dial|30|1|15|4.950000|2.500000|2|1|Metro");
    EXPECT_EQ(IniValues("ISP2", {"NumFrames", "Frame0", "Frame1", "DefaultFrame", "ConnectCharge", "Mon0", "Mon1",
                                 "NumExceptions", "DayException0", "FrameForExceptions"}),
              "2|0.050000,Peak_time|0.010000,Evening|1|0.100000|08:00:00-18:30:00,0|<none>|1|2026/12/25|1");
}

TEST_F(TariffEditTest, PendingEntriesAtOkAreCheckedAndKeptAndCopiesAreTheirOwn)
{
    WriteIni("[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nDescription=Home\r\nNumFrames=1\r\nFrame0=0.02,Day\r\n");
    bool openAfterRefusal = false;
    std::vector<bool> targetsEnabled;
    EditThroughOptions(1, IDC_ISPPAGE_EDIT, [&](HWND sheet) {
        ShowPage(sheet, CHARGES);
        HWND page = CurrentPage(sheet);
        Press(page, IDC_CH_NEW);
        Select(page, IDC_CH_STARTHOUR, 9);
        Select(page, IDC_CH_ENDHOUR, 10);
        Press(page, IDC_ENTRY_BUTTON);
        Then([&](HWND copy) {
            for (int day = 0; day < 7; ++day)
                targetsEnabled.push_back(Enabled(copy, IDC_CP_SUNDAY + day));
            Press(copy, IDOK);  // no day chosen
            Click(copy, IDC_CP_SUNDAY + 1);
            Click(copy, IDC_CP_SUNDAY + 2);
            Press(copy, IDOK);
        });
        Press(page, IDC_CH_COPY);
        // Left pending on this page, added by OK on another.
        Press(page, IDC_CH_NEW);
        Select(page, IDC_CH_STARTHOUR, 11);
        Select(page, IDC_CH_ENDHOUR, 12);

        ShowPage(sheet, FRAMES);
        page = CurrentPage(sheet);
        Press(page, IDC_FR_NEW);
        SetText(page, IDC_FRAME, "Night");
        SetText(page, IDC_FR_CHARGE, "-1");
        PressSheetButton(sheet, PSBTN_OK);
        openAfterRefusal = IsOpen(sheet);
        SetText(page, IDC_FR_CHARGE, "0.005");
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Options", "Edit ISP", "Copy"}));
    EXPECT_EQ(targetsEnabled, (std::vector<bool>{false, true, true, true, true, true, true}));
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1059, 1038}));
    EXPECT_EQ(IniValues("ISP1", {"NumFrames", "Frame1", "Sun0", "Sun1", "Mon0", "Tue0", "Wed0"}),
              "2|0.005000,Night|09:00:00-10:00:00,0|11:00:00-12:00:00,0|09:00:00-10:00:00,0|09:00:00-10:00:00,0|<none>");
}

}  // namespace
