// The playtest and replays as a designer meets them: what the check finds
// on tables made to have a fault, the same report for the same seed, and
// replays that are refused when they are not what they claim.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "games/replay.h"
#include "files/table_text.h"
#include "games/playtest.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;

std::unique_ptr<Table> FromText(const std::string& text) {
    auto t = bwtest::NewTable();
    std::string error;
    EXPECT_TRUE(TextToTable(text, *t->root, error)) << error;
    return t;
}

std::string Example(const char* name) {
    std::ifstream f(std::string(BW_SOURCE_DIR) + "/examples/" + name);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

PlaytestReport Check(const std::string& text, int64_t games, uint64_t seed = 1) {
    PlaytestOptions o;
    o.games = games;
    o.seed = seed;
    return RunPlaytest(*FromText(text)->root, o);
}

TEST(Playtest, WalledOffObstacleIsUnreached) {
    // The classic table with a diamond closed on all sides round one obstacle.
    const PlaytestReport r = Check(Example("classic.txt") + "border 64 22, 73 31, 64 40, 55 31, 64 22\nobstacle100 64 31\n", 200);
    ASSERT_EQ(r.Unreached().size(), 1u);
    const PieceFacts& p = r.pieces[static_cast<size_t>(r.Unreached()[0])];
    EXPECT_EQ(p.kind, "obstacle100");
    EXPECT_EQ(p.x, 64);
    EXPECT_EQ(p.y, 31);
    EXPECT_TRUE(r.traps.empty());
    EXPECT_NE(ReportJson(r).find("\"unreached\": [\n    {\"kind\": \"obstacle100\", \"x\": 64, \"y\": 31}]"), std::string::npos);
}

TEST(Playtest, LedgeThatHoldsTheBallIsATrap) {
    // No cannon: the ball starts at (65, 50) and falls onto a flat ledge.
    const PlaytestReport r = Check("border 50 60, 80 60\nobstacle10 20 20\n", 5);
    ASSERT_EQ(r.traps.size(), 1u);
    const Trap& t = r.traps[0];
    EXPECT_TRUE(t.resting);
    EXPECT_NEAR(t.x, 65, 2);
    EXPECT_GE(t.y, 53);
    EXPECT_LE(t.y, 60);
    EXPECT_EQ(t.games, 5);
    EXPECT_EQ(r.gamesEndedByTrap, 5);
    ASSERT_EQ(t.nearby.size(), 1u);
    EXPECT_EQ(r.pieces[static_cast<size_t>(t.nearby[0])].kind, "border");
    EXPECT_TRUE(r.HasFindings());
}

TEST(Playtest, OpenTableWithoutFlippersDrainsEveryBall) {
    // No cannon: the ball starts at (65, 50), glances off an obstacle and
    // leaves by the open bottom.
    const PlaytestReport r = Check("obstacle50 62 70\nobstacle10 20 30\n", 100);
    PlaytestOptions o;
    EXPECT_EQ(r.games, 100);
    EXPECT_EQ(r.drains, 100 * o.drainsPerGame);
    EXPECT_TRUE(r.traps.empty());
    EXPECT_GT(r.ballTicksMean, 0);
    EXPECT_EQ(r.pieces[0].hits, 300u);
}

TEST(Playtest, SameSeedSameReportOtherSeedOtherReport) {
    const std::string classic = Example("classic.txt");
    const PlaytestReport a = Check(classic, 60, 7), b = Check(classic, 60, 7), c = Check(classic, 60, 8);
    EXPECT_EQ(ReportJson(a), ReportJson(b));
    EXPECT_EQ(a.heat, b.heat);
    EXPECT_NE(ReportJson(a), ReportJson(c));
    // Slices of any size make the same games.
    auto t = FromText(classic);
    PlaytestOptions o;
    o.games = 60;
    o.seed = 7;
    Playtest sliced(*t->root, o);
    while (!sliced.Run(777)) {
    }
    EXPECT_EQ(ReportJson(sliced.Report()), ReportJson(a));
}

TEST(ReplayFile, TamperedReplayIsRefused) {
    auto t = FromText(Example("classic.txt"));
    std::vector<KeyEvent> events;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(KeyScriptFromFileText(Example("classic.keys")), events, error));
    ReplayRecorder rec;
    rec.Start(*t->root, t->state);
    StartGame(t->state);
    KeyPlayback play(events);
    while (play.Ticks() < 3000) {
        for (const KeyEvent& e : events)
            if (e.tick == play.Ticks() + 1) rec.Key(e.virtualKey, e.down);
        play.Tick(t->state, false);
        rec.Tick(t->state);
    }
    const std::string text = WriteReplay(rec.Finish(t->state));

    Replay r;
    ASSERT_TRUE(ReadReplay(text, r, error)) << error;
    auto again = bwtest::NewTable();
    ASSERT_TRUE(StartReplay(r, *again->root, error));
    EXPECT_TRUE(VerifyReplay(r, again->state, error)) << error;

    // A key event moved: the check names the first range that differs.
    std::string moved = text;
    moved.replace(moved.find(",1443:+Z"), 8, ",1444:+Z");
    ASSERT_TRUE(ReadReplay(moved, r, error)) << error;
    ASSERT_TRUE(StartReplay(r, *again->root, error));
    EXPECT_FALSE(VerifyReplay(r, again->state, error));
    EXPECT_NE(error.find("between ticks 1001 and 1500"), std::string::npos) << error;

    struct Case {
        std::string text, message;
    } const cases[] = {
        {text.substr(0, text.find("table\n")), "missing 'table'"},
        {"hello\n", "line 1: not a Bumpwright replay"},
        {"# Bumpwright replay\nticks 99999999999\n", "line 2: 'ticks' needs"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\nkeys 5:+Z,4:-Z\ntable\n", "line 5: key event '4:-Z' is out of order"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\nkeys 5:+Q\ntable\n", "line 5: unknown key 'Q'"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\nkeys 10:+Z\ntable\n", "comes after the last tick"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 00000000\ntable\n", "line 4: 'checksum' needs"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\ntable\ncannon 60 90\nflipper 1 2\n", "line 7: unknown piece 'flipper'"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadReplay(c.text, r, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

}  // namespace
