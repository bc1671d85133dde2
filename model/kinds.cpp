// The concrete kinds of piece: construction, shapes, drawing, keys, reset,
// and what each does on Simulate. Whether the ball touches and how it
// bounces is the table state's Collisions (the physics, once play starts).
#include "model/fixed.h"
#include "model/table.h"

namespace bw {

namespace {

int32_t NoContact(RoundPiece&) { return kNoContact; }
int32_t NoContact(BorderSegment&) { return kNoContact; }
int32_t NoContact(Flipper&) { return kNoContact; }
bool NoTouch(RoundPiece&) { return false; }
bool NoTouch(BorderSegment&) { return false; }

}  // namespace

constexpr Collisions kNoCollisions{NoContact, NoContact, NoContact, NoTouch, NoTouch};

const int32_t kWatchedKeys[5] = {kKeyZ, kKeyZ, kKeyX, kKeyX, kKeySpace};

void KeyWatch::Poll(const TableState& st) {
    for (int i = 0; i < 5; ++i) {
        if (((keyMask >> i) & 1u) && st.paramA == kWatchedKeys[i]) {
            pressed = st.paramB != 0 ? 1 : 0;
            return;
        }
    }
}

void KeyWatch::Update(const TableState& st) {
    const uint8_t old = pressed;
    Poll(st);
    changed = old ^ pressed;
    if (changed) dirty = 1;
}

// ---- round pieces ----------------------------------------------------------

RoundPiece::RoundPiece(TableState& st, PieceKind k, int32_t px, int32_t py, uint32_t b, int32_t r)
    : PlacedPiece(st, k, px, py, b), radius(r) {}

void RoundPiece::MakeCircularRegion() {
    const I32 r(radius);
    region.SetEllipse({((I32(x) - r) * 2 - 2).v, ((I32(y) - r) * 2 - 2).v, ((I32(x) + r) * 2 + 2).v,
                       ((I32(y) + r) * 2 + 2).v});
}

int32_t RoundPiece::SimulateHere() {
    // Most pieces are far from the ball: those are settled here.
    if (!state.ball || !InReach(*state.ball)) return kNoContact;
    return state.collisions.simulateRound(*this);
}

int32_t RoundPiece::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Simulate: return SimulateHere();
        case PieceMessage::Reset:
            hitRadius = (I32(radius) * 256).v;
            return PlacedPiece::HandleMessage(code);
        case PieceMessage::RebuildRegion: MakeCircularRegion(); return 0;
        default: return PlacedPiece::HandleMessage(code);
    }
}

Obstacle::Obstacle(TableState& st, PieceKind k, int32_t px, int32_t py, int32_t r)
    : RoundPiece(st, k, px, py, 0, r) {}

int32_t Obstacle::PointsFor(PieceKind k) {
    switch (k) {
        case kObstacle10: return 10;
        case kObstacle50: return 50;
        case kObstacle100: return 100;
        default: return 0;
    }
}

int32_t Obstacle::SimulateObstacle() {
    const int32_t r = SimulateHere();
    if (r != 0) state.AddScore(PointsFor(kind));
    return r;
}

int32_t Obstacle::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Draw: DrawPieceImage(*this, kind, x, y); return 0;
        case PieceMessage::Simulate: return SimulateObstacle();
        default: return RoundPiece::HandleMessage(code);
    }
}

Hole::Hole(TableState& st, int32_t px, int32_t py) : Obstacle(st, kHole, px, py) {}

int32_t Hole::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Simulate: {
            TableRoot* root = state.root;
            Ball* ball = state.ball;
            if (!root || !ball || root->holeCount == 0 || !state.collisions.touchesCircle(*this)) return 0;
            const int32_t n = state.NextRandom() % root->holeCount;
            const Hole* target = nullptr;
            int32_t i = 0;
            for (TablePiece* c = root->FindChildOfKind(kHole); c; c = root->FindNextOfKind(kHole, c)) {
                if (i++ == n) {
                    target = static_cast<const Hole*>(c);
                    break;
                }
            }
            if (!target) target = this;  // the count and the list disagree: stay here
            ball->fx = target->fx;
            ball->fy = target->fy;
            ball->vx = state.NextRandom() % 300;
            ball->vy = state.NextRandom() % 300;
            state.AddScore(200);
            return kHoleCapture;
        }
        case PieceMessage::Reset:
            Obstacle::HandleMessage(code);
            hitRadius = 256;
            return 0;
        default: return Obstacle::HandleMessage(code);
    }
}

// ---- border segments -------------------------------------------------------

BorderSegment::BorderSegment(TableState& st, PieceKind k, int32_t px, int32_t py, int32_t px2,
                             int32_t py2)
    : RoundPiece(st, k, px, py, 220, 1), x2(px2), y2(py2) {}

void BorderSegment::MakeRegion() {
    // The shape follows the ends exactly: every move offsets the region and
    // the ends together, so a region built for these very ends is still
    // the right one (loading builds every segment twice).
    if (regionBuilt && builtX == x && builtY == y && builtX2 == x2 && builtY2 == y2) return;
    regionBuilt = true;
    builtX = x;
    builtY = y;
    builtX2 = x2;
    builtY2 = y2;
    const int32_t ax = (I32(x) * 2).v, ay = (I32(y) * 2).v;
    const int32_t bx = (I32(x2) * 2).v, by = (I32(y2) * 2).v;
    Point band[4];
    const int64_t adx = x >= x2 ? int64_t{x} - x2 : int64_t{x2} - x;
    const int64_t ady = y >= y2 ? int64_t{y} - y2 : int64_t{y2} - y;
    if (adx > ady) {
        band[0] = {ax, ay - 3};
        band[1] = {bx, by - 3};
        band[2] = {bx, by + 3};
        band[3] = {ax, ay + 3};
    } else {
        band[0] = {ax - 3, ay};
        band[1] = {bx - 3, by};
        band[2] = {bx + 3, by};
        band[3] = {ax + 3, ay};
    }
    Region shape = Region::Polygon(band, 4);
    shape.Unite(Region::Ellipse({ax - 4, ay - 4, ax + 4, ay + 4}));
    shape.Unite(Region::Ellipse({bx - 4, by - 4, bx + 4, by + 4}));
    region = std::move(shape);
}

int32_t BorderSegment::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Draw:
            if (state.drawTarget) state.drawTarget->Line(2 * x, 2 * y, 2 * x2, 2 * y2);
            return 0;
        case PieceMessage::Move:
            PlacedPiece::HandleMessage(code);
            x2 = (I32(x2) + state.paramA).v;
            y2 = (I32(y2) + state.paramB).v;
            return 0;
        case PieceMessage::Reset:
            RoundPiece::HandleMessage(code);
            hitRadius /= 2;
            dx = (I32(x2) - x).v;
            dy = (I32(y2) - y).v;
            fx2 = FixedX(x2).v;
            fy2 = FixedY(y2).v;
            if (dx == 0 && dy == 0) return 0;
            active = 1;
            PrepareLine();
            return 0;
        case PieceMessage::RebuildRegion: MakeRegion(); return 0;
        case PieceMessage::Simulate: return state.collisions.simulateSegment(*this);
        default: return RoundPiece::HandleMessage(code);
    }
}

void BorderSegment::PrepareLine() {
    const I32 f1x = fx, f1y = fy, f2x = fx2, f2y = fy2;
    bandStart = (f1x * f1x + f1y * f1y - (f1x * f2x + f1y * f2y)).v;
    bandEnd = ((f1x * f2x + f1y * f2y) - f2x * f2x - f2y * f2y).v;
    const I32 ddx = dx, ddy = dy;
    const I32 l = I32::Wrap(I32::U(ddx * ddx + ddy * ddy) & 0xFFFFu);
    kxx = ((ddx * ddx * 256) / l).v;
    kyy = ((ddy * ddy * 256) / l).v;
    kxy = ((ddx * ddy * 256) / l).v;
}

bool BorderSegment::FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    return PlacedPiece::FitsIn(left, top, right, bottom);
}

// ---- where pieces may stand ---------------------------------------------------

PlacementMargins MarginsOf(PieceKind kind) {
    switch (kind) {
        case kLeftFlipper: return {0, 0, 10, 2};
        case kRightFlipper: return {10, 0, 0, 2};
        case kCannon: return {3, 3, 3, 3};
        default: return {};
    }
}

PlacementArea AreaOf(PieceKind kind) {
    const PlacementMargins m = MarginsOf(kind);
    return {kPlayfield.left / kWindowScale + m.left, kPlayfield.top / kWindowScale + m.top,
            kPlayfield.right / kWindowScale - m.right, kPlayfield.bottom / kWindowScale - m.bottom};
}

// ---- flippers --------------------------------------------------------------

Flipper::Flipper(TableState& st, uint32_t keyMask, int32_t px, int32_t py, int32_t len, int32_t r)
    : RoundPiece(st, len >= 1 ? kLeftFlipper : kRightFlipper, px, py, 220, 0), length(len), rise(r) {
    keys.Clear(keyMask);
    lowerEdge = std::make_unique<BorderSegment>(st, kind, (I32(px) + len).v, (I32(py) + r).v, px, py);
    upperEdge = std::make_unique<BorderSegment>(st, kind, (I32(px) + len).v, (I32(py) - r).v, px, py);
}

Flipper::~Flipper() = default;

int32_t Flipper::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Draw: {
            if (!state.drawTarget) return 0;
            Surface& s = *state.drawTarget;
            const RasterMode oldMode = s.SetRasterMode(RasterMode::CopyPen);
            const Pen oldPen = s.SelectPen(kFlipperPen);
            (keys.pressed ? upperEdge : lowerEdge)->HandleMessage(PieceMessage::Draw);
            s.SelectPen(oldPen);
            s.SetRasterMode(oldMode);
            return 0;
        }
        case PieceMessage::Move:
            lowerEdge->HandleMessage(code);
            upperEdge->HandleMessage(code);
            return RoundPiece::HandleMessage(code);
        case PieceMessage::Reset:
            RoundPiece::HandleMessage(code);
            tipFx = FixedX(I32(length) + x).v;
            lowerEdge->HandleMessage(code);
            upperEdge->HandleMessage(code);
            keys.Forget();
            return 0;
        case PieceMessage::KeyChanged:
            keys.Update(state);
            if (keys.dirty) {
                keys.dirty = 0;
                if (state.root && state.repaint) state.root->dirtyRegion.Unite(region);
            }
            return 0;
        case PieceMessage::RebuildRegion: {
            Rect r{(I32(x) * 2).v, ((I32(y) - rise) * 2).v, ((I32(x) + length) * 2).v,
                   ((I32(y) + rise) * 2).v};
            r.Normalize();
            r.Inflate(1, 1);
            region = Region::FromRect(r);
            lowerEdge->HandleMessage(code);
            upperEdge->HandleMessage(code);
            return 0;
        }
        case PieceMessage::Simulate: return state.collisions.simulateFlipper(*this);
        default: return 0;
    }
}

bool Flipper::FitsIn(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    const PlacementMargins m = MarginsOf(kind);
    return PlacedPiece::FitsIn(left + m.left, top + m.top, right - m.right, bottom - m.bottom);
}

// ---- cannon ----------------------------------------------------------------

Cannon::Cannon(TableState& st, int32_t px, int32_t py) : PieceGroup(st, kCannon, px, py) {
    keys.Clear(16);
    const int32_t l = (I32(px) - 3).v, r = (I32(px) + 3).v;
    const int32_t t = (I32(py) - 3).v, b = (I32(py) + 3).v;
    AppendChild(std::make_unique<BorderSegment>(st, kBorderSegment, r, t, l, t));
    CreatePiece(this, kBorderSegment, r, b);
    CreatePiece(this, kBorderSegment, l, b);
    CreatePiece(this, kBorderSegment, l, t);
    region = Region::FromRect({(I32(l) * 2).v, (I32(t) * 2).v, (I32(r) * 2).v, (I32(b) * 2).v});
}

int32_t Cannon::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Draw:
            DrawPieceImage(*this, kCannon, x, y);
            if (state.drawTarget && power > 0)
                state.drawTarget->FillRect({2 * x - 4, 2 * y - 5, 2 * x + 4, 2 * y - 5 + power}, kWhite);
            return 0;
        case PieceMessage::KeyChanged:
            keys.Update(state);
            if (keys.pressed) {
                if (power < 10) {
                    keys.dirty = 1;
                    ++power;
                }
                keys.changed = 0;
            } else if (keys.changed) {
                firedPower = power;
                power = 0;
                keys.dirty = 1;
            }
            if (keys.dirty) {
                keys.dirty = 0;
                if (state.root && state.repaint) state.root->dirtyRegion.Unite(region);
            }
            return 0;
        case PieceMessage::Reset:
            keys.Forget();
            power = firedPower = 0;
            return PieceGroup::HandleMessage(code);
        case PieceMessage::RebuildRegion:
            region = Region::FromRect({(I32(x) * 2 - 10).v, (I32(y) * 2 - 10).v, (I32(x) * 2 + 10).v,
                                       (I32(y) * 2 + 10).v});
            return 0;
        case PieceMessage::Simulate:
            if (keys.changed) {
                keys.changed = 0;
                auto* top = static_cast<BorderSegment*>(FirstChild());
                if (top && state.ball && state.collisions.touchesSegment(*top)) {
                    state.ball->vy = ((I32(-480) * firedPower) / 10).v;
                    return kCannonShot;
                }
            }
            return PieceGroup::HandleMessage(code);
        default: return PieceGroup::HandleMessage(code);
    }
}

// ---- ball ------------------------------------------------------------------

Ball::Ball(TableState& st) : Obstacle(st, kBall, 0, 0, 6) { hitRadius = 640; }

int32_t Ball::HandleMessage(PieceMessage code) {
    switch (code) {
        case PieceMessage::Reset: {
            const TablePiece* cannon = state.root ? state.root->LastCannon() : nullptr;
            if (cannon) {
                fx = FixedX(Placed(*cannon).x).v;
                fy = FixedY(I32(Placed(*cannon).y) - kServeAbove).v;
            } else {
                fx = fy = 0;
            }
            vx = vy = 0;
            x = TableX(fx).v;
            y = TableY(fy).v;
            return 0;
        }
        case PieceMessage::RebuildRegion:
            x = TableX(fx).v;
            y = TableY(fy).v;
            MakeCircularRegion();
            return 0;
        default: return Obstacle::HandleMessage(code);
    }
}

// ---- root ------------------------------------------------------------------

TableRoot::TableRoot(TableState& st, const ImageLoader& loader) : PieceGroup(st, kGroup, 0, 0) {
    st.root = this;
    images = loader.LoadPieceImages();
    if (images) {
        st.imageWidth = images->Width();
        st.imageHeight = images->Height();
    }
    ball = std::make_unique<Ball>(st);
    st.ball = ball.get();
}

TableRoot::~TableRoot() {
    fastPath.reset();
    ball.reset();
    state.ball = nullptr;
    dirtyRegion = Region();
    images.reset();
    DeleteChildren();
    if (state.root == this) state.root = nullptr;
}

const TablePiece* TableRoot::LastCannon() const {
    if (!lastCannonKnown_ || lastCannonVersion_ != state.treeVersion) {
        lastCannon_ = nullptr;
        for (const TablePiece* c = FindChildOfKind(kCannon); c; c = FindNextOfKind(kCannon, c)) lastCannon_ = c;
        lastCannonVersion_ = state.treeVersion;
        lastCannonKnown_ = true;
    }
    return lastCannon_;
}

int32_t TableRoot::HandleMessage(PieceMessage code) {
    if (code == PieceMessage::Reset) {
        // The pieces' fixed positions are made anew: what play derived from
        // the old ones must be looked at again.
        ++state.resets;
        holeCount = 0;
        for (TablePiece* c = firstChild.get(); c; c = c->next.get())
            if (c->kind == kHole) ++holeCount;
        if (ball) ball->HandleMessage(code);
    }
    return PieceGroup::HandleMessage(code);
}

}  // namespace bw
