// What the playfield shows: the table at twice its size, nothing outside
// the playfield, the rubber band and the selection frame in XOR.
#include "tests/win/test_support.h"

#include "model/soft_surface.h"
#include "win/gdi_surface.h"
#include "win/resources.h"

namespace {

using test::Window;

constexpr COLORREF kWhite = RGB(255, 255, 255), kPieceLine = RGB(0, 150, 150);
constexpr COLORREF kPieceLineXor = RGB(255, 105, 105), kFrameXor = RGB(255, 0, 0);  // the pens XOR white

TEST(Painting, PiecesShowTheirPicturesOnlyOnThePlayfield) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 100), w.Click(248, 100), w.Click(248, 198), w.RightClick(248, 198);
    w.ClickTool(ID_TOOL_OBSTACLE100);
    w.Click(101, 61), w.Click(248, 150);  // the first at table (50, 30): its picture's corner at window (90, 50)
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(40, 100);  // over the border: its picture's transparent left edge shows it
    w.ClickTool(ID_TOOL_POINTER), w.Click(150, 100);  // a selected border is painted as it is
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    const bw::Picture& picture = bw::PiecePictures()[bw::kObstacle100 - bw::kBall];
    int differences = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) differences += w.Pixel(90 + x, 50 + y) != picture.At(x, y);
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(w.Pixel(30, 100), kPieceLine);
    for (auto [x, y] : {std::pair{249, 100}, {260, 150}, {100, 199}, {100, 203}})
        EXPECT_EQ(w.Pixel(x, y), GetSysColor(COLOR_BTNFACE)) << x << "," << y;
}

TEST(Painting, TheRubberBandAndTheSelectionFrameAreDrawnInXor) {
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
    w.RightClick(200, 160);
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

}  // namespace
