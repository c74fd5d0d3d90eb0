// ISP definition files: export into new and existing files and back, the
// version check both ways, listing entries, the disclaimer, hostile files,
// and the shipped samples charged to a report.

#include <filesystem>

#include "charging/charging.h"
#include "core/charging_support.h"
#include "core/support.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"
#include "tariff/ispfile.h"
#include "tariff/tariffstore.h"

using testsupport::LocalInstant;
using testsupport::RecordedCodes;

namespace {

class IspFileTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        PinClock(LocalInstant(2026, 4, 20, 12));
        path = IniFilePath;  // any name will do: the settings file's helpers write and read it
    }
    std::vector<std::string> Names(bool phone) const
    {
        std::vector<std::string> names;
        for (const IspFileEntry& e : ListIspFileEntries(path, phone))
            names.push_back(e.name + "#" + std::to_string(e.number));
        return names;
    }
    std::string path;
};

TariffRecord Exported(const char* description)
{
    TariffRecord r = chargingtest::StandardTariff();
    r.Id = 7;
    r.Description = description;
    r.RasName = "My Dial-up Connection";
    r.ConnectCharge = 0.05;
    return r;
}

TEST_F(IspFileTest, ExportsAppendEntriesUnderAnUpToDateHeaderAndLoadBackWithoutTheirRasName)
{
    ASSERT_EQ(WriteIspFileEntry(path, "Two tariffs", Exported("First"), false), 0);
    ProfileWrite(path, "Import", "CreatedByVersion", "1.95.0.0");  // as an older version wrote it
    ASSERT_EQ(WriteIspFileEntry(path, "Two tariffs", Exported("Second"), false), 0);
    ASSERT_EQ(WriteIspFileEntry(path, "", Exported("Carrier"), true), 0);  // the empty box replaces the text

    EXPECT_EQ(IniValues("Import", {"LastISP", "LastPhone", "CreatedByVersion", "LastUpdatedByVersion",
                             "LastUpdatedByPlatform", "MinVersion", "FileDescription"}),
              "2|1|1.95.0.0|2.1.4.0|Win32|1.91.0.1|");
    for (const char* section : {"ImportISP1", "ImportISP2", "ImportPhone1"})
        EXPECT_EQ(IniValues(section, {"RasName", "ConnectCharge"}), "<none>|0.050000") << section;

    TariffRecord loaded;
    ASSERT_EQ(LoadIspFileEntry(loaded, path, 2, false, ToLocalTime(Now())), 0);
    EXPECT_EQ(loaded.Description + "|" + std::to_string(loaded.Id) + "|" + loaded.RasName, "Second|0|");
    EXPECT_EQ(loaded.PeriodStart.localTime.tm_mon, 3);  // the period around now
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(IspFileTest, VersionCheckAndMinVersionOfExports)
{
    const struct { const char* minVersion; bool accepted; const char* afterExport; } cases[] = {  // null: no key
        {nullptr, true, "1.91.0.1"},    {"garbage", true, "1.91.0.1"}, {"1.91.0.1", true, "1.91.0.1"},
        {"2.x.9", true, "2.x.9"},       {"2.1.4.0", true, "2.1.4.0"},  {"2.1.4.0.7", true, "2.1.4.0.7"},
        {"2.1.4.1", false, "2.1.4.1"},  {"3", false, "3"},             {"99999999999.0", false, "99999999999.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minVersion ? c.minVersion : "(none)");
        WriteIni(c.minVersion ? std::string("[Import]\r\nMinVersion=") + c.minVersion + "\r\n" : "");
        testsupport::ClearRecordedErrors();
        EXPECT_EQ(CheckIspFileVersion(path), c.accepted ? 0 : -1);
        EXPECT_EQ(WriteIspFileEntry(path, "d", Exported("X"), false), c.accepted ? 0 : -1);  // nothing written
        EXPECT_EQ(IniValues("Import", {"MinVersion", "LastISP"}),
                  c.afterExport + std::string(c.accepted ? "|1" : "|<none>"));
        EXPECT_EQ(RecordedCodes(), (c.accepted ? std::vector<ErrorCode>{} : std::vector<ErrorCode>{1011, 1011}));
    }
}

TEST_F(IspFileTest, ListsOnlyWhatExistsEvenInHostileFiles)
{
    const std::string longLine(1 << 20, 'x');  // the benchmark reads 10 MB lines
    const std::pair<std::string, std::vector<std::string>> cases[] = {  // the file, its ISPs
        {"[Import]\r\nLastISP=5\r\n[ImportISP1]\r\nDescription=zeta net\r\n[ImportISP2]\r\nSecsPerUnit=30\r\n"
         "[importisp3]\r\nDescription=Alpha Online\r\n[ImportISP5]\r\nDescription=beta\r\n[ImportISP6]\r\n"
         "[ImportISP04]\r\n[ImportISP3]\r\nDescription=second copy\r\n[ImportPhone1]\r\n",
         {"Alpha Online#3", "beta#5", "ISP2#2", "zeta net#1"}},
        {"[Import]\r\nLastISP=2147483647\r\nLastPhone=99999999999\r\n[ImportISP2000000000]\r\nDescription=far\r\n"
         "[ImportISP1]\r\n",
         {"far#2000000000", "ISP1#1"}},
        {"[Import]\r\nLastISP=-5\r\n[ImportISP1]\r\n", {}},
        {"[Import]\r\nLastISP=1\r\n[ImportISP1]\r\nDescription=" + longLine + "\r\n", {std::string(511, 'x') + "#1"}},
        {"[Import]\r\nLastISP=3\r\nFileDescription=" + longLine + "\r\n[ImportISP3]\r\nDescription=ok\r\n", {"ok#3"}},
        {std::string("\x00\xff[\x01]\r\n=\xfe\r\n[Import\r\nLastISP=1\r\n\x80\x81", 22), {}},
    };
    for (const auto& [text, isps] : cases) {
        WriteIni(text);
        EXPECT_EQ(Names(false), isps) << text.substr(0, 60);
        EXPECT_TRUE(Names(true).empty());  // LastPhone missing, or past what exists
        EXPECT_LE(ReadIspFileDescription(path).size(), 1023u);
    }
    WriteIni("[Import]\r\nLastPhone=1\r\n[ImportPhone1]\r\nSecsPerUnit=30\r\n");
    EXPECT_EQ(Names(true), std::vector<std::string>{"Phone1#1"});
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(IspFileTest, DisclaimerText)
{
    const std::pair<const char*, const char*> cases[] = {  // the keys, the text (null: none shown)
        {"NumLines=0\r\nLine1=a\r\n", nullptr},
        {"NumLines=3\r\nLine1=Use at\r\nLine3=your own risk\r\nLine4=not shown\r\n", "Use at\r\n\r\nyour own risk\r\n"},
        {"NumLines=2000000000\r\nLine1=first\r\nLine3=third\r\n", "first\r\n\r\nthird\r\n"},
    };
    for (const auto& [keys, expected] : cases) {
        WriteIni(std::string("[Import]\r\nLastISP=0\r\n[Disclaimer]\r\n") + keys);
        std::string text;
        EXPECT_EQ(BuildDisclaimer(path, text), expected != nullptr) << keys;
        EXPECT_EQ(text, expected ? expected : "") << keys;
    }
}

// The samples shipped beside the program, each imported as the user would
// (an ISP as ISP 1, a phone company as the Phone entry) and charged with a
// few sessions of April 2026, totals worked out by hand. Brightwave: Good
// Friday 09:00-10:00 in the holiday frame (60 units at 0.005), Saturday
// 10:00:00-10:45:30 weekend (46 units, 0.23), Monday 17:30-18:30 half peak
// (30 at 0.04), half off-peak (30 at 0.01). Harbourline: 4220 s rounded up to
// 71 units and 40 s to 1 at 0.02; the 12.00 prepaid leave 10.56, 528 minutes
// at 0.02; the fee is payable. Kestrel: Monday 17:30-18:30 daytime 0.90 +
// 0.06, evening 0.36 + 0.06; Saturday 5 minutes cost 0.04, raised to the 0.10
// minimum, + 0.06. Valley: rounded to the nearer minute, 620 s to 600 and 45 s
// to 60. The remainder's time is at the default frame's rate: 2.03 at 0.01,
// 1.54 at 0.012 (7700 s, one short once the sum of the slices has rounded)
// and 0.22 at 0.02 a minute.
TEST_F(IspFileTest, SampleFilesImportAndCharge)
{
    const std::string samples =
#ifdef _WIN32
        "Z:"
#endif
        TOLVANE_SOURCE_DIR "/import/";
    struct Session { int day, h1, m1, s1, h2, m2, s2; };
    // The file, the entry imported, its kind, the sessions in April 2026 and the entry's report.
    const struct { const char* file; const char* entry; bool phone; std::vector<Session> sessions;
                   const char* report; } cases[] = {
        {"Brightwave Internet.ISP", "Brightwave Pay As You Go", false,
         {{3, 9, 0, 0, 10, 0, 0}, {11, 10, 0, 0, 10, 45, 30}, {13, 17, 30, 0, 18, 30, 0}},
         "Off-peak 00:30:00 0.30, Peak 00:30:00 1.20, Weekend 01:46:00 0.53, 2.03 0.00 -2.03 03:23:00 2.03 3 01:00:00"},
        {"Harbourline Net.ISP", "Harbourline Net Light", false, {{13, 20, 0, 0, 21, 10, 20}, {14, 9, 0, 0, 9, 0, 40}},
         "Standard 01:12:00 1.44, 1.44 12.00 10.56 08:48:00 12.50 2 00:01:00"},
        {"Kestrel Telecom.ISP", "Kestrel Telecom Local", true, {{13, 17, 30, 0, 18, 30, 0}, {11, 10, 0, 0, 10, 5, 0}},
         "Daytime 00:30:00 0.96, Evening 00:30:00 0.42, Weekend 00:05:00 0.16, 1.54 0.00 -1.54 02:08:19 1.54 2 00:05:00"},
        {"Community Dial-up.ISP", "Valley Online Weekly", false, {{13, 20, 0, 0, 20, 10, 20}, {13, 20, 30, 0, 20, 30, 45}},
         "Standard 00:11:00 0.22, 0.22 0.00 -0.22 00:11:00 2.72 2 00:01:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::remove(LogFilePath);
        const std::string file = samples + c.file;
        ASSERT_EQ(CheckIspFileVersion(file), 0);
        EXPECT_FALSE(ReadIspFileDescription(file).empty());
        std::int32_t number = 0;
        for (const IspFileEntry& e : ListIspFileEntries(file, c.phone))
            number = e.name == c.entry ? e.number : number;
        TariffRecord imported;
        ASSERT_EQ(LoadIspFileEntry(imported, file, number, c.phone, ToLocalTime(Now())), 0);
        WriteIni("[Global]\r\nActiveIDs=1\r\n[ISP1]\r\nDescription=Free\r\n");
        ASSERT_EQ(SaveTariff(imported, c.phone ? "Phone" : "ISP1", IniFilePath), 0);
        for (const Session& s : c.sessions) {
            ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 4, s.day, s.h1, s.m1, s.s1)), 0);
            ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 4, s.day, s.h2, s.m2, s.s2)), 0);
        }
        // Each period holds every session: April, 16 March to 15 April, the week of 12 April.
        TariffTable table;
        ASSERT_EQ(ComputeUsage(LocalInstant(2026, 4, 14, 12), table), 0);
        EXPECT_EQ(chargingtest::Summary(c.phone ? table.Phone : table.Isps[0]), c.report);
    }
    std::string disclaimer;
    EXPECT_TRUE(BuildDisclaimer(samples + "Community Dial-up.ISP", disclaimer));
    EXPECT_TRUE(RecordedCodes().empty());
}

} // namespace
