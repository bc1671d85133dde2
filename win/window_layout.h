// The main window's layout at any DPI and zoom, and its place on the
// screen. The template's layout is noted once; at another zoom the
// playfield grows by whole table sizes, the controls right of it and below
// it move with its edges, the toolbar stands on the right edge and the
// dividing line beside it runs from top to bottom, whatever the window's
// size. Maximized, the window keeps its caption and its client area within
// the work area of its screen.
#pragma once

#include <windows.h>

#include <vector>

namespace win {

// A child window's rectangle in its parent's client coordinates.
RECT ControlRect(HWND parent, HWND child);

// The DPI of `window`'s screen where the system knows it per window,
// otherwise the system's.
UINT WindowDpi(HWND window);

class ZoomLayout {
public:
    // Notes where the template put `dialog`'s controls (all but `toolbar`)
    // around the playfield (the table at twice its size) at `dpi`. At any
    // DPI but 96 the template's font does not grow evenly with the screen:
    // the layout is then the one at 96 dpi (two pixels a dialog unit),
    // scaled.
    void Capture(HWND dialog, HWND toolbar, UINT dpi);
    // The same layout on a screen of `to` dpi instead of `from`.
    void Rescale(UINT from, UINT to);
    // A new toolbar (its pictures at another size): its width counts now.
    void UseToolBar(HWND toolbar);
    bool Empty() const { return controls_.empty(); }

    // The client size the window needs to show the playfield at `zoom`.
    SIZE ClientSizeFor(int zoom) const;
    // The largest zoom whose layout fits a client area of `client`; the
    // smallest when none does.
    int ZoomThatFits(SIZE client) const;
    // Places the controls for `zoom` and the toolbar in `dialog`'s client
    // area as it is now, and has the whole window painted again: moved
    // controls show nothing of where they were.
    void Place(HWND dialog, HWND toolbar, int zoom) const;

private:
    struct ControlPlace {
        HWND control;
        RECT rect;  // client coordinates at the default zoom
    };
    std::vector<ControlPlace> controls_;
    SIZE client_{};     // the dialog's own area at the default zoom, the toolbar not included
    SIZE playfield_{};  // the playfield's room in that layout
    int toolBarWidth_ = 0;
};

// Maximized, the window fills the work area of its screen: only its
// sizing frame lies outside, so that the caption, the menu and the client
// area are on the screen.
void FitMaximizedToWorkArea(HWND window, MINMAXINFO& info);

// The size of `window` with a client area of `client` (its frame, caption
// and menu as they are).
SIZE WindowSizeFor(HWND window, SIZE client);

// The largest client area `window` can have: maximized, the one it has;
// otherwise what the largest window the system allows holds.
SIZE LargestClient(HWND window);

// Moves `window` (not maximized) into its screen's work area as far as its
// size allows, its caption first.
void KeepWithinWorkArea(HWND window);

// Shows `window` (not yet shown) beside `owner`, right of it as far as the
// work area allows, its top edge level with the owner's.
void ShowBeside(HWND window, HWND owner);

}  // namespace win
