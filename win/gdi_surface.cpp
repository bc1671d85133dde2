#include "win/gdi_surface.h"

#include <cstring>

namespace win {

HBRUSH GdiCache::BrushFor(bw::Color color) {
    if (color == bw::kWhite) return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (color == bw::kBlack) return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (auto& [c, h] : brushes_)
        if (c == color) return h.get();
    brushes_.emplace_back(color, OwnedBrush(CreateSolidBrush(color)));
    return brushes_.back().second.get();
}

SystemImageList::SystemImageList(OwnedImageList list, int32_t width, int32_t height)
    : list_(std::move(list)), width_(width), height_(height), count_(list_ ? ImageList_GetImageCount(list_.get()) : 0) {
    if (count_ == 0) return;
    WindowDc screen(nullptr);
    colourDc_.reset(CreateCompatibleDC(screen.get()));
    maskDc_.reset(CreateCompatibleDC(screen.get()));
    colour_.reset(CreateCompatibleBitmap(screen.get(), width_ * count_, height_));
    mask_.reset(CreateBitmap(width_ * count_, height_, 1, 1, nullptr));
    if (!colourDc_ || !maskDc_ || !colour_ || !mask_) return;
    oldColour_ = SelectObject(colourDc_.get(), colour_.get());
    oldMask_ = SelectObject(maskDc_.get(), mask_.get());
    // The images drawn over black and over white: where the two differ,
    // the background showed through, and that is the mask.
    const int stripWidth = width_ * count_;
    OwnedMemoryDc overWhiteDc(CreateCompatibleDC(screen.get()));
    OwnedBitmap overWhite(CreateCompatibleBitmap(screen.get(), stripWidth, height_));
    if (!overWhiteDc || !overWhite) return;
    SelectedObject chosen(overWhiteDc.get(), overWhite.get());
    PatBlt(colourDc_.get(), 0, 0, stripWidth, height_, BLACKNESS);
    PatBlt(overWhiteDc.get(), 0, 0, stripWidth, height_, WHITENESS);
    for (int i = 0; i < count_; ++i) {
        for (HDC dc : {colourDc_.get(), overWhiteDc.get()})
            ImageList_DrawEx(list_.get(), i, dc, i * width_, 0, width_, height_, CLR_NONE, CLR_DEFAULT, ILD_NORMAL);
    }
    BitBlt(overWhiteDc.get(), 0, 0, stripWidth, height_, colourDc_.get(), 0, 0, SRCINVERT);
    SetBkColor(overWhiteDc.get(), RGB(255, 255, 255));
    BitBlt(maskDc_.get(), 0, 0, stripWidth, height_, overWhiteDc.get(), 0, 0, SRCCOPY);
}

SystemImageList::~SystemImageList() {
    if (oldColour_) SelectObject(colourDc_.get(), oldColour_);
    if (oldMask_) SelectObject(maskDc_.get(), oldMask_);
}

void SystemImageList::Draw(HDC dc, int index, int32_t x, int32_t y) const {
    if (index < 0 || index >= count_) return;
    if (!oldColour_ || !oldMask_) {
        ImageList_DrawEx(list_.get(), index, dc, x, y, width_, height_, CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL);
        return;
    }
    // The mask keeps the background where the image is transparent and
    // clears it elsewhere; the colour picture then fills the cleared part.
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width_, height_, maskDc_.get(), index * width_, 0, SRCAND);
    BitBlt(dc, x, y, width_, height_, colourDc_.get(), index * width_, 0, SRCPAINT);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

namespace {

// A picture that is all white: all transparent once added masked.
OwnedBitmap BlankBitmap(int32_t width, int32_t height) {
    WindowDc screen(nullptr);
    OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    OwnedMemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc) return {};
    SelectedObject chosen(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, width, height, WHITENESS);
    return bitmap;
}

}  // namespace

std::unique_ptr<bw::ImageList> ResourceImageLoader::LoadPieceImages() const {
    // Pictures are found by kind, so each keeps its index: one that cannot
    // be loaded leaves a blank picture in its place.
    std::vector<OwnedBitmap> bitmaps;
    int32_t width = 0, height = 0;
    for (int i = 0; i < count_; ++i) {
        bitmaps.emplace_back(static_cast<HBITMAP>(
            LoadImageW(instance_, MAKEINTRESOURCEW(firstId_ + i), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        if (bitmaps.back() && width <= 0) {
            BITMAP info{};
            GetObjectW(bitmaps.back().get(), sizeof info, &info);
            width = info.bmWidth;
            height = info.bmHeight;
        }
    }
    if (width <= 0 || height <= 0) return nullptr;
    OwnedImageList list(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count_, 4));
    if (!list) return nullptr;
    for (const OwnedBitmap& bitmap : bitmaps) {
        if (bitmap && ImageList_AddMasked(list.get(), bitmap.get(), RGB(255, 255, 255)) >= 0) continue;
        // A new blank each time: adding a bitmap masked blackens its white.
        const OwnedBitmap blank = BlankBitmap(width, height);
        // No pictures at all rather than pictures of other kinds.
        if (!blank || ImageList_AddMasked(list.get(), blank.get(), RGB(255, 255, 255)) < 0) return nullptr;
    }
    return std::make_unique<SystemImageList>(std::move(list), width, height);
}

DcSurface::DcSurface(HDC dc, GdiCache& cache) : dc_(dc), cache_(cache), originalRop_(GetROP2(dc)) {}

DcSurface::~DcSurface() { SetROP2(dc_, originalRop_); }

bw::RasterMode DcSurface::SetRasterMode(bw::RasterMode mode) {
    const int old = SetROP2(dc_, static_cast<int>(mode));
    return old == R2_XORPEN ? bw::RasterMode::XorPen : bw::RasterMode::CopyPen;
}

bw::Pen DcSurface::SelectPen(const bw::Pen& pen) {
    const bw::Pen old = pen_;
    pen_ = pen;
    return old;
}

void DcSurface::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    // The line's pixels as the portable surface draws them, filled with the
    // pen's colour in the raster mode (the system's own wide lines have
    // round ends of their own); only those the clipping lets through.
    RECT box{};
    if (GetClipBox(dc_, &box) == NULLREGION || IsRectEmpty(&box)) return;
    const std::vector<bw::Rect> pixels = bw::LinePixels(x1, y1, x2, y2, pen_.width, {box.left, box.top, box.right, box.bottom});
    if (pixels.empty()) return;
    const DWORD rop = GetROP2(dc_) == R2_XORPEN ? PATINVERT : PATCOPY;
    const SelectedObject brush(dc_, cache_.BrushFor(pen_.color));
    for (const bw::Rect& r : pixels) PatBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, rop);
}

void DcSurface::FillRect(const bw::Rect& r, bw::Color color) {
    const RECT rc{r.left, r.top, r.right, r.bottom};
    ::FillRect(dc_, &rc, cache_.BrushFor(color));
}

void DcSurface::DrawImage(const bw::ImageList& images, int index, int32_t x, int32_t y) {
    if (const auto* list = dynamic_cast<const SystemImageList*>(&images)) list->Draw(dc_, index, x, y);
}

OwnedRegion MakeSystemRegion(const bw::Region& region) {
    const std::vector<bw::Rect> rects = region.Rects();
    if (rects.empty()) return OwnedRegion(CreateRectRgn(0, 0, 0, 0));
    std::vector<char> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(rects.size());
    header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    const bw::Rect box = region.Box();
    header->rcBound = {box.left, box.top, box.right, box.bottom};
    auto* out = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
    for (size_t i = 0; i < rects.size(); ++i) out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    return OwnedRegion(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())));
}

int64_t RegionArea(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return 0;
    std::vector<char> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region, size, rd) == 0) return 0;
    const auto* rects = reinterpret_cast<const RECT*>(rd->Buffer);
    int64_t area = 0;
    for (DWORD i = 0; i < rd->rdh.nCount; ++i)
        area += int64_t{rects[i].right - rects[i].left} * (rects[i].bottom - rects[i].top);
    return area;
}

}  // namespace win
