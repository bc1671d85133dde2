// Ball motion: the step (clamp, move, gravity, record), the speed rule that
// ends every bounce, putting the ball on the cannon and the off-table test.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "model/soft_surface.h"
#include "model/table.h"
#include "physics/game.h"
#include "physics/physics.h"

namespace {

struct MotionTable {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::Ball& ball = *table.state.ball;

    void SetBall(int32_t fx, int32_t fy, int32_t vx, int32_t vy) {
        ball.fx = fx;
        ball.fy = fy;
        ball.vx = vx;
        ball.vy = vy;
    }
};

// ---- the speed clamp of the step ------------------------------------------

TEST(MotionStep, ClampMakesTheLargerComponentExactly480AndKeepsTheDirection) {
    MotionTable t;
    t.SetBall(1000, 2000, 600, -301);
    bw::Step(t.ball);
    // |vx| is the larger: vy = (-301 * 480) / 600 = -240.8, truncated to -240.
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.fx, 1000 + 480);
    EXPECT_EQ(t.ball.fy, 2000 - 240);
    // Gravity comes after the move.
    EXPECT_EQ(t.ball.vy, -240 + 5);
}

TEST(MotionStep, ClampDivisionTruncatesTowardsZeroOnTheOtherAxisToo) {
    MotionTable t;
    t.SetBall(0, 0, -7, 1000);
    bw::Step(t.ball);
    // vx = (-7 * 480) / 1000 = -3.36: -3 (rounding down would give -4).
    EXPECT_EQ(t.ball.vx, -3);
    EXPECT_EQ(t.ball.fx, -3);
    EXPECT_EQ(t.ball.fy, 480);
    EXPECT_EQ(t.ball.vy, 485);
}

TEST(MotionStep, EqualMagnitudesAbove480TakeTheVerticalBranch) {
    MotionTable t;
    t.SetBall(0, 0, 500, -500);
    bw::Step(t.ball);
    // vx = (500 * 480) / 500 = 480, vy = -480.
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.fx, 480);
    EXPECT_EQ(t.ball.fy, -480);
    EXPECT_EQ(t.ball.vy, -475);
}

TEST(MotionStep, ComponentsOfExactly480AreNotClamped) {
    MotionTable t;
    t.SetBall(0, 0, -480, 480);
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.fx, -480);
    EXPECT_EQ(t.ball.fy, 480);
    EXPECT_EQ(t.ball.vx, -480);
    EXPECT_EQ(t.ball.vy, 485);
}

TEST(MotionStep, FallingBallEndsEachStepAt485AndIsClampedBackAtTheNext) {
    MotionTable t;
    t.SetBall(0, 0, 0, 480);
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.vy, 485);
    EXPECT_EQ(t.ball.lastVy, 485);
    bw::Step(t.ball);
    // 485 is clamped to 480 before the move, then gravity adds 5 again.
    EXPECT_EQ(t.ball.fy, 960);
    EXPECT_EQ(t.ball.vy, 485);
    EXPECT_EQ(t.ball.lastVy, 485);
    EXPECT_EQ(t.ball.vx, 0);
}

// ---- gravity, the record and what the step leaves alone ------------------

TEST(MotionStep, RecordsEndOfStepValuesThatBouncesDoNotTouch) {
    MotionTable t;
    t.ball.x = 11;
    t.ball.y = 22;
    t.SetBall(256, -512, 37, -20);
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.lastVx, 37);
    EXPECT_EQ(t.ball.lastVy, -15);
    EXPECT_EQ(t.ball.lastFx, 293);
    EXPECT_EQ(t.ball.lastFy, -532);
    // The table position lags until RebuildRegion.
    EXPECT_EQ(t.ball.x, 11);
    EXPECT_EQ(t.ball.y, 22);
    // A bounce changes the velocity but not the record.
    bw::ApplyBounce(t.ball, 0);
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.lastVx, 37);
    EXPECT_EQ(t.ball.lastVy, -15);
}

TEST(MotionStep, GravityNeverChangesTheHorizontalVelocity) {
    MotionTable t;
    t.SetBall(0, 0, -123, 0);
    for (int i = 0; i < 10; ++i) bw::Step(t.ball);
    EXPECT_EQ(t.ball.vx, -123);
    EXPECT_EQ(t.ball.fx, -1230);
    // vy before each move: 0, 5, ..., 45; sum 225.
    EXPECT_EQ(t.ball.fy, 225);
    EXPECT_EQ(t.ball.vy, 50);
}

// ---- ApplyBounce ------------------------------------------------------------

struct BounceCase {
    uint32_t factor;
    int32_t vx, vy;
    int32_t wantVx, wantVy;
    int32_t result;
};

class MotionApplyBounce : public testing::TestWithParam<BounceCase> {};

TEST_P(MotionApplyBounce, GivesTheExpectedVelocity) {
    const BounceCase& c = GetParam();
    MotionTable t;
    t.SetBall(0, 0, c.vx, c.vy);
    EXPECT_EQ(bw::ApplyBounce(t.ball, c.factor), c.result);
    EXPECT_EQ(t.ball.vx, c.wantVx);
    EXPECT_EQ(t.ball.vy, c.wantVy);
}

INSTANTIATE_TEST_SUITE_P(
    Motion, MotionApplyBounce,
    testing::Values(
        // 220: 100*220 = 22000, >> 8 = 85.9 -> 85; -22000 >> 8 -> -86.
        BounceCase{220, 100, -100, 85, -86, 2},
        // Arithmetic shift: -220 >> 8 = -1, 220 >> 8 = 0.
        BounceCase{220, -1, 1, -1, 0, 2},
        // Kick: |vx| larger and below 480: vx = 480, vy = 480*50/100 = 240.
        BounceCase{0, 100, 50, 480, 240, 3},
        // |vy| larger: vy = -480, vx = (-480 * -30) / -300 = -48.
        BounceCase{0, -30, -300, -48, -480, 3},
        // At rest, equal magnitudes, or already at full speed: unchanged.
        BounceCase{0, 0, 0, 0, 0, 3}, BounceCase{0, 50, 50, 50, 50, 3},
        BounceCase{0, 50, -50, 50, -50, 3}, BounceCase{0, 600, 10, 600, 10, 3},
        BounceCase{0, 7, 480, 7, 480, 3},
        // The kick's quotient truncates: vx = (480 * -7) / 100 = -33.6 -> -33.
        BounceCase{0, -7, 100, -33, 480, 3}));

// ---- Reset onto the cannon --------------------------------------------------

TEST(MotionReset, PutsTheBallFivePixelsAboveTheLastCannonOfTheRoot) {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::CreatePiece(table.root.get(), bw::kCannon, 20, 40);
    bw::CreatePiece(table.root.get(), bw::kCannon, 60, 90);
    // A cannon inside a group is not looked at.
    auto* group = static_cast<bw::PieceGroup*>(bw::CreatePiece(table.root.get(), bw::kGroup, 0, 0));
    bw::CreatePiece(group, bw::kCannon, 100, 30);
    bw::Ball& ball = *table.state.ball;
    ball.vx = 77;
    ball.vy = -3;
    bw::StartGame(table.state);
    EXPECT_EQ(ball.fx, (60 - 65) * 256);
    EXPECT_EQ(ball.fy, (90 - 55) * 256);
    EXPECT_EQ(ball.x, 60);
    EXPECT_EQ(ball.y, 85);
    EXPECT_EQ(ball.vx, 0);
    EXPECT_EQ(ball.vy, 0);
    EXPECT_EQ(ball.hitRadius, 640);
}

TEST(MotionReset, WithoutACannonTheBallStartsAtTheTableCentre) {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::Ball& ball = *table.state.ball;
    ball.fx = 5000;
    ball.fy = -7000;
    ball.vy = 300;
    ball.HandleMessage(bw::PieceMessage::Reset);
    EXPECT_EQ(ball.fx, 0);
    EXPECT_EQ(ball.fy, 0);
    EXPECT_EQ(ball.x, 65);
    EXPECT_EQ(ball.y, 50);
    EXPECT_EQ(ball.vy, 0);
}

// ---- off the table ----------------------------------------------------------

TEST(MotionOffTable, AllFourBoundsAreInclusive) {
    MotionTable t;
    auto off = [&](int32_t x, int32_t y) {
        t.ball.x = x;
        t.ball.y = y;
        return bw::BallOffTable(t.ball);
    };
    EXPECT_FALSE(off(125, 100));
    EXPECT_FALSE(off(0, 0));
    EXPECT_FALSE(off(60, 50));
    EXPECT_TRUE(off(126, 50));
    EXPECT_TRUE(off(-1, 50));
    EXPECT_TRUE(off(60, 101));
    EXPECT_TRUE(off(60, -1));
    EXPECT_TRUE(off(INT32_MIN, INT32_MAX));
    EXPECT_TRUE(off(INT32_MAX, 50));
}

TEST(MotionOffTable, ReadsTheTablePositionNotTheFixedOne) {
    MotionTable t;
    t.ball.x = 60;
    t.ball.y = 50;
    t.ball.fx = 1 << 24;  // far off, but x and y are what the test reads
    EXPECT_FALSE(bw::BallOffTable(t.ball));
    t.ball.HandleMessage(bw::PieceMessage::RebuildRegion);
    EXPECT_TRUE(bw::BallOffTable(t.ball));
}

// ---- extreme values ---------------------------------------------------------

TEST(MotionExtremes, HugeVelocitiesAreClampedWithoutOverflow) {
    MotionTable t;
    // A stroke next to the pivot can leave about a million per step.
    t.SetBall(0, 0, 1000000, -999999);
    bw::Step(t.ball);
    // vy = (-999999 * 480) / 1000000 = -479.99952 -> -479.
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.fy, -479);

    t.SetBall(0, 0, INT32_MAX, 0);
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.vx, 480);
    EXPECT_EQ(t.ball.fx, 480);

    // The products wrap as 32-bit values; the step must still finish and
    // produce a velocity whose larger component is the bound.
    t.SetBall(0, 0, 3, INT32_MAX);
    bw::Step(t.ball);
    EXPECT_EQ(t.ball.fy, 480);
    EXPECT_EQ(t.ball.vy, 485);
}

TEST(MotionExtremes, MostNegativeComponentsAndEdgePositionsWrapWithoutUndefinedBehaviour) {
    MotionTable t;
    const int32_t values[] = {INT32_MIN, INT32_MIN + 1, -1000000, -481, 0, 481, 1000000, INT32_MAX};
    for (int32_t vx : values) {
        for (int32_t vy : values) {
            t.SetBall(INT32_MAX - 10, INT32_MIN + 10, vx, vy);
            bw::Step(t.ball);
            // Only the most negative value, whose magnitude wraps to itself,
            // escapes the clamp.
            if (vx != INT32_MIN && vy != INT32_MIN) {
                EXPECT_LE(t.ball.lastVx, 480);
                EXPECT_GE(t.ball.lastVx, -480);
                EXPECT_LE(t.ball.lastVy, 485);
                EXPECT_GE(t.ball.lastVy, -475);
            }
            t.SetBall(0, 0, vx, vy);
            bw::ApplyBounce(t.ball, 220);
            bw::ApplyBounce(t.ball, 0);
            t.SetBall(0, 0, vx, vy);
            EXPECT_EQ(bw::ApplyBounce(t.ball, 0), 3);
        }
    }
}

}  // namespace
