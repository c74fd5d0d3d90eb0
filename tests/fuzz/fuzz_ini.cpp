// Feeds arbitrary bytes to the portable settings-file reader and writer and
// to the tariff loader over it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "tariff/ispnumbers.h"
#include "tariff/tariffstore.h"

using fuzzsupport::Require;

namespace {

// Whatever the section holds, a loaded record keeps the model's invariants,
// so later users can index its arrays safely; a refused one is consistent.
void CheckTariff()
{
    TariffRecord r;
    const bool loaded = LoadTariff(r, "ISP1", ToLocalTime(1774008000), IniFilePath) == 0;
    const auto frames = static_cast<std::size_t>(r.NumFrames);
    Require(r.FrameCharges.size() == frames && r.FrameNames.size() == frames &&
            r.DayExceptions.size() == static_cast<std::size_t>(r.NumExceptions));
    if (!loaded)
        return;
    Require(r.NumFrames >= 1 && r.FrameCost.size() == frames && r.FrameTime.size() == frames && r.SecsPerUnit >= 1 &&
            r.PeriodStart.time <= r.PeriodEnd.time);
    for (double c : r.FrameCharges)
        Require(c >= 0.0 && c < 1e300);
    for (const auto& day : r.Schedules)
        for (const ScheduleEntry& e : day)
            Require(e.Frame >= 0 && static_cast<std::size_t>(e.Frame) < frames);
    Require((r.AccumulateBeforeRounding == 0 || (r.MinCharge == 0.0 && r.PrepaidMethod == 0)) &&
            (r.OffsetsConnectCharge == 0 || r.PrepaidMethod != 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Directory();
    fuzzsupport::WriteFile(IniFilePath, data, size);
    ProfileFlush(IniFilePath);
    for (const char* s : {"Global", "ISP1", "Phone", "Monitor", ""}) {
        ProfileSection whole;
        Require(ProfileReadSection(IniFilePath, s, 1 << 20, whole) == 0);
        for (const char* k : {"ActiveIDs", "Description", "NumFrames", "Frame0", ""}) {
            char buf[64];
            const int n = ProfileRead(IniFilePath, s, k, "d", buf, sizeof buf);
            Require(n >= 0 && n <= 63);
            // A section read gives what a key read gives.
            Require(!*s || !*k || ProfileSectionString(whole, k, "d", sizeof buf) == std::string(buf, std::size_t(n)));
        }
    }
    IdList ids;
    ReadIdList("ActiveIDs", true, ids);
    for (std::int32_t id : ids)
        Require(id >= 1);
    CheckTariff();
    // A write followed by a read gives the value back and leaves other keys.
    const std::string phone = ProfileGetString(IniFilePath, "Phone", "Frame0", "none");
    if (ProfileWrite(IniFilePath, "ISP1", "Description", "fuzz value\r\nx=1")) {
        ProfileFlush(IniFilePath);
        Require(ProfileGetString(IniFilePath, "isp1", "DESCRIPTION") == "fuzz value  x=1" &&
                ProfileGetString(IniFilePath, "Phone", "Frame0", "none") == phone);
    }
    ProfileDeleteKey(IniFilePath, "Global", "ActiveIDs");
    Require(ProfileGetString(IniFilePath, "Global", "ActiveIDs", "gone") == "gone");
    return 0;
}
