#include "model/soft_surface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace bw {

namespace {
#include "res/pieces/ball.xpm"
#include "res/pieces/cannon.xpm"
#include "res/pieces/flipper_left.xpm"
#include "res/pieces/flipper_right.xpm"
#include "res/pieces/hole.xpm"
#include "res/pieces/obstacle10.xpm"
#include "res/pieces/obstacle100.xpm"
#include "res/pieces/obstacle50.xpm"

template <size_t N>
Picture Parse(const char* const (&lines)[N]) {
    return ParseXpm(lines, static_cast<int>(N));
}
}  // namespace

const std::vector<Picture>& PiecePictures() {
    static const std::vector<Picture> pictures = {
        Parse(ball_xpm),         Parse(obstacle10_xpm),    Parse(obstacle50_xpm), Parse(obstacle100_xpm),
        Parse(hole_xpm),         Parse(flipper_left_xpm), Parse(flipper_right_xpm), Parse(cannon_xpm),
    };
    return pictures;
}

std::unique_ptr<SoftImageList> MakePieceImages(const std::vector<Picture>& pictures) {
    auto list = std::make_unique<SoftImageList>();
    for (const Picture& p : pictures) list->Add(p.width > 0 && p.height > 0 ? p : Picture{});
    return list;
}

std::unique_ptr<ImageList> BuiltinImageLoader::LoadPieceImages() const { return MakePieceImages(PiecePictures()); }

SoftSurface::SoftSurface(int32_t width, int32_t height, Color fill)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(static_cast<size_t>(width_) * height_, fill),
      clip_{0, 0, width_, height_} {}

RasterMode SoftSurface::SetRasterMode(RasterMode mode) {
    const RasterMode old = mode_;
    mode_ = mode;
    return old;
}

Pen SoftSurface::SelectPen(const Pen& pen) {
    const Pen old = pen_;
    pen_ = pen;
    return old;
}

void SoftSurface::SetClip(const Rect& clip) {
    clip_ = {std::max(0, clip.left), std::max(0, clip.top), std::min(width_, clip.right),
             std::min(height_, clip.bottom)};
}

std::vector<Rect> LinePixels(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, const Rect& bounds) {
    std::vector<Rect> out;
    if (bounds.IsEmpty()) return out;
    const int32_t w = std::max(1, width);
    const int32_t lo = -(w / 2), hi = (w - 1) / 2;
    // The walk moves a pixel at most each way at a time and always the same
    // way, so the squares that meet a row cover one run of it: per row of
    // `bounds`, the first and the last pixel covered.
    std::vector<std::pair<int64_t, int64_t>> rows(static_cast<size_t>(bounds.bottom - bounds.top),
                                                 {INT64_MAX, INT64_MIN});
    int64_t x = x1, y = y1;
    const int64_t dx = std::llabs(int64_t{x2} - x1), dy = -std::llabs(int64_t{y2} - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int64_t err = dx + dy;
    // Lines far outside are cut to a sane number of steps.
    for (int64_t steps = 0; steps < 1 << 16; ++steps) {
        if (x == x2 && y == y2) break;
        for (int64_t row = std::max<int64_t>(y + lo, bounds.top); row <= std::min<int64_t>(y + hi, bounds.bottom - 1); ++row) {
            auto& [first, last] = rows[static_cast<size_t>(row - bounds.top)];
            first = std::min(first, x + lo);
            last = std::max(last, x + hi);
        }
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const int64_t first = std::max<int64_t>(rows[i].first, bounds.left);
        const int64_t last = std::min<int64_t>(rows[i].second, bounds.right - 1);
        if (first > last) continue;
        const Rect run{static_cast<int32_t>(first), bounds.top + static_cast<int32_t>(i), static_cast<int32_t>(last + 1),
                       bounds.top + static_cast<int32_t>(i) + 1};
        // Runs of the same columns one under the other make one rectangle.
        if (!out.empty() && out.back().bottom == run.top && out.back().left == run.left && out.back().right == run.right)
            out.back().bottom = run.bottom;
        else
            out.push_back(run);
    }
    return out;
}

void SoftSurface::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const bool invert = mode_ == RasterMode::XorPen;
    for (const Rect& r : LinePixels(x1, y1, x2, y2, pen_.width, clip_)) {
        for (int32_t y = r.top; y < r.bottom; ++y) {
            Color* row = pixels_.data() + static_cast<size_t>(y) * width_;
            for (int32_t x = r.left; x < r.right; ++x) row[x] = invert ? row[x] ^ pen_.color : pen_.color;
        }
    }
}

void SoftSurface::FillRect(const Rect& r, Color color) {
    const int32_t l = std::max(r.left, clip_.left), t = std::max(r.top, clip_.top);
    const int32_t rr = std::min(r.right, clip_.right), b = std::min(r.bottom, clip_.bottom);
    for (int32_t y = t; y < b; ++y)
        for (int32_t x = l; x < rr; ++x) pixels_[static_cast<size_t>(y) * width_ + x] = color;
}

void SoftSurface::DrawImage(const ImageList& images, int index, int32_t x, int32_t y) {
    const auto* list = dynamic_cast<const SoftImageList*>(&images);
    if (!list || index < 0 || index >= list->Count()) return;
    const Picture& p = list->At(index);
    for (int32_t py = 0; py < p.height; ++py) {
        for (int32_t px = 0; px < p.width; ++px) {
            const Color c = p.At(px, py);
            if (c == kWhite) continue;
            const int64_t tx = int64_t{x} + px, ty = int64_t{y} + py;
            if (tx < clip_.left || tx >= clip_.right || ty < clip_.top || ty >= clip_.bottom) continue;
            pixels_[static_cast<size_t>(ty) * width_ + static_cast<size_t>(tx)] = c;
        }
    }
}

}  // namespace bw
