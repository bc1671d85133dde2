// Reading and writing table files on Windows, with failures reported by
// cause and naming the file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace bw {

enum class FileErrorCause {
    None,
    Generic,
    NotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
    PathTooLong,
    IsFolder,  // the path names a folder, not a file
};

struct FileError {
    FileErrorCause cause = FileErrorCause::None;
    std::string path;  // the file the user named
    DWORD osError = 0;
    explicit operator bool() const { return cause != FileErrorCause::None; }
};

FileErrorCause CauseFromOsError(DWORD error);

// The message for a file error, worded by cause, naming the file.
std::string FileErrorMessage(const FileError& error);

// Reads at most `limit` bytes from the start of the file.
bool ReadFilePrefix(const std::string& path, size_t limit, std::vector<uint8_t>& out, FileError& error);

// Writes a whole file safely: the bytes go to a new file beside the target,
// which replaces the target only once every byte is written and flushed. If
// anything fails, the file that was there stays as it was and the new one
// is removed.
//
// `writeChunk` performs each write (WriteFile by default); tests replace it
// to make the disk fill up part-way.
using WriteChunkFn = std::function<BOOL(HANDLE, const void*, DWORD, DWORD*)>;
bool WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes, FileError& error,
                        const WriteChunkFn& writeChunk = {});

}  // namespace bw
