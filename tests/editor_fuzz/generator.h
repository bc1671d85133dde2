// The random walk over the editor's inputs: each action chosen from what
// the editor is doing and biased to where faults hide (near walls and
// pieces, on selected pieces, borders of many corners, gestures cut short
// by commands, texts and files that are huge or odd).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "tests/editor_fuzz/driver.h"
#include "tests/editor_fuzz/script.h"

namespace bwfuzz {

// Where the walk's choices come from.
class Choices {
public:
    virtual ~Choices() = default;
    virtual uint64_t Next() = 0;
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    int32_t Between(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Below(static_cast<uint32_t>(hi - lo + 1))); }
    bool Percent(uint32_t p) { return Below(100) < p; }
};

// A seeded walk: splitmix64, small, fast and the same everywhere.
class Rng final : public Choices {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next() override {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    uint64_t state_;
};

// A fuzzer's bytes as the choices, two at a time; zeros once they run out.
class ByteChoices final : public Choices {
public:
    explicit ByteChoices(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Next() override {
        uint64_t v = 0;
        for (int i = 0; i < 2; ++i) v = v << 8 | (at_ < bytes_.size() ? bytes_[at_++] : 0);
        return v;
    }
    bool Exhausted() const { return at_ >= bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

class Generator {
public:
    explicit Generator(Choices& choices) : c_(choices) {}
    // The next action, for the editor as the driver shows it now.
    Action Next(const Driver& d);

private:
    Action Resting(const Driver& d);
    Action Dragging(const Driver& d);
    Action DrawingBorder(const Driver& d);
    Action Playing(const Driver& d);
    Action AnyCommand(const Driver& d);
    Action At(Op op, bw::Point p) const { return Action{op, p.x, p.y}; }
    bw::Point Somewhere(const Driver& d);
    bw::Point OnAPiece(const Driver& d, bool selected);
    bw::Point NearAWall();
    int32_t Coordinate(int32_t size);
    std::string PieceLine();
    std::string BorderLine();
    std::string TableText();
    std::string Mutated(std::string text);
    Action Clip();
    Action OpenFile();
    Action OpenReplay(const Driver& d);
    Action Answered(Action command, bool threeWay);

    Choices& c_;
    std::deque<Action> pending_;
    bw::Point mouse_{};
    Op lastArrow_ = Op::Paint;
};

}  // namespace bwfuzz
