// The Edit menu: Undo and Redo, the clipboard, Delete, Clear, Select All and
// the commands on the selection.
//
// Each command ends the gesture under way first, then acts on the table's
// pieces through their own positions (a move, a mirror image), and is one
// step of the history. Each keeps the placement rule a click keeps; one
// that cannot is refused whole, with a message naming it, and changes
// nothing. Pieces a command adds never lie exactly on a piece of the table.
#include <algorithm>

#include "editor/editor.h"
#include "editor/placement.h"
#include "files/table_text.h"

namespace bw {

namespace {

// The table-pixel box of window-pixel shapes: every table pixel they touch.
Rect TableBox(const Rect& window) {
    return {window.left >> 1, window.top >> 1, (window.right + 1) >> 1, (window.bottom + 1) >> 1};
}

// The table-pixel boxes of the pieces' shapes, and of all of them together.
std::vector<Rect> Boxes(const std::vector<TablePiece*>& pieces) {
    std::vector<Rect> boxes;
    for (const TablePiece* piece : pieces) boxes.push_back(TableBox(piece->region.Box()));
    return boxes;
}

Rect UnionBox(const std::vector<Rect>& boxes) {
    Rect all = boxes.front();
    for (const Rect& b : boxes)
        all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
               std::max(all.bottom, b.bottom)};
    return all;
}

size_t IndexOf(const PieceGroup& group, const TablePiece* piece) {
    size_t i = 0;
    for (const TablePiece* c = group.FirstChild(); c && c != piece; c = c->next.get()) ++i;
    return i;
}

}  // namespace

bool Editor::CanAct(EditCommand command) const {
    if (playing_) return false;
    const size_t selected = tool_ == kPointerTool ? doc_.SelectedCount() : 0;
    switch (command) {
        case EditCommand::Undo: return mode() == EditMode::DrawingBorder || doc_.history().CanUndo();
        // Ending a border or a drag would record a step and so drop what
        // Redo would bring back: not while one is under way.
        case EditCommand::Redo:
            return mode() != EditMode::DrawingBorder && mode() != EditMode::Dragging && doc_.history().CanRedo();
        case EditCommand::Cut:
        case EditCommand::Copy:
        case EditCommand::Delete:
        case EditCommand::Duplicate:
        case EditCommand::Mirror:
        case EditCommand::MirrorCopy: return selected >= 1;
        case EditCommand::Align: return selected >= 2;
        case EditCommand::Distribute: return selected >= 3;
        case EditCommand::Paste: return view_.ClipboardHasText();
        case EditCommand::SelectAll:
            for (const TablePiece* c = doc_.root().FirstChild(); c; c = c->next.get())
                if (!WritesNoRecords(*c)) return true;
            return false;
    }
    return false;
}

// A command acts on the table as it stands once the gesture under way is
// finished: offered before, and still after (a drag taken back, a band
// that ends, may leave less selected).
bool Editor::Ready(EditCommand command) {
    if (!CanAct(command)) return false;
    Settle();
    if (CanAct(command)) return true;
    Refresh();
    return false;
}

// ---- Undo and Redo --------------------------------------------------------------------

void Editor::Undo() {
    if (playing_) return;
    // While a border is drawn, Undo takes back its last corner.
    if (!current_ || !current_->TakeBack()) {
        Settle();
        doc_.Undo();
    }
    Refresh();
}

void Editor::Redo() {
    if (!Ready(EditCommand::Redo)) return;
    doc_.Redo();
    Refresh();
}

// ---- the clipboard, Delete and Clear ----------------------------------------------------------

std::string Editor::SelectionText() const {
    // One header, then each piece as its own text writes it.
    std::string text;
    for (const TablePiece* piece : doc_.Selection()) {
        const std::string one = PieceToText(*piece);
        if (text.empty()) text = one;
        else if (const size_t line = one.find('\n'); line != std::string::npos) text += one.substr(line + 1);
    }
    return text;
}

void Editor::Copy() {
    if (!Ready(EditCommand::Copy)) return;
    view_.PutOnClipboard(SelectionText());
    Refresh();
}

void Editor::Cut() {
    if (!Ready(EditCommand::Cut)) return;
    if (view_.PutOnClipboard(SelectionText())) DeleteSelected();
    Refresh();
}

void Editor::Delete() {
    if (!Ready(EditCommand::Delete)) return;
    DeleteSelected();
    Refresh();
}

void Editor::DeleteSelected() {
    // A segment that joined a deleted piece stays where it is shown, as a
    // border of its own; one that would take the table past what a file
    // holds takes the Delete back.
    for (TablePiece* piece : doc_.Selection()) doc_.Root().RemoveChild(piece);
    if (Record(false)) doc_.SelectNone();
}

void Editor::Clear() {
    if (playing_) return;
    // Clear ends the border being drawn, or removes the selected pieces,
    // or, asked, empties the table (Undo brings it all back).
    if (mode() == EditMode::DrawingBorder) {
        Settle();
        Refresh();
        return;
    }
    Settle();
    if (PointerHasPiece()) {
        DeleteSelected();
        Refresh();
        return;
    }
    if (!doc_.root().FirstChild()) return;
    if (view_.Ask({EditorMessage::ClearQuestion, MessageButtons::YesNo, MessageIcon::Question, {}, {}}) !=
        MessageAnswer::Yes)
        return;
    const Table empty{NoImageLoader{}};
    ReplaceTable(*empty.root, FilePath(), Document::Start::KeepHistory, false);
}

void Editor::Paste() {
    if (playing_) return;
    // One byte more than Paste takes tells a text that is too long.
    const std::optional<std::string> text = view_.ClipboardText(kMaxPasteBytes + 1);
    if (!text) return;
    Settle();
    Table read{NoImageLoader{}};
    const PasteResult paste = ReadPastedPieces(*text, *read.root);
    if (paste.tooMany) Tell(EditorMessage::TooComplex, {}, MessageIcon::None);
    else if (!paste.ok) Tell(EditorMessage::PasteNotATable, paste.error);
    if (!paste.ok) return Refresh();
    std::vector<std::unique_ptr<TablePiece>> pieces;
    for (const TablePiece* c = read.root->FirstChild(); c; c = c->next.get())
        if (auto copy = CopyOf(*c, doc_.State())) pieces.push_back(std::move(copy));
    AddPieces(std::move(pieces), EditCommand::Paste);
    Refresh();
}

bool Editor::AddPieces(std::vector<std::unique_ptr<TablePiece>> pieces, EditCommand command) {
    // Each piece where a click could have placed it, off the pieces it
    // would lie on, the pieces moved together as little as that needs.
    std::vector<const TablePiece*> items;
    for (const auto& piece : pieces) items.push_back(piece.get());
    const std::optional<Point> move = FreePlacement(items, doc_.root());
    if (!move) {
        Tell(EditorMessage::NoFreePlace, texts_.commands[static_cast<size_t>(command)]);
        return false;
    }
    std::vector<TablePiece*> added;
    for (auto& piece : pieces) {
        doc_.State().paramA = move->x;
        doc_.State().paramB = move->y;
        piece->HandleMessage(PieceMessage::Move);
        added.push_back(piece.get());
        doc_.Root().AppendChild(std::move(piece));
        doc_.Added(*added.back());
    }
    // With the pointer, the added pieces are selected, ready to be moved.
    doc_.Select(tool_ == kPointerTool ? added : std::vector<TablePiece*>{});
    return Record(false);
}

// ---- acting on the selection --------------------------------------------------------------------

void Editor::SelectAll() {
    if (!Ready(EditCommand::SelectAll)) return;
    if (tool_ != kPointerTool) SelectTool(kPointerTool);
    std::vector<TablePiece*> all;
    for (TablePiece* c = doc_.Root().FirstChild(); c; c = c->next.get())
        if (!WritesNoRecords(*c)) all.push_back(c);
    doc_.Select(all);
    Refresh();
}

void Editor::Duplicate() {
    if (!Ready(EditCommand::Duplicate)) return;
    // The copy, 4 table pixels right and down, is placed as a paste is.
    std::vector<std::unique_ptr<TablePiece>> copies;
    for (const TablePiece* piece : doc_.Selection())
        if (auto copy = CopyOf(*piece, doc_.State())) copies.push_back(std::move(copy));
    for (auto& copy : copies) {
        doc_.State().paramA = kDuplicateOffset;
        doc_.State().paramB = kDuplicateOffset;
        copy->HandleMessage(PieceMessage::Move);
    }
    AddPieces(std::move(copies), EditCommand::Duplicate);
    Refresh();
}

void Editor::Mirror() {
    if (!Ready(EditCommand::Mirror)) return;
    // About the middle of the selection's bounding box, in table pixels;
    // each piece keeps its identity and its place in the table.
    const std::vector<TablePiece*> pieces = doc_.Selection();
    const Rect box = UnionBox(Boxes(pieces));
    std::vector<std::unique_ptr<TablePiece>> images;
    for (const TablePiece* piece : pieces) {
        images.push_back(MirroredPiece(*piece, box.left + box.right));
        if (!images.back() || !Placeable(*images.back())) {
            Tell(EditorMessage::OutsideArea, texts_.commands[static_cast<size_t>(EditCommand::Mirror)]);
            return Refresh();
        }
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        images[i]->serial = pieces[i]->serial;
        const size_t at = IndexOf(doc_.root(), pieces[i]);
        doc_.Root().RemoveChild(pieces[i]);
        doc_.Root().InsertChild(std::move(images[i]), at);
    }
    Record(false);
    Refresh();
}

void Editor::MirrorCopy() {
    if (!Ready(EditCommand::MirrorCopy)) return;
    // About the playfield's centre line. An image that would lie exactly on
    // a piece (one on the centre line is its own) is not added again.
    std::vector<std::unique_ptr<TablePiece>> images;
    for (const TablePiece* piece : doc_.Selection()) {
        std::unique_ptr<TablePiece> image = MirroredPiece(*piece, kMirrorCopyAxis);
        if (!image) continue;
        bool there = LiesOnAPiece(*image, doc_.root());
        for (const auto& other : images) there = there || LieOnEachOther(*image, *other);
        if (there) continue;
        if (!Placeable(*image)) {
            Tell(EditorMessage::OutsideArea, texts_.commands[static_cast<size_t>(EditCommand::MirrorCopy)]);
            return Refresh();
        }
        images.push_back(std::move(image));
    }
    if (images.empty()) {
        Tell(EditorMessage::MirrorImageThere, {}, MessageIcon::Information);
        return Refresh();
    }
    std::vector<TablePiece*> added;
    for (auto& image : images) {
        added.push_back(image.get());
        doc_.Root().AppendChild(std::move(image));
        doc_.Added(*added.back());
    }
    doc_.Select(added);
    Record(false);
    Refresh();
}

bool Editor::MoveItems(const std::vector<TablePiece*>& items, const std::vector<Point>& moves, EditCommand command) {
    auto move = [&](int sign) {
        for (size_t i = 0; i < items.size(); ++i) {
            doc_.State().paramA = sign * moves[i].x;
            doc_.State().paramB = sign * moves[i].y;
            items[i]->HandleMessage(PieceMessage::Move);
        }
    };
    move(1);
    for (const TablePiece* item : items)
        if (!Placeable(*item)) {
            move(-1);
            Tell(EditorMessage::OutsideArea, texts_.commands[static_cast<size_t>(command)]);
            return false;
        }
    return Record(false);
}

void Editor::Align(Alignment side) {
    if (!Ready(EditCommand::Align)) return;
    const std::vector<TablePiece*> pieces = doc_.Selection();
    const std::vector<Rect> boxes = Boxes(pieces);
    const Rect all = UnionBox(boxes);
    std::vector<Point> moves;
    for (const Rect& b : boxes) {
        switch (side) {
            case Alignment::Left: moves.push_back({all.left - b.left, 0}); break;
            case Alignment::Centre: moves.push_back({((all.left + all.right) - (b.left + b.right)) / 2, 0}); break;
            case Alignment::Right: moves.push_back({all.right - b.right, 0}); break;
            case Alignment::Top: moves.push_back({0, all.top - b.top}); break;
            case Alignment::Middle: moves.push_back({0, ((all.top + all.bottom) - (b.top + b.bottom)) / 2}); break;
            case Alignment::Bottom: moves.push_back({0, all.bottom - b.bottom}); break;
        }
    }
    MoveItems(pieces, moves, EditCommand::Align);
    Refresh();
}

void Editor::Distribute(bool vertically) {
    if (!Ready(EditCommand::Distribute)) return;
    // Along the axis: each piece's start and size, ordered by their middles;
    // the outermost stay, the others get equal gaps between them.
    const std::vector<TablePiece*> pieces = doc_.Selection();
    const std::vector<Rect> boxes = Boxes(pieces);
    struct Span {
        size_t piece;
        int32_t start, size;
    };
    std::vector<Span> spans;
    for (size_t i = 0; i < boxes.size(); ++i)
        spans.push_back(vertically ? Span{i, boxes[i].top, boxes[i].bottom - boxes[i].top}
                                   : Span{i, boxes[i].left, boxes[i].right - boxes[i].left});
    std::stable_sort(spans.begin(), spans.end(),
                     [](const Span& a, const Span& b) { return 2 * a.start + a.size < 2 * b.start + b.size; });
    const int32_t first = spans.front().start, last = spans.back().start + spans.back().size;
    int32_t sizes = 0;
    for (const Span& s : spans) sizes += s.size;
    const int64_t gaps = static_cast<int64_t>(spans.size()) - 1, room = last - first - sizes;
    std::vector<Point> moves(pieces.size());
    int32_t at = first, used = 0;
    for (size_t k = 0; k < spans.size(); ++k) {
        const int32_t d = (k + 1 == spans.size() ? last - spans[k].size : at) - spans[k].start;
        moves[spans[k].piece] = vertically ? Point{0, d} : Point{d, 0};
        // The gaps differ by a pixel at most when the room does not divide.
        const int32_t gapEnd = static_cast<int32_t>(room * static_cast<int64_t>(k + 1) / gaps);
        at += spans[k].size + gapEnd - used;
        used = gapEnd;
    }
    MoveItems(pieces, moves, EditCommand::Distribute);
    Refresh();
}

}  // namespace bw
