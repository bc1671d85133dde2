// The playtest: a table played many times by an automatic player, and what
// happened in those games (which pieces the ball reached, where it went,
// where it got stuck, how long a ball lasted, the scores).
//
// The player is deterministic from a seed. It serves by holding SPACE for
// a varied number of ticks (a key-down each tick, as auto-repeat sends
// them, so the cannon's power varies from 1 to 10) whenever the ball rests
// on the cannon, and works a side's flippers when the ball comes within
// their reach, late by a tick or two and held for a varied time; on a
// share of the approaches it does nothing at all, so that games end.
//
// A trap is the ball resting: staying within kRestBox table pixels for
// more than kRestTicks ticks (5 s of game time) without scoring; or the
// ball confined: staying within kConfineBox pixels for more than
// kConfineTicks ticks (30 s) without draining.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/paint.h"
#include "model/surface.h"
#include "model/table.h"

namespace bw {

struct PlaytestOptions {
    int64_t games = 1000;
    uint64_t seed = 1;
    int64_t ticks = 3000;       // the most ticks of one game
    int32_t drainsPerGame = 3;  // a game ends when the ball has drained this often
};

// The bounds on a playtest's size; CheckPlaytestOptions refuses more.
constexpr int64_t kMaxPlaytestGames = 100000;
constexpr int64_t kMaxPlaytestTicks = 1000000;
constexpr int64_t kMaxPlaytestTotalTicks = 200000000;

// Trap rule, in table pixels and ticks (50 ticks a second).
constexpr int32_t kRestBox = 4;
constexpr int64_t kRestTicks = 250;
constexpr int32_t kConfineBox = 24;
constexpr int64_t kConfineTicks = 1500;
// A ball at rest this long will not move again: the game ends there.
constexpr int64_t kGiveUpTicks = 1000;
// The ball never drains when half the games or more reach the tick limit
// without a drain, and the limit is long enough for that to tell: at least
// kEndlessTicks (30 s of play) and at least kEndlessLives times as long as
// the balls that did drain lasted (their median). Games cut short sooner
// only say that no ball drained so soon.
constexpr int64_t kEndlessTicks = 1500;
constexpr int64_t kEndlessLives = 4;

// The heat map's grid: one cell per table pixel of the playfield, its
// right and bottom edges included.
constexpr int32_t kHeatWidth = kTableWidth + 1;
constexpr int32_t kHeatHeight = kTableHeight + 1;

// False with a message when the options are out of bounds.
bool CheckPlaytestOptions(const PlaytestOptions& options, std::string& error);

// A piece as the report names it: a border (its start point), an obstacle,
// a hole, a flipper, the cannon or a segment standing alone. Pieces are
// numbered in tree order; ReportedPieces gives them for any table.
struct PieceFacts {
    std::string kind;  // as the text form names it
    int32_t x = 0, y = 0;
    uint64_t hits = 0;    // touches: runs of ticks in contact
    bool target = false;  // an obstacle, hole or flipper: the ball should reach it
};

struct Trap {
    bool resting = true;  // resting, or else confined to a region
    int32_t x = 0, y = 0;  // the middle of the place, table pixels
    int64_t ticks = 0;     // the longest stay
    int64_t games = 0;     // games in which the ball stayed there
    std::vector<int32_t> nearby;  // pieces around the place (indices into pieces)
};

struct PlaytestReport {
    int64_t games = 0;
    int64_t ticks = 0;  // played in all
    int64_t drains = 0;
    int64_t captures = 0;  // hole captures
    int64_t gamesEndedByTrap = 0;
    // Games that reached the tick limit (`tickLimit`) without a drain. A
    // good player keeps the ball up that long now and then; when half the
    // games or more do, over a limit long enough to tell, the ball never
    // drains: a finding (EndlessFinding).
    int64_t endless = 0;
    int64_t tickLimit = 0;
    // Ticks a ball lasted, from the start or the last drain to a drain, or
    // to the end of its game for a ball that never drained.
    int64_t ballTicksMean = 0, ballTicksMedian = 0;
    // The same for the balls that drained alone: the median (0: none did).
    int64_t drainedBallTicksMedian = 0;
    // Scores per game: the mean in tenths, the median and the 90th percentile.
    uint64_t scoreMeanTenths = 0;
    uint32_t scoreMedian = 0, scoreP90 = 0;
    std::vector<PieceFacts> pieces;
    std::vector<Trap> traps;
    std::vector<uint32_t> heat;  // ticks the ball spent on each cell, row by row
    uint32_t heatMax = 0;

    std::vector<int32_t> Unreached() const;  // indices of targets never hit
    // Half the games or more reached the limit without a drain.
    bool MostGamesUndrained() const { return endless > 0 && endless * 2 >= games; }
    // ... and the limit is long enough to tell: the ball never drains.
    bool EndlessFinding() const {
        return MostGamesUndrained() && tickLimit >= kEndlessTicks && tickLimit >= kEndlessLives * drainedBallTicksMedian;
    }
    bool HasFindings() const { return !traps.empty() || EndlessFinding() || !Unreached().empty(); }
};

// The pieces the report names, in its order.
std::vector<const TablePiece*> ReportedPieces(const TableRoot& root);

// A playtest that can run in slices: the window runs a slice between
// messages, the tool all at once. The table is copied at construction and
// never touched again.
//
// The games are independent (each is seeded from its number), so a
// playtest may play a range of them only, and the playtests of
// consecutive ranges make together the report of all of them, the same as
// one playtest of the whole range gives (MergedReport). Each playtest
// keeps a table of its own: those of different ranges may run at the same
// time on different threads.
class Playtest {
public:
    Playtest(const TableRoot& table, const PlaytestOptions& options);
    // Games [firstGame, endGame) of those the options describe.
    Playtest(const TableRoot& table, const PlaytestOptions& options, int64_t firstGame, int64_t endGame);
    ~Playtest();
    Playtest(const Playtest&) = delete;
    Playtest& operator=(const Playtest&) = delete;

    // Plays on for about `tickBudget` ticks; true when every game of its
    // range is over.
    bool Run(int64_t tickBudget);
    bool Done() const;
    int64_t GamesDone() const;
    int64_t Games() const;
    // The report (complete once Done).
    PlaytestReport Report() const;

private:
    friend PlaytestReport MergedReport(const std::vector<const Playtest*>& parts);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The report of playtests of consecutive ranges of games, given in game
// order, each Done: per-game figures in game order, a touch running on
// across the boundary of two ranges counted once, trap places gathered in
// the order they were found.
PlaytestReport MergedReport(const std::vector<const Playtest*>& parts);

PlaytestReport RunPlaytest(const TableRoot& table, const PlaytestOptions& options);

// A whole number with its thousands separated by commas: "3,000".
std::string Grouped(int64_t n);
// The finding on games that never end: "the ball never drains: 50 of 50
// games reached 3,000 ticks".
std::string EndlessText(const PlaytestReport& report);
// What games cut short by a limit too short to tell say, among the figures:
// "20 of 20 games reached 100 ticks without a drain, too few to tell
// whether the ball drains".
std::string UndrainedText(const PlaytestReport& report);

// The report for a person: findings first, then the figures.
std::string ReportText(const PlaytestReport& report);
// The figures alone, as ReportText ends: games and ticks, scores, drains
// (and UndrainedText when it applies), the piece hit most.
std::string FiguresText(const PlaytestReport& report);
// The same facts for scripts.
std::string ReportJson(const PlaytestReport& report);
// One line for a trap: "the ball rests at (X, Y) ..." with its pieces.
std::string TrapText(const PlaytestReport& report, const Trap& trap);

// The findings over the table: under the pieces the heat map, white where
// the ball never went, through yellow to red where it spent the most time;
// over them the trap places, crossed out (`markedTrap`, when one, larger),
// and the marked piece framed.
class FindingsOverlay final : public Overlay {
public:
    explicit FindingsOverlay(const PlaytestReport& report) : report_(report) {}
    void PaintUnder(Surface& target) const override;
    void PaintOver(Surface& target) const override;

    int markedTrap = -1;
    Rect markedPiece{};  // window pixels; empty: none

private:
    const PlaytestReport& report_;
};

}  // namespace bw
