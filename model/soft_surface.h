// A drawing surface over a pixel buffer, for tools and tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/surface.h"
#include "model/xpm.h"

namespace bw {

// Masked images in memory; white pixels are transparent. An empty picture
// (one that failed to load) keeps its index and draws nothing; the size is
// that of the first picture that is not empty.
class SoftImageList : public ImageList {
public:
    void Add(Picture pic) { images_.push_back(std::move(pic)); }
    int Count() const override { return static_cast<int>(images_.size()); }
    int32_t Width() const override { return First() ? First()->width : 0; }
    int32_t Height() const override { return First() ? First()->height : 0; }
    const Picture& At(int i) const { return images_[static_cast<size_t>(i)]; }

private:
    const Picture* First() const {
        for (const Picture& p : images_)
            if (p.width > 0) return &p;
        return nullptr;
    }
    std::vector<Picture> images_;
};

// The piece pictures as an image list, each at its own index (pictures
// are found by kind): one that failed to parse stays in its place, blank.
std::unique_ptr<SoftImageList> MakePieceImages(const std::vector<Picture>& pictures);

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
    int32_t width_, height_;
    std::vector<Color> pixels_;
    Rect clip_;
    RasterMode mode_ = RasterMode::CopyPen;
    Pen pen_{};
};

}  // namespace bw
