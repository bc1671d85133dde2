#include "editor/placement.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <utility>

namespace bw {

namespace {

constexpr int32_t kPlacementStep = 5;  // table pixels between tries for a free place

// What an item shows, wherever its pieces stand in the tree or the file:
// each piece's kind and position, each segment's kind and two ends (in
// either order), all sorted. A border and one with the same segments drawn
// another way round, or from another corner, show the same; a hole and an
// obstacle in the same place do not.
using Atom = std::array<int32_t, 5>;

void Atoms(const TablePiece& item, Point move, std::vector<Atom>& out) {
    if (const auto* g = dynamic_cast<const PieceGroup*>(&item)) {
        for (const TablePiece* c = g->FirstChild(); c; c = c->next.get()) Atoms(*c, move, out);
        const Point at{Placed(item).x + move.x, Placed(item).y + move.y};
        if (item.kind != kGroup) out.push_back({item.kind, at.x, at.y, at.x, at.y});
        return;
    }
    if (item.kind == kBorderStart) return;  // shown by the segment that joins it, if any
    const PlacedPiece& p = Placed(item);
    Atom a{item.kind, p.x + move.x, p.y + move.y, p.x + move.x, p.y + move.y};
    if (const auto* s = dynamic_cast<const BorderSegment*>(&item)) {
        a[3] = s->x2 + move.x;
        a[4] = s->y2 + move.y;
        if (std::pair(a[3], a[4]) < std::pair(a[1], a[2])) std::swap(a[1], a[3]), std::swap(a[2], a[4]);
    }
    out.push_back(a);
}

std::vector<Atom> ShapeKey(const TablePiece& item, Point move) {
    std::vector<Atom> key;
    Atoms(item, move, key);
    std::sort(key.begin(), key.end());
    return key;
}

using Shapes = std::set<std::vector<Atom>>;

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

// An item that shows nothing (a border's start alone) lies on nothing.
bool LiesOnAPiece(const TablePiece& item, const TableRoot& table, Point move) {
    const std::vector<Atom> key = ShapeKey(item, move);
    return !key.empty() && ShapesOf(table).count(key) > 0;
}

bool LieOnEachOther(const TablePiece& a, const TablePiece& b) {
    const std::vector<Atom> key = ShapeKey(a, {});
    return !key.empty() && key == ShapeKey(b, {});
}

namespace {

// An item's shape moved so that its first atom starts at (0,0), and how far
// it was moved: two items lie on each other after a move `d` exactly when
// their shapes match and `d` is the difference of their origins.
struct Outline {
    std::vector<Atom> atoms;
    Point origin;
};

Outline OutlineOf(const TablePiece& item) {
    std::vector<Atom> atoms = ShapeKey(item, {});
    if (atoms.empty()) return {};
    const Point origin{atoms.front()[1], atoms.front()[2]};
    for (Atom& a : atoms) a[1] -= origin.x, a[2] -= origin.y, a[3] -= origin.x, a[4] -= origin.y;
    return {std::move(atoms), origin};
}

}  // namespace

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
    // The moves that would put an added item exactly on a piece.
    std::set<std::pair<int32_t, int32_t>> stacked;
    std::vector<Outline> pieces;
    for (const TablePiece* c = table.FirstChild(); c; c = c->next.get()) pieces.push_back(OutlineOf(*c));
    for (const TablePiece* item : added) {
        const Outline mine = OutlineOf(*item);
        if (mine.atoms.empty()) continue;  // shows nothing: lies on nothing
        for (const Outline& piece : pieces)
            if (piece.atoms == mine.atoms) stacked.insert({piece.origin.x - mine.origin.x, piece.origin.y - mine.origin.y});
    }
    auto free = [&](Point d) { return !stacked.contains({d.x, d.y}); };
    const Point least = range.Clamp({});
    if (free(least)) return least;
    // Further a few pixels at a time, diagonally first, each try kept
    // inside the moves the rule allows; then any move the rule allows,
    // the nearest first.
    static constexpr Point kWays[] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    const int32_t reach = std::max(range.hiX - range.loX, range.hiY - range.loY);
    for (int32_t k = 1; k <= reach / kPlacementStep + 1; ++k)
        for (const Point w : kWays) {
            const Point tried = range.Clamp({least.x + w.x * k * kPlacementStep, least.y + w.y * k * kPlacementStep});
            if (free(tried)) return tried;
        }
    for (int32_t k = 1; k <= reach; ++k)
        for (int32_t dy = -k; dy <= k; ++dy) {
            // The ring k pixels out: whole rows at its top and bottom, its
            // two ends on the rows between.
            const int32_t step = std::abs(dy) == k ? 1 : 2 * k;
            for (int32_t dx = -k; dx <= k; dx += step) {
                const Point tried{least.x + dx, least.y + dy};
                const Point kept = range.Clamp(tried);
                if (kept.x == tried.x && kept.y == tried.y && free(tried)) return tried;
            }
        }
    return std::nullopt;
}

}  // namespace bw
