#include "win/window_layout.h"

#include <algorithm>

#include "model/table.h"
#include "win/handles.h"
#include "win/zoom.h"

namespace win {

namespace {

LONG Scaled(LONG v, UINT to, UINT from) { return MulDiv(v, static_cast<int>(to), static_cast<int>(from)); }

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// What the window's frame, caption, menu and edges take beyond its client area.
SIZE NonClientSize(HWND window) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return {outer.right - outer.left - client.right, outer.bottom - outer.top - client.bottom};
}

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

}  // namespace

RECT ControlRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

UINT WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow)
        if (const UINT dpi = dpiForWindow(window)) return dpi;
    WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void ZoomLayout::Capture(HWND dialog, HWND toolbar, UINT dpi) {
    const SIZE client = ClientSize(dialog);
    const RECT bar = ControlRect(dialog, toolbar);
    toolBarWidth_ = bar.right - bar.left;
    client_ = {client.cx - toolBarWidth_, client.cy};
    playfield_ = {bw::kPlayfieldWidth, bw::kPlayfieldHeight};
    controls_.clear();
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (c != toolbar) controls_.push_back({c, ControlRect(dialog, c)});
    if (dpi == 96) return;
    RECT units{0, 0, 1000, 1000};
    MapDialogRect(dialog, &units);
    const int want = MulDiv(2000, static_cast<int>(dpi), 96);
    auto x = [&](LONG v) { return MulDiv(v, want, units.right); };
    auto y = [&](LONG v) { return MulDiv(v, want, units.bottom); };
    for (ControlPlace& place : controls_) {
        RECT& r = place.rect;
        r = {x(r.left), y(r.top), x(r.right), y(r.bottom)};
    }
    client_ = {x(client_.cx), y(client_.cy)};
    playfield_ = {MulDiv(bw::kPlayfieldWidth, static_cast<int>(dpi), 96),
                  MulDiv(bw::kPlayfieldHeight, static_cast<int>(dpi), 96)};
}

void ZoomLayout::Rescale(UINT from, UINT to) {
    for (ControlPlace& place : controls_) {
        RECT& r = place.rect;
        r = {Scaled(r.left, to, from), Scaled(r.top, to, from), Scaled(r.right, to, from), Scaled(r.bottom, to, from)};
    }
    client_ = {Scaled(client_.cx, to, from), Scaled(client_.cy, to, from)};
    playfield_ = {Scaled(playfield_.cx, to, from), Scaled(playfield_.cy, to, from)};
}

void ZoomLayout::UseToolBar(HWND toolbar) {
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    toolBarWidth_ = bar.right - bar.left;
}

SIZE ZoomLayout::ClientSizeFor(int zoom) const {
    const LONG dx = bw::kTableWidth * zoom - playfield_.cx, dy = bw::kTableHeight * zoom - playfield_.cy;
    return {client_.cx + std::max<LONG>(dx, 0) + toolBarWidth_, client_.cy + std::max<LONG>(dy, 0)};
}

int ZoomLayout::ZoomThatFits(SIZE client) const {
    for (int z = kLargestZoom; z > kSmallestZoom; --z) {
        const SIZE need = ClientSizeFor(z);
        if (need.cx <= client.cx && need.cy <= client.cy) return z;
    }
    return kSmallestZoom;
}

void ZoomLayout::Place(HWND dialog, HWND toolbar, int zoom) const {
    const SIZE client = ClientSize(dialog);
    // The playfield's edges move by what it takes beyond its room in the
    // template (never less than the template gives it).
    const LONG dx = std::max<LONG>(bw::kTableWidth * zoom - playfield_.cx, 0);
    const LONG dy = std::max<LONG>(bw::kTableHeight * zoom - playfield_.cy, 0);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
    for (const ControlPlace& place : controls_) {
        RECT r = place.rect;
        if (r.left >= playfield_.cx && r.bottom > playfield_.cy && r.top < playfield_.cy) {
            // The dividing line: beside the toolbar, from top to bottom.
            OffsetRect(&r, client.cx - toolBarWidth_ - client_.cx, 0);
            r.bottom += client.cy - client_.cy;
        } else if (r.left >= playfield_.cx) {
            OffsetRect(&r, dx, 0);
        } else if (r.top >= playfield_.cy) {
            OffsetRect(&r, 0, dy);
        }
        SetWindowPos(place.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    }
    if (toolbar) SetWindowPos(toolbar, nullptr, client.cx - toolBarWidth_, 0, toolBarWidth_, client.cy, flags);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FitMaximizedToWorkArea(HWND window, MINMAXINFO& info) {
    // The sizing frame, as thick on every side as at the bottom; the
    // caption, the menu and the client edge within it stay on the screen.
    RECT outer{0, 0, 0, 0};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE));
    const LONG frameX = outer.right, frameY = outer.bottom;
    // Given for the screen's own origin, as the system takes it (it moves
    // the window to whichever screen it is maximized on).
    const MONITORINFO monitor = MonitorOf(window);
    const RECT& work = monitor.rcWork;
    info.ptMaxPosition = {work.left - monitor.rcMonitor.left - frameX, work.top - monitor.rcMonitor.top - frameY};
    info.ptMaxSize = {work.right - work.left + 2 * frameX, work.bottom - work.top + 2 * frameY};
}

SIZE WindowSizeFor(HWND window, SIZE client) {
    const SIZE frame = NonClientSize(window);
    return {client.cx + frame.cx, client.cy + frame.cy};
}

SIZE LargestClient(HWND window) {
    if (IsZoomed(window)) return ClientSize(window);
    const SIZE frame = NonClientSize(window);
    return {GetSystemMetrics(SM_CXMAXTRACK) - frame.cx, GetSystemMetrics(SM_CYMAXTRACK) - frame.cy};
}

void KeepWithinWorkArea(HWND window) {
    if (IsZoomed(window) || IsIconic(window)) return;
    const RECT work = MonitorOf(window).rcWork;
    RECT r{};
    GetWindowRect(window, &r);
    // Past the right or bottom edge it moves back; the left and top edges
    // come first, so that the caption stays on the screen.
    const LONG x = std::max(work.left, std::min(r.left, work.right - (r.right - r.left)));
    const LONG y = std::max(work.top, std::min(r.top, work.bottom - (r.bottom - r.top)));
    if (x != r.left || y != r.top) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowBeside(HWND window, HWND owner) {
    RECT outer{}, own{}, work{};
    GetWindowRect(owner, &outer);
    GetWindowRect(window, &own);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG x = std::max(work.left, std::min(outer.right, work.right - (own.right - own.left)));
    SetWindowPos(window, nullptr, x, outer.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
}

}  // namespace win
