// What the screen shows in play: each tick repaints only where the ball is
// and the pieces whose look changed; the ball is seen where it is and
// leaves no trail; what the partial repaints leave on the screen is what a
// whole repaint shows.
#include <string>
#include <vector>

#include "model/soft_surface.h"
#include "res/resource.h"
#include "tests/win/play_support.h"
#include "win/gdi_surface.h"

namespace {

using test::Window;

const std::string kSourceDir = BW_SOURCE_DIR_WIN;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMarker = RGB(255, 0, 255);  // a colour the program never draws

// The playfield as the window shows it, read in one copy.
std::vector<uint32_t> Screen(Window& w) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 250;
    info.bmiHeader.biHeight = -200;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC window = GetDC(w.hwnd());
    win::OwnedMemoryDc memory(CreateCompatibleDC(window));
    win::OwnedBitmap dib(CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<uint32_t> pixels;
    if (memory && dib && bits) {
        win::SelectedObject chosen(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, 249, 199, window, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + 250 * 200);
    }
    ReleaseDC(w.hwnd(), window);
    return pixels;
}

// One tick as the timer gives it, without the paint that follows; returns
// the area it left to repaint.
win::OwnedRegion TickAndTakeTheInvalidArea(Window& w) {
    SendMessageA(w.hwnd(), WM_TIMER, 1, 0);
    win::OwnedRegion update(CreateRectRgn(0, 0, 0, 0));
    GetUpdateRgn(w.hwnd(), update.get(), FALSE);
    return update;
}

// A region of the table model as the window's region, limited to the
// window's client area as invalidation limits it.
win::OwnedRegion OnTheWindow(Window& w, const bw::Region& region) {
    win::OwnedRegion r = win::MakeSystemRegion(region);
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    win::OwnedRegion clientRegion(CreateRectRgnIndirect(&client));
    CombineRgn(r.get(), r.get(), clientRegion.get(), RGN_AND);
    return r;
}

// The ball's region (radius 6 table pixels, 2 window pixels more) where
// its motion step left it, before the pieces acted on it, and where it is
// now: a tick repaints both.
bw::Region BallRegions(const bw::Ball& ball) {
    auto at = [](int32_t x, int32_t y) {
        return bw::Region::Ellipse({(x - 6) * 2 - 2, (y - 6) * 2 - 2, (x + 6) * 2 + 2, (y + 6) * 2 + 2});
    };
    bw::Region both = at((ball.lastFx >> 8) + 65, (ball.lastFy >> 8) + 50);
    both.Unite(at(ball.x, ball.y));
    return both;
}

void Serve(Window& w) {
    for (int i = 0; i < 10; ++i) test::PostKey(w, VK_SPACE, true, i > 0);
    test::PostKey(w, VK_SPACE, false);
}

TEST(PlayPainting, ATickRepaintsTheBallsPlaceAndThePiecesWhoseLookChanged) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, test::ReadText(kSourceDir + "/examples/classic.txt"));
    test::StartWithoutTimer(w);
    Serve(w);
    const bw::Ball& ball = *w.dlg().state.ball;
    // The serve charged and fired the cannon: its power bar changed.
    {
        const win::OwnedRegion update = TickAndTakeTheInvalidArea(w);
        bw::Region both = BallRegions(ball);
        both.Unite(test::FirstOfKind(w, bw::kCannon)->region);
        const win::OwnedRegion expected = OnTheWindow(w, both);
        EXPECT_TRUE(EqualRgn(update.get(), expected.get()));
        w.Paint();
    }
    for (int i = 0; i < 40; ++i) {
        const win::OwnedRegion update = TickAndTakeTheInvalidArea(w);
        // The ball's region at its new place holds its picture at the old
        // one: that region, and nothing more.
        const win::OwnedRegion expected = OnTheWindow(w, BallRegions(ball));
        ASSERT_TRUE(EqualRgn(update.get(), expected.get())) << "tick " << i;
        EXPECT_LE(win::RegionArea(update.get()), 2 * 28 * 28);
        w.Paint();
    }
    // A flipper worked between two ticks is repainted at the next one.
    test::PostKey(w, 'Z', true);
    const win::OwnedRegion update = TickAndTakeTheInvalidArea(w);
    bw::Region both = BallRegions(ball);
    both.Unite(test::FirstOfKind(w, bw::kLeftFlipper)->region);
    const win::OwnedRegion expected = OnTheWindow(w, both);
    EXPECT_TRUE(EqualRgn(update.get(), expected.get()));
    w.Paint();
}

TEST(PlayPainting, TheBallIsSeenWhereItIsAndTheRestOfTheScreenIsLeftAlone) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, test::ReadText(kSourceDir + "/examples/classic.txt"));
    test::StartWithoutTimer(w);
    const bw::Ball& ball = *w.dlg().state.ball;
    const int startX = 2 * ball.x, startY = 2 * ball.y;
    const COLORREF ballCentre = bw::PiecePictures()[bw::kBall - 3].At(10, 10);
    ASSERT_EQ(w.Pixel(startX, startY), ballCentre) << "the ball waits on the cannon";

    // A mark on the screen, far from the ball's way up the lane and from
    // every piece: no paint of the play may touch it.
    {
        HDC dc = GetDC(w.hwnd());
        const RECT mark{117, 77, 123, 83};
        win::OwnedBrush brush(CreateSolidBrush(kMarker));
        FillRect(dc, &mark, brush.get());
        ReleaseDC(w.hwnd(), dc);
    }
    ASSERT_EQ(w.Pixel(120, 80), kMarker);
    Serve(w);
    for (int i = 0; i < 30; ++i) {
        test::Tick(w);
        EXPECT_EQ(w.Pixel(2 * ball.x, 2 * ball.y), ballCentre) << "tick " << i;
    }
    ASSERT_LT(ball.y, startY / 2 - 20) << "the ball has gone up the lane";
    EXPECT_EQ(w.Pixel(startX, startY - 4), kWhite) << "no trail where it was";
    EXPECT_EQ(w.Pixel(120, 80), kMarker);
    // A whole repaint does reach the mark.
    InvalidateRect(w.hwnd(), &w.dlg().playfield, FALSE);
    EXPECT_EQ(w.Pixel(120, 80), kWhite);
}

class PlayPaintingOn : public testing::TestWithParam<const char*> {};

TEST_P(PlayPaintingOn, WhatTheTicksLeaveOnTheScreenIsWhatAWholeRepaintShows) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, test::ReadText(kSourceDir + "/examples/" + GetParam() + ".txt"));
    test::StartWithoutTimer(w);
    Serve(w);
    // The ball crosses the table and both flippers work now and then.
    for (int t = 1; t <= 900; ++t) {
        if (t % 60 == 10) test::PostKey(w, 'Z', true);
        if (t % 60 == 25) test::PostKey(w, 'Z', false);
        if (t % 90 == 40) test::PostKey(w, 'X', true);
        if (t % 90 == 55) test::PostKey(w, 'X', false);
        test::Tick(w);
        if (t % 100 != 0) continue;
        const std::vector<uint32_t> shown = Screen(w);
        InvalidateRect(w.hwnd(), &w.dlg().playfield, FALSE);
        w.Paint();
        const std::vector<uint32_t> repainted = Screen(w);
        ASSERT_EQ(shown.size(), repainted.size());
        size_t differences = 0;
        for (size_t i = 0; i < shown.size(); ++i) differences += shown[i] != repainted[i];
        EXPECT_EQ(differences, 0u) << "tick " << t;
    }
    EXPECT_GT(w.dlg().state.score, 0);
}

INSTANTIATE_TEST_SUITE_P(Examples, PlayPaintingOn, testing::Values("classic", "full"));

}  // namespace
