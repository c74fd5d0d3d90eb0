// The text report: the exact layout of one record and the report file.
#include <gtest/gtest.h>

#include <cstdio>

#include "charging/usagereport.h"
#include "core/charging_support.h"

using namespace chargingtest;
using testsupport::ProgramDirTest;

namespace {

TariffRecord ReportedTariff()
{
    TariffRecord r = StandardTariff();
    r.Description = "MyISP";
    r.NumFrames = 3;
    r.FrameNames = {"Peak", "A_name_of_thirty_characters___", "Exactly_twenty_four_char"};
    r.FrameCharges = {0.1, 0.05, 0.01};
    r.FrameTime = {3725, 360000, 0};
    r.FrameCost = {6.2, 0.124, 0.0};
    r.PeriodStart.localTime.tm_year = 126;
    r.PeriodStart.localTime.tm_mon = 2;
    r.PeriodStart.localTime.tm_mday = 16;
    r.PeriodEnd.localTime.tm_year = 126;
    r.PeriodEnd.localTime.tm_mon = 3;
    r.PeriodEnd.localTime.tm_mday = 5;
    r.TotalFrameCost = 6.324;
    r.PrepaidUsed = 1.0;
    r.Remainder = -7.5;
    r.RemainderTime = 9000;
    r.PeriodicFee = 19.95;
    r.AmountPayable = 27.45;
    r.Connections = 12;
    r.LastSessionTime = 3600;
    return r;
}

const char* const ReportedText =
    "MyISP\n"
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

std::string ReadText(const std::filesystem::path& path)
{
    std::string bytes = testsupport::ReadFileBytes(path);
    std::string text;
    for (char c : bytes)
        if (c != '\r')
            text += c;
    return text;
}

} // namespace

TEST(TariffReport, GoldenLayout)
{
    EXPECT_EQ(FormatTariffReport(ReportedTariff()), ReportedText);
}

TEST(TariffReport, TollFreeRemainderAndFormatCharacters)
{
    TariffRecord r = ReportedTariff();
    r.TollFree = 1;
    r.Remainder = 0.0;
    r.RemainderTime = 0;
    r.NumFrames = 1;
    r.FrameNames = {"%s%n%d"};  // plain text, never a format
    std::string text = FormatTariffReport(r);
    EXPECT_EQ(text.substr(0, text.find('\n')), "MyISP (Toll-free)");
    EXPECT_NE(text.find("\n%s%n%d                  \t01:02:05\t6.20\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nRemainder\t\t\t00:00:00\t0.00\n"), std::string::npos) << text;
}

TEST(TariffReport, WritesToAStream)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    WriteTariffReport(f, ReportedTariff());
    std::rewind(f);
    std::string got;
    char buf[256];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        got.append(buf, n);
    std::fclose(f);
    std::string lf;
    for (char c : got)
        if (c != '\r')
            lf += c;
    EXPECT_EQ(lf, ReportedText);
}

class ReportFileTest : public ProgramDirTest {
protected:
    TariffTable Table()
    {
        TariffTable t;
        t.Isps.push_back(ReportedTariff());
        t.Isps.push_back(ReportedTariff());
        t.Isps[1].Id = 7;
        t.Isps[1].Description = "Second";
        t.Phone = ReportedTariff();
        t.Phone.Id = 0;
        t.Phone.Description = "Phone";
        return t;
    }
};

TEST_F(ReportFileTest, ChoicesSelectTheReports)
{
    const TariffTable table = Table();
    struct Case {
        const char* what;
        UsageReportChoice choice;
        std::vector<std::string> firstLines;
    };
    const Case cases[] = {
        {"all with phone", {true, {}, true}, {"MyISP", "Second", "Phone"}},
        {"all without phone", {true, {}, false}, {"MyISP", "Second"}},
        {"one ISP", {false, {7}, true}, {"Second", "Phone"}},
        {"phone only", {false, {}, true}, {"Phone"}},
        {"nothing", {false, {}, false}, {}},
    };
    for (const Case& c : cases) {
        const auto path = File("report.txt");
        ASSERT_EQ(SaveUsageReportFile(path.string(), false, table, c.choice), 0) << c.what;
        const std::string text = ReadText(path);
        // Every report ends with an empty line and holds no other.
        std::vector<std::string> firstLines;
        for (std::size_t at = 0; at < text.size(); at = text.find("\n\n", at) + 2)
            firstLines.push_back(text.substr(at, text.find('\n', at) - at));
        EXPECT_EQ(firstLines, c.firstLines) << c.what;
        EXPECT_TRUE(testsupport::RecordedCodes().empty()) << c.what;
    }
}

TEST_F(ReportFileTest, AppendKeepsEarlierReports)
{
    const TariffTable table = Table();
    const auto path = File("report.txt");
    const UsageReportChoice one{false, {1}, false};
    ASSERT_EQ(SaveUsageReportFile(path.string(), true, table, one), 0);
    ASSERT_EQ(SaveUsageReportFile(path.string(), true, table, one), 0);
    EXPECT_EQ(ReadText(path), std::string(ReportedText) + ReportedText);
    ASSERT_EQ(SaveUsageReportFile(path.string(), false, table, one), 0);
    EXPECT_EQ(ReadText(path), ReportedText);
}

TEST_F(ReportFileTest, UnknownIspWritesNothing)
{
    const TariffTable table = Table();
    const auto path = File("report.txt");
    testsupport::WriteFileBytes(path, "old\n");
    EXPECT_EQ(SaveUsageReportFile(path.string(), true, table, {false, {3}, true}), -1);
    EXPECT_EQ(ReadText(path), "old\n");
    EXPECT_EQ(SaveUsageReportFile(path.string(), false, table, {false, {3}, true}), -1);
    EXPECT_EQ(ReadText(path), "");  // emptied, as the file was opened first
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{2070, 2070}));
}

TEST_F(ReportFileTest, UnopenableFileReports113)
{
    const TariffTable table = Table();
    const auto path = Dir() / "no-such-folder" / "report.txt";
    EXPECT_EQ(SaveUsageReportFile(path.string(), false, table, {}), -1);
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{113}));
    EXPECT_FALSE(std::filesystem::exists(path));
}

#ifdef __linux__
TEST_F(ReportFileTest, WriteFailureIsReported)
{
    // /dev/full accepts the open and fails every write.
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const TariffTable table = Table();
    EXPECT_EQ(SaveUsageReportFile("/dev/full", false, table, {}), -1);
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{115}));
}
#endif
