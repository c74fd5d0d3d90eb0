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

namespace {

// Whatever the section holds, a loaded record keeps the model's invariants,
// so later users can index its arrays safely; a refused one is consistent.
void CheckTariff()
{
    TariffRecord r;
    const bool loaded = LoadTariff(r, "ISP1", ToLocalTime(1774008000), IniFilePath) == 0;
    const auto frames = static_cast<std::size_t>(r.NumFrames);
    if (r.FrameCharges.size() != frames || r.FrameNames.size() != frames ||
        r.DayExceptions.size() != static_cast<std::size_t>(r.NumExceptions))
        __builtin_trap();
    if (!loaded)
        return;
    if (r.NumFrames < 1 || r.FrameCost.size() != frames || r.FrameTime.size() != frames || r.SecsPerUnit < 1 ||
        r.PeriodStart.time > r.PeriodEnd.time)
        __builtin_trap();
    for (double c : r.FrameCharges)
        if (!(c >= 0.0 && c < 1e300))
            __builtin_trap();
    for (const auto& day : r.Schedules)
        for (const ScheduleEntry& e : day)
            if (e.Frame < 0 || static_cast<std::size_t>(e.Frame) >= frames)
                __builtin_trap();
    if ((r.AccumulateBeforeRounding != 0 && (r.MinCharge != 0.0 || r.PrepaidMethod != 0)) ||
        (r.OffsetsConnectCharge != 0 && r.PrepaidMethod == 0))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Directory();
    fuzzsupport::WriteFile(IniFilePath, data, size);
    ProfileFlush(IniFilePath);
    const char* sections[] = {"Global", "ISP1", "Phone", "Monitor", ""};
    const char* keys[] = {"ActiveIDs", "Description", "NumFrames", "Frame0", ""};
    for (const char* s : sections) {
        ProfileSection whole;
        if (ProfileReadSection(IniFilePath, s, 1 << 20, whole) != 0)
            __builtin_trap();
        for (const char* k : keys) {
            char buf[64];
            int n = ProfileRead(IniFilePath, s, k, "d", buf, sizeof buf);
            if (n < 0 || n > 63)
                __builtin_trap();
            // A section read gives what a key read gives.
            if (*s && *k && ProfileSectionString(whole, k, "d", sizeof buf) != std::string(buf, static_cast<std::size_t>(n)))
                __builtin_trap();
        }
    }
    IdList ids;
    ReadIdList("ActiveIDs", true, ids);
    for (std::int32_t id : ids)
        if (id < 1)
            __builtin_trap();
    CheckTariff();
    // A write followed by a read gives the value back and leaves other keys.
    const std::string phone = ProfileGetString(IniFilePath, "Phone", "Frame0", "none");
    if (ProfileWrite(IniFilePath, "ISP1", "Description", "fuzz value\r\nx=1")) {
        ProfileFlush(IniFilePath);
        if (ProfileGetString(IniFilePath, "isp1", "DESCRIPTION") != "fuzz value  x=1" ||
            ProfileGetString(IniFilePath, "Phone", "Frame0", "none") != phone)
            __builtin_trap();
    }
    ProfileDeleteKey(IniFilePath, "Global", "ActiveIDs");
    if (ProfileGetString(IniFilePath, "Global", "ActiveIDs", "gone") != "gone")
        __builtin_trap();
    return 0;
}
