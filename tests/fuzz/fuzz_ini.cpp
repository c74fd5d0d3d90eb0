// Feeds arbitrary bytes to the portable settings-file reader and writer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "platform/profile.h"
#include "tariff/ispnumbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Directory();
    fuzzsupport::WriteFile(IniFilePath, data, size);
    ProfileFlush(IniFilePath);
    const char* sections[] = {"Global", "ISP1", "Phone", "Monitor", ""};
    const char* keys[] = {"ActiveIDs", "Description", "NumFrames", "Frame0", ""};
    for (const char* s : sections)
        for (const char* k : keys) {
            char buf[64];
            int n = ProfileRead(IniFilePath, s, k, "d", buf, sizeof buf);
            if (n < 0 || n > 63)
                __builtin_trap();
        }
    IdList ids;
    ReadIdList("ActiveIDs", true, ids);
    for (std::int32_t id : ids)
        if (id < 1)
            __builtin_trap();
    // A write followed by a read must give the value back.
    if (ProfileWrite(IniFilePath, "ISP1", "Description", "fuzz value")) {
        ProfileFlush(IniFilePath);
        if (ProfileGetString(IniFilePath, "isp1", "DESCRIPTION") != "fuzz value")
            __builtin_trap();
    }
    ProfileDeleteKey(IniFilePath, "Global", "ActiveIDs");
    if (ProfileGetString(IniFilePath, "Global", "ActiveIDs", "gone") != "gone")
        __builtin_trap();
    return 0;
}
