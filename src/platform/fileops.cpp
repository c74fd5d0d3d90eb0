#include "platform/fileops.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <sys/locking.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

const FileOps* current = nullptr;

#ifdef _WIN32
// Only builds without the Win32 operations use these (the program installs
// those); msvcrt knows no file identity and locks 32-bit offsets only.
constexpr long LOCK_OFFSET = 0x7FFFFFF0;

FileHandle PortableOpenForAppend(const char* path)
{
    int fd = _open(path, _O_WRONLY | _O_APPEND | _O_BINARY);
    return fd < 0 ? NO_FILE : fd;
}

int PortableLockFile(FileHandle h)
{
    int fd = static_cast<int>(h);
    for (;;) {
        if (_lseek(fd, LOCK_OFFSET, SEEK_SET) < 0)
            return -1;
        if (_locking(fd, _LK_NBLCK, 1) == 0)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool PortableIsNamedFile(FileHandle, const char*)
{
    return true;
}

bool PortableSameFile(std::FILE*, FileHandle)
{
    return true;
}

std::int64_t PortableFileSize(FileHandle h)
{
    return _filelengthi64(static_cast<int>(h));
}

long PortableWriteAtEnd(FileHandle h, const void* data, std::size_t size)
{
    return _write(static_cast<int>(h), data, static_cast<unsigned>(size));
}

int PortableTruncateFile(FileHandle h, std::int64_t size)
{
    return _chsize(static_cast<int>(h), static_cast<long>(size)) == 0 ? 0 : -1;
}

void PortableKeepOnlyLock(FileHandle) {}

void PortableCloseFile(FileHandle h)
{
    int fd = static_cast<int>(h);
    if (_lseek(fd, LOCK_OFFSET, SEEK_SET) >= 0)
        _locking(fd, _LK_UNLCK, 1);
    _close(fd);
}

int PortableFlushToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0)
        return -1;
    return _commit(_fileno(stream)) == 0 ? 0 : -1;
}

int PortableReplaceFile(const char* from, const char* to)
{
    // msvcrt's rename does not replace; the Win32 layer installs MoveFileEx.
    std::remove(to);
    return std::rename(from, to) == 0 ? 0 : -1;
}

int PortableRenameNoReplace(const char* from, const char* to)
{
    return std::rename(from, to) == 0 ? 0 : -1;  // never replaces in msvcrt
}

std::FILE* PortableCreateNew(const char* path)
{
    int fd = _open(path, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* f = _fdopen(fd, "w+b");
    if (!f)
        _close(fd);
    return f;
}

int PortableRemoveAbandoned(const char* path)
{
    // Files msvcrt opens are not shared for deletion: one still being
    // written cannot be removed.
    return std::remove(path) == 0 ? 0 : -1;
}
#else
bool SameIdentity(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

FileHandle PortableOpenForAppend(const char* path)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CLOEXEC);
    return fd < 0 ? NO_FILE : fd;
}

int PortableLockFile(FileHandle h)
{
    int r;
    do {
        r = flock(static_cast<int>(h), LOCK_EX);
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : -1;
}

bool PortableIsNamedFile(FileHandle h, const char* path)
{
    struct stat open, named;
    return fstat(static_cast<int>(h), &open) == 0 && stat(path, &named) == 0 && SameIdentity(open, named);
}

bool PortableSameFile(std::FILE* stream, FileHandle h)
{
    struct stat a, b;
    return fstat(fileno(stream), &a) == 0 && fstat(static_cast<int>(h), &b) == 0 && SameIdentity(a, b);
}

std::int64_t PortableFileSize(FileHandle h)
{
    struct stat st;
    return fstat(static_cast<int>(h), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

long PortableWriteAtEnd(FileHandle h, const void* data, std::size_t size)
{
    ssize_t written;
    do {
        written = write(static_cast<int>(h), data, size);
    } while (written < 0 && errno == EINTR);
    return static_cast<long>(written);
}

int PortableTruncateFile(FileHandle h, std::int64_t size)
{
    return ftruncate(static_cast<int>(h), static_cast<off_t>(size)) == 0 ? 0 : -1;
}

void PortableKeepOnlyLock(FileHandle) {}  // renaming over an open file is fine here

void PortableCloseFile(FileHandle h)
{
    close(static_cast<int>(h));
}

int PortableFlushToDisk(std::FILE* stream)
{
    if (std::fflush(stream) != 0)
        return -1;
    return fsync(fileno(stream)) == 0 ? 0 : -1;
}

int PortableReplaceFile(const char* from, const char* to)
{
    return std::rename(from, to) == 0 ? 0 : -1;
}

int PortableRenameNoReplace(const char* from, const char* to)
{
    if (link(from, to) != 0)
        return -1;
    unlink(from);
    return 0;
}

// The writer holds a lock on its temporary file from creation to rename;
// whoever cleans up takes that lock first, so a live writer's file is never
// taken. A writer that locks a name cleaned away just before gives it up.
std::FILE* PortableCreateNew(const char* path)
{
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    if (PortableLockFile(fd) != 0 || !PortableIsNamedFile(fd, path)) {
        close(fd);
        return nullptr;
    }
    std::FILE* f = fdopen(fd, "w+b");
    if (!f)
        close(fd);
    return f;
}

int PortableRemoveAbandoned(const char* path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int result = -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && PortableIsNamedFile(fd, path))
        result = unlink(path) == 0 ? 0 : -1;
    close(fd);
    return result;
}
#endif

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

int PortableWriteAll(std::FILE* stream, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, stream) == size ? 0 : -1;
}

constexpr const char* TEMPORARY_MARK = ".new-";
constexpr std::size_t TEMPORARY_SUFFIX = 6;

} // namespace

const FileOps PortableFileOps = {
    PortableOpenForAppend, PortableLockFile,    PortableIsNamedFile,     PortableSameFile,
    PortableFileSize,      PortableWriteAtEnd,  PortableTruncateFile,    PortableKeepOnlyLock, PortableCloseFile,
    PortableFlushToDisk,   PortableReplaceFile, PortableKeepBackup,      PortableRenameNoReplace,
    PortableRemoveFile,    PortableCreateNew,   PortableRemoveAbandoned, PortableWriteAll,
    [](const char* path, const char* mode) { return std::fopen(path, mode); }};

void SetFileOps(const FileOps* ops)
{
    current = ops;
}

const FileOps& CurrentFileOps()
{
    return current ? *current : PortableFileOps;
}

FileHandle LockNamedFile(const char* path)
{
    const FileOps& ops = CurrentFileOps();
    // Each retry follows a replacement by another writer; a bound keeps a
    // pathological stream of them from holding us forever.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        FileHandle h = ops.openForAppend(path);
        if (h == NO_FILE)
            return NO_FILE;
        if (ops.lockFile(h) != 0) {
            ops.closeFile(h);
            return NO_FILE;
        }
        if (ops.isNamedFile(h, path))
            return h;
        ops.closeFile(h);
    }
    return NO_FILE;
}

int AppendWhole(FileHandle locked, const void* data, std::size_t size)
{
    const FileOps& ops = CurrentFileOps();
    const std::int64_t before = ops.fileSize(locked);
    if (before < 0)
        return -1;
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        long n = ops.writeAtEnd(locked, bytes + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done == size)
        return 0;
    // A full disk: a part of a record would misalign every later one.
    ops.truncateFile(locked, before);
    return -1;
}

std::string TemporaryName(const std::string& path)
{
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string name = path + TEMPORARY_MARK;
    for (std::size_t i = 0; i < TEMPORARY_SUFFIX; ++i)
        name += digits[random() % (sizeof digits - 1)];
    return name;
}

bool IsTemporaryNameOf(const std::string& path, const std::string& candidate)
{
    const std::string prefix = path + TEMPORARY_MARK;
    return candidate.size() == prefix.size() + TEMPORARY_SUFFIX && candidate.compare(0, prefix.size(), prefix) == 0;
}

void RemoveAbandonedTemporaries(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path log(path);
    const fs::path dir = log.has_parent_path() ? log.parent_path() : fs::path(".");
    const std::string base = log.filename().string();
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsTemporaryNameOf(base, name))
            CurrentFileOps().removeAbandoned((dir / name).string().c_str());
    }
}

std::FILE* CreateTemporary(const std::string& path, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(path);
        if (std::FILE* f = CurrentFileOps().createNew(name.c_str()))
            return f;
    }
    name.clear();
    return nullptr;
}
