#include "win/window_zoom.h"

#include <algorithm>

namespace win {

namespace {

// The default zoom at a DPI: two at 96, three at 144, four at 192.
int ZoomForDpi(UINT dpi) { return std::clamp(static_cast<int>(dpi) * kDrawingZoom / 96, kSmallestZoom, kLargestZoom); }

}  // namespace

void WindowZoom::Start(HWND dialog, int toolBarId, UINT dpi) {
    dialog_ = dialog;
    toolBarId_ = toolBarId;
    dpi_ = dpi;
    UseFontForDpi();
    defaultZoom_ = ZoomForDpi(dpi_);
    zoom_ = PlayfieldZoom(defaultZoom_);
    layout_.Capture(dialog_, ToolBar(), dpi_);
    // The playfield at the default zoom may be larger than its room in the
    // template: the controls make way.
    Apply(defaultZoom_, true);
}

void WindowZoom::UseFontForDpi() {
    // At 96 dpi the template's own font; at any other the bitmap font of
    // the template cannot grow with the screen, so the controls take a
    // scalable one of the same size in points.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
    OwnedFont scaled;
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
    const HWND toolBar = ToolBar();
    for (HWND c = GetWindow(dialog_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (c != toolBar) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    font_ = std::move(scaled);
}

void WindowZoom::Apply(int zoom, bool fitWindow) {
    if (layout_.Empty()) return;
    layingOut_ = true;
    zoom_ = PlayfieldZoom(std::clamp(zoom, kSmallestZoom, kLargestZoom));
    if (fitWindow && !IsZoomed(dialog_) && !IsIconic(dialog_)) {
        const SIZE size = WindowSizeFor(dialog_, layout_.ClientSizeFor(zoom_.zoom()));
        SetWindowPos(dialog_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        KeepWithinWorkArea(dialog_);
    }
    layout_.Place(dialog_, ToolBar(), zoom_.zoom());
    layingOut_ = false;
}

int WindowZoom::ZoomFor(ZoomStep step) const {
    const int now = zoom_.zoom();
    const int wanted = std::clamp(step == ZoomStep::In    ? now + 1
                                  : step == ZoomStep::Out ? now - 1
                                                          : defaultZoom_,
                                  kSmallestZoom, kLargestZoom);
    if (wanted <= now || layout_.Empty()) return wanted;
    return std::max(now, std::min(wanted, layout_.ZoomThatFits(LargestClient(dialog_))));
}

void WindowZoom::Step(ZoomStep step) {
    if (const int zoom = ZoomFor(step); zoom != zoom_.zoom()) Apply(zoom, true);
}

void WindowZoom::Resized(UINT type, SIZE client) {
    if (layingOut_ || layout_.Empty() || type == SIZE_MINIMIZED) return;
    zoom_ = PlayfieldZoom(layout_.ZoomThatFits(client));
    layout_.Place(dialog_, ToolBar(), zoom_.zoom());
}

bool WindowZoom::LimitSize(MINMAXINFO& info) const {
    if (layout_.Empty()) return false;
    const SIZE least = WindowSizeFor(dialog_, layout_.ClientSizeFor(kSmallestZoom));
    info.ptMinTrackSize = {least.cx, least.cy};
    FitMaximizedToWorkArea(dialog_, info);
    return true;
}

void WindowZoom::Rescale(UINT dpi) {
    layout_.Rescale(dpi_, dpi);
    dpi_ = dpi;
    UseFontForDpi();
    defaultZoom_ = ZoomForDpi(dpi);
}

void WindowZoom::ShowRescaled(const RECT& suggested) {
    layout_.UseToolBar(ToolBar());
    SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Apply(defaultZoom_, true);
}

}  // namespace win
