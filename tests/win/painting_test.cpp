// What the playfield shows: the table as the render draws it at every
// zoom, nothing outside the playfield, the rubber bands and the selection's
// frames in XOR.
#include "tests/win/test_support.h"

#include "files/table_text.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "win/gdi_surface.h"
#include "win/resources.h"

namespace {

using test::Window;

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
constexpr COLORREF kPieceLineXor = RGB(255, 105, 105), kFrameXor = RGB(255, 0, 0);  // the pens XOR white

TEST(Painting, TheRubberBandsAndTheSelectionFramesAreDrawnInXor) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(60, 60);
    const COLORREF hole = w.Pixel(60, 60);
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 100);
    w.Move(200, 100);
    EXPECT_EQ(w.Pixel(110, 100), kPieceLineXor);
    w.Move(200, 160);  // following the mouse, the band leaves nothing behind
    EXPECT_EQ(w.Pixel(150, 100), kWhite);
    EXPECT_EQ(w.Pixel(110, 130), kPieceLineXor);
    w.Click(200, 160), w.RightClick(200, 160);
    // The hole's region spans window 48..71; its frame runs 5 pixels out,
    // and goes with the selection.
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(60, 60);
    EXPECT_EQ(w.Pixel(43, 60), kFrameXor);
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    EXPECT_EQ(w.Pixel(77, 77), kFrameXor);
    EXPECT_EQ(w.Pixel(60, 60), hole) << "the selected piece itself is painted as it is";
    w.ClickTool(ID_TOOL_HOLE);
    EXPECT_EQ(w.Pixel(43, 60), kWhite);

    // The pointer's band: dotted, only its last place shown while the
    // button is held, gone with the button.
    w.ClickTool(ID_TOOL_POINTER);
    w.Press(20, 20), w.Move(80, 80), w.Move(140, 140);
    EXPECT_EQ(w.Pixel(22, 140), kBlack);
    EXPECT_EQ(w.Pixel(23, 140), kWhite);
    EXPECT_EQ(w.Pixel(140, 60), kBlack);
    EXPECT_EQ(w.Pixel(140, 61), kWhite);
    EXPECT_EQ(w.Pixel(80, 80), kWhite);
    w.Release(140, 140);
    EXPECT_EQ(w.Pixel(22, 140), kWhite);
    EXPECT_EQ(w.Pixel(43, 60), kFrameXor) << "the hole inside the band is selected";
    // Shift with the click adds the border, framed as a piece is.
    w.Deliver(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(110, 130));
    w.Release(110, 130);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "2 pieces selected");
    bw::Rect box = w.root().LastChild()->region.Box();
    box.Inflate(5, 5);
    EXPECT_EQ(w.Pixel(box.left, (box.top + box.bottom) / 2), kFrameXor);
    EXPECT_EQ(w.Pixel((box.left + box.right) / 2, box.bottom), kFrameXor);
    EXPECT_EQ(w.Pixel(43, 60), kFrameXor);
}

// Pictures are found by kind: one that cannot be loaded (here the ones
// before and after the pieces') is a blank in its place, and every other
// one keeps its own index.
TEST(Painting, APictureThatCannotBeLoadedKeepsItsPlace) {
    const auto all = win::ResourceImageLoader(win::Instance(), IDB_BALL, 8).LoadPieceImages();
    const auto gaps = win::ResourceImageLoader(win::Instance(), IDB_BALL - 1, 10).LoadPieceImages();
    ASSERT_TRUE(all && gaps);
    ASSERT_EQ(gaps->Count(), 10);
    EXPECT_EQ(gaps->Width(), all->Width());
    auto drawn = [](const bw::ImageList& list, int index) {
        const int32_t w = list.Width(), h = list.Height();
        win::WindowDc screen(nullptr);
        win::OwnedMemoryDc dc(CreateCompatibleDC(screen.get()));
        win::OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
        win::SelectedObject chosen(dc.get(), bitmap.get());
        PatBlt(dc.get(), 0, 0, w, h, WHITENESS);
        static_cast<const win::SystemImageList&>(list).Draw(dc.get(), index, 0, 0);
        std::vector<COLORREF> pixels;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
        return pixels;
    };
    const std::vector<COLORREF> blank(static_cast<size_t>(all->Width() * all->Height()), kWhite);
    EXPECT_TRUE(drawn(*gaps, 0) == blank);
    EXPECT_TRUE(drawn(*gaps, 9) == blank);
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(drawn(*all, i) == blank) << i;
        EXPECT_TRUE(drawn(*gaps, i + 1) == drawn(*all, i)) << "picture " << i;
    }
}

// The table as the render paints it (`bwtool render`: the portable
// surface, 250 x 200 pixels).
bw::SoftSurface Render(const bw::TableRoot& shown) {
    bw::Table table(bw::BuiltinImageLoader{});
    std::string error;
    EXPECT_TRUE(bw::TextToTable(bw::TableToText(shown), *table.root, error)) << error;
    bw::SoftSurface surface(bw::kPlayfieldWidth, bw::kPlayfieldHeight, kWhite);
    surface.SetClip(bw::kPlayfield);
    bw::PaintTable(table.state, surface, false);
    return surface;
}

// The window shows at zoom z the render enlarged: window pixel (x, y) is
// the render's (2x / z, 2y / z). Empty when it does; otherwise how many
// pixels differ and where the first ones are.
std::string DifferencesFromRender(Window& w, const bw::SoftSurface& render, int zoom) {
    const int width = (249 * zoom + 1) / 2, height = (199 * zoom + 1) / 2;
    const test::Pixels shown = test::Grab(w, width, height);
    int count = 0;
    std::string first;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (shown(x, y) != render.At(2 * x / zoom, 2 * y / zoom) && ++count <= 8)
                first += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    return count == 0 ? "" : std::to_string(count) + " pixels differ:" + first;
}

// Lines of every slope in the eight directions, wide pens (borders and
// flippers), the playfield's frame, the pieces' pictures (one over a
// border, which its transparent edge shows; two cut off by the playfield's
// edges), and a table mirrored by Mirror copy: the window's drawing is the
// render's, pixel for pixel, and nothing is drawn outside the playfield.
TEST(Painting, TheWindowShowsTheRenderPixelForPixelAtEveryZoom) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("half.bwt"),
           "left-flipper 20 85\nleft-flipper 8 60\n"
           "border 40 40, 56 40, 56 20, 40 20, 40 40, 56 20\n"        // east, north, west, south, north-east
           "border 30 10, 45 16, 52 45, 31 32, 3 40, 27 50, 33 77\n"  // shallow and steep, every way round
           "border 1 1, 61 1\nborder 1 98, 1 2\n"
           "obstacle10 8 40\nobstacle50 50 70\nobstacle100 0 75\nhole 30 99\ncannon 12 92\n");
    w.CtrlKey('A');
    w.CtrlKey('M', true);  // the right half: the left half's mirror image
    ASSERT_EQ(test::Pieces(w.root()).size(), 22u);
    w.Key(VK_ESCAPE);  // no selection frames
    const bw::SoftSurface render = Render(w.root());
    EXPECT_EQ(DifferencesFromRender(w, render, 2), "");
    for (auto [x, y] : {std::pair{249, 100}, {252, 150}, {100, 199}, {60, 203}})
        EXPECT_EQ(w.Pixel(x, y), GetSysColor(COLOR_BTNFACE)) << x << "," << y;
    w.CtrlKey(VK_OEM_PLUS), w.CtrlKey(VK_OEM_PLUS);
    ASSERT_EQ(w.dlg().Zoom(), 4);
    EXPECT_EQ(DifferencesFromRender(w, render, 4), "");
}

}  // namespace
