// Editing the table with the mouse and keys: placing pieces, drawing
// borders click by click, selecting, dragging, nudging and deleting.
//
// Transient pictures (the piece being placed or dragged, the border segment
// under the mouse, the selection frame) are drawn in XOR straight on the
// window; everything else is repainted through invalidation of the regions
// that changed, never the whole playfield.
#include "editor/editor.h"

#include <algorithm>
#include <cstdio>

#include "model/paint.h"

namespace bw {

Rect AllowedClickArea(int32_t tool) {
    switch (tool) {
        // A flipper's blade reaches 20 pixels to its side and 4 below its
        // pivot; a cannon's walls 5 on every side.
        case kLeftFlipper: return {kPlayfield.left, kPlayfield.top, kPlayfield.right - 20, kPlayfield.bottom - 4};
        case kRightFlipper: return {kPlayfield.left + 20, kPlayfield.top, kPlayfield.right, kPlayfield.bottom - 4};
        case kCannon: return {kPlayfield.left + 5, kPlayfield.top + 5, kPlayfield.right - 5, kPlayfield.bottom - 5};
        default: return kPlayfield;
    }
}

bool PlacementAllowed(int32_t kind, Point p) { return AllowedClickArea(kind).Contains(p.x, p.y); }

namespace {

constexpr int32_t kMaxPosition = 255;  // a table position's largest value

int32_t FloorHalf(int32_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }
int32_t CeilHalf(int32_t v) { return -FloorHalf(-v); }

// The moves (table pixels) along one axis that keep pieces allowed.
struct MoveRange {
    int32_t lo = -kMaxPosition, hi = kMaxPosition;
    void Keep(int32_t l, int32_t h) { lo = std::max(lo, l), hi = std::min(hi, h); }
    bool Holds(int32_t v) const { return lo <= v && v <= hi; }
    // The move nearest to none.
    int32_t Least() const { return std::clamp(0, lo, hi); }
};

void KeepAllowed(const TablePiece& piece, MoveRange& mx, MoveRange& my) {
    if (const auto* group = dynamic_cast<const PieceGroup*>(&piece)) {
        for (const TablePiece* c = group->FirstChild(); c; c = c->next.get()) KeepAllowed(*c, mx, my);
        return;
    }
    const PlacedPiece& p = Placed(piece);
    // Where the placement rule allows the piece's position (made even, it
    // is twice the table position)...
    const Rect area = AllowedClickArea(piece.kind);
    mx.Keep(CeilHalf(area.left) - p.x, FloorHalf(area.right - 1) - p.x);
    my.Keep(CeilHalf(area.top) - p.y, FloorHalf(area.bottom - 1) - p.y);
    // ...and all of its shape on the playfield.
    const Rect box = piece.region.Box();
    if (box.IsEmpty()) return;
    mx.Keep(CeilHalf(kPlayfield.left - box.left), FloorHalf(kPlayfield.right - box.right));
    my.Keep(CeilHalf(kPlayfield.top - box.top), FloorHalf(kPlayfield.bottom - box.bottom));
}

// Where each top-level piece of a table file starts (its first record).
std::vector<Point> ItemPositions(const TableRoot& root) {
    const std::vector<uint8_t> file = TableFileBytes(root);
    std::vector<Point> at;
    for (const auto& item : TopLevelItems(std::span(file).subspan(std::min(file.size(), kHeaderBytes))))
        at.push_back({item[0], item[1]});
    return at;
}

constexpr int32_t kPlacementStep = 5;  // table pixels between tries for a free spot

}  // namespace

std::optional<Point> PlacementOffset(const TableRoot& pieces, const TableRoot& table) {
    MoveRange mx, my;
    for (const TablePiece* c = pieces.FirstChild(); c; c = c->next.get()) KeepAllowed(*c, mx, my);
    if (mx.lo > mx.hi || my.lo > my.hi) return std::nullopt;
    const Point least{mx.Least(), my.Least()};
    const std::vector<Point> added = ItemPositions(pieces), taken = ItemPositions(table);
    auto clashes = [&](Point d) {
        for (const Point a : added)
            for (const Point t : taken)
                if (a.x + d.x == t.x && a.y + d.y == t.y) return true;
        return false;
    };
    if (!clashes(least)) return least;
    // Moved a few pixels at a time, diagonally, while a piece would lie
    // exactly where a piece of the table lies; where no spot is free, it
    // stays at the least move.
    for (int32_t k = 1; k <= 2 * kTableWidth / kPlacementStep; ++k)
        for (const Point d : {Point{1, 1}, Point{-1, -1}, Point{1, -1}, Point{-1, 1}}) {
            const Point tried{least.x + d.x * k * kPlacementStep, least.y + d.y * k * kPlacementStep};
            if (mx.Holds(tried.x) && my.Holds(tried.y) && !clashes(tried)) return tried;
        }
    return least;
}

std::string_view FileNamePart(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

Point MadeEven(Point p) { return {p.x & ~1, p.y & ~1}; }

}  // namespace

Editor::Editor(EditorView& view, const ImageLoader& loader, EditorTexts texts)
    : view_(view), texts_(std::move(texts)) {
    root = std::make_unique<TableRoot>(state, loader);
    currentGroup = root.get();
    history.Start(Snapshot());
}

Editor::~Editor() {
    // Pieces being dragged are out of the tree: they go before the table.
    selection_.clear();
    dragged_.clear();
    currentPiece = nullptr;
    currentGroup = nullptr;
}

bool Editor::InPlayfield(Point p) { return kPlayfield.Contains(p.x, p.y); }

void Editor::InvalidatePiece(const TablePiece& piece, bool erase) { view_.Invalidate(piece.region, erase); }

void Editor::InvalidatePlayfield(bool erase) { view_.Invalidate(Region::FromRect(kPlayfield), erase); }

void Editor::Tell(EditorMessage message, MessageIcon icon, std::string argument, std::string detail) {
    view_.Ask({message, MessageButtons::Ok, icon, std::move(argument), std::move(detail)});
}

int32_t Editor::FileRecordsAfter(int32_t added) const {
    int32_t needed = RecordsNeeded(*root);
    // The segment under the mouse is dropped when the border ends: the
    // file never holds it.
    if (mode == EditMode::DrawingBorder && currentPiece) --needed;
    return needed + added;
}

bool Editor::AdditionRefused(int32_t fileRecords, int32_t countedRecords) {
    // The editor's own count, and what a table file can hold: whatever the
    // user builds can be saved and loaded back whole. (A single piece is
    // refused only once the count is full, so a cannon may pass it by one.)
    if (recordCount + countedRecords - 1 < kMaxRecords && FileRecordsAfter(fileRecords) <= kMaxRecords) return false;
    Tell(EditorMessage::TooComplex);
    return true;
}

// ---- tools ----------------------------------------------------------------------

void Editor::SelectTool(int32_t newTool) {
    if (mode == EditMode::Playing) StopPlay();
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    if (tool == kPointerTool) ToggleSelectionFrame(nullptr);
    EndBorder();
    selection_.clear();
    currentPiece = nullptr;
    tool = newTool;
    ShowStatus();
    view_.ToolChanged();
}

void Editor::ResetToolButtons() {
    tool = kNoTool;
    ShowStatus();
    view_.ToolChanged();
}

// ---- the selection -----------------------------------------------------------------

void Editor::Select(std::vector<TablePiece*> pieces) {
    ToggleSelectionFrame(nullptr);
    // In table order, each once.
    std::vector<TablePiece*> ordered;
    for (TablePiece* c = root->FirstChild(); c; c = c->next.get())
        if (std::find(pieces.begin(), pieces.end(), c) != pieces.end()) ordered.push_back(c);
    selection_ = std::move(ordered);
    currentPiece = selection_.size() == 1 ? selection_.front() : nullptr;
    ToggleSelectionFrame(nullptr);
    ShowStatus();
}

void Editor::ShowStatus() {
    if (!summary_.empty()) {
        statusText = summary_;
    } else if (tool == kPointerTool && selection_.size() >= 2) {
        statusText = texts_.piecesSelected;
        const size_t at = statusText.find("%d");
        if (at != std::string::npos) statusText.replace(at, 2, std::to_string(selection_.size()));
    } else if (tool != kNoTool && tool >= 0 && tool <= kPointerTool) {
        statusText = texts_.tools[static_cast<size_t>(tool)];
    } else {
        statusText.clear();
    }
    view_.TextsChanged();
}

void Editor::Escape() {
    if (mode == EditMode::Editing && tool == kPointerTool && !selection_.empty()) Select({});
}

std::vector<TablePiece*> Editor::MovingPieces() const {
    if (tool == kPointerTool) return selection_;
    if (currentPiece) return {currentPiece};
    return {};
}

// ---- window drawing ---------------------------------------------------------------

void Editor::DrawCurrentPiece(bool xorMode) {
    if (tool <= 0) return;
    const std::vector<TablePiece*> pieces = MovingPieces();
    if (pieces.empty()) return;
    view_.DrawNow([&](Surface& target) {
        target.SelectPen(kPiecePen);
        target.SetRasterMode(xorMode ? RasterMode::XorPen : RasterMode::CopyPen);
        state.drawTarget = &target;
        for (TablePiece* piece : pieces) {
            target.SelectPen(kPiecePen);
            target.SetRasterMode(xorMode ? RasterMode::XorPen : RasterMode::CopyPen);
            piece->HandleMessage(PieceMessage::Draw);
        }
        state.drawTarget = nullptr;
    });
}

void Editor::ToggleSelectionFrame(Surface* given) {
    // Every selected piece is framed, a border too (two pieces in the
    // same place share a frame); the segment under the mouse while a
    // border is drawn is no selection.
    if (mode == EditMode::DrawingBorder || !FramesShown()) return;
    std::vector<Rect> boxes;
    for (const TablePiece* piece : selection_) {
        Rect box = piece->region.Box();
        box.Inflate(5, 5);
        if (std::find(boxes.begin(), boxes.end(), box) == boxes.end()) boxes.push_back(box);
    }
    if (boxes.empty()) return;
    auto frame = [&](Surface& target) {
        target.SelectPen(kFramePen);
        target.SetRasterMode(RasterMode::XorPen);
        for (const Rect& box : boxes) {
            target.Line(box.left, box.top, box.right, box.top);
            target.Line(box.right, box.top, box.right, box.bottom);
            target.Line(box.right, box.bottom, box.left, box.bottom);
            target.Line(box.left, box.bottom, box.left, box.top);
        }
    };
    if (given) frame(*given);
    else view_.DrawNow(frame);
}

Rect Editor::BandRect() const {
    return {std::min(bandStart_.x, lastMouse.x), std::min(bandStart_.y, lastMouse.y),
            std::max(bandStart_.x, lastMouse.x) + 1, std::max(bandStart_.y, lastMouse.y) + 1};
}

void Editor::DrawBand(Surface* given) {
    // A dotted outline in XOR: every other pixel of its edge, each once.
    const Rect r = BandRect();
    auto band = [&](Surface& target) {
        target.SelectPen(Pen{kWhite, 1});
        target.SetRasterMode(RasterMode::XorPen);
        auto dot = [&](int32_t x, int32_t y) {
            if (((x + y) & 1) == 0) target.Line(x, y, x + 1, y);
        };
        for (int32_t x = r.left; x < r.right; ++x) {
            dot(x, r.top);
            if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
        }
        for (int32_t y = r.top + 1; y < r.bottom - 1; ++y) {
            dot(r.left, y);
            if (r.right - 1 > r.left) dot(r.right - 1, y);
        }
    };
    if (given) band(*given);
    else view_.DrawNow(band);
}

bool Editor::MoveCurrentPiece(int32_t dx, int32_t dy, bool copy) {
    const std::vector<TablePiece*> pieces = MovingPieces();
    if (pieces.empty()) return false;
    state.paramA = dx >> 1;
    state.paramB = dy >> 1;
    for (const TablePiece* piece : pieces)
        if (!piece->FitsIn(kPlayfield.left, kPlayfield.top, kPlayfield.right >> 1, kPlayfield.bottom >> 1))
            return false;
    // One piece is drawn at once where it goes and repainted where it was;
    // several are repainted where they were and where they go, in one go.
    const bool many = pieces.size() > 1 && tool != kBorderSegment;
    Region changed;
    if (tool == kBorderSegment) {
        DrawCurrentPiece(true);
    } else {
        for (const TablePiece* piece : pieces) changed.Unite(piece->region);
        if (!many) view_.Invalidate(changed, false);
    }
    ToggleSelectionFrame(nullptr);
    for (TablePiece* piece : pieces) {
        if (mode == EditMode::DrawingBorder) Placed(*piece).MoveBy(state.paramA, state.paramB);
        else piece->HandleMessage(PieceMessage::Move);
    }
    if (mode == EditMode::Dragging) dragMoved_ = {dragMoved_.x + state.paramA, dragMoved_.y + state.paramB};
    if (many) {
        for (const TablePiece* piece : pieces) changed.Unite(piece->region);
        view_.Invalidate(changed, false);
    } else {
        DrawCurrentPiece(!copy);
    }
    ToggleSelectionFrame(nullptr);
    return true;
}

bool Editor::FramesShown() const {
    // Several pieces being dragged show no frames until they are dropped.
    return !(mode == EditMode::Dragging && selection_.size() > 1);
}

// ---- the mouse ------------------------------------------------------------------------

void Editor::LButtonDown(Point raw, bool shift) {
    if (!InPlayfield(raw) || !view_.IsActive()) return;
    const Point p = MadeEven(raw);
    if (mode == EditMode::DrawingBorder) {
        if (!AdditionRefused(1, 1)) {
            MoveCurrentPiece(p.x - lastMouse.x, p.y - lastMouse.y, false);
            DrawCurrentPiece(false);
            currentPiece = CreatePiece(currentGroup, kBorderSegment, p.x >> 1, p.y >> 1);
            if (currentPiece) ++recordCount;
            saved = false;
        }
    } else if (mode == EditMode::Editing) {
        if (!PlaceOrSelect(p, shift)) return;
    }
    lastMouse = p;
}

// A click in Editing mode. False when the tool's allowed area refused the
// click, which then changes nothing at all.
bool Editor::PlaceOrSelect(Point p, bool shift) {
    if (tool == kPointerTool) {
        TablePiece* hit = root->PieceAt(p.x, p.y);
        if (!hit) {
            // Empty playfield: the selection goes (unless Shift adds to
            // it) and a rubber band starts.
            if (!shift) Select({});
            mode = EditMode::Selecting;
            bandStart_ = p;
            lastMouse = p;
            bandAdds_ = shift;
            view_.CaptureMouse(true);
            DrawBand(nullptr);
            return true;
        }
        const bool selected = std::find(selection_.begin(), selection_.end(), hit) != selection_.end();
        if (shift) {
            std::vector<TablePiece*> pieces = selection_;
            if (selected) pieces.erase(std::find(pieces.begin(), pieces.end(), hit));
            else pieces.push_back(hit);
            Select(std::move(pieces));
            return true;
        }
        pressedPiece_ = selected && selection_.size() > 1 ? hit : nullptr;
        if (!selected) Select({hit});
        StartDrag(hit);
        return true;
    }
    if (tool < kObstacle10 || tool > kBorderSegment) return true;
    // A border is begun only with room for its start, one corner and its
    // end; whatever is begun can be finished.
    const int32_t needed = tool == kBorderSegment ? 3 : 1;
    if (AdditionRefused(needed, needed)) return true;
    if (tool == kBorderSegment) {
        currentGroup = AsGroup(CreatePiece(root.get(), kBorderStart, p.x >> 1, p.y >> 1));
        if (!currentGroup) return true;
        mode = EditMode::DrawingBorder;
        ++recordCount;
    } else {
        if (!PlacementAllowed(tool, p)) return false;
        currentGroup = root.get();
    }
    currentPiece = CreatePiece(currentGroup, tool, p.x >> 1, p.y >> 1);
    if (!currentPiece) return true;
    recordCount += tool == kCannon ? 2 : 1;
    DrawCurrentPiece(true);
    // A piece is one step; a border becomes one when it ends.
    if (mode == EditMode::DrawingBorder) saved = false;
    else RecordStep();
    return true;
}

void Editor::StartDrag(TablePiece*) {
    ToggleSelectionFrame(nullptr);  // the frames go while several are dragged...
    mode = EditMode::Dragging;
    ToggleSelectionFrame(nullptr);  // ...and stay with one
    view_.CaptureMouse(true);
    dragMoved_ = {};
    // Every selected piece leaves the table, remembering its place.
    dragged_.clear();
    size_t index = 0;
    for (TablePiece* c = root->FirstChild(); c; c = c->next.get(), ++index)
        if (std::find(selection_.begin(), selection_.end(), c) != selection_.end())
            dragged_.push_back({index, nullptr});
    for (size_t i = 0; i < selection_.size(); ++i) dragged_[i].piece = root->RemoveChild(selection_[i]);
    saved = false;
}

void Editor::MouseMove(Point raw) {
    const Point p = MadeEven(raw);
    if (!InPlayfield(p) || !view_.IsActive()) return;
    char text[32];
    std::snprintf(text, sizeof text, "(%ld,%ld)", static_cast<long>(p.x / 2), static_cast<long>(p.y / 2));
    coordinatesText = text;
    view_.TextsChanged();
    if (mode == EditMode::DrawingBorder || mode == EditMode::Dragging)
        MoveCurrentPiece(p.x - lastMouse.x, p.y - lastMouse.y, false);
    if (mode == EditMode::Selecting && (p.x != lastMouse.x || p.y != lastMouse.y)) {
        DrawBand(nullptr);
        lastMouse = p;
        DrawBand(nullptr);
    }
    lastMouse = p;
}

void Editor::LButtonUp() {
    if (mode == EditMode::Selecting) {
        if (view_.IsActive()) FinishBand(true);
        return;
    }
    EndDrag();
}

void Editor::RButtonDown() {
    if (view_.IsActive() && mode == EditMode::DrawingBorder) EndBorder();
}

void Editor::LButtonDblClk(Point raw) {
    // The click before it fixed a vertex here and started a new segment:
    // ending the border drops that segment.
    if (mode == EditMode::DrawingBorder && view_.IsActive() && InPlayfield(raw)) EndBorder();
}

// ---- ending operations ------------------------------------------------------------------

void Editor::FinishBand(bool select) {
    view_.CaptureMouse(false);
    DrawBand(nullptr);
    mode = EditMode::Editing;
    if (!select) return;
    // Every piece whose shape, as the playfield shows it, lies wholly inside.
    const Rect band = BandRect();
    std::vector<TablePiece*> pieces = bandAdds_ ? selection_ : std::vector<TablePiece*>{};
    for (TablePiece* c = root->FirstChild(); c; c = c->next.get()) {
        if (c->region.IsEmpty() || std::find(pieces.begin(), pieces.end(), c) != pieces.end()) continue;
        Rect box = c->region.Box();
        box = {std::max(box.left, kPlayfield.left), std::max(box.top, kPlayfield.top),
               std::min(box.right, kPlayfield.right), std::min(box.bottom, kPlayfield.bottom)};
        if (box.left >= band.left && box.top >= band.top && box.right <= band.right && box.bottom <= band.bottom)
            pieces.push_back(c);
    }
    Select(std::move(pieces));
}

void Editor::PutBackDraggedPiece() {
    view_.CaptureMouse(false);
    // Pieces that went nowhere go back to their places in the list: a
    // click that moves nothing changes nothing. Moved, they go last.
    const bool moved = dragMoved_.x != 0 || dragMoved_.y != 0;
    for (Held& held : dragged_) {
        if (!held.piece) continue;
        if (moved) root->AppendChild(std::move(held.piece));
        else root->InsertChild(std::move(held.piece), held.index);
    }
    dragged_.clear();
    ToggleSelectionFrame(nullptr);  // hidden while several were dragged...
    mode = EditMode::Editing;
    ToggleSelectionFrame(nullptr);  // ...shown again
    RecordStep();  // the drag, from press to release, is one step
    TablePiece* pressed = pressedPiece_;
    pressedPiece_ = nullptr;
    // A click on one piece of several selects it alone.
    if (!moved && pressed) Select({pressed});
}

void Editor::EndDrag() {
    if (mode != EditMode::Dragging || !view_.IsActive()) return;
    PutBackDraggedPiece();
    DrawCurrentPiece(false);
    mode = EditMode::Editing;
    tool = kPointerTool;
}

void Editor::EndBorder() {
    // A drag is never left hanging: its pieces go back into the table.
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    if (mode == EditMode::Selecting) FinishBand(false);
    const bool drawing = mode == EditMode::DrawingBorder;
    if (drawing) {
        PieceGroup* group = currentGroup;
        std::unique_ptr<TablePiece> segment;
        if (group && currentPiece) segment = group->RemoveChild(currentPiece);
        const bool onlyStart = group && group->FirstChild() && !group->FirstChild()->next;
        if (onlyStart) recordCount -= 2;
        if (segment) {
            segment->HandleMessage(PieceMessage::RebuildRegion);
            InvalidatePiece(*segment, false);
            segment.reset();
        }
        currentPiece = nullptr;
        if (onlyStart && group != root.get()) {
            root->RemoveChild(group);  // handed back and deleted
            currentGroup = nullptr;
        }
        root->HandleMessage(PieceMessage::RebuildRegion);
    }
    mode = EditMode::Editing;
    if (drawing) RecordStep();  // the whole border is one step
}

void Editor::DeleteSelected() {
    if (mode != EditMode::Editing || tool != kPointerTool || selection_.empty()) return;
    // What the file needs without the pieces: a border segment that joined
    // one becomes a border of its own, which takes more records.
    const int32_t before = RecordsNeeded(*root);
    std::vector<Held> removed;
    size_t index = 0;
    for (TablePiece* c = root->FirstChild(); c; c = c->next.get(), ++index)
        if (std::find(selection_.begin(), selection_.end(), c) != selection_.end()) removed.push_back({index, nullptr});
    for (size_t i = 0; i < selection_.size(); ++i) removed[i].piece = root->RemoveChild(selection_[i]);
    const int32_t after = RecordsNeeded(*root);
    if (after > kMaxRecords) {
        for (Held& held : removed) root->InsertChild(std::move(held.piece), held.index);
        Tell(EditorMessage::TooComplex);
        return;
    }
    // The editor counts a cannon twice.
    int32_t cannons = 0;
    Region gone;
    for (const Held& held : removed) {
        cannons += held.piece->kind == kCannon ? 1 : 0;
        gone.Unite(held.piece->region);
    }
    recordCount += after - before - cannons;
    view_.Invalidate(gone, true);
    // The frames go with their pieces: the pieces are still whole here.
    ToggleSelectionFrame(nullptr);
    selection_.clear();
    currentPiece = nullptr;
    ShowStatus();
}

// ---- keys -----------------------------------------------------------------------------------

bool Editor::ArrowKey(int32_t key) {
    if (key != kKeyLeft && key != kKeyUp && key != kKeyRight && key != kKeyDown) return false;
    if (mode == EditMode::Playing || !PointerHasPiece()) return false;
    if (mode == EditMode::Selecting) return true;  // not while a band is drawn
    const int32_t dx = key == kKeyLeft ? -2 : key == kKeyRight ? 2 : 0;
    const int32_t dy = key == kKeyUp ? -2 : key == kKeyDown ? 2 : 0;
    // A run of nudges of the same pieces is one step.
    if (MoveCurrentPiece(dx, dy, true)) {
        RecordStep(true);
        lastNudged_ = selection_;
    }
    return true;
}

// ---- painting -----------------------------------------------------------------------------------

void Editor::PaintEditing(Surface& target) {
    // While a border is drawn, the segment under the mouse is left out
    // here and drawn in XOR below.
    if (mode == EditMode::DrawingBorder) {
        state.excludedPiece = currentPiece;
        state.excludeActive = 1;
    }
    PaintTable(state, target, false, OverlayToPaint());
    state.excludeActive = 0;
    std::vector<TablePiece*> overDrawn;
    if (mode == EditMode::DrawingBorder && currentPiece) overDrawn = {currentPiece};
    if (mode == EditMode::Dragging) overDrawn = MovingPieces();
    state.drawTarget = &target;
    for (TablePiece* piece : overDrawn) {
        target.SelectPen(kPiecePen);
        target.SetRasterMode(RasterMode::XorPen);
        piece->HandleMessage(PieceMessage::Draw);
    }
    state.drawTarget = nullptr;
    if (mode != EditMode::DrawingBorder && mode != EditMode::Playing && tool == kPointerTool)
        ToggleSelectionFrame(&target);
    if (mode == EditMode::Selecting) DrawBand(&target);
}

void Editor::PaintPlay(Surface& target) { PaintTable(state, target, true); }

}  // namespace bw
