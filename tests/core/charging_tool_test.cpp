// tolvane-report run as a process over a program directory (native build).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/support.h"
#include "platform/profile.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

using testsupport::LocalInstant;
using testsupport::ProgramDirTest;

namespace {

std::filesystem::path ToolPath()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return self.parent_path().parent_path() / "tools" / "tolvane-report";
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ReportToolTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        tool_ = ToolPath();
        if (tool_.empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "tolvane-report not built beside the tests";
    }

    ToolRun Tool(const std::string& args)
    {
        const auto errPath = File("stderr.txt");
        const std::string command =
            "TZ=UTC " + Quote(tool_.string()) + " " + args + " 2>" + Quote(errPath.string());
        ToolRun run;
        std::FILE* p = popen(command.c_str(), "r");
        if (!p)
            return run;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            run.out.append(buf, n);
        const int status = pclose(p);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = testsupport::ReadFileBytes(errPath);
        return run;
    }

    void Prepare()
    {
        testsupport::WriteFileBytes(IniFilePath, "[Global]\nActiveIDs=1,2\n"
                                                 "[ISP1]\nDescription=Net\nFrame0=0.050000,Off\n"
                                                 "[ISP2]\nDescription=Other\nTollFree=1\nFrame0=0.020000,Off\n"
                                                 "[Phone]\nFrame0=0.010000,Flat\n");
        ProfileFlush(IniFilePath);
        ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 3, 3, 10, 0)), 0);
        ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 3, 3, 10, 30)), 0);
        ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, LocalInstant(2026, 3, 31, 23, 0)), 0);  // still open
    }

    std::string Dir_() const { return Quote(Dir().string()); }

    std::filesystem::path tool_;
};

const char* const NetReport =
    "Net\n"
    "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
    "\t\t\t\tTime taken\tCost\n"
    "Off                     \t00:30:00\t1.50\n"
    "Total frame cost\t\t\t\t1.50\n"
    "Less: Prepaid\t\t\t\t\t0.00\n"
    "Exceeded by\t\t\t00:30:00\t1.50\n"
    "Monthly/Weekly Fee\t\t\t\t0.00\n"
    "Amount payable\t\t\t\t\t1.50\n"
    "Connections made\t\t1\n"
    "Last session\t\t\t00:30:00\n"
    "\n";

const char* const OtherReport =  // open at the period's end: 23:00:00 to 23:59:59
    "Other (Toll-free)\n"
    "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
    "\t\t\t\tTime taken\tCost\n"
    "Off                     \t01:00:00\t1.20\n"
    "Total frame cost\t\t\t\t1.20\n"
    "Less: Prepaid\t\t\t\t\t0.00\n"
    "Exceeded by\t\t\t01:00:00\t1.20\n"
    "Monthly/Weekly Fee\t\t\t\t0.00\n"
    "Amount payable\t\t\t\t\t1.20\n"
    "Connections made\t\t1\n"
    "Last session\t\t\t01:00:00\n"
    "\n";

const char* const PhoneReport =
    "Phone\n"
    "Period 2026/03/01 to 2026/03/31 (YYYY/MM/DD)\n"
    "\t\t\t\tTime taken\tCost\n"
    "Flat                    \t00:30:00\t0.30\n"
    "Total frame cost\t\t\t\t0.30\n"
    "Less: Prepaid\t\t\t\t\t0.00\n"
    "Exceeded by\t\t\t00:30:00\t0.30\n"
    "Monthly/Weekly Fee\t\t\t\t0.00\n"
    "Amount payable\t\t\t\t\t0.30\n"
    "Connections made\t\t1\n"
    "Last session\t\t\t00:30:00\n"
    "\n";

} // namespace

TEST_F(ReportToolTest, PrintsTheChosenReports)
{
    Prepare();
    struct Case {
        std::string args;
        std::string expected;
    };
    const Case cases[] = {
        {Dir_() + " 2026-03-15", std::string(NetReport) + OtherReport + PhoneReport},
        {"--date 2026-03-15T12:00:00 --isp 1 " + Dir_(), std::string(NetReport) + PhoneReport},
        {Dir_() + " 2026/03/31 --isp 2,1 --no-phone", std::string(OtherReport) + NetReport},
        {"-i none -d @1773576000 " + Dir_(), PhoneReport},  // 2026-03-15 12:00 UTC
        {Dir_() + " 2026-03-01 --isp=none -P", ""},
    };
    for (const Case& c : cases) {
        ToolRun run = Tool(c.args);
        EXPECT_EQ(run.status, 0) << c.args << "\n" << run.err;
        EXPECT_EQ(run.out, c.expected) << c.args;
    }
}

TEST_F(ReportToolTest, OpenSessionRunsUpToNow)
{
    Prepare();
    ToolRun run = Tool("--now 2026-03-31T23:20:00 --isp 2 --no-phone " + Dir_() + " 2026-03-31");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Off                     \t00:20:00\t0.40\n"), std::string::npos) << run.out;
}

TEST_F(ReportToolTest, WritesAndAppendsToAFile)
{
    Prepare();
    const std::string out = Quote(File("out.txt").string());
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone -o " + out).status, 0);
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone --append --output=" + out).status, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(File("out.txt")), std::string(NetReport) + NetReport);
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone -o " + out).status, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(File("out.txt")), NetReport);
    ToolRun bad = Tool(Dir_() + " 2026-03-15 -o " + Quote((Dir() / "missing" / "x.txt").string()));
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.err.find("Unable to open file"), std::string::npos) << bad.err;
}

TEST_F(ReportToolTest, RejectsBadArgumentsWithAMessage)
{
    Prepare();
    const std::string cases[] = {
        Quote((Dir() / "nowhere").string()),
        Quote(File("tolvane.ini").string()),  // a file, not a directory
        Dir_() + " 2026-13-01",
        Dir_() + " 2026-02-29",
        Dir_() + " 2026-03-15T24:00",
        Dir_() + " 15/03/2026",
        Dir_() + " 1969-12-31",
        Dir_() + " 2026-03-15x",
        Dir_() + " @99999999999",
        Dir_() + " --isp 0",
        Dir_() + " --isp 1,,2",
        Dir_() + " --isp 7",  // no such ISP
        Dir_() + " --append",
        Dir_() + " 2026-03-15 2026-03-16",
        "",
    };
    for (const std::string& args : cases) {
        ToolRun run = Tool(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("tolvane-report: "), std::string::npos) << args << ": " << run.err;
    }
}

TEST_F(ReportToolTest, UnreadableLogFailsAndIsLeftAlone)
{
    Prepare();
    // Not a session log: the program would move it aside; the tool must not.
    testsupport::WriteFileBytes(File("tolvane.log"), "this is not a log");
    ToolRun run = Tool(Dir_() + " 2026-03-15");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("not a Tolvane session log"), std::string::npos) << run.err;
    EXPECT_EQ(testsupport::ReadFileBytes(File("tolvane.log")), "this is not a log");
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.bak")));

    std::filesystem::remove(File("tolvane.log"));
    std::filesystem::create_directory(File("tolvane.log"));
    run = Tool(Dir_() + " 2026-03-15");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("tolvane-report: "), std::string::npos) << run.err;
}

TEST_F(ReportToolTest, EmptyDirectoryIsNotAProgramDirectory)
{
    ToolRun run = Tool(Dir_());
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("neither tolvane.ini nor tolvane.log"), std::string::npos) << run.err;
}
#endif
