// Small helpers for the system's controls, menus and window icons.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win/handles.h"

namespace win {

// Text with its line breaks made CR LF, as multi-line controls and the
// clipboard want them (a CR LF already there stays as it is).
std::string WithCrLf(std::string_view text);

// The text of the dialog's control `id`.
void SetItemText(HWND dialog, int id, const std::string& text);
// Enables or disables each of the dialog's controls `ids`.
void EnableItems(HWND dialog, std::initializer_list<int> ids, bool enabled);

// A menu item's grey and its check mark, found by its command.
void EnableCommand(HMENU menu, UINT id, bool enabled);
void CheckCommand(HMENU menu, UINT id, bool checked);

// Fills a list box with its lines and the data of each, without a repaint
// per line; the list scrolls sideways as far as its longest line reaches.
using ListLine = std::pair<std::string, LPARAM>;
void FillListBox(HWND list, const std::vector<ListLine>& lines);
// The data of the list box's selected line; none when none is selected.
std::optional<LPARAM> SelectedListData(HWND list);

// Gives `window` `big` as its large icon and a 16-pixel picture of icon
// resource `id` as its small one (`big` when there is none). The small
// icon is the caller's to keep for as long as the window lives.
OwnedIcon SetWindowIcons(HWND window, HICON big, UINT id);

// A dialog that may be made larger than it opens, never smaller: each
// control noted keeps its place, grows with the width or the height, or
// keeps its distance to the right or the bottom edge.
class GrowingLayout {
public:
    enum Anchor : unsigned { kWider = 1, kTaller = 2, kRight = 4, kBottom = 8 };

    // Notes the dialog's size as it opens and where the controls are then.
    void Note(HWND dialog, std::initializer_list<std::pair<int, unsigned>> controls);
    // WM_SIZE: the controls placed for the client area's new size; false
    // before the note or when minimized.
    bool Place(UINT type, int width, int height) const;
    // WM_GETMINMAXINFO: the dialog no smaller than it opened.
    bool LimitSize(MINMAXINFO& info) const;

private:
    struct Control {
        int id;
        RECT rect;
        unsigned anchors;
    };
    HWND dialog_ = nullptr;
    SIZE smallest_{};  // the window's size as it opens
    SIZE client_{};    // the client area's size as it opens
    std::vector<Control> controls_;
};

}  // namespace win
