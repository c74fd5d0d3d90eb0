#include "platform/fileops.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const FileOps* current = nullptr;

int PortableAppendAll(const char* path, const void* data, std::size_t size)
{
#ifdef _WIN32
    int fd = _open(path, _O_WRONLY | _O_APPEND | _O_BINARY | _O_CREAT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return -1;
    int written = _write(fd, data, static_cast<unsigned>(size));
    int closed = _close(fd);
    return (written == static_cast<int>(size) && closed == 0) ? 0 : -1;
#else
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    ssize_t written;
    do {
        written = write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    int closed = close(fd);
    return (written == static_cast<ssize_t>(size) && closed == 0) ? 0 : -1;
#endif
}

int PortableFlushToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0)
        return -1;
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0 ? 0 : -1;
#else
    return fsync(fileno(stream)) == 0 ? 0 : -1;
#endif
}

int PortableReplaceFile(const char* from, const char* to)
{
#ifdef _WIN32
    // msvcrt's rename does not replace; the Win32 layer installs MoveFileEx.
    std::remove(to);
#endif
    return std::rename(from, to) == 0 ? 0 : -1;
}

int PortableRenameNoReplace(const char* from, const char* to)
{
#ifdef _WIN32
    // msvcrt's rename never replaces an existing file.
    return std::rename(from, to) == 0 ? 0 : -1;
#else
    if (link(from, to) != 0)
        return -1;
    unlink(from);
    return 0;
#endif
}

int PortableRemoveFile(const char* path)
{
    if (std::remove(path) == 0)
        return 0;
    return errno == ENOENT ? 0 : -1;
}

int PortableKeepBackup(const char* path, const char* backup)
{
#ifdef _WIN32
    std::FILE* in = std::fopen(path, "rb");
    if (!in)
        return -1;
    std::FILE* out = std::fopen(backup, "wb");
    if (!out) {
        std::fclose(in);
        return -1;
    }
    char buffer[32768];
    std::size_t n;
    bool ok = true;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (std::fwrite(buffer, 1, n, out) != n)
            ok = false;
    if (std::ferror(in))
        ok = false;
    std::fclose(in);
    if (PortableFlushToDisk(out) != 0)
        ok = false;
    if (std::fclose(out) != 0)
        ok = false;
    return ok ? 0 : -1;
#else
    // A second name for the same file: the old content survives the rename
    // that follows, and there is never a moment without a log.
    std::string temp = std::string(backup) + ".new";
    unlink(temp.c_str());
    if (link(path, temp.c_str()) != 0)
        return -1;
    if (std::rename(temp.c_str(), backup) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    return 0;
#endif
}

std::FILE* PortableCreateNew(const char* path)
{
#ifdef _WIN32
    int fd = _open(path, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* f = _fdopen(fd, "w+b");
    if (!f)
        _close(fd);
#else
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* f = fdopen(fd, "w+b");
    if (!f)
        close(fd);
#endif
    return f;
}

int PortableWriteAll(std::FILE* stream, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, stream) == size ? 0 : -1;
}

} // namespace

const FileOps PortableFileOps = {PortableAppendAll,       PortableFlushToDisk, PortableReplaceFile,
                                 PortableKeepBackup,      PortableRenameNoReplace, PortableRemoveFile,
                                 PortableCreateNew,       PortableWriteAll};

void SetFileOps(const FileOps* ops)
{
    current = ops;
}

const FileOps& CurrentFileOps()
{
    return current ? *current : PortableFileOps;
}
