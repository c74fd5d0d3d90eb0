// Feeds arbitrary bytes to the ISP definition file reader as an import file:
// the version check, the description, the disclaimer, both entry lists, the
// loading of an entry, and an export into it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "tariff/ispfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = (fuzzsupport::Directory() / "fuzz.ISP").string();
    fuzzsupport::WriteFile(path, data, size);
    const bool accepted = CheckIspFileVersion(path) == 0;
    if (ReadIspFileDescription(path).size() > ISP_FILE_DESCRIPTION_MAX)
        __builtin_trap();
    std::string disclaimer;
    if (BuildDisclaimer(path, disclaimer) && disclaimer.size() > std::size_t{MAX_TARIFF_COUNT} * 513)
        __builtin_trap();
    std::size_t isps = 0;
    for (bool phone : {false, true}) {
        const std::vector<IspFileEntry> entries = ListIspFileEntries(path, phone);
        if (entries.size() > static_cast<std::size_t>(MAX_TARIFF_COUNT))
            __builtin_trap();
        for (const IspFileEntry& e : entries)
            if (e.number < 1 || e.name.empty() || e.name.size() > 511)
                __builtin_trap();
        if (!phone)
            isps = entries.size();
        if (!entries.empty()) {
            TariffRecord r;
            if (LoadIspFileEntry(r, path, entries.front().number, phone, ToLocalTime(1774008000)) == 0 &&
                (r.Id != 0 || !r.RasName.empty() || r.NumFrames < 1 ||
                 r.FrameCharges.size() != static_cast<std::size_t>(r.NumFrames)))
                __builtin_trap();
        }
    }
    // An export adds an entry the list then shows (unless the count was
    // already at its end), and never a RAS name. Each write reaches the
    // disk, so only some inputs export.
    if (size == 0 || (data[size - 1] & 7) != 0)
        return 0;
    TariffRecord record;
    record.Description = "fuzz export";
    record.RasName = "personal";
    record.NumFrames = 1;
    record.FrameCharges = {0.01};
    record.FrameNames = {"F"};
    if (WriteIspFileEntry(path, "d", record, false) == 0) {
        if (!accepted)
            __builtin_trap();
        const std::string last = ProfileGetString(path, "Import", "LastISP", "");
        ProfileFlush(path);
        if (ProfileGetString(path, IspFileSection(LenientNumber(last.c_str()), false).c_str(), "RasName", "") != "")
            __builtin_trap();
        if (isps < 100 && LenientNumber(last.c_str()) < 1000000 && ListIspFileEntries(path, false).size() != isps + 1)
            __builtin_trap();
    }
    return 0;
}
