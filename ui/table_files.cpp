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
        case C::None:
        case C::Generic: break;
    }
    return IDS_FILE_GENERIC;
}

}  // namespace

void ReportFileError(HWND owner, const bw::FileError& error) {
    win::AppMessageBox(owner, win::FormatArgument(win::LoadResString(FileErrorText(error.cause)), error.path),
                       MB_OK | MB_ICONSTOP);
}

void ReportPathTooLong(HWND owner, const std::string& path) {
    win::AppMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_PATH_TOO_LONG), path),
                       MB_OK | MB_ICONEXCLAMATION);
}

namespace {

// Hands one file to the device library's upload wizard.
void SendToTalvik(HWND owner, const char* path) {
    TalvikUploadInfo info{};
    info.cbSize = sizeof info;
    info.pszPath = path;
    info.pszName = FileNamePart(path);
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
    if (saved) return true;
    switch (win::AppMessageBox(hwnd(), IDS_NOT_SAVED, MB_YESNOCANCEL)) {
        case IDNO: return true;
        case IDYES: return SaveTable(false) >= 0;
        default: return false;
    }
}

// ---- opening ---------------------------------------------------------------------------

void TableDialog::OnFileOpen() {
    if (!QuerySaveChanges()) return;
    CMyFileDialog dialog(true, "bwt", "*.bwt", OFN_HIDEREADONLY, kTableFilter, hwnd());
    if (dialog.DoModal() != IDOK) return;
    LoadTable(dialog.PathName());
}

bool TableDialog::LoadTable(const char* path) {
    if (!root || !path) return false;
    const std::string chosen = win::AbsolutePath(path);  // `path` may be filePath itself
    if (chosen.size() >= sizeof filePath) {
        ReportPathTooLong(hwnd(), chosen);
        return false;
    }
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(chosen, bw::kMaxFileBytes, bytes, error)) {
        ReportFileError(hwnd(), error);
        return false;
    }
    if (!bw::HasTableMagic(bytes)) {
        win::AppMessageBox(hwnd(), IDS_NOT_A_TABLE, MB_OK);
        return false;
    }
    ResetToolButtons();
    StopPlay();
    currentPiece = nullptr;
    state.score = 0;
    scoreText = std::to_string(state.score);
    UpdateData(false);
    SetFilePath(chosen);
    const bw::LoadResult loaded = bw::LoadTableBytes(*root, bytes);
    recordCount = loaded.recordCount;
    currentGroup = root.get();
    InvalidateRect(hwnd(), &playfield, TRUE);
    mode = EditMode::Editing;
    // A new table, a new history; the changes of the table before it are
    // gone (saved or dropped), and so is their copy.
    lastNudged = nullptr;
    history.Start(Snapshot());
    saved = true;
    RemoveRecovery();
    UpdateTitle(filePath);
    recent.Add(filePath);
    UpdateRecentMenu();
    return true;
}

bool TableDialog::OpenNamedTable(const std::string& path) {
    const std::string full = win::AbsolutePath(path);
    if (!TalvikIsValidFileNameA(FileNamePart(full.c_str()))) {
        win::ShowMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_INVALID_NAME), full), "Open",
                            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return LoadTable(full.c_str());
}

void TableDialog::OnOpenRecent(size_t index) {
    if (index >= recent.Paths().size()) return;
    const std::string path = recent.Paths()[index];
    if (!QuerySaveChanges()) return;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        win::AppMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_RECENT_MISSING), path),
                           MB_OK | MB_ICONEXCLAMATION);
        recent.Remove(path);
        UpdateRecentMenu();
        return;
    }
    OpenNamedTable(path);
}

bool TableDialog::OnDropFiles(HDROP drop) {
    char path[MAX_PATH] = {};
    // One table at a time: the first file dropped.
    if (DragQueryFileA(drop, 0, path, sizeof path) == 0) return true;
    SetForegroundWindow(hwnd());
    if (QuerySaveChanges()) OpenNamedTable(path);
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
    const auto& paths = recent.Paths();
    for (size_t i = 0; i < paths.size(); ++i)
        InsertMenuA(file, static_cast<UINT>(at++), MF_BYPOSITION | MF_STRING, ID_FILE_RECENT_FIRST + i,
                    RecentTables::MenuText(i, paths[i]).c_str());
    if (!paths.empty()) InsertMenuA(file, static_cast<UINT>(at), MF_BYPOSITION | MF_SEPARATOR, ID_FILE_RECENT_SEPARATOR, nullptr);
}

void TableDialog::OpenStartupFile() {
    if (!filePath[0]) return;
    // A name the Talvik refuses, a file that cannot be opened, or one that
    // is no table, has been reported: the window starts with an empty
    // table without a file.
    if (!OpenNamedTable(filePath)) filePath[0] = '\0';
}

// ---- saving ------------------------------------------------------------------------------

int32_t TableDialog::SaveTable(bool saveAs) {
    if (!root) return kSaveFailed;
    EndDrag();
    if (saveAs || !filePath[0]) {
        CMyFileDialog dialog(false, "bwt", filePath[0] ? filePath : "*.bwt", OFN_HIDEREADONLY, kTableFilter, hwnd());
        if (dialog.DoModal() != IDOK) return kSaveCancelled;
        if (!SetFilePath(dialog.PathName())) {
            ReportPathTooLong(hwnd(), dialog.PathName());
            return kSaveFailed;
        }
        UpdateTitle(filePath);
    }
    StopPlay();
    EndBorder();

    const bw::SaveResult file = bw::SaveTableBytes(*root);
    if (!file.ok) {
        // More than a table file holds: nothing is written.
        win::AppMessageBox(hwnd(), file.error, MB_OK | MB_ICONSTOP);
        return kSaveFailed;
    }
    bw::FileError error;
    if (!bw::WriteFileReplacing(filePath, file.bytes, error)) {
        ReportFileError(hwnd(), error);
        return kSaveFailed;
    }
    history.Record(Snapshot());
    history.MarkSaved();
    saved = true;
    RemoveRecovery();
    recent.Add(filePath);
    UpdateRecentMenu();
    return file.records;
}

// ---- ending ------------------------------------------------------------------------------

void TableDialog::OnAppExit() {
    // The class library's OK path: the controls' values first.
    if (QuerySaveChanges() && UpdateData(true)) {
        RemoveRecovery();
        EndDialog(IDOK);
    }
}

void TableDialog::OnCancel() {
    // The close box, the system menu's Close and Alt+F4.
    if (QuerySaveChanges()) {
        RemoveRecovery();
        EndDialog(IDCANCEL);
    }
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
    EndDrag();
    // What goes to the Talvik is the file: the table must be saved first.
    if (!saved || !filePath[0]) {
        if (win::AppMessageBox(hwnd(), IDS_NOT_SAVED, MB_YESNOCANCEL) != IDYES) return;
        if (SaveTable(false) < 0) return;
    }
    if (tool == kPointerTool) ToggleSelectionFrame(nullptr);
    EndBorder();
    currentPiece = nullptr;
    SendToTalvik(hwnd(), filePath);
}

void TableDialog::OnDownloadPlayer() {
    const std::string player = PlayerProgramPath(win::HelpFilePath(win::ModulePath()));
    if (player.empty()) return;
    SendToTalvik(hwnd(), player.c_str());
}

}  // namespace ui
