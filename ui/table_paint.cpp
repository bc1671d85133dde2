// Painting the playfield: in editing straight on the window, in play into
// the back buffer, which is copied out, so that only the invalid area of
// the window changes. At any zoom but the drawing's own, the table is
// always drawn into the back buffer, which the window shows enlarged.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "model/area_surface.h"
#include "model/paint.h"
#include "res/resource.h"
#include "ui/table_dialog.h"

namespace ui {

namespace {

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

void TableDialog::ShowBackBuffer(HDC dc) {
    win::SavedDcState keep(dc);
    const RECT shown = zoom_.ToWindow(RECT{bw::kPlayfield.left, bw::kPlayfield.top, bw::kPlayfield.right,
                                           bw::kPlayfield.bottom});
    IntersectClipRect(dc, shown.left, shown.top, shown.right, shown.bottom);
    zoom_.Show(dc, memoryDC_.get(), bw::kPlayfieldWidth, bw::kPlayfieldHeight);
}

void TableDialog::PaintPlayfield(HDC dc) {
    if (!zoom_.IsDrawingZoom() && memoryDC_) {
        // What the invalid area shows of the drawing is drawn again into
        // the buffer, which is then shown.
        RECT box{};
        if (GetClipBox(dc, &box) == NULLREGION || IsRectEmpty(&box)) return;
        const RECT part = zoom_.ToDrawing(box);
        HDC buffer = memoryDC_.get();
        {
            win::SavedDcState keepBuffer(buffer);
            IntersectClipRect(buffer, bw::kPlayfield.left, bw::kPlayfield.top, bw::kPlayfield.right,
                              bw::kPlayfield.bottom);
            IntersectClipRect(buffer, part.left, part.top, part.right, part.bottom);
            win::DcSurface target(buffer, gdi_);
            if (editor_->mode() == bw::EditMode::Playing) {
                const bw::Rect bounds{part.left, part.top, part.right, part.bottom};
                const std::vector<bw::Rect> area{bounds};
                bw::AreaSurface reaching(target, area, bounds);
                editor_->Paint(reaching);
            } else {
                editor_->Paint(target);
            }
        }
        ShowBackBuffer(dc);
        return;
    }
    win::SavedDcState keep(dc);
    IntersectClipRect(dc, bw::kPlayfield.left, bw::kPlayfield.top, bw::kPlayfield.right, bw::kPlayfield.bottom);
    if (editor_->mode() != bw::EditMode::Playing || !memoryDC_) {
        win::DcSurface target(dc, gdi_);
        editor_->Paint(target);
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
        bw::AreaSurface reaching(target, area.rects, area.bounds);
        editor_->Paint(reaching);
    }
    SelectClipRgn(buffer, nullptr);
    BitBlt(dc, 0, 0, bw::kPlayfieldWidth, bw::kPlayfieldHeight, buffer, 0, 0, SRCCOPY);
}

}  // namespace ui
