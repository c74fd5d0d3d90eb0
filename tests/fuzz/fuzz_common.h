// Shared by the fuzz targets: a private program folder with a silent error
// presenter, the input written into it, and the check that stops a run.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "startup/errors.h"
#include "startup/locations.h"

namespace fuzzsupport {

inline const std::filesystem::path& Directory()
{
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::temp_directory_path() / ("tolvane-fuzz-" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::create_directories(d);
        SetErrorPresenter([](const char*, const char*, ErrorCode) {});
        SetUpFileLocations((d / "tolvane.exe").string());
        ErrorLogPath.clear();  // keep the error log from growing without bound
        return d;
    }();
    return dir;
}

inline void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// A broken promise of the code under test: the fuzzer (or the replay under
// the sanitizers) reports the input that broke it.
inline void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

} // namespace fuzzsupport
