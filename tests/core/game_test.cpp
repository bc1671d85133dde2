// Whole games on the example tables: what a player notices, and replays
// that must stay identical tick for tick.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/soft_surface.h"
#include "physics/game.h"
#include "physics/key_script.h"

namespace {

using namespace bw;

std::string ExamplePath(const std::string& name) { return std::string(BW_BINARY_DIR) + "/examples/" + name; }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The key script of an example, without its comment lines.
std::string KeyScript(const std::string& name) {
    return KeyScriptFromFileText(ReadText(std::string(BW_SOURCE_DIR) + "/examples/" + name + ".keys"));
}

struct TickState {
    int64_t tick;
    int32_t fx, fy, vx, vy;
    uint32_t score;
};

// A game driven exactly as bwtool simulate drives it.
class Game {
public:
    explicit Game(const std::string& example) : table_(loader_) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(ReadFileBytes(ExamplePath(example + ".bwt"), kMaxFileBytes, bytes, error)) << error;
        EXPECT_TRUE(LoadTableBytes(*table_.root, bytes).accepted);
        StartGame(table_.state);
    }
    void Key(int32_t vk, bool down) { SendKey(table_.state, vk, down); }
    TickState Tick() {
        PlayTick(table_.state, false);
        table_.root->dirtyRegion.SetEmpty();
        const Ball& b = *table_.state.ball;
        return {++tick_, b.fx, b.fy, b.vx, b.vy, static_cast<uint32_t>(table_.state.score)};
    }
    Ball& ball() { return *table_.state.ball; }
    TableState& state() { return table_.state; }
    TableRoot& root() { return *table_.root; }

private:
    BuiltinImageLoader loader_;
    Table table_;
    int64_t tick_ = 0;
};

int32_t TableX(int32_t fx) { return (fx >> 8) + 65; }
int32_t TableY(int32_t fy) { return (fy >> 8) + 50; }

std::string RunTool(const std::string& args) {
    const std::string cmd = std::string(BW_BWTOOL) + " " + args + " 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// ---- serving from the cannon ----------------------------------------------

TEST(Serve, BallRestsOnTheCannonUntilSpaceIsReleased) {
    Game g("classic");  // cannon at (115, 92): the ball starts at (115, 87)
    EXPECT_EQ(g.ball().fx, (115 - 65) * 256);
    EXPECT_EQ(g.ball().fy, (92 - 55) * 256);
    for (int t = 0; t < 50; ++t) g.Tick();
    // Resting on the top wall (y 89), 3 pixels of contact distance above it.
    EXPECT_EQ(TableX(g.ball().fx), 115);
    EXPECT_EQ(TableY(g.ball().fy), 86);
    EXPECT_EQ(g.ball().vy, 0);
    for (int k = 0; k < 15; ++k) g.Key(kKeySpace, true);  // held: auto-repeat
    for (int t = 0; t < 20; ++t) g.Tick();
    EXPECT_EQ(TableY(g.ball().fy), 86) << "charging does not fire";
    g.Key(kKeySpace, false);
    const TickState shot = g.Tick();
    EXPECT_EQ(shot.vy, -480) << "full power: -48 per step of power";
    for (int t = 0; t < 30; ++t) g.Tick();
    EXPECT_LT(TableY(g.ball().fy), 60) << "the ball has gone up the lane";
}

TEST(Serve, WeakShotIsProportionalToTheCharge) {
    Game g("classic");
    g.Tick();
    for (int k = 0; k < 3; ++k) g.Key(kKeySpace, true);
    g.Tick();
    g.Key(kKeySpace, false);
    EXPECT_EQ(g.Tick().vy, -144);
}

TEST(Serve, AnotherKeyBetweenReleaseAndTickLosesTheShot) {
    Game g("classic");
    g.Tick();
    for (int k = 0; k < 10; ++k) g.Key(kKeySpace, true);
    g.Key(kKeySpace, false);
    g.Key(kKeyZ, true);  // recomputes the cannon's pending release
    g.Tick();
    EXPECT_GE(g.ball().vy, 0);
    EXPECT_EQ(TableY(g.ball().fy), 86);
}

// ---- flippers ---------------------------------------------------------------

TEST(Flippers, BallDroppingOnAFlipperIsStruckWhenItsKeyGoesDown) {
    Game g("classic");  // left flipper pivot (44, 85), tip (54, 90) at rest
    Ball& b = g.ball();
    b.fx = (50 - 65) * 256;
    b.fy = (82 - 50) * 256;
    b.vx = 0;
    b.vy = 200;
    g.Key(kKeyZ, true);
    const TickState t = g.Tick();
    EXPECT_LT(t.vy, -300) << "struck upwards";
    EXPECT_LT(TableY(t.fy), 82) << "put above the raised blade";
}

TEST(Flippers, WithoutTheKeyTheBallRollsOffTheBlade) {
    Game g("classic");
    Ball& b = g.ball();
    b.fx = (50 - 65) * 256;
    b.fy = (82 - 50) * 256;
    b.vx = 0;
    b.vy = 200;
    int32_t lowestVy = 0;
    for (int t = 0; t < 40; ++t) lowestVy = std::min(lowestVy, g.Tick().vy);
    EXPECT_GT(lowestVy, -300) << "only damped bounces, no stroke";
}

// ---- holes -------------------------------------------------------------------

TEST(Holes, ABallFallingIntoAHoleIsMovedToAHoleAndScores200) {
    Game g("classic");  // holes at (18, 52) and (92, 52)
    Ball& b = g.ball();
    b.fx = (18 - 65) * 256;
    b.fy = (50 - 50) * 256;
    b.vx = 0;
    b.vy = 100;
    const TickState t = g.Tick();
    EXPECT_EQ(t.score, 200u);
    const bool onFirst = t.fx == (18 - 65) * 256 && t.fy == (52 - 50) * 256;
    const bool onSecond = t.fx == (92 - 65) * 256 && t.fy == (52 - 50) * 256;
    EXPECT_TRUE(onFirst || onSecond);
    EXPECT_GE(t.vx, 0);
    EXPECT_LT(t.vx, 300);
    EXPECT_GE(t.vy, 0);
    EXPECT_LT(t.vy, 300);
}

// ---- leaving the table --------------------------------------------------------

TEST(Drain, ABallLeavingTheTableReturnsToTheCannon) {
    Game g("classic");
    Ball& b = g.ball();
    b.fx = (63 - 65) * 256;  // between the flippers' tips
    b.fy = (100 - 50) * 256;  // y 100 is still on the table; one step takes it to 101
    b.vx = 0;
    b.vy = 480;
    const TickState t = g.Tick();
    EXPECT_EQ(t.fx, (115 - 65) * 256);
    EXPECT_EQ(t.fy, (92 - 55) * 256);
    EXPECT_EQ(t.vx, 0);
    EXPECT_EQ(t.vy, 0);
    EXPECT_EQ(t.score, 0u);
}

TEST(Drain, OnTheEmptyTableTheBallFallsFromTheMiddleAndStartsAgain) {
    Game g("empty");
    TickState t{};
    int resets = 0;
    int32_t lastFy = g.ball().fy;
    for (int i = 0; i < 400; ++i) {
        t = g.Tick();
        if (t.fy < lastFy) ++resets;
        lastFy = t.fy;
    }
    EXPECT_GE(resets, 2);
    EXPECT_EQ(t.fx, 0);
    EXPECT_EQ(t.score, 0u);
}

// ---- scoring -------------------------------------------------------------------

// Every rise of the score is the points of pieces the ball is touching.
TEST(Score, GrowsOnlyByThePointsOfWhatWasHit) {
    Game g("classic");
    std::vector<KeyEvent> events;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(KeyScript("classic"), events, error)) << error;
    size_t next = 0;
    uint32_t last = 0;
    int rises = 0;
    for (int64_t tick = 1; tick <= 4000; ++tick) {
        while (next < events.size() && events[next].tick == tick) {
            g.Key(events[next].virtualKey, events[next].down);
            ++next;
        }
        const int32_t bx = g.ball().fx, by = g.ball().fy;
        const TickState t = g.Tick();
        const uint32_t delta = t.score - last;
        last = t.score;
        if (delta == 0) continue;
        ++rises;
        // The points of every scoring piece within reach of the ball in this tick.
        uint32_t reach = 0;
        for (TablePiece* c = g.root().FirstChild(); c; c = c->next.get()) {
            const uint32_t points = c->kind == kHole ? 200u : static_cast<uint32_t>(Obstacle::PointsFor(c->kind));
            if (points == 0) continue;
            const auto& p = static_cast<const RoundPiece&>(*c);
            const int64_t dx = int64_t{bx} - p.fx, dy = int64_t{by} - p.fy;
            const int64_t r = 640 + p.hitRadius + 2 * 480;
            if (dx * dx + dy * dy <= r * r) reach += points;
        }
        EXPECT_LE(delta, reach) << "tick " << tick << ": +" << delta << " with nothing of that worth in reach";
        EXPECT_TRUE(delta % 10 == 0) << "tick " << tick;
    }
    EXPECT_GT(rises, 10) << "the key script plays the table";
}

// ---- replays -------------------------------------------------------------------

// The headless tool and the in-process game are one implementation: their
// traces agree tick for tick, to the character.
TEST(Replay, ToolTraceMatchesTheGame) {
    const std::string keys = KeyScript("classic");
    const std::string out =
        RunTool("simulate " + ExamplePath("classic.bwt") + " --ticks 1500 --keys " + keys + " --trace");
    Game g("classic");
    std::vector<KeyEvent> events;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(keys, events, error));
    std::ostringstream expect;
    size_t next = 0;
    uint32_t score = 0;
    for (int64_t tick = 1; tick <= 1500; ++tick) {
        while (next < events.size() && events[next].tick == tick) {
            g.Key(events[next].virtualKey, events[next].down);
            ++next;
        }
        const TickState t = g.Tick();
        score = t.score;
        expect << t.tick << ' ' << t.fx << ' ' << t.fy << ' ' << t.vx << ' ' << t.vy << ' ' << t.score << '\n';
    }
    expect << "score " << score << '\n';
    EXPECT_EQ(out, expect.str());
}

// Full traces of the examples with their key scripts, reviewed and kept: any
// change to the game's arithmetic shows up here.
class GoldenTrace : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenTrace, ReplayIsUnchanged) {
    const std::string name = GetParam();
    const std::string golden = std::string(BW_SOURCE_DIR) + "/tests/golden/" + name + ".trace";
    const std::string expected = ReadText(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    // The first line of the golden file holds the arguments.
    const std::string args = expected.substr(2, expected.find('\n') - 2);
    const std::string out = RunTool("simulate " + ExamplePath(args) + " --trace");
    EXPECT_EQ("# " + args + "\n" + out, expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenTrace, ::testing::Values("classic", "full", "empty"));

// ---- the command-line contract ----------------------------------------------------

TEST(SimulateTool, PrintsOnlyTheScoreWithoutTrace) {
    EXPECT_EQ(RunTool("simulate " + ExamplePath("empty.bwt") + " --ticks 10"), "score 0\n");
}

TEST(SimulateTool, EventsBeyondTheLastTickAndZeroTicksAreFine) {
    EXPECT_EQ(RunTool("simulate " + ExamplePath("classic.bwt") + " --ticks 0 --keys 5:+Z"), "score 0\n");
}

TEST(SimulateTool, RefusesBadArgumentsWithExitStatus2) {
    const std::string table = ExamplePath("classic.bwt");
    for (const std::string args : {std::string("simulate"), "simulate " + table,
                                   "simulate " + table + " --ticks -1", "simulate " + table + " --ticks 1x",
                                   "simulate " + table + " --ticks 3 --keys 1:+Q",
                                   "simulate " + table + " --ticks 3 --keys 0:+Z",
                                   "simulate " + table + " --ticks 3 --keys 1+Z",
                                   "simulate " + table + " --ticks 3 --keys 1:Z",
                                   "simulate " + table + " --ticks 3 --keys 1:+Z,",
                                   "simulate " + table + " --ticks 3 --bogus"}) {
        const int status = std::system((std::string(BW_BWTOOL) + " " + args + " >/dev/null 2>&1").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
    }
}

TEST(SimulateTool, ANonTableIsRefusedAsDumpRefusesIt) {
    const std::string path = std::string(BW_BINARY_DIR) + "/not-a-table.bwt";
    std::ofstream(path) << "hello";
    EXPECT_EQ(RunTool("simulate " + path + " --ticks 5"), "This is not a Bumpwright file\n");
}

TEST(SimulateTool, KeysApplyBeforeTheirTickInTheOrderGiven) {
    // Cannon charged to 4; before tick 5 SPACE is released and Z pressed. A
    // key message after the release cancels the pending shot; one before it
    // does not, and as it arrives while SPACE is held it adds a fifth step.
    std::string charge;
    for (int t = 1; t <= 4; ++t) charge += std::to_string(t) + ":+SPACE,";
    const std::string table = ExamplePath("classic.bwt");
    const std::string lost = RunTool("simulate " + table + " --ticks 5 --keys " + charge + "5:-SPACE,5:+Z --trace");
    const std::string fired = RunTool("simulate " + table + " --ticks 5 --keys " + charge + "5:+Z,5:-SPACE --trace");
    EXPECT_NE(fired.find("\n5 12800 9248 0 -240 0\n"), std::string::npos) << fired;
    EXPECT_NE(lost.find("\n5 12800 9248 0 0 0\n"), std::string::npos) << lost;
}

}  // namespace
