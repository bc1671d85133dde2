// The playfield at any zoom and the window at any DPI: the drawing shown
// pixel for pixel, a click landing on the table pixel under it, the
// controls making way, the window holding the largest zoom that fits, and
// a move to a screen of another DPI.
#include "tests/win/test_support.h"

#include <algorithm>
#include <cstdlib>

#include "win/zoom.h"

namespace {

using test::Window;

RECT ChildRect(Window& w, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(w.hwnd(), id), &r);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE Client(Window& w) {
    RECT r{};
    GetClientRect(w.hwnd(), &r);
    return {r.right, r.bottom};
}

// The table the tests show: a frame, pictures, lines at every slope.
constexpr char kTable[] =
    "border 2 98, 2 2, 122 2, 122 98\n"
    "obstacle100 30 30\nobstacle10 60 20\nhole 90 40\nleft-flipper 40 85\nright-flipper 84 85\ncannon 115 92\n";

// The screen shows, at `zoom`, the 2x drawing `drawing` pixel for pixel:
// window pixel (x, y) is the drawing's pixel (2x / zoom, 2y / zoom). The
// count of pixels that differ.
int DifferencesFromDrawing(Window& w, const test::Pixels& drawing, int zoom) {
    const int width = (249 * zoom + 1) / 2, height = (199 * zoom + 1) / 2;
    const test::Pixels shown = test::Grab(w, width, height);
    int differ = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) differ += shown(x, y) != drawing(2 * x / zoom, 2 * y / zoom);
    return differ;
}

// A click on the first and on the last window pixel of two table pixels
// places holes on exactly those table pixels.
void ClicksLandOnTheirTablePixels(Window& w, int zoom, int tableX, int tableY) {
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(tableX * zoom, tableY * zoom);
    w.Click((tableX + 20) * zoom + zoom - 1, tableY * zoom + zoom - 1);
    std::vector<std::pair<int, int>> placed;
    for (bw::TablePiece* p : test::Pieces(w.root())) placed.push_back({bw::Placed(*p).x, bw::Placed(*p).y});
    ASSERT_GE(placed.size(), 2u);
    EXPECT_EQ(placed[placed.size() - 2], (std::pair{tableX, tableY})) << "zoom " << zoom;
    EXPECT_EQ(placed.back(), (std::pair{tableX + 20, tableY})) << "zoom " << zoom;
    w.Command(ID_EDIT_UNDO), w.Command(ID_EDIT_UNDO);
}

TEST(Zoom, EveryZoomShowsTheDrawingPixelForPixelAndAClickLandsOnItsTablePixel) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("shown.bwt"), kTable);
    ASSERT_EQ(w.dlg().Zoom(), 2);
    const test::Pixels drawing = test::Grab(w, 249, 199);
    const SIZE client2 = Client(w);
    const RECT start2 = ChildRect(w, IDC_START), keys2 = ChildRect(w, IDC_KEYS_HELP);
    ClicksLandOnTheirTablePixels(w, 2, 30, 60);
    for (int zoom = 3; zoom <= 6; ++zoom) {
        w.CtrlKey(VK_OEM_PLUS);
        ASSERT_EQ(w.dlg().Zoom(), zoom);
        EXPECT_EQ(DifferencesFromDrawing(w, drawing, zoom), 0) << "zoom " << zoom;
        // The controls right of the playfield and below it make way, and
        // the window grows by as much.
        const LONG dx = 125 * (zoom - 2), dy = 100 * (zoom - 2);
        EXPECT_EQ(ChildRect(w, IDC_START).left, start2.left + dx);
        EXPECT_EQ(ChildRect(w, IDC_START).top, start2.top);
        EXPECT_EQ(ChildRect(w, IDC_KEYS_HELP).top, keys2.top + dy);
        EXPECT_EQ(ChildRect(w, IDC_KEYS_HELP).left, keys2.left);
        EXPECT_EQ(Client(w).cx, client2.cx + dx);
        EXPECT_EQ(Client(w).cy, client2.cy + dy);
        ClicksLandOnTheirTablePixels(w, zoom, 30 + zoom, 60);
    }
    w.CtrlKey(VK_OEM_PLUS);
    EXPECT_EQ(w.dlg().Zoom(), 6) << "six at most";
    w.CtrlKey('0');
    EXPECT_EQ(w.dlg().Zoom(), 2);
    EXPECT_EQ(Client(w).cx, client2.cx);
    EXPECT_EQ(Client(w).cy, client2.cy);
    w.CtrlKey(VK_OEM_MINUS);
    EXPECT_EQ(w.dlg().Zoom(), 2) << "two at least";
    EXPECT_EQ(DifferencesFromDrawing(w, drawing, 2), 0);
    w.CtrlKey(VK_OEM_PLUS), w.CtrlKey(VK_OEM_MINUS);
    EXPECT_EQ(w.dlg().Zoom(), 2);
    EXPECT_EQ(DifferencesFromDrawing(w, drawing, 2), 0);
}

TEST(Zoom, TheWindowTakesTheLargestZoomThatFits) {
    Window w;
    const SIZE client2 = Client(w);
    RECT outer{};
    GetWindowRect(w.hwnd(), &outer);
    const SIZE frame{outer.right - outer.left - client2.cx, outer.bottom - outer.top - client2.cy};
    auto resizeClient = [&](LONG cx, LONG cy) {
        SetWindowPos(w.hwnd(), nullptr, 0, 0, cx + frame.cx, cy + frame.cy, SWP_NOMOVE | SWP_NOZORDER);
        test::Pump(w.hwnd());
    };
    const struct { LONG extraX, extraY; int zoom; } cases[] = {
        {124, 99, 2}, {125, 100, 3}, {500, 99, 2}, {250, 260, 4}, {124 + 250, 400, 4}, {375, 300, 5},
    };
    for (const auto& c : cases) {
        resizeClient(client2.cx + c.extraX, client2.cy + c.extraY);
        EXPECT_EQ(w.dlg().Zoom(), c.zoom) << c.extraX << " x " << c.extraY;
        RECT bar{};
        GetWindowRect(w.dlg().ToolBar(), &bar);
        MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&bar), 2);
        EXPECT_EQ(bar.right, Client(w).cx) << "the toolbar stays on the right edge";
    }
    resizeClient(100, 100);
    EXPECT_EQ(Client(w).cx, client2.cx) << "no smaller than at zoom 2";
}

// View › Zoom offers only what changes the zoom: nothing below two or
// above six, nothing larger than the window can become (maximized, the
// largest that leaves every control on the screen), and not the zoom it
// has.
TEST(Zoom, TheViewMenuOffersOnlyTheZoomsThatChangeSomething) {
    Window w;
    HMENU bar = GetMenu(w.hwnd());
    auto offered = [&] {  // Zoom In, Zoom Out, Default Zoom: + enabled, - greyed
        SendMessageW(w.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, 2)), 2);
        std::string items;
        for (UINT id : {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_DEFAULT})
            items += GetMenuState(bar, id, MF_BYCOMMAND) & MF_GRAYED ? '-' : '+';
        return items;
    };
    ASSERT_EQ(w.dlg().Zoom(), 2);
    EXPECT_EQ(offered(), "+--") << "at the default zoom of a 96-dpi screen";
    // Near the screen's lower right corner: the window grows into the
    // screen, its caption on it.
    SetWindowPos(w.hwnd(), nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (int zoom = 3; zoom <= 6; ++zoom) {
        w.CtrlKey(VK_OEM_PLUS);
        ASSERT_EQ(w.dlg().Zoom(), zoom);
        EXPECT_EQ(offered(), zoom < 6 ? "+++" : "-++") << "at " << zoom;
        RECT outer{};
        GetWindowRect(w.hwnd(), &outer);
        EXPECT_TRUE(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right) << "at " << zoom;
    }
    w.CtrlKey('0');
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    test::Pump(w.hwnd());
    ASSERT_TRUE(IsZoomed(w.hwnd()));
    const int largest = w.dlg().Zoom();
    ASSERT_GE(largest, 4) << "on a screen of 1024 x 768";
    EXPECT_EQ(offered(), "-++") << "maximized: the largest zoom the screen holds";
    w.CtrlKey(VK_OEM_PLUS);
    EXPECT_EQ(w.dlg().Zoom(), largest);
    EXPECT_LE(ChildRect(w, IDC_SEND).right, Client(w).cx) << "the controls stay within the screen";
    EXPECT_LE(ChildRect(w, IDC_STATUS).bottom, Client(w).cy);
    w.CtrlKey(VK_OEM_MINUS);
    EXPECT_EQ(w.dlg().Zoom(), largest - 1);
    EXPECT_EQ(offered(), "+++");
    ShowWindow(w.hwnd(), SW_RESTORE);
    test::Pump(w.hwnd());
}

// Xvfb has one screen: the message a move to another screen brings is sent.
TEST(Zoom, AMoveToAScreenOfAnotherDpiRescalesTheWindow) {
    Window w;
    ASSERT_EQ(w.dlg().Dpi(), 96u);
    const RECT start96 = ChildRect(w, IDC_START);
    const SIZE client96 = Client(w);
    RECT button{};
    SendMessageW(w.dlg().ToolBar(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    RECT place{10, 20, 1000, 800};
    SendMessageW(w.hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&place));
    test::Pump(w.hwnd());
    EXPECT_EQ(w.dlg().Zoom(), 4);
    const RECT start = ChildRect(w, IDC_START);
    EXPECT_EQ((std::vector<LONG>{start.left, start.top, start.right - start.left}),
              (std::vector<LONG>{2 * start96.left, 2 * start96.top, 2 * (start96.right - start96.left)}));
    RECT bigger{};
    SendMessageW(w.dlg().ToolBar(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bigger));
    EXPECT_GE(bigger.right - bigger.left, 2 * 20) << "the toolbar's pictures are 40 pixels";
    EXPECT_GT(bigger.right - bigger.left, button.right - button.left);
    RECT outer{};
    GetWindowRect(w.hwnd(), &outer);
    EXPECT_EQ((std::pair{outer.left, outer.top}), (std::pair{10L, 20L}));
    // A click at 4x: table pixel (50, 40).
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(50 * 4 + 3, 40 * 4);
    ASSERT_NE(w.root().FirstChild(), nullptr);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 50);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).y, 40);

    SendMessageW(w.hwnd(), 0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&place));
    test::Pump(w.hwnd());
    EXPECT_EQ(w.dlg().Zoom(), 2);
    const RECT back = ChildRect(w, IDC_START);
    EXPECT_EQ((std::vector<LONG>{back.left, back.top, back.right}), (std::vector<LONG>{start96.left, start96.top, start96.right}));
    EXPECT_EQ(Client(w).cx, client96.cx);
    EXPECT_EQ(Client(w).cy, client96.cy);
}

// Run at the screen's own DPI: at 96 with every window test, and at 144
// and 192 by at_dpi.sh.
TEST(ScreenDpi, TheWindowFollowsTheScreensDpi) {
    win::WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    if (const char* wanted = std::getenv("BW_SCREEN_DPI")) ASSERT_EQ(dpi, std::atoi(wanted)) << "the screen was not set";
    const struct { int dpi, zoom; LONG startLeft, startTop, startWidth, clientHeight; } expected[] = {
        {96, 2, 276, 8, 122, 322}, {144, 3, 414, 12, 183, 483}, {192, 4, 552, 16, 244, 644},
    };
    const auto* row = std::find_if(std::begin(expected), std::end(expected), [&](const auto& e) { return e.dpi == dpi; });
    ASSERT_NE(row, std::end(expected)) << "no expectations at " << dpi << " dpi";
    test::TempFolder folder;
    Window w;
    EXPECT_EQ(w.dlg().Zoom(), row->zoom);
    const RECT start = ChildRect(w, IDC_START);
    auto close = [](LONG a, LONG b) { return a - b <= 1 && b - a <= 1; };  // rounding of the template's units
    EXPECT_TRUE(close(start.left, row->startLeft)) << start.left;
    EXPECT_TRUE(close(start.top, row->startTop)) << start.top;
    EXPECT_TRUE(close(start.right - start.left, row->startWidth)) << start.right - start.left;
    EXPECT_TRUE(close(Client(w).cy, row->clientHeight)) << Client(w).cy;
    // The drawing at 2x is what zoom 2 shows; at the screen's zoom the same
    // pixel for pixel.
    w.Load(folder.File("dpi.bwt"), kTable);
    const int zoom = row->zoom;
    while (w.dlg().Zoom() > 2) w.CtrlKey(VK_OEM_MINUS);
    const test::Pixels drawing = test::Grab(w, 249, 199);
    w.CtrlKey('0');
    ASSERT_EQ(w.dlg().Zoom(), zoom);
    EXPECT_EQ(DifferencesFromDrawing(w, drawing, zoom), 0);
    ClicksLandOnTheirTablePixels(w, zoom, 40, 50);
}

}  // namespace
