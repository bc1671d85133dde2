// The file commands of the main window (Open, Save, Save As, Exit, closing,
// log-off and shut-down, and the file named at start-up) and sending files
// to the Talvik.
//
// A file that cannot be read or written is reported by cause in a box with
// a stop icon that names the file, and the command ends there. A table file
// is never written in place: the new bytes go beside it and replace it only
// once they are all on disk, so the file that was there survives a failure.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/win/table_file_win.h"
#include "files/win/wide_text.h"
#include "model/path_text.h"
#include "res/resource.h"
#include "tvcomm/tvcomm.h"
#include "ui/file_dialog.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/startup.h"
#include <shellapi.h>

namespace ui {

#ifndef _WIN64
static_assert(sizeof(TalvikUploadInfo) == 20, "the upload request is five 32-bit fields");
#endif

namespace {

constexpr char kPlayerProgram[] = "Bumpwright.app";

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
    win::AppMessageBox(owner, win::FormatArgument(win::LoadResString(FileErrorText(error.cause)), bw::ShortPath(error.path)),
                       MB_OK | MB_ICONSTOP);
}

void ReportPathTooLong(HWND owner, const std::string& path) {
    win::AppMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_PATH_TOO_LONG), bw::ShortPath(path)),
                       MB_OK | MB_ICONEXCLAMATION);
}

namespace {

// A path as the device library, which takes the system's code page, can
// open it: the path itself under the UTF-8 code page, otherwise in the code
// page when every letter has its place there, otherwise its short form
// when that has one. Empty when there is none.
std::string DeviceLibraryPath(const std::string& path) {
    if (GetACP() == CP_UTF8) return path;
    auto inCodePage = [](const std::wstring& wide) -> std::string {
        if (wide.empty()) return {};
        BOOL lost = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
        if (n <= 1 || lost) return {};
        std::string text(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, text.data(), n, nullptr, &lost);
        text.resize(static_cast<size_t>(n - 1));
        return lost ? std::string() : text;
    };
    const std::wstring wide = bw::Wide(path);
    if (std::string plain = inCodePage(wide); !plain.empty()) return plain;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? inCodePage(shortPath) : std::string();
}

// Hands one file to the device library's upload wizard. The name it gets
// on the Talvik is the path's name part, which the Talvik's rule has
// passed, so it is plain letters in any code page.
void SendToTalvik(HWND owner, const std::string& path) {
    const std::string libraryPath = DeviceLibraryPath(path);
    if (libraryPath.empty()) {
        win::AppMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_SEND_FOLDER), path),
                           MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    TalvikUploadInfo info{};
    info.cbSize = sizeof info;
    info.pszPath = libraryPath.c_str();
    const std::string name(bw::FileNamePart(path));
    info.pszName = name.c_str();
    info.dwReserved1 = 0;
    info.dwReserved2 = 0;
    TalvikUploadWizardA(&info, TALVIK_UPLOAD_CONFIRM, owner);
}

}  // namespace

// The player program beside a program whose help-file path is given: the
// path up to its last backslash, then "Bumpwright.app". Empty when the path
// has no backslash.
std::string PlayerProgramPath(const std::string& helpFilePath) {
    const size_t slash = helpFilePath.rfind('\\');
    if (slash == std::string::npos) return {};
    return helpFilePath.substr(0, slash + 1) + kPlayerProgram;
}

// ---- the unsaved prompt ------------------------------------------------------------

bool TableDialog::QuerySaveChanges() {
    if (editor_->saved()) return true;
    switch (win::AppMessageBox(hwnd(), IDS_NOT_SAVED, MB_YESNOCANCEL)) {
        case IDNO: return true;
        case IDYES: return SaveTable(false) >= 0;
        default: return false;
    }
}

// ---- opening ---------------------------------------------------------------------------

void TableDialog::OnFileNew() {
    if (QuerySaveChanges()) editor_->NewTable();
}

void TableDialog::OnFileOpen() {
    if (!QuerySaveChanges()) return;
    CMyFileDialog dialog(true, "bwt", "*.bwt", OFN_HIDEREADONLY, kTableFilter, hwnd());
    if (dialog.DoModal() != IDOK) return;
    LoadTable(dialog.PathName());
}

bool TableDialog::LoadTable(const std::string& path) {
    const std::string chosen = win::AbsolutePath(path);
    if (bw::WideLength(chosen) >= MAX_PATH) {
        ReportPathTooLong(hwnd(), chosen);
        return false;
    }
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(chosen, bw::kMaxFileBytes, bytes, error)) {
        ReportFileError(hwnd(), error);
        return false;
    }
    if (!editor_->OpenTable(chosen, bytes)) return false;
    recent_.Add(chosen);
    UpdateRecentMenu();
    return true;
}

bool TableDialog::OpenNamedTable(const std::string& path) {
    const std::string full = win::AbsolutePath(path);
    if (!IsTalvikName(bw::FileNamePart(full))) {
        // A device's name (CON.bwt) comes back as the device ("\\.\CON"):
        // the message names what was typed.
        const std::string& named = full.rfind("\\\\.\\", 0) == 0 ? path : full;
        win::ShowMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_INVALID_NAME), bw::ShortPath(named)),
                            "Open", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return LoadTable(full);
}

void TableDialog::OnOpenRecent(size_t index) {
    if (index >= recent_.Paths().size()) return;
    const std::string path = recent_.Paths()[index];
    if (!QuerySaveChanges()) return;
    if (GetFileAttributesW(bw::Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        win::AppMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_RECENT_MISSING), bw::ShortPath(path)),
                           MB_OK | MB_ICONEXCLAMATION);
        recent_.Remove(path);
        UpdateRecentMenu();
        return;
    }
    OpenNamedTable(path);
}

bool TableDialog::OnDropFiles(HDROP drop) {
    // One table at a time: the first file dropped, of any length (a path
    // too long is refused when it is opened).
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return true;
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    if (path.empty()) return true;
    SetForegroundWindow(hwnd());
    if (QuerySaveChanges()) OpenNamedTable(bw::Utf8(path));
    return true;
}

void TableDialog::UpdateRecentMenu() {
    HMENU file = GetSubMenu(GetMenu(hwnd()), 0);
    if (!file) return;
    for (UINT id = ID_FILE_RECENT_FIRST; id <= ID_FILE_RECENT_SEPARATOR; ++id) DeleteMenu(file, id, MF_BYCOMMAND);
    // The recent tables stand just before Exit.
    int at = GetMenuItemCount(file);
    for (int i = 0; i < GetMenuItemCount(file); ++i)
        if (GetMenuItemID(file, i) == ID_APP_EXIT) at = i;
    const auto& paths = recent_.Paths();
    for (size_t i = 0; i < paths.size(); ++i)
        InsertMenuW(file, static_cast<UINT>(at++), MF_BYPOSITION | MF_STRING, ID_FILE_RECENT_FIRST + i,
                    bw::Wide(win::RecentTables::MenuText(i, paths[i])).c_str());
    if (!paths.empty()) InsertMenuW(file, static_cast<UINT>(at), MF_BYPOSITION | MF_SEPARATOR, ID_FILE_RECENT_SEPARATOR, nullptr);
}

void TableDialog::OpenStartupFile() {
    // A name the Talvik refuses, a file that cannot be opened, or one that
    // is no table, has been reported: the window starts with an empty
    // table without a file.
    if (!startupFile_.empty()) OpenNamedTable(startupFile_);
}

// ---- saving ------------------------------------------------------------------------------

int32_t TableDialog::SaveTable(bool saveAs) {
    editor_->Settle();
    std::string path = editor_->FilePath();
    if (saveAs || path.empty()) {
        CMyFileDialog dialog(false, "bwt", path.empty() ? "*.bwt" : path.c_str(), OFN_HIDEREADONLY, kTableFilter,
                             hwnd());
        if (dialog.DoModal() != IDOK) return kSaveCancelled;
        path = win::AbsolutePath(dialog.PathName());
        if (bw::WideLength(path) >= MAX_PATH) {
            ReportPathTooLong(hwnd(), dialog.PathName());
            return kSaveFailed;
        }
    }
    const bw::SaveResult file = editor_->PrepareSave();
    // More than a table file holds, or a file that cannot be written: the
    // table keeps the file it had, and the title with it.
    if (!file.ok) {
        win::AppMessageBox(hwnd(), file.error, MB_OK | MB_ICONSTOP);
        return kSaveFailed;
    }
    bw::FileError error;
    if (!bw::WriteFileReplacing(path, file.bytes, error)) {
        ReportFileError(hwnd(), error);
        return kSaveFailed;
    }
    editor_->Saved(path);
    recent_.Add(path);
    UpdateRecentMenu();
    return file.records;
}

// ---- ending ------------------------------------------------------------------------------

void TableDialog::CloseWindow(INT_PTR result) {
    // Exit takes the controls' values first, as the OK path does.
    if (QuerySaveChanges() && (result != IDOK || UpdateData(true))) {
        RemoveRecovery();
        EndDialog(result);
    }
}

void TableDialog::OnCancel() {
    // The close box, the system menu's Close and Alt+F4.
    CloseWindow(IDCANCEL);
}

bool TableDialog::OnQueryEndSession(BOOL& mayEnd) {
    // The default answer is yes; the unsaved prompt may still refuse.
    mayEnd = QuerySaveChanges() ? TRUE : FALSE;
    // Saved or dropped: the session ends and nothing is left to recover.
    if (mayEnd) RemoveRecovery();
    return true;
}

// ---- sending to the Talvik ------------------------------------------------------------------

void TableDialog::OnSendToDevice() {
    editor_->Settle();
    // What goes to the Talvik is the file: the table must be saved first.
    if (!editor_->saved() || editor_->FilePath().empty()) {
        if (win::AppMessageBox(hwnd(), IDS_NOT_SAVED, MB_YESNOCANCEL) != IDYES) return;
        if (SaveTable(false) < 0) return;
    }
    editor_->Escape();  // no gesture, no selection while the wizard runs
    SendToTalvik(hwnd(), editor_->FilePath());
}

void TableDialog::OnDownloadPlayer() {
    const std::string player = PlayerProgramPath(win::HelpFilePath(win::ModulePath()));
    if (player.empty()) return;
    SendToTalvik(hwnd(), player);
}

}  // namespace ui
