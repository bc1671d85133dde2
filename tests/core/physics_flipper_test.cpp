// Flippers: the strike in the first tick after the key changed, the wedge
// and span tests that decide it, and the flipper as an ordinary obstacle.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "model/soft_surface.h"
#include "model/table.h"
#include "physics/game.h"
#include "physics/physics.h"

namespace {

// The left flipper with pivot (50, 80): fx = -3840, fy = 7680, tips at
// fixed x -1280, resting tip y 8960, raised tip y 6400.
// The ball at table (55, 79) is fixed (-2560, 7424); there
// yLow = 8960 + ((-1280) * -5) / -10 = 8320 and
// yUp = 6400 + ((-1280) * 5) / -10 = 7040.
constexpr int32_t kBallFx = -2560;
constexpr int32_t kBallFy = 7424;

struct FlipperTable {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::Ball& ball = *table.state.ball;
    bw::Flipper* left = nullptr;
    bw::Flipper* right = nullptr;

    explicit FlipperTable(bool withRight = false, int32_t rightX = 100) {
        left = static_cast<bw::Flipper*>(bw::CreatePiece(table.root.get(), bw::kLeftFlipper, 50, 80));
        if (withRight)
            right = static_cast<bw::Flipper*>(bw::CreatePiece(table.root.get(), bw::kRightFlipper, rightX, 80));
        bw::StartGame(table.state);
    }
    void Put(int32_t fx, int32_t fy, int32_t vx, int32_t vy) {
        ball.fx = fx;
        ball.fy = fy;
        ball.vx = vx;
        ball.vy = vy;
        ball.lastVx = vx;
        ball.lastVy = vy;
    }
    void Key(int32_t key, bool down) { bw::SendKey(table.state, key, down); }
    int32_t Simulate(bw::Flipper* f) { return f->HandleMessage(bw::PieceMessage::Simulate); }
};

TEST(FlipperGeometry, ResetGivesThePivotTipsAndEdgesThePhysicsUses) {
    FlipperTable t;
    EXPECT_EQ(t.left->fx, -3840);
    EXPECT_EQ(t.left->fy, 7680);
    EXPECT_EQ(t.left->hitRadius, 0);
    EXPECT_EQ(t.left->tipFx, -1280);
    EXPECT_EQ(t.left->lowerEdge->fx, -1280);
    EXPECT_EQ(t.left->lowerEdge->fy, 8960);
    EXPECT_EQ(t.left->upperEdge->fx, -1280);
    EXPECT_EQ(t.left->upperEdge->fy, 6400);
    EXPECT_EQ(t.left->lowerEdge->dx, -10);
    EXPECT_EQ(t.left->upperEdge->dy, 5);
    t.Put(kBallFx, kBallFy, 0, 0);
    EXPECT_EQ(bw::EdgeYAtBall(*t.left->lowerEdge, t.ball), 8320);
    EXPECT_EQ(bw::EdgeYAtBall(*t.left->upperEdge, t.ball), 7040);
}

// ---- strikes of the rising blade --------------------------------------------

TEST(FlipperStrike, RisingBladeThrowsABallMovingUp) {
    FlipperTable t;
    t.Put(kBallFx, kBallFy, 0, -50);
    t.Key(bw::kKeyZ, true);
    const uint32_t serial = t.table.state.nextSerial;
    EXPECT_EQ(t.table.root->HandleMessage(bw::PieceMessage::Simulate), 5);
    // k = (-256 * -480) / 1280 = 96; fy = yUp - 1280 = 5760 (table y 72).
    EXPECT_EQ(t.ball.fx, kBallFx);
    EXPECT_EQ(t.ball.fy, 5760);
    EXPECT_EQ(t.ball.vx, 96);
    EXPECT_EQ(t.ball.vy, -530);
    EXPECT_EQ(t.left->keys.changed, 0);
    // No stroke segment for a ball that is not falling.
    EXPECT_EQ(t.table.state.nextSerial, serial);
    // The next step clamps: vx = (96 * 480) / 530 = 86.9 -> 86.
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.vx, 86);
    EXPECT_EQ(t.ball.fy, 5760 - 480);
}

TEST(FlipperStrike, FallingBallIsMirroredAtTheStrokeLineBeforeTheStroke) {
    FlipperTable t;
    t.Put(kBallFx, kBallFy, 0, 300);
    t.Key(bw::kKeyZ, true);
    const uint32_t serial = t.table.state.nextSerial;
    // Stroke segment (50, 82) -> (60, 80): dx 10, dy -2, L 104; kxx = 246,
    // kyy = 9, kxy = -49. q = ((246 * 300) >> 8) * 300 = 288 * 300 = 86400:
    // mirror. vx = (-98 * 300) >> 8 = -115, vy = (-237 * 300) >> 8 = -278;
    // damped: -25300 >> 8 = -99, -61160 >> 8 = -239. Then k = 96 and
    // vy - 480: (-3, -719).
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.vx, -3);
    EXPECT_EQ(t.ball.vy, -719);
    EXPECT_EQ(t.ball.fy, 5760);
    EXPECT_EQ(t.ball.fx, kBallFx);
    // The transient stroke segment took one serial number.
    EXPECT_EQ(t.table.state.nextSerial, serial + 1);
}

TEST(FlipperStrike, SlowCrossingOfTheStrokeLineSlidesWithoutPushBack) {
    FlipperTable t;
    t.Put(kBallFx, kBallFy, -50, 20);
    t.Key(bw::kKeyZ, true);
    // On the same stroke segment: q = ((-2) - 2 * (-4)) * -50 + 19 * 20 = 80,
    // a slide: vx = (-12172 >> 8) + (-852 >> 8) = -48 - 4 = -52,
    // vy = (308 >> 8) + (2578 >> 8) = 1 + 10 = 11. Then (-52 + 96, 11 - 480).
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.vx, 44);
    EXPECT_EQ(t.ball.vy, -469);
    EXPECT_EQ(t.ball.fx, kBallFx);
    EXPECT_EQ(t.ball.fy, 5760);
}

TEST(FlipperStrike, StrokeBesideThePivotGivesAHugePushThatTheStepClamps) {
    FlipperTable t;
    // One unit right of the pivot: yLow = 8960 + (12795 / -10) = 7681,
    // yUp = 6400 + (-12795 / -10) = 7679; fy 7040 is in the rising wedge
    // (7040 < 7681, 7040 + 640 > 7679). k = (-640 * -480) / 1 = 307200.
    t.Put(-3839, 7040, 0, -50);
    t.Key(bw::kKeyZ, true);
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.vx, 307200);
    EXPECT_EQ(t.ball.vy, -530);
    EXPECT_EQ(t.ball.fy, 7679 - 1280);
    // vy = (-530 * 480) / 307200 = -0.83, truncated to 0.
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.fx, -3839 + 480);
    EXPECT_EQ(t.ball.fy, 7679 - 1280);
    EXPECT_EQ(t.ball.vy, 5);
}

TEST(FlipperStrike, RightFlipperSpanTestWorksWithTheTipLeftOfThePivot) {
    FlipperTable t(/*withRight=*/true, /*rightX=*/50);
    EXPECT_EQ(t.right->tipFx, -6400);
    // Ball at table (45, 79), fixed (-5120, 7424): yLow = 8960 +
    // (1280 * -5) / 10 = 8320, yUp = 6400 + (1280 * 5) / 10 = 7040.
    // k = (-256 * -480) / (-1280) = -96: pushed to the left.
    t.Put(-5120, kBallFy, 0, -50);
    t.Key(bw::kKeyX, true);
    EXPECT_EQ(t.Simulate(t.right), 5);
    EXPECT_EQ(t.ball.vx, -96);
    EXPECT_EQ(t.ball.vy, -530);
    EXPECT_EQ(t.ball.fy, 5760);
}

// ---- strikes of the falling blade -------------------------------------------

TEST(FlipperStrike, FallingBladeThrowsTheBallDown) {
    FlipperTable t;
    t.Key(bw::kKeyZ, true);
    t.Put(0, -10000, 0, 0);  // far away: the pending check is used up
    EXPECT_EQ(t.Simulate(t.left), 0);
    t.Put(kBallFx, kBallFy, 0, -50);
    t.Key(bw::kKeyZ, false);
    // s = -1: k = (-256 * 480) / 1280 = -96; fy = yLow + 1280 = 9600
    // (table y 87); vy = -50 + 480.
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.fy, 9600);
    EXPECT_EQ(t.ball.vy, 430);
    EXPECT_EQ(t.ball.vx, -96);
}

TEST(FlipperStrike, KeyDownAndUpBetweenTicksChecksForAFallingStroke) {
    FlipperTable t;
    t.Key(bw::kKeyZ, true);
    t.Key(bw::kKeyZ, false);
    EXPECT_EQ(t.left->keys.pressed, 0);
    EXPECT_EQ(t.left->keys.changed, 1);
    t.Put(kBallFx, kBallFy, 0, -50);
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.fy, 9600);
    EXPECT_EQ(t.ball.vx, -96);
}

TEST(FlipperStrike, WedgeBoundsForTheRisingAndTheFallingBlade) {
    // At the ball's x (-2560): yLow = 8320, yUp = 7040.
    {
        // Rising: fy + 640 > 7040 holds from 6401 on.
        // k = (-1279 * -480) / 1280 = 479.6 -> 479.
        FlipperTable t;
        t.Put(kBallFx, 6401, 0, -50);
        t.Key(bw::kKeyZ, true);
        EXPECT_EQ(t.Simulate(t.left), 5);
        EXPECT_EQ(t.ball.fy, 5760);
        EXPECT_EQ(t.ball.vx, 479);
    }
    {
        // At 6400 the ball is not struck; the raised blade only pushes it
        // out: foot (-2295, 6885), (nx, ny) = (-265, -485), walked along
        // (-5, -10) in steps (-16, -32) to (-361, -677); moved by (-48, -96).
        FlipperTable t;
        t.Put(kBallFx, 6400, 0, -50);
        t.Key(bw::kKeyZ, true);
        EXPECT_EQ(t.Simulate(t.left), 0);
        EXPECT_EQ(t.ball.vy, -50);
        EXPECT_EQ(t.ball.fx, kBallFx - 48);
        EXPECT_EQ(t.ball.fy, 6400 - 96);
    }
    {
        // Falling: fy - 640 - 256 < 8320 holds up to 9215.
        // k = (1535 * 480) / 1280 = 575.6 -> 575.
        FlipperTable t;
        t.Put(kBallFx, 9215, 0, -50);
        t.Key(bw::kKeyZ, true);
        t.Key(bw::kKeyZ, false);
        EXPECT_EQ(t.Simulate(t.left), 5);
        EXPECT_EQ(t.ball.fy, 9600);
        EXPECT_EQ(t.ball.vx, 575);
        EXPECT_EQ(t.ball.vy, 430);
    }
    {
        // At 9216 nothing: the resting blade's line is out of reach too.
        FlipperTable t;
        t.Put(kBallFx, 9216, 0, -50);
        t.Key(bw::kKeyZ, true);
        t.Key(bw::kKeyZ, false);
        EXPECT_EQ(t.Simulate(t.left), 0);
        EXPECT_EQ(t.ball.fy, 9216);
        EXPECT_EQ(t.ball.vy, -50);
    }
}

TEST(FlipperStrike, StrokeSegmentWithCoincidentEndsLeavesTheVelocity) {
    FlipperTable t;
    // 100 right of and below the pivot: the stroke segment's ends are both
    // at table (50, 78). In the falling wedge: yUp = 6400 + (-2460 * 5) / -10
    // = 7630 < 7780 and 7780 - 896 < yLow = 7730.
    t.Put(-3740, 7780, 0, 100);
    t.Key(bw::kKeyZ, true);
    t.Key(bw::kKeyZ, false);
    const uint32_t serial = t.table.state.nextSerial;
    // No mirror; k = (100 * 480) / 100 = 480; fy = 7730 + 1280.
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.vy, 100 + 480);
    EXPECT_EQ(t.ball.fy, 9010);
    EXPECT_EQ(t.ball.fx, -3740);
    EXPECT_EQ(t.table.state.nextSerial, serial + 1);
}

// ---- when there is no strike ------------------------------------------------

TEST(FlipperNoStrike, BallJustBeyondTheTipIsNotStruckAndTheCheckIsUsedUp) {
    FlipperTable t;
    // The span test is strict: at fx = -640 the ball's span starts at the
    // tip's x exactly and does not overlap.
    t.Put(-640, 7680, 0, -50);
    t.Key(bw::kKeyZ, true);
    EXPECT_EQ(t.Simulate(t.left), 0);
    EXPECT_EQ(t.left->keys.changed, 0);
    EXPECT_EQ(t.ball.fy, 7680);
    EXPECT_EQ(t.ball.vy, -50);
    // One unit nearer it would have been struck, but the check is gone.
    t.Put(-641, 7680, 0, -50);
    EXPECT_EQ(t.Simulate(t.left), 0);
    EXPECT_EQ(t.ball.vy, -50);
}

TEST(FlipperNoStrike, BallJustInsideTheSpanAtTheTipIsStruck) {
    FlipperTable t;
    // yLow and yUp clamp to the tips (8960, 6400); k = 0 at the pivot's
    // height; fy = 6400 - 1280.
    t.Put(-641, 7680, 0, -50);
    t.Key(bw::kKeyZ, true);
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.fy, 5120);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, -530);
    // The falling blade there: yLow clamps to 8960, fy = 8960 + 1280.
    t.Put(-641, 7680, 0, -50);
    t.Key(bw::kKeyZ, false);
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.fy, 10240);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, 430);
}

TEST(FlipperNoStrike, PivotActsAsADampedCircleAndThenTheBladeIsSkipped) {
    FlipperTable t;
    // (400, -400) from the pivot, falling: within 640 of it, and also within
    // the resting blade's band at about 2 pixels from its line. distXX =
    // distYY = 160000, distXY = -160000; n = 1250, cr = 0, sr = 256: (300, 0),
    // damped to (257, 0). The blade would have pushed the ball out; it stays.
    t.Put(-3440, 7280, 0, 300);
    EXPECT_EQ(t.Simulate(t.left), 2);
    EXPECT_EQ(t.ball.vx, 257);
    EXPECT_EQ(t.ball.vy, 0);
    EXPECT_EQ(t.ball.fx, -3440);
    EXPECT_EQ(t.ball.fy, 7280);
}

TEST(FlipperNoStrike, ZThenXBetweenTicksCancelsTheLeftStroke) {
    FlipperTable t(/*withRight=*/true);
    t.Key(bw::kKeyZ, true);
    t.Key(bw::kKeyX, true);
    EXPECT_EQ(t.left->keys.pressed, 1);
    EXPECT_EQ(t.left->keys.changed, 0);
    EXPECT_EQ(t.right->keys.pressed, 1);
    EXPECT_EQ(t.right->keys.changed, 1);
    t.Put(kBallFx, kBallFy, 0, -50);
    t.ball.lastVx = 0;
    t.ball.lastVy = 0;
    // The raised blade is an ordinary border: upper edge from (60, 75) to the
    // pivot, kxx 204, kyy 51, kxy -102. Foot (-2703, 7089), (nx, ny) =
    // (143, 335); push-out along (5, 10): (319, 687) kept, the ball moves by
    // (88, 176). q = ((204 * -50) >> 8) * -50 = -40 * -50 = 2000: slide;
    // vx = (5100 + 128) >> 8 = 20, vy = (-2550 + 128) >> 8 = -10.
    EXPECT_EQ(t.Simulate(t.left), 1);
    EXPECT_EQ(t.ball.vx, 20);
    EXPECT_EQ(t.ball.vy, -10);
    EXPECT_EQ(t.ball.fx, kBallFx + 88);
    EXPECT_EQ(t.ball.fy, kBallFy + 176);
    EXPECT_EQ(t.right->keys.changed, 1);
}

TEST(FlipperNoStrike, OtherKeyMessageOrRepeatCancelsThePendingCheck) {
    FlipperTable t;
    t.Key(bw::kKeyZ, true);
    t.Key(bw::kKeyZ, true);  // auto-repeat: no change
    EXPECT_EQ(t.left->keys.changed, 0);
    t.Key(bw::kKeyZ, false);
    t.Key(bw::kKeySpace, true);
    EXPECT_EQ(t.left->keys.pressed, 0);
    EXPECT_EQ(t.left->keys.changed, 0);
}

// ---- extreme inputs ---------------------------------------------------------

TEST(FlipperExtremes, HugeVelocitiesWrapAndTheStrikeStillPlacesTheBall) {
    const int32_t speeds[] = {INT32_MIN, -1000000, 1000000, INT32_MAX};
    for (int32_t vx : speeds) {
        for (int32_t vy : speeds) {
            FlipperTable t;
            t.Put(kBallFx, kBallFy, vx, vy);
            t.Key(bw::kKeyZ, true);
            EXPECT_EQ(t.Simulate(t.left), 5);
            EXPECT_EQ(t.ball.fy, 5760);
        }
    }
    // Without the mirror (vy <= 0) the sums wrap as 32-bit values.
    FlipperTable t;
    t.Put(kBallFx, kBallFy, INT32_MAX, INT32_MIN);
    t.Key(bw::kKeyZ, true);
    EXPECT_EQ(t.Simulate(t.left), 5);
    EXPECT_EQ(t.ball.vy, INT32_MAX - 479);
    EXPECT_EQ(t.ball.vx, INT32_MIN + 95);
}

TEST(FlipperExtremes, FarOffBallNeverStrikes) {
    const int32_t positions[] = {INT32_MIN, -(1 << 20), 1 << 20, INT32_MAX};
    for (int32_t fx : positions) {
        for (int32_t fy : positions) {
            FlipperTable t;
            t.Put(fx, fy, 300, 300);
            t.Key(bw::kKeyZ, true);
            EXPECT_NE(t.Simulate(t.left), 5) << fx << "," << fy;
            EXPECT_EQ(t.left->keys.changed, 0);
        }
    }
}

}  // namespace
