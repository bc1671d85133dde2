// What the playfield shows: the table at twice its size, the rubber band
// and the selection frame in XOR, and nothing outside the playfield.
#include "tests/win/test_support.h"

#include "model/soft_surface.h"
#include "res/resource.h"
#include "win/gdi_surface.h"

namespace {

using test::Window;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPieceLine = RGB(0, 150, 150);
constexpr COLORREF kPieceLineXor = RGB(255, 105, 105);  // the piece pen XOR white
constexpr COLORREF kFrameXor = RGB(255, 0, 0);          // the frame pen XOR white

// A memory bitmap of the window's size, filled with a colour the program
// never uses, to paint on with the window's own paint function.
class Canvas {
public:
    Canvas(HWND window, int width, int height) : width_(width), height_(height) {
        win::WindowDc screen(window);
        dc_.reset(CreateCompatibleDC(screen.get()));
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
        old_ = SelectObject(dc_.get(), bitmap_.get());
        const RECT all{0, 0, width, height};
        win::OwnedBrush marker(CreateSolidBrush(kMarker));
        FillRect(dc_.get(), &all, marker.get());
    }
    ~Canvas() { SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }
    int width() const { return width_; }
    int height() const { return height_; }
    static constexpr COLORREF kMarker = RGB(255, 0, 255);

private:
    int width_, height_;
    win::OwnedMemoryDc dc_;
    win::OwnedBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

// The pixels of a window rectangle.
std::vector<COLORREF> Grab(HWND window, const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(window);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return out;
}

int Count(const std::vector<COLORREF>& pixels, COLORREF c) {
    int n = 0;
    for (COLORREF p : pixels) n += p == c;
    return n;
}

TEST(Painting, APlacedObstacleShowsItsPictureAtItsPlace) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE100);
    w.Click(101, 61);  // table (50, 30): the picture's corner at window (90, 50)
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    const bw::Picture& picture = bw::PiecePictures()[bw::kObstacle100 - 3];
    ASSERT_EQ(picture.width, 20);
    const std::vector<COLORREF> shown = Grab(w.hwnd(), {90, 50, 110, 70});
    w.Paint();
    const std::vector<COLORREF> painted = Grab(w.hwnd(), {90, 50, 110, 70});
    int differences = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            // White is transparent: the blank playfield shows through.
            const COLORREF expected = picture.At(x, y);
            differences += painted[static_cast<size_t>(y * 20 + x)] != expected;
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_NE(shown, std::vector<COLORREF>(400, kWhite)) << "drawn as soon as placed";
    EXPECT_EQ(w.Pixel(89, 60), kWhite);
    EXPECT_EQ(w.Pixel(110, 60), kWhite);
}

TEST(Painting, APicturesTransparentPartsShowWhatIsBeneathIt) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 100);
    w.Click(200, 100);
    w.RightClick(200, 100);
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    ASSERT_EQ(w.Pixel(90, 100), kPieceLine);
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(100, 100);  // the picture covers window (90, 90) to (110, 110)
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    const bw::Picture& picture = bw::PiecePictures()[bw::kObstacle10 - 3];
    ASSERT_EQ(picture.At(0, 10), bw::kWhite);  // its left edge is transparent
    EXPECT_EQ(w.Pixel(90, 100), kPieceLine);
    EXPECT_EQ(w.Pixel(100, 100), picture.At(10, 10));
}

TEST(Painting, NothingIsDrawnOutsideThePlayfield) {
    Window w;
    // Pieces against the right and bottom edges, and a border along them.
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(248, 198);
    w.Click(248, 100);
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(0, 198);
    w.Click(248, 198);
    w.Click(248, 0);
    w.RightClick(248, 0);
    Canvas canvas(w.hwnd(), 300, 250);
    w.dlg().PaintPlayfield(canvas.dc());
    int outside = 0, insideMarker = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool inPlayfield = x < 249 && y < 199;
            const COLORREF c = canvas.At(x, y);
            if (!inPlayfield) outside += c != Canvas::kMarker;
            else insideMarker += c == Canvas::kMarker;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(insideMarker, 0) << "the whole playfield is painted";
    EXPECT_EQ(canvas.At(0, 0), kWhite);
    EXPECT_EQ(canvas.At(100, 198), kPieceLine);
}

TEST(Painting, TheRubberBandIsDrawnInXorAndASecondXorDrawRemovesIt) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 100);
    w.Move(200, 100);
    const RECT band{30, 96, 190, 104};
    const std::vector<COLORREF> withBand = Grab(w.hwnd(), band);
    EXPECT_GT(Count(withBand, kPieceLineXor), 150);
    EXPECT_EQ(Count(withBand, kPieceLine), 0);

    w.dlg().DrawCurrentPiece(true);  // the same XOR line again: gone
    const std::vector<COLORREF> without = Grab(w.hwnd(), band);
    EXPECT_EQ(Count(without, kWhite), static_cast<int>(without.size()));
    w.dlg().DrawCurrentPiece(true);
    EXPECT_EQ(Grab(w.hwnd(), band), withBand);

    // Following the mouse, the band leaves nothing behind.
    w.Move(200, 160);
    EXPECT_EQ(w.Pixel(150, 100), kWhite);
    EXPECT_EQ(w.Pixel(110, 130), kPieceLineXor);
}

TEST(Painting, APaintWhileDrawingShowsTheFixedSegmentsPlainAndTheBandInXor) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 40);
    w.Click(200, 40);
    w.Move(200, 160);
    InvalidateRect(w.hwnd(), nullptr, TRUE);
    EXPECT_EQ(w.Pixel(100, 40), kPieceLine);
    EXPECT_EQ(w.Pixel(200, 100), kPieceLineXor);
}

TEST(Painting, TheSelectedPieceIsFramedAndTheFrameGoesWithTheSelection) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(60, 60);
    w.Click(160, 120);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(60, 60);
    // The hole's region spans window 48..71; the frame runs 5 pixels out.
    EXPECT_EQ(w.Pixel(43, 60), kFrameXor);
    EXPECT_EQ(w.Pixel(60, 43), kFrameXor);
    EXPECT_EQ(w.Pixel(77, 77), kFrameXor);
    InvalidateRect(w.hwnd(), nullptr, TRUE);  // a full repaint draws it again
    EXPECT_EQ(w.Pixel(43, 60), kFrameXor);
    w.Click(160, 120);
    EXPECT_EQ(w.Pixel(43, 60), kWhite);
    EXPECT_EQ(w.Pixel(143, 120), kFrameXor);
    w.ClickTool(ID_TOOL_HOLE);  // another tool: no selection, no frame
    EXPECT_EQ(w.Pixel(143, 120), kWhite);
}

TEST(Painting, ADragRepaintsOnlyWhereThePieceWas) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE50);
    w.Click(60, 60);
    w.Click(200, 150);
    w.ClickTool(ID_TOOL_POINTER);
    w.Press(60, 60);
    w.Paint();
    ASSERT_FALSE(GetUpdateRect(w.hwnd(), nullptr, FALSE));
    // The move alone, without the paint that would follow it.
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(64, 60));
    win::OwnedRegion update(CreateRectRgn(0, 0, 0, 0));
    const int kind = GetUpdateRgn(w.hwnd(), update.get(), FALSE);
    ASSERT_TRUE(kind == SIMPLEREGION || kind == COMPLEXREGION);
    RECT box{};
    GetRgnBox(update.get(), &box);
    // The obstacle's old place, window (48, 48) to (72, 72), and nothing else.
    EXPECT_GE(box.left, 48);
    EXPECT_GE(box.top, 48);
    EXPECT_LE(box.right, 72);
    EXPECT_LE(box.bottom, 72);
    EXPECT_LE(win::RegionArea(update.get()), 24 * 24);
    w.Release(64, 60);
    w.Paint();
    EXPECT_EQ(w.Pixel(64, 60), RGB(0, 255, 0));  // the 50-point disc, moved
    EXPECT_EQ(w.Pixel(49, 60), kWhite);          // its old left edge, repainted
}

}  // namespace
