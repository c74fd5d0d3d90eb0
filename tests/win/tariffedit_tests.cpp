// The ISP page and the ISP editor as the user meets them: a tariff built
// through all four pages lands in tolvane.ini as the loader reads it, and
// entries still pending in a page at OK are kept or refused.
#include <windows.h>
#include <prsht.h>

#include "dialogs/win32/dialogframework.h"
#include "dialogs/win32/optionssheet.h"
#include "harness.h"
#include "tariffedit/tariffeditor.h"

namespace {

using namespace harness;
using testsupport::RecordedCodes;

using Fields = std::vector<std::pair<int, std::string>>;

// Each control as the user sets it: the item of that text chosen in a combo
// or list box, the text typed into any other.
void Fill(HWND page, const Fields& fields)
{
    for (const auto& [id, text] : fields) {
        const std::string kind = ClassOf(GetDlgItem(page, id));
        if (kind == "ComboBox" || kind == "ListBox")
            EXPECT_GE(SelectText(page, id, text), 0) << "no item " << text;
        else
            SetText(page, id, text);
    }
}

// An entry of a list page: `button` (New or Edit) pressed, the fields
// filled, the entry button pressed.
void Enter(HWND page, int button, const Fields& fields)
{
    Press(page, button);
    Fill(page, fields);
    Press(page, IDC_ENTRY_BUTTON);
}

using TariffEditTest = Fixture;

// From the Options sheet's ISP page: a new ISP built through all four pages,
// then ISP 1 edited with entries left pending at OK.
TEST_F(TariffEditTest, ATariffIsSavedAsTypedAndPendingEntriesAtOkAreCheckedAndKept)
{
    WriteIni("[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nDescription=Home\r\nNumFrames=1\r\nFrame0=0.02,Day\r\n");
    Then([](HWND sheet) {
        HWND page = ShowPage(sheet, 1);
        Press(page, IDC_ISPPAGE_NEW);
        Select(page, IDC_ISP, 1);
        Press(page, IDC_ISPPAGE_EDIT);
        PressSheetButton(sheet, PSBTN_OK);
    });
    Then([](HWND sheet) {
        HWND page = CurrentPage(sheet);
        for (int box : {IDC_IG_ROUNDHALF, IDC_IG_SPECIFIED, IDC_IG_INFRAME})
            Click(page, box);
        Fill(page, {{IDC_ISP, "Metro Dial"}, {IDC_IG_UNIT, "30"}, {IDC_IG_BILLDAY, "15"}, {IDC_FEE, "4.95"},
                    {IDC_IG_PREPAID, "2.50"}, {IDC_RASNAME, "Metro"}});

        page = ShowPage(sheet, EDITOR_FRAMES);
        SelectListItem(GetDlgItem(page, IDC_FR_LIST), 0);
        Enter(page, IDC_FR_EDIT, {{IDC_FRAME, "Peak time"}, {IDC_FR_CHARGE, "0.05"}});  // converted after the question
        Enter(page, IDC_FR_NEW, {{IDC_FRAME, "Evening"}, {IDC_FR_CHARGE, "0.01"}});

        page = ShowPage(sheet, EDITOR_CHARGES);
        Fill(page, {{IDC_DAY, "Monday"}});
        Enter(page, IDC_CH_NEW,
              {{IDC_CH_STARTHOUR, "08"}, {IDC_CH_ENDHOUR, "18"}, {IDC_CH_ENDHOUR + 1, "30"}, {IDC_FRAME, "Peak_time"}});
        Fill(page, {{IDC_CH_DEFAULT, "Evening"}, {IDC_CH_CONNECT, "0.10"}});

        page = ShowPage(sheet, EDITOR_EXCEPTIONS);
        Enter(page, IDC_EX_NEW, {{IDC_DAY, "25"}, {IDC_MONTH, "December"}, {IDC_YEAR, "2026"}});
        Fill(page, {{IDC_EX_FRAME, "Evening"}});

        Fill(ShowPage(sheet, EDITOR_GENERAL), {{IDC_IG_PREPAIDFRAME, "Evening"}});
        PressSheetButton(sheet, PSBTN_OK);
    });
    Then([](HWND sheet) {
        HWND page = ShowPage(sheet, EDITOR_CHARGES);
        Enter(page, IDC_CH_NEW, {{IDC_CH_STARTHOUR, "09"}, {IDC_CH_ENDHOUR, "10"}});
        Then([](HWND copy) {
            for (int day = 0; day < 7; ++day)
                EXPECT_EQ(Enabled(copy, IDC_CP_SUNDAY + day), day != 0) << "the source day is no target";
            Press(copy, IDOK);  // no day chosen
            Click(copy, IDC_CP_SUNDAY + 1);
            Click(copy, IDC_CP_SUNDAY + 2);
            Press(copy, IDOK);
        });
        Press(page, IDC_CH_COPY);
        // Left pending on this page, added by OK on another.
        Press(page, IDC_CH_NEW);
        Fill(page, {{IDC_CH_STARTHOUR, "11"}, {IDC_CH_ENDHOUR, "12"}});

        page = ShowPage(sheet, EDITOR_FRAMES);
        Press(page, IDC_FR_NEW);
        Fill(page, {{IDC_FRAME, "Night"}, {IDC_FR_CHARGE, "-1"}});
        PressSheetButton(sheet, PSBTN_OK);
        EXPECT_TRUE(IsOpen(sheet));
        SetText(page, IDC_FR_CHARGE, "0.005");
        PressSheetButton(sheet, PSBTN_OK);
    });
    ShowOptionsSheet(nullptr);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Options", "New ISP", "Edit ISP", "Copy"}));
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1059, 1038}));
    EXPECT_EQ(seen.questions.size() == 1 ? seen.questions[0].caption : "", "Frame Name Error");
    EXPECT_EQ(IniValue("Global", "ActiveIDs"), "1,2");
    EXPECT_EQ(IniValues("ISP2", {"Description", "SecsPerUnit", "Rounding", "BillingDate", "PeriodicFee",
                                 "PrepaidCharge", "PrepaidMethod", "PrepaidFrame", "RasName"}),
              "Metro Dial|30|1|15|4.950000|2.500000|2|1|Metro");
    EXPECT_EQ(IniValues("ISP2", {"NumFrames", "Frame0", "Frame1", "DefaultFrame", "ConnectCharge", "Mon0", "Mon1",
                                 "NumExceptions", "DayException0", "FrameForExceptions"}),
              "2|0.050000,Peak_time|0.010000,Evening|1|0.100000|08:00:00-18:30:00,0|<none>|1|2026/12/25|1");
    EXPECT_EQ(IniValues("ISP1", {"NumFrames", "Frame1", "Sun0", "Sun1", "Mon0", "Tue0", "Wed0"}),
              "2|0.005000,Night|09:00:00-10:00:00,0|11:00:00-12:00:00,0|09:00:00-10:00:00,0|09:00:00-10:00:00,0|<none>");
}

}  // namespace
