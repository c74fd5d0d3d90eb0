// File operations whose exact behaviour matters for not losing log data.
// The Windows build installs implementations over the Win32 API; tests can
// install ones that fail at a chosen step.
//
// Every writer of the log (an append, moving a foreign file aside, the last
// step of a rewrite) holds one exclusive lock on the log while it changes
// it. Natively that is flock() on the log file (per open file, so closing
// another handle on the same file does not drop it, and it works between
// processes). Windows cannot give a file's name to another file while any
// process has it open, so there the lock is a named mutex for the log's
// full path, taken before the log is opened: nobody holds the log open
// while waiting. Readers take no lock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// A platform file handle (a descriptor natively, a HANDLE on Windows).
using FileHandle = std::intptr_t;
constexpr FileHandle NO_FILE = -1;

struct FileOps {
    // Opens an existing file for appending (never creates one). NO_FILE on failure.
    FileHandle (*openForAppend)(const char* path);
    // Waits for the writers' lock on the open file. 0 or -1.
    int (*lockFile)(FileHandle h);
    // True when the open file still has the name (it was not replaced or
    // moved aside meanwhile).
    bool (*isNamedFile)(FileHandle h, const char* path);
    // True when the stream and the handle are the same file.
    bool (*sameFile)(std::FILE* stream, FileHandle h);
    // Current size, or -1.
    std::int64_t (*fileSize)(FileHandle h);
    // Writes at the end of the file; the number of bytes written, or -1.
    long (*writeAtEnd)(FileHandle h, const void* data, std::size_t size);
    // Cuts the file back to the size. 0 or -1.
    int (*truncateFile)(FileHandle h, std::int64_t size);
    // Closes the file but keeps the lock, so that the file can be renamed.
    void (*keepOnlyLock)(FileHandle h);
    // Closes the handle, releasing its lock.
    void (*closeFile)(FileHandle h);
    // Flushes a stream to the disk (fflush, then fsync / FlushFileBuffers). 0 or -1.
    int (*flushToDisk)(std::FILE* stream);
    // Gives `from` the name `to` in one step, replacing an existing `to`. 0 or -1.
    int (*replaceFile)(const char* from, const char* to);
    // Makes `backup` a copy of `path`'s current content under the backup name
    // (a hard link or copy), replacing an older backup; `path` is untouched. 0 or -1.
    int (*keepBackup)(const char* path, const char* backup);
    // Gives `from` the name `to` only when no file has that name yet (used to
    // publish a newly created log atomically). 0, or -1 when `to` exists or
    // the rename failed.
    int (*renameNoReplace)(const char* from, const char* to);
    // Removes a file. 0 or -1 (a missing file counts as removed).
    int (*removeFile)(const char* path);
    // Creates a file that must not exist yet and opens it for binary reading
    // and writing, so that no other process can remove it while it is open
    // (see removeAbandoned). Null on failure (also when the name is taken).
    std::FILE* (*createNew)(const char* path);
    // Removes a file made by createNew whose writer has gone (killed or
    // crashed); a file still open in its writer is left alone. 0 when removed.
    int (*removeAbandoned)(const char* path);
    // Writes all bytes to the stream. 0, or -1 on a short write.
    int (*writeAll)(std::FILE* stream, const void* data, std::size_t size);
    // Opens an existing file as std::fopen does. On Windows a file that is
    // being renamed over refuses to be opened for a moment; this waits that
    // out instead of failing.
    std::FILE* (*openExisting)(const char* path, const char* mode);
};

extern const FileOps PortableFileOps;

void SetFileOps(const FileOps* ops);
const FileOps& CurrentFileOps();

// Opens the file and waits for its writers' lock; should the file be
// replaced or moved aside while waiting, the file that has the name then is
// locked instead. NO_FILE when the file cannot be opened or locked.
FileHandle LockNamedFile(const char* path);

// Appends the bytes whole or not at all: under the writers' lock, a write
// that stops short is cut back off, so the file is exactly as it was.
// 0 or -1.
int AppendWhole(FileHandle locked, const void* data, std::size_t size);

// Names of the temporary files written beside `path` ("<path>.new-XXXXXX"),
// and the cleanup of ones left by a writer that died.
std::string TemporaryName(const std::string& path);
bool IsTemporaryNameOf(const std::string& path, const std::string& candidate);
void RemoveAbandonedTemporaries(const std::string& path);
// Creates a new temporary file beside `path` (its name in `name`). Null
// when no name could be taken.
std::FILE* CreateTemporary(const std::string& path, std::string& name);
