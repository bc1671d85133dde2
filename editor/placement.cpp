#include "editor/placement.h"

#include <algorithm>
#include <set>
#include <utility>

namespace bw {

namespace {

constexpr int32_t kPlacementStep = 5;  // table pixels between tries for a free place

// The places an item's picture goes through, in order: a piece's position,
// a border's start point and corners, a segment from its far end to its
// first. Reversed when the reverse comes first, so that a border and its
// reverse give the same.
void Vertices(const TablePiece& item, bool first, std::vector<int32_t>& out) {
    const PlacedPiece& p = Placed(item);
    if (item.kind == kGroup) {
        bool head = true;
        for (const TablePiece* c = static_cast<const PieceGroup&>(item).FirstChild(); c; c = c->next.get()) {
            Vertices(*c, head, out);
            head = false;
        }
        return;
    }
    if (item.kind == kBorderSegment && first) {
        const auto& s = static_cast<const BorderSegment&>(item);
        out.insert(out.end(), {s.x2, s.y2});
    }
    out.insert(out.end(), {p.x, p.y});
}

std::vector<int32_t> ShapeKey(const TablePiece& item, Point move) {
    std::vector<int32_t> v;
    Vertices(item, true, v);
    for (size_t i = 0; i + 1 < v.size(); i += 2) v[i] += move.x, v[i + 1] += move.y;
    std::vector<int32_t> r(v.size());
    for (size_t i = 0; i + 1 < v.size(); i += 2) r[v.size() - 2 - i] = v[i], r[v.size() - 1 - i] = v[i + 1];
    return std::min(v, r);
}

using Shapes = std::set<std::vector<int32_t>>;

Shapes ShapesOf(const TableRoot& table) {
    Shapes shapes;
    for (const TablePiece* c = table.FirstChild(); c; c = c->next.get()) shapes.insert(ShapeKey(*c, {}));
    return shapes;
}

}  // namespace

bool Placeable(const TablePiece& item) {
    bool ok = true;
    ForEachCorner(item, [&](PieceKind kind, int32_t x, int32_t y) { ok = ok && AreaOf(kind).Holds(x, y); });
    return ok;
}

void MoveRange::Keep(const TablePiece& item) {
    ForEachCorner(item, [&](PieceKind kind, int32_t x, int32_t y) {
        const PlacementArea a = AreaOf(kind);
        loX = std::max(loX, std::min(a.left - x, 0));
        hiX = std::min(hiX, std::max(a.right - x, 0));
        loY = std::max(loY, std::min(a.top - y, 0));
        hiY = std::min(hiY, std::max(a.bottom - y, 0));
    });
}

Point MoveRange::Clamp(Point d) const {
    if (Empty()) return {};
    return {std::clamp(d.x, loX, hiX), std::clamp(d.y, loY, hiY)};
}

bool LiesOnAPiece(const TablePiece& item, const TableRoot& table, Point move) {
    return ShapesOf(table).count(ShapeKey(item, move)) > 0;
}

bool LieOnEachOther(const TablePiece& a, const TablePiece& b) { return ShapeKey(a, {}) == ShapeKey(b, {}); }

std::optional<Point> FreePlacement(const std::vector<const TablePiece*>& added, const TableRoot& table) {
    // The moves that keep every corner where a click could put it: pieces
    // added anew must all stand there, wherever they came from.
    MoveRange range;
    for (const TablePiece* item : added)
        ForEachCorner(*item, [&](PieceKind kind, int32_t x, int32_t y) {
            const PlacementArea a = AreaOf(kind);
            range.loX = std::max(range.loX, a.left - x);
            range.hiX = std::min(range.hiX, a.right - x);
            range.loY = std::max(range.loY, a.top - y);
            range.hiY = std::min(range.hiY, a.bottom - y);
        });
    if (range.Empty()) return std::nullopt;
    const Shapes taken = ShapesOf(table);
    auto free = [&](Point d) {
        for (const TablePiece* item : added)
            if (taken.count(ShapeKey(*item, d))) return false;
        return true;
    };
    const Point least = range.Clamp({});
    if (free(least)) return least;
    // Further a few pixels at a time, diagonally first, each try kept
    // inside the moves the rule allows.
    static constexpr Point kWays[] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    const int32_t reach = std::max(range.hiX - range.loX, range.hiY - range.loY) / kPlacementStep + 1;
    for (int32_t k = 1; k <= reach; ++k)
        for (const Point w : kWays) {
            const Point tried = range.Clamp({least.x + w.x * k * kPlacementStep, least.y + w.y * k * kPlacementStep});
            if (free(tried)) return tried;
        }
    return std::nullopt;
}

}  // namespace bw
