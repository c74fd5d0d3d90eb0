#include "startup/locations.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>

#include "platform/profile.h"
#include "startup/errors.h"

#ifdef _WIN32
#include <direct.h>
const char PathSeparator = '\\';
#else
const char PathSeparator = '/';
#endif

std::string ProgramPath;
std::string ProgramDirectory;
std::string HelpFilePath;
std::string IniFilePath;
std::string LogFilePath;
std::string BackupFilePath;
std::string ErrorLogPath;

std::int32_t ConfirmDelete = 1;
std::int32_t BackupOnDelete = 1;
std::uint32_t HackFlags = 0;

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool NeedsSeparator(const char* directory, std::size_t length)
{
    return length > 0 && !IsSeparator(directory[length - 1]);
}

// Splits a path as _splitpath does: "C:" and the directory with its
// trailing separator.
void SplitDriveAndDirectory(const std::string& path, std::string& drive, std::string& directory)
{
    std::size_t start = 0;
    drive.clear();
    if (path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        start = 2;
    }
    std::size_t last = std::string::npos;
    for (std::size_t i = start; i < path.size(); ++i)
        if (IsSeparator(path[i]))
            last = i;
    directory = last == std::string::npos ? std::string() : path.substr(start, last - start + 1);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool MakeDirectory(const std::string& path)
{
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

} // namespace

std::string JoinPath(const std::string& directory, const std::string& name)
{
    std::string result = directory;
    if (NeedsSeparator(directory.c_str(), directory.size()))
        result += PathSeparator;
    result += name;
    return result;
}

char* JoinPath(char* directory, const char* name, std::size_t capacity)
{
    if (!directory || capacity == 0)
        return directory;
    std::size_t length = strnlen(directory, capacity);
    if (length >= capacity) {
        directory[capacity - 1] = '\0';
        length = capacity - 1;
    }
    if (NeedsSeparator(directory, length) && length + 1 < capacity) {
        directory[length++] = PathSeparator;
        directory[length] = '\0';
    }
    std::size_t room = capacity - 1 - length;
    std::size_t n = std::strlen(name);
    if (n > room)
        n = room;
    std::memcpy(directory + length, name, n);
    directory[length + n] = '\0';
    return directory;
}

int SetUpFileLocations(const std::string& programPath)
{
    try {
        std::string drive, directory;
        SplitDriveAndDirectory(programPath, drive, directory);
        HelpFilePath = drive;
        HelpFilePath.append(directory).append("tolvanew").append(".hlp");
        if (!directory.empty() && IsSeparator(directory.back()) && directory.size() > 1)
            directory.pop_back();
        else if (directory.size() == 1)
            directory.clear(); // the root: "C:" alone, or "/" kept below
        ProgramDirectory = drive;
        ProgramDirectory.append(directory);
#ifndef _WIN32
        // A program in the POSIX root keeps "/" as its directory.
        if (ProgramDirectory.empty() && !programPath.empty() && programPath[0] == '/')
            ProgramDirectory.assign(1, PathSeparator);
#endif
        if (!ProgramDirectory.empty() && !DirectoryExists(ProgramDirectory) &&
            !(drive.size() == 2 && ProgramDirectory == drive)) {
            if (!MakeDirectory(ProgramDirectory) && !DirectoryExists(ProgramDirectory)) {
                ShowError(111, ProgramDirectory.c_str());
                return -1;
            }
        }
        IniFilePath = JoinPath(ProgramDirectory, "tolvane.ini");
        LogFilePath = JoinPath(ProgramDirectory, "tolvane.log");
        BackupFilePath = JoinPath(ProgramDirectory, "tolvane.bak");
        ErrorLogPath = JoinPath(ProgramDirectory, "tolvane.err");
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
    return 0;
}

void LoadGlobalDeleteSettings()
{
    ProfileFlush(IniFilePath);
    ConfirmDelete = ProfileGetInt(IniFilePath, "Global", "ConfirmDelete", 1) != 0 ? 1 : 0;
    BackupOnDelete = ProfileGetInt(IniFilePath, "Global", "BackupOnDelete", 1) != 0 ? 1 : 0;
    HackFlags = static_cast<std::uint32_t>(ProfileGetInt(IniFilePath, "Global", "HackFlags", 0));
}

void SaveGlobalDeleteSettings()
{
    ProfileWrite(IniFilePath, "Global", "ConfirmDelete", ConfirmDelete ? "1" : "0");
    ProfileWrite(IniFilePath, "Global", "BackupOnDelete", BackupOnDelete ? "1" : "0");
}
