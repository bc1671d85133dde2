#include "win/controls.h"

#include <algorithm>

#include "files/win/wide_text.h"
#include "win/resources.h"
#include "win/window_layout.h"

namespace win {

std::string WithCrLf(std::string_view text) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8 + 1);
    for (char c : text) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
        crlf += c;
    }
    return crlf;
}

void SetItemText(HWND dialog, int id, const std::string& text) { SetDlgItemTextW(dialog, id, bw::Wide(text).c_str()); }

void EnableItems(HWND dialog, std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

void EnableCommand(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckCommand(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

namespace {

// The width of the list box's longest line, in its font.
LONG WidestLine(HWND list) {
    WindowDc dc(list);
    const SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT n = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        if (n > 0 && GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(n), &size))
            widest = std::max(widest, size.cx);
    }
    return widest;
}

}  // namespace

void FillListBox(HWND list, const std::vector<ListLine>& lines) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& [text, data] : lines) {
        const LRESULT i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bw::Wide(text).c_str()));
        if (i >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(i), data);
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestLine(list) + 8), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::optional<LPARAM> SelectedListData(HWND list) {
    const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (i < 0) return std::nullopt;
    return SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
}

OwnedIcon SetWindowIcons(HWND window, HICON big, UINT id) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    OwnedIcon small(
        static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small.get() : big));
    return small;
}

void GrowingLayout::Note(HWND dialog, std::initializer_list<std::pair<int, unsigned>> controls) {
    dialog_ = dialog;
    RECT outer{}, client{};
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    smallest_ = {outer.right - outer.left, outer.bottom - outer.top};
    client_ = {client.right, client.bottom};
    for (const auto& [id, anchors] : controls)
        controls_.push_back({id, ControlRect(dialog, GetDlgItem(dialog, id)), anchors});
}

bool GrowingLayout::Place(UINT type, int width, int height) const {
    if (type == SIZE_MINIMIZED || client_.cx == 0) return false;
    const int dx = width - client_.cx, dy = height - client_.cy;
    for (const Control& c : controls_) {
        const RECT& r = c.rect;
        const int x = r.left + (c.anchors & kRight ? dx : 0), y = r.top + (c.anchors & kBottom ? dy : 0);
        const int w = r.right - r.left + (c.anchors & kWider ? dx : 0);
        const int h = r.bottom - r.top + (c.anchors & kTaller ? dy : 0);
        SetWindowPos(GetDlgItem(dialog_, c.id), nullptr, x, y, w, h, SWP_NOZORDER);
    }
    InvalidateRect(dialog_, nullptr, TRUE);
    return true;
}

bool GrowingLayout::LimitSize(MINMAXINFO& info) const {
    if (smallest_.cx == 0) return false;
    info.ptMinTrackSize = {smallest_.cx, smallest_.cy};
    return true;
}

}  // namespace win
