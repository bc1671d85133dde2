// Undo and Redo, the clipboard, the Edit menu and the keyboard shortcuts.
//
// Every action that changes the table records the table as it stands
// afterwards (its file bytes and the record count) in the history of the
// core; Undo and Redo put a recorded state back. A border being drawn is
// not in the history yet: Undo takes back its corners one by one.
#include <windows.h>

#include <algorithm>

#include "files/table_file.h"
#include "files/table_text.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/clipboard.h"
#include "win/gdi_surface.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

namespace {

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

struct Shortcut {
    UINT key;
    bool ctrl;
    bool shift;
    UINT command;
};

// Every keyboard shortcut of the window, as the menus show them.
constexpr Shortcut kShortcuts[] = {
    {'Z', true, false, ID_EDIT_UNDO},  {'Y', true, false, ID_EDIT_REDO},   {'Z', true, true, ID_EDIT_REDO},
    {'X', true, false, ID_EDIT_CUT},   {'C', true, false, ID_EDIT_COPY},   {'V', true, false, ID_EDIT_PASTE},
    {VK_DELETE, false, false, ID_EDIT_DELETE},
    {'O', true, false, ID_FILE_OPEN},  {'S', true, false, ID_FILE_SAVE},   {'S', true, true, ID_FILE_SAVE_AS},
    {'K', true, false, ID_TABLE_CHECK},
};

constexpr UINT kEditCommands[] = {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE};

bw::TablePiece* NthChild(const bw::PieceGroup& group, int32_t n) {
    bw::TablePiece* c = group.FirstChild();
    for (; c && n > 0; --n) c = c->next.get();
    return c;
}

}  // namespace

// ---- recording --------------------------------------------------------------------

bw::TableSnapshot TableDialog::Snapshot() const {
    if (!root) return {};
    return {bw::TableFileBytes(*root), recordCount};
}

void TableDialog::RecordStep(bool nudge) {
    if (!root) return;
    if (!nudge) lastNudged = nullptr;
    else if (lastNudged != currentPiece) history.EndRun();  // a run of another piece
    history.Record(Snapshot(), nudge);
    TableChanged();
}

void TableDialog::TableChanged() {
    saved = history.AtSavedState();
    recoveryStale = true;
    if (saved) RemoveRecovery();
}

// ---- Undo and Redo ----------------------------------------------------------------------

void TableDialog::OnEditUndo() {
    if (!root) return;
    if (mode == EditMode::DrawingBorder) {
        TakeBackCorner();
        return;
    }
    if (mode != EditMode::Editing) return;
    const std::vector<uint8_t> from = bw::TableFileBytes(*root);
    if (const bw::TableSnapshot* to = history.Undo()) RestoreState(from, *to);
}

void TableDialog::OnEditRedo() {
    if (!root || mode != EditMode::Editing) return;
    const std::vector<uint8_t> from = bw::TableFileBytes(*root);
    if (const bw::TableSnapshot* to = history.Redo()) RestoreState(from, *to);
}

void TableDialog::RestoreState(const std::vector<uint8_t>& from, const bw::TableSnapshot& to) {
    const bool pointer = tool == kPointerTool;
    const int32_t selected = pointer && currentPiece ? bw::ItemIndexOf(*root, currentPiece) : -1;
    const std::vector<int32_t> match = bw::MatchItems(from, to.bytes);

    // What the screen must show anew: the pieces that go and those that
    // come, and the selection frame where it was and where it will be.
    bw::Region changed;
    auto addFrame = [&] {
        if (!pointer || !currentPiece) return;
        bw::Rect box = currentPiece->region.Box();
        box.Inflate(7, 7);
        changed.Unite(bw::Region::FromRect(box));
    };
    addFrame();
    std::vector<bool> kept(bw::TopLevelItems(std::span(from).subspan(std::min(from.size(), bw::kHeaderBytes))).size());
    for (int32_t f : match)
        if (f >= 0 && static_cast<size_t>(f) < kept.size()) kept[static_cast<size_t>(f)] = true;
    size_t item = 0;
    for (const bw::TablePiece* c = root->FirstChild(); c; c = c->next.get()) {
        if (bw::WritesNoRecords(*c)) continue;
        if (item >= kept.size() || !kept[item]) changed.Unite(c->region);
        ++item;
    }

    currentPiece = nullptr;
    lastNudged = nullptr;
    bw::LoadTableBytes(*root, to.bytes);
    currentGroup = root.get();
    recordCount = to.recordCount;
    // The selection stays on its piece if the piece is still there.
    if (selected >= 0) {
        const int32_t followed = bw::FollowItem(from, selected, to.bytes);
        if (followed >= 0) currentPiece = NthChild(*root, followed);
    }
    item = 0;
    for (const bw::TablePiece* c = root->FirstChild(); c; c = c->next.get(), ++item)
        if (item >= match.size() || match[item] < 0) changed.Unite(c->region);
    addFrame();
    const win::OwnedRegion area = win::MakeSystemRegion(changed);
    InvalidateRgn(hwnd(), area.get(), TRUE);
    TableChanged();
}

void TableDialog::TakeBackCorner() {
    bw::PieceGroup* group = currentGroup;
    if (!group || !currentPiece) return;
    int children = 0;
    for (const bw::TablePiece* c = group->FirstChild(); c; c = c->next.get()) ++children;
    // The start point and the segment under the mouse alone: the border
    // goes (and leaves nothing behind).
    if (children <= 2) {
        EndBorder();
        return;
    }
    group->RemoveChild(currentPiece);         // handed back and deleted
    group->RemoveChild(group->LastChild());  // the last corner's segment
    --recordCount;
    // A new segment under the mouse joins the corner before.
    currentPiece = bw::CreatePiece(group, bw::kBorderSegment, lastMouse.x >> 1, lastMouse.y >> 1);
    if (!currentPiece) ++recordCount, EndBorder();
    root->HandleMessage(bw::PieceMessage::RebuildRegion);
    InvalidateRect(hwnd(), &playfield, TRUE);
}

// ---- the clipboard ------------------------------------------------------------------------

void TableDialog::OnEditCopy() {
    if (!CanAct(ID_EDIT_COPY)) return;
    win::SetClipboardText(hwnd(), bw::PieceToText(*currentPiece));
}

void TableDialog::OnEditCut() {
    if (!CanAct(ID_EDIT_CUT)) return;
    if (win::SetClipboardText(hwnd(), bw::PieceToText(*currentPiece))) OnEditDelete();
}

void TableDialog::OnEditDelete() {
    if (!CanAct(ID_EDIT_DELETE)) return;
    DeleteSelected();
    RecordStep();
}

void TableDialog::OnEditPaste() {
    if (!root || mode == EditMode::Playing) return;
    const std::optional<std::string> text = win::ClipboardText(hwnd());
    if (!text) return;
    EndDrag();
    EndBorder();
    const bw::PasteResult paste = bw::PreparePaste(*text, *root);
    if (!paste.ok) {
        win::AppMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_PASTE_NOT_A_TABLE), paste.error),
                           MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (AdditionRefused(paste.fileRecords, paste.countedRecords)) return;
    if (tool == kPointerTool) ToggleSelectionFrame(nullptr);
    bw::TablePiece* before = root->LastChild();
    bw::ReadRecords(*root, paste.records);
    root->HandleMessage(bw::PieceMessage::RebuildRegion);
    recordCount += paste.countedRecords;
    // With the pointer, one pasted piece is selected, ready to be moved.
    bw::TablePiece* first = before ? before->next.get() : root->FirstChild();
    currentPiece = tool == kPointerTool && first && !first->next ? first : nullptr;
    InvalidateRect(hwnd(), &playfield, TRUE);
    RecordStep();
}

// ---- menu and shortcuts -------------------------------------------------------------------------

bool TableDialog::CanAct(UINT command) const {
    const bool onPiece = mode == EditMode::Editing && tool == kPointerTool && currentPiece;
    switch (command) {
        case ID_EDIT_UNDO: return mode == EditMode::DrawingBorder || (mode == EditMode::Editing && history.CanUndo());
        case ID_EDIT_REDO: return mode == EditMode::Editing && history.CanRedo();
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_DELETE: return onPiece;
        case ID_EDIT_PASTE: return mode != EditMode::Playing && win::ClipboardHasText();
        default: return true;
    }
}

bool TableDialog::OnInitMenuPopup(HMENU, UINT, bool systemMenu) {
    if (systemMenu) return false;
    HMENU bar = GetMenu(hwnd());
    for (UINT command : kEditCommands)
        EnableMenuItem(bar, command, MF_BYCOMMAND | (CanAct(command) ? MF_ENABLED : MF_GRAYED));
    return false;
}

bool TableDialog::HandleShortcut(const MSG& msg) {
    if (KeyHeld(VK_MENU)) return false;
    const bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
    for (const Shortcut& s : kShortcuts) {
        if (s.key != msg.wParam || s.ctrl != ctrl || (s.ctrl && s.shift != shift)) continue;
        // Del goes to the dialog unless the pointer has a piece; with one,
        // it is taken even while the piece is dragged.
        if (s.command == ID_EDIT_DELETE && !(tool == kPointerTool && currentPiece)) return false;
        // Check table runs a message loop of its own: not from inside this hook.
        if (s.command == ID_TABLE_CHECK)
            PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(s.command, 0), 0);
        else
            SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(s.command, 0), 0);
        return true;
    }
    return false;
}

}  // namespace ui
