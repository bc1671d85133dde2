// A surface that passes on only the drawing that reaches a given area.
// Drawing elsewhere could not change what a paint of that area shows, and
// leaving it out spares the drawing of every piece far from the area.
#pragma once

#include <algorithm>
#include <vector>

#include "model/surface.h"

namespace bw {

inline bool RectsTouch(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

class AreaSurface final : public Surface {
public:
    // `area`: the rectangles of the area, and `bounds` the box around them.
    AreaSurface(Surface& target, const std::vector<Rect>& area, const Rect& bounds)
        : target_(target), area_(area), bounds_(bounds) {}

    RasterMode SetRasterMode(RasterMode mode) override { return target_.SetRasterMode(mode); }
    Pen SelectPen(const Pen& pen) override {
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
    void FillRect(const Rect& r, Color color) override {
        if (Reaches(r)) target_.FillRect(r, color);
    }
    void DrawImage(const ImageList& images, int index, int32_t x, int32_t y) override {
        if (Reaches({x, y, x + images.Width(), y + images.Height()})) target_.DrawImage(images, index, x, y);
    }

private:
    bool Reaches(const Rect& r) const {
        if (!RectsTouch(r, bounds_)) return false;
        for (const Rect& a : area_)
            if (RectsTouch(r, a)) return true;
        return false;
    }

    Surface& target_;
    const std::vector<Rect>& area_;
    Rect bounds_;
    int32_t penWidth_ = 8;  // until a pen is selected through this surface
};

}  // namespace bw
