#include "tests/editor_fuzz/shapes.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>

#include "tests/editor_fuzz/driver.h"

namespace bwfuzz {

namespace {

void Collect(const bw::TablePiece& piece, Shape& out) {
    const bw::PlacedPiece& p = bw::Placed(piece);
    if (piece.kind == bw::kBorderSegment) {
        const auto& s = static_cast<const bw::BorderSegment&>(piece);
        Atom a{bw::kBorderSegment, s.x, s.y, s.x2, s.y2};
        if (std::tie(a.x2, a.y2) < std::tie(a.x1, a.y1)) std::swap(a.x1, a.x2), std::swap(a.y1, a.y2);
        out.push_back(a);
    } else if (piece.kind >= bw::kObstacle10 && piece.kind <= bw::kCannon) {
        // A cannon's walls are its own: the cannon is one piece.
        out.push_back({piece.kind, p.x, p.y, p.x, p.y});
    } else if (const auto* g = dynamic_cast<const bw::PieceGroup*>(&piece)) {
        for (const bw::TablePiece* c = g->FirstChild(); c; c = c->next.get()) Collect(*c, out);
    }
}

// Every place of a piece where a click puts something, a border's start
// point too (which shows nothing of its own when no segment follows it).
void CollectPlaces(const bw::TablePiece& piece, Shape& out) {
    const bw::PlacedPiece& p = bw::Placed(piece);
    if (piece.kind == bw::kBorderStart) out.push_back({bw::kBorderSegment, p.x, p.y, p.x, p.y});
    if (const auto* g = dynamic_cast<const bw::PieceGroup*>(&piece))
        for (const bw::TablePiece* c = g->FirstChild(); c; c = c->next.get()) CollectPlaces(*c, out);
    else if (piece.kind != bw::kBorderStart) Collect(piece, out);
}

template <class F>
void ForEachPoint(const std::vector<Shape>& shapes, F&& f) {
    for (const Shape& s : shapes)
        for (const Atom& a : s) {
            f(a.kind, a.x1, a.y1);
            if (a.kind == bw::kBorderSegment) f(a.kind, a.x2, a.y2);
        }
}

}  // namespace

Shape PlacesOf(const bw::TablePiece& piece) {
    Shape out;
    CollectPlaces(piece, out);
    return out;
}

Shape ShapeOf(const bw::TablePiece& piece) {
    Shape out;
    Collect(piece, out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Shape> Items(const bw::TableRoot& root) {
    std::vector<Shape> items;
    for (const bw::TablePiece* c = root.FirstChild(); c; c = c->next.get()) items.push_back(ShapeOf(*c));
    return items;
}

Shape Moved(const Shape& s, int32_t dx, int32_t dy) {
    Shape out = s;
    for (Atom& a : out) a.x1 += dx, a.x2 += dx, a.y1 += dy, a.y2 += dy;
    std::sort(out.begin(), out.end());
    return out;
}

Shape Mirrored(const Shape& s, int32_t axis) {
    Shape out = s;
    for (Atom& a : out) {
        a.x1 = axis - a.x1;
        a.x2 = axis - a.x2;
        if (a.kind == bw::kLeftFlipper) a.kind = bw::kRightFlipper;
        else if (a.kind == bw::kRightFlipper) a.kind = bw::kLeftFlipper;
        if (std::tie(a.x2, a.y2) < std::tie(a.x1, a.y1)) std::swap(a.x1, a.x2), std::swap(a.y1, a.y2);
    }
    std::sort(out.begin(), out.end());
    return out;
}

bw::Point Corner(const std::vector<Shape>& shapes) {
    bw::Point c{1 << 30, 1 << 30};
    for (const Shape& s : shapes)
        for (const Atom& a : s) c = {std::min({c.x, a.x1, a.x2}), std::min({c.y, a.y1, a.y2})};
    return c;
}

std::vector<Shape> Sorted(std::vector<Shape> shapes) {
    std::sort(shapes.begin(), shapes.end());
    return shapes;
}

std::vector<Shape> Minus(const std::vector<Shape>& a, const std::vector<Shape>& b) {
    const std::vector<Shape> sa = Sorted(a), sb = Sorted(b);
    std::vector<Shape> out;
    std::set_difference(sa.begin(), sa.end(), sb.begin(), sb.end(), std::back_inserter(out));
    return out;
}

bool Within(const std::vector<Shape>& a, const std::vector<Shape>& b) { return Minus(a, b).empty(); }

bool ClickPlaceable(const std::vector<Shape>& shapes) {
    bool all = true;
    ForEachPoint(shapes, [&](int32_t kind, int32_t x, int32_t y) { all = all && Driver::ClickArea(kind).Contains(x, y); });
    return all;
}

bw::Point MoveRange::Least() const {
    return {std::clamp(0, moves.left, moves.right - 1), std::clamp(0, moves.top, moves.bottom - 1)};
}

MoveRange AllowedMoves(const std::vector<Shape>& shapes) {
    bw::Rect r{-1000, -1000, 1000, 1000};
    ForEachPoint(shapes, [&](int32_t kind, int32_t x, int32_t y) {
        const bw::Rect a = Driver::ClickArea(kind);
        r = {std::max(r.left, a.left - x), std::max(r.top, a.top - y), std::min(r.right, a.right - x),
             std::min(r.bottom, a.bottom - y)};
    });
    return {r};
}

std::string Describe(const std::vector<Shape>& shapes) {
    std::string out;
    for (const Shape& s : shapes) {
        out += out.empty() ? "[" : " [";
        for (size_t i = 0; i < s.size(); ++i) {
            const Atom& a = s[i];
            if (i) out += ", ";
            out += (a.kind == bw::kBorderSegment ? "segment" : bw::KindName(a.kind)) + std::string(" ") +
                   std::to_string(a.x1) + " " + std::to_string(a.y1);
            if (a.kind == bw::kBorderSegment) out += " to " + std::to_string(a.x2) + " " + std::to_string(a.y2);
        }
        out += "]";
    }
    return out.empty() ? "nothing" : out;
}

}  // namespace bwfuzz
