// Replays: a game kept as its table, its key events and the checks that
// say it went the same way when played again.
//
//   # Bumpwright replay
//   ticks 3577                   ticks played
//   score 2130                   the final score
//   random 1                     the C library's random state at the start
//   checksum 0123456789abcdef    TraceChecksum of the whole game
//   check 500 0123456789abcdef   the same after every 500 ticks (optional)
//   keys 1:+SPACE,2:+SPACE,...   key events in tick order (key-script form;
//                                as many keys lines as needed)
//   table-checksum 0123456789abcdef
//                                TableChecksum of the table that follows
//   table                        then the table as text,
//   border 44 85, 2 71, ...
//   end replay                   up to this last line
//
// A file without its last line or whose table does not give the checksum
// is refused: the table would not be the one the game was played on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/table.h"
#include "physics/game.h"
#include "games/key_script.h"

namespace bw {

constexpr int64_t kReplayCheckEvery = 500;
constexpr int64_t kMaxReplayTicks = 1000000;  // five and a half hours of play
constexpr size_t kMaxReplayBytes = 16u << 20;

struct Replay {
    std::string tableText;
    std::vector<KeyEvent> events;
    int64_t ticks = 0;
    uint32_t score = 0;
    uint32_t randomState = 1;
    uint64_t checksum = 0;
    std::vector<uint64_t> checks;  // after ticks 500, 1000, ...
};

// 64-bit FNV-1a over the table's file bytes (TableFileBytes): the same for
// every text of the same table, whatever its comments, spacing or line ends.
uint64_t TableChecksum(const TableRoot& root);

std::string WriteReplay(const Replay& replay);
// False with "line N: ..." when the text is not a whole, well-formed
// replay whose table a table file can hold; `replay` is then unspecified.
bool ReadReplay(std::string_view text, Replay& replay, std::string& error);

// Plays key events into a game tick by tick, keeping the checksums.
class KeyPlayback {
public:
    explicit KeyPlayback(const std::vector<KeyEvent>& events) : events_(events) {}
    // The events of the next tick, then the tick; true when the ball drained.
    // With `trackDirty` what changes is gathered for the window to repaint
    // (the table state's `repaint` follows it); without, nothing is.
    bool Tick(TableState& st, bool trackDirty);
    int64_t Ticks() const { return ticks_; }
    uint64_t Checksum() const { return sum_.Value(); }
    const std::vector<uint64_t>& Checks() const { return checks_; }

private:
    const std::vector<KeyEvent>& events_;
    size_t next_ = 0;
    int64_t ticks_ = 0;
    TraceChecksum sum_;
    std::vector<uint64_t> checks_;
};

// Records a game as it is played, for a replay.
class ReplayRecorder {
public:
    // At the start of play, before the first tick.
    void Start(const TableRoot& root, const TableState& st);
    // A key going down or up before the next tick.
    void Key(int32_t virtualKey, bool down);
    // After each tick.
    void Tick(const TableState& st);
    bool Started() const { return started_; }
    Replay Finish(const TableState& st) const;

private:
    Replay replay_;
    TraceChecksum sum_;
    bool started_ = false;
};

// Puts the replay's table into `root` and starts its game; false with a
// message naming the line when the table text is refused.
bool StartReplay(const Replay& replay, TableRoot& root, std::string& error);

// Plays a whole replay on `root` (after StartReplay) and compares it with
// what the file says; false with a message naming the first tick range
// that differs, when the file carries checks.
bool VerifyReplay(const Replay& replay, TableState& st, std::string& message);

}  // namespace bw
