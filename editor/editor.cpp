// The editor: the events handed to the current tool, the one way to end a
// gesture, the one way to replace the table, painting, and the one place
// that brings the screen and the texts up to date after every event.
#include "editor/editor.h"

#include <algorithm>
#include <cstdio>

#include "files/table_text.h"
#include "model/paint.h"
#include "model/path_text.h"

namespace bw {

std::string_view FileNamePart(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

Point MadeEven(Point p) { return {p.x & ~1, p.y & ~1}; }

std::unique_ptr<Tool> MakeTool(ToolContext& context, int32_t tool) {
    if (tool >= kObstacle10 && tool <= kCannon) return MakePlaceTool(context, tool);
    if (tool == kBorderSegment) return MakeBorderTool(context);
    if (tool == kPointerTool) return MakePointerTool(context);
    return nullptr;
}

}  // namespace

Editor::Editor(EditorView& view, const ImageLoader& loader, EditorTexts texts, CheckRunner& checks)
    : view_(view),
      texts_(std::move(texts)),
      doc_(loader),
      context_{doc_, view_, [this](bool nudge) { return Record(nudge); },
               [this](EditorMessage m) { Tell(m, {}, MessageIcon::None); }},
      checks_(checks) {}

Editor::~Editor() {
    // The runner's report would come back to an editor that is gone.
    checks_.Cancel();
}

EditMode Editor::mode() const {
    if (playing_) return EditMode::Playing;
    return current_ ? current_->Gesture() : EditMode::Editing;
}

std::vector<const TablePiece*> Editor::Selection() const {
    const std::vector<TablePiece*> pieces = doc_.Selection();
    return {pieces.begin(), pieces.end()};
}

const TablePiece* Editor::currentPiece() const {
    const std::vector<TablePiece*> pieces = doc_.Selection();
    return pieces.size() == 1 ? pieces.front() : nullptr;
}

std::string Editor::Title(const std::string& programTitle) const {
    if (FilePath().empty()) return programTitle;
    return std::string(FileNamePart(FilePath())) + " - " + programTitle;
}

bool Editor::InPlayfield(Point p) const { return kPlayfield.Contains(p.x, p.y); }

void Editor::Tell(EditorMessage message, std::string argument, MessageIcon icon) {
    view_.Ask({message, MessageButtons::Ok, icon, std::move(argument), {}});
}

bool Editor::Record(bool nudge) {
    if (doc_.Commit(nudge)) return true;
    // More than a file holds (a segment that joined a piece that moved or
    // went becomes a border of its own): the action is taken back.
    Tell(EditorMessage::TooComplex, {}, MessageIcon::None);
    return false;
}

void Editor::InvalidatePlayfield() { view_.Invalidate(Region::FromRect(kPlayfield), false); }

// ---- after every event ------------------------------------------------------------------

std::vector<Rect> Editor::Frames() const {
    // Every selected piece is framed, a border too (two pieces in the same
    // place share a frame).
    std::vector<Rect> frames;
    if (tool_ != kPointerTool || !current_ || !current_->ShowsFrames()) return frames;
    for (const TablePiece* piece : doc_.Selection()) {
        const Rect frame = FrameOf(*piece);
        if (std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    return frames;
}

void Editor::Refresh() {
    if (!playing_) picture_.Show(doc_.root(), current_ ? current_->OverDrawn() : std::vector<TablePiece*>{}, Frames(), view_);
    if (doc_.Changes() != shownChanges_) {
        shownChanges_ = doc_.Changes();
        recoveryStale_ = true;
        // Back to what the file holds: nothing unsaved is left to keep.
        if (doc_.saved()) view_.DiscardRecovery();
    }
    // Findings describe the table they were found on, and no other.
    if (findings_ && !FindingsCurrent()) DropFindings();
    ShowStatus();
}

void Editor::ShowStatus() {
    std::string text;
    if (PlayingBack()) text = texts_.replayPlaying;
    else if (!summary_.empty()) text = summary_;
    else if (tool_ == kPointerTool && doc_.SelectedCount() >= 2)
        text = FillArgument(texts_.piecesSelected, std::to_string(doc_.SelectedCount()));
    else if (tool_ > kNoTool && tool_ <= kPointerTool) text = texts_.tools[static_cast<size_t>(tool_)];
    if (text == statusText_) return;
    statusText_ = std::move(text);
    view_.TextsChanged();
}

// ---- the mouse and the keys -------------------------------------------------------------------

void Editor::LButtonDown(Point raw, bool shift) {
    if (!InPlayfield(raw) || !view_.IsActive()) return;
    const EditMode now = mode();
    if (now == EditMode::Playing || now == EditMode::Dragging || now == EditMode::Selecting) return;
    const Point p = MadeEven(raw);
    if (!current_ || current_->Press(p, shift)) lastMouse_ = p;
    Refresh();
}

void Editor::MouseMove(Point raw) {
    const Point p = MadeEven(raw);
    if (!view_.IsActive()) return;
    if (InPlayfield(p)) {
        char text[32];
        std::snprintf(text, sizeof text, "(%ld,%ld)", static_cast<long>(p.x / 2), static_cast<long>(p.y / 2));
        coordinatesText_ = text;
        view_.TextsChanged();
    } else {
        // The mouse is held by a drag or a band when it leaves the
        // playfield: they follow it, the pieces pressed against the walls.
        const EditMode now = mode();
        if (now != EditMode::Dragging && now != EditMode::Selecting) return;
    }
    if (current_ && !playing_) current_->MoveTo(p, lastMouse_);
    lastMouse_ = p;
    Refresh();
}

void Editor::LButtonUp() {
    // Released while another window is active, a drag goes on until a
    // release reaches the window while it is the active one.
    if (!current_ || !view_.IsActive()) return;
    current_->Release();
    Refresh();
}

void Editor::RButtonDown() {
    if (!current_ || !view_.IsActive()) return;
    current_->RightPress();
    Refresh();
}

void Editor::LButtonDblClk(Point raw) {
    // The click before it fixed a corner here and started a new segment:
    // ending the border drops that segment.
    if (!current_ || !view_.IsActive() || !InPlayfield(raw)) return;
    current_->DoubleClick();
    Refresh();
}

bool Editor::ArrowKey(int32_t key) {
    if (key != kKeyLeft && key != kKeyUp && key != kKeyRight && key != kKeyDown) return false;
    if (playing_ || !PointerHasPiece()) return false;
    const Point d{key == kKeyLeft ? -1 : key == kKeyRight ? 1 : 0, key == kKeyUp ? -1 : key == kKeyDown ? 1 : 0};
    const bool taken = current_->Nudge(d);
    Refresh();
    return taken;
}

void Editor::Escape() {
    if (playing_) return;
    Settle();
    doc_.SelectNone();
    Refresh();
}

// ---- tools -------------------------------------------------------------------------------------------

void Editor::Settle() {
    // Only a gesture under way has anything to finish; what its end changed
    // is shown, whoever asked for it.
    if (!current_ || current_->Gesture() == EditMode::Editing) return;
    current_->Settle();
    Refresh();
}

void Editor::SelectTool(int32_t newTool) {
    if (playing_) StopPlay();
    Settle();
    doc_.SelectNone();
    tool_ = newTool;
    current_ = MakeTool(context_, newTool);
    view_.ToolChanged();
    Refresh();
}

void Editor::ResetToolButtons() {
    Settle();
    doc_.SelectNone();
    tool_ = kNoTool;
    current_.reset();
    view_.ToolChanged();
    Refresh();
}

// ---- painting ----------------------------------------------------------------------------------------

void Editor::Paint(Surface& target) {
    TableState& st = doc_.State();
    if (playing_) {
        PaintTable(st, target, true);
        return;
    }
    PaintTable(st, target, false, FindingsCurrent() ? overlay_.get() : nullptr);
    // Pieces being dragged are drawn over the rest, in XOR; then the
    // selection's frames and whatever the gesture draws.
    Surface* const previous = st.drawTarget;
    st.drawTarget = &target;
    for (TablePiece* piece : current_ ? current_->OverDrawn() : std::vector<TablePiece*>{}) {
        target.SelectPen(kPiecePen);
        target.SetRasterMode(RasterMode::XorPen);
        piece->HandleMessage(PieceMessage::Draw);
    }
    st.drawTarget = previous;
    target.SelectPen(kFramePen);
    target.SetRasterMode(RasterMode::XorPen);
    for (const Rect& box : Frames()) {
        target.Line(box.left, box.top, box.right, box.top);
        target.Line(box.right, box.top, box.right, box.bottom);
        target.Line(box.right, box.bottom, box.left, box.bottom);
        target.Line(box.left, box.bottom, box.left, box.top);
    }
    if (current_) current_->PaintGesture(target);
    target.SetRasterMode(RasterMode::CopyPen);
}

// ---- replacing the table -------------------------------------------------------------------------------

bool Editor::ReplaceTable(const TableRoot& from, const std::string& path, Document::Start start, bool resetTool) {
    if (playing_) StopPlay();
    Settle();
    if (resetTool) ResetToolButtons();
    DropFindings();
    checks_.Cancel();
    liveTable_.clear();
    const bool copied = doc_.Replace(from, path, start);
    doc_.State().score = 0;
    scoreText_ = "0";
    view_.ScoreChanged();
    view_.TextsChanged();
    view_.FileChanged();
    InvalidatePlayfield();
    Refresh();
    return copied;
}

bool Editor::OpenTable(const std::string& path, std::span<const uint8_t> bytes) {
    Table read{NoImageLoader{}};
    const LoadResult loaded = LoadTableBytes(*read.root, bytes);
    if (!loaded.accepted) {
        Tell(EditorMessage::NotATable, {}, MessageIcon::None);
        return false;
    }
    // A file cut off inside a list reads without its last pieces: what the
    // editor holds is not the file, so it stands unsaved.
    ReplaceTable(*read.root, path, loaded.trimmed ? Document::Start::Unsaved : Document::Start::Saved, true);
    return true;
}

void Editor::NewTable() {
    const Table empty{NoImageLoader{}};
    ReplaceTable(*empty.root, {}, Document::Start::Saved, true);
}

bool Editor::Restore(const std::string& path, std::string_view text) {
    Table read{NoImageLoader{}};
    std::string unreadable;
    // A copy a table file could not hold is no table the editor can keep.
    if (!TextToTable(text, *read.root, unreadable) || RecordsNeeded(*read.root) > kMaxRecords) return false;
    // Restored: the changes are still unsaved, under the table's own name.
    ReplaceTable(*read.root, path, Document::Start::Unsaved, true);
    return true;
}

SaveResult Editor::PrepareSave() {
    if (playing_) StopPlay();
    Settle();
    Refresh();
    return SaveTableBytes(doc_.root());
}

void Editor::Saved(const std::string& path) {
    const bool renamed = path != FilePath();
    doc_.MarkSaved(path);
    view_.DiscardRecovery();
    if (renamed) view_.FileChanged();
    Refresh();
}

std::string Editor::RecoveryText() const { return TableToText(doc_.root()); }

}  // namespace bw
