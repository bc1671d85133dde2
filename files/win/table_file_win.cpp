#include "files/win/table_file_win.h"

#include <algorithm>
#include <cstdio>

#include "files/win/wide_text.h"
#include "model/path_text.h"

namespace bw {

namespace {

// Owns a file handle.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    BOOL Close() {
        if (!valid()) return TRUE;
        const BOOL ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

FileError Fail(const std::string& path, DWORD os) { return FileError{CauseFromOsError(os), path, os}; }

std::string Replace(const char* pattern, const std::string& path) { return FillArgument(pattern, path); }

// Creates the new file that the bytes go to before it replaces `path`:
// "<path>.saving", or, when that name would be too long, a new name beside
// it no longer than the file's own name, so that it fits wherever the file
// fits. A file that exists under the short name is never touched.
// Lengths are counted as the system counts them, in UTF-16 units.
HANDLE CreateWorkingFile(const std::string& utf8Path, std::string& temp) {
    const std::wstring path = Wide(utf8Path);
    const std::wstring saving = path + L".saving";
    if (saving.size() < MAX_PATH) {
        temp = Utf8(saving);
        return CreateFileW(saving.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    temp.clear();
    const size_t slash = path.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const size_t nameLength = path.size() - nameStart;
    if (nameLength == 0 || path.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    const int digits = static_cast<int>(std::min<size_t>(nameLength - 1, 8));
    const DWORD mask = digits >= 8 ? 0xFFFFFFFFu : (1u << (4 * digits)) - 1;
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    const int attempts = digits == 0 ? 1 : 64;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        char name[16] = "~";
        if (digits > 0)
            std::snprintf(name + 1, sizeof name - 1, "%0*lx", digits,
                          static_cast<unsigned long>((seed + static_cast<DWORD>(attempt)) & mask));
        const std::wstring candidate = path.substr(0, nameStart) + Wide(name);
        HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            temp = Utf8(candidate);
            return h;
        }
        const DWORD why = GetLastError();
        if (why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) {
            SetLastError(why);
            return INVALID_HANDLE_VALUE;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

FileErrorCause CauseFromOsError(DWORD error) {
    switch (error) {
        case NO_ERROR: return FileErrorCause::None;
        case ERROR_FILE_NOT_FOUND: return FileErrorCause::NotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_BAD_NETPATH:
        case ERROR_DIRECTORY: return FileErrorCause::BadPath;
        case ERROR_FILENAME_EXCED_RANGE: return FileErrorCause::PathTooLong;
        case ERROR_TOO_MANY_OPEN_FILES: return FileErrorCause::TooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY: return FileErrorCause::AccessDenied;
        case ERROR_INVALID_HANDLE: return FileErrorCause::InvalidFile;
        case ERROR_CANNOT_MAKE: return FileErrorCause::DirectoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK: return FileErrorCause::BadSeek;
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY: return FileErrorCause::HardIO;
        case ERROR_SHARING_VIOLATION: return FileErrorCause::SharingViolation;
        case ERROR_LOCK_VIOLATION: return FileErrorCause::LockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileErrorCause::DiskFull;
        case ERROR_HANDLE_EOF: return FileErrorCause::EndOfFile;
        default: return FileErrorCause::Generic;
    }
}

std::string FileErrorMessage(const FileError& error) {
    const std::string& p = error.path;
    switch (error.cause) {
        case FileErrorCause::None: return {};
        case FileErrorCause::NotFound: return Replace("%1 was not found.", p);
        case FileErrorCause::BadPath: return Replace("%1 contains an invalid path, or its folder does not exist.", p);
        case FileErrorCause::TooManyOpenFiles:
            return Replace("%1 could not be opened because there are too many open files.", p);
        case FileErrorCause::AccessDenied: return Replace("Access to %1 was denied.", p);
        case FileErrorCause::IsFolder: return Replace("%1 is a folder, not a table file.", p);
        case FileErrorCause::InvalidFile: return Replace("An invalid file handle was used with %1.", p);
        case FileErrorCause::DirectoryFull: return Replace("%1 could not be created because the folder is full.", p);
        case FileErrorCause::BadSeek: return Replace("An error occurred while setting the position in %1.", p);
        case FileErrorCause::HardIO: return Replace("A hardware I/O error occurred while accessing %1.", p);
        case FileErrorCause::SharingViolation: return Replace("A sharing violation occurred while accessing %1.", p);
        case FileErrorCause::LockViolation: return Replace("A locking violation occurred while accessing %1.", p);
        case FileErrorCause::DiskFull: return Replace("Disk full while accessing %1.", p);
        case FileErrorCause::EndOfFile: return Replace("An attempt was made to access %1 past its end.", p);
        case FileErrorCause::PathTooLong: return Replace("The path %1 is too long.", p);
        case FileErrorCause::Generic: break;
    }
    return Replace("An unexpected error occurred while accessing %1.", p);
}

bool ReadFilePrefix(const std::string& path, size_t limit, std::vector<uint8_t>& out, FileError& error) {
    out.clear();
    error = {};
    FileHandle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) {
        error = Fail(path, GetLastError());
        // A folder cannot be opened as a file: said as it is, not as the
        // access denied that the system reports.
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            error.cause = FileErrorCause::IsFolder;
        return false;
    }
    out.resize(limit);
    size_t got = 0;
    while (got < limit) {
        DWORD n = 0;
        if (!ReadFile(f.get(), out.data() + got, static_cast<DWORD>(limit - got), &n, nullptr)) {
            error = Fail(path, GetLastError());
            out.clear();
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    out.resize(got);
    return true;
}

bool WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes, FileError& error,
                        const WriteChunkFn& writeChunk) {
    error = {};
    // A folder standing where the file should be is refused before anything
    // is written.
    const DWORD attrs = GetFileAttributesW(Wide(path).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        error = FileError{FileErrorCause::AccessDenied, path, ERROR_ACCESS_DENIED};
        return false;
    }
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
        error = FileError{FileErrorCause::AccessDenied, path, ERROR_ACCESS_DENIED};
        return false;
    }
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        // The file that will be replaced must be writable and not held by
        // another program; asking now names the real cause (read-only,
        // sharing violation) instead of a failed rename at the end.
        FileHandle probe(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid()) {
            error = Fail(path, GetLastError());
            return false;
        }
    }
    std::string temp;
    FileHandle f(CreateWorkingFile(path, temp));
    if (!f.valid()) {
        error = Fail(path, GetLastError());
        return false;
    }
    auto abandon = [&](DWORD os) {
        f.Close();
        DeleteFileW(Wide(temp).c_str());
        error = Fail(path, os);
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        const BOOL ok = writeChunk ? writeChunk(f.get(), bytes.data() + done, chunk, &written)
                                   : WriteFile(f.get(), bytes.data() + done, chunk, &written, nullptr);
        if (!ok) return abandon(GetLastError());
        if (written == 0) return abandon(ERROR_DISK_FULL);  // nothing more fits
        done += written;
    }
    if (!FlushFileBuffers(f.get())) return abandon(GetLastError());
    if (!f.Close()) return abandon(GetLastError());
    if (!MoveFileExW(Wide(temp).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD os = GetLastError();
        DeleteFileW(Wide(temp).c_str());
        error = Fail(path, os);
        return false;
    }
    return true;
}

}  // namespace bw
