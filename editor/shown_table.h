// What the window shows of the table while editing, so that a change
// repaints exactly what changed: each top-level item as it was last shown
// (its identity, what it is and where, its shape, whether it is drawn over
// the table as a piece being dragged) and the selection frames.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/editor_view.h"
#include "model/table.h"

namespace bw {

// The selection frame around a piece's shape, and the pixels it covers.
Rect FrameOf(const TablePiece& piece);
Region FrameArea(const Rect& frame);

class ShownTable {
public:
    // Compares what is shown now with what was shown before and has the
    // view repaint where an item came, went or changed (where it was and
    // where it is) and where a frame came or went.
    void Show(const TableRoot& table, const std::vector<TablePiece*>& overDrawn, const std::vector<Rect>& frames,
              EditorView& view);

private:
    struct Item {
        uint32_t serial;
        uint64_t fingerprint;
        Region region;
    };
    std::vector<Item> items_;
    std::vector<Rect> frames_;
};

}  // namespace bw
