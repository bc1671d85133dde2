// The physics worked out by hand: the step, the speed rule, and what one
// Simulate does to a ball that meets a circle, a segment or a flipper.
// Positions are fixed point: table x = fx / 256 + 65, y = fy / 256 + 50.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "files/table_text.h"
#include "model/soft_surface.h"
#include "physics/game.h"
#include "physics/physics.h"

namespace {

using namespace bw;

constexpr int32_t FixX(int32_t x) { return FixedX(x).v; }

struct BallState {
    int32_t fx, fy, vx, vy;
};
bool operator==(const BallState& a, const BallState& b) {
    return a.fx == b.fx && a.fy == b.fy && a.vx == b.vx && a.vy == b.vy;
}

TEST(Motion, BounceDampsByTheFactorOrKicksTo480) {
    const struct {
        uint32_t factor;
        int32_t vx, vy, wantVx, wantVy, result;
    } cases[] = {
        {220, 100, -100, 85, -86, kDampedBounce},  // 22000 >> 8 = 85, -22000 >> 8 = -86
        {220, -1, 1, -1, 0, kDampedBounce},
        {0, 100, 50, 480, 240, kKick},
        {0, -30, -300, -48, -480, kKick},
        {0, -7, 100, -33, 480, kKick},  // (480 * -7) / 100 truncates
        {0, 0, 0, 0, 0, kKick},         // at rest, equal sizes or full speed: unchanged
        {0, 50, -50, 50, -50, kKick},
        {0, 600, 10, 600, 10, kKick},
        {0, 7, 480, 7, 480, kKick},
    };
    for (const auto& c : cases) {
        Table t{BuiltinImageLoader{}};
        Ball& b = *t.state.ball;
        b.vx = c.vx, b.vy = c.vy;
        EXPECT_EQ(ApplyBounce(b, c.factor), c.result);
        EXPECT_EQ(b.vx, c.wantVx) << c.vx << "," << c.vy;
        EXPECT_EQ(b.vy, c.wantVy) << c.vx << "," << c.vy;
    }
}

// One Simulate of the root: the pieces (as table text, or a lone segment
// from x,y to x2,y2), the keys sent before it, the ball before and after.
struct Contact {
    const char* pieces;
    int32_t segment[4];
    const char* keys;  // "+Z-Z": Z down then up
    BallState ball;
    int32_t lastVx, lastVy;
    int32_t result;
    BallState want;
    int32_t score;
};

const Contact kContacts[] = {
    // Circles. R = 640 + 1280: touching at exactly R, mirrored, kicked.
    {"obstacle10 65 50", {}, "", {0, -1920, 0, 300}, 0, 0, kKick, {0, -1920, 0, -480}, 10},
    {"obstacle50 65 50", {}, "", {0, -1920, 0, 300}, 0, 0, kKick, {0, -1920, 0, -480}, 50},
    {"obstacle100 65 50", {}, "", {0, -1920, 0, 300}, 0, 0, kKick, {0, -1920, 0, -480}, 100},
    {"obstacle10 65 50", {}, "", {0, -1920, 0, -300}, 0, 0, kNoContact, {0, -1920, 0, -300}, 0},  // moving away
    {"obstacle10 65 50", {}, "", {0, -1920, 300, 0}, 0, 0, kNoContact, {0, -1920, 300, 0}, 0},    // tangential
    {"obstacle10 65 50", {}, "", {0, -1921, 0, 300}, 0, 0, kNoContact, {0, -1921, 0, 300}, 0},    // beyond R
    {"obstacle10 65 50", {}, "", {1400, -1400, -300, 300}, 0, 0, kNoContact, {1400, -1400, -300, 300}, 0},
    // A border's start point, R = 640, hit at 3-4-5: n = 1600, cr = 71,
    // sr = 245; (287, -84), damped by 220 to (246, -73).
    {"border 65 50", {}, "", {384, -512, 0, 300}, 0, 0, kDampedBounce, {384, -512, 246, -73}, 0},
    // On the centre, or within 1/16 pixel of it: taken as dx = dy = 256.
    {"border 65 50", {}, "", {0, 0, -10, 3}, 0, 0, kDampedBounce, {0, 0, -3, 8}, 0},
    {"border 65 50", {}, "", {15, 5, -10, 3}, 0, 0, kDampedBounce, {15, 5, -3, 8}, 0},
    {"border 65 50", {}, "", {0, 0, 10, -3}, 0, 0, kNoContact, {0, 0, 10, -3}, 0},
    {"obstacle10 65 50", {}, "", {0, 0, -10, 3}, 0, 0, kKick, {0, 0, -144, 480}, 10},
    // The segment from (10, 50) to (30, 50), the ball at (20, 48): pushed out
    // by (-736 + 512) / 2, mirrored, damped: -66000 >> 8.
    {"", {10, 50, 30, 50}, "", {FixX(20), -512, 0, 300}, 0, 300, kDampedBounce, {FixX(20), -624, 0, -258}, 0},
    // Crossing slowly (q = 25) slides; the push-back walks against (100, 5).
    {"", {10, 50, 30, 50}, "", {FixX(20), -512, 100, 5}, 100, 5, kSlide, {FixX(20), -631, 100, 0}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(20), -512, 100, 5}, 0, 0, kSlide, {FixX(20), -624, 100, 0}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(20), -768, 0, 300}, 0, 0, kDampedBounce, {FixX(20), -768, 0, -258}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(20), -769, 0, 300}, 0, 0, kNoContact, {FixX(20), -769, 0, 300}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(30), -512, 0, 300}, 0, 0, kDampedBounce, {FixX(30), -624, 0, -258}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(30) + 1, -512, 0, 300}, 0, 0, kNoContact, {FixX(30) + 1, -512, 0, 300}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(10), -512, 0, 300}, 0, 0, kDampedBounce, {FixX(10), -624, 0, -258}, 0},
    // The first end is a circle of halved radius: 640 + 64.
    {"", {10, 50, 30, 50}, "", {FixX(10) - 704, 0, 300, 0}, 0, 0, kDampedBounce, {FixX(10) - 704, 0, -258, 0}, 0},
    {"", {10, 50, 30, 50}, "", {FixX(10) - 705, 0, 300, 0}, 0, 0, kNoContact, {FixX(10) - 705, 0, 300, 0}, 0},
    // Coincident ends: only the end circle, no push-out.
    {"", {20, 50, 20, 50}, "", {FixX(20), -700, 0, 300}, 0, 0, kDampedBounce, {FixX(20), -700, 0, -258}, 0},
    // From (10, 50) to (18, 51): q = 9999 slides, q = 10000 mirrors.
    {"", {10, 50, 18, 51}, "", {FixX(14), -512, 0, 101}, 0, 101, kSlide, {FixX(14) + 8, -608, 12, 1}, 0},
    {"", {10, 50, 18, 51}, "", {FixX(14), -512, -8, 100}, -8, 100, kDampedBounce, {FixX(14) + 8, -576, 13, -86}, 0},
    // The left flipper at (50, 80); at the ball's x (-2560) yLow = 8320 and
    // yUp = 7040. The rising blade: k = (-256 * -480) / 1280 = 96.
    {"left-flipper 50 80", {}, "+Z", {-2560, 7424, 0, -50}, 0, -50, kFlipperStroke, {-2560, 5760, 96, -530}, 0},
    // Falling: first mirrored at the stroke line (50, 82)-(60, 80), then struck.
    {"left-flipper 50 80", {}, "+Z", {-2560, 7424, 0, 300}, 0, 300, kFlipperStroke, {-2560, 5760, -3, -719}, 0},
    {"left-flipper 50 80", {}, "+Z", {-2560, 7424, -50, 20}, -50, 20, kFlipperStroke, {-2560, 5760, 44, -469}, 0},
    // One unit beside the pivot: a huge push.
    {"left-flipper 50 80", {}, "+Z", {-3839, 7040, 0, -50}, 0, -50, kFlipperStroke, {-3839, 6399, 307200, -530}, 0},
    {"right-flipper 50 80", {}, "+X", {-5120, 7424, 0, -50}, 0, -50, kFlipperStroke, {-5120, 5760, -96, -530}, 0},
    // Down and up before the tick: the falling blade throws the ball down.
    {"left-flipper 50 80", {}, "+Z-Z", {-2560, 7424, 0, -50}, 0, -50, kFlipperStroke, {-2560, 9600, -96, 430}, 0},
    // The wedge's bounds, rising and falling.
    {"left-flipper 50 80", {}, "+Z", {-2560, 6401, 0, -50}, 0, -50, kFlipperStroke, {-2560, 5760, 479, -530}, 0},
    {"left-flipper 50 80", {}, "+Z", {-2560, 6400, 0, -50}, 0, -50, kNoContact, {-2608, 6304, 0, -50}, 0},
    {"left-flipper 50 80", {}, "+Z-Z", {-2560, 9215, 0, -50}, 0, -50, kFlipperStroke, {-2560, 9600, 575, 430}, 0},
    {"left-flipper 50 80", {}, "+Z-Z", {-2560, 9216, 0, -50}, 0, -50, kNoContact, {-2560, 9216, 0, -50}, 0},
    // The stroke line's ends on one point: no mirror.
    {"left-flipper 50 80", {}, "+Z-Z", {-3740, 7780, 0, 100}, 0, 100, kFlipperStroke, {-3740, 9010, 480, 580}, 0},
    // The span test is strict at the tip.
    {"left-flipper 50 80", {}, "+Z", {-640, 7680, 0, -50}, 0, -50, kNoContact, {-640, 7680, 0, -50}, 0},
    {"left-flipper 50 80", {}, "+Z", {-641, 7680, 0, -50}, 0, -50, kFlipperStroke, {-641, 5120, 0, -530}, 0},
    {"left-flipper 50 80", {}, "+Z-Z", {-641, 7680, 0, -50}, 0, -50, kFlipperStroke, {-641, 10240, 0, 430}, 0},
    // The pivot is a damped circle; the blade is then skipped.
    {"left-flipper 50 80", {}, "", {-3440, 7280, 0, 300}, 0, 300, kDampedBounce, {-3440, 7280, 257, 0}, 0},
    // Z then X: the X message cancels the left stroke; the raised blade slides.
    {"left-flipper 50 80", {}, "+Z+X", {-2560, 7424, 0, -50}, 0, 0, kSlide, {-2472, 7600, 20, -10}, 0},
    // A hole sends the ball to a hole of the root drawn at random and scores 200: the
    // generator's draws from 1 are 41, 18467, 6334; 41 mod 2 picks the second.
    {"hole 30 30\nobstacle10 5 5\ngroup\nhole 60 60\nend\nhole 90 60", {}, "", {-35 * 256, -20 * 256 - 100, 0, 50}, 0, 0,
     kHoleCapture, {25 * 256, 10 * 256, 18467 % 300, 6334 % 300}, 200},
    // Huge velocities wrap as 32-bit values.
    {"left-flipper 50 80", {}, "+Z", {-2560, 7424, INT32_MAX, INT32_MIN}, 0, 0, kFlipperStroke,
     {-2560, 5760, INT32_MIN + 95, INT32_MAX - 479}, 0},
};

TEST(Contact, OneSimulateAsWorkedOutByHand) {
    for (const Contact& c : kContacts) {
        SCOPED_TRACE(std::string(c.pieces) + " seg " + std::to_string(c.segment[0]) + " keys " + c.keys +
                     " ball " + std::to_string(c.ball.fx) + "," + std::to_string(c.ball.fy));
        Table t{BuiltinImageLoader{}};
        std::string error;
        ASSERT_TRUE(TextToTable(c.pieces, *t.root, error)) << error;
        if (c.segment[0] || c.segment[2])
            t.root->AppendChild(std::make_unique<BorderSegment>(t.state, kBorderSegment, c.segment[0], c.segment[1],
                                                                c.segment[2], c.segment[3]));
        StartGame(t.state);
        for (const char* k = c.keys; *k; k += 2) SendKey(t.state, k[1] == 'Z' ? kKeyZ : kKeyX, k[0] == '+');
        Ball& b = *t.state.ball;
        b.fx = c.ball.fx, b.fy = c.ball.fy, b.vx = c.ball.vx, b.vy = c.ball.vy;
        b.lastVx = c.lastVx, b.lastVy = c.lastVy;
        EXPECT_EQ(t.root->HandleMessage(PieceMessage::Simulate), c.result);
        EXPECT_EQ((BallState{b.fx, b.fy, b.vx, b.vy}), c.want);
        EXPECT_EQ(t.state.score, c.score);
    }
}

TEST(Contact, StepOutEndsEvenWhenTheSquaresWrap) {
    int32_t px = 0, py = 0;
    StepOut(px, py, 1, 0, 46340);  // r * r nearly fills 31 bits
    EXPECT_EQ(py, 0);
    EXPECT_EQ(px % 32, 0);
    px = 0, py = -512;
    StepOut(px, py, 0, -20, 768);
    EXPECT_EQ(py, -736);
}

// Whatever state the ball is in, a tick ends with it on the table (and,
// under the sanitizers, without undefined behaviour).
TEST(Contact, AnyBallStateEndsTheTickOnTheTable) {
    Table t{BuiltinImageLoader{}};
    std::string error;
    ASSERT_TRUE(TextToTable("border 10 90, 120 90, 120 5\nleft-flipper 44 85\nhole 30 30\nobstacle100 65 50\n"
                            "cannon 115 92\n", *t.root, error));
    StartGame(t.state);
    const int32_t values[] = {INT32_MIN, -(1 << 20), -1, 0, 7, 1 << 20, INT32_MAX};
    for (int32_t p : values)
        for (int32_t v : values) {
            Ball& b = *t.state.ball;
            b.fx = p, b.fy = ~p, b.vx = v, b.vy = v / 3;
            SendKey(t.state, kKeyZ, v > 0);
            PlayTick(t.state, true);
            EXPECT_FALSE(BallOffTable(b)) << p << " " << v;
        }
}

}  // namespace
