// Painting the whole table, as the editor's window does it.
#pragma once

#include "model/surface.h"
#include "model/table.h"

namespace bw {

// Drawing that goes with the table for a while (the findings of a check):
// one part under the pieces, one over them.
class Overlay {
public:
    virtual void PaintUnder(Surface& target) const = 0;
    virtual void PaintOver(Surface& target) const = 0;

protected:
    ~Overlay() = default;
};

// Blanks the playfield white, selects the piece pen and sends Draw to the
// root with `target` as the draw target; with `withBall` the ball is drawn
// last, as in play. Pieces are drawn at twice their table size. The caller
// clips the target to the playfield, as the window's paint does. An
// overlay is drawn under and over the pieces.
void PaintTable(TableState& st, Surface& target, bool withBall, const Overlay* overlay = nullptr);

}  // namespace bw
