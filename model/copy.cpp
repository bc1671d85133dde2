// A table's pieces copied into another table, piece for piece.
#include <memory>
#include <new>

#include "model/fixed.h"
#include "model/table.h"

namespace bw {

namespace {

bool CopyList(const TablePiece* first, PieceGroup& to);

// Appends a piece the factory cannot say as it is: a segment (the factory
// joins a new one to the piece before it, a copy keeps both its ends) or a
// start point outside the head of a border.
bool AppendDirect(const TablePiece& c, PieceGroup& to) {
    std::unique_ptr<TablePiece> piece;
    try {
        if (const auto* s = dynamic_cast<const BorderSegment*>(&c))
            piece = std::make_unique<BorderSegment>(to.state, c.kind, s->x, s->y, s->x2, s->y2);
        else if (const auto* r = dynamic_cast<const RoundPiece*>(&c))
            piece = std::make_unique<RoundPiece>(to.state, c.kind, r->x, r->y, r->bounce, r->radius);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (piece) to.AppendChild(std::move(piece));
    return true;
}

bool CopyPiece(const TablePiece& c, PieceGroup& to) {
    const PlacedPiece& p = Placed(c);
    if (c.kind == kBorderSegment || c.kind == kBorderStart) return AppendDirect(c, to);
    if (IsBorder(c)) {
        // The factory makes the border with its start point; the rest follows.
        const TablePiece& start = *static_cast<const PieceGroup&>(c).FirstChild();
        PieceGroup* border = AsGroup(CreatePiece(&to, kBorderStart, Placed(start).x, Placed(start).y));
        if (!border) return false;
        border->x = p.x;
        border->y = p.y;
        return CopyList(start.next.get(), *border);
    }
    TablePiece* piece = CreatePiece(&to, c.kind, p.x, p.y);
    // A kind the factory does not build has no copy; for one it builds, no
    // piece means no memory.
    if (!piece) return c.kind != kGroup && !KindName(c.kind);
    if (PieceGroup* group = AsGroup(piece)) {
        // A group is made at (0, 0) and a cannon with its own four sides:
        // both take the original's position and children.
        group->x = p.x;
        group->y = p.y;
        group->DeleteChildren();
        return CopyList(static_cast<const PieceGroup&>(c).FirstChild(), *group);
    }
    return true;
}

bool CopyList(const TablePiece* first, PieceGroup& to) {
    for (const TablePiece* c = first; c; c = c->next.get())
        if (!CopyPiece(*c, to)) return false;
    return true;
}

// Appends the mirror image of `c` to `to` (see MirroredPiece).
bool MirrorInto(const TablePiece& c, PieceGroup& to, int32_t axis) {
    const PlacedPiece& p = Placed(c);
    const int32_t mx = (I32(axis) - p.x).v;
    if (c.kind == kBorderSegment || c.kind == kBorderStart) {
        std::unique_ptr<TablePiece> piece;
        try {
            if (const auto* s = dynamic_cast<const BorderSegment*>(&c))
                piece = std::make_unique<BorderSegment>(to.state, c.kind, mx, s->y, (I32(axis) - s->x2).v, s->y2);
            else if (const auto* r = dynamic_cast<const RoundPiece*>(&c))
                piece = std::make_unique<RoundPiece>(to.state, c.kind, mx, r->y, r->bounce, r->radius);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (piece) to.AppendChild(std::move(piece));
        return true;
    }
    if (c.kind == kGroup) {
        const TablePiece* first = static_cast<const PieceGroup&>(c).FirstChild();
        PieceGroup* group = nullptr;
        if (IsBorder(c)) {
            group = AsGroup(CreatePiece(&to, kBorderStart, (I32(axis) - Placed(*first).x).v, Placed(*first).y));
            first = first->next.get();
        } else {
            group = AsGroup(CreatePiece(&to, kGroup, 0, 0));
        }
        if (!group) return false;
        group->x = p.x;
        group->y = p.y;
        for (const TablePiece* k = first; k; k = k->next.get())
            if (!MirrorInto(*k, *group, axis)) return false;
        return true;
    }
    const PieceKind kind = c.kind == kLeftFlipper ? kRightFlipper : c.kind == kRightFlipper ? kLeftFlipper : c.kind;
    return CreatePiece(&to, kind, mx, p.y) != nullptr || !KindName(c.kind);
}

}  // namespace

bool AppendCopy(const TablePiece& piece, PieceGroup& to) { return CopyPiece(piece, to); }

std::unique_ptr<TablePiece> CopyOf(const TablePiece& piece, TableState& state) {
    PieceGroup scratch(state, kGroup, 0, 0);
    if (!CopyPiece(piece, scratch) || !scratch.FirstChild()) return nullptr;
    return scratch.RemoveChild(scratch.FirstChild());
}

std::unique_ptr<TablePiece> MirroredPiece(const TablePiece& piece, int32_t axis) {
    PieceGroup scratch(piece.state, kGroup, 0, 0);
    if (!MirrorInto(piece, scratch, axis) || !scratch.FirstChild()) return nullptr;
    return scratch.RemoveChild(scratch.FirstChild());
}

bool CopyPieces(const TableRoot& from, TableRoot& to) {
    if (&from == &to) return true;
    to.DeleteChildren();
    to.x = from.x;
    to.y = from.y;
    const bool copied = CopyList(from.FirstChild(), to);
    if (!copied) to.DeleteChildren();
    to.HandleMessage(PieceMessage::RebuildRegion);
    return copied;
}

}  // namespace bw
