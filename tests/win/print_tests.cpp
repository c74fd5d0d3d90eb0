// Printing a computed report on the prefix's PostScript file printer: the
// job as the printer receives it, the "Printing Usage" window and its
// Cancel, and a print dialog the user cancels. The ctest print_readback
// reads the kept PostScript back as text.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "charging/charging.h"
#include "charging/win32/usagedialog.h"
#include "harness.h"

namespace {

using namespace harness;
using testsupport::LocalInstant;
using testsupport::RecordedCodes;

// Where the prefix's printer puts each job.
const char* const PrintFile = "C:\\users\\Public\\Documents\\tolvane-print.ps";

const char* const Settings =
    "[Global]\nActiveIDs=1,2\n[Phone]\nDescription=Phone Company\nFrame0=0.125000,Flat\n"
    "[ISP1]\nDescription=Net & One\nNumFrames=2\nFrame0=0.250000,Off-peak\nFrame1=0.500000,Peak\n"
    "Mon0=08:00:00-17:59:59,1\nPrepaidCharge=30.000000\n"
    "[ISP2]\nDescription=Net Two\nFrame0=0.250000,Anytime\nPeriodicFee=9.500000\n";

PRINTDLGA asked{};
bool printDialogAnswers = true;

class PrintTest : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        WriteIni(Settings);
        ASSERT_NO_FATAL_FAILURE(WriteMarchSessions());
        ASSERT_EQ(ComputeUsage(LocalInstant(2026, 3, 15, 12), table), 0);
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ProgramInstance, nullptr);
        DeleteFileA(PrintFile);
        asked = {};
        printDialogAnswers = true;
        // The user takes the default printer.
        Api.PrintDlgA = [](LPPRINTDLGA dialog) WINAPI -> BOOL {
            asked = *dialog;
            if (!printDialogAnswers)
                return FALSE;
            dialog->Flags |= PD_RETURNDEFAULT;
            return PrintDlgA(dialog);
        };
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        Fixture::TearDown();
    }
    TariffTable table;
    HWND owner = nullptr;
};

TEST_F(PrintTest, PrintsEveryBlockOnThePrinterAndKeepsTheJob)
{
    // A one-page job may end before the window's step comes round.
    Then([](HWND printing) { ShowWindow(printing, SW_HIDE); });
    PrintUsageReport(owner, table);
    DropSteps();
    EXPECT_EQ(asked.hwndOwner, owner);
    EXPECT_EQ(asked.Flags, static_cast<DWORD>(PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE |
                                              PD_USEDEVMODECOPIESANDCOLLATE));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{});
    const std::string job = testsupport::ReadFileBytes(PrintFile);
    EXPECT_NE(job.find("%%Title: TOLVANE Usage Report"), std::string::npos);
    // Three blocks flow over two pages, the third broken between them.
    EXPECT_NE(job.find("%%Pages: 2"), std::string::npos);
    // Kept for the read-back test and for people to look at, with the
    // rows the page must hold in order.
    const char* folder = std::getenv("TOLVANE_ARTIFACTS");
    if (!folder || !*folder)
        return;
    const std::string base = std::string(folder[0] == '/' ? "Z:" : "") + folder + "\\usage-print";
    EXPECT_TRUE(CopyFileA(PrintFile, (base + ".ps").c_str(), FALSE));
    const char* const period = "Period: 2026/03/01 to 2026/03/31 (YYYY/MM/DD)";
    const std::vector<std::string> rows = {
        "Net & One", period, "Time Cost", "Off-peak 00:30:00 7.50", "Peak 00:30:00 15.00", "Total frame cost 22.50",
        "Less: prepaid 30.00", "Remainder 00:30:00 7.50", "Add: monthly/weekly fee 0.00", "Amount payable 0.00",
        "Number of connections 1", "Last session 01:00:00",
        "Net Two", period, "Time Cost", "Anytime 100:00:00 1500.00", "Total frame cost 1500.00", "Less: prepaid 0.00",
        "Excess 100:00:00 1500.00", "Add: monthly/weekly fee 9.50", "Amount payable 1509.50",
        "Number of connections 1", "Last session 100:00:00",
        "Phone Company", period, "Time Cost", "Flat 101:00:00 757.50", "Total frame cost 757.50",
        "Number of connections 2", "Last session 100:00:00"};
    std::string expected;
    for (const std::string& row : rows)
        expected += row + "\n";
    testsupport::WriteFileBytes(base + ".expected", expected);
}

TEST_F(PrintTest, CancelInPrintingUsageAbandonsTheJob)
{
    // Pages enough for the window's step to come round while they print.
    for (int i = 0; i < 30; ++i)
        table.Isps.push_back(table.Isps[1]);
    WriteIni(std::string(Settings) + "[Printer]\nSeparatePage=1\n");
    bool ran = false;
    Then([&](HWND printing) {
        ran = true;
        EXPECT_EQ(Text(printing), "Printing Usage");
        EXPECT_EQ(GetWindow(printing, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner waits while the job runs";
        Press(printing, IDCANCEL);
        EXPECT_TRUE(IsWindow(printing)) << "the window waits for the job to end";
        ShowWindow(printing, SW_HIDE);
    });
    PrintUsageReport(owner, table);
    ASSERT_TRUE(ran);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{}) << "cancelling is no error";
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetFileAttributesA(PrintFile), INVALID_FILE_ATTRIBUTES) << "nothing reaches the printer";
}

TEST_F(PrintTest, CancelledPrintDialogPrintsNothingAndSaysNothing)
{
    printDialogAnswers = false;
    PrintUsageReport(owner, table);
    EXPECT_EQ(asked.lStructSize, sizeof(PRINTDLGA));
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{});
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetFileAttributesA(PrintFile), INVALID_FILE_ATTRIBUTES);
}

} // namespace
