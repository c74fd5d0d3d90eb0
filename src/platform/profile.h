// Settings-file access: Windows profile files (sections of key=value lines),
// read and written a key at a time. Two backends behave alike: the Win32
// profile API (Windows build) and our own reader/writer (portable).
#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct ProfileBackend {
    // Like GetPrivateProfileStringA with a section and key: copies at most
    // size - 1 characters of the value (trimmed) or of the default into buf
    // and returns the number copied.
    int (*read)(const char* file, const char* section, const char* key, const char* def, char* buf, int size);
    // Like WritePrivateProfileStringA: value null deletes the key, key null
    // deletes the section, all three null flushes any cached copy.
    // Returns nonzero on success.
    int (*write)(const char* file, const char* section, const char* key, const char* value);
    // Like GetPrivateProfileSectionA: the section's key=value lines, each
    // ended by a NUL, then one more NUL; size - 2 when the buffer was short.
    int (*readSection)(const char* file, const char* section, char* buf, int size);
    // Like GetPrivateProfileSectionNamesA: the section names, NUL-ended.
    int (*readSectionNames)(const char* file, char* buf, int size);
};

extern const ProfileBackend IniProfileBackend;

// The backend every call below goes through; null restores the portable one.
void SetProfileBackend(const ProfileBackend* backend);
const ProfileBackend& CurrentProfileBackend();

// Raw read, GetPrivateProfileStringA-style. Returns the count copied.
int ProfileRead(const std::string& file, const char* section, const char* key, const char* def, char* buf, int size);

// The value (or def) read through a buffer of bufSize characters.
std::string ProfileGetString(const std::string& file, const char* section, const char* key, const char* def = "",
                             int bufSize = 512);

// Lenient number: missing or empty gives def; otherwise the leading decimal
// number of the text (optional sign), 0 when there is none.
long ProfileGetInt(const std::string& file, const char* section, const char* key, long def);

// Leading decimal number of a text (atol-like), 0 when there is none.
long LenientNumber(const char* text);

// Text rules both backends share: blanks and tabs trimmed, ASCII lower case,
// one pair of surrounding quotes removed from a value read.
std::string ProfileTrim(const std::string& text);
std::string ProfileLower(const std::string& text);
std::string ProfileUnquote(const std::string& value);

// Every write goes through here: a line break in a value becomes a blank (it
// would start a new line, and so a new key), and names holding one are
// refused. False when the file could not be written.
bool ProfileWrite(const std::string& file, const char* section, const char* key, const char* value);
bool ProfileWriteInt(const std::string& file, const char* section, const char* key, long value);
bool ProfileDeleteKey(const std::string& file, const char* section, const char* key);
// Makes the next read come from the file on disk.
void ProfileFlush(const std::string& file);

// A section read in one call, for loaders that look up many keys: by
// lower-case key, the value a key read would give (first of duplicate keys,
// blanks and one pair of quotes removed, not yet cut to a buffer).
struct ProfileSection {
    std::unordered_map<std::string, std::string> values;
    std::size_t bytes = 0;  // the size of the section's text
};

// Reads the whole section; a missing one is empty. 0, or -1 when its text
// would need more than maxBytes (or memory ran out).
int ProfileReadSection(const std::string& file, const char* section, std::size_t maxBytes, ProfileSection& out);
// The value (or def) as ProfileGetString with a buffer of bufSize would give it.
std::string ProfileSectionString(const ProfileSection& section, const char* key, const char* def, int bufSize = 512);
// The value as ProfileGetInt would give it.
long ProfileSectionInt(const ProfileSection& section, const char* key, long def);
// The lower-case names of the file's sections. 0, or -1 as above.
int ProfileSectionNames(const std::string& file, std::size_t maxBytes, std::vector<std::string>& names);
