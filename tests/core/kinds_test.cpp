// The kinds of piece: shapes, reset state, key watching, the cannon's power
// and shot, holes and scoring, and drawing onto the software surface.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/paint.h"
#include "model/soft_surface.h"
#include "model/table.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;
using bwtest::ChildAt;
using bwtest::NewTable;

std::array<int32_t, 4> Ends(const BorderSegment& s) { return {s.x, s.y, s.x2, s.y2}; }

void SendKey(TableState& st, int32_t key, int32_t down) {
    st.paramA = key;
    st.paramB = down;
    st.root->HandleMessage(PieceMessage::KeyChanged);
}

// ---- shapes and reset ------------------------------------------------------

TEST(Kinds, LeftAndRightFlipperShapes) {
    auto t = NewTable();
    auto* left = static_cast<Flipper*>(CreatePiece(t->root.get(), kLeftFlipper, 50, 80));
    auto* right = static_cast<Flipper*>(CreatePiece(t->root.get(), kRightFlipper, 50, 80));
    EXPECT_EQ(left->kind, kLeftFlipper);
    EXPECT_EQ(right->kind, kRightFlipper);
    EXPECT_EQ(Ends(*left->lowerEdge), (std::array<int32_t, 4>{60, 85, 50, 80}));
    EXPECT_EQ(Ends(*left->upperEdge), (std::array<int32_t, 4>{60, 75, 50, 80}));
    EXPECT_EQ(Ends(*right->lowerEdge), (std::array<int32_t, 4>{40, 85, 50, 80}));
    EXPECT_EQ(Ends(*right->upperEdge), (std::array<int32_t, 4>{40, 75, 50, 80}));
    EXPECT_EQ(left->lowerEdge->kind, kLeftFlipper);
    EXPECT_EQ(right->upperEdge->kind, kRightFlipper);
    EXPECT_EQ(left->keys.keyMask, 3u);
    EXPECT_EQ(right->keys.keyMask, 12u);
    // The blade's rectangle, grown by one; the edges' discs are not added.
    EXPECT_TRUE(left->region == Region::FromRect({99, 149, 121, 171}));
    EXPECT_TRUE(right->region == Region::FromRect({79, 149, 101, 171}));
    EXPECT_TRUE(left->lowerEdge->region.Contains(120, 170));  // the edges have shapes of their own
    EXPECT_TRUE(left->lowerEdge->region.Contains(122, 170));

    left->keys.pressed = 1;
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(left->tipFx, -1280);
    EXPECT_EQ(right->tipFx, (-10 + 50 - 65) * 256);
    EXPECT_EQ(left->keys.pressed, 0);
    EXPECT_EQ(left->hitRadius, 0);
    EXPECT_EQ(left->fx, -15 * 256);
    EXPECT_EQ(left->fy, 30 * 256);
    EXPECT_EQ(left->lowerEdge->active, 1);
    EXPECT_EQ(left->upperEdge->hitRadius, 128);
    EXPECT_EQ(left->HandleMessage(static_cast<PieceMessage>(2)), 0);
    EXPECT_EQ(left->HandleMessage(static_cast<PieceMessage>(7)), 0);
}

TEST(Kinds, CannonWallsRegionAndBallStart) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    ASSERT_EQ(bwtest::ChildCount(*cannon), 4);
    const std::array<std::array<int32_t, 4>, 4> walls = {{
        {63, 87, 57, 87},  // top, the first child
        {63, 93, 63, 87},
        {57, 93, 63, 93},
        {57, 87, 57, 93},
    }};
    for (int i = 0; i < 4; ++i) {
        auto* w = static_cast<BorderSegment*>(ChildAt(*cannon, i));
        EXPECT_EQ(w->kind, kBorderSegment);
        EXPECT_EQ(Ends(*w), walls[i]) << "wall " << i;
    }
    EXPECT_TRUE(cannon->region == Region::FromRect({110, 170, 130, 190}));
    EXPECT_EQ(cannon->bounce, 220u);
    // Before it is appended a cannon has the walls' square as its shape.
    const Cannon loose(st, 60, 90);
    EXPECT_TRUE(loose.region == Region::FromRect({114, 174, 126, 186}));

    Ball& ball = *st.ball;
    ball.vx = 33;
    ball.vy = -7;
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(ball.x, 60);
    EXPECT_EQ(ball.y, 85);
    EXPECT_EQ(ball.fx, -5 * 256);
    EXPECT_EQ(ball.fy, 35 * 256);
    EXPECT_EQ(ball.vx, 0);
    EXPECT_EQ(ball.vy, 0);
    EXPECT_EQ(ball.hitRadius, 640);

    // With two cannons the ball starts at the later one in the list.
    CreatePiece(t->root.get(), kObstacle10, 10, 10);
    CreatePiece(t->root.get(), kCannon, 20, 40);
    CreatePiece(t->root.get(), kHole, 10, 20);
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(ball.x, 20);
    EXPECT_EQ(ball.y, 35);

    // Without a cannon: table position (65, 50).
    t->root->DeleteChildren();
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(ball.fx, 0);
    EXPECT_EQ(ball.fy, 0);
    EXPECT_EQ(ball.x, 65);
    EXPECT_EQ(ball.y, 50);
    ball.HandleMessage(PieceMessage::RebuildRegion);
    EXPECT_TRUE(ball.region == Region::Ellipse({116, 86, 144, 114}));
}

TEST(Kinds, SegmentBandFollowsTheMainDirection) {
    auto t = NewTable();
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    // Mostly horizontal (20 across, 10 down): the band is 3 pixels above and
    // below the line, so at window x = 40 it spans rows 27 to 32.
    auto* s = static_cast<BorderSegment*>(CreatePiece(g, kBorderSegment, 30, 20));
    EXPECT_TRUE(s->region.Contains(40, 27));
    EXPECT_TRUE(s->region.Contains(40, 32));
    EXPECT_FALSE(s->region.Contains(40, 26));
    EXPECT_FALSE(s->region.Contains(40, 33));
    // The discs at both ends reach 4 pixels.
    EXPECT_TRUE(s->region.Contains(60, 43));
    EXPECT_TRUE(s->region.Contains(16, 20));
    EXPECT_FALSE(s->region.Contains(64, 40));

    // Mostly vertical: 3 pixels left and right of the line.
    PieceGroup* v = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    auto* sv = static_cast<BorderSegment*>(CreatePiece(v, kBorderSegment, 20, 30));
    EXPECT_TRUE(sv->region.Contains(27, 40));
    EXPECT_TRUE(sv->region.Contains(32, 40));
    EXPECT_FALSE(sv->region.Contains(26, 40));
    EXPECT_FALSE(sv->region.Contains(33, 40));
}

TEST(Kinds, SegmentWithCoincidentEndsIsADiscAndStaysInactive) {
    auto t = NewTable();
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 20, 20));
    auto* s = static_cast<BorderSegment*>(CreatePiece(g, kBorderSegment, 20, 20));
    auto* s2 = static_cast<BorderSegment*>(CreatePiece(g, kBorderSegment, 30, 20));
    EXPECT_TRUE(s->region == Region::Ellipse({36, 36, 44, 44}));
    EXPECT_EQ(s->active, 0);
    EXPECT_EQ(s2->active, 0);
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(s->active, 0);
    EXPECT_EQ(s->hitRadius, 128);
    EXPECT_EQ(s2->active, 1);
    EXPECT_EQ((std::array{s2->dx, s2->dy, s2->fx2, s2->fy2}), (std::array{-10, 0, -45 * 256, -30 * 256}));
}

TEST(Kinds, ResetHitRadiiAndHoleCount) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    auto* o = static_cast<RoundPiece*>(CreatePiece(&root, kObstacle100, 10, 10));
    auto* h = static_cast<RoundPiece*>(CreatePiece(&root, kHole, 20, 10));
    CreatePiece(&root, kHole, 30, 10);
    PieceGroup* g = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    CreatePiece(g, kHole, 40, 10);  // not a direct child of the root
    auto* start = static_cast<RoundPiece*>(AsGroup(CreatePiece(&root, kBorderStart, 5, 5))->FirstChild());
    root.HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(o->hitRadius, 1280);
    EXPECT_EQ(h->hitRadius, 256);
    EXPECT_EQ(start->hitRadius, 0);
    EXPECT_EQ(t->root->holeCount, 2);
    EXPECT_EQ(h->fx, (20 - 65) * 256);
    EXPECT_EQ(h->fy, (10 - 50) * 256);
}

// ---- keys, power and the shot ------------------------------------------------

TEST(Kinds, KeyWatchFollowsOnlyItsKeys) {
    TableState st;
    KeyWatch k;
    k.Clear(3);
    st.paramA = kKeyX;
    st.paramB = 1;
    k.Update(st);
    EXPECT_EQ(k.pressed, 0);
    EXPECT_EQ(k.changed, 0);
    EXPECT_EQ(k.dirty, 0);
    st.paramA = kKeyZ;
    k.Update(st);
    EXPECT_EQ(k.pressed, 1);
    EXPECT_EQ(k.changed, 1);
    EXPECT_EQ(k.dirty, 1);
    k.Update(st);  // auto-repeat: no change, dirty is left set
    EXPECT_EQ(k.changed, 0);
    EXPECT_EQ(k.dirty, 1);
    st.paramA = kKeySpace;  // another key leaves pressed as it is
    st.paramB = 0;
    k.Update(st);
    EXPECT_EQ(k.pressed, 1);
    EXPECT_EQ(k.changed, 0);

    k.Clear(16);
    EXPECT_EQ(k.dirty, 0);
    st.paramB = 7;  // any non-zero means down
    k.Poll(st);
    EXPECT_EQ(k.pressed, 1);
    EXPECT_EQ(k.changed, 0);  // Poll alone tracks no change
    k.Clear(12);
    st.paramA = kKeyX;
    k.Poll(st);
    EXPECT_EQ(k.pressed, 1);
}

TEST(Kinds, FlipperKeysMarkTheFlipperForRepainting) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* left = static_cast<Flipper*>(CreatePiece(t->root.get(), kLeftFlipper, 50, 80));
    auto* right = static_cast<Flipper*>(CreatePiece(t->root.get(), kRightFlipper, 100, 80));
    t->root->HandleMessage(PieceMessage::Reset);
    SendKey(st, kKeyZ, 1);
    EXPECT_EQ(left->keys.pressed, 1);
    EXPECT_EQ(right->keys.pressed, 0);
    EXPECT_EQ(left->keys.dirty, 0);  // cleared once the region is added
    EXPECT_TRUE(t->root->dirtyRegion == left->region);

    t->root->dirtyRegion.SetEmpty();
    SendKey(st, kKeyZ, 1);  // repeat: nothing to repaint
    EXPECT_TRUE(t->root->dirtyRegion.IsEmpty());
    SendKey(st, kKeyX, 1);
    EXPECT_TRUE(t->root->dirtyRegion == right->region);
    SendKey(st, kKeyZ, 0);
    EXPECT_EQ(left->keys.pressed, 0);
    Region both = left->region;
    both.Unite(right->region);
    EXPECT_TRUE(t->root->dirtyRegion == both);
}

TEST(Kinds, CannonChargesWhileSpaceIsDownAndFiresOnRelease) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    t->root->HandleMessage(PieceMessage::Reset);
    Region& dirty = t->root->dirtyRegion;

    SendKey(st, kKeySpace, 1);
    EXPECT_EQ(cannon->power, 1);
    EXPECT_EQ(cannon->keys.changed, 0);  // the press itself fires nothing
    EXPECT_TRUE(dirty == cannon->region);
    SendKey(st, kKeyZ, 1);  // any key message while SPACE is down adds a step
    EXPECT_EQ(cannon->power, 2);
    for (int i = 0; i < 13; ++i) SendKey(st, kKeySpace, 1);
    EXPECT_EQ(cannon->power, 10);
    dirty.SetEmpty();
    SendKey(st, kKeySpace, 1);  // full: no change, no repaint
    EXPECT_EQ(cannon->power, 10);
    EXPECT_TRUE(dirty.IsEmpty());

    SendKey(st, kKeySpace, 0);
    EXPECT_EQ(cannon->firedPower, 10);
    EXPECT_EQ(cannon->power, 0);
    EXPECT_EQ(cannon->keys.changed, 1);
    EXPECT_TRUE(dirty == cannon->region);

    // Reset returns to idle but leaves the pending release alone.
    cannon->power = 4;
    cannon->keys.pressed = 1;
    t->root->HandleMessage(PieceMessage::Reset);
    EXPECT_EQ(cannon->power, 0);
    EXPECT_EQ(cannon->keys.pressed, 0);
    EXPECT_EQ(cannon->keys.changed, 1);
    EXPECT_EQ(cannon->firedPower, 10);
}

// Charges with `presses` SPACE downs and releases; the ball rests on the top
// wall, falling as it does in play.
int32_t Fire(Table& t, Cannon& cannon, int presses) {
    TableState& st = t.state;
    t.root->HandleMessage(PieceMessage::Reset);
    for (int i = 0; i < presses; ++i) SendKey(st, kKeySpace, 1);
    SendKey(st, kKeySpace, 0);
    st.ball->vy = 5;
    return cannon.HandleMessage(PieceMessage::Simulate);
}

TEST(Kinds, CannonShotSpeedFollowsThePower) {
    auto t = NewTable();
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    EXPECT_EQ(Fire(*t, *cannon, 15), kCannonShot);
    EXPECT_EQ(t->state.ball->vy, -480);
    EXPECT_EQ(cannon->keys.changed, 0);
    EXPECT_EQ(Fire(*t, *cannon, 3), kCannonShot);
    EXPECT_EQ(t->state.ball->vy, -144);
}

TEST(Kinds, CannonShotIsLostToAnotherKeyOrABallElsewhere) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    t->root->HandleMessage(PieceMessage::Reset);
    for (int i = 0; i < 5; ++i) SendKey(st, kKeySpace, 1);
    SendKey(st, kKeySpace, 0);
    SendKey(st, kKeyX, 1);  // between the release and the next step
    st.ball->vy = 5;
    EXPECT_NE(cannon->HandleMessage(PieceMessage::Simulate), kCannonShot);
    EXPECT_GT(st.ball->vy, -200);

    t->root->HandleMessage(PieceMessage::Reset);
    for (int i = 0; i < 5; ++i) SendKey(st, kKeySpace, 1);
    SendKey(st, kKeySpace, 0);
    st.ball->fx = (10 - 65) * 256;  // far from the cannon
    st.ball->fy = (10 - 50) * 256;
    EXPECT_NE(cannon->HandleMessage(PieceMessage::Simulate), kCannonShot);
    EXPECT_EQ(cannon->keys.changed, 0);
    st.ball->fx = -5 * 256;  // back on the wall: the shot is gone
    st.ball->fy = 35 * 256;
    st.ball->vy = 5;
    EXPECT_NE(cannon->HandleMessage(PieceMessage::Simulate), kCannonShot);
}

// ---- holes and scoring -------------------------------------------------------

TEST(Kinds, ObstacleHitsScoreByKindAndMissesScoreNothing) {
    for (const auto& [kind, points] : {std::pair{kObstacle10, 10}, {kObstacle50, 50}, {kObstacle100, 100}}) {
        auto t = NewTable();
        TableState& st = t->state;
        TablePiece* o = CreatePiece(t->root.get(), kind, 65, 50);  // fixed (0, 0)
        t->root->HandleMessage(PieceMessage::Reset);
        st.ball->fx = -3000;  // out of reach (640 + 1280)
        st.ball->vx = 100;
        st.score = 7;
        EXPECT_EQ(o->HandleMessage(PieceMessage::Simulate), 0);
        EXPECT_EQ(st.score, 7);
        st.ball->fx = -1000;  // within reach, moving towards it
        EXPECT_NE(o->HandleMessage(PieceMessage::Simulate), 0);
        EXPECT_EQ(st.score, 7 + points) << "kind " << kind;
    }
}

TEST(Kinds, HoleSendsTheBallToARandomHole) {
    // The generator starts at 1: its draws are 41, 18467, 6334, ...
    {
        auto t = NewTable();
        TableState& st = t->state;
        auto* hole = static_cast<Hole*>(CreatePiece(t->root.get(), kHole, 30, 30));
        t->root->HandleMessage(PieceMessage::Reset);
        st.ball->fx = hole->fx - 100;
        st.ball->fy = hole->fy;
        st.ball->vx = 50;
        EXPECT_EQ(hole->HandleMessage(PieceMessage::Simulate), kHoleCapture);
        EXPECT_EQ(st.ball->fx, hole->fx);
        EXPECT_EQ(st.ball->fy, hole->fy);
        EXPECT_EQ(st.ball->vx, 18467 % 300);
        EXPECT_EQ(st.ball->vy, 6334 % 300);
        EXPECT_EQ(st.score, 200);
    }
    {
        // 41 mod 2 = 1: the second hole, even when the first one is hit.
        auto t = NewTable();
        TableState& st = t->state;
        auto* first = static_cast<Hole*>(CreatePiece(t->root.get(), kHole, 30, 30));
        CreatePiece(t->root.get(), kObstacle10, 5, 5);
        auto* second = static_cast<Hole*>(CreatePiece(t->root.get(), kHole, 90, 60));
        t->root->HandleMessage(PieceMessage::Reset);
        st.ball->fx = first->fx;
        st.ball->fy = first->fy - 100;
        st.ball->vy = 50;
        EXPECT_EQ(first->HandleMessage(PieceMessage::Simulate), kHoleCapture);
        EXPECT_EQ(st.ball->fx, second->fx);
        EXPECT_EQ(st.ball->fy, second->fy);
    }
    {
        // Before a Reset the hole count is 0: holes never capture.
        auto t = NewTable();
        auto* hole = static_cast<Hole*>(CreatePiece(t->root.get(), kHole, 65, 50));
        t->state.ball->vx = 50;
        t->state.ball->fx = -100;
        EXPECT_EQ(hole->HandleMessage(PieceMessage::Simulate), 0);
        EXPECT_EQ(t->state.score, 0);
    }
}

// ---- drawing -------------------------------------------------------------------

constexpr Color kBackground = Rgb(10, 20, 30);

TEST(Kinds, ImagesAreDrawnCentredWithWhiteTransparent) {
    for (PieceKind kind : {kObstacle10, kObstacle50, kObstacle100, kHole, kCannon, kBall}) {
        auto t = NewTable();
        TableState& st = t->state;
        TablePiece* p;
        int32_t x = 60, y = 50;
        if (kind == kBall) {
            t->root->HandleMessage(PieceMessage::Reset);  // no cannon: (65, 50)
            p = st.ball;
            x = 65;
        } else {
            p = CreatePiece(t->root.get(), kind, x, y);
        }
        SoftSurface s(250, 200, kBackground);
        s.SetRasterMode(RasterMode::XorPen);  // images ignore the raster mode
        st.drawTarget = &s;
        EXPECT_EQ(p->HandleMessage(PieceMessage::Draw), 0);
        const Picture& pic = PiecePictures()[static_cast<size_t>(kind - 3)];
        ASSERT_EQ(pic.width, 20);
        ASSERT_EQ(pic.height, 20);
        int mismatches = 0;
        for (int32_t wy = 0; wy < 200; ++wy) {
            for (int32_t wx = 0; wx < 250; ++wx) {
                const int32_t px = wx - (2 * x - 10), py = wy - (2 * y - 10);
                Color want = kBackground;
                if (px >= 0 && px < 20 && py >= 0 && py < 20 && pic.At(px, py) != kWhite) want = pic.At(px, py);
                if (s.At(wx, wy) != want) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0) << "kind " << kind;
    }
}

TEST(Kinds, CannonDrawsItsPowerBarInWhite) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    SoftSurface s(250, 200, kBackground);
    st.drawTarget = &s;
    cannon->HandleMessage(PieceMessage::Draw);
    EXPECT_EQ(s.At(116, 175), kBackground);  // no power, no bar
    cannon->power = 3;
    cannon->HandleMessage(PieceMessage::Draw);
    for (int32_t y = 175; y < 178; ++y)
        for (int32_t x = 116; x < 124; ++x) EXPECT_EQ(s.At(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(s.At(116, 178), kBackground);
    EXPECT_EQ(s.At(115, 175), kBackground);
    EXPECT_EQ(s.At(124, 175), kBackground);
}

TEST(Kinds, FlipperDrawsBlackInCopyModeAndRestoresTheSurface) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* f = static_cast<Flipper*>(CreatePiece(t->root.get(), kLeftFlipper, 50, 80));
    SoftSurface s(250, 200, kBackground);
    st.drawTarget = &s;
    s.SelectPen(kPiecePen);
    s.SetRasterMode(RasterMode::XorPen);
    EXPECT_EQ(f->HandleMessage(PieceMessage::Draw), 0);
    EXPECT_EQ(s.SelectPen(kFramePen), kPiecePen);
    EXPECT_EQ(s.SetRasterMode(RasterMode::CopyPen), RasterMode::XorPen);
    // At rest the lower edge, from the tip (120, 170) towards the pivot (100, 160).
    EXPECT_EQ(s.At(120, 170), kBlack);
    EXPECT_EQ(s.At(110, 165), kBlack);
    EXPECT_EQ(s.At(120, 150), kBackground);

    SoftSurface up(250, 200, kBackground);
    st.drawTarget = &up;
    f->keys.pressed = 1;
    f->HandleMessage(PieceMessage::Draw);
    EXPECT_EQ(up.At(120, 150), kBlack);
    EXPECT_EQ(up.At(110, 155), kBlack);
    EXPECT_EQ(up.At(120, 170), kBackground);
}

TEST(Kinds, BorderLineInPiecePenAndXorTwiceRestores) {
    auto t = NewTable();
    TableState& st = t->state;
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    TablePiece* seg = CreatePiece(g, kBorderSegment, 33, 22);  // to (10, 10), not at 45 degrees

    SoftSurface pattern(250, 200);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 250; ++x) pattern.FillRect({x, y, x + 1, y + 1}, Rgb(x, y, (x * y) & 0x7F));
    const std::vector<Color> before = pattern.Pixels();

    SoftSurface copy = pattern;
    st.drawTarget = &copy;
    copy.SelectPen(kPiecePen);
    EXPECT_EQ(g->HandleMessage(PieceMessage::Draw), 0);  // the start point draws nothing
    EXPECT_EQ(copy.At(66, 44), Rgb(0, 150, 150));

    SoftSurface x = pattern;
    st.drawTarget = &x;
    x.SelectPen(kPiecePen);
    x.SetRasterMode(RasterMode::XorPen);
    seg->HandleMessage(PieceMessage::Draw);
    // Each pixel of the 2-pixel line is inverted once, the same pixels copy mode paints.
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const bool inCopy = copy.Pixels()[i] != before[i];
        const bool inXor = x.Pixels()[i] != before[i];
        EXPECT_EQ(inCopy, inXor) << "pixel " << i % 250 << "," << i / 250;
        if (inXor) {
            EXPECT_EQ(x.Pixels()[i], before[i] ^ Rgb(0, 150, 150));
            ++changed;
        }
    }
    EXPECT_GT(changed, 46);
    seg->HandleMessage(PieceMessage::Draw);
    EXPECT_TRUE(x.Pixels() == before);
}

TEST(Kinds, PaintTableBlanksThePlayfieldAndDrawsEveryPiece) {
    auto t = NewTable();
    TableState& st = t->state;
    PieceGroup& root = *t->root;
    CreatePiece(&root, kObstacle10, 0, 0);
    CreatePiece(&root, kCannon, 124, 99);
    CreatePiece(&root, kRightFlipper, 124, 60);
    PieceGroup* g = AsGroup(CreatePiece(&root, kBorderStart, 100, 30));
    CreatePiece(g, kBorderSegment, 140, 30);  // runs off the right side
    root.HandleMessage(PieceMessage::Reset);  // the ball at (65, 50)

    // The window clips its painting to the playfield, (0, 0, 249, 199).
    SoftSurface s(260, 210, kBackground);
    s.SetClip(kPlayfield);
    PaintTable(st, s, false);
    EXPECT_EQ(st.drawTarget, nullptr);
    for (int32_t y = 0; y < 210; ++y)
        for (int32_t x = 0; x < 260; ++x) {
            const bool inside = x < 249 && y < 199;
            if (!inside) EXPECT_EQ(s.At(x, y), kBackground) << x << "," << y;
            else if (s.At(x, y) == kBackground) ADD_FAILURE() << "not blanked: " << x << "," << y;
        }
    EXPECT_EQ(s.At(240, 60), Rgb(0, 150, 150));  // the border in the piece pen
    EXPECT_EQ(s.At(248, 60), Rgb(0, 150, 150));
    EXPECT_EQ(s.At(238, 125), kBlack);  // the right flipper's blade
    // The ball rests on the cannon; it is drawn only in play.
    const int32_t bx = 2 * st.ball->x, by = 2 * st.ball->y;
    ASSERT_EQ(bx, 248);
    ASSERT_EQ(by, 188);
    EXPECT_EQ(s.At(bx, by), kWhite);
    SoftSurface play(250, 200, kBackground);
    play.SetClip(kPlayfield);
    PaintTable(st, play, true);
    EXPECT_EQ(play.At(bx, by), PiecePictures()[0].At(10, 10));
    EXPECT_NE(play.At(bx, by), kWhite);
}

}  // namespace
