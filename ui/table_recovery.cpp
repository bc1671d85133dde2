// The copy of unsaved changes that outlives a crash.
//
// While the table has unsaved changes, a copy of it is kept in the window's
// own slot of the recovery store (win/recovery_store.h): the table's text,
// after a first line that names the table's file. It is written on the
// window's second timer, at most a few seconds after a change, safely
// (beside the old copy, which it replaces only once complete), never while
// the table is played; it goes when the table is saved, its changes are
// dropped or undone, or the program ends normally. At the next start, a
// copy left behind by a window that is gone is offered.
#include <windows.h>

#include "files/table_file.h"
#include "files/table_text.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/recovery_store.h"
#include "win/resources.h"

namespace ui {

void TableDialog::UpdateRecovery() {
    if (!recovery || !root) return;
    if (saved) {
        RemoveRecovery();
        return;
    }
    // Not in play (the table does not change there, and a tick never waits
    // for the disk) and not halfway through a drag or a border.
    if (!recoveryStale || mode != EditMode::Editing) return;
    // A copy that cannot be written is tried again at the next change; the
    // user is not troubled with it.
    if (recovery->Write(filePath, bw::TableToText(*root))) recoveryStale = false;
}

void TableDialog::RemoveRecovery() {
    if (recovery) recovery->Remove();
}

bool TableDialog::OfferRecovery() {
    if (!recovery || !root) return false;
    // Each copy left behind in turn, until one is restored; a copy refused
    // is removed (its window is gone).
    while (std::optional<win::LeftCopy> copy = recovery->ClaimLeftCopy()) {
        const std::string path = copy->TablePath();
        const char* name = FileNamePart(path.c_str());
        const std::string named = name && *name ? std::string(name) : win::LoadResString(IDS_UNTITLED_TABLE);
        const int answer = win::AppMessageBox(
            hwnd(), win::FormatArgument(win::LoadResString(IDS_RESTORE_QUESTION), named), MB_YESNO | MB_ICONQUESTION);
        std::string unreadable;
        if (answer != IDYES || !bw::TextToTable(copy->TableText(), *root, unreadable)) {
            recovery->Discard(std::move(*copy));
            continue;
        }
        // Restored: the copy is this window's now, and the changes are
        // still unsaved, under the table's own name.
        recovery->Adopt(std::move(*copy));
        filePath[0] = '\0';
        if (!path.empty()) SetFilePath(path);
        UpdateTitle(filePath);
        recordCount = bw::RecordsNeeded(*root);
        history.Start(Snapshot(), false);
        TableChanged();
        return true;
    }
    return false;
}

}  // namespace ui
