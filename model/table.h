// The table: a tree of pieces that every operation reaches as a message.
//
// Every object on the playfield and the ball is a TablePiece. Groups hold
// ordered child lists; one TableRoot holds the whole table. Whole-table
// operations (draw, simulate, reset, rebuild shapes, keys, move) are integer
// messages handed to a piece's HandleMessage, which groups pass on to their
// children in list order.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "model/fixed.h"
#include "model/region.h"
#include "model/surface.h"

namespace bw {

using PieceKind = int32_t;
enum : PieceKind {
    kEndOfList = 0,
    kBorderStart = 1,
    kGroup = 2,
    kBall = 3,
    kObstacle10 = 4,
    kObstacle50 = 5,
    kObstacle100 = 6,
    kHole = 7,
    kLeftFlipper = 8,
    kRightFlipper = 9,
    kCannon = 10,
    kBorderSegment = 11,
};

// The name of a kind that is a piece of its own (obstacle10 obstacle50
// obstacle100 hole left-flipper right-flipper cannon segment), as the text
// form and the reports write it; none for the other kinds.
const char* KindName(PieceKind kind);
// The kind of that name; kEndOfList for a name that is none of them.
PieceKind KindNamed(std::string_view name);

// The playfield: 125 x 100 table pixels, shown in the window at twice the
// size, 250 x 200 window pixels.
constexpr int32_t kTableWidth = 125;
constexpr int32_t kTableHeight = 100;
constexpr int32_t kWindowScale = 2;
constexpr int32_t kPlayfieldWidth = kTableWidth * kWindowScale;
constexpr int32_t kPlayfieldHeight = kTableHeight * kWindowScale;
// The playfield as painting clips to it, in window pixels: (0, 0, 249, 199).
constexpr Rect kPlayfield{0, 0, kPlayfieldWidth - 1, kPlayfieldHeight - 1};

// Fixed positions, in 1/256 table pixel from the table position (65, 50),
// and back (rounding down). The arithmetic wraps as the device's does.
constexpr int32_t kFixedOriginX = 65;
constexpr int32_t kFixedOriginY = 50;
constexpr I32 FixedX(I32 x) { return (x - kFixedOriginX) * 256; }
constexpr I32 FixedY(I32 y) { return (y - kFixedOriginY) * 256; }
constexpr I32 TableX(I32 fx) { return (fx >> 8) + kFixedOriginX; }
constexpr I32 TableY(I32 fy) { return (fy >> 8) + kFixedOriginY; }

// Where a piece may stand: the table positions (bounds inclusive) at which
// a click with its tool places it, and so where every editing action keeps
// it. The playfield, less the room the piece's shape needs beside its
// position: a flipper's blade reaches 10 table pixels to its side and 2 below
// its pivot, a cannon's walls 3 on every side. A border's start point and
// each of its corners may stand anywhere on the playfield.
struct PlacementMargins {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
PlacementMargins MarginsOf(PieceKind kind);
struct PlacementArea {
    int32_t left, top, right, bottom;  // inclusive
    bool Holds(int32_t x, int32_t y) const { return left <= x && x <= right && top <= y && y <= bottom; }
};
PlacementArea AreaOf(PieceKind kind);

// The ball is served this many table pixels above the (last) cannon.
constexpr int32_t kServeAbove = 5;

enum class PieceMessage : int32_t {
    Simulate = 0,
    Draw = 1,
    Move = 3,
    Reset = 4,
    KeyChanged = 5,
    RebuildRegion = 6,
};

// Simulate results, in rising priority.
enum : int32_t {
    kNoContact = 0,
    kSlide = 1,
    kDampedBounce = 2,
    kKick = 3,
    kHoleCapture = 4,
    kFlipperStroke = 5,
    kCannonShot = 6,
};

// Virtual keys the play watches.
constexpr int32_t kKeyZ = 90;
constexpr int32_t kKeyX = 88;
constexpr int32_t kKeySpace = 32;

class TablePiece;
class TableRoot;
class Ball;
class RoundPiece;
class BorderSegment;
class Flipper;

// The collision arithmetic behind the kinds' Simulate: each kind says what
// it does with a contact (scores, captures, shots), the physics says whether
// the ball touches and how it bounces. The physics provides the functions
// and the start of play installs them in the table state; before that
// nothing collides. Plain function pointers, so that a call costs about
// what a direct one does; round pieces out of the ball's reach (most of
// them, in any tick) are settled by the kinds without a call.
struct Collisions {
    // A round piece: contact test and bounce; the Simulate result.
    int32_t (*simulateRound)(RoundPiece& piece);
    // A border segment: its end circle, then its line.
    int32_t (*simulateSegment)(BorderSegment& segment);
    // A flipper: its stroke in the tick after a key change, else its pivot
    // and its blade.
    int32_t (*simulateFlipper)(Flipper& flipper);
    // The contact tests alone (the hole's, the cannon's top).
    bool (*touchesCircle)(RoundPiece& piece);
    bool (*touchesSegment)(BorderSegment& segment);
};

// What a table has before play starts: no contact with anything.
extern const Collisions kNoCollisions;

// Told of every piece the ball touched in a Simulate pass, with its result,
// from the innermost piece outwards. For those who gather facts about a
// game; play does not need one.
class ContactObserver {
public:
    virtual void Contact(const TablePiece& piece, int32_t result) = 0;

protected:
    ~ContactObserver() = default;
};

// The table-wide values every piece and the window reach.
struct TableState {
    Ball* ball = nullptr;
    int32_t paramA = 0;
    int32_t paramB = 0;
    uint32_t nextSerial = 0;
    TableRoot* root = nullptr;
    TablePiece* excludedPiece = nullptr;
    uint8_t excludeActive = 0;
    int32_t score = 0;
    Surface* drawTarget = nullptr;
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    // The platform C library's rand(): 1 at start, never reseeded.
    uint32_t randomState = 1;
    ContactObserver* contacts = nullptr;  // none in play
    Collisions collisions = kNoCollisions;  // the physics, once play starts
    // Count the changes of the tree (a piece added, removed or moved) and
    // the Resets of the root, so that what is derived from it for play
    // knows when it may be out of date.
    uint32_t treeVersion = 0;
    uint32_t resets = 0;
    // Whether anyone paints this table as it plays: the flippers and the
    // cannon unite what a key changes of them into the root's dirty region
    // for the window to repaint. A game nobody watches turns it off.
    bool repaint = true;

    int32_t NextRandom() {
        randomState = randomState * 214013u + 2531011u;
        return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
    }
    void AddScore(int32_t points) {
        score = static_cast<int32_t>(static_cast<uint32_t>(score) + static_cast<uint32_t>(points));
    }
};

class TablePiece {
public:
    TablePiece(TableState& state, PieceKind kind);
    virtual ~TablePiece() = default;
    TablePiece(const TablePiece&) = delete;
    TablePiece& operator=(const TablePiece&) = delete;

    virtual int32_t HandleMessage(PieceMessage code) = 0;
    // True if the piece, moved by the pending delta (paramA, paramB), stays
    // inside the rectangle (table pixels, bounds inclusive).
    virtual bool FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const = 0;

    TableState& state;
    Region region;  // the shape, in window pixels
    uint32_t serial;
    PieceKind kind;
    std::unique_ptr<TablePiece> next;  // the following sibling (owned)
};

class PlacedPiece : public TablePiece {
public:
    PlacedPiece(TableState& state, PieceKind kind, int32_t x, int32_t y, uint32_t bounce);
    int32_t HandleMessage(PieceMessage code) override;
    bool FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const override;
    // The move alone: position and region, nothing else.
    void MoveBy(int32_t dx, int32_t dy);

    int32_t fx = 0, fy = 0;  // fixed position, valid after Reset
    uint32_t bounce;
    int32_t x, y;  // table position
};

class PieceGroup : public PlacedPiece {
public:
    PieceGroup(TableState& state, PieceKind kind, int32_t x, int32_t y);
    ~PieceGroup() override;
    int32_t HandleMessage(PieceMessage code) override;
    bool FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const override;

    void AppendChild(std::unique_ptr<TablePiece> piece);
    // Puts a piece at position `index` of the child list (at its end when
    // the list is shorter), as AppendChild does at the end.
    void InsertChild(std::unique_ptr<TablePiece> piece, size_t index);
    // Unlinks a child (which must be one of this group's) and hands it back.
    std::unique_ptr<TablePiece> RemoveChild(TablePiece* piece);
    TablePiece* FindChildOfKind(PieceKind k) const;
    TablePiece* FindNextOfKind(PieceKind k, const TablePiece* after) const;
    // The first direct child containing the window point (see PieceAt rules).
    TablePiece* PieceAt(int32_t wx, int32_t wy) const;
    void DeleteChildren();

    TablePiece* FirstChild() const { return firstChild.get(); }
    TablePiece* LastChild() const { return lastChild; }

    std::unique_ptr<TablePiece> firstChild;
    TablePiece* lastChild = nullptr;
};

class RoundPiece : public PlacedPiece {
public:
    RoundPiece(TableState& state, PieceKind kind, int32_t x, int32_t y, uint32_t bounce,
               int32_t radius);
    int32_t HandleMessage(PieceMessage code) override;
    void MakeCircularRegion();
    // True when the ball's centre lies within the square of the two hit
    // radii around the piece's (fixed positions): only then can they touch.
    bool InReach(const Ball& ball) const;
    // What a round piece does on Simulate: the physics' round test when the
    // ball is within reach.
    int32_t SimulateHere();

    int32_t distXX = 0, distYY = 0, distXY = 0;
    int32_t hitRadius = 0;
    int32_t radius;
};

class Obstacle : public RoundPiece {
public:
    Obstacle(TableState& state, PieceKind kind, int32_t x, int32_t y, int32_t radius = 5);
    int32_t HandleMessage(PieceMessage code) override;
    static int32_t PointsFor(PieceKind k);
    // What an obstacle does on Simulate: a round piece's, and its points on
    // a contact.
    int32_t SimulateObstacle();
};

class Hole : public Obstacle {
public:
    Hole(TableState& state, int32_t x, int32_t y);
    int32_t HandleMessage(PieceMessage code) override;
};

class BorderSegment : public RoundPiece {
public:
    // From (x, y) to (x2, y2); radius 1, bounce 220, inactive.
    BorderSegment(TableState& state, PieceKind kind, int32_t x, int32_t y, int32_t x2, int32_t y2);
    int32_t HandleMessage(PieceMessage code) override;
    bool FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const override;
    void MakeRegion();
    // The line's constants from the fixed ends and the direction (at Reset).
    void PrepareLine();

    int32_t bandStart = 0, bandEnd = 0, kxx = 0, kyy = 0, kxy = 0;
    int32_t footFx = 0, footFy = 0;
    uint8_t active = 0;
    int32_t dx = 0, dy = 0;
    int32_t fx2 = 0, fy2 = 0;
    int32_t x2, y2;

private:
    bool regionBuilt = false;
    int32_t builtX = 0, builtY = 0, builtX2 = 0, builtY2 = 0;
};

// Follows one of the play keys for a flipper or the cannon.
struct KeyWatch {
    uint8_t dirty = 0;
    uint8_t changed = 0;
    uint8_t pressed = 0;
    uint32_t keyMask = 0;

    void Clear(uint32_t mask) {
        Forget();
        keyMask = mask;
    }
    // A new game: no key held, no stroke or shot pending.
    void Forget() { dirty = changed = pressed = 0; }
    void Poll(const TableState& st);
    void Update(const TableState& st);
};

// The virtual keys of the watched-key table, by bit of a key mask.
extern const int32_t kWatchedKeys[5];

class Flipper : public RoundPiece {
public:
    Flipper(TableState& state, uint32_t keyMask, int32_t x, int32_t y, int32_t length, int32_t rise);
    ~Flipper() override;
    int32_t HandleMessage(PieceMessage code) override;
    bool FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const override;

    KeyWatch keys;
    std::unique_ptr<BorderSegment> lowerEdge, upperEdge;
    int32_t length, rise;
    int32_t tipFx = 0;
};

class Cannon : public PieceGroup {
public:
    Cannon(TableState& state, int32_t x, int32_t y);
    int32_t HandleMessage(PieceMessage code) override;

    KeyWatch keys;
    int32_t power = 0;
    int32_t firedPower = 0;
};

class Ball : public Obstacle {
public:
    explicit Ball(TableState& state);
    int32_t HandleMessage(PieceMessage code) override;

    int32_t vx = 0, vy = 0;
    int32_t lastVx = 0, lastVy = 0, lastFx = 0, lastFy = 0;
    int32_t gravity = 5;
};

inline bool RoundPiece::InReach(const Ball& ball) const {
    const I32 r = I32(ball.hitRadius) + hitRadius;
    return Abs(I32(ball.fx) - fx) <= r && Abs(I32(ball.fy) - fy) <= r;
}

// What the play keeps of a table for its own speed (the physics derives it
// at the start of play); the root owns it.
class TableFastPath {
public:
    virtual ~TableFastPath() = default;
};

class TableRoot : public PieceGroup {
public:
    // Loads the piece images, creates the ball, and registers both in the
    // table state (as root and ball).
    TableRoot(TableState& state, const ImageLoader& loader);
    ~TableRoot() override;
    int32_t HandleMessage(PieceMessage code) override;
    // The last cannon among the root's pieces, the one the ball is served
    // above; none without one. Looked up again once the tree has changed.
    const TablePiece* LastCannon() const;

    std::unique_ptr<ImageList> images;
    Region dirtyRegion;
    int32_t holeCount = 0;
    std::unique_ptr<Ball> ball;
    std::unique_ptr<TableFastPath> fastPath;

private:
    mutable const TablePiece* lastCannon_ = nullptr;
    mutable uint32_t lastCannonVersion_ = 0;
    mutable bool lastCannonKnown_ = false;
};

// Builds the piece of `kind` at table position (x, y), appends it to
// `parent` and returns it; none for kinds without a piece (0, 3, 12 and up).
TablePiece* CreatePiece(PieceGroup* parent, PieceKind kind, int32_t x, int32_t y);

// The table position of any piece (a segment's first end).
inline PlacedPiece& Placed(TablePiece& p) { return static_cast<PlacedPiece&>(p); }
inline const PlacedPiece& Placed(const TablePiece& p) { return static_cast<const PlacedPiece&>(p); }
// True for pieces that hold a child list (groups, the cannon, the root).
bool IsGroup(const TablePiece& p);
inline PieceGroup* AsGroup(TablePiece* p) { return p && IsGroup(*p) ? static_cast<PieceGroup*>(p) : nullptr; }
// True for a border: a group whose first child is its start point.
bool IsBorder(const TablePiece& p);
// True for a border that holds more than segments after its start point
// (a polyline).
bool IsPolyline(const TablePiece& p);
// A piece's name as the text form and the reports write it: its kind's
// name, "border", "polyline" or "group"; none for a piece without one (the
// ball, a start point).
const char* PieceName(const TablePiece& p);

// Replaces the pieces of `to` with a copy of those of `from` (another
// table's root), piece for piece: the same kinds, positions and tree, every
// list in the same order, a segment with both its ends as they are, a
// cannon's children as they are; the regions rebuilt. Only the pieces are
// copied: the table state (score, random state, keys) is the target's own,
// for its play starts afresh. False when memory ran out (`to` is then empty).
bool CopyPieces(const TableRoot& from, TableRoot& to);

// Appends to `to` a copy of `piece` (which may belong to another table),
// piece for piece as CopyPieces copies; false when memory ran out.
bool AppendCopy(const TablePiece& piece, PieceGroup& to);

// A copy of `piece` (which may belong to another table) for the table of
// `state`, not yet in any list; none when memory ran out.
std::unique_ptr<TablePiece> CopyOf(const TablePiece& piece, TableState& state);

// A copy of one piece (with all it holds) for the same table, mirrored left
// to right about table x = axis / 2: every position x goes to axis - x, a
// left flipper becomes a right one and a right one a left one. Every other
// kind's shape is symmetric about its position, so a cannon or a flipper is
// built anew at its mirrored position, and a segment keeps both its ends,
// mirrored. Not yet in any list; none when memory ran out.
std::unique_ptr<TablePiece> MirroredPiece(const TablePiece& piece, int32_t axis);

// Off-table test of the play loop, and the span test it is built on (here,
// for the play's tick to have them at hand).
inline bool SpansOverlap(int32_t c, int32_t lo, int32_t hi, int32_t r) {
    const I32 cc(c), rr(r);
    return ((cc + rr) > lo && (cc - rr) < hi) || ((cc + rr) > hi && (cc - rr) < lo);
}
inline bool BallOffTable(const Ball& ball) {
    return !(SpansOverlap(ball.x, 0, kTableWidth, 1) && SpansOverlap(ball.y, 0, kTableHeight, 1));
}

// Draws piece image (kind - 3) centred on the table position.
void DrawPieceImage(const TablePiece& piece, PieceKind imageKind, int32_t x, int32_t y);

// A table in memory: its state and its root, torn down in the right order.
class Table {
public:
    explicit Table(const ImageLoader& loader);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    TableState state;
    std::unique_ptr<TableRoot> root;
};

}  // namespace bw
