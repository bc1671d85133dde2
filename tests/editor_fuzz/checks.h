// What must hold after every action, whatever the actions were: the
// invariants of the editor and the oracles of its commands, each failure
// named after the rule it breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/editor_fuzz/driver.h"
#include "tests/editor_fuzz/shapes.h"

namespace bwfuzz {

// Rules whose failures a run passes over (to find the others); "*" all.
using Rules = std::set<std::string>;

struct Failure {
    std::string rule;    // a short name: the same fault fails the same rule
    std::string detail;  // what was seen
};

// Most an action may take at its peak: a clipboard or a file of any size
// is refused before it costs more.
constexpr size_t kActionMemoryLimit = size_t{64} << 20;

class Checker {
public:
    // The editor as it starts.
    explicit Checker(Driver& d);
    // Before an action: what its oracle needs of the table as it stands.
    void Before(const Action& a, Driver& d);
    // After it: the first rule it broke, of those not `ignored`. `memory`
    // is what it took at its peak.
    std::optional<Failure> After(const Action& a, Driver& d, size_t memory, const Rules& ignored);
    // Every step the history holds against what was seen of it.
    std::optional<Failure> WholeHistory(Driver& d);

private:
    struct Seen {
        std::vector<uint8_t> bytes;
        Gesture gesture = Gesture::None;
        bool playing = false, playingBack = false;
        HistoryState history;
        std::vector<int32_t> selected;  // the selected pieces' places among the root's children, -1 for none
    };
    // What a command should leave: the shapes it keeps and those it puts down.
    struct Expected {
        enum Kind { None, Move, Copy, Remove } kind = None;
        Action action;
        std::vector<Shape> before, kept, put;  // all items; those it must keep; those it puts down
        std::vector<Shape> putPlaces;          // `put` with its border start points
        bool placedLikePaste = false;          // `put` moved together as far as the rule needs
        int64_t outside = 0;                   // a nudge: how far the pieces stood outside where clicks place
        int32_t records = 0;                   // file records `put` adds at most
    };
    struct Drag {
        bool on = false;
        std::vector<Shape> start, others;
        MoveRange range;
        bw::Point mouse, asked, followed, moved;  // window; table pixels: asked, step by step, as it went
    };

    Seen Look(Driver& d) const;
    std::optional<Failure> Gestures(const Action& a, const Seen& now, Driver& d);
    std::optional<Failure> AtRest(const Seen& now, Driver& d);
    std::optional<Failure> AsText(const Seen& now, Driver& d);
    std::optional<Failure> Steps(const Action& a, const Seen& now, Driver& d);
    std::optional<Failure> Plays(const Seen& now, Driver& d);
    std::optional<Failure> Command(const Seen& now, Driver& d, const std::vector<Said>& said);
    std::optional<Failure> Dragging(const Action& a, const Seen& now, Driver& d, const std::vector<Said>& said);
    void ExpectSelectionCommand(const Action& a, Driver& d);
    void ExpectCopy(const Action& a, Driver& d);
    bool RefusalJustified(const std::vector<Said>& said, Driver& d) const;

    Seen last_;
    Expected expected_;
    Drag drag_;
    std::vector<std::vector<uint8_t>> steps_;  // the history as seen
    std::vector<uint8_t> tablePlayed_;
    std::vector<uint8_t> roundTripped_, textTripped_;  // the last tables that passed the round trips
    std::vector<uint8_t> lastFile_, lastFileTable_;
    std::string clipText_;                        // the clipboard last read, and its pieces
    std::optional<std::vector<Shape>> clipShapes_;
    std::vector<Shape> clipPlaces_;
    int32_t clipRecords_ = 0;
};

}  // namespace bwfuzz
