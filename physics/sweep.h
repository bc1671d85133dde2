// The tick's fast path: how the play runs Simulate and the play keys on a
// table, with the same result as the message sent down the tree.
//
// At the start of play the tree is flattened into a list of the pieces that
// act on the ball, in tree order, each with a box in fixed units outside
// which its Simulate can neither touch the ball nor change anything (a
// round piece's reach; a segment's ends, widened by the contact distance and
// by the most the truncated foot point can stray from the line; a flipper's
// swept wedge), and a grid of 8-pixel cells that lists the boxes over each
// cell. A tick looks up the ball's cell and sends Simulate, in tree order,
// to the pieces whose box holds the ball; the groups' results and the
// contacts reported to the table state's observer are put together as the
// groups would (when anyone observes them). The flippers and the cannon are
// the only pieces that follow keys: a key goes to them alone, and a shot the
// cannon has pending is taken by the cannon alone, in its place in the
// tree's order. The list is out of date once the tree
// changes or is Reset again; the message down the tree is used until the
// next start of play, which keeps the list when the tree and every position
// in it are as they were.
#pragma once

#include <cstdint>

#include "model/table.h"

namespace bw {

// Flattens the table for play (after its Reset, with the physics installed).
void PrepareFastPath(TableState& st);
// Simulate for the whole table: every piece's result reaches the table
// state's observer (contacts) as the message down the tree would report it.
void SimulateTable(TableState& st);
// KeyChanged for the whole table (paramA and paramB set).
void KeyChangedTable(TableState& st);

}  // namespace bw
