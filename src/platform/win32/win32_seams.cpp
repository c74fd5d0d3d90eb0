// The Win32 implementations of the platform seams.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

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

int Win32AppendAll(const char* path, const void* data, std::size_t size)
{
    // FILE_APPEND_DATA without FILE_WRITE_DATA: Windows places every write at
    // the end of the file, atomically with respect to other appenders. Wine
    // finds the end and then writes, so two copies of the program appending
    // at the same moment could overwrite each other's record; an exclusive
    // lock on a byte far past any real end serialises the appenders on both.
    // The file must exist already: a log is never created here, headerless.
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    OVERLAPPED lockAt{};
    lockAt.OffsetHigh = 0x40000000;  // byte 2^62
    const bool locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockAt) != 0;
    DWORD written = 0;
    BOOL ok = size <= MAXDWORD && WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
    if (locked)
        UnlockFileEx(h, 0, 1, 0, &lockAt);
    CloseHandle(h);
    return ok && written == size ? 0 : -1;
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
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

int Win32KeepBackup(const char* path, const char* backup)
{
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

int Win32WriteAll(std::FILE* stream, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, stream) == size ? 0 : -1;
}

const FileOps Win32FileOps = {Win32AppendAll,       Win32FlushToDisk, Win32ReplaceFile, Win32KeepBackup,
                              Win32RenameNoReplace, Win32RemoveFile,  Win32CreateNew,   Win32WriteAll};

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
