// The window resized and maximized as a user does it, through the input
// system: after every size change each control and the toolbar show what
// a full repaint shows, and maximized the caption and the client area lie
// within the screen's work area.
#include "tests/win/test_support.h"

#include <atomic>
#include <thread>

namespace {

using test::Window;

// The real mouse, as the input system delivers it: moves to screen
// points, a press and a release of the left button.
struct MouseScript {
    std::vector<INPUT> inputs;
    std::vector<int> pauses;  // milliseconds before each input
    void MoveTo(POINT p) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        inputs.push_back(in);
        pauses.push_back(5);
    }
    void Button(bool down) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        inputs.push_back(in);
        // A hand comes to rest before it lets go: the last move has been
        // taken when the button goes up.
        pauses.push_back(down ? 5 : 100);
    }
    // Sent from another thread a few milliseconds apart, as a hand sends
    // them, while the window's thread handles its messages (a drag of the
    // frame runs the system's own loop until the button's release).
    void Play(Window& w) {
        std::atomic<bool> done{false};
        std::thread hand([&] {
            for (size_t i = 0; i < inputs.size(); ++i) Sleep(pauses[i]), SendInput(1, &inputs[i], sizeof(INPUT));
            done = true;
        });
        while (!done) test::Pump(w.hwnd()), Sleep(1);
        hand.join();
        // The input may reach the window late on a busy machine: handled
        // once the window's queue has stayed empty for 100 ms (3 s at most).
        for (int quiet = 0, i = 0; quiet < 10 && i < 300; ++i) {
            test::Pump(w.hwnd());
            Sleep(10);
            quiet = GetQueueStatus(QS_ALLINPUT) == 0 ? quiet + 1 : 0;
        }
    }
};

// Drags the window's lower right corner by (dx, dy) in `steps` moves.
void DragCorner(Window& w, int dx, int dy, int steps) {
    RECT r{};
    GetWindowRect(w.hwnd(), &r);
    const POINT from{r.right - 2, r.bottom - 2};
    MouseScript mouse;
    mouse.MoveTo(from);
    mouse.Button(true);
    for (int i = 1; i <= steps; ++i) mouse.MoveTo({from.x + dx * i / steps, from.y + dy * i / steps});
    // The hand comes to rest where it ends (the system's sizing loop may
    // take the release before the move just ahead of it on a busy machine).
    mouse.MoveTo({from.x + dx, from.y + dy});
    mouse.Button(false);
    mouse.Play(w);
}

SIZE Client(Window& w) {
    RECT r{};
    GetClientRect(w.hwnd(), &r);
    return {r.right, r.bottom};
}

// Where the client area shows something other than a full repaint shows.
std::string DifferencesFromFullRepaint(Window& w) {
    const SIZE size = Client(w);
    const test::Pixels shown = test::Grab(w, size.cx, size.cy);
    RedrawWindow(w.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    const test::Pixels repainted = test::Grab(w, size.cx, size.cy);
    int count = 0;
    std::string first;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (shown(x, y) != repainted(x, y) && ++count <= 8)
                first += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    return count == 0 ? "" : std::to_string(count) + " pixels differ:" + first;
}

// The dividing line's distance from the toolbar's left edge and from the
// client area's bottom.
std::pair<LONG, LONG> DividingLineGaps(Window& w) {
    for (HWND c = GetWindow(w.hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ETCHEDVERT) continue;
        RECT line{}, bar{};
        GetWindowRect(c, &line);
        GetWindowRect(w.dlg().ToolBar(), &bar);
        RECT client{};
        GetClientRect(w.hwnd(), &client);
        MapWindowPoints(w.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        return {bar.left - line.left, client.bottom - line.bottom};
    }
    ADD_FAILURE() << "no dividing line";
    return {};
}

TEST(Resizing, ByHandEveryControlAndTheToolbarArePaintedAgain) {
    BOOL fullDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    for (BOOL full : {TRUE, FALSE}) {
        SCOPED_TRACE(full ? "the window drawn while dragged" : "an outline dragged");
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, full, nullptr, 0);
        Window w;
        w.ClickTool(ID_TOOL_HOLE);  // the status line says "Hole"
        const SIZE before = Client(w);
        const auto gaps = DividingLineGaps(w);
        const struct { int dx, dy, steps, zoom; } drags[] = {
            {60, 40, 30, 2},      // slowly
            {100, 50, 2, 2},      // a quick hand
            {250, 200, 5, 4},     // to another zoom
            {-250, -100, 40, 3},  // back, to a size between two zooms
        };
        SIZE expected = before;
        for (const auto& d : drags) {
            SCOPED_TRACE(std::to_string(d.dx) + " x " + std::to_string(d.dy) + " in " + std::to_string(d.steps));
            DragCorner(w, d.dx, d.dy, d.steps);
            expected = {expected.cx + d.dx, expected.cy + d.dy};
            EXPECT_EQ(Client(w).cx, expected.cx);
            EXPECT_EQ(Client(w).cy, expected.cy);
            EXPECT_EQ(w.dlg().Zoom(), d.zoom);
            EXPECT_EQ(DifferencesFromFullRepaint(w), "");
            EXPECT_EQ(DividingLineGaps(w), gaps) << "beside the toolbar, from top to bottom";
        }
    }
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullDrag, nullptr, 0);
}

RECT WorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Run at the screen's own DPI: at 96 with every window test, and at 144
// and 192 by at_dpi.sh.
TEST(ScreenDpi, ResizedByHandAndMaximizedTheWindowIsWholeAndOnTheScreen) {
    Window w;
    const auto gaps = DividingLineGaps(w);
    DragCorner(w, 40, 20, 2);  // what the screen leaves room for at 200 %
    EXPECT_EQ(DifferencesFromFullRepaint(w), "");
    EXPECT_EQ(DividingLineGaps(w), gaps);
    RECT normal{};
    GetWindowRect(w.hwnd(), &normal);
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    test::Pump(w.hwnd());
    ASSERT_TRUE(IsZoomed(w.hwnd()));
    const RECT work = WorkArea(w.hwnd());
    RECT outer{}, client{};
    GetWindowRect(w.hwnd(), &outer);
    GetClientRect(w.hwnd(), &client);
    MapWindowPoints(w.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    // Only the frame overhangs the work area, by as much on every side.
    const LONG frame = work.left - outer.left;
    EXPECT_GT(frame, 0);
    EXPECT_EQ((std::vector<LONG>{work.top - outer.top, outer.right - work.right, outer.bottom - work.bottom}),
              (std::vector<LONG>{frame, frame, frame}));
    EXPECT_TRUE(client.left >= work.left && client.top >= work.top && client.right <= work.right &&
                client.bottom <= work.bottom);
    // The caption and its buttons can be reached.
    const LONG captionY = work.top + GetSystemMetrics(SM_CYSIZE) / 2;
    EXPECT_EQ(SendMessageW(w.hwnd(), WM_NCHITTEST, 0, MAKELPARAM((work.left + work.right) / 2, captionY)), HTCAPTION);
    EXPECT_EQ(SendMessageW(w.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(work.right - GetSystemMetrics(SM_CXSIZE) / 2, captionY)),
              HTCLOSE);
    EXPECT_EQ(DifferencesFromFullRepaint(w), "");
    EXPECT_EQ(DividingLineGaps(w), gaps);
    ShowWindow(w.hwnd(), SW_RESTORE);
    test::Pump(w.hwnd());
    RECT restored{};
    GetWindowRect(w.hwnd(), &restored);
    EXPECT_TRUE(EqualRect(&restored, &normal));
}

}  // namespace
