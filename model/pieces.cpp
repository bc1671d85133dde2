// The piece tree: base classes, tree operations, messages and the factory.
#include <new>

#include "model/fixed.h"
#include "model/table.h"

namespace bw {

TablePiece::TablePiece(TableState& st, PieceKind k) : state(st), serial(st.nextSerial++), kind(k) {}

PlacedPiece::PlacedPiece(TableState& st, PieceKind k, int32_t px, int32_t py, uint32_t b)
    : TablePiece(st, k), bounce(b), x(px), y(py) {}

void PlacedPiece::MoveBy(int32_t ddx, int32_t ddy) {
    ++state.treeVersion;
    x = (I32(x) + ddx).v;
    y = (I32(y) + ddy).v;
    region.Offset((I32(ddx) * 2).v, (I32(ddy) * 2).v);
}

int32_t PlacedPiece::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Reset:
            fx = FixedX(x).v;
            fy = FixedY(y).v;
            return 0;
        case PieceMessage::Move: MoveBy(state.paramA, state.paramB); return 0;
        default: return 0;
    }
}

bool PlacedPiece::FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    const int64_t px = int64_t{x} + state.paramA;
    const int64_t py = int64_t{y} + state.paramB;
    return left <= px && px <= right && top <= py && py <= bottom;
}

// ---- groups ----------------------------------------------------------------

PieceGroup::PieceGroup(TableState& st, PieceKind k, int32_t px, int32_t py)
    : PlacedPiece(st, k, px, py, 220) {}

PieceGroup::~PieceGroup() { DeleteChildren(); }

bool IsGroup(const TablePiece& p) { return dynamic_cast<const PieceGroup*>(&p) != nullptr; }

void PieceGroup::AppendChild(std::unique_ptr<TablePiece> piece) {
    if (!piece) return;
    ++state.treeVersion;
    piece->HandleMessage(PieceMessage::RebuildRegion);
    region.Unite(piece->region);
    TablePiece* raw = piece.get();
    if (!firstChild) firstChild = std::move(piece);
    else lastChild->next = std::move(piece);
    lastChild = raw;
}

void PieceGroup::InsertChild(std::unique_ptr<TablePiece> piece, size_t index) {
    if (!piece) return;
    ++state.treeVersion;
    if (index == 0 && firstChild) {
        piece->HandleMessage(PieceMessage::RebuildRegion);
        region.Unite(piece->region);
        piece->next = std::move(firstChild);
        firstChild = std::move(piece);
        return;
    }
    TablePiece* before = firstChild.get();
    for (size_t i = 1; before && i < index && before->next; ++i) before = before->next.get();
    if (!before || !before->next) {
        AppendChild(std::move(piece));
        return;
    }
    piece->HandleMessage(PieceMessage::RebuildRegion);
    region.Unite(piece->region);
    piece->next = std::move(before->next);
    before->next = std::move(piece);
}

std::unique_ptr<TablePiece> PieceGroup::RemoveChild(TablePiece* piece) {
    if (!piece) return nullptr;
    ++state.treeVersion;
    std::unique_ptr<TablePiece> owned;
    if (firstChild.get() == piece) {
        owned = std::move(firstChild);
        firstChild = std::move(owned->next);
        if (lastChild == piece) lastChild = nullptr;
    } else {
        TablePiece* prev = firstChild.get();
        while (prev && prev->next.get() != piece) prev = prev->next.get();
        if (!prev) return nullptr;  // not a child: nothing to unlink
        owned = std::move(prev->next);
        prev->next = std::move(owned->next);
        if (lastChild == piece) lastChild = prev;
    }
    owned->next.reset();
    // What the others cover stays covered, where they overlap the piece too.
    region = Region();
    for (const TablePiece* c = firstChild.get(); c; c = c->next.get()) region.Unite(c->region);
    return owned;
}

TablePiece* PieceGroup::FindChildOfKind(PieceKind k) const {
    for (TablePiece* c = firstChild.get(); c; c = c->next.get())
        if (c->kind == k) return c;
    return nullptr;
}

TablePiece* PieceGroup::FindNextOfKind(PieceKind k, const TablePiece* after) const {
    for (TablePiece* c = after ? after->next.get() : nullptr; c; c = c->next.get())
        if (c->kind == k) return c;
    return nullptr;
}

TablePiece* PieceGroup::PieceAt(int32_t wx, int32_t wy) const {
    if (serial != 0 && !region.Contains(wx, wy)) return nullptr;
    for (TablePiece* c = firstChild.get(); c; c = c->next.get())
        if (c->region.Contains(wx, wy)) return c;
    return nullptr;
}

void PieceGroup::DeleteChildren() {
    ++state.treeVersion;
    // Iterative, so that a long list is not torn down by recursion.
    while (firstChild) {
        std::unique_ptr<TablePiece> c = std::move(firstChild);
        firstChild = std::move(c->next);
    }
    lastChild = nullptr;
}

int32_t PieceGroup::HandleMessage(PieceMessage code) {
    if (code == PieceMessage::RebuildRegion) region = Region();
    if (code == PieceMessage::Move) MoveBy(state.paramA, state.paramB);
    int32_t best = 0;
    for (TablePiece* c = firstChild.get(); c; c = c->next.get()) {
        if (state.excludeActive && c == state.excludedPiece) continue;
        const int32_t r = c->HandleMessage(code);
        if (code == PieceMessage::RebuildRegion) region.Unite(c->region);
        if (r != 0 && state.contacts && code == PieceMessage::Simulate) state.contacts->Contact(*c, r);
        if ((r & 15) > (best & 15)) best = r;
    }
    return best;
}

bool PieceGroup::FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    for (TablePiece* c = firstChild.get(); c; c = c->next.get())
        if (!c->FitsIn(left, top, right, bottom)) return false;
    return true;
}

// ---- factory ---------------------------------------------------------------

TablePiece* CreatePiece(PieceGroup* parent, PieceKind kind, int32_t x, int32_t y) {
    if (!parent) return nullptr;
    TableState& st = parent->state;
    std::unique_ptr<TablePiece> piece;
    try {
        switch (kind) {
            case kBorderStart: {
                auto group = std::make_unique<PieceGroup>(st, kGroup, 0, 0);
                group->AppendChild(std::make_unique<RoundPiece>(st, kBorderStart, x, y, 220, 0));
                piece = std::move(group);
                break;
            }
            case kGroup: piece = std::make_unique<PieceGroup>(st, kGroup, 0, 0); break;
            case kObstacle10:
            case kObstacle50:
            case kObstacle100: piece = std::make_unique<Obstacle>(st, kind, x, y); break;
            case kHole: piece = std::make_unique<Hole>(st, x, y); break;
            case kLeftFlipper: piece = std::make_unique<Flipper>(st, 3u, x, y, 10, 5); break;
            case kRightFlipper: piece = std::make_unique<Flipper>(st, 12u, x, y, -10, 5); break;
            case kCannon: piece = std::make_unique<Cannon>(st, x, y); break;
            case kBorderSegment: {
                // A segment joins its point to the previous child; a list
                // without one has nothing to join, so nothing is built.
                const TablePiece* prev = parent->LastChild();
                if (!prev) return nullptr;
                piece = std::make_unique<BorderSegment>(st, kBorderSegment, x, y, Placed(*prev).x,
                                                        Placed(*prev).y);
                break;
            }
            default: return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    TablePiece* raw = piece.get();
    parent->AppendChild(std::move(piece));
    return raw;
}

// ---- names and borders -----------------------------------------------------

namespace {

struct KindNameEntry {
    PieceKind kind;
    const char* name;
};
constexpr KindNameEntry kKindNames[] = {
    {kObstacle10, "obstacle10"},      {kObstacle50, "obstacle50"},     {kObstacle100, "obstacle100"},
    {kHole, "hole"},                  {kLeftFlipper, "left-flipper"}, {kRightFlipper, "right-flipper"},
    {kCannon, "cannon"},              {kBorderSegment, "segment"},
};

}  // namespace

const char* KindName(PieceKind kind) {
    for (const auto& n : kKindNames)
        if (n.kind == kind) return n.name;
    return nullptr;
}

PieceKind KindNamed(std::string_view name) {
    for (const auto& n : kKindNames)
        if (name == n.name) return n.kind;
    return kEndOfList;
}

bool IsBorder(const TablePiece& p) {
    if (p.kind != kGroup) return false;
    const auto* g = dynamic_cast<const PieceGroup*>(&p);
    return g && g->FirstChild() && g->FirstChild()->kind == kBorderStart;
}

bool IsPolyline(const TablePiece& p) {
    if (!IsBorder(p)) return false;
    for (const TablePiece* c = static_cast<const PieceGroup&>(p).FirstChild()->next.get(); c; c = c->next.get())
        if (c->kind != kBorderSegment) return true;
    return false;
}

const char* PieceName(const TablePiece& p) {
    if (p.kind == kGroup) return IsPolyline(p) ? "polyline" : IsBorder(p) ? "border" : "group";
    return KindName(p.kind);
}

// ---- shared helpers --------------------------------------------------------

void DrawPieceImage(const TablePiece& piece, PieceKind imageKind, int32_t x, int32_t y) {
    const TableState& st = piece.state;
    if (!st.drawTarget || !st.root || !st.root->images) return;
    const int index = imageKind - 3;
    if (index < 0 || index >= st.root->images->Count()) return;
    st.drawTarget->DrawImage(*st.root->images, index, 2 * x - 10, 2 * y - 10);
}

Table::Table(const ImageLoader& loader) : root(std::make_unique<TableRoot>(state, loader)) {}

Table::~Table() { root.reset(); }

}  // namespace bw
