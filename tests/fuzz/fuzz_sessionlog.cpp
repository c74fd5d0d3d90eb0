// Feeds arbitrary bytes to the session log reader as tolvane.log.
#include <cstddef>
#include <cstdint>

#include "fuzz_common.h"
#include "sessionlog/sessionlog.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Directory();
    fuzzsupport::WriteFile(LogFilePath, data, size);
    HackFlags = size > 0 ? (data[0] & 1u) : 0;
    if (SessionLogPtr log = OpenSessionLog(LOG_READ)) {
        SessionPair pair;
        for (int result; (result = ReadSession(*log, pair)) == 0 || result == 2;) {
            // A session always begins with a start record, and a whole one ends with its ISP's end.
            Require(pair.start.magic == SESSION_RECORD_MAGIC && pair.start.kind == SESSION_START);
            if (result == 2)
                break;
            Require(pair.end.kind == SESSION_END && pair.end.ispId == pair.start.ispId);
        }
    }
    SessionRecord open;
    FindOpenSession(open);
    // Appending must keep the file readable to the end.
    if (RecordSessionEvent(1, SESSION_END, 0, 1000) == 0)
        if (SessionLogPtr log = OpenSessionLog(LOG_READ))
            for (SessionRecord r; ReadSessionRecord(*log, r) == 0;) {
            }
    HackFlags = 0;
    return 0;
}
