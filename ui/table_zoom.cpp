// The window at any DPI and zoom (the layout itself: win/window_layout.h).
// The window may be resized and maximized: it shows the largest zoom that
// fits. A change of DPI (the window moved to another screen) scales the
// noted layout, the controls' font and the toolbar's pictures.
#include <windows.h>

#include <algorithm>

#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/resources.h"
#include "win/toolbar.h"

namespace ui {

namespace {

// The default zoom at a DPI: two at 96, three at 144, four at 192.
int ZoomForDpi(UINT dpi) {
    return std::clamp(static_cast<int>(dpi) * win::kDrawingZoom / 96, win::kSmallestZoom, win::kLargestZoom);
}

}  // namespace

UINT TableDialog::CurrentDpi() const { return win::WindowDpi(hwnd()); }

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
    layout_.Capture(hwnd(), toolBar_.get(), dpi_);
    // The playfield at the default zoom may be larger than its room in the
    // template: the controls make way.
    ApplyZoom(layoutZoom_, true);
}

void TableDialog::ApplyZoom(int zoom, bool fitWindow) {
    if (layout_.Empty()) return;
    layingOut_ = true;
    zoom_ = win::PlayfieldZoom(std::clamp(zoom, win::kSmallestZoom, win::kLargestZoom));
    if (fitWindow && !IsZoomed(hwnd()) && !IsIconic(hwnd())) {
        const SIZE size = win::WindowSizeFor(hwnd(), layout_.ClientSizeFor(zoom_.zoom()));
        SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        win::KeepWithinWorkArea(hwnd());
    }
    layout_.Place(hwnd(), toolBar_.get(), zoom_.zoom());
    layingOut_ = false;
}

int TableDialog::ZoomFor(UINT command) const {
    const int now = zoom_.zoom();
    const int wanted = std::clamp(command == ID_VIEW_ZOOM_IN    ? now + 1
                                  : command == ID_VIEW_ZOOM_OUT ? now - 1
                                                                : layoutZoom_,
                                  win::kSmallestZoom, win::kLargestZoom);
    if (wanted <= now || layout_.Empty()) return wanted;
    return std::max(now, std::min(wanted, layout_.ZoomThatFits(win::LargestClient(hwnd()))));
}

void TableDialog::OnZoomCommand(UINT command) {
    if (const int zoom = ZoomFor(command); zoom != zoom_.zoom()) ApplyZoom(zoom, true);
}

bool TableDialog::OnSize(UINT type, int width, int height) {
    if (layingOut_ || layout_.Empty() || type == SIZE_MINIMIZED) return false;
    // The largest zoom whose layout fits the new size; every control placed
    // and painted again.
    zoom_ = win::PlayfieldZoom(layout_.ZoomThatFits({width, height}));
    layout_.Place(hwnd(), toolBar_.get(), zoom_.zoom());
    return false;
}

bool TableDialog::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (layout_.Empty()) return false;
    const SIZE least = win::WindowSizeFor(hwnd(), layout_.ClientSizeFor(win::kSmallestZoom));
    info.ptMinTrackSize = {least.cx, least.cy};
    win::FitMaximizedToWorkArea(hwnd(), info);
    return true;
}

bool TableDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == dpi_ || layout_.Empty()) return true;
    layout_.Rescale(dpi_, dpi);
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
    layout_.UseToolBar(toolBar_.get());
    ToolChanged();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyZoom(layoutZoom_, true);
    return true;
}

}  // namespace ui
