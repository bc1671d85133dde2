// What the pieces do to the ball in play: the cannon's charge and shot, the
// hole's capture, several pieces in one tick, and the play tick itself.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "model/soft_surface.h"
#include "model/table.h"
#include "physics/game.h"
#include "physics/physics.h"

namespace {

constexpr int32_t FixX(int32_t x) { return (x - 65) * 256; }
constexpr int32_t FixY(int32_t y) { return (y - 50) * 256; }

// The platform's rand() from its start: state * 214013 + 2531011 modulo
// 2^32, yielding bits 16 to 30.
struct Rand {
    uint32_t state = 1;
    int32_t Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 32767u);
    }
};

TEST(PhysicsRandom, FirstValuesOfTheSequenceSeededWithOne) {
    // 1 * 214013 + 2531011 = 2745024; 2745024 >> 16 = 41.
    Rand r;
    EXPECT_EQ(r.Next(), 41);
    EXPECT_EQ(r.Next(), 18467);
    EXPECT_EQ(r.Next(), 6334);
    EXPECT_EQ(r.Next(), 26500);
    bw::TableState st;
    Rand mine;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(st.NextRandom(), mine.Next()) << i;
}

struct PlayTable {
    bw::Table table{bw::BuiltinImageLoader{}};
    bw::TableState& st = table.state;
    bw::Ball& ball = *table.state.ball;

    bw::TablePiece* Add(bw::PieceKind kind, int32_t x, int32_t y) {
        return bw::CreatePiece(table.root.get(), kind, x, y);
    }
    void Put(int32_t fx, int32_t fy, int32_t vx, int32_t vy) {
        ball.fx = fx;
        ball.fy = fy;
        ball.vx = vx;
        ball.vy = vy;
    }
    void Key(int32_t key, bool down) { bw::SendKey(st, key, down); }
    int32_t Simulate() { return table.root->HandleMessage(bw::PieceMessage::Simulate); }
};

// ---- the cannon -------------------------------------------------------------

// A cannon at (60, 90): top wall (63, 87) -> (57, 87), fixed y 9472; the
// ball starts at table (60, 85), fixed (-1280, 8960), 512 above the wall.
struct CannonTable : PlayTable {
    bw::Cannon* cannon = static_cast<bw::Cannon*>(Add(bw::kCannon, 60, 90));
    CannonTable() { bw::StartGame(st); }
    void Charge(int n) {
        for (int i = 0; i < n; ++i) Key(bw::kKeySpace, true);
    }
    // The ball on the cannon as a step leaves it: gravity has made vy 5.
    void BallOnWall() {
        Put(FixX(60), FixY(85), 0, 5);
        ball.lastVx = 0;
        ball.lastVy = 5;
    }
};

TEST(CannonShot, ReleaseFiresUpwardsInProportionToThePower) {
    CannonTable t;
    for (int i = 1; i <= 15; ++i) {
        t.Key(bw::kKeySpace, true);
        EXPECT_EQ(t.cannon->power, i < 10 ? i : 10);
    }
    t.Key(bw::kKeySpace, false);
    t.BallOnWall();
    // The top wall's test pushes the ball out by 112 (as any horizontal wall
    // with the ball 512 above it) and finds it moving down onto it. The
    // shot wins over the walls: -(480 * 10) / 10.
    EXPECT_EQ(t.Simulate(), 6);
    EXPECT_EQ(t.ball.vy, -480);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.fy, FixY(85) - 112);

    CannonTable u;
    u.Charge(3);
    u.Key(bw::kKeySpace, false);
    u.BallOnWall();
    EXPECT_EQ(u.Simulate(), 6);
    EXPECT_EQ(u.ball.vy, -144);  // -(480 * 3) / 10
}

TEST(CannonShot, LostReleaseLeavesTheBallToTheWalls) {
    // The walls act instead: the ball slides on the top wall (q = 25), which
    // stops it; push-out to 8848, then the push-back from (0, -624) along
    // (0, -5) keeps -752 and lifts it by 64 more.
    {
        CannonTable t;  // another key message before the tick
        t.Charge(10);
        t.Key(bw::kKeySpace, false);
        t.Key(bw::kKeyZ, true);
        t.BallOnWall();
        EXPECT_EQ(t.Simulate(), 1);
        EXPECT_EQ(t.ball.vy, 0);
        EXPECT_EQ(t.ball.fy, 8784);
    }
    {
        CannonTable t;  // the ball elsewhere in the tick after the release
        t.Charge(10);
        t.Key(bw::kKeySpace, false);
        t.Put(0, -5000, 0, 5);
        EXPECT_EQ(t.Simulate(), 0);
        t.BallOnWall();
        EXPECT_EQ(t.Simulate(), 1);
        EXPECT_EQ(t.ball.fy, 8784);
    }
}

// ---- holes ------------------------------------------------------------------

TEST(HoleCapture, OneHolePutsTheBallBackOnItWithARandomVelocity) {
    PlayTable t;
    bw::TablePiece* hole = t.Add(bw::kHole, 65, 50);  // fixed (0, 0)
    bw::StartGame(t.st);
    EXPECT_EQ(static_cast<bw::Hole*>(hole)->hitRadius, 256);
    Rand r;
    // R = 640 + 256 = 896: touching at exactly R, moving towards it.
    t.Put(0, -896, 0, 300);
    EXPECT_EQ(t.Simulate(), 4);
    const int32_t n = r.Next() % 1;  // 41 mod 1: this hole
    EXPECT_EQ(n, 0);
    EXPECT_EQ(t.ball.fx, 0);
    EXPECT_EQ(t.ball.fy, 0);
    EXPECT_EQ(t.ball.vx, r.Next() % 300);  // 18467 mod 300 = 167
    EXPECT_EQ(t.ball.vy, r.Next() % 300);  // 6334 mod 300 = 34
    EXPECT_EQ(t.ball.vx, 167);
    EXPECT_EQ(t.ball.vy, 34);
    EXPECT_EQ(t.st.score, 200);

    // On the centre, moving right and down: away from it, so no new capture.
    EXPECT_EQ(t.Simulate(), 0);
    EXPECT_EQ(t.st.score, 200);

    // The sequence goes on: 26500, then 19169 mod 300 = 269, 15724 mod 300
    // = 124.
    t.Put(-896, 0, 300, 0);
    EXPECT_EQ(t.Simulate(), 4);
    EXPECT_EQ(t.ball.vx, 269);
    EXPECT_EQ(t.ball.vy, 124);
    EXPECT_EQ(t.st.score, 400);
}

TEST(HoleCapture, TheDrawPicksAmongTheRootsHolesInListOrder) {
    PlayTable t;
    t.Add(bw::kHole, 30, 30);
    t.Add(bw::kObstacle10, 100, 10);
    t.Add(bw::kHole, 90, 70);
    bw::StartGame(t.st);
    t.Put(FixX(30), FixY(30) + 896, 0, -300);
    // 41 mod 2 = 1: the second hole.
    EXPECT_EQ(t.Simulate(), 4);
    EXPECT_EQ(t.ball.fx, FixX(90));
    EXPECT_EQ(t.ball.fy, FixY(70));
    EXPECT_EQ(t.ball.vx, 167);
    EXPECT_EQ(t.ball.vy, 34);
    // 26500 mod 2 = 0: back to the first.
    t.Put(FixX(90) + 896, FixY(70), -300, 0);
    EXPECT_EQ(t.Simulate(), 4);
    EXPECT_EQ(t.ball.fx, FixX(30));
    EXPECT_EQ(t.ball.fy, FixY(30));
    EXPECT_EQ(t.st.score, 400);
}

TEST(HoleCapture, NoCaptureWithoutHolesAtTheTopOrWhenMovingAway) {
    PlayTable t;
    auto* group = static_cast<bw::PieceGroup*>(t.Add(bw::kGroup, 0, 0));
    bw::CreatePiece(group, bw::kHole, 65, 50);
    bw::StartGame(t.st);
    EXPECT_EQ(t.table.root->holeCount, 0);
    t.Put(0, -896, 0, 300);
    EXPECT_EQ(t.Simulate(), 0);
    EXPECT_EQ(t.ball.vy, 300);
    EXPECT_EQ(t.st.score, 0);

    PlayTable u;
    u.Add(bw::kHole, 65, 50);
    bw::StartGame(u.st);
    u.Put(0, -896, 0, -300);
    EXPECT_EQ(u.Simulate(), 0);
    // Nothing was drawn: the first capture still gets the first values.
    u.Put(0, -896, 0, 300);
    EXPECT_EQ(u.Simulate(), 4);
    EXPECT_EQ(u.ball.vx, 167);
}

// ---- several pieces in one tick ---------------------------------------------

TEST(TickOrder, EachPieceActsOnTheBallAsThePiecesBeforeItLeftIt) {
    // Obstacle at (65, 50), hole at (65, 39): fixed y -2816, 896 above the
    // ball at (0, -1920), which falls onto the obstacle.
    {
        PlayTable t;
        t.Add(bw::kObstacle10, 65, 50);
        t.Add(bw::kHole, 65, 39);
        bw::StartGame(t.st);
        t.Put(0, -1920, 0, 300);
        // The kick sends the ball up at -480, into the hole listed after it.
        EXPECT_EQ(t.Simulate(), 4);  // 4 outranks 3
        EXPECT_EQ(t.ball.fx, 0);
        EXPECT_EQ(t.ball.fy, -2816);
        EXPECT_EQ(t.ball.vx, 167);
        EXPECT_EQ(t.ball.vy, 34);
        EXPECT_EQ(t.st.score, 210);
    }
    {
        PlayTable t;
        t.Add(bw::kHole, 65, 39);
        t.Add(bw::kObstacle10, 65, 50);
        bw::StartGame(t.st);
        t.Put(0, -1920, 0, 300);
        // The hole comes first and the ball still falls away from it.
        EXPECT_EQ(t.Simulate(), 3);
        EXPECT_EQ(t.ball.fy, -1920);
        EXPECT_EQ(t.ball.vy, -480);
        EXPECT_EQ(t.st.score, 10);
    }
}

// ---- the play tick ----------------------------------------------------------

TEST(TickPlay, BallLeavingTheTableIsPutBackOnTheCannon) {
    CannonTable t;
    // x = 125 (fixed 15360) is on the table and stays there.
    t.Put(FixX(125), 0, 0, 0);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.x, 125);
    EXPECT_EQ(t.ball.fx, FixX(125));
    EXPECT_EQ(t.ball.vy, 5);
    // 15615 + 300 = 15915: x = 62 + 65 = 127, off.
    t.Put(FixX(125) + 255, 0, 300, 0);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fx, FixX(60));
    EXPECT_EQ(t.ball.fy, FixY(85));
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, 0);
    EXPECT_EQ(t.ball.x, 60);
    EXPECT_EQ(t.ball.y, 85);
}

TEST(TickPlay, OffTableTestUsesThePositionBeforeTheCollisions) {
    CannonTable t;
    t.Add(bw::kHole, 1, 50);  // fixed (-16384, 0)
    bw::StartGame(t.st);
    // After the step fx = -16641: x = -66 + 65 = -1, off the table. The hole
    // still captures (dx = -257, moving right) and puts the ball on the
    // table, but the test reads the position from before the collisions.
    t.Put(-16700, 0, 59, 0);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.st.score, 200);
    EXPECT_EQ(t.ball.fx, FixX(60));
    EXPECT_EQ(t.ball.fy, FixY(85));
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, 0);
}

TEST(TickPlay, BallRestsOnTheCannonUntilSpaceIsReleased) {
    CannonTable t;
    // Tick 1: vy 5 after the step; push-out to 8848, slide to rest,
    // push-back by -64 to 8784. Tick 2: push-out from -688 by -32 to 8752,
    // push-back from -720 by -16 to 8736. From then on the walk's first step
    // reaches R = 768 at once and the ball stays.
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fy, 8784);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fy, 8736);
    for (int i = 0; i < 50; ++i) bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fx, FixX(60));
    EXPECT_EQ(t.ball.fy, 8736);
    EXPECT_EQ(t.ball.vx, 0);
    EXPECT_EQ(t.ball.vy, 0);
    t.Charge(15);
    t.Key(bw::kKeySpace, false);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fy, 8736);
    EXPECT_EQ(t.ball.vy, -480);
    bw::PlayTick(t.st, false);
    EXPECT_EQ(t.ball.fy, 8736 - 480);
    EXPECT_EQ(t.ball.vy, -475);
    EXPECT_EQ(t.st.score, 0);
}

// ---- extreme inputs in whole ticks ------------------------------------------

TEST(TickExtremes, AnyBallStateEndsTheTickOnTheTable) {
    const int32_t positions[][2] = {{0, 0},
                                    {FixX(55), FixY(79)},
                                    {FixX(2), FixY(98)},
                                    {1 << 24, -(1 << 24)},
                                    {INT32_MAX, INT32_MIN}};
    const int32_t speeds[] = {INT32_MIN, -1000000, 0, 1000000, INT32_MAX};
    for (const auto& p : positions) {
        for (int32_t vx : speeds) {
            for (int32_t vy : speeds) {
                PlayTable t;
                // Every piece at least 5 pixels inside the table, so that no
                // push-out can carry the ball over the edge.
                auto* border = static_cast<bw::PieceGroup*>(t.Add(bw::kBorderStart, 5, 5));
                bw::CreatePiece(border, bw::kBorderSegment, 5, 95);
                bw::CreatePiece(border, bw::kBorderSegment, 120, 95);
                bw::CreatePiece(border, bw::kBorderSegment, 120, 5);
                t.Add(bw::kObstacle10, 30, 30);
                t.Add(bw::kObstacle50, 65, 50);
                t.Add(bw::kHole, 90, 20);
                t.Add(bw::kHole, 20, 60);
                t.Add(bw::kLeftFlipper, 50, 80);
                t.Add(bw::kRightFlipper, 80, 80);
                t.Add(bw::kCannon, 110, 85);
                bw::StartGame(t.st);
                t.Put(p[0], p[1], vx, vy);
                for (int tick = 0; tick < 4; ++tick) {
                    t.Key(tick % 2 ? bw::kKeyZ : bw::kKeySpace, tick < 2);
                    t.Key(bw::kKeyX, tick % 2 == 0);
                    bw::PlayTick(t.st, true);
                    ASSERT_FALSE(bw::BallOffTable(t.ball))
                        << p[0] << "," << p[1] << " v " << vx << "," << vy << " tick " << tick;
                }
            }
        }
    }
}

}  // namespace
