#include "support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/clock.h"
#include "platform/localtime.h"
#include "platform/profile.h"
#include "startup/locations.h"

#ifdef _WIN32
#include "platform/win32_seams.h"
#endif

namespace testsupport {

namespace {
std::vector<ShownError> recorded;
} // namespace

std::vector<ShownError>& RecordedErrors() { return recorded; }

void ClearRecordedErrors() { recorded.clear(); }

std::vector<ErrorCode> RecordedCodes()
{
    std::vector<ErrorCode> codes;
    std::ranges::transform(recorded, std::back_inserter(codes), &ShownError::code);
    return codes;
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::filesystem::path& path)
{
    std::string text = ReadFileBytes(path);
    std::erase(text, '\r');
    return text;
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void ProgramDirTest::WriteIni(const std::string& text) const
{
    WriteFileBytes(IniFilePath, text);
    ProfileFlush(IniFilePath);
}

std::string ProgramDirTest::IniValue(const char* section, const char* key) const
{
    return ProfileGetString(IniFilePath, section, key, "<none>");
}

std::string ProgramDirTest::IniValues(const char* section, const std::vector<const char*>& keys) const
{
    std::string out;
    for (const char* key : keys)
        out += (out.empty() ? "" : "|") + IniValue(section, key);
    return out;
}

void ProgramDirTest::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::ranges::replace_if(name, [](char c) { return c == '/' || c == '\\'; }, '_');
    // The process id keeps two checkouts running the same test apart.
    dir_ = std::filesystem::temp_directory_path() / "tolvane-tests" / (name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetUpFileLocations((dir_ / "tolvane.exe").string());
    ProfileFlush(IniFilePath);
    HackFlags = 0;
    ClearRecordedErrors();
}

void ProgramDirTest::TearDown()
{
    UnpinClock();
    ErrorLogPath.clear();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

ScopedTimeZone::ScopedTimeZone(const char* tz)
{
    if (const char* old = std::getenv("TZ"))
        saved_ = old;
    ok_ = SetTimeZoneForTesting(tz);
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (ok_)
        SetTimeZoneForTesting(saved_ ? saved_->c_str() : "UTC");
}

std::int64_t LocalInstant(int year, int month, int day, int hour, int minute, int second)
{
    return LocalDateTimeInstant(year, month, day, hour, minute, second);
}

} // namespace testsupport

int main(int argc, char** argv)
{
#ifdef _WIN32
    InstallWin32Seams();
#endif
    SetTimeZoneForTesting("UTC");
    SetErrorPresenter([](const char* text, const char* caption, ErrorCode code) {
        testsupport::RecordedErrors().push_back({code, text, caption});
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
