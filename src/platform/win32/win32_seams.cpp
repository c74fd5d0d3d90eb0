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

// Every writer of the log holds an exclusive lock on a byte far past any
// real end: appenders, moving a foreign file aside, the last step of a
// rewrite. Handles are shared for deletion so that a rewrite can give the
// log's name to the new file while appenders wait for the lock.
OVERLAPPED LockPosition()
{
    OVERLAPPED at{};
    at.OffsetHigh = 0x40000000;  // byte 2^62
    return at;
}

HANDLE AsHandle(FileHandle h)
{
    return reinterpret_cast<HANDLE>(h);
}

FileHandle Win32OpenForAppend(const char* path)
{
    // The file must exist already: a log is never created here, headerless.
    HANDLE h = CreateFileA(path, FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? NO_FILE : reinterpret_cast<FileHandle>(h);
}

int Win32LockFile(FileHandle h)
{
    OVERLAPPED at = LockPosition();
    return LockFileEx(AsHandle(h), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) ? 0 : -1;
}

bool SameFileInfo(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool Win32IsNamedFile(FileHandle h, const char* path)
{
    HANDLE named = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    bool same = SameFileInfo(AsHandle(h), named);
    CloseHandle(named);
    return same;
}

bool Win32SameFile(std::FILE* stream, FileHandle h)
{
    HANDLE s = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return s != INVALID_HANDLE_VALUE && SameFileInfo(s, AsHandle(h));
}

std::int64_t Win32FileSize(FileHandle h)
{
    LARGE_INTEGER size;
    return GetFileSizeEx(AsHandle(h), &size) ? size.QuadPart : -1;
}

long Win32WriteAtEnd(FileHandle h, const void* data, std::size_t size)
{
    // Under the lock no other writer moves the end between these two steps.
    LARGE_INTEGER zero{};
    DWORD written = 0;
    if (size > MAXDWORD || !SetFilePointerEx(AsHandle(h), zero, nullptr, FILE_END))
        return -1;
    if (!WriteFile(AsHandle(h), data, static_cast<DWORD>(size), &written, nullptr) && written == 0)
        return -1;
    return static_cast<long>(written);
}

int Win32TruncateFile(FileHandle h, std::int64_t size)
{
    LARGE_INTEGER at;
    at.QuadPart = size;
    return SetFilePointerEx(AsHandle(h), at, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(h)) ? 0 : -1;
}

void Win32CloseFile(FileHandle h)
{
    OVERLAPPED at = LockPosition();
    UnlockFileEx(AsHandle(h), 0, 1, 0, &at);
    CloseHandle(AsHandle(h));
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
    Win32FileSize,      Win32WriteAtEnd,  Win32TruncateFile,    Win32CloseFile,
    Win32FlushToDisk,   Win32ReplaceFile, Win32KeepBackup,      Win32RenameNoReplace,
    Win32RemoveFile,    Win32CreateNew,   Win32RemoveAbandoned, Win32WriteAll};

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
