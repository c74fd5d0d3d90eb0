// The Win32 implementations of the platform seams.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/fileops.h"
#include "platform/profile.h"
#include "platform/win32/win32_api.h"
#include "platform/win32_seams.h"
#include "platform/win32/win32_ui.h"
#include "sessionlog/win32/logdialogs.h"
#include "startup/errors.h"

namespace {

int Win32ProfileRead(const char* file, const char* section, const char* key, const char* def, char* buf, int size)
{
    if (size <= 0)
        return 0;
    return static_cast<int>(GetPrivateProfileStringA(section, key, def, buf, static_cast<DWORD>(size), file));
}

int Win32ProfileWrite(const char* file, const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, file) ? 1 : 0;
}

int Win32ProfileReadSection(const char* file, const char* section, char* buf, int size)
{
    if (size <= 0)
        return 0;
    return static_cast<int>(GetPrivateProfileSectionA(section, buf, static_cast<DWORD>(size), file));
}

int Win32ProfileReadSectionNames(const char* file, char* buf, int size)
{
    if (size <= 0)
        return 0;
    return static_cast<int>(GetPrivateProfileSectionNamesA(buf, static_cast<DWORD>(size), file));
}

const ProfileBackend Win32ProfileBackend = {Win32ProfileRead, Win32ProfileWrite, Win32ProfileReadSection,
                                            Win32ProfileReadSectionNames};

// The writers' lock: a named mutex for the log's full path, waited for
// before the log is opened. Windows (and Wine) refuse to give a file's name
// to another file while any process has it open, so a lock on the log file
// itself would keep every waiting appender holding it open and make the
// rename at the end of a rewrite fail.
struct Win32Lock {
    HANDLE mutex = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool owned = false;
    std::string path;
};

Win32Lock* AsLock(FileHandle h)
{
    return reinterpret_cast<Win32Lock*>(h);
}

std::string MutexName(const char* path)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    std::string name = n > 0 && n < sizeof full ? full : path;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a of the upper-cased path
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c == '/' ? '\\' : c);
        hash *= 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Local\\tolvane-log-%016llx", static_cast<unsigned long long>(hash));
    return text;
}

FileHandle Win32OpenForAppend(const char* path)
{
    // The file must exist already: a log is never created here, headerless.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return NO_FILE;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, MutexName(path).c_str());
    if (!mutex)
        return NO_FILE;
    Win32Lock* lock = new Win32Lock;
    lock->mutex = mutex;
    lock->path = path;
    return reinterpret_cast<FileHandle>(lock);
}

int Win32LockFile(FileHandle h)
{
    Win32Lock* lock = AsLock(h);
    DWORD waited = WaitForSingleObject(lock->mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)  // abandoned: its owner was killed
        return -1;
    lock->owned = true;
    lock->file = CreateFileA(lock->path.c_str(), FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    return lock->file == INVALID_HANDLE_VALUE ? -1 : 0;
}

bool Win32IsNamedFile(FileHandle h, const char*)
{
    return AsLock(h)->file != INVALID_HANDLE_VALUE;  // opened by its name under the lock
}

bool SameFileInfo(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool Win32SameFile(std::FILE* stream, FileHandle h)
{
    HANDLE s = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return s != INVALID_HANDLE_VALUE && SameFileInfo(s, AsLock(h)->file);
}

std::int64_t Win32FileSize(FileHandle h)
{
    LARGE_INTEGER size;
    return GetFileSizeEx(AsLock(h)->file, &size) ? size.QuadPart : -1;
}

long Win32WriteAtEnd(FileHandle h, const void* data, std::size_t size)
{
    // Under the lock no other writer moves the end between these two steps.
    LARGE_INTEGER zero{};
    DWORD written = 0;
    HANDLE file = AsLock(h)->file;
    if (size > MAXDWORD || !SetFilePointerEx(file, zero, nullptr, FILE_END))
        return -1;
    if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == 0)
        return -1;
    return static_cast<long>(written);
}

int Win32TruncateFile(FileHandle h, std::int64_t size)
{
    LARGE_INTEGER at;
    at.QuadPart = size;
    HANDLE file = AsLock(h)->file;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file) ? 0 : -1;
}

void Win32KeepOnlyLock(FileHandle h)
{
    Win32Lock* lock = AsLock(h);
    if (lock->file != INVALID_HANDLE_VALUE)
        CloseHandle(lock->file);
    lock->file = INVALID_HANDLE_VALUE;
}

void Win32CloseFile(FileHandle h)
{
    Win32Lock* lock = AsLock(h);
    Win32KeepOnlyLock(h);
    if (lock->owned)
        ReleaseMutex(lock->mutex);
    CloseHandle(lock->mutex);
    delete lock;
}

int Win32FlushToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0)
        return -1;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    return FlushFileBuffers(h) ? 0 : -1;
}

int Win32ReplaceFile(const char* from, const char* to)
{
    // A reader that has the file open for a moment (a report, another
    // copy checking the header) refuses the rename: try again briefly.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        DWORD e = GetLastError();
        if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED)
            return -1;
        Sleep(20);
    }
    return -1;
}

int Win32KeepBackup(const char* path, const char* backup)
{
    // A second name for the log is instant, so appenders waiting for the
    // lock wait no longer than for a rename; volumes without links copy.
    std::string temp = std::string(backup) + ".new";
    DeleteFileA(temp.c_str());
    if (CreateHardLinkA(temp.c_str(), path, nullptr)) {
        if (Win32ReplaceFile(temp.c_str(), backup) == 0)
            return 0;
        DeleteFileA(temp.c_str());
    }
    return CopyFileA(path, backup, FALSE) ? 0 : -1;
}

std::FILE* Win32OpenExisting(const char* path, const char* mode)
{
    // A rename over the file (a rewrite of the log, a save of the settings)
    // holds it for a moment; give up after two seconds.
    for (int attempt = 0;; ++attempt) {
        std::FILE* f = std::fopen(path, mode);
        const DWORD e = GetLastError();
        if (f || attempt == 200 || (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED))
            return f;
        Sleep(10);
    }
}

int Win32RenameNoReplace(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

int Win32RemoveFile(const char* path)
{
    if (DeleteFileA(path))
        return 0;
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

std::FILE* Win32CreateNew(const char* path)
{
    // Not shared for deletion: while its writer has it open, no cleanup in
    // another process can remove it.
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = _fdopen(fd, "w+b");
    if (!f)
        _close(fd);  // also closes the handle
    return f;
}

int Win32RemoveAbandoned(const char* path)
{
    return DeleteFileA(path) ? 0 : -1;  // fails with a sharing violation while written
}

int Win32WriteAll(std::FILE* stream, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, stream) == size ? 0 : -1;
}

const FileOps Win32FileOps = {
    Win32OpenForAppend, Win32LockFile,    Win32IsNamedFile,     Win32SameFile,
    Win32FileSize,      Win32WriteAtEnd,  Win32TruncateFile,    Win32KeepOnlyLock,    Win32CloseFile,
    Win32FlushToDisk,   Win32ReplaceFile, Win32KeepBackup,      Win32RenameNoReplace,
    Win32RemoveFile,    Win32CreateNew,   Win32RemoveAbandoned, Win32WriteAll,
    Win32OpenExisting};

void MessageBoxPresenter(const char* text, const char* caption, ErrorCode)
{
    Api.MessageBoxA(CurrentDialog, text, caption, MB_ICONHAND | MB_OK);
}

} // namespace

const ProfileBackend& Win32Profile()
{
    return Win32ProfileBackend;
}

void InstallWin32Seams()
{
    SetProfileBackend(&Win32ProfileBackend);
    SetFileOps(&Win32FileOps);
    SetErrorPresenter(MessageBoxPresenter);
    InstallWin32ViewerLauncher();
    InstallCrashRecoveryDialog();
}
