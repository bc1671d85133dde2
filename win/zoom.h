// The playfield's zoom: how many screen pixels a table pixel takes. The
// table is drawn as the editor gives it, at two pixels a table pixel (the
// drawing's pixels); at another zoom that drawing is enlarged or reduced
// pixel for pixel, and the mouse is mapped back by the same zoom. This is
// the one place where window pixels and the drawing's pixels meet.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "model/table.h"
#include "win/handles.h"

namespace win {

constexpr int kDrawingZoom = bw::kWindowScale;  // the drawing's own: two pixels a table pixel
constexpr int kSmallestZoom = 2;
constexpr int kLargestZoom = 6;

// The rectangles a region is made of (none when it cannot be read).
std::vector<RECT> RegionRects(HRGN region);

class PlayfieldZoom {
public:
    explicit PlayfieldZoom(int zoom = kDrawingZoom) : zoom_(zoom) {}
    int zoom() const { return zoom_; }
    bool IsDrawingZoom() const { return zoom_ == kDrawingZoom; }

    // A window position as a position of the drawing (rounded down, so
    // that every window pixel of a table pixel maps to that table pixel).
    POINT ToDrawing(POINT window) const;
    // The window pixels that show the drawing's rectangle, and the
    // drawing's pixels that a window rectangle shows (both rounded out).
    RECT ToWindow(const RECT& drawing) const;
    RECT ToDrawing(const RECT& window) const;
    // A region of the drawing as the region of the window that shows it.
    OwnedRegion ToWindow(HRGN drawing) const;
    // The drawing's `drawingWidth` × `drawingHeight` pixels at (0, 0) of
    // `source`, shown on `target` at (0, 0) at this zoom, pixel for pixel.
    void Show(HDC target, HDC source, int drawingWidth, int drawingHeight) const;

private:
    int zoom_;
};

}  // namespace win
