#include "win/zoom.h"

#include <vector>

namespace win {

namespace {

int32_t FloorDiv(int64_t a, int64_t b) { return static_cast<int32_t>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
int32_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

}  // namespace

POINT PlayfieldZoom::ToDrawing(POINT window) const {
    return {FloorDiv(int64_t{window.x} * kDrawingZoom, zoom_), FloorDiv(int64_t{window.y} * kDrawingZoom, zoom_)};
}

RECT PlayfieldZoom::ToWindow(const RECT& d) const {
    return {FloorDiv(int64_t{d.left} * zoom_, kDrawingZoom), FloorDiv(int64_t{d.top} * zoom_, kDrawingZoom),
            CeilDiv(int64_t{d.right} * zoom_, kDrawingZoom), CeilDiv(int64_t{d.bottom} * zoom_, kDrawingZoom)};
}

RECT PlayfieldZoom::ToDrawing(const RECT& w) const {
    return {FloorDiv(int64_t{w.left} * kDrawingZoom, zoom_), FloorDiv(int64_t{w.top} * kDrawingZoom, zoom_),
            CeilDiv(int64_t{w.right} * kDrawingZoom, zoom_), CeilDiv(int64_t{w.bottom} * kDrawingZoom, zoom_)};
}

std::vector<RECT> RegionRects(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return {};
    std::vector<char> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region, size, rd) == 0) return {};
    const auto* r = reinterpret_cast<const RECT*>(rd->Buffer);
    return std::vector<RECT>(r, r + rd->rdh.nCount);
}

OwnedRegion PlayfieldZoom::ToWindow(HRGN drawing) const {
    OwnedRegion out(CreateRectRgn(0, 0, 0, 0));
    if (!drawing || !out) return out;
    const std::vector<RECT> rects = RegionRects(drawing);
    if (rects.empty()) return out;
    std::vector<char> scaled(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* sd = reinterpret_cast<RGNDATA*>(scaled.data());
    sd->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()), 0, {}};
    RECT bound{};
    GetRgnBox(drawing, &bound);
    sd->rdh.rcBound = ToWindow(bound);
    auto* to = reinterpret_cast<RECT*>(sd->Buffer);
    for (size_t i = 0; i < rects.size(); ++i) to[i] = ToWindow(rects[i]);
    out.reset(ExtCreateRegion(nullptr, static_cast<DWORD>(scaled.size()), sd));
    return out;
}

void PlayfieldZoom::Show(HDC target, HDC source, int drawingWidth, int drawingHeight) const {
    if (IsDrawingZoom()) {
        BitBlt(target, 0, 0, drawingWidth, drawingHeight, source, 0, 0, SRCCOPY);
        return;
    }
    const int mode = SetStretchBltMode(target, COLORONCOLOR);
    const RECT shown = ToWindow(RECT{0, 0, drawingWidth, drawingHeight});
    StretchBlt(target, 0, 0, shown.right, shown.bottom, source, 0, 0, drawingWidth, drawingHeight, SRCCOPY);
    SetStretchBltMode(target, mode);
}

}  // namespace win
