// Where the program's files live, settled once at start-up.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

extern std::string ProgramPath;
extern std::string ProgramDirectory;
extern std::string HelpFilePath;
extern std::string IniFilePath;
extern std::string LogFilePath;
extern std::string BackupFilePath;
extern std::string ErrorLogPath;

// [Global] settings read at start-up.
extern std::int32_t ConfirmDelete;
extern std::int32_t BackupOnDelete;
extern std::uint32_t HackFlags;

// Directory, then one '\' unless the directory is empty or already ends in
// '\' or '/', then the name.
std::string JoinPath(const std::string& directory, const std::string& name);
// In-place form: appends to the directory buffer of the given capacity,
// cutting the result to fit. Returns the buffer.
char* JoinPath(char* directory, const char* name, std::size_t capacity);

// Fills the paths from the program path; creates the directory when missing.
// 0, or -1 after reporting the error.
int SetUpFileLocations(const std::string& programPath);

// The separator JoinPath adds: '\\' on Windows, '/' on the portable build.
extern const char PathSeparator;

// [Global] ConfirmDelete, BackupOnDelete and HackFlags, read at start-up;
// the save writes the first two back ("1" or "0").
void LoadGlobalDeleteSettings();
void SaveGlobalDeleteSettings();
