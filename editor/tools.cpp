// The place tool, the border tool and the pointer.
//
// The border being drawn is in the table from its first click; the segment
// under the mouse is not: it is the tool's own until a click fixes it, and
// it is drawn in XOR straight on the window as it follows the mouse, so
// that drawing a border repaints nothing. Everything else reaches the
// screen through the repaint of what changed.
#include "editor/tools.h"

#include <algorithm>
#include <utility>

#include "editor/placement.h"
#include "model/surface.h"

namespace bw {

namespace {

Point TablePoint(Point p) { return {p.x >> 1, p.y >> 1}; }

// ---- placing pieces ------------------------------------------------------------------

class PlaceTool final : public Tool {
public:
    PlaceTool(ToolContext& context, PieceKind kind) : Tool(context), kind_(kind) {}

    bool Press(Point p, bool) override {
        if (!c_.doc.RoomFor(1, 1)) {
            c_.tell(EditorMessage::TooComplex);
            return true;
        }
        const Point at = TablePoint(p);
        if (!AreaOf(kind_).Holds(at.x, at.y)) return false;
        TablePiece* piece = CreatePiece(&c_.doc.Root(), kind_, at.x, at.y);
        if (!piece) return true;
        c_.doc.Added(*piece);
        c_.record(false);
        return true;
    }

private:
    PieceKind kind_;
};

// ---- drawing borders -------------------------------------------------------------------

class BorderTool final : public Tool {
public:
    using Tool::Tool;

    bool Press(Point p, bool) override {
        const Point at = TablePoint(p);
        if (!group_) {
            // Begun only with room for its start, one corner and its end:
            // whatever is begun can be finished.
            if (!c_.doc.RoomFor(3, 3)) {
                c_.tell(EditorMessage::TooComplex);
                return true;
            }
            group_ = AsGroup(CreatePiece(&c_.doc.Root(), kBorderStart, at.x, at.y));
            if (group_) NewSegment(at);
            return true;
        }
        if (!c_.doc.RoomFor(1, 1)) {
            c_.tell(EditorMessage::TooComplex);
            return true;
        }
        DrawSegment();
        AimSegment(at);
        group_->AppendChild(std::move(segment_));  // fixed: the table shows it from now on
        NewSegment(at);
        return true;
    }

    void MoveTo(Point p, Point) override {
        if (!segment_) return;
        DrawSegment();
        AimSegment(TablePoint(p));
        DrawSegment();
    }

    void RightPress() override { EndBorder(); }
    void DoubleClick() override { EndBorder(); }

    bool TakeBack() override {
        if (!group_) return false;
        if (!group_->FirstChild() || !group_->FirstChild()->next) {
            EndBorder();  // at its start: the border goes
            return true;
        }
        DrawSegment();
        group_->RemoveChild(group_->LastChild());  // handed back and deleted
        const PlacedPiece& last = Placed(*group_->LastChild());
        segment_->x2 = last.x;
        segment_->y2 = last.y;
        DrawSegment();
        return true;
    }

    EditMode Gesture() const override { return group_ ? EditMode::DrawingBorder : EditMode::Editing; }
    void Settle() override { EndBorder(); }

    void PaintGesture(Surface& target) override {
        if (segment_) DrawSegmentOn(target);
    }

private:
    // Ends the border being drawn: the segment under the mouse goes; a
    // border with only its start point goes too, and leaves no trace;
    // otherwise the whole border is one step.
    void EndBorder() {
        if (!group_) return;
        DrawSegment();
        segment_.reset();
        PieceGroup* group = std::exchange(group_, nullptr);
        if (!group->FirstChild() || !group->FirstChild()->next) c_.doc.Root().RemoveChild(group);
        else c_.record(false);
    }

    // A segment from `at` to the border's last corner, zero long, under the mouse.
    void NewSegment(Point at) {
        const PlacedPiece& last = Placed(*group_->LastChild());
        segment_ = std::make_unique<BorderSegment>(c_.doc.State(), kBorderSegment, at.x, at.y, last.x, last.y);
        DrawSegment();
    }

    void AimSegment(Point at) { segment_->MoveBy(at.x - segment_->x, at.y - segment_->y); }

    void DrawSegmentOn(Surface& target) {
        TableState& st = c_.doc.State();
        Surface* const previous = st.drawTarget;
        st.drawTarget = &target;
        target.SelectPen(kPiecePen);
        target.SetRasterMode(RasterMode::XorPen);
        segment_->HandleMessage(PieceMessage::Draw);
        st.drawTarget = previous;
    }

    // In XOR at once: a second call takes it away.
    void DrawSegment() {
        if (segment_) c_.view.DrawNow([&](Surface& target) { DrawSegmentOn(target); });
    }

    PieceGroup* group_ = nullptr;
    std::unique_ptr<BorderSegment> segment_;
};

// ---- the pointer -----------------------------------------------------------------------------

class PointerTool final : public Tool {
public:
    using Tool::Tool;

    bool Press(Point p, bool shift) override {
        TablePiece* hit = c_.doc.Root().PieceAt(p.x, p.y);
        if (!hit) {
            // Empty playfield: the selection goes (unless Shift adds to
            // it) and a selection band starts.
            if (!shift) c_.doc.SelectNone();
            state_ = State::Band;
            bandStart_ = bandEnd_ = p;
            bandAdds_ = shift;
            c_.view.CaptureMouse(true);
            DrawBand();
            return true;
        }
        const bool selected = c_.doc.IsSelected(*hit);
        std::vector<TablePiece*> pieces = c_.doc.Selection();
        if (shift) {
            if (selected) std::erase(pieces, hit);
            else pieces.push_back(hit);
            c_.doc.Select(pieces);
            return true;
        }
        // A press on one piece of several: it alone is selected when the
        // drag goes nowhere.
        pressed_ = selected && pieces.size() > 1 ? hit->serial : 0;
        if (!selected) c_.doc.Select({hit});
        state_ = State::Drag;
        moved_ = asked_ = {};
        c_.view.CaptureMouse(true);
        c_.doc.Lift();
        return true;
    }

    void MoveTo(Point p, Point last) override {
        if (state_ == State::Band && (p.x != bandEnd_.x || p.y != bandEnd_.y)) {
            DrawBand();
            bandEnd_ = p;
            DrawBand();
        }
        if (state_ != State::Drag) return;
        // The pieces keep to the mouse: where it asks them, pressed
        // against a wall on each axis it would take them through.
        asked_ = {asked_.x + ((p.x - last.x) >> 1), asked_.y + ((p.y - last.y) >> 1)};
        MoveCurrentPiece({asked_.x - moved_.x, asked_.y - moved_.y});
    }

    void Release() override {
        if (state_ == State::Band) FinishBand();
        else if (state_ == State::Drag) EndDrag();
    }

    bool Nudge(Point d) override {
        if (state_ == State::Band) return true;  // not while a band is drawn
        const std::vector<TablePiece*> pieces = c_.doc.Selection();
        if (state_ != State::Idle || pieces.empty()) return false;
        MoveRange range;
        for (const TablePiece* piece : pieces) range.Keep(*piece);
        const Point allowed = range.Clamp(d);
        if (allowed.x == 0 && allowed.y == 0) return true;
        c_.doc.State().paramA = allowed.x;
        c_.doc.State().paramB = allowed.y;
        for (TablePiece* piece : pieces) piece->HandleMessage(PieceMessage::Move);
        c_.record(true);  // a run of nudges of the same pieces is one step
        return true;
    }

    EditMode Gesture() const override {
        return state_ == State::Band ? EditMode::Selecting : state_ == State::Drag ? EditMode::Dragging : EditMode::Editing;
    }

    void Settle() override { Release(); }

    // Undo in the middle of a drag takes the drag back: the pieces return
    // to where they were, and nothing is recorded.
    bool TakeBack() override {
        if (state_ != State::Drag) return false;
        c_.doc.MoveLifted({-moved_.x, -moved_.y});
        moved_ = {};
        EndDrag();
        return true;
    }

    void PaintGesture(Surface& target) override {
        if (state_ == State::Band) DrawBandOn(target);
    }

    std::vector<TablePiece*> OverDrawn() const override { return c_.doc.Lifted(); }
    // Several pieces being dragged show no frames until they are dropped.
    bool ShowsFrames() const override { return !(state_ == State::Drag && c_.doc.Lifted().size() > 1); }

private:
    enum class State { Idle, Band, Drag };

    // The dragged pieces follow the mouse as far as the placement rule
    // lets them, along each axis on its own.
    void MoveCurrentPiece(Point d) {
        MoveRange range;
        for (const TablePiece* piece : c_.doc.Lifted()) range.Keep(*piece);
        const Point allowed = range.Clamp(d);
        if (allowed.x == 0 && allowed.y == 0) return;
        c_.doc.MoveLifted(allowed);
        moved_ = {moved_.x + allowed.x, moved_.y + allowed.y};
    }

    // The drag, from press to release, is one step. Pieces that went
    // nowhere go back to their places: a click that moves nothing changes
    // nothing. Moved, they go last.
    void EndDrag() {
        state_ = State::Idle;
        c_.view.CaptureMouse(false);
        const bool moved = moved_.x != 0 || moved_.y != 0;
        c_.doc.PutBack(moved);
        c_.record(false);
        const ItemId pressed = std::exchange(pressed_, 0);
        if (moved || !pressed) return;
        for (TablePiece* c = c_.doc.Root().FirstChild(); c; c = c->next.get())
            if (c->serial == pressed) c_.doc.Select({c});
    }

    Rect BandRect() const {
        return {std::min(bandStart_.x, bandEnd_.x), std::min(bandStart_.y, bandEnd_.y),
                std::max(bandStart_.x, bandEnd_.x) + 1, std::max(bandStart_.y, bandEnd_.y) + 1};
    }

    // A dotted outline in XOR: every other pixel of its edge, each once.
    void DrawBandOn(Surface& target) const {
        const Rect r = BandRect();
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
    }

    void DrawBand() {
        c_.view.DrawNow([&](Surface& target) { DrawBandOn(target); });
    }

    // Every piece whose shape, as the playfield shows it, lies wholly
    // inside the band is selected (with Shift, added).
    void FinishBand() {
        state_ = State::Idle;
        c_.view.CaptureMouse(false);
        DrawBand();
        const Rect band = BandRect();
        std::vector<TablePiece*> pieces = bandAdds_ ? c_.doc.Selection() : std::vector<TablePiece*>{};
        for (TablePiece* c = c_.doc.Root().FirstChild(); c; c = c->next.get()) {
            if (c->region.IsEmpty() || c_.doc.IsSelected(*c)) continue;
            Rect box = c->region.Box();
            box = {std::max(box.left, kPlayfield.left), std::max(box.top, kPlayfield.top),
                   std::min(box.right, kPlayfield.right), std::min(box.bottom, kPlayfield.bottom)};
            if (box.left >= band.left && box.top >= band.top && box.right <= band.right && box.bottom <= band.bottom)
                pieces.push_back(c);
        }
        c_.doc.Select(pieces);
    }

    State state_ = State::Idle;
    Point bandStart_, bandEnd_;
    bool bandAdds_ = false;
    Point moved_, asked_;  // since the press: how far the pieces went, how far the mouse
    ItemId pressed_ = 0;
};

}  // namespace

std::unique_ptr<Tool> MakePlaceTool(ToolContext& context, PieceKind kind) {
    return std::make_unique<PlaceTool>(context, kind);
}

std::unique_ptr<Tool> MakeBorderTool(ToolContext& context) { return std::make_unique<BorderTool>(context); }

std::unique_ptr<Tool> MakePointerTool(ToolContext& context) { return std::make_unique<PointerTool>(context); }

}  // namespace bw
