// The placement rule applied to whole pieces: each of a piece's corners
// where a click with its tool could put it (model/table.h, AreaOf), so that
// whatever a hand could place, every editing action can place there too,
// and none places anything where a hand could not.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/table.h"

namespace bw {

// Calls `corner(kind, x, y)` for every position of a top-level item that the
// rule governs: a piece's own position (a flipper's pivot, a cannon's
// centre), a border's start point and corners (both ends of a segment, so
// that a segment standing alone keeps its far end on the playfield too),
// every piece a group holds.
template <class Corner>
void ForEachCorner(const TablePiece& item, Corner&& corner) {
    if (item.kind == kGroup) {
        for (const TablePiece* c = static_cast<const PieceGroup&>(item).FirstChild(); c; c = c->next.get())
            ForEachCorner(*c, corner);
        return;
    }
    const PlacedPiece& p = Placed(item);
    corner(item.kind, p.x, p.y);
    if (item.kind == kBorderSegment) {
        const auto& s = static_cast<const BorderSegment&>(item);
        corner(item.kind, s.x2, s.y2);
    }
}

// Whether a click could have placed every corner of the item where it is.
bool Placeable(const TablePiece& item);

// The moves (table pixels, both axes on their own) that keep pieces where
// the rule allows them. A piece already elsewhere (a hand-made file may put
// it anywhere) may stay, or move towards where it may stand.
struct MoveRange {
    int32_t loX = -255, hiX = 255, loY = -255, hiY = 255;

    void Keep(const TablePiece& item);
    bool Empty() const { return loX > hiX || loY > hiY; }
    bool Holds(Point d) const { return loX <= d.x && d.x <= hiX && loY <= d.y && d.y <= hiY; }
    // As far as the rule allows along each axis.
    Point Clamp(Point d) const;
};

// Whether `item`, moved by `move` table pixels, would lie exactly on an item
// of the table: the same places in the same line (a border and its reverse
// lie on each other, and so do two pieces at the same place), so that the
// one hides the other.
bool LiesOnAPiece(const TablePiece& item, const TableRoot& table, Point move = {});
bool LieOnEachOther(const TablePiece& a, const TablePiece& b);

// Where pieces added to the table as a whole (pasted, duplicated) go: the
// smallest move that brings every corner of theirs where a click could put
// it, then a few pixels further while one of them would lie exactly on an
// item of the table. None when no move does both.
std::optional<Point> FreePlacement(const std::vector<const TablePiece*>& added, const TableRoot& table);

}  // namespace bw
