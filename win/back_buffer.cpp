#include "win/back_buffer.h"

#include <vector>

#include "model/area_surface.h"

namespace win {

namespace {

void ClipTo(HDC dc, const RECT& r) { IntersectClipRect(dc, r.left, r.top, r.right, r.bottom); }

// The rectangles of a system region.
std::vector<bw::Rect> RectsOf(HRGN region) {
    std::vector<bw::Rect> rects;
    for (const RECT& r : RegionRects(region)) rects.push_back({r.left, r.top, r.right, r.bottom});
    return rects;
}

struct PaintArea {
    OwnedRegion region;
    std::vector<bw::Rect> rects;
    bw::Rect bounds{};
};

// The part of the window that drawing on `dc` can change, in client
// coordinates: in a paint, the invalid area (as far as it is visible)
// within the clipping; otherwise the clipping alone.
PaintArea AreaOf(HDC dc) {
    PaintArea area;
    RECT box{};
    if (GetClipBox(dc, &box) == NULLREGION || IsRectEmpty(&box)) return area;
    area.region.reset(CreateRectRgnIndirect(&box));
    if (!area.region) return area;
    if (HWND window = WindowFromDC(dc)) {
        // The system region comes in screen coordinates.
        OwnedRegion system(CreateRectRgn(0, 0, 0, 0));
        POINT origin{0, 0};
        if (system && GetRandomRgn(dc, system.get(), SYSRGN) == 1 && ClientToScreen(window, &origin)) {
            OffsetRgn(system.get(), -origin.x, -origin.y);
            CombineRgn(area.region.get(), area.region.get(), system.get(), RGN_AND);
        }
    }
    area.rects = RectsOf(area.region.get());
    RECT bounds{};
    GetRgnBox(area.region.get(), &bounds);
    area.bounds = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    return area;
}

}  // namespace

void BackBuffer::Create(HWND window, SIZE size, const RECT& clip) {
    size_ = size;
    clip_ = clip;
    WindowDc screen(window);
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    dc_.reset(CreateCompatibleDC(screen.get()));
    if (dc_ && bitmap_) SelectObject(dc_.get(), bitmap_.get());
}

void BackBuffer::Paint(HDC dc, const PlayfieldZoom& zoom, bool reaching, const Drawing& draw) {
    if (!zoom.IsDrawingZoom() && dc_) {
        PaintEnlarged(dc, zoom, reaching, draw);
        return;
    }
    SavedDcState keep(dc);
    ClipTo(dc, clip_);
    if (reaching && dc_) {
        PaintReaching(dc, draw);
        return;
    }
    DcSurface target(dc, gdi_);
    draw(target);
}

void BackBuffer::PaintEnlarged(HDC dc, const PlayfieldZoom& zoom, bool reaching, const Drawing& draw) {
    // What the invalid area shows of the drawing is drawn again into the
    // buffer, which is then shown.
    RECT box{};
    if (GetClipBox(dc, &box) == NULLREGION || IsRectEmpty(&box)) return;
    const RECT part = zoom.ToDrawing(box);
    {
        SavedDcState keepBuffer(dc_.get());
        ClipTo(dc_.get(), clip_);
        ClipTo(dc_.get(), part);
        DcSurface target(dc_.get(), gdi_);
        if (reaching) {
            const bw::Rect bounds{part.left, part.top, part.right, part.bottom};
            const std::vector<bw::Rect> area{bounds};
            bw::AreaSurface reachingArea(target, area, bounds);
            draw(reachingArea);
        } else {
            draw(target);
        }
    }
    Show(dc, zoom);
}

void BackBuffer::PaintReaching(HDC dc, const Drawing& draw) {
    const PaintArea area = AreaOf(dc);
    if (area.rects.empty()) return;
    // The paint's clipping keeps the rest of the window as it is.
    SelectClipRgn(dc_.get(), area.region.get());
    {
        DcSurface target(dc_.get(), gdi_);
        bw::AreaSurface reachingArea(target, area.rects, area.bounds);
        draw(reachingArea);
    }
    SelectClipRgn(dc_.get(), nullptr);
    BitBlt(dc, 0, 0, size_.cx, size_.cy, dc_.get(), 0, 0, SRCCOPY);
}

void BackBuffer::DrawNow(HWND window, const PlayfieldZoom& zoom, const Drawing& draw) {
    HiddenCursor hidden;
    WindowDc dc(window);
    // Enlarged, the window shows the buffer: the drawing goes there and the
    // buffer is shown again.
    const bool enlarged = !zoom.IsDrawingZoom() && dc_;
    HDC target = enlarged ? dc_.get() : dc.get();
    {
        SavedDcState keep(target);
        ClipTo(target, clip_);
        DcSurface surface(target, gdi_);
        draw(surface);
    }
    if (enlarged) Show(dc.get(), zoom);
}

void BackBuffer::Invalidate(HWND window, const PlayfieldZoom& zoom, const bw::Region& area, bool erase) {
    const OwnedRegion region = MakeSystemRegion(area);
    if (zoom.IsDrawingZoom()) {
        InvalidateRgn(window, region.get(), erase);
        return;
    }
    const OwnedRegion shown = zoom.ToWindow(region.get());
    InvalidateRgn(window, shown.get(), erase);
}

void BackBuffer::Show(HDC dc, const PlayfieldZoom& zoom) const {
    SavedDcState keep(dc);
    ClipTo(dc, zoom.ToWindow(clip_));
    zoom.Show(dc, dc_.get(), size_.cx, size_.cy);
}

}  // namespace win
