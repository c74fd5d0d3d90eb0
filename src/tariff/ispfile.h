// ISP definition files (.ISP): profile files that carry tariffs between
// installations. An [Import] header describes the file; each tariff lives in
// a section "ImportISP%d" or "ImportPhone%d", numbered from 1 per kind, with
// the keys of a tariff section of the settings file. An optional
// [Disclaimer] holds lines the user must accept before importing.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/localtime.h"
#include "tariff/tariff.h"

// Four numbers, most significant first.
using VersionNumbers = std::array<std::uint32_t, 4>;
constexpr VersionNumbers PROGRAM_VERSION = {2, 1, 4, 0};
// What a file this program writes needs at least.
constexpr VersionNumbers ISP_FILE_MIN_VERSION = {1, 91, 0, 1};

// File descriptions are read and handed back through this many characters.
constexpr int ISP_FILE_DESCRIPTION_MAX = 1023;

// "a.b.c.d"; a missing or non-numeric part reads as 0, a part too large
// for 32 bits as the largest value.
VersionNumbers ParseVersion(const std::string& text);
std::string FormatVersion(const VersionNumbers& version);

// 0 when this program may read and write the file (a missing file or one
// without MinVersion passes), -1 after error 1011 naming the path.
int CheckIspFileVersion(const std::string& path);

// The file's FileDescription, "" when there is none.
std::string ReadIspFileDescription(const std::string& path);

// Appends the record as the next entry of its kind, once the version check
// has passed: the header brought up to date (and flushed), the tariff
// written without its RasName (and flushed). 0, or -1 after error 1011
// (nothing written), 115 or 105.
int WriteIspFileEntry(const std::string& path, const std::string& description, const TariffRecord& record,
                      bool phone);

// The two readers below read what the version check read from disk (an
// import reads a large file once).

// The disclaimer as one text, each line ended by CR LF. False when the file
// has none (NumLines missing or below 1) or the text could not be built.
bool BuildDisclaimer(const std::string& path, std::string& text);

struct IspFileEntry {
    std::string name;  // its Description, or "ISP%d" / "Phone%d"
    std::int32_t number = 0;
};

// The entries of one kind that exist and are counted by LastISP/LastPhone,
// sorted by name (case ignored, then by number). Entries past a sanity
// bound are not listed; a file too large to index lists none.
std::vector<IspFileEntry> ListIspFileEntries(const std::string& path, bool phone);

// The section of entry n: "ImportISP%d" or "ImportPhone%d".
std::string IspFileSection(std::int64_t number, bool phone);

// Loads entry n into an empty record (Id 0, no RasName) for the reference.
// 0, or -1 after error 105.
int LoadIspFileEntry(TariffRecord& record, const std::string& path, std::int32_t number, bool phone,
                     const LocalTime& reference);
