// One play tick, shared by the window and the headless game.
#pragma once

#include <cstdint>

#include "model/table.h"

namespace bw {

// Prepares play as the start of play does: the physics installed in the
// table state, Reset to the root, score and paramA cleared.
void StartGame(TableState& st);

// The physics of one play step: the ball's motion step, its region rebuilt,
// Simulate to the root, the ball put back on the cannon when it has left the
// table, its region rebuilt again. With `trackDirty` the ball's regions are
// united into the root's dirty region for the window to repaint. True when
// the ball left the table (it drained) in this tick.
bool PlayTick(TableState& st, bool trackDirty);

// A key going down (1) or up (0), as the play sends it to the root.
void SendKey(TableState& st, int32_t virtualKey, bool down);

// Sends key-ups of Z, X and SPACE, in that order.
void ReleaseKeys(TableState& st);

// A checksum of a game's whole trace: 64-bit FNV-1a over each tick's ball
// fx, fy, vx, vy and the score, each as four little-endian bytes. Two games
// with the same checksum went the same way, tick for tick.
class TraceChecksum {
public:
    void Add(const TableState& st);  // after each tick
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

}  // namespace bw
