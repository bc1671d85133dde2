// Painting the whole table, as the editor's window does it.
#pragma once

#include "model/surface.h"
#include "model/table.h"

namespace bw {

// The playfield in window pixels: (0, 0, 249, 199).
constexpr Rect kPlayfield{0, 0, 249, 199};

// Blanks the playfield white, selects the piece pen and sends Draw to the
// root with `target` as the draw target; with `withBall` the ball is drawn
// last, as in play. Pieces are drawn at twice their table size. The caller
// clips the target to the playfield, as the window's paint does.
void PaintTable(TableState& st, Surface& target, bool withBall);

}  // namespace bw
