// Collisions: the circle test and mirror, the segment constants, the segment
// test with its push-out, and the mirror or slide with its push-back.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "model/soft_surface.h"
#include "model/table.h"
#include "physics/game.h"
#include "physics/physics.h"

namespace {

constexpr int32_t FixX(int32_t x) { return (x - 65) * 256; }

struct CollisionTable {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::Ball& ball = *table.state.ball;

    bw::TablePiece* Add(bw::PieceKind kind, int32_t x, int32_t y) {
        return bw::CreatePiece(table.root.get(), kind, x, y);
    }
    // Prepares play, then puts the ball where the test wants it.
    void Start(int32_t fx, int32_t fy, int32_t vx, int32_t vy) {
        bw::StartGame(table.state);
        ball.fx = fx;
        ball.fy = fy;
        ball.vx = vx;
        ball.vy = vy;
    }
    int32_t Simulate() { return table.root->HandleMessage(bw::PieceMessage::Simulate); }
};

// ---- circles ----------------------------------------------------------------

struct ObstacleCase {
    bw::PieceKind kind;
    int32_t points;
};

class CollisionObstacle : public testing::TestWithParam<ObstacleCase> {};

TEST_P(CollisionObstacle, BallAtExactlyTheContactDistanceIsKickedAndScores) {
    CollisionTable t;
    t.Add(GetParam().kind, 65, 50);  // fixed (0, 0)
    // R = 640 + 1280 = 1920: the ball touches at exactly R. The mirror off a
    // vertical line of centres gives (0, -300); the kick makes it (0, -480).
    t.Start(0, -1920, 0, 300);
    EXPECT_EQ(t.Simulate(), 3);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, -480);
    EXPECT_EQ(t.table.state.score, GetParam().points);
    // The circle response moves nothing.
    EXPECT_EQ(t.ball.fx, 0);
    EXPECT_EQ(t.ball.fy, -1920);
}

INSTANTIATE_TEST_SUITE_P(Collision, CollisionObstacle,
                         testing::Values(ObstacleCase{bw::kObstacle10, 10}, ObstacleCase{bw::kObstacle50, 50},
                                         ObstacleCase{bw::kObstacle100, 100}));

TEST(CollisionCircle, NoContactWhenMovingAwayTangentiallyOrOutOfReach) {
    struct Case {
        int32_t fx, fy, vx, vy;
    };
    const Case cases[] = {
        {0, -1920, 0, -300},    // moving away
        {0, -1920, 300, 0},     // tangential: the product is 0, not below it
        {0, -1921, 0, 300},     // one unit beyond R
        {1400, -1400, -300, 300},  // inside the box, outside the circle
    };
    for (const Case& c : cases) {
        CollisionTable t;
        t.Add(bw::kObstacle10, 65, 50);
        t.Start(c.fx, c.fy, c.vx, c.vy);
        EXPECT_EQ(t.Simulate(), 0) << c.fx << "," << c.fy;
        EXPECT_EQ(t.ball.vx, c.vx);
        EXPECT_EQ(t.ball.vy, c.vy);
        EXPECT_EQ(t.table.state.score, 0);
    }
}

TEST(CollisionCircle, ObliqueHitOnABorderStartPointIsMirroredAndDamped) {
    CollisionTable t;
    t.Add(bw::kBorderStart, 65, 50);  // start point at fixed (0, 0), R = 640
    // Ball at (384, -512), distance 640 (3-4-5). distXX = 147456,
    // distYY = 262144, distXY = -196608; n = 409600 >> 8 = 1600;
    // cr = 114688 / 1600 = 71, sr = 393216 / 1600 = 245.
    // vx = (300 * 245) >> 8 = 287, vy = (-300 * 71) >> 8 = -84 (floor of
    // -83.2); damped by 220: 63140 >> 8 = 246, -18480 >> 8 = -73.
    t.Start(384, -512, 0, 300);
    EXPECT_EQ(t.Simulate(), 2);
    EXPECT_EQ(t.ball.vx, 246);
    EXPECT_EQ(t.ball.vy, -73);
}

TEST(CollisionCircle, BallExactlyOnTheCentreActsAsIfBelowRight) {
    // dx = dy = 256 is used: -10*256 + 3*256 < 0, so it touches; n = 512,
    // cr = 0, sr = -131072 / 512 = -256, giving (-3, 10) before ApplyBounce.
    {
        CollisionTable t;
        t.Add(bw::kBorderStart, 65, 50);
        t.Start(0, 0, -10, 3);
        EXPECT_EQ(t.Simulate(), 2);
        // Damped: -660 >> 8 = -3, 2200 >> 8 = 8.
        EXPECT_EQ(t.ball.vx, -3);
        EXPECT_EQ(t.ball.vy, 8);
    }
    {
        CollisionTable t;
        t.Add(bw::kObstacle10, 65, 50);
        t.Start(0, 0, -10, 3);
        EXPECT_EQ(t.Simulate(), 3);
        // Kick: vy = 480, vx = (480 * -3) / 10 = -144.
        EXPECT_EQ(t.ball.vx, -144);
        EXPECT_EQ(t.ball.vy, 480);
        EXPECT_EQ(t.table.state.score, 10);
    }
    {
        // Moving away from the assumed offset: 10*256 - 3*256 > 0.
        CollisionTable t;
        t.Add(bw::kBorderStart, 65, 50);
        t.Start(0, 0, 10, -3);
        EXPECT_EQ(t.Simulate(), 0);
        EXPECT_EQ(t.ball.vx, 10);
        EXPECT_EQ(t.ball.vy, -3);
    }
}

TEST(CollisionCircle, BallWithinASixteenthPixelOfTheCentreRespondsAsOnTheCentre) {
    // Squared distances 1 and 250 give (distXX + distYY) >> 8 = 0: no usable
    // direction, so the response is that of the exact centre.
    const int32_t offsets[][2] = {{1, 0}, {15, 5}};
    for (const auto& o : offsets) {
        CollisionTable t;
        auto* group = static_cast<bw::PieceGroup*>(t.Add(bw::kBorderStart, 65, 50));
        auto& point = static_cast<bw::RoundPiece&>(*group->FirstChild());
        t.Start(o[0], o[1], -10, 3);
        EXPECT_EQ(t.Simulate(), 2);
        EXPECT_EQ(point.distXX, o[0] * o[0]);
        EXPECT_EQ(point.distYY, o[1] * o[1]);
        EXPECT_EQ(t.ball.vx, -3);
        EXPECT_EQ(t.ball.vy, 8);
    }
}

// ---- segment constants ------------------------------------------------------

TEST(CollisionSegment, ResetComputesTheConstantsOfTheSegment) {
    CollisionTable t;
    bw::BorderSegment flat(t.table.state, bw::kBorderSegment, 10, 50, 30, 50);
    flat.HandleMessage(bw::PieceMessage::Reset);
    EXPECT_EQ(flat.active, 1);
    EXPECT_EQ(flat.hitRadius, 128);
    EXPECT_EQ(flat.dx, 20);
    EXPECT_EQ(flat.dy, 0);
    EXPECT_EQ(flat.kxx, 256);
    EXPECT_EQ(flat.kyy, 0);
    EXPECT_EQ(flat.kxy, 0);
    // P = (-14080, 0), Q = (-8960, 0): -(P.E) = 14080 * 5120,
    // -(Q.E) = 8960 * 5120.
    EXPECT_EQ(flat.bandStart, 72089600);
    EXPECT_EQ(flat.bandEnd, 45875200);

    bw::BorderSegment slope(t.table.state, bw::kBorderSegment, 10, 50, 18, 51);
    slope.HandleMessage(bw::PieceMessage::Reset);
    // L = 65: kxx = 16384 / 65 = 252, kyy = 256 / 65 = 3, kxy = 2048 / 65 = 31.
    EXPECT_EQ(slope.kxx, 252);
    EXPECT_EQ(slope.kyy, 3);
    EXPECT_EQ(slope.kxy, 31);
    EXPECT_EQ(slope.fx2, -12032);
    EXPECT_EQ(slope.fy2, 256);
    // P = (-14080, 0), Q = (-12032, 256), E = (2048, 256):
    // -(P.E) = 28835840, -(Q.E) = 24641536 - 65536 = 24576000.
    EXPECT_EQ(slope.bandStart, 28835840);
    EXPECT_EQ(slope.bandEnd, 24576000);
}

// ---- the horizontal segment from (10, 50) to (30, 50) -----------------------

struct FlatSegment : CollisionTable {
    bw::BorderSegment seg{table.state, bw::kBorderSegment, 10, 50, 30, 50};
    FlatSegment() { seg.HandleMessage(bw::PieceMessage::Reset); }
    // The ball at table (20, 48), fixed (-11520, -512).
    int32_t Hit(int32_t vx, int32_t vy, int32_t lastVx, int32_t lastVy, int32_t fx = FixX(20)) {
        ball.fx = fx;
        ball.fy = -512;
        ball.vx = vx;
        ball.vy = vy;
        ball.lastVx = lastVx;
        ball.lastVy = lastVy;
        return seg.HandleMessage(bw::PieceMessage::Simulate);
    }
};

TEST(CollisionSegment, FastBallIsPushedOutThenMirroredAndDamped) {
    FlatSegment t;
    // Foot (-11520, 0), (nx, ny) = (0, -512). The push-out walks -544, ...,
    // -768 (reaches R = 768), keeps -736, and moves the ball by
    // (-736 + 512) / 2 = -112. q = 300 * 300 = 90000: mirror (0, -300),
    // damped: -66000 >> 8 = -258.
    EXPECT_EQ(t.Hit(0, 300, 0, 300), 2);
    EXPECT_EQ(t.seg.footFx, -11520);
    EXPECT_EQ(t.seg.footFy, 0);
    EXPECT_EQ(t.ball.fx, -11520);
    EXPECT_EQ(t.ball.fy, -624);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, -258);
}

TEST(CollisionSegment, SlowCrossingSlidesAlongTheLineAndIsPushedBack) {
    FlatSegment t;
    // q = ((256 * 5) >> 8) * 5 = 25: slide. vx = (25600 + 128) >> 8 = 100,
    // vy = (0 + 128) >> 8 + (0 + 128) >> 8 = 0.
    // Push-back from (0, -624) along (-100, -5): steps (-32, -1); the 14th
    // point (-448, -638) reaches 768, the 13th (-416, -637) is kept;
    // fy += (-637 + 624) >> 1 = -7.
    EXPECT_EQ(t.Hit(100, 5, 100, 5), 1);
    EXPECT_EQ(t.ball.vx, 100);
    EXPECT_EQ(t.ball.vy, 0);
    EXPECT_EQ(t.ball.fx, -11520);
    EXPECT_EQ(t.ball.fy, -631);
}

TEST(CollisionSegment, NoPushBackWhenTheLastStepHadNoVelocity) {
    FlatSegment t;
    EXPECT_EQ(t.Hit(100, 5, 0, 0), 1);
    EXPECT_EQ(t.ball.fy, -624);  // the push-out alone
}

TEST(CollisionSegment, LineIsTouchedAtExactlyThreePixels) {
    FlatSegment t;
    // (nx, ny) = (0, -768) = R: touches; the walk's first step already
    // reaches R, so the push-out moves nothing. Mirror and damp: -258.
    t.ball.fy = -768;
    t.ball.fx = FixX(20);
    t.ball.vx = 0;
    t.ball.vy = 300;
    EXPECT_EQ(t.seg.HandleMessage(bw::PieceMessage::Simulate), 2);
    EXPECT_EQ(t.ball.fy, -768);
    EXPECT_EQ(t.ball.vy, -258);
    t.ball.fy = -769;
    t.ball.vy = 300;
    EXPECT_EQ(t.seg.HandleMessage(bw::PieceMessage::Simulate), 0);
    EXPECT_EQ(t.ball.fy, -769);
    EXPECT_EQ(t.ball.vy, 300);
}

TEST(CollisionSegment, BothEndsOfTheBandAreIncluded) {
    FlatSegment t;
    // At the second end's x the band test gives bandEnd + t = 0: still in.
    EXPECT_EQ(t.Hit(0, 300, 0, 300, FixX(30)), 2);
    EXPECT_EQ(t.ball.vy, -258);
    EXPECT_EQ(t.ball.fy, -624);
    // One unit beyond: bandEnd + t = 5120 > 0, out; nothing moves.
    EXPECT_EQ(t.Hit(0, 300, 0, 300, FixX(30) + 1), 0);
    EXPECT_EQ(t.ball.vy, 300);
    EXPECT_EQ(t.ball.fy, -512);
}

TEST(CollisionSegment, LineTestSeesTheVelocityTheEndCircleLeft) {
    FlatSegment t;
    // Above the first end: the circle (R = 704, distance 512) mirrors and
    // damps (0, 300) to (0, -258). The line test still pushes the ball out
    // by 112 but finds it moving away, so there is no second bounce.
    EXPECT_EQ(t.Hit(0, 300, 0, 300, FixX(10)), 2);
    EXPECT_EQ(t.ball.vy, -258);
    EXPECT_EQ(t.ball.fy, -624);
}

TEST(CollisionSegment, FirstEndActsAsACircleOfHalvedRadius) {
    FlatSegment t;
    // Left of the first end, outside the band: R = 640 + 64 = 704.
    t.ball.fx = FixX(10) - 704;
    t.ball.fy = 0;
    t.ball.vx = 300;
    t.ball.vy = 0;
    // cr = -495616 / 1936 = -256, sr = 0: (-300, 0), damped to -258.
    EXPECT_EQ(t.seg.HandleMessage(bw::PieceMessage::Simulate), 2);
    EXPECT_EQ(t.ball.vx, -258);
    EXPECT_EQ(t.ball.vy, 0);
    EXPECT_EQ(t.seg.hitRadius, 128);

    t.ball.fx = FixX(10) - 705;
    t.ball.vx = 300;
    EXPECT_EQ(t.seg.HandleMessage(bw::PieceMessage::Simulate), 0);
    EXPECT_EQ(t.ball.vx, 300);
    EXPECT_EQ(t.seg.hitRadius, 128);
}

TEST(CollisionSegment, SegmentWithCoincidentEndsIsOnlyItsEndCircle) {
    CollisionTable t;
    bw::BorderSegment dot(t.table.state, bw::kBorderSegment, 20, 50, 20, 50);
    dot.HandleMessage(bw::PieceMessage::Reset);
    EXPECT_EQ(dot.active, 0);
    t.ball.fx = FixX(20);
    t.ball.fy = -700;
    t.ball.vx = 0;
    t.ball.vy = 300;
    // The circle mirrors straight back: (0, -300), damped to -258. An active
    // line would also have pushed the ball out; it stays where it was.
    EXPECT_EQ(dot.HandleMessage(bw::PieceMessage::Simulate), 2);
    EXPECT_EQ(t.ball.vy, -258);
    EXPECT_EQ(t.ball.fy, -700);
}

// ---- the slide threshold, on the segment from (10, 50) to (18, 51) ----------

struct SlopeCase {
    int32_t vx, vy;
    int32_t result;
    int32_t wantVx, wantVy, wantFy;
};

class CollisionSlideThreshold : public testing::TestWithParam<SlopeCase> {};

TEST_P(CollisionSlideThreshold, CrossingSpeedBelow100Slides) {
    const SlopeCase& c = GetParam();
    CollisionTable t;
    bw::BorderSegment seg(t.table.state, bw::kBorderSegment, 10, 50, 18, 51);
    seg.HandleMessage(bw::PieceMessage::Reset);
    // Ball at table (14, 48), fixed (-13056, -512). Foot:
    // ((-512 * 31) + (-13056 * 252) + (-14080 * 3)) >> 8 = -13079 and
    // ((1024 * 31) + (-512 * 3) + 0) >> 8 = 118; (nx, ny) = (23, -630).
    // Push-out along (1, -8): steps (4, -32); (43, -790) reaches 768, so
    // (39, -758) is kept and the ball moves by (8, -64).
    t.ball.fx = FixX(14);
    t.ball.fy = -512;
    t.ball.vx = c.vx;
    t.ball.vy = c.vy;
    t.ball.lastVx = c.vx;
    t.ball.lastVy = c.vy;
    EXPECT_EQ(seg.HandleMessage(bw::PieceMessage::Simulate), c.result);
    EXPECT_EQ(t.ball.fx, FixX(14) + 8);
    EXPECT_EQ(t.ball.vx, c.wantVx);
    EXPECT_EQ(t.ball.vy, c.wantVy);
    EXPECT_EQ(t.ball.fy, c.wantFy);
}

INSTANTIATE_TEST_SUITE_P(
    Collision, CollisionSlideThreshold,
    testing::Values(
        // (0, 101): q = ((252 * 101) >> 8) * 101 = 99 * 101 = 9999: slide.
        // vx = 0 + (3131 + 128) >> 8 = 12, vy = (303 + 128) >> 8 + 0 = 1.
        // Push-back from (31, -694) along (0, -101): (31, -790) reaches 768,
        // (31, -758) is kept; fy += -64 >> 1 = -32: -576 - 32.
        SlopeCase{0, 101, 1, 12, 1, -608},
        // (-8, 100): q = (-1 - 2 * 12) * -8 + 98 * 100 = 10000: mirror.
        // vx = (249 * -8) >> 8 + 6200 >> 8 = -8 + 24 = 16,
        // vy = (-249 * 100) >> 8 + (-496) >> 8 = -98 - 2 = -100;
        // damped: 3520 >> 8 = 13, -22000 >> 8 = -86.
        SlopeCase{-8, 100, 2, 13, -86, -576}));

// ---- extreme inputs ---------------------------------------------------------

TEST(CollisionExtremes, FarOffBallsAndHugeVelocitiesGiveValidResults) {
    CollisionTable t;
    t.Add(bw::kObstacle100, 65, 50);
    t.Add(bw::kBorderStart, 30, 30);
    auto* border = static_cast<bw::PieceGroup*>(t.Add(bw::kBorderStart, 10, 90));
    bw::CreatePiece(border, bw::kBorderSegment, 120, 90);
    bw::CreatePiece(border, bw::kBorderSegment, 120, 5);
    bw::CreatePiece(border, bw::kBorderSegment, 11, 6);
    const int32_t positions[] = {INT32_MIN, -(1 << 24), -16640, -1, 0, 3000, 1 << 24, INT32_MAX};
    const int32_t speeds[] = {INT32_MIN, -1000000, -300, 0, 7, 1000000, INT32_MAX};
    for (int32_t fx : positions) {
        for (int32_t fy : positions) {
            for (int32_t v : speeds) {
                t.Start(fx, fy, v, -(v / 2));
                const int32_t r = t.Simulate();
                EXPECT_GE(r, 0);
                EXPECT_LE(r, 3);
            }
        }
    }
}

TEST(CollisionExtremes, StepOutEndsEvenWhenTheSquaresWrap) {
    // r * r nearly fills 31 bits; squares along the way wrap negative, so the
    // walk cannot rely on reaching r. It must stop, on its own line.
    int32_t px = 0, py = 0;
    bw::StepOut(px, py, 1, 0, 46340);
    EXPECT_EQ(py, 0);
    EXPECT_EQ(px % 32, 0);
    EXPECT_GE(px, 0);
    // An ordinary walk: from (0, -512) straight up to R = 768 keeps -736.
    px = 0;
    py = -512;
    bw::StepOut(px, py, 0, -20, 768);
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, -736);
}

}  // namespace
