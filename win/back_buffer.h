// A drawing shown on a window at any zoom (win/zoom.h), with a back buffer
// of the drawing's size. At the drawing's own zoom it is drawn straight on
// the window; at any other it is always drawn into the buffer, which the
// window shows enlarged. Drawn "reaching" (in play), it goes through the
// buffer at every zoom: the whole drawing is made, but only what reaches the
// area a paint changes goes into the buffer, which is then copied out, so
// that only the invalid area of the window changes.
#pragma once

#include <windows.h>

#include <functional>

#include "model/region.h"
#include "model/surface.h"
#include "win/gdi_surface.h"
#include "win/handles.h"
#include "win/zoom.h"

namespace win {

class BackBuffer {
public:
    using Drawing = std::function<void(bw::Surface&)>;

    // A buffer of `size` for `window`'s screen; the drawing is clipped to
    // `clip`. Without a buffer (none could be made) everything is drawn
    // straight on the window.
    void Create(HWND window, SIZE size, const RECT& clip);

    // Paints on `dc` what its clipping shows of the drawing at `zoom`.
    void Paint(HDC dc, const PlayfieldZoom& zoom, bool reaching, const Drawing& draw);
    // Draws on `window` at once, outside a paint (the cursor hidden meanwhile).
    void DrawNow(HWND window, const PlayfieldZoom& zoom, const Drawing& draw);
    // Has `window` paint again what shows `area` of the drawing at `zoom`.
    static void Invalidate(HWND window, const PlayfieldZoom& zoom, const bw::Region& area, bool erase);

private:
    void PaintEnlarged(HDC dc, const PlayfieldZoom& zoom, bool reaching, const Drawing& draw);
    void PaintReaching(HDC dc, const Drawing& draw);
    // The buffer shown on `dc` at `zoom`, within `dc`'s clipping.
    void Show(HDC dc, const PlayfieldZoom& zoom) const;

    OwnedBitmap bitmap_;
    OwnedMemoryDc dc_;
    GdiCache gdi_;
    SIZE size_{};
    RECT clip_{};
};

}  // namespace win
