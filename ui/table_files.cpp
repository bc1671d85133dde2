// The file commands of the main window (Open, Save, Save As, Exit, closing,
// log-off and shut-down, and the file named at start-up) and sending files
// to the Talvik.
//
// A file that cannot be read or written is reported by cause in a box with
// a stop icon that names the file, and the command ends there. A table file
// is never written in place: the new bytes go beside it and replace it only
// once they are all on disk, so the file that was there survives a failure.
#include <windows.h>

#include <string>

#include "files/table_file.h"
#include "model/path_text.h"
#include "res/resource.h"
#include "tvcomm/tvcomm.h"
#include "ui/file_dialog.h"
#include "ui/table_dialog.h"
#include "win/file_reports.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/startup.h"

namespace ui {

#ifndef _WIN64
static_assert(sizeof(TalvikUploadInfo) == 20, "the upload request is five 32-bit fields");
#endif

namespace {

// Hands one file to the device library's upload wizard. The name it gets
// on the Talvik is the path's name part, which the Talvik's rule has
// passed, so it is plain letters in any code page.
void SendToTalvik(HWND owner, const std::string& path) {
    const std::string libraryPath = win::CodePagePath(path);
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
    if (win::IsTooLongPath(chosen)) {
        win::PathMessageBox(hwnd(), IDS_PATH_TOO_LONG, chosen, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const auto bytes = win::ReadFileReporting(hwnd(), chosen, bw::kMaxFileBytes);
    if (!bytes || !editor_->OpenTable(chosen, *bytes)) return false;
    AddRecent(chosen);
    return true;
}

bool TableDialog::OpenNamedTable(const std::string& path) {
    const std::string full = win::AbsolutePath(path);
    if (!IsTalvikName(bw::FileNamePart(full))) {
        // A device's name (CON.bwt) comes back as the device ("\\.\CON"):
        // the message names what was typed.
        const std::string& named = win::IsDevicePath(full) ? path : full;
        win::PathMessageBox(hwnd(), IDS_INVALID_NAME, named, MB_OK | MB_ICONEXCLAMATION, "Open");
        return false;
    }
    return LoadTable(full);
}

void TableDialog::OnOpenRecent(size_t index) {
    if (index >= recent_.Paths().size()) return;
    const std::string path = recent_.Paths()[index];
    if (!QuerySaveChanges()) return;
    if (!win::PathExists(path)) {
        win::PathMessageBox(hwnd(), IDS_RECENT_MISSING, path, MB_OK | MB_ICONEXCLAMATION);
        recent_.Remove(path);
        ShowRecent();
        return;
    }
    OpenNamedTable(path);
}

bool TableDialog::OnDropFiles(HDROP drop) {
    // One table at a time: the first file dropped, of any length (a path
    // too long is refused when it is opened).
    const std::string path = win::FirstDroppedFile(drop);
    if (path.empty()) return true;
    SetForegroundWindow(hwnd());
    if (QuerySaveChanges()) OpenNamedTable(path);
    return true;
}

void TableDialog::AddRecent(const std::string& path) {
    recent_.Add(path);
    ShowRecent();
}

void TableDialog::ShowRecent() {
    // The recent tables stand just before Exit.
    if (HMENU file = GetSubMenu(GetMenu(hwnd()), 0))
        recent_.ShowInMenu(file, ID_FILE_RECENT_FIRST, ID_FILE_RECENT_SEPARATOR, ID_APP_EXIT);
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
        if (win::IsTooLongPath(path)) {
            win::PathMessageBox(hwnd(), IDS_PATH_TOO_LONG, dialog.PathName(), MB_OK | MB_ICONEXCLAMATION);
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
    if (!win::WriteFileReporting(hwnd(), path, file.bytes)) return kSaveFailed;
    editor_->Saved(path);
    AddRecent(path);
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
    // The device-side player program stands beside the program.
    const std::string player = win::FileBesideProgram("Bumpwright.app");
    if (!player.empty()) SendToTalvik(hwnd(), player);
}

}  // namespace ui
