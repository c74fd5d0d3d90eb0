// ISP numbers: which exist (ActiveIDs), which are used up (ReservedIDs), and
// the default ISP, all in [Global] of the settings file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using IdList = std::vector<std::int32_t>;

// The highest number ever handed out is 32766.
constexpr std::int32_t MAX_ISP_ID = 32766;

// Reads "ActiveIDs" or "ReservedIDs" whole. 0, or -1 when memory ran out
// (error 105 unless quiet).
int ReadIdList(const char* key, bool quiet, IdList& ids);
// The pieces of a text split at commas and blanks, empty pieces skipped.
std::vector<std::string> SplitList(const std::string& text);
// Splits a list text at commas and blanks, keeping numbers of 1 or more.
IdList ParseIdList(const std::string& text);
// "%d" items joined by ",".
std::string FormatIdList(const IdList& ids);

// The lowest free number, appended to ActiveIDs; -1 (a list was unreadable)
// or -2 (no number left).
std::int32_t AllocateIspId();
std::int32_t GetDefaultIsp();
void SetDefaultIsp(std::int32_t number);

// The raw list texts, for undoing changes; an empty text deletes its key.
int ReadIdStrings(std::string& active, std::string& reserved);
void RestoreIdStrings(const std::string& active, const std::string& reserved);

// Reads a key through a buffer that grows while the value fills it.
std::string ReadWholeValue(const std::string& file, const char* section, const char* key);

// The ISP's Description, or its section name "ISP%d" when it has none.
std::string GetIspDescription(std::int32_t ispId);
// The settings section of an ISP: "ISP%d".
std::string IspSectionName(std::int32_t ispId);
