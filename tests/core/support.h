// Shared test fixtures: a temporary program directory per test, a recorder
// for error boxes, a pinned clock and a chosen time zone.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "startup/errors.h"

namespace testsupport {

struct ShownError {
    ErrorCode code;
    std::string text;
    std::string caption;
};

// Errors shown through ShowError since the last clear, and their codes.
std::vector<ShownError>& RecordedErrors();
void ClearRecordedErrors();
std::vector<ErrorCode> RecordedCodes();

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// A text file's contents with every CR dropped.
std::string ReadText(const std::filesystem::path& path);

// A fresh directory holding the program's files; file locations point into it.
class ProgramDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path Dir() const { return dir_; }
    std::filesystem::path File(const char* name) const { return dir_ / name; }
    // Replaces tolvane.ini and makes the next read come from it; one key of it.
    void WriteIni(const std::string& text) const;
    std::string IniValue(const char* section, const char* key) const;
    // Several keys of a section, each as IniValue gives it, joined by '|'.
    std::string IniValues(const char* section, const std::vector<const char*>& keys) const;

private:
    std::filesystem::path dir_;
};

// Sets TZ for the scope (native only); skips the test where named zones are
// unavailable.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz);
    ~ScopedTimeZone();
    bool ok() const { return ok_; }

private:
    std::optional<std::string> saved_;
    bool ok_ = false;
};

#define TOLVANE_REQUIRE_TZ(name)                                             \
    ::testsupport::ScopedTimeZone scopedTz_(name);                           \
    if (!scopedTz_.ok())                                                     \
    GTEST_SKIP() << "named time zones are not available on this platform"

// An instant from local calendar fields in the current zone.
std::int64_t LocalInstant(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

} // namespace testsupport
