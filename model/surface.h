// The drawing surface the pieces paint on: exactly what the table's drawing
// needs. The editor's window implements it over a device context; the
// software surface implements it over a pixel buffer for tools and tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/region.h"

namespace bw {

// 0x00BBGGRR, the same layout as a Windows colour reference.
using Color = uint32_t;
constexpr Color Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t RedOf(Color c) { return c & 0xFF; }
constexpr uint32_t GreenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr uint32_t BlueOf(Color c) { return (c >> 16) & 0xFF; }

constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kBlack = Rgb(0, 0, 0);

// Raster operations, with the platform's codes.
enum class RasterMode : int32_t { XorPen = 7, CopyPen = 13 };

struct Pen {
    Color color = kBlack;
    int32_t width = 1;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// The window's pen for pieces, and the flipper's own.
constexpr Pen kPiecePen{Rgb(0, 150, 150), 2};
constexpr Pen kFlipperPen{kBlack, 2};
// The selection frame's pen.
constexpr Pen kFramePen{Rgb(0, 255, 255), 1};

// The pixels of a line drawn with `pen`'s width from (x1, y1) up to but
// not including (x2, y2): a square of the pen's width (its extra pixel
// left of and above the point when even) at every point Bresenham's walk
// visits. As rectangles that hold each pixel once, those within `bounds`
// only. Every surface draws its lines as exactly these pixels, so that the
// window and the render agree pixel for pixel whatever the platform's own
// wide lines look like.
std::vector<Rect> LinePixels(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, const Rect& bounds);

// A list of equally sized, masked images (the piece pictures).
class ImageList {
public:
    virtual ~ImageList() = default;
    virtual int Count() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
};

class Surface {
public:
    virtual ~Surface() = default;
    // Each returns the previous setting, so that callers can restore it.
    virtual RasterMode SetRasterMode(RasterMode mode) = 0;
    virtual Pen SelectPen(const Pen& pen) = 0;
    // A line with the selected pen and raster mode, from (x1, y1) up to but
    // not including (x2, y2).
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Fills the rectangle (right and bottom edges excluded) with a colour.
    virtual void FillRect(const Rect& r, Color color) = 0;
    // Draws image `index` of `images` with its upper left corner at (x, y),
    // leaving its transparent pixels alone. The raster mode does not apply.
    virtual void DrawImage(const ImageList& images, int index, int32_t x, int32_t y) = 0;
};

// Where the table gets its piece pictures from: resources on Windows, the
// built-in pictures elsewhere.
class ImageLoader {
public:
    virtual ~ImageLoader() = default;
    virtual std::unique_ptr<ImageList> LoadPieceImages() const = 0;
};

// No pictures, for a table that is never drawn (a copy to play or to check,
// a scratch table).
class NoImageLoader final : public ImageLoader {
public:
    std::unique_ptr<ImageList> LoadPieceImages() const override { return nullptr; }
};

}  // namespace bw
