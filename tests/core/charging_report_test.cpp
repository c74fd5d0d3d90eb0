// The text report: the exact layout of one record and the report file.
#include "charging/usagereport.h"
#include "core/charging_support.h"

using namespace chargingtest;

namespace {

const char* const ReportedText = "MyISP\n"
                                 "Period 2026/03/16 to 2026/04/05 (YYYY/MM/DD)\n"
                                 "\t\t\t\tTime taken\tCost\n"
                                 "Peak                    \t01:02:05\t6.20\n"
                                 "A_name_of_thirty_charact\t100:00:00\t0.12\n"
                                 "Exactly_twenty_four_char\t00:00:00\t0.00\n"
                                 "Total frame cost\t\t\t\t6.32\n"
                                 "Less: Prepaid\t\t\t\t\t1.00\n"
                                 "Exceeded by\t\t\t02:30:00\t7.50\n"
                                 "Monthly/Weekly Fee\t\t\t\t19.95\n"
                                 "Amount payable\t\t\t\t\t27.45\n"
                                 "Connections made\t\t12\n"
                                 "Last session\t\t\t01:00:00\n"
                                 "\n";

} // namespace

TEST(TariffReport, GoldenLayoutAndRemainder)
{
    EXPECT_EQ(FormatTariffReport(ReportedTariff()), ReportedText);
    TariffRecord r = ReportedTariff();
    r.Remainder = 0.0;
    r.RemainderTime = 0;
    r.NumFrames = 1;
    r.FrameNames = {"%s%n%d"};  // plain text, never a format
    const std::string text = FormatTariffReport(r);
    EXPECT_NE(text.find("\n%s%n%d                  \t01:02:05\t6.20\nTotal"), std::string::npos) << text;
    EXPECT_NE(text.find("\nRemainder\t\t\t00:00:00\t0.00\n"), std::string::npos) << text;
}

using ReportFileTest = ProgramDirTest;

TEST_F(ReportFileTest, SavesTheChosenReportsOrReportsTheFailure)
{
    const TariffTable table{{ReportedTariff(), ReportedTariff("Second", 7)}, ReportedTariff("Phone", 0)};
    const std::string path = File("report.txt").string();
    // (The report tool's test shows every ISP, none and the phone chosen.)
    ASSERT_EQ(SaveUsageReportFile(path, false, table, {false, {7}, false}), 0);
    EXPECT_EQ(ReportNames(ReadText(path)), std::vector<std::string>{"Second"});  // by number, not position
    ASSERT_EQ(SaveUsageReportFile(path, true, table, {false, {1}, false}), 0);
    EXPECT_EQ(ReadText(path), std::string("Second") + (ReportedText + 5) + ReportedText);

    EXPECT_EQ(SaveUsageReportFile(path, true, table, {false, {3}, true}), -1);  // no ISP 3
    EXPECT_EQ(ReadText(path), std::string("Second") + (ReportedText + 5) + ReportedText);
    const auto missing = Dir() / "no-such-folder" / "report.txt";
    EXPECT_EQ(SaveUsageReportFile(missing.string(), false, table, {}), -1);
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::vector<ErrorCode> expected{2070, 113};
#ifdef __linux__
    // /dev/full accepts the open and fails every write.
    EXPECT_EQ(SaveUsageReportFile("/dev/full", false, table, {}), -1);
    expected.push_back(115);
#endif
    EXPECT_EQ(RecordedCodes(), expected);
}
