// The playtest and replays as a designer meets them: what the check finds
// on tables made to have a fault, the same report for the same seed, and
// replays that are refused when they are not what they claim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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
    // The text: the findings, then the figures (which the check window shows apart).
    EXPECT_EQ(ReportText(r), "unreached: obstacle100 at (64, 31)\n" + FiguresText(r));
    EXPECT_EQ(FiguresText(r).rfind("games: 200, ", 0), 0u) << FiguresText(r);
    EXPECT_NE(FiguresText(r).find("\nmost hit: "), std::string::npos) << FiguresText(r);
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
    EXPECT_EQ(ReportText(r), "unreached: obstacle10 at (20, 20)\ntrap: " + TrapText(r, t) + "\n" + FiguresText(r));
    // A tick is 20 ms: the trap's time in seconds, to a tenth.
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, " ticks (%.1f s)", static_cast<double>(t.ticks / 5) / 10);
    EXPECT_NE(TrapText(r, t).find(std::to_string(t.ticks) + seconds), std::string::npos) << TrapText(r, t);
    EXPECT_EQ(FiguresText(r).rfind("games: 5, ", 0), 0u) << FiguresText(r);
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
    EXPECT_EQ(r.drainedBallTicksMedian, r.ballTicksMedian);  // every ball drained
    EXPECT_EQ(r.pieces[0].hits, 300u);
}

TEST(Playtest, BallThatNeverDrainsIsAFindingOverALimitLongEnoughToTell) {
    std::ifstream f(std::string(BW_SOURCE_DIR) + "/tests/core/data/endless.txt");
    const std::string endless{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    const PlaytestReport r = Check(endless, 50);
    EXPECT_EQ(r.endless, 50);
    EXPECT_EQ(r.drains, 0);
    EXPECT_TRUE(r.traps.empty());
    EXPECT_TRUE(r.HasFindings());
    EXPECT_EQ(EndlessText(r), "the ball never drains: 50 of 50 games reached 3,000 ticks");
    EXPECT_EQ(ReportText(r), EndlessText(r) + "\n" + FiguresText(r));
    EXPECT_NE(ReportJson(r).find("\n  \"endless\": 50,\n  \"never_drains\": true,\n"), std::string::npos) << ReportJson(r);
    // The ball in play lasted as long as its game.
    EXPECT_EQ(r.ballTicksMean, 3000);
    EXPECT_EQ(r.ballTicksMedian, 3000);
    EXPECT_EQ(r.drainedBallTicksMedian, 0);  // none did

    // The classic table, whose ball lasts about 1,160 ticks, cut short at
    // 100: no ball drained so soon, which tells nothing more.
    PlaytestOptions o;
    o.games = 20;
    o.ticks = 100;
    const PlaytestReport cut = RunPlaytest(*FromText(Example("classic.txt"))->root, o);
    EXPECT_EQ(cut.endless, 20);
    EXPECT_FALSE(cut.EndlessFinding());
    EXPECT_EQ(ReportText(cut).find("never drains"), std::string::npos) << ReportText(cut);
    EXPECT_NE(FiguresText(cut).find("\n20 of 20 games reached 100 ticks without a drain, too few to tell whether the ball drains\n"),
              std::string::npos) << FiguresText(cut);
    EXPECT_NE(ReportJson(cut).find("\"never_drains\": false,"), std::string::npos);

    // Games reaching the limit without a drain make the finding when they
    // are half the games or more, over a limit of 1,500 ticks or more and
    // at least 4 times the median life of the balls that drained.
    const struct {
        int64_t endless, games, limit, drainedMedian;
        bool finding, undrainedLine;
    } cases[] = {
        {0, 100, 3000, 400, false, false},   {1, 100, 3000, 400, false, false}, {49, 100, 3000, 0, false, false},
        {50, 100, 3000, 0, true, false},     {100, 100, 3000, 750, true, false}, {100, 100, 3000, 751, false, true},
        {60, 100, 1500, 375, true, false},   {60, 100, 1499, 0, false, true},   {20, 20, 100, 0, false, true},
        {1234, 1234, 2500, 0, true, false},
    };
    for (const auto& c : cases) {
        PlaytestReport some;
        some.games = c.games;
        some.endless = c.endless;
        some.tickLimit = c.limit;
        some.drainedBallTicksMedian = c.drainedMedian;
        const std::string figures = FiguresText(some);
        SCOPED_TRACE(figures);
        EXPECT_EQ(some.EndlessFinding(), c.finding);
        EXPECT_EQ(some.HasFindings(), c.finding);
        EXPECT_EQ(figures.find(UndrainedText(some)) != std::string::npos, c.undrainedLine);
    }
    PlaytestReport some;
    some.endless = 1234;
    some.games = 1234;
    some.tickLimit = 2500;
    EXPECT_EQ(EndlessText(some), "the ball never drains: 1,234 of 1,234 games reached 2,500 ticks");
    EXPECT_EQ(UndrainedText(some), "1,234 of 1,234 games reached 2,500 ticks without a drain, too few to tell whether the ball drains");
}

// Games played in ranges, by playtests of their own, merge into the report
// of all the games in one: what each game adds, a touch that runs on from
// one game into the next, the traps in the order they were found.
TEST(Playtest, GamesPlayedInRangesMakeTheSameReport) {
    struct Case {
        const char* name;
        std::string text;
        int64_t games;
    } const cases[] = {
        {"classic", Example("classic.txt"), 40},
        {"full", Example("full.txt"), 25},
        // The ball starts touching the ledge and comes to rest on it: each
        // game's touch runs on into the next.
        {"ledge", "border 50 52, 80 52\nobstacle10 20 20\n", 6},
        // Traps of both kinds in many places, more than the report keeps.
        {"maze", "border 40 92, 2 80, 2 2, 122 2, 122 80, 86 92\ncannon 60 80\nborder 20 30, 40 34\n"
                 "border 70 30, 90 26\nborder 30 60, 50 58\nborder 80 60, 100 62\nobstacle50 60 40\n",
         30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = FromText(c.text);
        PlaytestOptions o;
        o.games = c.games;
        const PlaytestReport whole = RunPlaytest(*t->root, o);
        for (const std::vector<int64_t>& cuts : std::vector<std::vector<int64_t>>{{1}, {c.games / 2}, {1, 2, 3}, {c.games - 1}}) {
            std::vector<std::unique_ptr<Playtest>> parts;
            int64_t from = 0;
            for (int64_t cut : cuts) {
                parts.push_back(std::make_unique<Playtest>(*t->root, o, from, cut));
                from = cut;
            }
            parts.push_back(std::make_unique<Playtest>(*t->root, o, from, c.games));
            std::vector<const Playtest*> done;
            uint64_t partHits = 0;
            for (auto& p : parts) {
                while (!p->Run(5000)) {
                }
                for (const PieceFacts& f : p->Report().pieces) partHits += f.hits;
                done.push_back(p.get());
            }
            const PlaytestReport merged = MergedReport(done);
            EXPECT_EQ(ReportJson(merged), ReportJson(whole)) << cuts.size() << " cuts";
            EXPECT_EQ(ReportText(merged), ReportText(whole));
            EXPECT_EQ(merged.heat, whole.heat);
            uint64_t wholeHits = 0;
            for (const PieceFacts& f : whole.pieces) wholeHits += f.hits;
            if (std::string(c.name) == "ledge") EXPECT_EQ(partHits, wholeHits + cuts.size()) << "a touch at every cut";
        }
    }
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

    // Cut at any line end, the file is refused naming a line; whole, it
    // reads with Windows line ends too.
    for (size_t end = text.find('\n'); end + 1 < text.size(); end = text.find('\n', end + 1)) {
        EXPECT_FALSE(ReadReplay(text.substr(0, end + 1), r, error)) << text.substr(0, end + 1);
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
    const size_t tableAt = text.find("\ntable\n") + 1;
    EXPECT_FALSE(ReadReplay(text.substr(0, tableAt + 6), r, error));
    EXPECT_NE(error.find("without its last line 'end replay' (the file is cut off)"), std::string::npos) << error;
    std::string crlf;
    for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(ReadReplay(crlf, r, error)) << error;

    const std::string head = "# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\n";
    const std::string tail = "table-checksum 0000000000000000\ntable\ncannon 60 90\nend replay\n";
    std::string shifted = text;  // a piece moved in the table
    shifted.replace(shifted.find("\ncannon 115 92\n"), 15, "\ncannon 115 93\n");
    const std::string checksumLine =
        std::to_string(std::count(text.begin(), text.begin() + text.find("table-checksum"), '\n') + 1);
    struct Case {
        std::string text, message;
    } const cases[] = {
        {text.substr(0, text.find("table\n")), "missing 'table'"},
        {shifted, "line " + checksumLine + ": the table is not the one the game was played on"},
        {head + "table\ncannon 60 90\n",
         "line 5: no 'table-checksum' line before 'table' (the replay is incomplete, or was written by an older version"},
        {head + tail + "cannon 1 2\n", "line 9: nothing but comments may follow 'end replay'"},
        {"hello\n", "line 1: not a Bumpwright replay"},
        {"# Bumpwright replay\nticks 99999999999\n", "line 2: 'ticks' needs"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\nkeys 5:+Z,4:-Z\ntable\n", "line 5: key event '4:-Z' is out of order"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 0000000000000000\nkeys 5:+Q\ntable\n", "line 5: unknown key 'Q'"},
        {head + "keys 10:+Z\n" + tail, "comes after the last tick"},
        {"# Bumpwright replay\nticks 9\nscore 0\nchecksum 00000000\ntable\n", "line 4: 'checksum' needs"},
        {head + "table-checksum 0000000000000000\ntable\ncannon 60 90\nflipper 1 2\nend replay\n",
         "line 8: unknown piece \"flipper\""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadReplay(c.text, r, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

// The reports of the example tables, as recorded: the check plays the
// same games on every build and every machine.
TEST(Playtest, TheExampleTablesGiveTheirRecordedReports) {
    for (const char* name : {"classic", "full"}) {
        SCOPED_TRACE(name);
        std::ifstream f(std::string(BW_SOURCE_DIR) + "/tests/core/data/" + name + "-check-100.json");
        const std::string recorded{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        const PlaytestReport report = Check(Example((std::string(name) + ".txt").c_str()), 100);
        EXPECT_EQ(ReportJson(report), recorded);
        // The heat map: a tick of the ball for each tick played, none on the
        // top row, which the frames keep it off.
        uint64_t total = 0, top = 0;
        for (size_t i = 0; i < report.heat.size(); ++i) total += report.heat[i], top += i < kHeatWidth ? report.heat[i] : 0;
        EXPECT_EQ(total, static_cast<uint64_t>(report.ticks));
        EXPECT_EQ(top, 0u);
    }
}

TEST(Playtest, TheFindingsArePaintedWhereTheyAre) {
    PlaytestReport r;
    r.heat.assign(static_cast<size_t>(kHeatWidth) * kHeatHeight, 0);
    auto at = [&](int32_t x, int32_t y) -> uint32_t& { return r.heat[static_cast<size_t>(y) * kHeatWidth + x]; };
    at(10, 10) = 1000, at(11, 10) = 1000, at(40, 20) = 1, at(50, 30) = 40;
    r.heatMax = 1000;
    r.traps.push_back({true, 100, 60, 400, 1, {}});
    r.traps.push_back({false, 60, 80, 2000, 1, {}});
    FindingsOverlay overlay(r);
    overlay.markedTrap = 1;
    overlay.markedPiece = {150, 20, 170, 40};
    SoftSurface s(250, 200, kWhite);
    overlay.PaintUnder(s);
    overlay.PaintOver(s);
    const Color red = Rgb(200, 22, 22), pale = Rgb(255, 246, 190), trap = Rgb(220, 0, 0);
    const struct {
        int32_t x, y;
        Color c;
    } pixels[] = {
        {19, 19}, {20, 20}, {24, 20}, {23, 21},  // the hottest cells, a pixel out to the left and up, in one run
        {80, 40}, {82, 40}, {81, 41}, {30, 30},  // the coolest
        {100, 60},                                // half way up the scale
        {200, 120}, {196, 116}, {204, 124}, {205, 125}, {195, 120},  // a trap's cross: 5 each way
        {120, 160}, {109, 149}, {128, 152},                           // the marked one's: 10
        {160, 20}, {150, 30}, {170, 35}, {160, 40}, {160, 30},        // the marked piece's box
    };
    const Color expected[] = {red, red, red, kWhite, pale, pale, kWhite, kWhite, Rgb(250, 142, 42), trap, trap, trap, trap, kWhite,
                              trap, trap, trap, trap, trap, trap, trap, kWhite};
    for (size_t i = 0; i < std::size(pixels); ++i)
        EXPECT_EQ(s.At(pixels[i].x, pixels[i].y), expected[i]) << pixels[i].x << "," << pixels[i].y;
}

}  // namespace
