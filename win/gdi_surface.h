// The table's drawing surface over a device context, the piece pictures as
// a system image list, and regions turned into system regions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>
#include <vector>

#include "model/region.h"
#include "model/surface.h"
#include "win/handles.h"

namespace win {

// Brushes, each created the first time it is asked for and kept until the
// cache goes.
class GdiCache {
public:
    HBRUSH BrushFor(bw::Color color);

private:
    std::vector<std::pair<bw::Color, OwnedBrush>> brushes_;
};

// Masked images of equal size in a system image list. For drawing, each
// image is also kept as a colour picture (black where transparent) and a
// mask in two strips, so that drawing one is two plain block copies.
class SystemImageList : public bw::ImageList {
public:
    SystemImageList(OwnedImageList list, int32_t width, int32_t height);
    ~SystemImageList() override;
    int Count() const override { return count_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    HIMAGELIST get() const { return list_.get(); }

    // Draws image `index` with its transparent pixels left alone, as the
    // image list's own masked drawing does.
    void Draw(HDC dc, int index, int32_t x, int32_t y) const;

private:
    OwnedImageList list_;
    int32_t width_, height_;
    int count_;
    OwnedMemoryDc colourDc_, maskDc_;
    OwnedBitmap colour_, mask_;
    HGDIOBJ oldColour_ = nullptr, oldMask_ = nullptr;
};

// The piece pictures from bitmap resources firstId, firstId + 1, ...: the
// first bitmap's size is the image size; white is transparent. A bitmap
// that cannot be loaded is a blank picture at its index.
class ResourceImageLoader : public bw::ImageLoader {
public:
    ResourceImageLoader(HINSTANCE instance, UINT firstId, int count)
        : instance_(instance), firstId_(firstId), count_(count) {}
    std::unique_ptr<bw::ImageList> LoadPieceImages() const override;

private:
    HINSTANCE instance_;
    UINT firstId_;
    int count_;
};

// Drawing on a device context. Lines are the portable surface's pixels
// (bw::LinePixels), not the system's. The context's raster mode is put
// back when the surface goes.
class DcSurface : public bw::Surface {
public:
    DcSurface(HDC dc, GdiCache& cache);
    ~DcSurface() override;
    DcSurface(const DcSurface&) = delete;
    DcSurface& operator=(const DcSurface&) = delete;

    bw::RasterMode SetRasterMode(bw::RasterMode mode) override;
    bw::Pen SelectPen(const bw::Pen& pen) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void FillRect(const bw::Rect& r, bw::Color color) override;
    void DrawImage(const bw::ImageList& images, int index, int32_t x, int32_t y) override;

    HDC dc() const { return dc_; }

private:
    HDC dc_;
    GdiCache& cache_;
    int originalRop_;
    bw::Pen pen_{};  // the pen last selected through this surface
};

// A system region with the same pixels; none for an empty region.
OwnedRegion MakeSystemRegion(const bw::Region& region);

// The number of pixels in a system region.
int64_t RegionArea(HRGN region);

}  // namespace win
