// The copy of unsaved changes that outlives a crash.
//
// While the table has unsaved changes, a copy of it is kept in the user's
// application-data folder: the table's text, after a first line that names
// the table's file. It is written on the window's second timer, at most a
// few seconds after a change, safely (beside the old copy, which it
// replaces only once complete), never while the table is played; it goes
// when the table is saved, its changes are dropped or undone, or the
// program ends normally. At the next start, a copy left behind is offered.
#include <windows.h>
#include <shlobj.h>

#include "files/win/table_file_win.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

namespace {

constexpr size_t kLongestCopy = 1 << 20;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::string TableDialog::DefaultRecoveryFile() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || !folder[0]) return {};
    return std::string(folder) + "\\Bumpwright\\Recovery.txt";
}

void TableDialog::UpdateRecovery() {
    if (recoveryFile.empty()) return;
    if (editor_->saved) {
        RemoveRecovery();
        return;
    }
    // Not in play (the table does not change there, and a tick never waits
    // for the disk) and not halfway through a drag or a border.
    if (!editor_->RecoveryDue()) return;
    const std::string text = editor_->RecoveryText();
    const size_t slash = recoveryFile.rfind('\\');
    if (slash != std::string::npos) CreateDirectoryA(recoveryFile.substr(0, slash).c_str(), nullptr);
    bw::FileError error;
    // A copy that cannot be written is tried again at the next change; the
    // user is not troubled with it.
    if (bw::WriteFileReplacing(recoveryFile, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                               error))
        editor_->RecoveryWritten();
}

void TableDialog::DiscardRecovery() { RemoveRecovery(); }

void TableDialog::RemoveRecovery() {
    if (!recoveryFile.empty()) DeleteFileA(recoveryFile.c_str());
}

bool TableDialog::OfferRecovery() {
    if (recoveryFile.empty() || !FileExists(recoveryFile)) return false;
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(recoveryFile, kLongestCopy, bytes, error)) return false;
    const std::string text(bytes.begin(), bytes.end());
    const std::optional<std::string> path = bw::Editor::RecoveryFileOf(text);
    if (!path) {
        RemoveRecovery();  // not a copy of ours
        return false;
    }
    const std::string_view name = bw::FileNamePart(*path);
    const std::string named = name.empty() ? win::LoadResString(IDS_UNTITLED_TABLE) : std::string(name);
    const int answer = win::AppMessageBox(
        hwnd(), win::FormatArgument(win::LoadResString(IDS_RESTORE_QUESTION), named), MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES || !editor_->Restore(text)) {
        RemoveRecovery();
        return false;
    }
    return true;
}

}  // namespace ui
