// The tick's fast path against the message sent down the whole tree: the
// same ball, score, random numbers and contacts, tick for tick, on the
// example tables and on tables made to be awkward (pieces far off the
// playfield, borders long enough for their products to wrap, borders whose
// ends meet, holes the ball is sent far away to, pieces crowded in one
// place), with the keys pressed at random.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/table_text.h"
#include "physics/game.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;

struct Recorder final : ContactObserver {
    std::vector<uint64_t> seen;
    void Contact(const TablePiece& piece, int32_t result) override {
        seen.push_back(uint64_t{piece.serial} << 8 | static_cast<uint32_t>(result & 0xFF));
    }
};

struct Trace {
    std::vector<int32_t> ticks;  // ball fx, fy, vx, vy, score and random state, each tick
    std::vector<uint64_t> contacts;
};

// Plays `ticks` ticks with key events drawn from `seed`; `treeWalk` makes
// every tick and key go down the tree (the table changed since play began);
// `heard` has an observer told of the contacts (as the check has).
Trace Play(const std::string& text, uint32_t seed, int ticks, bool treeWalk, bool heard = true) {
    auto t = bwtest::NewTable();
    std::string error;
    EXPECT_TRUE(TextToTable(text, *t->root, error)) << error;
    Recorder recorder;
    TableState& st = t->state;
    if (heard) st.contacts = &recorder;
    StartGame(st);
    std::mt19937 dice(seed);
    const int32_t keys[] = {kKeyZ, kKeyX, kKeySpace};
    Trace trace;
    for (int i = 0; i < ticks; ++i) {
        while (dice() % 6 == 0) {
            if (treeWalk) ++st.treeVersion;
            SendKey(st, keys[dice() % 3], dice() % 2 == 0);
        }
        if (treeWalk) ++st.treeVersion;
        PlayTick(st, i % 50 == 0);
        const Ball& b = *st.ball;
        for (int32_t v : {b.fx, b.fy, b.vx, b.vy, st.score, static_cast<int32_t>(st.randomState)}) trace.ticks.push_back(v);
    }
    trace.contacts = recorder.seen;
    return trace;
}

std::string Example(const char* name) {
    std::ifstream f(std::string(BW_SOURCE_DIR) + "/" + name);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string AwkwardTable(uint32_t seed) {
    std::mt19937 dice(seed);
    auto at = [&](int lo, int hi) { return std::to_string(lo + static_cast<int>(dice() % static_cast<uint32_t>(hi - lo + 1))); };
    std::string s = "border 40 92, 2 80, 2 2, 122 2, 122 80, 86 92\n";
    if (dice() % 4 != 0) s += "cannon " + at(10, 115) + " " + at(40, 95) + "\n";
    const char* kinds[] = {"obstacle10", "obstacle50", "obstacle100", "hole", "left-flipper", "right-flipper"};
    const int n = 5 + static_cast<int>(dice() % 60);
    for (int i = 0; i < n; ++i) {
        switch (dice() % 10) {
            case 0: s += "border " + at(0, 255) + " " + at(0, 255) + ", " + at(0, 255) + " " + at(0, 255) + "\n"; break;
            case 1: s += "hole " + at(126, 255) + " " + at(0, 255) + "\n"; break;  // off the playfield
            case 2: {
                const std::string p = at(10, 110) + " " + at(10, 90);
                s += "border " + p + ", " + p + "\n";  // ends that meet
                break;
            }
            case 3: s += "border " + at(5, 60) + " " + at(5, 95) + ", " + at(60, 120) + " " + at(5, 95) + ", " + at(5, 120) + " " + at(50, 98) + "\n"; break;
            default: s += std::string(kinds[dice() % 6]) + " " + at(3, 121) + " " + at(3, 96) + "\n";
        }
    }
    return s;
}

TEST(FastTick, PlaysTheSameGamesAsTheMessageDownTheTree) {
    std::vector<std::string> tables = {Example("examples/classic.txt"), Example("examples/full.txt"),
                                       Example("examples/empty.txt"), Example("tests/core/data/endless.txt"),
                                       "hole 65 70\nhole 250 250\nobstacle10 252 250\nborder 0 0, 255 255\nhole 0 0\n"};
    for (uint32_t seed = 1; seed <= 40; ++seed) tables.push_back(AwkwardTable(seed));
    for (size_t i = 0; i < tables.size(); ++i) {
        SCOPED_TRACE("table " + std::to_string(i) + ":\n" + tables[i]);
        const Trace tree = Play(tables[i], static_cast<uint32_t>(i) + 7, 3000, true);
        for (const bool heard : {true, false}) {
            SCOPED_TRACE(heard ? "with an observer" : "unobserved");
            const Trace fast = Play(tables[i], static_cast<uint32_t>(i) + 7, 3000, false, heard);
            ASSERT_EQ(fast.ticks.size(), tree.ticks.size());
            for (size_t k = 0; k < fast.ticks.size(); ++k)
                ASSERT_EQ(fast.ticks[k], tree.ticks[k]) << "tick " << k / 6 + 1 << ", value " << k % 6;
            if (heard) EXPECT_EQ(fast.contacts, tree.contacts);
        }
    }
}

}  // namespace
