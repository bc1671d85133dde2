// The window at any DPI and zoom (the zoom and the layout themselves:
// win/window_zoom.h). A change of DPI (the window moved to another screen)
// also makes the toolbar again with its pictures at the new size.
#include <windows.h>

#include "res/resource.h"
#include "ui/table_dialog.h"

namespace ui {

namespace {

win::ZoomStep StepOf(UINT command) {
    switch (command) {
        case ID_VIEW_ZOOM_IN: return win::ZoomStep::In;
        case ID_VIEW_ZOOM_OUT: return win::ZoomStep::Out;
        default: return win::ZoomStep::Default;
    }
}

}  // namespace

bw::Point TableDialog::EditorPoint(POINT window) const {
    const POINT p = view_.Zoom().ToDrawing(window);
    return {static_cast<int32_t>(p.x), static_cast<int32_t>(p.y)};
}

void TableDialog::OnZoomCommand(UINT command) { view_.Step(StepOf(command)); }

bool TableDialog::CanZoom(UINT command) const { return view_.CanStep(StepOf(command)); }

bool TableDialog::OnSize(UINT type, int width, int height) {
    view_.Resized(type, {width, height});
    return false;
}

bool TableDialog::OnGetMinMaxInfo(MINMAXINFO& info) { return view_.LimitSize(info); }

bool TableDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == view_.Dpi() || !view_.Started()) return true;
    view_.Rescale(dpi);
    // The toolbar again, with its pictures at the new size.
    toolTip_.reset();
    toolBar_.reset();
    toolBarPictures_.reset();
    if (!CreateToolBar(dpi)) return true;
    ToolChanged();
    view_.ShowRescaled(suggested);
    return true;
}

}  // namespace ui
