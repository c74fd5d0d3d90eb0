// Deleting a period or a record from the session log, and the durable
// replacement of the log underneath.
#include <algorithm>
#include <cstdio>

#include "logmaint_support.h"
#include "platform/fileops.h"
#include "sessionlog/deletelog.h"
#include "startup/locations.h"

using namespace logmaint;
using testsupport::LocalInstant;
using testsupport::ReadFileBytes;
using testsupport::RecordedCodes;
using testsupport::WriteFileBytes;

namespace {

std::int64_t May(int day, int hour = 0, int minute = 0, int second = 0)
{
    return LocalInstant(2023, 5, day, hour, minute, second);
}

// The period used by most cases: 12 May 00:00:00 to 15 May 23:59:59.
std::int64_t From() { return May(12); }
std::int64_t To() { return May(16) - 1; }

class DeletePeriodTest : public testsupport::ProgramDirTest {};

TEST_F(DeletePeriodTest, ClassifiesAndCutsSessions)
{
    // Cut records keep every field but the instant and its local time.
    SessionRecord s10 = Start(1, May(10, 9)), e20 = End(1, May(20, 18));
    s10.flag = 7;
    e20.flag = 1;
    const struct {
        const char* name;
        std::vector<SessionRecord> log;
        std::int64_t from, to;
        std::int32_t isp;
        std::vector<SessionRecord> expected;
    } cases[] = {
        {"inside", {Start(1, May(13, 10)), End(1, May(13, 11))}, From(), To(), 0, {}},
        {"tail kept", {Start(1, May(15, 23)), End(1, May(16, 1))}, From(), To(), 0,
         {Start(1, To()), End(1, May(16, 1))}},
        {"head kept", {Start(1, May(11, 23)), End(1, May(12, 1))}, From(), To(), 0,
         {Start(1, May(11, 23)), End(1, From())}},
        {"both kept", {s10, e20}, From(), To(), 0, {s10, MoveRecordTo(e20, From()), MoveRecordTo(s10, To()), e20}},
        // The boundary instants belong to the period.
        {"exactly the period", {Start(1, From()), End(1, To())}, From(), To(), 0, {}},
        {"just outside", {Start(1, From() - 60), End(1, From() - 1), Start(1, To() + 1), End(1, To() + 9)}, From(), To(), 0,
         {Start(1, From() - 60), End(1, From() - 1), Start(1, To() + 1), End(1, To() + 9)}},
        {"other ISP untouched",
         {Start(1, May(13)), End(1, May(13, 1)), Start(2, May(13, 2)), End(2, May(13, 3))},
         From(), To(), 2,
         {Start(1, May(13)), End(1, May(13, 1))}},
        {"open session kept though inside", {Start(1, May(1)), End(1, May(2)), Start(3, May(13))}, From(), To(), 0,
         {Start(1, May(1)), End(1, May(2)), Start(3, May(13))}},
        {"orphans dropped everywhere",
         {End(1, May(1)), Start(1, May(2)), Start(1, May(3)), End(1, May(4)), Start(2, May(5)), End(1, May(6)),
          Start(1, May(7)), End(1, May(8))},
         May(25), May(26), 0,
         {Start(1, May(3)), End(1, May(4)), Start(1, May(7)), End(1, May(8))}},
        // Nothing lies in a reversed period; cutting would duplicate time.
        {"reversed period", {s10, e20}, To(), From(), 0, {s10, e20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLog(File("tolvane.log"), c.log);
        ASSERT_EQ(DeletePeriod(c.from, c.to, c.isp), 0);
        EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(c.expected));
        EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), LogBytes(c.log));
        EXPECT_TRUE(StrayFiles(Dir()).empty());
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

TEST_F(DeletePeriodTest, TrailingPartialRecordIsLeftBehindAndAStartBeforeItKept)
{
    const std::vector<SessionRecord> sessions = {Start(1, May(1)), End(1, May(2))};
    WriteLog(File("tolvane.log"), sessions, std::string(20, 'x'));
    EXPECT_EQ(DeletePeriod(From(), To(), 0), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(sessions));
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});

    // A session in progress when the damaged record was written stays open.
    std::vector<SessionRecord> open = {Start(1, May(1)), End(1, May(2)), Start(2, May(30))};
    WriteLog(File("tolvane.log"), open, std::string(53, 'x'));
    EXPECT_EQ(DeletePeriod(From(), To(), 0), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes(open));
}

TEST_F(DeletePeriodTest, OldRecordSizeIsRewrittenInTheCurrentFormat)
{
    std::string bytes = HeaderBytes(60);
    for (const SessionRecord& r : {Start(1, May(1)), End(1, May(2)), Start(1, May(13)), End(1, May(14))})
        bytes += RecordBytes(r) + std::string(6, '\0');
    WriteFileBytes(File("tolvane.log"), bytes);
    ASSERT_EQ(DeletePeriod(From(), To(), 0), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Start(1, May(1)), End(1, May(2))}));
}

TEST_F(DeletePeriodTest, DeleteRecordRemovesEveryIdenticalCopyOnly)
{
    SessionRecord dangling = Start(2, May(3));
    SessionRecord sameTimeOtherFlag = dangling;
    sameTimeOtherFlag.flag = 1;
    WriteLog(File("tolvane.log"), {dangling, Start(1, May(1)), End(1, May(2)), sameTimeOtherFlag, dangling});
    EXPECT_EQ(DeleteRecord(dangling), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Start(1, May(1)), End(1, May(2)), sameTimeOtherFlag}));

    // A damaged tail makes the single-record rewrite refuse to touch the log.
    WriteLog(File("tolvane.log"), {dangling}, "xyz");
    std::string before = ReadFileBytes(File("tolvane.log"));
    EXPECT_EQ(DeleteRecord(dangling), -1);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), before);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{103});
    EXPECT_TRUE(StrayFiles(Dir()).empty());
}

TEST_F(DeletePeriodTest, ForeignFileMovedAsideByTheDeletionItselfKeepsItsBackup)
{
    WriteFileBytes(File("tolvane.log"), "the user's only copy");
    EXPECT_EQ(DeletePeriod(From(), To(), 0), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), "the user's only copy");
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({}));
    EXPECT_TRUE(StrayFiles(Dir()).empty());
}

TEST_F(DeletePeriodTest, AbandonedTemporariesGoButOneStillBeingWrittenStays)
{
    WriteLog(File("tolvane.log"), {Start(1, May(1)), End(1, May(2))});
    WriteFileBytes(File("tolvane.log.new-notours"), "not a name we make");
    // One left by a rewrite whose process was killed: closed, as after its end.
    std::string live, killed;
    std::FILE* abandoned = CreateTemporary(LogFilePath, killed);
    ASSERT_TRUE(abandoned);
    std::fclose(abandoned);
    std::FILE* writing = CreateTemporary(LogFilePath, live);
    ASSERT_TRUE(writing);
    EXPECT_EQ(DeletePeriod(From(), To(), 0), 0);
    std::vector<std::string> stray = StrayFiles(Dir()), kept = {"tolvane.log.new-notours", live.substr(live.size() - 22)};
    std::sort(stray.begin(), stray.end()), std::sort(kept.begin(), kept.end());
    EXPECT_EQ(stray, kept);
    std::fclose(writing);
}

// ---- Fault injection on the replacement ----

enum Step { CREATE, WRITE_HEADER, WRITE_RECORD, FLUSH, LOCK, BACKUP, RENAME, NO_FAULT };

Step failingStep = NO_FAULT;
int writes = 0;
std::vector<std::string> calls;
// Appended to the log by "another copy of the program" after the copy.
std::string appendDuringCopy;
const FileOps* base = nullptr;  // the platform's own operations

void Call(const char* name)
{
    if (calls.empty() || calls.back() != name || calls.back() != "write")
        calls.push_back(name);
}

const FileOps& FaultyOps()
{
    static FileOps ops = [] {
        FileOps o = *base;
        o.createNew = [](const char* path) {
            return Call("create"), failingStep == CREATE ? nullptr : base->createNew(path);
        };
        o.writeAll = [](std::FILE* f, const void* data, std::size_t size) {
            Call("write");
            ++writes;
            const bool fails = writes == (failingStep == WRITE_HEADER ? 1 : failingStep == WRITE_RECORD ? 3 : -1);
            return fails ? -1 : base->writeAll(f, data, size);
        };
        o.flushToDisk = [](std::FILE* f) {
            Call("flush");
            // The copy is done but the lock not yet taken: the records must be carried over.
            if (!appendDuringCopy.empty()) {
                FileHandle h = LockNamedFile(LogFilePath.c_str());
                AppendWhole(h, appendDuringCopy.data(), appendDuringCopy.size());
                base->closeFile(h);
                appendDuringCopy.clear();
            }
            return failingStep == FLUSH ? -1 : base->flushToDisk(f);
        };
        o.lockFile = [](FileHandle h) { return Call("lock"), failingStep == LOCK ? -1 : base->lockFile(h); };
        o.closeFile = [](FileHandle h) { Call("unlock"), base->closeFile(h); };
        o.keepBackup = [](const char* path, const char* backup) {
            return Call("backup"), failingStep == BACKUP ? -1 : base->keepBackup(path, backup);
        };
        o.replaceFile = [](const char* from, const char* to) {
            return Call("replace"), failingStep == RENAME ? -1 : base->replaceFile(from, to);
        };
        return o;
    }();
    return ops;
}

class ReplacementFaultTest : public testsupport::ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        base = &CurrentFileOps();
        SetFileOps(&FaultyOps());
        failingStep = NO_FAULT, writes = 0;
        calls.clear();
        appendDuringCopy.clear();
    }
    void TearDown() override
    {
        SetFileOps(base);
        BackupOnDelete = 1;
        ProgramDirTest::TearDown();
    }
};

TEST_F(ReplacementFaultTest, LogIsOldOrNewWholeAndBackupAsPromised)
{
    const std::vector<SessionRecord> old = {Start(1, May(1)), End(1, May(2)), Start(1, May(13)), End(1, May(14))};
    const std::string oldBytes = LogBytes(old);
    const std::string newBytes = LogBytes({Start(1, May(1)), End(1, May(2))});
    const struct {
        Step step;
        ErrorCode error;
    } cases[] = {{CREATE, 117}, {WRITE_HEADER, 101}, {WRITE_RECORD, 101}, {FLUSH, 101},
                          {LOCK, 102},   {BACKUP, 115},       {RENAME, 102},       {NO_FAULT, 0}};
    for (int backup = 1; backup >= 0; --backup) {
        for (const auto& c : cases) {
            if (!backup && c.step == BACKUP)
                continue;
            SCOPED_TRACE("step " + std::to_string(c.step) + " backup " + std::to_string(backup));
            BackupOnDelete = backup;
            // The backup may be a second name of the log's file: unlink, not truncate.
            std::filesystem::remove(File("tolvane.log"));
            std::filesystem::remove(File("tolvane.bak"));
            WriteLog(File("tolvane.log"), old);
            WriteFileBytes(File("tolvane.bak"), "earlier backup");
            testsupport::ClearRecordedErrors();
            failingStep = c.step, writes = 0;
            calls.clear();
            int result = DeletePeriod(From(), To(), 0);
            if (c.step == NO_FAULT) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(ReadFileBytes(File("tolvane.log")), newBytes);
                EXPECT_EQ(ReadFileBytes(File("tolvane.bak")), backup ? oldBytes : "earlier backup");
                // Flushed before the lock is taken; the lock held only for
                // the catch-up, the second flush, the backup and the rename.
                std::vector<std::string> expected = {"create", "write",  "flush",   "lock",
                                                     "flush",  "backup", "replace", "unlock"};
                if (!backup)
                    expected.erase(expected.begin() + 5);
                EXPECT_EQ(calls, expected);
            } else {
                EXPECT_EQ(result, -1);
                EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{c.error});
                EXPECT_EQ(ReadFileBytes(File("tolvane.log")), oldBytes);
                // Only a copy of the current log may have replaced the older backup.
                std::string bak = ReadFileBytes(File("tolvane.bak"));
                EXPECT_TRUE(bak == "earlier backup" || (backup && c.step == RENAME && bak == oldBytes));
            }
            EXPECT_EQ(StrayFiles(Dir()), std::vector<std::string>{});
        }
    }
    failingStep = NO_FAULT;
}

TEST_F(ReplacementFaultTest, RecordsAppendedDuringTheCopyAreCarriedOver)
{
    const SessionRecord open = Start(2, May(13));
    WriteLog(File("tolvane.log"), {Start(1, May(1)), End(1, May(2)), Start(1, May(13)), End(1, May(14)), open});
    const SessionRecord late = End(2, May(30));
    appendDuringCopy = RecordBytes(late);
    EXPECT_EQ(DeletePeriod(From(), To(), 1), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Start(1, May(1)), End(1, May(2)), open, late}));

    // The single-record rewrite does not let the removed record back in.
    appendDuringCopy = RecordBytes(open) + RecordBytes(late);
    EXPECT_EQ(DeleteRecord(open), 0);
    EXPECT_EQ(ReadFileBytes(File("tolvane.log")), LogBytes({Start(1, May(1)), End(1, May(2)), late, late}));
}

// ---- Texts and presets of the Delete dialog ----

TEST(DeleteDialogData, ConfirmationTextAndPresets)
{
    LocalTime start, end;
    DefaultDeleteDates(LocalInstant(2024, 3, 10, 12), start, end);
    EXPECT_EQ(DeleteConfirmationText(ALL_ISPS_TEXT, start, end),
              "Delete log entries for All isps for the period 1 January 2023 to 31 December 2023?");
    EXPECT_EQ(DeleteConfirmationText(std::string(600, 'n'), start, end).size(), 511u);
}

} // namespace
