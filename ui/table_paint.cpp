// Painting the playfield: in editing straight on the window, in play into
// the back buffer, which is copied out, so that only the invalid area of
// the window changes.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "model/paint.h"
#include "res/resource.h"
#include "ui/table_dialog.h"

namespace ui {

namespace {

bool Touches(const bw::Rect& a, const bw::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A surface that passes on only the drawing that reaches a given area.
// Drawing elsewhere could not change what the paint shows, and leaving it
// out spares a system call for each piece far from the ball.
class AreaSurface final : public bw::Surface {
public:
    // `area`: the rectangles of the area, and `bounds` the box around them.
    AreaSurface(bw::Surface& target, const std::vector<bw::Rect>& area, const bw::Rect& bounds)
        : target_(target), area_(area), bounds_(bounds) {}

    bw::RasterMode SetRasterMode(bw::RasterMode mode) override { return target_.SetRasterMode(mode); }
    bw::Pen SelectPen(const bw::Pen& pen) override {
        penWidth_ = pen.width;
        return target_.SelectPen(pen);
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        // A wide pen reaches about half its width beyond the line; a
        // margin of the whole width (and one pixel) is on the safe side.
        const int32_t m = std::max(penWidth_, 1) + 1;
        if (Reaches({std::min(x1, x2) - m, std::min(y1, y2) - m, std::max(x1, x2) + m, std::max(y1, y2) + m}))
            target_.Line(x1, y1, x2, y2);
    }
    void FillRect(const bw::Rect& r, bw::Color color) override {
        if (Reaches(r)) target_.FillRect(r, color);
    }
    void DrawImage(const bw::ImageList& images, int index, int32_t x, int32_t y) override {
        if (Reaches({x, y, x + images.Width(), y + images.Height()})) target_.DrawImage(images, index, x, y);
    }

private:
    bool Reaches(const bw::Rect& r) const {
        if (!Touches(r, bounds_)) return false;
        for (const bw::Rect& a : area_)
            if (Touches(r, a)) return true;
        return false;
    }

    bw::Surface& target_;
    const std::vector<bw::Rect>& area_;
    bw::Rect bounds_;
    int32_t penWidth_ = 8;  // until a pen is selected through this surface
};

// The rectangles of a system region.
std::vector<bw::Rect> RectsOf(HRGN region) {
    std::vector<bw::Rect> rects;
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return rects;
    std::vector<char> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region, size, rd) == 0) return rects;
    const auto* r = reinterpret_cast<const RECT*>(rd->Buffer);
    for (DWORD i = 0; i < rd->rdh.nCount; ++i) rects.push_back({r[i].left, r[i].top, r[i].right, r[i].bottom});
    return rects;
}

struct PaintArea {
    win::OwnedRegion region;
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
        win::OwnedRegion system(CreateRectRgn(0, 0, 0, 0));
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

void TableDialog::PaintPlayfield(HDC dc) {
    win::SavedDcState keep(dc);
    IntersectClipRect(dc, bw::kPlayfield.left, bw::kPlayfield.top, bw::kPlayfield.right, bw::kPlayfield.bottom);
    if (editor_->mode != bw::EditMode::Playing || !memoryDC_) {
        win::DcSurface target(dc, gdi_);
        editor_->PaintEditing(target);
        return;
    }
    const PaintArea area = AreaOf(dc);
    if (area.rects.empty()) return;
    // The whole table is drawn, but only what reaches the area this paint
    // changes goes into the buffer; the buffer is then copied out, and the
    // paint's clipping keeps the rest of the window as it is.
    HDC buffer = memoryDC_.get();
    SelectClipRgn(buffer, area.region.get());
    {
        win::DcSurface target(buffer, gdi_);
        AreaSurface reaching(target, area.rects, area.bounds);
        editor_->PaintPlay(reaching);
    }
    SelectClipRgn(buffer, nullptr);
    BitBlt(dc, 0, 0, 250, 200, buffer, 0, 0, SRCCOPY);
}

}  // namespace ui
