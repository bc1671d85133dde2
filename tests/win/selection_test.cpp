// Many pieces at once through the real window: the rubber band, Shift+click,
// the Edit menu's keys for the selection, a group drag, and what the
// playfield shows after each. (The rules themselves are tested natively.)
#include "tests/win/test_support.h"

#include "files/table_text.h"
#include "model/soft_surface.h"

namespace {

using test::Window;

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kFrameXor = RGB(255, 0, 0);

bool Grayed(Window& w, UINT command) {
    HMENU edit = GetSubMenu(GetMenu(w.hwnd()), 1);
    SendMessageA(w.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return (GetMenuState(edit, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// Whether the piece picture of `kind` is shown with its centre at table (x, y).
bool PictureAt(Window& w, bw::PieceKind kind, int x, int y) {
    const bw::Picture& picture = bw::PiecePictures()[kind - bw::kBall];
    int differences = 0;
    for (int dy = 0; dy < 20; ++dy)
        for (int dx = 0; dx < 20; ++dx)
            if (picture.At(dx, dy) != kWhite) differences += w.Pixel(2 * x - 10 + dx, 2 * y - 10 + dy) != picture.At(dx, dy);
    return differences == 0;
}

TEST(Selection, TheBandShiftClickAndTheKeysSelectAndActOnTheWhole) {
    test::TempFolder folder;
    Window w;
    test::MessageBoxes boxes;
    w.Load(folder.File("three.bwt"), "obstacle10 20 20\nhole 60 60\nobstacle100 100 80\n");
    w.ClickTool(ID_TOOL_POINTER);

    // The band: a dotted rectangle in XOR while the mouse is held.
    w.Press(20, 20), w.Move(80, 80), w.Move(140, 140);
    EXPECT_EQ(w.Pixel(22, 140), kBlack);
    EXPECT_EQ(w.Pixel(23, 140), kWhite);
    EXPECT_EQ(w.Pixel(140, 60), kBlack);
    EXPECT_EQ(w.Pixel(140, 61), kWhite);
    EXPECT_EQ(w.Pixel(80, 80), kWhite) << "only the band's last place is shown";
    w.Release(140, 140);
    EXPECT_EQ(w.Pixel(22, 140), kWhite) << "the band goes with the button";
    EXPECT_EQ(w.ed().Selection().size(), 2u);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "2 pieces selected");
    // Every selected piece shows its frame, 5 pixels round its shape.
    EXPECT_EQ(w.Pixel(23, 40), kFrameXor);
    EXPECT_EQ(w.Pixel(103, 120), kFrameXor);
    EXPECT_EQ(w.Pixel(183, 160), kWhite);
    EXPECT_FALSE(Grayed(w, ID_EDIT_ALIGN_LEFT));
    EXPECT_TRUE(Grayed(w, ID_EDIT_DISTRIBUTE_ACROSS));

    // Shift+click adds the third; Escape clears; Ctrl+A selects all again.
    w.Deliver(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, 160));
    w.Release(200, 160);
    EXPECT_EQ(w.Pixel(183, 160), kFrameXor);
    EXPECT_EQ(w.ed().Selection().size(), 3u);
    w.Key(VK_ESCAPE);
    EXPECT_TRUE(w.ed().Selection().empty());
    EXPECT_EQ(w.Pixel(23, 40), kWhite);
    EXPECT_TRUE(IsWindowVisible(w.hwnd())) << "Escape closes nothing";
    w.CtrlKey('A');
    EXPECT_EQ(w.ed().Selection().size(), 3u);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "3 pieces selected");

    // A group drag: every piece follows, and leaves nothing behind.
    w.Press(120, 120), w.Move(130, 125), w.Move(140, 130), w.Release(140, 130);
    EXPECT_EQ(bw::TableToText(w.root()), "# Bumpwright table\nobstacle10 30 25\nhole 70 65\nobstacle100 110 85\n");
    EXPECT_TRUE(PictureAt(w, bw::kHole, 70, 65));
    EXPECT_TRUE(PictureAt(w, bw::kObstacle10, 30, 25));
    EXPECT_EQ(w.Pixel(40, 40), kWhite);
    EXPECT_EQ(w.Pixel(120, 120), kWhite);

    // Ctrl+D: a copy 4 pixels off, selected.
    w.CtrlKey('D');
    EXPECT_EQ(test::Pieces(w.root()).size(), 6u);
    EXPECT_EQ(w.ed().Selection().size(), 3u);
    EXPECT_TRUE(PictureAt(w, bw::kHole, 74, 69));
    w.CtrlKey('Z');
    EXPECT_EQ(test::Pieces(w.root()).size(), 3u);
    EXPECT_EQ(w.Pixel(156, 146), kWhite) << "the copy is gone from the screen";
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(Selection, MirrorAndMirrorCopyShowTheirPieces) {
    test::TempFolder folder;
    Window w;
    test::MessageBoxes boxes;
    w.Load(folder.File("half.bwt"), "left-flipper 20 85\nobstacle50 30 40\n");
    w.CtrlKey('A');
    w.CtrlKey('M', true);  // Mirror copy: the other half of the table
    EXPECT_EQ(bw::TableToText(w.root()),
              "# Bumpwright table\nleft-flipper 20 85\nobstacle50 30 40\nright-flipper 104 85\nobstacle50 94 40\n");
    EXPECT_TRUE(PictureAt(w, bw::kObstacle50, 94, 40));
    EXPECT_TRUE(PictureAt(w, bw::kObstacle50, 30, 40));
    // The flippers lie from tip to pivot, one the other's mirror image.
    EXPECT_EQ(w.Pixel(50, 175), kBlack);
    EXPECT_EQ(w.Pixel(198, 175), kBlack);
    EXPECT_EQ(w.ed().Selection().size(), 2u) << "the copy is selected";

    // Mirror: the copy turns about its own middle, back to a left flipper.
    w.CtrlKey('M');
    EXPECT_EQ(bw::TableToText(w.root()),
              "# Bumpwright table\nleft-flipper 20 85\nobstacle50 30 40\nleft-flipper 89 85\nobstacle50 99 40\n");
    EXPECT_TRUE(PictureAt(w, bw::kObstacle50, 99, 40));
    EXPECT_EQ(w.Pixel(180, 80), kWhite) << "nothing is left where the obstacle was";
    EXPECT_EQ(w.Pixel(188, 175), kBlack);
    EXPECT_EQ(w.Pixel(198, 175), kWhite);
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
