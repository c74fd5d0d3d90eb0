// tolvane-report run as a process over a program directory (native build).
#ifndef _WIN32
#include <sys/wait.h>

#include <cstdio>

#include "core/charging_support.h"
#include "platform/profile.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

using chargingtest::ReportNames;
using testsupport::LocalInstant;
using testsupport::ProgramDirTest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
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
        std::error_code ec;
        tool_ = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "tools" /
                "tolvane-report";
        if (ec || !std::filesystem::exists(tool_))
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
        WriteIni("[Global]\nActiveIDs=1,2\n[ISP1]\nDescription=Net\nFrame0=0.050000,Off\n"
                 "[ISP2]\nDescription=Other\nTollFree=1\nFrame0=0.020000,Off\n[Phone]\nFrame0=0.010000,Flat\n");
        ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 3, 3, 10, 0)), 0);
        ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 3, 3, 10, 30)), 0);
        ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, LocalInstant(2026, 3, 31, 23, 0)), 0);  // still open
    }

    std::string Dir_() const { return Quote(Dir().string()); }

    std::filesystem::path tool_;
};

} // namespace

TEST_F(ReportToolTest, PrintsTheChosenReports)
{
    Prepare();
    using Names = std::vector<std::string>;
    const struct { std::string args; Names expected; } cases[] = {
        {Dir_() + " 2026-03-15", {"Net", "Other (Toll-free)", "Phone"}},
        {"--date 2026-03-15T12:00:00 --isp 1 " + Dir_(), {"Net", "Phone"}},
        {Dir_() + " 2026/03/31 --isp 2,1 --no-phone", {"Other (Toll-free)", "Net"}},
        {"-i none -d @1773576000 " + Dir_(), {"Phone"}},  // 2026-03-15 12:00 UTC
        {Dir_() + " 2026-03-01 --isp=none -P", {}},
    };
    for (const auto& c : cases) {
        ToolRun run = Tool(c.args);
        EXPECT_EQ(run.status, 0) << c.args << "\n" << run.err;
        EXPECT_EQ(ReportNames(run.out), c.expected) << c.args;
    }
    // An open session at the period's end runs to it; with --now, to then.
    EXPECT_NE(Tool(Dir_() + " 2026-03-15").out.find("Off                     \t01:00:00\t1.20\n"), std::string::npos);
    ToolRun run = Tool("--now 2026-03-31T23:20:00 --isp 2 --no-phone " + Dir_() + " 2026-03-31");
    EXPECT_NE(run.out.find("Off                     \t00:20:00\t0.40\n"), std::string::npos) << run.out;
}

TEST_F(ReportToolTest, WritesAndAppendsToAFile)
{
    Prepare();
    const std::string out = Quote(File("out.txt").string());
    const std::string net = Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone").out;
    ASSERT_EQ(ReportNames(net), std::vector<std::string>{"Net"});
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone -o " + out).status, 0);
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone --append --output=" + out).status, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(File("out.txt")), net + net);
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 --isp 1 --no-phone -o " + out).status, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(File("out.txt")), net);
    ToolRun bad = Tool(Dir_() + " 2026-03-15 -o " + Quote((Dir() / "missing" / "x.txt").string()));
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.err.find("Unable to open file"), std::string::npos) << bad.err;
}

// The tool only reads: no log, settings or error log is created or changed,
// and the report never goes over one of the program's files.
TEST_F(ReportToolTest, NeverWritesTheProgramsFiles)
{
    testsupport::WriteFileBytes(IniFilePath, "[Phone]\nFrame0=0.010000,Flat\n");
    ToolRun run = Tool(Dir_() + " 2026-03-15");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReportNames(run.out), (std::vector<std::string>{"ISP1", "Phone"}));  // ISP 1 in memory only
    EXPECT_EQ(testsupport::ReadFileBytes(IniFilePath), "[Phone]\nFrame0=0.010000,Flat\n");
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.log")));
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));

    Prepare();
    const std::string log = testsupport::ReadFileBytes(File("tolvane.log"));
    std::filesystem::create_directory(File("sub"));
    const std::string ownFiles[] = {"tolvane.log", "tolvane.ini", "tolvane.bak", "tolvane.err", "sub/../tolvane.log"};
    for (const std::string& name : ownFiles) {
        for (const char* mode : {" -o ", " -a -o "}) {
            run = Tool(Dir_() + " 2026-03-15" + mode + Quote((Dir() / name).string()));
            EXPECT_EQ(run.status, 2) << name;
            EXPECT_NE(run.err.find("one of the program's own files"), std::string::npos) << run.err;
        }
    }
    std::filesystem::create_symlink(File("tolvane.log"), File("link.txt"));
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15 -o " + Quote(File("link.txt").string())).status, 2);
    EXPECT_EQ(testsupport::ReadFileBytes(File("tolvane.log")), log);

    // A file in the log's place that is not a log: the program would move it
    // aside; the tool reports it and leaves it.
    testsupport::WriteFileBytes(File("tolvane.log"), "this is not a log");
    run = Tool(Dir_() + " 2026-03-15");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a Tolvane session log"), std::string::npos) << run.err;
    EXPECT_EQ(testsupport::ReadFileBytes(File("tolvane.log")), "this is not a log");
    std::filesystem::remove(File("tolvane.log"));
    std::filesystem::create_directory(File("tolvane.log"));
    EXPECT_EQ(Tool(Dir_() + " 2026-03-15").status, 1);
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.bak")));
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));
}

TEST_F(ReportToolTest, RejectsBadArgumentsWithAMessage)
{
    Prepare();
    std::filesystem::create_directory(File("empty"));
    const std::string cases[] = {
        Quote((Dir() / "nowhere").string()), Quote(File("tolvane.ini").string()), Quote(File("empty").string()),
        Dir_() + " 2026-13-01",   Dir_() + " 2026-02-29",    Dir_() + " 2026-03-15T24:00", Dir_() + " 15/03/2026",
        Dir_() + " 1969-12-31",   Dir_() + " 2026-03-15x",   Dir_() + " @99999999999",     Dir_() + " --isp 0",
        Dir_() + " --isp 1,,2",   Dir_() + " --isp 7",       Dir_() + " --append",         "",
        Dir_() + " 2026-03-15 2026-03-16",
    };
    for (const std::string& args : cases) {
        ToolRun run = Tool(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("tolvane-report: "), std::string::npos) << args << ": " << run.err;
    }
}

#endif
