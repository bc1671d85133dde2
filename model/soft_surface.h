// A drawing surface over a pixel buffer, for tools and tests.
#pragma once

#include <cstdint>
#include <vector>

#include "model/surface.h"
#include "model/xpm.h"

namespace bw {

// Masked images in memory; white pixels are transparent.
class SoftImageList : public ImageList {
public:
    void Add(Picture pic) { images_.push_back(std::move(pic)); }
    int Count() const override { return static_cast<int>(images_.size()); }
    int32_t Width() const override { return images_.empty() ? 0 : images_[0].width; }
    int32_t Height() const override { return images_.empty() ? 0 : images_[0].height; }
    const Picture& At(int i) const { return images_[static_cast<size_t>(i)]; }

private:
    std::vector<Picture> images_;
};

// The eight built-in piece pictures, ball first.
class BuiltinImageLoader : public ImageLoader {
public:
    std::unique_ptr<ImageList> LoadPieceImages() const override;
};

// The built-in pictures of the pieces, in image-list order (ball first).
const std::vector<Picture>& PiecePictures();

class SoftSurface : public Surface {
public:
    SoftSurface(int32_t width, int32_t height, Color fill = kWhite);

    RasterMode SetRasterMode(RasterMode mode) override;
    Pen SelectPen(const Pen& pen) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void FillRect(const Rect& r, Color color) override;
    void DrawImage(const ImageList& images, int index, int32_t x, int32_t y) override;

    // Drawing outside the clip rectangle is dropped (right/bottom excluded).
    void SetClip(const Rect& clip);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    Color At(int32_t x, int32_t y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const std::vector<Color>& Pixels() const { return pixels_; }

private:
    void Plot(int32_t x, int32_t y, Color c);

    int32_t width_, height_;
    std::vector<Color> pixels_;
    Rect clip_;
    RasterMode mode_ = RasterMode::CopyPen;
    Pen pen_{};
    std::vector<uint32_t> stamp_;  // per-pixel mark so a wide XOR line hits each pixel once
    uint32_t stampId_ = 0;
};

}  // namespace bw
