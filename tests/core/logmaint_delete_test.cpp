// Deleting a period or a record from the session log, and the durable
// replacement of the log underneath.
#include <cstdio>
#include <fstream>
#include <utility>

#include "logmaint_support.h"
#include "sessionlog/deletelog.h"
#include "startup/locations.h"

using namespace logmaint;

namespace {

std::int64_t May(int day, int hour = 0) { return LocalInstant(2023, 5, day, hour); }

// The period of most cases: 12 May 00:00:00 to 15 May 23:59:59.
std::int64_t From() { return May(12); }
std::int64_t To() { return May(16) - 1; }

const Records Early = {Start(1, May(1)), End(1, May(2))};  // before the period

class DeletePeriodTest : public ProgramDirTest {};

TEST_F(DeletePeriodTest, KeepsWhatLiesOutsideThePeriodAndBacksUpTheOldLog)
{
    // Cut records keep every field but the instant and its local time.
    SessionRecord s10 = Start(1, May(10, 9)), e20 = End(1, May(20, 18));
    s10.flag = 7;
    e20.flag = 1;
    std::string oldSize = HeaderBytes(60);
    for (const SessionRecord& r : {Early[0], Early[1], Start(1, May(13)), End(1, May(14))})
        oldSize += RecordBytes(r) + std::string(6, '\0');
    const struct {
        const char* name;
        std::string log;
        Records kept;
        std::int32_t isp = 0;
        std::int64_t from = From(), to = To();
        ErrorCode error = 0;
    } cases[] = {
        {"tail kept", LogBytes({Start(1, May(15, 23)), End(1, May(16, 1))}), {Start(1, To()), End(1, May(16, 1))}},
        {"head kept", LogBytes({Start(1, May(11, 23)), End(1, May(12, 1))}), {Start(1, May(11, 23)), End(1, From())}},
        {"both kept", LogBytes({s10, e20}), {s10, MoveRecordTo(e20, From()), MoveRecordTo(s10, To()), e20}},
        // The boundary instants belong to the period: inside.
        {"exactly the period", LogBytes({Start(1, From()), End(1, To())}), {}},
        {"just outside", LogBytes({Start(1, From() - 60), End(1, From() - 1), Start(1, To() + 1), End(1, To() + 9)}),
         {Start(1, From() - 60), End(1, From() - 1), Start(1, To() + 1), End(1, To() + 9)}},
        {"other ISP untouched",
         LogBytes({Start(1, May(13)), End(1, May(13, 1)), Start(2, May(13, 2)), End(2, May(13, 3))}),
         {Start(1, May(13)), End(1, May(13, 1))}, 2},
        {"open session kept though inside", LogBytes({Early[0], Early[1], Start(3, May(13))}),
         {Early[0], Early[1], Start(3, May(13))}},
        {"orphans dropped everywhere",
         LogBytes({End(1, May(1)), Start(1, May(2)), Start(1, May(3)), End(1, May(4)), Start(2, May(5)),
                   End(1, May(6)), Start(1, May(7)), End(1, May(8))}),
         {Start(1, May(3)), End(1, May(4)), Start(1, May(7)), End(1, May(8))}, 0, May(25), May(26)},
        // Nothing lies in a reversed period; cutting would duplicate time.
        {"reversed period", LogBytes({s10, e20}), {s10, e20}, 0, To(), From()},
        {"old record size", oldSize, Early},
        // A partial last record is left behind, and a start before it stays open.
        {"partial last record", LogBytes(Early) + std::string(20, 'x'), Early, 0, From(), To(), 103},
        {"start before a partial record", LogBytes({Early[0], Early[1], Start(2, May(30))}) + std::string(53, 'x'),
         {Early[0], Early[1], Start(2, May(30))}, 0, From(), To(), 103},
        // The open itself moves a foreign file aside: nothing is deleted and
        // no backup overwrites the user's only copy.
        {"foreign file", "the user's only copy", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRecordedErrors();
        WriteFileBytes(File("tolvane.log"), c.log);
        ASSERT_EQ(DeletePeriod(c.from, c.to, c.isp), 0);
        EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(c.kept));
        EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), c.log);
        EXPECT_EQ(RecordedCodes(), c.error ? Codes{c.error} : Codes{});
        EXPECT_TRUE(StrayFiles(Dir()).empty());
    }
}

TEST_F(DeletePeriodTest, DeleteRecordRemovesEveryIdenticalCopyOnly)
{
    const SessionRecord dangling = Start(2, May(3));
    SessionRecord otherFlag = dangling;
    otherFlag.flag = 1;
    WriteLog(File("tolvane.log"), {dangling, Early[0], Early[1], otherFlag, dangling});
    EXPECT_EQ(DeleteRecord(dangling), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Early[0], Early[1], otherFlag}));
    // A damaged tail makes the single-record rewrite refuse to touch the log.
    WriteLog(File("tolvane.log"), {dangling}, "xyz");
    EXPECT_EQ(DeleteRecord(dangling), -1);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({dangling}) + "xyz");
    EXPECT_EQ(RecordedCodes(), Codes{103});
    EXPECT_TRUE(StrayFiles(Dir()).empty());
}

TEST_F(DeletePeriodTest, AbandonedTemporariesGoButOneStillBeingWrittenStays)
{
    WriteLog(File("tolvane.log"), Early);
    WriteFileBytes(File("tolvane.log.new-notours"), "not a name we make");
    // One left by a rewrite whose process was killed: closed, as after its end.
    std::string live, killed;
    std::FILE* abandoned = CreateTemporary(LogFilePath, killed);
    std::FILE* writing = CreateTemporary(LogFilePath, live);
    ASSERT_TRUE(abandoned && writing);
    std::fclose(abandoned);
    EXPECT_EQ(DeletePeriod(From(), To(), 0), 0);
    std::vector<std::string> kept = {std::filesystem::path(live).filename().string(), "tolvane.log.new-notours"};
    std::ranges::sort(kept);
    EXPECT_EQ(StrayFiles(Dir()), kept);
    std::fclose(writing);
}

// ---- Fault injection on the replacement ----

// The step that fails ("write 1" the header, "write 3" a record), the calls
// made, and what "another copy of the program" appends after the copy.
std::string failing;
int writes = 0;
std::string calls;
std::string appendDuringCopy;

// Notes the call (a run of writes once) and tells whether it is to fail.
bool Fails(const std::string& name)
{
    if (name != "write" || !calls.ends_with(" write"))
        calls += " " + name;
    return failing == (name == "write" ? "write " + std::to_string(++writes) : name);
}

class ReplacementFaultTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        ops.createNew = [](const char* p) { return Fails("create") ? nullptr : PlatformOps().createNew(p); };
        ops.writeAll = [](std::FILE* f, const void* data, std::size_t size) {
            return Fails("write") ? -1 : PlatformOps().writeAll(f, data, size);
        };
        ops.flushToDisk = [](std::FILE* f) {
            if (Fails("flush"))
                return -1;
            if (!appendDuringCopy.empty())  // the copy is done but the lock not yet taken
                std::ofstream(LogFilePath, std::ios::binary | std::ios::app) << std::exchange(appendDuringCopy, "");
            return PlatformOps().flushToDisk(f);
        };
        ops.lockFile = [](FileHandle h) { return Fails("lock") ? -1 : PlatformOps().lockFile(h); };
        ops.closeFile = [](FileHandle h) { Fails("unlock"), PlatformOps().closeFile(h); };
        ops.keepBackup = [](const char* p, const char* b) {
            return Fails("backup") ? -1 : PlatformOps().keepBackup(p, b);
        };
        ops.replaceFile = [](const char* from, const char* to) {
            return Fails("replace") ? -1 : PlatformOps().replaceFile(from, to);
        };
        failing.clear(), writes = 0;
        calls.clear();
        appendDuringCopy.clear();
    }
    void TearDown() override
    {
        BackupOnDelete = 1;
        ProgramDirTest::TearDown();
    }
    ScopedFileOps ops;
};

TEST_F(ReplacementFaultTest, LogIsOldOrNewWholeAndBackupAsPromised)
{
    const std::string oldBytes = LogBytes({Early[0], Early[1], Start(1, May(13)), End(1, May(14))});
    const std::pair<std::string, ErrorCode> cases[] = {{"create", 117}, {"write 1", 101}, {"write 3", 101},
                                                       {"flush", 101},  {"lock", 102},    {"backup", 115},
                                                       {"replace", 102}, {"", 0}};
    for (int backup = 1; backup >= 0; --backup) {
        for (const auto& [step, error] : cases) {
            if (!backup && step == "backup")
                continue;
            SCOPED_TRACE("failing " + step + ", backup " + std::to_string(backup));
            BackupOnDelete = backup;
            // The backup may be a second name of the log's file: unlink, not truncate.
            std::filesystem::remove(File("tolvane.log"));
            std::filesystem::remove(File("tolvane.bak"));
            WriteFileBytes(File("tolvane.log"), oldBytes);
            WriteFileBytes(File("tolvane.bak"), "earlier backup");
            ClearRecordedErrors();
            failing = step, writes = 0;
            calls.clear();
            const int result = DeletePeriod(From(), To(), 0);
            const std::string bak = ReadFileBytes(File("tolvane.bak"));
            if (step.empty()) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(Early));
                EXPECT_EQ(bak, backup ? oldBytes : "earlier backup");
                // Flushed before the lock is taken; the lock held only for
                // the catch-up, the second flush, the backup and the rename.
                EXPECT_EQ(calls, backup ? " create write flush lock flush backup replace unlock"
                                        : " create write flush lock flush replace unlock");
            } else {
                EXPECT_EQ(result, -1);
                EXPECT_EQ(RecordedCodes(), Codes{error});
                EXPECT_EQ(ReadFileBytes(File("tolvane.log")), oldBytes);
                // Only a copy of the current log may have replaced the older backup.
                EXPECT_TRUE(bak == "earlier backup" || (backup && step == "replace" && bak == oldBytes));
            }
            EXPECT_TRUE(StrayFiles(Dir()).empty());
        }
    }
}

TEST_F(ReplacementFaultTest, RecordsAppendedDuringTheCopyAreCarriedOver)
{
    const SessionRecord open = Start(2, May(13)), late = End(2, May(30));
    WriteLog(File("tolvane.log"), {Early[0], Early[1], Start(1, May(13)), End(1, May(14)), open});
    appendDuringCopy = RecordBytes(late);
    EXPECT_EQ(DeletePeriod(From(), To(), 1), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Early[0], Early[1], open, late}));
    // The single-record rewrite does not let the removed record back in.
    appendDuringCopy = RecordBytes(open) + RecordBytes(late);
    EXPECT_EQ(DeleteRecord(open), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Early[0], Early[1], late, late}));
}

} // namespace
