// A window that shows the playfield at a whole zoom, with the layout that
// follows it (win/window_layout.h): the template's layout noted once at the
// screen's DPI, the zoom shown, the default zoom of that DPI, the View
// menu's zoom steps, and the window's size following the zoom. Sized or
// maximized by hand, it shows the largest zoom that fits. A change of DPI
// (the window moved to another screen) scales the noted layout and the
// controls' font.
#pragma once

#include <windows.h>

#include "win/handles.h"
#include "win/window_layout.h"
#include "win/zoom.h"

namespace win {

enum class ZoomStep { In, Out, Default };

class WindowZoom {
public:
    // Notes where the template put `dialog`'s controls at `dpi`, the
    // controls taking a font for that DPI, and shows the default zoom, the
    // window taking the size that holds it. The control `toolBarId` (made
    // again at a change of DPI) stands on the right edge.
    void Start(HWND dialog, int toolBarId, UINT dpi);
    bool Started() const { return !layout_.Empty(); }

    UINT Dpi() const { return dpi_; }
    const PlayfieldZoom& Zoom() const { return zoom_; }

    // The zoom a step gives: larger than now only as far as the window can
    // grow; the zoom now where it changes nothing.
    int ZoomFor(ZoomStep step) const;
    bool CanStep(ZoomStep step) const { return ZoomFor(step) != zoom_.zoom(); }
    // Shows the zoom the step gives, the window taking the size that holds it.
    void Step(ZoomStep step);

    // WM_SIZE: the largest zoom whose layout fits the client area's new
    // size; every control placed and painted again.
    void Resized(UINT type, SIZE client);
    // WM_GETMINMAXINFO: the window no smaller than at the smallest zoom,
    // and maximized within the work area. False before the start.
    bool LimitSize(MINMAXINFO& info) const;

    // The window is on a screen of `dpi` now: the noted layout and the
    // controls' font are scaled to it.
    void Rescale(UINT dpi);
    // Then, with the toolbar made again for that DPI: the window, moved to
    // the top left corner of `suggested`, shows that DPI's default zoom.
    void ShowRescaled(const RECT& suggested);

private:
    HWND ToolBar() const { return GetDlgItem(dialog_, toolBarId_); }
    // Shows the playfield at `zoom`: the controls right of it and below it
    // move with its edges; the window takes the size that holds it when
    // `fitWindow`.
    void Apply(int zoom, bool fitWindow);
    void UseFontForDpi();

    HWND dialog_ = nullptr;
    int toolBarId_ = 0;
    ZoomLayout layout_;
    PlayfieldZoom zoom_;
    UINT dpi_ = 96;
    int defaultZoom_ = kDrawingZoom;
    bool layingOut_ = false;
    OwnedFont font_;  // the controls' font after a change of DPI
};

}  // namespace win
