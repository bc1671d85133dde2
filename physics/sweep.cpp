// The tick's fast path (see sweep.h). Why it gives the same games:
//
// - A piece whose box does not hold the ball is not sent Simulate. Its
//   Simulate would have returned 0 and changed nothing: every test of the
//   physics begins with a condition that the box contains.
//   * Round pieces (obstacles, holes, start points): InReach, |ball - piece|
//     <= ball radius + piece radius on each axis, is the box itself.
//   * Segments: the end circle is a round piece with half the hit radius.
//     The line acts (pushes the ball out or bounces it) only when the band
//     test passes, which is exact while its products do not wrap: the ball's
//     projection P on the line lies between the ends, in their bounding box;
//     and when the ball is within r (ball radius + segment radius) of the
//     foot point on each axis. The foot point is P computed with kxx, kyy
//     and kxy truncated to 1/256: it strays from P by less than
//     (|bfy - fy| + |bfx| + |fx|) / 256 + 1 in x and the same with the axes
//     swapped in y (each constant is off by less than 1, and >> 8 rounds
//     down). Bounding |bfx|, |bfy - fy| for a ball that touches gives the
//     margin E of each segment (about 1 pixel on the playfield), and the box
//     is the ends' bounding box widened by r + E.
//   * Flippers: the pivot's circle, both blades as segments, and the wedge
//     a stroke needs: the ball's x span over the blade's and its y between
//     the raised tip less the ball's radius and the resting tip plus the
//     radius and a pixel (the clamps of yLow and yUp keep the wedge inside).
//     A flipper with a stroke pending that is not sent Simulate would only
//     have cleared the pending stroke: the pass clears it.
//   * The cannon: without a shot pending its Simulate is its walls' as a
//     group's; with one (the tick after SPACE is let go) the cannon alone
//     is sent Simulate whole, in its place in the tree's order, whatever
//     its box, as the message down the tree reaches it, and the pass goes
//     on after its walls.
//   * The kinds' Simulate with the play physics installed (which the fast
//     path serves alone, checked at the start of each game): a segment's is
//     the physics' segment test, a flipper's the physics' flipper test, an
//     obstacle's and a start point's their own round test: those are called
//     by name.
// - Where a box could not be bounded so (a segment too long for its
//   products, constants from an older Reset, a piece of another kind) the
//   box is the whole plane: the piece is always sent Simulate.
// - The products of the tests do not wrap while the ball is inside a window
//   round the playfield (checked for each segment's band test when the
//   boxes are made); a ball outside it (put on a hole far off the field)
//   makes the rest of the pass send Simulate to every piece.
// - The pieces are sent Simulate in tree order, each seeing the ball as the
//   pieces before it left it; when a piece moves the ball, the rest of the
//   pass looks in the cell the ball is in now.
// - Groups: a group's result is its children's best by the low 4 bits, the
//   first on ties, and the observer hears of a group after its children
//   and before the next piece acts; skipped pieces would have given 0, so
//   only the results the pass gets matter, in the order it gets them. With
//   no observer nobody hears them (the root's result is not used): they
//   are not put together at all.
// - Keys: only flippers and the cannon react to KeyChanged; sending it to
//   them alone, in tree order, is the broadcast less the pieces that ignore
//   it. Whether a stroke or a shot is pending is noted after every key and
//   at the start of each game (a change can outlive a Reset), so that a
//   tick need not look at every key; a tick that went down the tree leaves
//   the note set, which costs a pass with the cannons sent Simulate whole
//   and nothing else.
#include "physics/sweep.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <typeinfo>
#include <vector>

#include "model/fixed.h"
#include "physics/physics.h"

namespace bw {

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// Where the ball may be for the boxes to hold: 64 pixels round the
// playfield and more.
constexpr int64_t kSafeX0 = FixedX(-64).v, kSafeX1 = FixedX(190).v;
constexpr int64_t kSafeY0 = FixedY(-64).v, kSafeY1 = FixedY(164).v;

// The grid: 8-pixel cells from (-16, -16) to (144, 120).
constexpr int32_t kCellShift = 11;  // 8 pixels of 256
constexpr int32_t kGridX0 = FixedX(-16).v, kGridY0 = FixedY(-16).v;
constexpr int32_t kGridColumns = 20, kGridRows = 17;

struct Box {
    int32_t x0, y0, x1, y1;
    bool Holds(int32_t x, int32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};
constexpr Box kEverywhere{kMin, kMin, kMax, kMax};
constexpr Box kNowhere{kMax, kMax, kMin, kMin};

Box Clamped(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    // A box beyond the 32-bit range is no box: the piece always acts.
    if (x0 <= kMin || y0 <= kMin || x1 >= kMax || y1 >= kMax) return kEverywhere;
    return {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1), static_cast<int32_t>(y1)};
}

Box Union(const Box& a, const Box& b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Box Around(int64_t x, int64_t y, int64_t r) { return Clamped(x - r, y - r, x + r, y + r); }

Box RoundBox(const RoundPiece& p, int32_t ballRadius) {
    return Around(p.fx, p.fy, int64_t{ballRadius} + p.hitRadius);
}

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// The band test's two products at the corners of the safe window: they
// must stay in 32 bits for the test to be exact.
bool BandExactInWindow(const BorderSegment& s) {
    const int64_t ex = int64_t{s.fx2} - s.fx, ey = int64_t{s.fy2} - s.fy;
    for (int64_t bx : {kSafeX0, kSafeX1})
        for (int64_t by : {kSafeY0, kSafeY1}) {
            const int64_t a = (bx - s.fx) * ex + (by - s.fy) * ey;
            const int64_t b = (bx - s.fx2) * ex + (by - s.fy2) * ey;
            if (Abs64(a) >= (int64_t{1} << 31) - 1 || Abs64(b) >= (int64_t{1} << 31) - 1) return false;
        }
    return true;
}

Box SegmentBox(const BorderSegment& s, int32_t ballRadius) {
    if (s.hitRadius % 2 != 0) return kEverywhere;  // halving and doubling it would change it
    Box box = Around(s.fx, s.fy, int64_t{ballRadius} + s.hitRadius / 2);
    if (!s.active) return box;
    const int64_t dx = s.dx, dy = s.dy, l = dx * dx + dy * dy;
    // Ends that meet now (the constants are an older line's), lines so long
    // that their length or products leave 16 or 32 bits: always.
    if (l == 0 || l >= 16384 || int64_t{s.fx2} - s.fx != dx * 256 || int64_t{s.fy2} - s.fy != dy * 256 ||
        !BandExactInWindow(s))
        return kEverywhere;
    const int64_t r = int64_t{ballRadius} + s.hitRadius;
    const int64_t mx = std::max(Abs64(s.fx), Abs64(s.fx2)), my = std::max(Abs64(s.fy), Abs64(s.fy2));
    const int64_t k = std::max(Abs64(s.fy2 - int64_t{s.fy}) + mx + Abs64(s.fx),
                               Abs64(s.fx2 - int64_t{s.fx}) + my + Abs64(s.fy));
    // E < ((2r + k) / 256 + 1) * 256 / 254, rounded up with room to spare.
    const int64_t e = ((2 * r + k) / 256 + 2) * 256 / 254 + 2;
    const int64_t m = r + e;
    box = Union(box, Clamped(std::min<int64_t>(s.fx, s.fx2) - m, std::min<int64_t>(s.fy, s.fy2) - m,
                             std::max<int64_t>(s.fx, s.fx2) + m, std::max<int64_t>(s.fy, s.fy2) + m));
    return box;
}

Box FlipperBox(const Flipper& f, int32_t ballRadius) {
    if (!f.lowerEdge || !f.upperEdge) return kEverywhere;
    Box box = RoundBox(f, ballRadius);
    box = Union(box, SegmentBox(*f.lowerEdge, ballRadius));
    box = Union(box, SegmentBox(*f.upperEdge, ballRadius));
    const int64_t hr = ballRadius;
    const Box stroke = Clamped(std::min<int64_t>(f.fx, f.tipFx) - hr, std::min<int64_t>(f.lowerEdge->fy, f.upperEdge->fy) - hr - 256,
                               std::max<int64_t>(f.fx, f.tipFx) + hr, std::max<int64_t>(f.lowerEdge->fy, f.upperEdge->fy) + hr + 256);
    return Union(box, stroke);
}

bool IsA(const TablePiece& p, const std::type_info& t) { return typeid(p) == t; }

// The box of any piece; `known` is cleared for a kind the fast path does
// not know (it may act on anything, keys included).
Box BoxOf(const TablePiece& p, int32_t ballRadius, bool& known) {
    if (IsA(p, typeid(Obstacle)) || IsA(p, typeid(Hole)) || IsA(p, typeid(RoundPiece)))
        return RoundBox(static_cast<const RoundPiece&>(p), ballRadius);
    if (IsA(p, typeid(BorderSegment))) return SegmentBox(static_cast<const BorderSegment&>(p), ballRadius);
    if (IsA(p, typeid(Flipper))) return FlipperBox(static_cast<const Flipper&>(p), ballRadius);
    if (IsA(p, typeid(Cannon)) || IsA(p, typeid(PieceGroup))) {
        Box box = kNowhere;
        for (const TablePiece* c = static_cast<const PieceGroup&>(p).FirstChild(); c; c = c->next.get())
            box = Union(box, BoxOf(*c, ballRadius, known));
        return box;
    }
    known = false;
    return kEverywhere;
}

// How an item is sent Simulate: what its kind's Simulate comes to with the
// play physics installed (a segment's is the physics' segment test, a
// flipper's the physics' flipper test), or the message for another kind.
enum class Act : uint8_t { Message, Segment, Flipper, Obstacle, Round };

struct Item {
    TablePiece* piece;
    int32_t group;  // the innermost flattened group holding it; -1: the root
    Act act;
    // The piece as the kinds the boxes know (none for another kind).
    const RoundPiece* round;
    BorderSegment* segment;
    const Flipper* flipper;
};

int32_t Simulate(const Item& item) {
    switch (item.act) {
        case Act::Segment: return SimulateSegment(*item.segment);
        case Act::Flipper: return SimulateFlipper(static_cast<Flipper&>(*item.piece));
        case Act::Obstacle: return static_cast<Obstacle&>(*item.piece).SimulateObstacle();
        case Act::Round: return static_cast<RoundPiece&>(*item.piece).SimulateHere();
        default: return item.piece->HandleMessage(PieceMessage::Simulate);
    }
}

struct Group {
    TablePiece* piece;
    int32_t parent;
    uint32_t begin, end;  // its items: [begin, end)
};

class Sweep final : public TableFastPath {
public:
    uint32_t version = 0, resets = 0;
    int32_t ballRadius = 0;
    bool known = true;
    std::vector<Box> boxes;  // by item
    std::vector<Item> items;
    std::vector<Group> groups;
    std::vector<TablePiece*> watchers;  // flippers and cannons, in tree order
    std::vector<KeyWatch*> flipperKeys, cannonKeys;
    std::vector<uint32_t> cannons;  // the cannons' groups, in tree order
    // Whether a key change may be waiting for the next Simulate: a stroke
    // of a flipper, a shot of a cannon. Known after every key and at the
    // start of each game, so that a tick need not look at every key.
    enum : uint8_t { kStroke = 1, kShot = 2 };
    uint8_t pending = 0;
    // The groups' results while a pass puts them together.
    std::vector<int32_t> stack, groupBest;
    std::vector<uint32_t> cellStart;  // kGridColumns * kGridRows + 1
    std::vector<uint32_t> cellItems;

    void Flatten(PieceGroup& group, int32_t parent) {
        for (TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
            // A cannon without a shot pending is a group of walls.
            const bool cannon = IsA(*c, typeid(Cannon));
            if (cannon) {
                watchers.push_back(c);
                cannonKeys.push_back(&static_cast<Cannon*>(c)->keys);
                cannons.push_back(static_cast<uint32_t>(groups.size()));
            }
            if (cannon || IsA(*c, typeid(PieceGroup))) {
                const int32_t g = static_cast<int32_t>(groups.size());
                groups.push_back({c, parent, static_cast<uint32_t>(items.size()), 0});
                Flatten(static_cast<PieceGroup&>(*c), g);
                groups[static_cast<size_t>(g)].end = static_cast<uint32_t>(items.size());
                continue;
            }
            Item item{c, parent, Act::Message, nullptr, nullptr, nullptr};
            if (IsA(*c, typeid(BorderSegment))) {
                item.act = Act::Segment;
                item.segment = static_cast<BorderSegment*>(c);
            } else if (IsA(*c, typeid(Flipper))) {
                item.act = Act::Flipper;
                item.flipper = static_cast<const Flipper*>(c);
            } else if (IsA(*c, typeid(Obstacle))) {
                item.act = Act::Obstacle;
            } else if (IsA(*c, typeid(RoundPiece))) {
                item.act = Act::Round;
            }
            if (item.segment || item.flipper || IsA(*c, typeid(Obstacle)) || IsA(*c, typeid(Hole)) ||
                IsA(*c, typeid(RoundPiece)))
                item.round = static_cast<const RoundPiece*>(c);
            items.push_back(item);
            boxes.push_back(BoxOf(*c, ballRadius, known));
            if (IsA(*c, typeid(Flipper))) {
                watchers.push_back(c);
                flipperKeys.push_back(&static_cast<Flipper*>(c)->keys);
            }
        }
        stack.assign(groups.size() + 1, 0);
        groupBest.assign(groups.size() + 1, 0);
    }

    void BuildGrid() {
        const size_t cells = static_cast<size_t>(kGridColumns) * kGridRows;
        std::vector<uint32_t> count(cells + 1, 0);
        auto span = [](int32_t lo, int32_t hi, int32_t origin, int32_t n, int32_t& a, int32_t& b) {
            const int64_t first = (int64_t{lo} - origin) >> kCellShift, last = (int64_t{hi} - origin) >> kCellShift;
            a = static_cast<int32_t>(std::max<int64_t>(first, 0));
            b = static_cast<int32_t>(std::min<int64_t>(last, n - 1));
        };
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < boxes.size(); ++i) {
                const Box& b = boxes[i];
                if (b.x0 > b.x1 || b.y0 > b.y1) continue;
                int32_t cx0, cx1, cy0, cy1;
                span(b.x0, b.x1, kGridX0, kGridColumns, cx0, cx1);
                span(b.y0, b.y1, kGridY0, kGridRows, cy0, cy1);
                for (int32_t cy = cy0; cy <= cy1; ++cy)
                    for (int32_t cx = cx0; cx <= cx1; ++cx) {
                        const size_t cell = static_cast<size_t>(cy) * kGridColumns + static_cast<size_t>(cx);
                        if (pass == 0) ++count[cell + 1];
                        else cellItems[count[cell]++] = static_cast<uint32_t>(i);
                    }
            }
            if (pass == 0) {
                for (size_t c = 0; c < cells; ++c) count[c + 1] += count[c];
                cellStart = count;
                cellItems.assign(count[cells], 0);
            }
        }
    }

    // The fixed positions and sizes the boxes are made from, item by item:
    // where each is kept and what it was.
    std::vector<const int32_t*> printAt;
    std::vector<int32_t> print;
    std::vector<const uint8_t*> activeAt;  // the segments' active flags
    std::vector<uint8_t> active;

    void TakePrint(const Ball& ball) {
        auto take = [&](const int32_t& v) {
            printAt.push_back(&v);
            print.push_back(v);
        };
        auto segment = [&](const BorderSegment& s) {
            for (const int32_t* v : {&s.fx, &s.fy, &s.hitRadius, &s.fx2, &s.fy2, &s.dx, &s.dy}) take(*v);
            activeAt.push_back(&s.active);
            active.push_back(s.active);
        };
        take(ball.hitRadius);
        for (const Item& item : items) {
            if (item.round)
                for (const int32_t* v : {&item.round->fx, &item.round->fy, &item.round->hitRadius}) take(*v);
            if (item.segment) segment(*item.segment);
            if (const Flipper* f = item.flipper) {
                take(f->tipFx);
                if (f->lowerEdge) segment(*f->lowerEdge);
                if (f->upperEdge) segment(*f->upperEdge);
            }
        }
    }
    // True when the positions and sizes are still those the boxes were made
    // from (the next game of a check asks every time). Only while the tree
    // is as it was: the places are the pieces' own.
    bool StillFits() const {
        int32_t differ = 0;
        for (size_t i = 0; i < print.size(); ++i) differ |= *printAt[i] ^ print[i];
        for (size_t i = 0; i < active.size(); ++i) differ |= *activeAt[i] ^ active[i];
        return differ == 0;
    }

    void NotePendingKeys() {
        pending = 0;
        for (const KeyWatch* k : flipperKeys)
            if (k->changed) pending |= kStroke;
        for (const KeyWatch* k : cannonKeys)
            if (k->changed) pending |= kShot;
    }
};

Sweep* SweepOf(const TableState& st) {
    if (!st.root) return nullptr;
    // The physics is the only maker of a table's fast path.
    auto* sweep = static_cast<Sweep*>(st.root->fastPath.get());
    if (!sweep || sweep->version != st.treeVersion || sweep->resets != st.resets) return nullptr;
    return sweep;
}

bool PlayPhysics(const Collisions& c) {
    const Collisions& p = PlayCollisions();
    return c.simulateRound == p.simulateRound && c.simulateSegment == p.simulateSegment &&
           c.simulateFlipper == p.simulateFlipper && c.touchesCircle == p.touchesCircle &&
           c.touchesSegment == p.touchesSegment;
}

bool InWindow(const Ball& b) { return b.fx >= kSafeX0 && b.fx <= kSafeX1 && b.fy >= kSafeY0 && b.fy <= kSafeY1; }

// The grid cell of a point: its index, or -1 outside the grid.
int32_t CellOf(int32_t fx, int32_t fy) {
    // In unsigned arithmetic, which cannot overflow for a ball anywhere: a
    // point left of or above the grid wraps to a number far beyond it.
    const uint32_t cx = (static_cast<uint32_t>(fx) - static_cast<uint32_t>(kGridX0)) >> kCellShift;
    const uint32_t cy = (static_cast<uint32_t>(fy) - static_cast<uint32_t>(kGridY0)) >> kCellShift;
    if (cx >= static_cast<uint32_t>(kGridColumns) || cy >= static_cast<uint32_t>(kGridRows)) return -1;
    return static_cast<int32_t>(cy * kGridColumns + cx);
}

// The results as the groups put them together, and what the observer hears.
// They matter only to an observer: a game nobody observes plays with
// Unheard results.
class Results {
public:
    Results(Sweep& s, ContactObserver* contacts)
        : s_(s), contacts_(contacts), stack_(s.stack.data()), groupBest_(s.groupBest.data()) {}

    // Before item `i` acts: the groups that end before it report.
    void Before(uint32_t i) {
        while (open_ > 0 && s_.groups[static_cast<size_t>(stack_[open_ - 1])].end <= i) Close();
    }
    // The result of a piece in group `g` (-1: the root).
    void Add(const TablePiece& piece, int32_t g, int32_t r) {
        if (r == 0) return;
        if (contacts_) contacts_->Contact(piece, r);
        Into(g, r);
    }
    int32_t Finish() {
        while (open_ > 0) Close();
        return best_;
    }

private:
    static void Combine(int32_t& best, int32_t r) {
        if ((r & 15) > (best & 15)) best = r;
    }
    void Into(int32_t g, int32_t r) {
        if (g < 0) {
            Combine(best_, r);
            return;
        }
        if (open_ == 0 || stack_[open_ - 1] != g) {
            stack_[open_++] = g;  // nested in the groups open, so never more than there are
            groupBest_[static_cast<size_t>(g)] = 0;
        }
        Combine(groupBest_[static_cast<size_t>(g)], r);
    }
    void Close() {
        const int32_t g = stack_[--open_];
        const Group& group = s_.groups[static_cast<size_t>(g)];
        const int32_t r = groupBest_[static_cast<size_t>(g)];
        if (r != 0 && contacts_) contacts_->Contact(*group.piece, r);
        if (r != 0) Into(group.parent, r);
    }

    const Sweep& s_;
    ContactObserver* contacts_;
    int32_t* stack_;
    int32_t* groupBest_;
    size_t open_ = 0;
    int32_t best_ = 0;
};

struct Unheard {
    Unheard(Sweep&, ContactObserver*) {}
    void Before(uint32_t) {}
    void Add(const TablePiece&, int32_t, int32_t) {}
    int32_t Finish() { return 0; }
};

// A Simulate pass over the items from item `from` on, the ball in the grid
// cell `cell` (-1 for none: every box is looked at) or, with `everyPiece`,
// far outside the playfield, where every piece acts. With `kShots`, a
// cannon with a shot pending is sent Simulate whole, in its place in the
// tree's order and whatever its box, as the message down the tree reaches
// it.
template <bool kShots, class Heard>
[[gnu::noinline]] void PassFrom(Sweep& s, Ball& ball, Heard& results, int32_t cell, uint32_t from, bool everyPiece) {
    const Box* boxes = s.boxes.data();
    const uint32_t* cellItems = s.cellItems.data();
    const uint32_t* cellStart = s.cellStart.data();
    const uint32_t n = static_cast<uint32_t>(s.items.size());
    const uint32_t* cannon = s.cannons.data();  // the next cannon to act whole
    const uint32_t* cannonsEnd = cannon + (kShots ? s.cannons.size() : 0);
    int32_t bfx = ball.fx, bfy = ball.fy;
    // The items to look at: the ball's cell's, in tree order, or all.
    const uint32_t* list = nullptr;
    const uint32_t* listEnd = nullptr;
    uint32_t j = from;  // the next item to consider
    // The rest of the pass, from item `from` on, looks where the ball is.
    auto lookFrom = [&](uint32_t first) {
        bfx = ball.fx;
        bfy = ball.fy;
        // Far outside the playfield the boxes do not hold: every piece acts.
        if (!InWindow(ball)) everyPiece = true;
        const int32_t now = everyPiece ? -1 : CellOf(bfx, bfy);
        if (now != cell || !list) {
            cell = now;
            if (cell >= 0) {
                list = std::lower_bound(cellItems + cellStart[cell], cellItems + cellStart[cell + 1], first);
                listEnd = cellItems + cellStart[cell + 1];
            }
        } else {
            while (list != listEnd && *list < first) ++list;  // in the same cell the list goes on
        }
        j = first;
    };
    lookFrom(from);
    for (;;) {
        // The next item from j on whose box holds the ball (n: none).
        if (cell >= 0) {
            while (list != listEnd && !boxes[*list].Holds(bfx, bfy)) ++list;
            j = list != listEnd ? *list : n;
        } else if (!everyPiece) {
            while (j < n && !boxes[j].Holds(bfx, bfy)) ++j;
        }
        if constexpr (kShots) {
            if (cannon != cannonsEnd && s.groups[*cannon].begin <= j) {
                const Group& g = s.groups[*cannon];
                results.Before(g.begin);
                results.Add(*g.piece, g.parent, g.piece->HandleMessage(PieceMessage::Simulate));
                // The cannons within it have acted with it.
                while (cannon != cannonsEnd && s.groups[*cannon].begin < g.end) ++cannon;
                if (ball.fx != bfx || ball.fy != bfy) {
                    lookFrom(g.end);
                } else {
                    while (list != listEnd && *list < g.end) ++list;
                    j = std::max(j, g.end);
                }
                continue;
            }
        }
        if (j >= n) break;
        if (cell >= 0) ++list;
        const Item& item = s.items[j];
        results.Before(j);
        results.Add(*item.piece, item.group, Simulate(item));
        if (ball.fx != bfx || ball.fy != bfy) lookFrom(j + 1);
        else ++j;
    }
    results.Before(n);
    results.Finish();
}

// The usual pass: no key change pending, the ball in grid cell `cell`; when
// the ball leaves the grid, the pass goes on as PassFrom.
// `list` is the first entry of the cell's list whose box holds the ball.
template <class Heard>
[[gnu::noinline]] void PassInGrid(Sweep& s, Ball& ball, ContactObserver* contacts, int32_t cell, const uint32_t* list) {
    const Box* boxes = s.boxes.data();
    const uint32_t* cellItems = s.cellItems.data();
    const uint32_t* cellStart = s.cellStart.data();
    int32_t bfx = ball.fx, bfy = ball.fy;
    const uint32_t* listEnd = cellItems + cellStart[cell + 1];
    Heard results(s, contacts);
    const Item* items = s.items.data();
    do {
        const uint32_t j = *list++;
        const Item& item = items[j];
        results.Before(j);
        results.Add(*item.piece, item.group, Simulate(item));
        if (ball.fx != bfx || ball.fy != bfy) {
            // The rest of the pass looks where the ball is now: in the
            // same cell the list goes on.
            bfx = ball.fx;
            bfy = ball.fy;
            const int32_t now = CellOf(bfx, bfy);
            if (now < 0) return PassFrom<false>(s, ball, results, -1, j + 1, false);
            if (now != cell) {
                cell = now;
                list = std::lower_bound(cellItems + cellStart[cell], cellItems + cellStart[cell + 1], j + 1);
                listEnd = cellItems + cellStart[cell + 1];
            }
        }
        while (list != listEnd && !boxes[*list].Holds(bfx, bfy)) ++list;
    } while (list != listEnd);
    results.Before(static_cast<uint32_t>(s.items.size()));
    results.Finish();
}

}  // namespace

void PrepareFastPath(TableState& st) {
    TableRoot* root = st.root;
    if (!root) return;
    // The boxes hold for the physics the start of play installs, and only
    // for it.
    if (!st.ball || !PlayPhysics(st.collisions)) {
        root->fastPath.reset();
        return;
    }
    // The same tree Reset again (the next game of a check): when every
    // position and size is as the boxes were made from, they still hold.
    if (root->fastPath) {
        auto* old = static_cast<Sweep*>(root->fastPath.get());
        if (old->version == st.treeVersion && old->StillFits()) {
            old->resets = st.resets;
            old->NotePendingKeys();
            return;
        }
        root->fastPath.reset();
    }
    auto sweep = std::make_unique<Sweep>();
    sweep->version = st.treeVersion;
    sweep->resets = st.resets;
    sweep->ballRadius = st.ball->hitRadius;
    sweep->Flatten(*root, -1);
    sweep->BuildGrid();
    sweep->TakePrint(*st.ball);
    sweep->NotePendingKeys();
    root->fastPath = std::move(sweep);
}

namespace {

// The pass when a key change is pending, or when the ball is outside the
// grid or the fast path does not serve.
[[gnu::noinline]] void SimulateOtherwise(TableState& st, Sweep* sweep) {
    Ball* ball = st.ball;
    const int32_t cell = ball ? CellOf(ball->fx, ball->fy) : -1;
    if (!sweep || !ball || st.excludeActive || (cell < 0 && !InWindow(*ball))) {
        if (st.root) st.root->HandleMessage(PieceMessage::Simulate);
        return;
    }
    Results results(*sweep, st.contacts);
    if (sweep->pending & Sweep::kShot) PassFrom<true>(*sweep, *ball, results, cell, 0, false);
    else PassFrom<false>(*sweep, *ball, results, cell, 0, false);
    // A pending stroke of a flipper the ball was not near is cleared, as
    // its Simulate would have; a pending shot was its cannon's to take.
    if (sweep->pending & Sweep::kStroke)
        for (KeyWatch* k : sweep->flipperKeys) k->changed = 0;
    sweep->pending = 0;
}

}  // namespace

void SimulateTable(TableState& st) {
    // The physics and the ball's size were checked at the start of the
    // game (they do not change during one); where the ball is, is checked
    // here: in the grid (or else in the window round it).
    Sweep* sweep = SweepOf(st);
    Ball* ball = st.ball;
    if (sweep && ball && !st.excludeActive && !sweep->pending) {
        const int32_t bfx = ball->fx, bfy = ball->fy;
        const int32_t cell = CellOf(bfx, bfy);
        if (cell >= 0) {
            // Most ticks no box in the ball's cell holds it: then nothing acts.
            const Box* boxes = sweep->boxes.data();
            const uint32_t* list = sweep->cellItems.data() + sweep->cellStart[static_cast<size_t>(cell)];
            const uint32_t* listEnd = sweep->cellItems.data() + sweep->cellStart[static_cast<size_t>(cell) + 1];
            while (list != listEnd && !boxes[*list].Holds(bfx, bfy)) ++list;
            if (list == listEnd) return;
            if (st.contacts) PassInGrid<Results>(*sweep, *ball, st.contacts, cell, list);
            else PassInGrid<Unheard>(*sweep, *ball, nullptr, cell, list);
            return;
        }
    }
    SimulateOtherwise(st, sweep);
}

void KeyChangedTable(TableState& st) {
    Sweep* sweep = SweepOf(st);
    if (!sweep || !sweep->known || st.excludeActive) {
        if (st.root) st.root->HandleMessage(PieceMessage::KeyChanged);
    } else {
        for (TablePiece* w : sweep->watchers) w->HandleMessage(PieceMessage::KeyChanged);
    }
    if (sweep) sweep->NotePendingKeys();
}

}  // namespace bw
