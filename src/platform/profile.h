// Settings-file access: Windows profile files (sections of key=value lines),
// read and written a key at a time. Two backends behave alike: the Win32
// profile API (Windows build) and our own reader/writer (portable).
#pragma once
#include <string>

struct ProfileBackend {
    // Like GetPrivateProfileStringA with a section and key: copies at most
    // size - 1 characters of the value (trimmed) or of the default into buf
    // and returns the number copied.
    int (*read)(const char* file, const char* section, const char* key, const char* def, char* buf, int size);
    // Like WritePrivateProfileStringA: value null deletes the key, key null
    // deletes the section, all three null flushes any cached copy.
    // Returns nonzero on success.
    int (*write)(const char* file, const char* section, const char* key, const char* value);
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

bool ProfileWrite(const std::string& file, const char* section, const char* key, const char* value);
bool ProfileWriteInt(const std::string& file, const char* section, const char* key, long value);
bool ProfileDeleteKey(const std::string& file, const char* section, const char* key);
// Makes the next read come from the file on disk.
void ProfileFlush(const std::string& file);
