// The document: Undo and Redo, the clipboard, Clear, the table's file and
// the copy of unsaved changes.
//
// Every action that changes the table records the table as it stands
// afterwards (its file bytes and the record count) in the history; Undo and
// Redo put a recorded state back. A border being drawn is not in the
// history yet: Undo takes back its corners one by one.
#include <algorithm>

#include "editor/editor.h"
#include "files/table_text.h"

namespace bw {

namespace {

TablePiece* NthChild(const PieceGroup& group, int32_t n) {
    TablePiece* c = group.FirstChild();
    for (; c && n > 0; --n) c = c->next.get();
    return c;
}

}  // namespace

// ---- recording --------------------------------------------------------------------

TableSnapshot Editor::Snapshot() const { return {TableFileBytes(*root), recordCount}; }

void Editor::RecordStep(bool nudge) {
    if (!nudge) lastNudged_ = nullptr;
    else if (lastNudged_ != currentPiece) history.EndRun();  // a run of another piece
    history.Record(Snapshot(), nudge);
    TableChanged();
}

void Editor::TableChanged() {
    saved = history.AtSavedState();
    recoveryStale_ = true;
    if (saved) view_.DiscardRecovery();
    // Findings describe the table they were found on, and no other.
    if (findings_ && !FindingsCurrent()) DropFindings();
}

void Editor::ForgetPieces() {
    currentPiece = nullptr;
    currentGroup = root.get();
    lastNudged_ = nullptr;
}

// ---- Undo and Redo ----------------------------------------------------------------------

void Editor::Undo() {
    if (mode == EditMode::DrawingBorder) {
        TakeBackCorner();
        return;
    }
    if (mode != EditMode::Editing) return;
    const std::vector<uint8_t> from = TableFileBytes(*root);
    if (const TableSnapshot* to = history.Undo()) RestoreState(from, *to);
}

void Editor::Redo() {
    if (mode != EditMode::Editing) return;
    const std::vector<uint8_t> from = TableFileBytes(*root);
    if (const TableSnapshot* to = history.Redo()) RestoreState(from, *to);
}

void Editor::RestoreState(const std::vector<uint8_t>& from, const TableSnapshot& to) {
    const bool pointer = tool == kPointerTool;
    const int32_t selected = pointer && currentPiece ? ItemIndexOf(*root, currentPiece) : -1;
    const std::vector<int32_t> match = MatchItems(from, to.bytes);

    // What the screen must show anew: the pieces that go and those that
    // come, and the selection frame where it was and where it will be.
    Region changed;
    auto addFrame = [&] {
        if (!pointer || !currentPiece) return;
        Rect box = currentPiece->region.Box();
        box.Inflate(7, 7);
        changed.Unite(Region::FromRect(box));
    };
    addFrame();
    std::vector<bool> kept(TopLevelItems(std::span(from).subspan(std::min(from.size(), kHeaderBytes))).size());
    for (int32_t f : match)
        if (f >= 0 && static_cast<size_t>(f) < kept.size()) kept[static_cast<size_t>(f)] = true;
    size_t item = 0;
    for (const TablePiece* c = root->FirstChild(); c; c = c->next.get()) {
        if (WritesNoRecords(*c)) continue;
        if (item >= kept.size() || !kept[item]) changed.Unite(c->region);
        ++item;
    }

    ForgetPieces();
    LoadTableBytes(*root, to.bytes);
    recordCount = to.recordCount;
    // The selection stays on its piece if the piece is still there.
    if (selected >= 0) {
        const int32_t followed = FollowItem(from, selected, to.bytes);
        if (followed >= 0) currentPiece = NthChild(*root, followed);
    }
    item = 0;
    for (const TablePiece* c = root->FirstChild(); c; c = c->next.get(), ++item)
        if (item >= match.size() || match[item] < 0) changed.Unite(c->region);
    addFrame();
    view_.Invalidate(changed, true);
    TableChanged();
}

void Editor::TakeBackCorner() {
    PieceGroup* group = currentGroup;
    if (!group || !currentPiece) return;
    int children = 0;
    for (const TablePiece* c = group->FirstChild(); c; c = c->next.get()) ++children;
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
    currentPiece = CreatePiece(group, kBorderSegment, lastMouse.x >> 1, lastMouse.y >> 1);
    if (!currentPiece) ++recordCount, EndBorder();
    root->HandleMessage(PieceMessage::RebuildRegion);
    InvalidatePlayfield(true);
}

// ---- the clipboard and the Edit menu ------------------------------------------------------

bool Editor::CanAct(EditCommand command) const {
    const bool onPiece = mode == EditMode::Editing && PointerHasPiece();
    switch (command) {
        case EditCommand::Undo: return mode == EditMode::DrawingBorder || (mode == EditMode::Editing && history.CanUndo());
        case EditCommand::Redo: return mode == EditMode::Editing && history.CanRedo();
        case EditCommand::Cut:
        case EditCommand::Copy:
        case EditCommand::Delete: return onPiece;
        case EditCommand::Paste: return mode != EditMode::Playing && view_.ClipboardHasText();
    }
    return false;
}

void Editor::Copy() {
    if (CanAct(EditCommand::Copy)) view_.PutOnClipboard(PieceToText(*currentPiece));
}

void Editor::Cut() {
    if (CanAct(EditCommand::Cut) && view_.PutOnClipboard(PieceToText(*currentPiece))) Delete();
}

void Editor::Delete() {
    if (!CanAct(EditCommand::Delete)) return;
    DeleteSelected();
    RecordStep();
}

void Editor::Paste() {
    if (mode == EditMode::Playing) return;
    const std::optional<std::string> text = view_.ClipboardText();
    if (!text) return;
    EndDrag();
    EndBorder();
    const PasteResult paste = PreparePaste(*text);
    if (!paste.ok) {
        if (paste.tooMany) Tell(EditorMessage::TooComplex);
        else Tell(EditorMessage::PasteNotATable, MessageIcon::Exclamation, paste.error);
        return;
    }
    // Counted as the file counts them: whatever fits in a table file fits.
    if (FileRecordsAfter(paste.fileRecords) > kMaxRecords) {
        Tell(EditorMessage::TooComplex);
        return;
    }
    // Each piece goes where a click could have placed it, wholly on the
    // playfield, the pieces moved together as little as that needs.
    std::vector<uint8_t> records = paste.records;
    Point move;
    {
        Table pieces{NoImageLoader{}};
        ReadRecords(*pieces.root, records);
        pieces.root->HandleMessage(PieceMessage::RebuildRegion);
        const std::optional<Point> offset = PlacementOffset(*pieces.root, *root);
        if (!offset) {
            Tell(EditorMessage::PasteNoRoom, MessageIcon::Exclamation);
            return;
        }
        move = *offset;
    }
    int32_t cannons = 0;
    for (size_t i = 0; i + kRecordBytes <= records.size(); i += kRecordBytes) {
        if (records[i + 2] == kEndOfList || records[i + 2] == kGroup) continue;
        if (records[i + 2] == kCannon) ++cannons;
        records[i] = static_cast<uint8_t>(records[i] + move.x);
        records[i + 1] = static_cast<uint8_t>(records[i + 1] + move.y);
    }
    if (tool == kPointerTool) ToggleSelectionFrame(nullptr);
    TablePiece* before = root->LastChild();
    ReadRecords(*root, records);
    root->HandleMessage(PieceMessage::RebuildRegion);
    // The editor's own count takes a cannon twice, as a click does.
    recordCount += paste.fileRecords + cannons;
    // With the pointer, one pasted piece is selected, ready to be moved.
    TablePiece* first = before ? before->next.get() : root->FirstChild();
    currentPiece = tool == kPointerTool && first && !first->next ? first : nullptr;
    InvalidatePlayfield(true);
    RecordStep();
}

void Editor::Clear() {
    // Clear is disabled in play; a command that comes anyway is not taken.
    if (mode == EditMode::Playing) return;
    if (mode == EditMode::DrawingBorder) {
        EndBorder();
        return;
    }
    if (PointerHasPiece()) {
        DeleteSelected();
        RecordStep();
        return;
    }
    if (!root->FirstChild()) return;
    if (view_.Ask({EditorMessage::ClearQuestion, MessageButtons::YesNo, MessageIcon::Question, {}, {}}) !=
        MessageAnswer::Yes)
        return;
    root->DeleteChildren();
    // Nothing may point into the table that is gone.
    ForgetPieces();
    InvalidatePlayfield(true);
    mode = EditMode::Editing;
    recordCount = 1;
    state.score = 0;
    scoreText = "0";
    view_.TextsChanged();
    RecordStep();  // Undo brings the whole table back
}

// ---- the table's file ----------------------------------------------------------------------

bool Editor::OpenTable(const std::string& path, std::span<const uint8_t> bytes) {
    if (!HasTableMagic(bytes)) {
        Tell(EditorMessage::NotATable);
        return false;
    }
    ReplaceTable(path, bytes);
    return true;
}

void Editor::NewTable() {
    // An empty table file: the header and the end record.
    std::vector<uint8_t> empty(kHeaderBytes + kRecordBytes, 0);
    empty[0] = 'B', empty[1] = 'W', empty[2] = 'T';
    ReplaceTable({}, empty);
}

void Editor::ReplaceTable(const std::string& path, std::span<const uint8_t> bytes) {
    ResetToolButtons();
    StopPlay();
    ForgetPieces();
    state.score = 0;
    scoreText = std::to_string(state.score);
    view_.TextsChanged();
    filePath_ = path;
    const LoadResult loaded = LoadTableBytes(*root, bytes);
    recordCount = loaded.recordCount;
    InvalidatePlayfield(true);
    mode = EditMode::Editing;
    // A new table, a new history; the changes of the table before it are
    // gone (saved or dropped), and so is their copy.
    history.Start(Snapshot());
    saved = true;
    view_.DiscardRecovery();
    view_.FileChanged();
}

SaveResult Editor::PrepareSave() {
    StopPlay();
    EndBorder();
    return SaveTableBytes(*root);
}

void Editor::Saved(const std::string& path) {
    const bool renamed = path != filePath_;
    filePath_ = path;
    history.Record(Snapshot());
    history.MarkSaved();
    saved = true;
    view_.DiscardRecovery();
    if (renamed) view_.FileChanged();
}

std::string Editor::Title(const std::string& programTitle) const {
    if (filePath_.empty()) return programTitle;
    return std::string(FileNamePart(filePath_)) + " - " + programTitle;
}

// ---- the copy of unsaved changes --------------------------------------------------------------

std::string Editor::RecoveryText() const { return TableToText(*root); }

bool Editor::Restore(const std::string& path, std::string_view text) {
    std::string unreadable;
    ForgetPieces();
    if (!TextToTable(text, *root, unreadable)) return false;
    // Restored: the changes are still unsaved, under the table's own name.
    filePath_ = path;
    view_.FileChanged();
    recordCount = RecordsNeeded(*root);
    history.Start(Snapshot(), false);
    TableChanged();
    InvalidatePlayfield(true);
    return true;
}

}  // namespace bw
