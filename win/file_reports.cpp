#include "win/file_reports.h"

#include "res/resource.h"
#include "win/message_box.h"

namespace win {

namespace {

UINT FileErrorText(bw::FileErrorCause cause) {
    using C = bw::FileErrorCause;
    switch (cause) {
        case C::NotFound: return IDS_FILE_NOT_FOUND;
        case C::BadPath: return IDS_FILE_BAD_PATH;
        case C::TooManyOpenFiles: return IDS_FILE_TOO_MANY_OPEN;
        case C::AccessDenied: return IDS_FILE_ACCESS_DENIED;
        case C::InvalidFile: return IDS_FILE_INVALID;
        case C::DirectoryFull: return IDS_FILE_DIRECTORY_FULL;
        case C::BadSeek: return IDS_FILE_BAD_SEEK;
        case C::HardIO: return IDS_FILE_HARD_IO;
        case C::SharingViolation: return IDS_FILE_SHARING;
        case C::LockViolation: return IDS_FILE_LOCK;
        case C::DiskFull: return IDS_FILE_DISK_FULL;
        case C::EndOfFile: return IDS_FILE_END_OF_FILE;
        case C::PathTooLong: return IDS_PATH_TOO_LONG;
        case C::IsFolder: return IDS_FILE_IS_FOLDER;
        case C::None:
        case C::Generic: break;
    }
    return IDS_FILE_GENERIC;
}

}  // namespace

void ReportFileError(HWND owner, const bw::FileError& error) {
    PathMessageBox(owner, FileErrorText(error.cause), error.path, MB_OK | MB_ICONSTOP);
}

std::optional<std::vector<uint8_t>> ReadFileReporting(HWND owner, const std::string& path, size_t limit) {
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (bw::ReadFilePrefix(path, limit, bytes, error)) return bytes;
    ReportFileError(owner, error);
    return std::nullopt;
}

bool WriteFileReporting(HWND owner, const std::string& path, std::span<const uint8_t> bytes) {
    bw::FileError error;
    if (bw::WriteFileReplacing(path, bytes, error)) return true;
    ReportFileError(owner, error);
    return false;
}

bool WriteFileReporting(HWND owner, const std::string& path, std::string_view text) {
    return WriteFileReporting(owner, path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

}  // namespace win
