// tolvane-report run as a process over a program directory (native build).
#ifndef _WIN32
#include <sys/wait.h>

#include <cstdlib>

#include "core/charging_support.h"
#include "sessionlog/sessionlog.h"
#include "startup/locations.h"

using namespace chargingtest;

namespace {

struct ToolRun { int status = -1; std::string out, err; };

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
        dir = Quote(Dir().string());
    }

    // The tool with these arguments (Run), or with the directory first (Tool).
    ToolRun Run(const std::string& args)
    {
        const int status = std::system(("TZ=UTC " + Quote(tool_.string()) + " " + args + " >" + Path("stdout.txt") +
                                        " 2>" + Path("stderr.txt")).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(File("stdout.txt")),
                ReadFileBytes(File("stderr.txt"))};
    }
    ToolRun Tool(const std::string& args) { return Run(dir + " " + args); }
    std::string Path(const char* name) const { return Quote(File(name).string()); }

    void Prepare()
    {
        WriteIni("[Global]\nActiveIDs=1,2\n[ISP1]\nDescription=Net\nFrame0=0.050000,Off\n"
                 "[ISP2]\nDescription=Other\nTollFree=1\nFrame0=0.020000,Off\n[Phone]\nFrame0=0.010000,Flat\n");
        ASSERT_EQ(RecordSessionEvent(1, SESSION_START, 0, LocalInstant(2026, 3, 3, 10, 0)), 0);
        ASSERT_EQ(RecordSessionEvent(1, SESSION_END, 0, LocalInstant(2026, 3, 3, 10, 30)), 0);
        ASSERT_EQ(RecordSessionEvent(2, SESSION_START, 0, LocalInstant(2026, 3, 31, 23, 0)), 0);  // still open
    }

    std::filesystem::path tool_;
    std::string dir;  // quoted
};

} // namespace

TEST_F(ReportToolTest, PrintsOrWritesTheChosenReportsAndRejectsBadArguments)
{
    Prepare();
    using Names = std::vector<std::string>;
    const struct { std::string args; Names names; } cases[] = {
        {dir + " 2026-03-15", {"Net", "Other (Toll-free)", "Phone"}},
        {"--date 2026-03-15T12:00:00 --isp 1 " + dir, {"Net", "Phone"}},
        {dir + " 2026/03/31 --isp 2,1 --no-phone", {"Other (Toll-free)", "Net"}},
        {"-i none -d @1773576000 " + dir, {"Phone"}},  // 2026-03-15 12:00 UTC
        {dir + " 2026-03-01 --isp=none -P", {}},
    };
    for (const auto& c : cases) {
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, 0) << c.args << "\n" << run.err;
        EXPECT_EQ(ReportNames(run.out), c.names) << c.args;
    }
    // The open session is charged up to --now.
    ToolRun run = Tool("--now 2026-03-31T23:20:00 --isp 2 --no-phone 2026-03-31");
    EXPECT_NE(run.out.find("Off                     \t00:20:00\t0.40\n"), std::string::npos) << run.out;

    WriteFileBytes(File("out.txt"), "old\n");
    EXPECT_EQ(Tool("2026-03-15 --isp 1 --no-phone -o " + Path("out.txt")).status, 0);
    EXPECT_EQ(Tool("2026-03-15 -P --append --output=" + Path("out.txt")).status, 0);
    EXPECT_EQ(ReportNames(ReadFileBytes(File("out.txt"))), (Names{"Net", "Net", "Other (Toll-free)"}));
    run = Tool("2026-03-15 -o " + Quote((Dir() / "missing" / "x.txt").string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Unable to open file"), std::string::npos) << run.err;

    std::filesystem::create_directory(File("empty"));
    const std::string bad[] = {
        Path("nowhere"),           Path("tolvane.ini"),       Path("empty"),           dir + " 2026-13-01",
        dir + " 2026-02-29",       dir + " 2026-03-15T24:00", dir + " 15/03/2026",     dir + " 1969-12-31",
        dir + " 2026-03-15x",      dir + " @99999999999",     dir + " --isp 0",        dir + " --isp 1,,2",
        dir + " --isp 7",          dir + " --append",         "",                      dir + " 2026-03-15 2026-03-16",
    };
    for (const std::string& args : bad) {
        run = Run(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("tolvane-report: "), std::string::npos) << args << ": " << run.err;
    }
}

// The tool only reads: no log, settings or error log is created or changed,
// and the report never goes over one of the program's files.
TEST_F(ReportToolTest, NeverWritesTheProgramsFiles)
{
    const std::string ini = "[Phone]\nFrame0=0.010000,Flat\n";
    WriteFileBytes(IniFilePath, ini);
    ToolRun run = Tool("2026-03-15");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReportNames(run.out), (std::vector<std::string>{"ISP1", "Phone"}));  // ISP 1 in memory only
    EXPECT_EQ(ReadFileBytes(IniFilePath), ini);
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.log")));
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));

    Prepare();
    const std::string log = ReadFileBytes(File("tolvane.log"));
    std::filesystem::create_directory(File("sub"));
    std::filesystem::create_symlink(File("tolvane.log"), File("link.txt"));
    // Each refused whether it would be replaced (even rows) or appended to.
    const char* const names[] = {"tolvane.log", "tolvane.ini", "tolvane.bak", "tolvane.err", "sub/../tolvane.log",
                                 "link.txt"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const char* name = names[i];
        run = Tool(std::string(i % 2 ? "2026-03-15 -a -o " : "2026-03-15 -o ") + Path(name));
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_NE(run.err.find("one of the program's own files"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), log);

    // A file in the log's place that is not a log: the program would move it
    // aside; the tool reports it and leaves it.
    WriteFileBytes(File("tolvane.log"), "this is not a log");
    run = Tool("2026-03-15");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a Tolvane session log"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), "this is not a log");
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.bak")));
    EXPECT_FALSE(std::filesystem::exists(File("tolvane.err")));
}

#endif
