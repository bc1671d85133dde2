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

std::span<const uint8_t> RecordsOf(const std::vector<uint8_t>& file) {
    return std::span<const uint8_t>(file).subspan(std::min(file.size(), kHeaderBytes));
}

bool HasPosition(uint8_t kind) { return kind != kEndOfList && kind != kGroup; }

// The table-pixel box of window-pixel shapes: every table pixel they touch.
Rect TableBox(const Rect& window) {
    return {window.left >> 1, window.top >> 1, (window.right + 1) >> 1, (window.bottom + 1) >> 1};
}

}  // namespace

// ---- recording --------------------------------------------------------------------

TableSnapshot Editor::Snapshot() const { return {TableFileBytes(*root), recordCount}; }

void Editor::RecordStep(bool nudge) {
    if (!nudge) lastNudged_.clear();
    else if (lastNudged_ != selection_) history.EndRun();  // a run of other pieces
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
    selection_.clear();
    currentPiece = nullptr;
    currentGroup = root.get();
    lastNudged_.clear();
    pressedPiece_ = nullptr;
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
    // The selection stays on its pieces while they are there.
    std::vector<int32_t> selected;
    const std::vector<int32_t> items = tool == kPointerTool ? SelectedItems() : std::vector<int32_t>{};
    if (items.size() == 1) {
        const int32_t followed = FollowItem(from, items.front(), to.bytes);
        if (followed >= 0) selected.push_back(followed);
    } else if (!items.empty()) {
        // Pieces still there as they were; the changed ones, when as many
        // changed on either side, in their order.
        const std::vector<int32_t> match = MatchItems(from, to.bytes);
        std::vector<int32_t> fromTo(TopLevelItems(RecordsOf(from)).size(), -1);
        std::vector<int32_t> changedTo;
        for (size_t j = 0; j < match.size(); ++j) {
            if (match[j] >= 0 && static_cast<size_t>(match[j]) < fromTo.size())
                fromTo[static_cast<size_t>(match[j])] = static_cast<int32_t>(j);
            else changedTo.push_back(static_cast<int32_t>(j));
        }
        std::vector<int32_t> changedFrom;
        for (size_t i = 0; i < fromTo.size(); ++i)
            if (fromTo[i] < 0) changedFrom.push_back(static_cast<int32_t>(i));
        for (int32_t item : items) {
            if (static_cast<size_t>(item) >= fromTo.size()) continue;
            if (fromTo[static_cast<size_t>(item)] >= 0) {
                selected.push_back(fromTo[static_cast<size_t>(item)]);
            } else if (changedFrom.size() == changedTo.size()) {
                const auto at = std::find(changedFrom.begin(), changedFrom.end(), item) - changedFrom.begin();
                selected.push_back(changedTo[static_cast<size_t>(at)]);
            }
        }
    }
    ShowTable(from, to, selected);
    TableChanged();
}

void Editor::ShowTable(const std::vector<uint8_t>& from, const TableSnapshot& to, const std::vector<int32_t>& selected) {
    const bool pointer = tool == kPointerTool;
    const std::vector<int32_t> match = MatchItems(from, to.bytes);

    // What the screen must show anew: the pieces that go and those that
    // come, and the selection frames where they were and where they will be.
    Region changed;
    auto addFrames = [&] {
        if (!pointer) return;
        for (const TablePiece* piece : selection_) {
            Rect box = piece->region.Box();
            box.Inflate(7, 7);
            changed.Unite(Region::FromRect(box));
        }
    };
    addFrames();
    std::vector<bool> kept(TopLevelItems(RecordsOf(from)).size());
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
    if (pointer) {
        std::vector<TablePiece*> children;
        for (TablePiece* c = root->FirstChild(); c; c = c->next.get()) children.push_back(c);
        for (int32_t s : selected)
            if (s >= 0 && static_cast<size_t>(s) < children.size()) selection_.push_back(children[static_cast<size_t>(s)]);
        currentPiece = selection_.size() == 1 ? selection_.front() : nullptr;
    }
    item = 0;
    for (const TablePiece* c = root->FirstChild(); c; c = c->next.get(), ++item)
        if (item >= match.size() || match[item] < 0) changed.Unite(c->region);
    addFrames();
    view_.Invalidate(changed, true);
    ShowStatus();
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
        case EditCommand::Delete:
        case EditCommand::Duplicate:
        case EditCommand::Mirror:
        case EditCommand::MirrorCopy: return onPiece;
        case EditCommand::Align: return onPiece && selection_.size() >= 2;
        case EditCommand::Distribute: return onPiece && selection_.size() >= 3;
        case EditCommand::Paste: return mode != EditMode::Playing && view_.ClipboardHasText();
        case EditCommand::SelectAll:
            if (mode != EditMode::Editing) return false;
            for (const TablePiece* c = root->FirstChild(); c; c = c->next.get())
                if (!WritesNoRecords(*c)) return true;
            return false;
    }
    return false;
}

std::string Editor::SelectionText() const {
    // One header, then each piece as its own text writes it.
    std::string text;
    for (const TablePiece* piece : selection_) {
        const std::string one = PieceToText(*piece);
        if (text.empty()) text = one;
        else if (const size_t line = one.find('\n'); line != std::string::npos) text += one.substr(line + 1);
    }
    return text;
}

void Editor::Copy() {
    if (CanAct(EditCommand::Copy)) view_.PutOnClipboard(SelectionText());
}

void Editor::Cut() {
    if (CanAct(EditCommand::Cut) && view_.PutOnClipboard(SelectionText())) Delete();
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
    AddPieces(*text);
}

bool Editor::AddPieces(std::string_view text) {
    const PasteResult paste = PreparePaste(text);
    if (!paste.ok) {
        if (paste.tooMany) Tell(EditorMessage::TooComplex);
        else Tell(EditorMessage::PasteNotATable, MessageIcon::Exclamation, paste.error);
        return false;
    }
    // Counted as the file counts them: whatever fits in a table file fits.
    if (FileRecordsAfter(paste.fileRecords) > kMaxRecords) {
        Tell(EditorMessage::TooComplex);
        return false;
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
            return false;
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
    // With the pointer, the added pieces are selected, ready to be moved.
    selection_.clear();
    currentPiece = nullptr;
    if (tool == kPointerTool) {
        for (TablePiece* c = before ? before->next.get() : root->FirstChild(); c; c = c->next.get())
            selection_.push_back(c);
        currentPiece = selection_.size() == 1 ? selection_.front() : nullptr;
        ShowStatus();
    }
    InvalidatePlayfield(true);
    RecordStep();
    return true;
}

// ---- acting on the selection ------------------------------------------------------------

void Editor::SelectAll() {
    if (!CanAct(EditCommand::SelectAll)) return;
    if (tool != kPointerTool) SelectTool(kPointerTool);
    std::vector<TablePiece*> all;
    for (TablePiece* c = root->FirstChild(); c; c = c->next.get())
        if (!WritesNoRecords(*c)) all.push_back(c);
    Select(std::move(all));
}

std::vector<int32_t> Editor::SelectedItems() const {
    std::vector<int32_t> items;
    for (const TablePiece* piece : selection_)
        if (const int32_t item = ItemIndexOf(*root, piece); item >= 0) items.push_back(item);
    std::sort(items.begin(), items.end());
    return items;
}

void Editor::ApplyTable(std::vector<uint8_t> bytes, int32_t newCount, const std::vector<int32_t>& selected) {
    const std::vector<uint8_t> from = TableFileBytes(*root);
    ShowTable(from, {std::move(bytes), newCount}, selected);
    RecordStep();
}

bool Editor::TransformSelected(std::vector<uint8_t>& file, const std::vector<int32_t>& items,
                               const std::vector<Point>* move, int32_t axis) {
    const std::vector<uint8_t> old = TableFileBytes(*root);
    const auto all = TopLevelItems(RecordsOf(old));
    file.assign(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(std::min(old.size(), kHeaderBytes)));
    size_t next = 0;  // the next of `items`
    for (size_t i = 0; i < all.size(); ++i) {
        const size_t at = file.size();
        file.insert(file.end(), all[i].begin(), all[i].end());
        if (next >= items.size() || static_cast<size_t>(items[next]) != i) continue;
        for (size_t r = at; r + kRecordBytes <= file.size(); r += kRecordBytes) {
            uint8_t& kind = file[r + 2];
            if (!HasPosition(kind)) continue;
            int32_t x = file[r], y = file[r + 1];
            if (move) {
                x += (*move)[next].x;
                y += (*move)[next].y;
            } else {
                // A mirror image: a left flipper becomes a right one.
                x = MirroredX(axis, x);
                if (kind == kLeftFlipper) kind = kRightFlipper;
                else if (kind == kRightFlipper) kind = kLeftFlipper;
            }
            if (!PlacementAllowed(kind, {x * kWindowScale, y * kWindowScale})) {
                Tell(EditorMessage::OutsideArea, MessageIcon::Exclamation);
                return false;
            }
            file[r] = static_cast<uint8_t>(x);
            file[r + 1] = static_cast<uint8_t>(y);
        }
        ++next;
    }
    file.insert(file.end(), kRecordBytes, uint8_t{0});
    return true;
}

namespace {

// The table-pixel boxes of pieces' shapes, and of all of them together.
Rect UnionBox(const std::vector<Rect>& boxes) {
    Rect all = boxes.front();
    for (const Rect& b : boxes)
        all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
               std::max(all.bottom, b.bottom)};
    return all;
}

}  // namespace

void Editor::Duplicate() {
    if (!CanAct(EditCommand::Duplicate)) return;
    // The copy, 4 table pixels right and down, is placed as a paste is.
    Table copy{NoImageLoader{}};
    std::string error;
    if (!TextToTable(SelectionText(), *copy.root, error)) return;
    copy.state.paramA = kDuplicateOffset;
    copy.state.paramB = kDuplicateOffset;
    for (TablePiece* c = copy.root->FirstChild(); c; c = c->next.get()) c->HandleMessage(PieceMessage::Move);
    AddPieces(TableToText(*copy.root));
}

void Editor::Mirror() {
    if (!CanAct(EditCommand::Mirror)) return;
    // About the middle of the selection's bounding box, in table pixels.
    std::vector<Rect> boxes;
    for (const TablePiece* piece : selection_) boxes.push_back(TableBox(piece->region.Box()));
    const Rect box = UnionBox(boxes);
    const std::vector<int32_t> items = SelectedItems();
    std::vector<uint8_t> file;
    if (!TransformSelected(file, items, nullptr, box.left + box.right)) return;
    ApplyTable(std::move(file), recordCount, items);
}

void Editor::MirrorCopy() {
    if (!CanAct(EditCommand::MirrorCopy)) return;
    const std::vector<int32_t> items = SelectedItems();
    std::vector<uint8_t> file;
    if (!TransformSelected(file, items, nullptr, kMirrorCopyAxis)) return;
    // The mirrored items go after the table's, the originals as they were.
    const std::vector<uint8_t> old = TableFileBytes(*root);
    const auto all = TopLevelItems(RecordsOf(old));
    const auto mirrored = TopLevelItems(RecordsOf(file));
    std::vector<uint8_t> result(old.begin(), old.end() - static_cast<std::ptrdiff_t>(kRecordBytes));
    int32_t fileRecords = 0, counted = 0;
    std::vector<int32_t> selected;
    for (int32_t item : items) {
        const auto records = mirrored[static_cast<size_t>(item)];
        selected.push_back(static_cast<int32_t>(all.size() + selected.size()));
        result.insert(result.end(), records.begin(), records.end());
        fileRecords += static_cast<int32_t>(records.size() / kRecordBytes);
        for (size_t r = 0; r + kRecordBytes <= records.size(); r += kRecordBytes)
            counted += records[r + 2] == kCannon ? 2 : 1;  // the editor counts a cannon twice
    }
    result.insert(result.end(), kRecordBytes, uint8_t{0});
    if (AdditionRefused(fileRecords, counted)) return;
    ApplyTable(std::move(result), recordCount + counted, selected);
}

void Editor::Align(Alignment side) {
    if (!CanAct(EditCommand::Align)) return;
    std::vector<Rect> boxes;
    for (const TablePiece* piece : selection_) boxes.push_back(TableBox(piece->region.Box()));
    const Rect all = UnionBox(boxes);
    std::vector<Point> move;
    for (const Rect& b : boxes) {
        switch (side) {
            case Alignment::Left: move.push_back({all.left - b.left, 0}); break;
            case Alignment::Centre: move.push_back({((all.left + all.right) - (b.left + b.right)) / 2, 0}); break;
            case Alignment::Right: move.push_back({all.right - b.right, 0}); break;
            case Alignment::Top: move.push_back({0, all.top - b.top}); break;
            case Alignment::Middle: move.push_back({0, ((all.top + all.bottom) - (b.top + b.bottom)) / 2}); break;
            case Alignment::Bottom: move.push_back({0, all.bottom - b.bottom}); break;
        }
    }
    const std::vector<int32_t> items = SelectedItems();
    std::vector<uint8_t> file;
    if (items.size() != move.size() || !TransformSelected(file, items, &move, 0)) return;
    ApplyTable(std::move(file), recordCount, items);
}

void Editor::Distribute(bool vertically) {
    if (!CanAct(EditCommand::Distribute)) return;
    // Along the axis: each piece's start and size, ordered by their middles;
    // the outermost stay, the others get equal gaps between them.
    struct Span {
        size_t piece;
        int32_t start, size;
    };
    std::vector<Span> spans;
    for (size_t i = 0; i < selection_.size(); ++i) {
        const Rect b = TableBox(selection_[i]->region.Box());
        spans.push_back(vertically ? Span{i, b.top, b.bottom - b.top} : Span{i, b.left, b.right - b.left});
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return 2 * a.start + a.size < 2 * b.start + b.size;
    });
    const int32_t first = spans.front().start, last = spans.back().start + spans.back().size;
    int32_t sizes = 0;
    for (const Span& s : spans) sizes += s.size;
    const int32_t gaps = static_cast<int32_t>(spans.size()) - 1;
    const int32_t room = last - first - sizes;
    std::vector<Point> move(selection_.size());
    int32_t at = first, used = 0;
    for (size_t k = 0; k < spans.size(); ++k) {
        const int32_t d = (k + 1 == spans.size() ? last - spans[k].size : at) - spans[k].start;
        move[spans[k].piece] = vertically ? Point{0, d} : Point{d, 0};
        // The gaps differ by a pixel at most when the room does not divide.
        const int32_t gapEnd = static_cast<int32_t>((static_cast<int64_t>(room) * static_cast<int64_t>(k + 1)) / gaps);
        at += spans[k].size + gapEnd - used;
        used = gapEnd;
    }
    const std::vector<int32_t> items = SelectedItems();
    std::vector<uint8_t> file;
    if (items.size() != move.size() || !TransformSelected(file, items, &move, 0)) return;
    ApplyTable(std::move(file), recordCount, items);
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
