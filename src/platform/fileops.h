// File operations whose exact behaviour matters for not losing log data.
// The Windows build installs implementations over the Win32 API; tests can
// install ones that fail at a chosen step.
#pragma once
#include <cstddef>
#include <cstdio>

struct FileOps {
    // Appends the bytes with one write to a handle opened for appending only,
    // so concurrent appenders from other processes never overwrite each
    // other. 0 on success, -1 on failure.
    int (*appendAll)(const char* path, const void* data, std::size_t size);
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
    // and writing. Null on failure (also when the name is taken).
    std::FILE* (*createNew)(const char* path);
    // Writes all bytes to the stream. 0, or -1 on a short write.
    int (*writeAll)(std::FILE* stream, const void* data, std::size_t size);
};

extern const FileOps PortableFileOps;

void SetFileOps(const FileOps* ops);
const FileOps& CurrentFileOps();
