// Feeds arbitrary bytes to the ISP definition file reader as an import file:
// the version check, the description, the disclaimer, both entry lists, the
// loading of an entry, and an export into it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "tariff/ispfile.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = (fuzzsupport::Directory() / "fuzz.ISP").string();
    fuzzsupport::WriteFile(path, data, size);
    const bool accepted = CheckIspFileVersion(path) == 0;
    Require(ReadIspFileDescription(path).size() <= ISP_FILE_DESCRIPTION_MAX);
    std::string disclaimer;
    Require(!BuildDisclaimer(path, disclaimer) || disclaimer.size() <= std::size_t{MAX_TARIFF_COUNT} * 513);
    std::size_t isps = 0;
    for (bool phone : {false, true}) {
        const std::vector<IspFileEntry> entries = ListIspFileEntries(path, phone);
        Require(entries.size() <= static_cast<std::size_t>(MAX_TARIFF_COUNT));
        for (const IspFileEntry& e : entries)
            Require(e.number >= 1 && !e.name.empty() && e.name.size() <= 511);
        if (!phone)
            isps = entries.size();
        TariffRecord r;
        if (!entries.empty() && LoadIspFileEntry(r, path, entries.front().number, phone, ToLocalTime(1774008000)) == 0)
            Require(r.Id == 0 && r.RasName.empty() && r.NumFrames >= 1 &&
                    r.FrameCharges.size() == static_cast<std::size_t>(r.NumFrames));
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
        Require(accepted);
        const long last = LenientNumber(ProfileGetString(path, "Import", "LastISP", "").c_str());
        ProfileFlush(path);
        Require(ProfileGetString(path, IspFileSection(last, false).c_str(), "RasName", "").empty());
        Require(isps >= 100 || last >= 1000000 || ListIspFileEntries(path, false).size() == isps + 1);
    }
    return 0;
}
