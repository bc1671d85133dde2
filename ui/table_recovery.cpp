// The copy of unsaved changes that outlives a crash.
//
// While the table has unsaved changes, a copy of it is kept in the window's
// own slot of the recovery store (win/recovery_store.h). It is written on
// the window's second timer, at most a few seconds after a change, never
// while the table is played; it goes when the table is saved, its changes
// are dropped or undone, or the program ends normally. At the next start, a
// copy left behind by a window that is gone is offered.
#include <windows.h>

#include "model/path_text.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

void TableDialog::UpdateRecovery() {
    if (!recovery) return;
    if (editor_->saved()) {
        RemoveRecovery();
        return;
    }
    // Not in play (the table does not change there, and a tick never waits
    // for the disk) and not halfway through a drag or a border. A copy that
    // cannot be written is tried again at the next change; the user is not
    // troubled with it.
    if (editor_->RecoveryDue() && recovery->Write(editor_->FilePath(), editor_->RecoveryText()))
        editor_->RecoveryWritten();
}

void TableDialog::DiscardRecovery() { RemoveRecovery(); }

void TableDialog::RemoveRecovery() {
    if (recovery) recovery->Remove();
}

bool TableDialog::OfferRecovery() {
    if (!recovery) return false;
    // Each copy left behind in turn, until one is restored; a copy refused
    // is removed (its window is gone). One chosen but unreadable (too long,
    // or from a newer version) is kept, held until the offers end so that
    // it is not offered twice.
    std::vector<win::LeftCopy> kept;
    while (std::optional<win::LeftCopy> copy = recovery->ClaimLeftCopy()) {
        const std::string named =
            copy->TablePath().empty() ? win::LoadResString(IDS_UNTITLED_TABLE) : bw::ShortPath(copy->TablePath());
        // A table named on the command line as well: the user chooses
        // which of the two the window opens with.
        std::string question = win::FormatArgument(
            win::LoadResString(startupFile_.empty() ? IDS_RESTORE_QUESTION : IDS_RESTORE_OR_OPEN), named);
        for (size_t at; (at = question.find("%2")) != std::string::npos;)
            question.replace(at, 2, bw::ShortPath(startupFile_));
        const int answer = win::AppMessageBox(hwnd(), question, MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES && copy->Whole() && editor_->Restore(copy->TablePath(), copy->TableText())) {
            // The copy is this window's now.
            recovery->Adopt(std::move(*copy));
            return true;
        }
        if (answer == IDYES) {
            win::PathMessageBox(hwnd(), IDS_RESTORE_UNREADABLE, copy->Path(), MB_OK | MB_ICONEXCLAMATION);
            kept.push_back(std::move(*copy));
        } else {
            recovery->Discard(std::move(*copy));
        }
        if (!startupFile_.empty()) break;  // the named table it is
    }
    return false;
}

}  // namespace ui
