// Toolbar resources: a list of command identifiers (0 for a separator)
// with the button size, and a bitmap of the same identifier holding one
// picture per button, left to right.
#pragma once

#include <windows.h>

#include <vector>

#include "win/handles.h"

namespace win {

struct ToolBarResource {
    int buttonWidth = 0;
    int buttonHeight = 0;
    std::vector<UINT> commands;  // 0 = separator
};

// Reads toolbar resource `id`; false when there is none or it is malformed.
bool ReadToolBarResource(HINSTANCE instance, UINT id, ToolBarResource& out);

// Loads toolbar resource `id` and its bitmap into a toolbar control. With
// `vertical` every button and separator ends its row, so that the bar
// stands upright. With a `pictureSize` other than the resource's, the
// pictures are enlarged (or reduced) to it pixel for pixel, into a bitmap
// that `pictures` keeps for as long as the toolbar lives. False when either
// cannot be loaded.
bool LoadToolBar(HWND toolbar, HINSTANCE instance, UINT id, bool vertical, int pictureSize = 0,
                 OwnedBitmap* pictures = nullptr);

// Stands an upright toolbar on the right edge of `window`, which grows by
// the bar's width so that its own area keeps its size.
void PlaceOnRightEdge(HWND window, HWND toolbar);

// Makes the buttons `first` to `last` one check group.
void MakeCheckGroup(HWND toolbar, UINT first, UINT last);

// An upright toolbar (a flat column of buttons), control `id` of `parent`.
HWND CreateVerticalToolBar(HWND parent, UINT id);
// A tool-tip window, always shown, for controls of `owner`.
HWND CreateToolTipWindow(HWND owner);

// Checks command `checked` on the toolbar and in the menu, and unchecks the
// others of `first` to `last` (all of them when `checked` is none of them).
void CheckOneCommand(HWND toolbar, HMENU menu, UINT first, UINT last, UINT checked);

// A button shown pressed but not checked is released once the mouse leaves
// it.
class PressedButtons {
public:
    // The mouse moved to `position` (as WM_MOUSEMOVE gives it); the buttons
    // `first` to `last` that it left are released.
    void MouseMoved(HWND toolbar, UINT first, UINT last, LPARAM position);

private:
    POINT previous_{0, 0};
};

// Adds a tool tip for each button `first` to `last`: the string-table text
// of the button's command.
void AddToolTips(HWND tips, HWND toolbar, HINSTANCE instance, UINT first, UINT last);

}  // namespace win
