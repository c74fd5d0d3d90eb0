// Feeds arbitrary bytes to the session log reader as tolvane.log.
#include <cstddef>
#include <cstdint>

#include "fuzz_common.h"
#include "sessionlog/sessionlog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Directory();
    fuzzsupport::WriteFile(LogFilePath, data, size);
    HackFlags = size > 0 ? (data[0] & 1u) : 0;
    if (SessionLogPtr log = OpenSessionLog(LOG_READ)) {
        SessionPair pair;
        int result;
        while ((result = ReadSession(*log, pair)) == 0 || result == 2) {
            if (pair.start.magic != SESSION_RECORD_MAGIC || pair.start.kind != SESSION_START)
                __builtin_trap();  // a session always begins with a start record
            if (result == 0 && (pair.end.kind != SESSION_END || pair.end.ispId != pair.start.ispId))
                __builtin_trap();
            if (result == 2)
                break;
        }
    }
    SessionRecord open;
    FindOpenSession(open);
    // Appending must keep the file readable to the end.
    if (RecordSessionEvent(1, SESSION_END, 0, 1000) == 0) {
        if (SessionLogPtr log = OpenSessionLog(LOG_READ)) {
            SessionRecord r;
            while (ReadSessionRecord(*log, r) == 0) {
            }
        }
    }
    HackFlags = 0;
    return 0;
}
