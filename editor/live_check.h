// What plays the games of the check as you edit: the editor hands it a copy
// of the table and gets the report back. The tests and the fuzzer play the
// games in slices when they choose (SliceRunner); the program gives them
// time of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "games/playtest.h"
#include "model/table.h"

namespace bw {

class CheckRunner {
public:
    using Done = std::function<void(PlaytestReport)>;
    virtual ~CheckRunner() = default;
    // Starts the check of `table` (the runner's own copy) with `options`; a
    // check under way is dropped first. `done` gets the report on the
    // editor's thread once every game is over, unless the check was
    // dropped before.
    virtual void Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) = 0;
    // Drops the check under way, if any: its `done` is never called.
    virtual void Cancel() = 0;
    virtual bool Busy() const = 0;
};

// Plays the check in slices of ticks, on the caller's thread, when asked.
class SliceRunner final : public CheckRunner {
public:
    SliceRunner();
    ~SliceRunner() override;
    void Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) override;
    void Cancel() override;
    bool Busy() const override { return test_ != nullptr; }
    // Plays at most `ticks` ticks of the check under way, and calls its
    // `done` when the games are over. True while more remains.
    bool RunSlice(int64_t ticks);
    int64_t GamesDone() const;
    int64_t Games() const;

private:
    std::unique_ptr<Table> table_;
    std::unique_ptr<Playtest> test_;
    Done done_;
};

// A table's copy for a check to own: piece for piece, drawing nothing.
std::unique_ptr<Table> CheckCopy(const TableRoot& root);

}  // namespace bw
