// The window at any DPI and zoom. The template's layout at the screen's DPI
// is noted once; at another zoom the playfield grows or shrinks by whole
// table sizes and the controls right of it and below it move with its
// edges. The window may be resized and maximized: it shows the largest
// zoom that fits. A change of DPI (the window moved to another screen)
// scales the noted layout, the controls' font and the toolbar's pictures.
#include <windows.h>

#include <algorithm>

#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/resources.h"
#include "win/toolbar.h"

namespace ui {

namespace {

// The window's DPI: its screen's where the system knows it per window.
UINT WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow)
        if (const UINT dpi = dpiForWindow(window)) return dpi;
    win::WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The default zoom at a DPI: two at 96, three at 144, four at 192.
int ZoomForDpi(UINT dpi) {
    return std::clamp(static_cast<int>(dpi) * win::kDrawingZoom / 96, win::kSmallestZoom, win::kLargestZoom);
}

RECT ClientRectOf(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG Scaled(LONG v, UINT to, UINT from) { return MulDiv(v, static_cast<int>(to), static_cast<int>(from)); }

}  // namespace

UINT TableDialog::CurrentDpi() const { return WindowDpi(hwnd()); }

int TableDialog::ToolBarPictureSize() const { return MulDiv(20, static_cast<int>(dpi_), 96); }

bw::Point TableDialog::EditorPoint(POINT window) const {
    const POINT p = zoom_.ToDrawing(window);
    return {static_cast<int32_t>(p.x), static_cast<int32_t>(p.y)};
}

void TableDialog::UseFontForDpi() {
    // At 96 dpi the template's own font; at any other the bitmap font of
    // the template cannot grow with the screen, so the controls take a
    // scalable one of the same size in points.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    win::OwnedFont scaled;
    if (dpi_ != 96) {
        LOGFONTW face{};
        face.lfHeight = -MulDiv(10, static_cast<int>(dpi_), 72);
        face.lfWeight = FW_BOLD;
        face.lfCharSet = DEFAULT_CHARSET;
        face.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(face.lfFaceName, L"Tahoma", LF_FACESIZE);
        scaled.reset(CreateFontIndirectW(&face));
        if (scaled) font = scaled.get();
    }
    for (HWND c = GetWindow(hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (c != toolBar_.get()) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    dpiFont_ = std::move(scaled);
}

void TableDialog::CaptureLayout() {
    UseFontForDpi();
    layoutZoom_ = ZoomForDpi(dpi_);
    zoom_ = win::PlayfieldZoom(layoutZoom_);
    RECT client{};
    GetClientRect(hwnd(), &client);
    const RECT bar = ClientRectOf(hwnd(), toolBar_.get());
    toolBarWidth_ = bar.right - bar.left;
    layoutClient_ = {client.right - toolBarWidth_, client.bottom};
    layoutPlayfield_ = {bw::kPlayfieldWidth, bw::kPlayfieldHeight};
    layout_.clear();
    for (HWND c = GetWindow(hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (c != toolBar_.get()) layout_.push_back({c, ClientRectOf(hwnd(), c)});
    if (dpi_ != 96) {
        // The template's font does not grow evenly with the screen: the
        // layout is the one at 96 dpi (two pixels a dialog unit), scaled.
        RECT units{0, 0, 1000, 1000};
        MapDialogRect(hwnd(), &units);
        const int wantX = MulDiv(2000, static_cast<int>(dpi_), 96), wantY = wantX;
        auto x = [&](LONG v) { return MulDiv(v, wantX, units.right); };
        auto y = [&](LONG v) { return MulDiv(v, wantY, units.bottom); };
        for (ControlPlace& place : layout_) {
            RECT& r = place.rect;
            r = {x(r.left), y(r.top), x(r.right), y(r.bottom)};
        }
        layoutClient_ = {x(layoutClient_.cx), y(layoutClient_.cy)};
        layoutPlayfield_ = {MulDiv(bw::kPlayfieldWidth, static_cast<int>(dpi_), 96),
                            MulDiv(bw::kPlayfieldHeight, static_cast<int>(dpi_), 96)};
    }
    // The playfield at the default zoom may be larger than its room in the
    // template: the controls make way.
    ApplyZoom(layoutZoom_, true);
}

SIZE TableDialog::ClientSizeFor(int zoom) const {
    const LONG dx = bw::kTableWidth * zoom - layoutPlayfield_.cx, dy = bw::kTableHeight * zoom - layoutPlayfield_.cy;
    return {layoutClient_.cx + std::max<LONG>(dx, 0) + toolBarWidth_, layoutClient_.cy + std::max<LONG>(dy, 0)};
}

void TableDialog::PlaceToolBar() {
    if (!toolBar_) return;
    RECT client{};
    GetClientRect(hwnd(), &client);
    SetWindowPos(toolBar_.get(), nullptr, client.right - toolBarWidth_, 0, toolBarWidth_, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TableDialog::ApplyZoom(int zoom, bool fitWindow) {
    if (layout_.empty()) return;
    zoom = std::clamp(zoom, win::kSmallestZoom, win::kLargestZoom);
    layingOut_ = true;
    zoom_ = win::PlayfieldZoom(zoom);
    // The playfield's edges move by what it takes beyond its room in the
    // template (never less than the template gives it).
    const LONG dx = std::max<LONG>(bw::kTableWidth * zoom - layoutPlayfield_.cx, 0);
    const LONG dy = std::max<LONG>(bw::kTableHeight * zoom - layoutPlayfield_.cy, 0);
    for (const ControlPlace& place : layout_) {
        RECT r = place.rect;
        if (r.left >= layoutPlayfield_.cx) {
            OffsetRect(&r, dx, 0);
            if (r.top < layoutPlayfield_.cy && r.bottom > layoutPlayfield_.cy) r.bottom += dy;  // the dividing line
        } else if (r.top >= layoutPlayfield_.cy) {
            OffsetRect(&r, 0, dy);
        }
        SetWindowPos(place.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (fitWindow && !IsZoomed(hwnd()) && !IsIconic(hwnd())) {
        const SIZE need = ClientSizeFor(zoom);
        RECT outer{}, client{};
        GetWindowRect(hwnd(), &outer);
        GetClientRect(hwnd(), &client);
        SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left - client.right + need.cx,
                     outer.bottom - outer.top - client.bottom + need.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceToolBar();
    layingOut_ = false;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void TableDialog::ZoomByHand(int zoom) {
    zoom = std::clamp(zoom, win::kSmallestZoom, win::kLargestZoom);
    if (IsZoomed(hwnd())) {
        // Maximized: no larger than the screen's room.
        RECT client{};
        GetClientRect(hwnd(), &client);
        const SIZE at2 = ClientSizeFor(win::kSmallestZoom);
        zoom = std::min(zoom, win::ZoomThatFits(client.right - at2.cx + bw::kTableWidth * win::kSmallestZoom,
                                                client.bottom - at2.cy + bw::kTableHeight * win::kSmallestZoom,
                                                bw::kTableWidth, bw::kTableHeight));
    }
    if (zoom != zoom_.zoom()) ApplyZoom(zoom, true);
}

bool TableDialog::OnSize(UINT type, int width, int height) {
    if (layingOut_ || layout_.empty() || type == SIZE_MINIMIZED) return false;
    // The largest zoom whose layout fits the new size.
    int fits = win::kSmallestZoom;
    for (int z = win::kLargestZoom; z > win::kSmallestZoom; --z) {
        const SIZE need = ClientSizeFor(z);
        if (need.cx <= width && need.cy <= height) {
            fits = z;
            break;
        }
    }
    if (fits != zoom_.zoom()) ApplyZoom(fits, false);
    else PlaceToolBar();
    return false;
}

bool TableDialog::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (layout_.empty()) return false;
    const SIZE need = ClientSizeFor(win::kSmallestZoom);
    RECT outer{}, client{};
    GetWindowRect(hwnd(), &outer);
    GetClientRect(hwnd(), &client);
    info.ptMinTrackSize = {outer.right - outer.left - client.right + need.cx,
                           outer.bottom - outer.top - client.bottom + need.cy};
    return true;
}

bool TableDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == dpi_ || layout_.empty()) return true;
    const UINT from = dpi_;
    for (ControlPlace& place : layout_) {
        RECT& r = place.rect;
        r = {Scaled(r.left, dpi, from), Scaled(r.top, dpi, from), Scaled(r.right, dpi, from), Scaled(r.bottom, dpi, from)};
    }
    layoutClient_ = {Scaled(layoutClient_.cx, dpi, from), Scaled(layoutClient_.cy, dpi, from)};
    layoutPlayfield_ = {Scaled(layoutPlayfield_.cx, dpi, from), Scaled(layoutPlayfield_.cy, dpi, from)};
    dpi_ = dpi;
    UseFontForDpi();
    layoutZoom_ = ZoomForDpi(dpi);
    // The toolbar again, with its pictures at the new size.
    toolTip_.reset();
    toolBar_.reset();
    toolBarPictures_.reset();
    if (!CreateToolBar() || !CreateToolTips()) {
        FailInitialisation(!toolBar_ ? IDS_NO_TOOLBAR : IDS_NO_TOOLTIPS);
        return true;
    }
    RECT bar = ClientRectOf(hwnd(), toolBar_.get());
    toolBarWidth_ = bar.right - bar.left;
    ToolChanged();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyZoom(layoutZoom_, true);
    return true;
}

}  // namespace ui
