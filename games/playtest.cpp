#include "games/playtest.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "physics/game.h"

namespace bw {

namespace {

constexpr int32_t kMissPercent = 25;  // approaches the player lets pass
constexpr size_t kMaxTraps = 32;      // distinct trap places kept
constexpr int32_t kMaxDrainsPerGame = 100;

// The player's dice: splitmix64, the same on every machine.
uint64_t NextRandom(uint64_t& s) {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
int32_t Roll(uint64_t& s, int32_t n) { return static_cast<int32_t>(NextRandom(s) % static_cast<uint64_t>(n)); }

bool IsTarget(PieceKind k) { return k >= kObstacle10 && k <= kRightFlipper; }

// Walks the tree: `visit(piece, entry)` for every piece, with the index of
// the reported piece that its touches count for (-1 for none).
template <class Visit>
void Walk(const PieceGroup& group, int32_t owner, int32_t& count, Visit&& visit) {
    for (const TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
        int32_t entry = -1;
        const bool border = IsBorder(*c);
        if (border || c->kind == kCannon || (c->kind >= kObstacle10 && c->kind <= kRightFlipper)) {
            entry = count++;
        } else if (c->kind == kBorderSegment || c->kind == kBorderStart) {
            entry = owner >= 0 ? owner : (c->kind == kBorderSegment ? count++ : -1);
        }
        visit(*c, entry);
        if (const auto* g = AsGroup(const_cast<TablePiece*>(c))) {
            // Segments and start points count for their border or cannon;
            // other pieces within are pieces of their own.
            Walk(*g, border || c->kind == kCannon ? entry : -1, count, visit);
        }
    }
}

struct Stretch {
    int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    int64_t start = 0;
    int32_t score = 0;

    void Open(int32_t x, int32_t y, int64_t tick, int32_t s) {
        minX = maxX = x;
        minY = maxY = y;
        start = tick;
        score = s;
    }
    // Takes in a point; false when the box would grow beyond `box`.
    bool Take(int32_t x, int32_t y, int32_t box) {
        const int32_t nx0 = std::min(minX, x), nx1 = std::max(maxX, x);
        const int32_t ny0 = std::min(minY, y), ny1 = std::max(maxY, y);
        if (nx1 - nx0 > box || ny1 - ny0 > box) return false;
        minX = nx0, maxX = nx1, minY = ny0, maxY = ny1;
        return true;
    }
};

// A reach box in fixed units, for one side's flippers.
struct Reach {
    int32_t left, top, right, bottom;
    bool Holds(int32_t fx, int32_t fy) const { return fx >= left && fx <= right && fy >= top && fy <= bottom; }
};

struct Side {
    int32_t key = 0;
    std::vector<Reach> reach;
    bool approach = false;
    bool held = false;
    int64_t pressAt = -1, releaseAt = 0, hold = 0;

    bool Busy() const { return held || pressAt >= 0; }  // a key held or about to be
};

std::string Number(int64_t v) { return std::to_string(v); }

std::string Tenths(uint64_t tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

bool CheckPlaytestOptions(const PlaytestOptions& o, std::string& error) {
    if (o.games < 1 || o.games > kMaxPlaytestGames)
        error = "the number of games must be from 1 to " + Number(kMaxPlaytestGames);
    else if (o.ticks < 1 || o.ticks > kMaxPlaytestTicks)
        error = "the ticks of a game must be from 1 to " + Number(kMaxPlaytestTicks);
    else if (o.games * o.ticks > kMaxPlaytestTotalTicks)
        error = "games times ticks must be at most " + Number(kMaxPlaytestTotalTicks);
    else if (o.drainsPerGame < 1 || o.drainsPerGame > kMaxDrainsPerGame)
        error = "the drains of a game must be from 1 to " + Number(kMaxDrainsPerGame);
    else
        return true;
    return false;
}

std::vector<int32_t> PlaytestReport::Unreached() const {
    std::vector<int32_t> out;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (pieces[i].target && pieces[i].hits == 0) out.push_back(static_cast<int32_t>(i));
    return out;
}

std::vector<const TablePiece*> ReportedPieces(const TableRoot& root) {
    std::vector<const TablePiece*> out;
    int32_t count = 0;
    Walk(root, -1, count, [&](const TablePiece& p, int32_t entry) {
        if (entry == static_cast<int32_t>(out.size())) out.push_back(&p);
    });
    return out;
}

// ---- the games -------------------------------------------------------------------

struct Playtest::Impl final : ContactObserver {
    // The playtest's table never draws.
    Impl(const TableRoot& source, const PlaytestOptions& o, int64_t first, int64_t end)
        : options(o), table(NoImageLoader{}), firstGame(first), endGame(end), game(first) {
        CopyPieces(source, *table.root);
        TableState& st = table.state;
        st.contacts = this;
        st.repaint = false;
        const TablePiece* cannon = table.root->LastCannon();  // the one the ball is served above
        entryOfSerial.assign(st.nextSerial + 1, -1);
        int32_t count = 0;
        Walk(*table.root, -1, count, [&](const TablePiece& p, int32_t entry) {
            if (p.serial < entryOfSerial.size()) entryOfSerial[p.serial] = entry;
            if (entry == static_cast<int32_t>(report.pieces.size())) {
                PieceFacts f;
                if (const char* name = PieceName(p)) f.kind = name;
                const PlacedPiece& at = IsBorder(p) ? Placed(*static_cast<const PieceGroup&>(p).FirstChild())
                                                    : Placed(p);
                f.x = at.x;
                f.y = at.y;
                f.target = IsTarget(p.kind);
                report.pieces.push_back(f);
            }
            if (p.kind == kLeftFlipper || p.kind == kRightFlipper) {
                const auto& f = static_cast<const Flipper&>(p);
                const int32_t x0 = std::min(f.x, f.x + f.length) - 2, x1 = std::max(f.x, f.x + f.length) + 2;
                sides[p.kind == kLeftFlipper ? 0 : 1].reach.push_back(
                    {FixedX(x0).v, FixedY(f.y - f.rise - 10).v, FixedX(x1).v, FixedY(f.y + f.rise).v});
            }
        });
        lastTouch.assign(report.pieces.size(), -2);
        firstTouch.assign(report.pieces.size(), 0);
        sides[0].key = kKeyZ;
        sides[1].key = kKeyX;
        for (const Side& side : sides)
            for (const Reach& r : side.reach)
                reachAll = {std::min(reachAll.left, r.left), std::min(reachAll.top, r.top),
                            std::max(reachAll.right, r.right), std::max(reachAll.bottom, r.bottom)};
        if (cannon) {
            hasCannon = true;
            serveFx = FixedX(Placed(*cannon).x).v;
            serveFy = FixedY(Placed(*cannon).y - kServeAbove).v;
        }
        report.heat.assign(static_cast<size_t>(kHeatWidth) * kHeatHeight, 0);
        scores.reserve(static_cast<size_t>(endGame - firstGame));
    }

    void Contact(const TablePiece& piece, int32_t result) override {
        if (piece.serial >= entryOfSerial.size()) return;
        if (result == kHoleCapture && piece.kind == kHole) ++report.captures;
        const int32_t entry = entryOfSerial[piece.serial];
        if (entry < 0) return;
        int64_t& last = lastTouch[static_cast<size_t>(entry)];
        if (last == clock) return;
        if (last != clock - 1) ++report.pieces[static_cast<size_t>(entry)].hits;
        if (clock == 1) firstTouch[static_cast<size_t>(entry)] = 1;
        last = clock;
    }

    void BeginGame() {
        rng = options.seed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(game + 1));
        NextRandom(rng);
        TableState& st = table.state;
        StartGame(st);
        st.randomState = static_cast<uint32_t>(NextRandom(rng));
        tick = 0;
        drains = 0;
        lifeStart = 0;
        serveHold = 0;
        serving = false;
        serveAfter = 0;
        for (Side& s : sides) {
            s.approach = s.held = false;
            s.pressAt = -1;
        }
        const Ball& b = *st.ball;
        rest.Open(b.x, b.y, 0, st.score);
        confine.Open(b.x, b.y, 0, st.score);
        inGame = true;
    }

    void Key(int32_t key, bool down) { SendKey(table.state, key, down); }

    [[gnu::always_inline]] void Play() {
        const Ball& b = *table.state.ball;
        if (hasCannon) {
            // Near the cannon (resting or bouncing on it): hold SPACE for a
            // varied number of key-downs, then let go in the tick in which
            // the ball comes down onto the cannon's top (3 pixels above it
            // is touching), for the shot to catch it.
            const bool nearby = std::abs(b.fx - serveFx) <= 768 && b.fy >= serveFy - 2048 && b.fy <= serveFy + 512;
            if (serveHold > 0) {
                Key(kKeySpace, true);  // the held key's auto-repeat
                --serveHold;
            } else if (serving) {
                if (!nearby || b.fy + b.vy > serveFy - 256 || tick >= serveGiveUp) {
                    Key(kKeySpace, false);
                    serving = false;
                    serveAfter = tick + 10;
                }
            } else if (nearby && tick >= serveAfter) {
                serveHold = 1 + Roll(rng, 12);
                serving = true;
                serveGiveUp = tick + serveHold + 60;
            }
        }
        // Away from every flipper, with no key held or about to be, the
        // sides have nothing to do but note that the ball is not near.
        if (!reachAll.Holds(b.fx, b.fy) && !sides[0].Busy() && !sides[1].Busy()) {
            sides[0].approach = sides[1].approach = false;
            return;
        }
        for (Side& s : sides) {
            if (s.reach.empty()) continue;
            bool in = false;
            for (const Reach& r : s.reach) in = in || r.Holds(b.fx, b.fy);
            if (in && !s.approach && !s.held && s.pressAt < 0 && Roll(rng, 100) >= kMissPercent) {
                s.pressAt = tick + Roll(rng, 3);
                s.hold = 3 + Roll(rng, 10);
            }
            s.approach = in;
            if (s.held && tick >= s.releaseAt) {
                Key(s.key, false);
                s.held = false;
            } else if (!s.held && s.pressAt >= 0 && tick >= s.pressAt) {
                Key(s.key, true);
                s.held = true;
                s.releaseAt = tick + s.hold;
                s.pressAt = -1;
            }
        }
    }

    // Traps are gathered into places in the order they are found, when the
    // report is made (games played apart are gathered in game order).
    void AddTrap(bool resting, const Stretch& s, int64_t ticks) {
        trapsFound.push_back({resting, (s.minX + s.maxX) / 2, (s.minY + s.maxY) / 2, ticks, game});
    }

    void CloseRest() {
        if (tick - rest.start > kRestTicks) AddTrap(true, rest, tick - rest.start);
    }
    void CloseConfine() {
        if (tick - confine.start > kConfineTicks) AddTrap(false, confine, tick - confine.start);
    }

    // One tick of the current game; false when the game is over.
    [[gnu::always_inline]] bool Tick() {
        TableState& st = table.state;
        ++tick;
        ++clock;
        Play();
        const bool drained = PlayTick(st, false);
        const Ball& b = *st.ball;
        // The ball's table position, as the tick left it (b.x, b.y), from
        // its fixed position: read whole, the pair just stored stalls.
        const int32_t x = std::clamp(TableX(b.fx).v, 0, kHeatWidth - 1), y = std::clamp(TableY(b.fy).v, 0, kHeatHeight - 1);
        ++report.heat[static_cast<size_t>(y) * kHeatWidth + x];
        if (drained) {
            ++drains;
            ++report.drains;
            lives.push_back(tick - lifeStart);
            lifeStart = tick;
            CloseRest();
            CloseConfine();
            rest.Open(x, y, tick, st.score);
            confine.Open(x, y, tick, st.score);
        } else {
            if (st.score != rest.score || !rest.Take(x, y, kRestBox)) {
                CloseRest();
                rest.Open(x, y, tick, st.score);
            }
            if (!confine.Take(x, y, kConfineBox)) {
                CloseConfine();
                confine.Open(x, y, tick, st.score);
            }
        }
        if (tick - rest.start >= kGiveUpTicks) {
            ++report.gamesEndedByTrap;
            return false;
        }
        if (drains == 0 && tick >= options.ticks) ++report.endless;
        return drains < options.drainsPerGame && tick < options.ticks;
    }

    void EndGame() {
        CloseRest();
        CloseConfine();
        // The ball still in play lasted until the game ended.
        if (drains < options.drainsPerGame && tick > lifeStart) undrainedLives.push_back(tick - lifeStart);
        report.ticks += tick;
        scores.push_back(static_cast<uint32_t>(table.state.score));
        // No key is let go here: every key change has had its tick, so the
        // next game's Reset leaves nothing of this one behind.
        ++game;
        inGame = false;
    }

    PlaytestOptions options;
    Table table;
    PlaytestReport report;
    std::vector<int32_t> entryOfSerial;
    std::vector<int64_t> lastTouch;
    std::vector<uint8_t> firstTouch;  // pieces touched in the first tick played
    struct TrapFound {
        bool resting;
        int32_t x, y;
        int64_t ticks, game;
    };
    std::vector<TrapFound> trapsFound;
    std::vector<uint32_t> scores;
    std::vector<int64_t> lives;           // of the balls that drained
    std::vector<int64_t> undrainedLives;  // of the balls in play when their game ended
    Side sides[2];
    Reach reachAll{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};  // around both sides' (none: empty)
    bool hasCannon = false;
    int32_t serveFx = 0, serveFy = 0;
    int64_t firstGame = 0, endGame = 0;  // the games this one plays
    // The game under way.
    int64_t game = 0;
    bool inGame = false;
    int64_t tick = 0, clock = 0, lifeStart = 0, serveAfter = 0, serveGiveUp = 0;
    int32_t drains = 0, serveHold = 0;
    bool serving = false;
    uint64_t rng = 0;
    Stretch rest, confine;
};

Playtest::Playtest(const TableRoot& table, const PlaytestOptions& options)
    : Playtest(table, options, 0, options.games) {}

Playtest::Playtest(const TableRoot& table, const PlaytestOptions& options, int64_t firstGame, int64_t endGame)
    : impl_(std::make_unique<Impl>(table, options, std::clamp<int64_t>(firstGame, 0, options.games),
                                   std::clamp<int64_t>(endGame, std::clamp<int64_t>(firstGame, 0, options.games),
                                                       options.games))) {}

Playtest::~Playtest() = default;

bool Playtest::Run(int64_t tickBudget) {
    Impl& m = *impl_;
    while (m.game < m.endGame && tickBudget-- > 0) {
        if (!m.inGame) m.BeginGame();
        if (!m.Tick()) m.EndGame();
    }
    return Done();
}

bool Playtest::Done() const { return impl_->game >= impl_->endGame; }
int64_t Playtest::GamesDone() const { return impl_->game - impl_->firstGame; }
int64_t Playtest::Games() const { return impl_->endGame - impl_->firstGame; }

PlaytestReport Playtest::Report() const { return MergedReport({this}); }

PlaytestReport MergedReport(const std::vector<const Playtest*>& parts) {
    if (parts.empty()) return {};
    const Playtest::Impl& m = *parts.front()->impl_;
    PlaytestReport r = m.report;
    std::vector<uint32_t> scores;
    std::vector<int64_t> lives, undrained;
    const Playtest::Impl* before = nullptr;
    for (const Playtest* part : parts) {
        const Playtest::Impl& p = *part->impl_;
        if (before) {
            r.ticks += p.report.ticks;
            r.drains += p.report.drains;
            r.captures += p.report.captures;
            r.gamesEndedByTrap += p.report.gamesEndedByTrap;
            r.endless += p.report.endless;
            for (size_t i = 0; i < r.pieces.size() && i < p.report.pieces.size(); ++i) {
                r.pieces[i].hits += p.report.pieces[i].hits;
                // A touch that runs on from the games before is one touch.
                if (p.firstTouch[i] && before->lastTouch[i] == before->clock) --r.pieces[i].hits;
            }
            for (size_t i = 0; i < r.heat.size() && i < p.report.heat.size(); ++i) r.heat[i] += p.report.heat[i];
        }
        r.games += p.game - p.firstGame;
        scores.insert(scores.end(), p.scores.begin(), p.scores.end());
        lives.insert(lives.end(), p.lives.begin(), p.lives.end());
        undrained.insert(undrained.end(), p.undrainedLives.begin(), p.undrainedLives.end());
        before = &p;
    }
    r.tickLimit = m.options.ticks;
    // The trap places, gathered in the order the games found them.
    std::vector<int64_t> trapGame;
    for (const Playtest* part : parts) {
        for (const Playtest::Impl::TrapFound& f : part->impl_->trapsFound) {
            const int32_t nearby = (f.resting ? kRestBox : kConfineBox) / 2 + 2;
            bool known = false;
            for (size_t i = 0; i < r.traps.size() && !known; ++i) {
                Trap& t = r.traps[i];
                if (t.resting == f.resting && std::abs(t.x - f.x) <= nearby && std::abs(t.y - f.y) <= nearby) {
                    t.ticks = std::max(t.ticks, f.ticks);
                    if (trapGame[i] != f.game) ++t.games;
                    trapGame[i] = f.game;
                    known = true;
                }
            }
            if (known || r.traps.size() >= kMaxTraps) continue;
            Trap t;
            t.resting = f.resting;
            t.x = f.x;
            t.y = f.y;
            t.ticks = f.ticks;
            t.games = 1;
            r.traps.push_back(t);
            trapGame.push_back(f.game);
        }
    }
    if (!scores.empty()) {
        std::vector<uint32_t>& s = scores;
        std::sort(s.begin(), s.end());
        uint64_t sum = 0;
        for (uint32_t v : s) sum += v;
        const uint64_t n = s.size();
        r.scoreMeanTenths = (sum * 10 + n / 2) / n;
        r.scoreMedian = s[(n - 1) / 2];
        r.scoreP90 = s[(9 * n + 9) / 10 - 1];
    }
    std::sort(lives.begin(), lives.end());
    if (!lives.empty()) r.drainedBallTicksMedian = lives[(lives.size() - 1) / 2];
    lives.insert(lives.end(), undrained.begin(), undrained.end());
    if (!lives.empty()) {
        std::vector<int64_t>& l = lives;
        std::sort(l.begin(), l.end());
        int64_t sum = 0;
        for (int64_t v : l) sum += v;
        r.ballTicksMean = sum / static_cast<int64_t>(l.size());
        r.ballTicksMedian = l[(l.size() - 1) / 2];
    }
    for (uint32_t h : r.heat) r.heatMax = std::max(r.heatMax, h);
    // The pieces around each trap: those whose shape comes within a few
    // pixels of its place.
    const std::vector<const TablePiece*> pieces = ReportedPieces(*m.table.root);
    for (Trap& t : r.traps) {
        const int32_t reach = (t.resting ? kRestBox : kConfineBox) + 8;  // window pixels
        const Rect around{2 * t.x - reach, 2 * t.y - reach, 2 * t.x + reach + 1, 2 * t.y + reach + 1};
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Rect box = pieces[i]->region.Box();
            if (box.right <= around.left || around.right <= box.left || box.bottom <= around.top ||
                around.bottom <= box.top)
                continue;
            bool touches = false;
            for (int32_t y = around.top; y < around.bottom && !touches; y += 2)
                for (int32_t x = around.left; x < around.right && !touches; x += 2)
                    touches = pieces[i]->region.Contains(x, y);
            if (touches) t.nearby.push_back(static_cast<int32_t>(i));
        }
    }
    return r;
}

PlaytestReport RunPlaytest(const TableRoot& table, const PlaytestOptions& options) {
    Playtest test(table, options);
    while (!test.Run(1 << 20)) {
    }
    return test.Report();
}

// ---- the report ---------------------------------------------------------------------

namespace {

std::string PieceText(const PieceFacts& p) {
    return p.kind + " at (" + Number(p.x) + ", " + Number(p.y) + ")";
}

}  // namespace

std::string TrapText(const PlaytestReport& r, const Trap& t) {
    std::string s = std::string(t.resting ? "the ball rests at (" : "the ball stays around (") + Number(t.x) + ", " +
                    Number(t.y) + ") for up to " + Number(t.ticks) + " ticks (" + Tenths(static_cast<uint64_t>(t.ticks) / 5) +
                    " s) in " + Number(t.games) + (t.games == 1 ? " game" : " games");
    if (!t.nearby.empty()) {
        s += ", near ";
        for (size_t i = 0; i < t.nearby.size(); ++i) {
            if (i > 0) s += ", ";
            s += PieceText(r.pieces[static_cast<size_t>(t.nearby[i])]);
        }
    }
    return s;
}

std::string Grouped(int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -static_cast<uint64_t>(n) : static_cast<uint64_t>(n));
    std::string out = n < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string EndlessText(const PlaytestReport& r) {
    return "the ball never drains: " + Grouped(r.endless) + " of " + Grouped(r.games) + " games reached " +
           Grouped(r.tickLimit) + " ticks";
}

std::string UndrainedText(const PlaytestReport& r) {
    return Grouped(r.endless) + " of " + Grouped(r.games) + " games reached " + Grouped(r.tickLimit) +
           " ticks without a drain, too few to tell whether the ball drains";
}

std::string ReportText(const PlaytestReport& r) {
    std::string s;
    const std::vector<int32_t> unreached = r.Unreached();
    constexpr size_t kListed = 10;  // the rest are in the JSON
    for (size_t i = 0; i < unreached.size() && i < kListed; ++i)
        s += "unreached: " + PieceText(r.pieces[static_cast<size_t>(unreached[i])]) + "\n";
    if (unreached.size() > kListed)
        s += "unreached: " + Number(static_cast<int64_t>(unreached.size() - kListed)) + " more (see --json)\n";
    for (const Trap& t : r.traps) s += "trap: " + TrapText(r, t) + "\n";
    if (r.EndlessFinding()) s += EndlessText(r) + "\n";
    if (!r.HasFindings()) s += "no unreached pieces and no traps\n";
    return s + FiguresText(r);
}

std::string FiguresText(const PlaytestReport& r) {
    std::string s = "games: " + Number(r.games) + ", " + Number(r.ticks) + " ticks in all";
    if (r.gamesEndedByTrap > 0) s += ", " + Number(r.gamesEndedByTrap) + " ended with the ball at rest";
    s += "\nscore: mean " + Tenths(r.scoreMeanTenths) + ", median " + Number(r.scoreMedian) + ", 90th percentile " +
         Number(r.scoreP90) + "\n";
    s += "drains: " + Number(r.drains) + "; a ball lasts " + Number(r.ballTicksMean) + " ticks on average (median " +
         Number(r.ballTicksMedian) + "); hole captures: " + Number(r.captures) + "\n";
    if (r.MostGamesUndrained() && !r.EndlessFinding()) s += UndrainedText(r) + "\n";
    const PieceFacts* most = nullptr;
    for (const PieceFacts& p : r.pieces)
        if (p.target && (!most || p.hits > most->hits)) most = &p;
    if (most && most->hits > 0) s += "most hit: " + PieceText(*most) + ", " + Number(static_cast<int64_t>(most->hits)) + " times\n";
    return s;
}

std::string ReportJson(const PlaytestReport& r) {
    auto piece = [](const PieceFacts& p) {
        return "{\"kind\": " + JsonString(p.kind) + ", \"x\": " + Number(p.x) + ", \"y\": " + Number(p.y);
    };
    std::string s = "{\n  \"games\": " + Number(r.games) + ",\n  \"ticks\": " + Number(r.ticks) +
                    ",\n  \"drains\": " + Number(r.drains) + ",\n  \"captures\": " + Number(r.captures) +
                    ",\n  \"endless\": " + Number(r.endless) +
                    ",\n  \"never_drains\": " + (r.EndlessFinding() ? "true" : "false") +
                    ",\n  \"ball_ticks\": {\"mean\": " + Number(r.ballTicksMean) + ", \"median\": " +
                    Number(r.ballTicksMedian) + "},\n  \"score\": {\"mean\": " + Tenths(r.scoreMeanTenths) +
                    ", \"median\": " + Number(r.scoreMedian) + ", \"p90\": " + Number(r.scoreP90) +
                    "},\n  \"unreached\": [";
    const char* sep = "\n    ";
    for (int32_t i : r.Unreached()) {
        s += sep + piece(r.pieces[static_cast<size_t>(i)]) + "}";
        sep = ",\n    ";
    }
    s += "],\n  \"traps\": [";
    sep = "\n    ";
    for (const Trap& t : r.traps) {
        s += sep + std::string("{\"kind\": ") + (t.resting ? "\"rest\"" : "\"confined\"") + ", \"x\": " + Number(t.x) +
             ", \"y\": " + Number(t.y) + ", \"ticks\": " + Number(t.ticks) + ", \"games\": " + Number(t.games) +
             ", \"near\": [";
        for (size_t i = 0; i < t.nearby.size(); ++i)
            s += (i ? ", " : "") + piece(r.pieces[static_cast<size_t>(t.nearby[i])]) + "}";
        s += "]}";
        sep = ",\n    ";
    }
    s += "],\n  \"hits\": [";
    sep = "\n    ";
    for (const PieceFacts& p : r.pieces) {
        s += sep + piece(p) + ", \"count\": " + Number(static_cast<int64_t>(p.hits)) + "}";
        sep = ",\n    ";
    }
    return s + "]\n}\n";
}

// ---- the picture ----------------------------------------------------------------------

namespace {

constexpr Color kHeatColors[8] = {Rgb(255, 246, 190), Rgb(255, 232, 140), Rgb(255, 208, 92), Rgb(255, 178, 62),
                                  Rgb(250, 142, 42),  Rgb(240, 102, 30),  Rgb(226, 62, 22),  Rgb(200, 22, 22)};
constexpr Pen kTrapPen{Rgb(220, 0, 0), 2};

int HeatLevel(uint32_t count, uint32_t max) {
    if (count == 0 || max == 0) return -1;
    const double f = std::log1p(static_cast<double>(count)) / std::log1p(static_cast<double>(max));
    return std::min(7, static_cast<int>(f * 8));
}

}  // namespace

void FindingsOverlay::PaintUnder(Surface& target) const {
    const PlaytestReport& r = report_;
    if (r.heat.size() != static_cast<size_t>(kHeatWidth) * kHeatHeight) return;
    for (int32_t y = 0; y < kHeatHeight; ++y) {
        const uint32_t* row = &r.heat[static_cast<size_t>(y) * kHeatWidth];
        int32_t x = 0;
        while (x < kHeatWidth) {
            const int level = HeatLevel(row[x], r.heatMax);
            int32_t end = x + 1;
            while (end < kHeatWidth && HeatLevel(row[end], r.heatMax) == level) ++end;
            if (level >= 0) target.FillRect({2 * x - 1, 2 * y - 1, 2 * end + 1, 2 * y + 1}, kHeatColors[level]);
            x = end;
        }
    }
}

void FindingsOverlay::PaintOver(Surface& target) const {
    const Pen old = target.SelectPen(kTrapPen);
    for (size_t i = 0; i < report_.traps.size(); ++i) {
        const Trap& t = report_.traps[i];
        const int32_t d = static_cast<int>(i) == markedTrap ? 10 : 5;
        const int32_t cx = 2 * t.x, cy = 2 * t.y;
        target.Line(cx - d, cy - d, cx + d + 1, cy + d + 1);
        target.Line(cx - d, cy + d, cx + d + 1, cy - d - 1);
    }
    if (!markedPiece.IsEmpty()) {
        const Rect& b = markedPiece;
        target.Line(b.left, b.top, b.right, b.top);
        target.Line(b.right, b.top, b.right, b.bottom);
        target.Line(b.right, b.bottom, b.left, b.bottom);
        target.Line(b.left, b.bottom, b.left, b.top);
    }
    target.SelectPen(old);
}

}  // namespace bw
