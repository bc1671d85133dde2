// The table as the checks compare it: each top-level item as the pieces
// the screen shows, whatever the tree or the file make of them. A piece is
// its kind and position; a border segment is its two ends, whichever piece
// or record it takes its start from.
#pragma once

#include <compare>
#include <cstdint>
#include <vector>

#include "model/table.h"

namespace bwfuzz {

struct Atom {
    int32_t kind, x1, y1, x2, y2;  // a segment's ends in order; a piece at (x1, y1) = (x2, y2)
    auto operator<=>(const Atom&) const = default;
};

// An item's atoms, sorted; empty for an item that shows nothing.
using Shape = std::vector<Atom>;

Shape ShapeOf(const bw::TablePiece& piece);
// The piece's shape with its border start points, which a move must keep on
// the playfield too.
Shape PlacesOf(const bw::TablePiece& piece);
// One shape per child of the root, in the table's order.
std::vector<Shape> Items(const bw::TableRoot& root);

Shape Moved(const Shape& s, int32_t dx, int32_t dy);
// The mirror image about the vertical line at table x = axis / 2; a left
// flipper becomes a right one.
Shape Mirrored(const Shape& s, int32_t axis);

// The least x and y of the shapes' points (what a move shifts).
bw::Point Corner(const std::vector<Shape>& shapes);

// Multisets of shapes: sorted; what `a` holds beyond `b`; whether `b`
// holds all of `a`.
std::vector<Shape> Sorted(std::vector<Shape> shapes);
std::vector<Shape> Minus(const std::vector<Shape>& a, const std::vector<Shape>& b);
bool Within(const std::vector<Shape>& a, const std::vector<Shape>& b);

// Whether clicks could place every point of the shapes (a segment's ends
// as the border tool's corners).
bool ClickPlaceable(const std::vector<Shape>& shapes);

// The moves (table pixels, each axis inclusive) that keep every point of
// the shapes where a click could place it; empty when none does.
struct MoveRange {
    bw::Rect moves;  // left..right-1 in x, top..bottom-1 in y
    bool Holds(bw::Point d) const { return moves.Contains(d.x, d.y); }
    bw::Point Least() const;
};
MoveRange AllowedMoves(const std::vector<Shape>& shapes);

// The shapes as text, for messages.
std::string Describe(const std::vector<Shape>& shapes);

}  // namespace bwfuzz
