// Placing pieces: the tool buttons, where a click places what, the status
// line and the coordinates.
#include "tests/win/test_support.h"

#include "res/resource.h"

namespace {

using test::Window;

struct ToolCase {
    UINT command;
    bw::PieceKind kind;
    int records;
    const char* status;
};

const ToolCase kPlacingTools[] = {
    {ID_TOOL_OBSTACLE10, bw::kObstacle10, 1, "10-point obstacle"},
    {ID_TOOL_OBSTACLE50, bw::kObstacle50, 1, "50-point obstacle"},
    {ID_TOOL_OBSTACLE100, bw::kObstacle100, 1, "100-point obstacle"},
    {ID_TOOL_HOLE, bw::kHole, 1, "Hole"},
    {ID_TOOL_LEFT_FLIPPER, bw::kLeftFlipper, 1, "Left Flipper"},
    {ID_TOOL_RIGHT_FLIPPER, bw::kRightFlipper, 1, "Right Flipper"},
    {ID_TOOL_CANNON, bw::kCannon, 2, "Cannon"},  // the editor counts a cannon twice
};

TEST(Placing, EachToolPlacesItsPieceAtTheClickedTablePosition) {
    for (const ToolCase& c : kPlacingTools) {
        SCOPED_TRACE(c.status);
        Window w;
        w.ClickTool(c.command);
        EXPECT_TRUE(w.ToolChecked(c.command));
        EXPECT_EQ(w.ControlText(IDC_STATUS), c.status);
        w.Click(101, 57);  // window (101, 57) is table (50, 28)
        const auto pieces = test::Pieces(w.root());
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_EQ(pieces[0]->kind, c.kind);
        EXPECT_EQ(bw::Placed(*pieces[0]).x, 50);
        EXPECT_EQ(bw::Placed(*pieces[0]).y, 28);
        EXPECT_EQ(w.dlg().recordCount, 1 + c.records);
        EXPECT_FALSE(w.dlg().saved);
        EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
        // The tool stays: the next click places another one.
        w.Click(161, 97);
        EXPECT_EQ(test::Pieces(w.root()).size(), 2u);
        EXPECT_EQ(w.dlg().recordCount, 1 + 2 * c.records);
    }
}

TEST(Placing, AClickIsMadeEvenToAWholeTablePixel) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(7, 9);
    ASSERT_EQ(test::Pieces(w.root()).size(), 1u);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 3);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).y, 4);
}

TEST(Placing, TheRightAndBottomEdgesAreOutsideThePlayfield) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(249, 100);
    w.Click(100, 199);
    w.Click(-2, 100);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.dlg().recordCount, 1);
    EXPECT_TRUE(w.dlg().saved);
    w.Click(248, 198);
    EXPECT_NE(w.root().FirstChild(), nullptr);
}

// Flippers and the cannon need room for their parts; the test uses the
// click made even.
TEST(Placing, FlippersAndTheCannonStayClearOfTheEdges) {
    struct Probe {
        UINT command;
        int x, y;
        bool placed;
    };
    const Probe probes[] = {
        {ID_TOOL_LEFT_FLIPPER, 229, 100, true},  // even: 228
        {ID_TOOL_LEFT_FLIPPER, 230, 100, false},
        {ID_TOOL_LEFT_FLIPPER, 100, 195, true},  // even: 194
        {ID_TOOL_LEFT_FLIPPER, 100, 196, false},
        {ID_TOOL_RIGHT_FLIPPER, 19, 100, false},  // even: 18
        {ID_TOOL_RIGHT_FLIPPER, 20, 100, true},
        {ID_TOOL_RIGHT_FLIPPER, 248, 194, true},
        {ID_TOOL_RIGHT_FLIPPER, 248, 196, false},
        {ID_TOOL_CANNON, 5, 100, false},  // even: 4
        {ID_TOOL_CANNON, 6, 6, true},
        {ID_TOOL_CANNON, 243, 193, true},  // even: 242, 192
        {ID_TOOL_CANNON, 244, 100, false},
        {ID_TOOL_CANNON, 100, 194, false},
        {ID_TOOL_CANNON, 100, 4, false},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.command << " at " << p.x << "," << p.y);
        Window w;
        w.ClickTool(p.command);
        w.Click(p.x, p.y);
        EXPECT_EQ(w.root().FirstChild() != nullptr, p.placed);
        EXPECT_EQ(w.dlg().saved, !p.placed);
        if (p.placed) {
            EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, p.x / 2);
        }
    }
}

TEST(Placing, ThePlacedPieceIsDrawnAtOnce) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(100, 60);
    // Drawn straight on the window: nothing is left to repaint.
    EXPECT_FALSE(GetUpdateRect(w.hwnd(), nullptr, FALSE));
    HDC dc = GetDC(w.hwnd());
    EXPECT_EQ(GetPixel(dc, 100, 60), RGB(255, 255, 0));  // the yellow disc's middle
    ReleaseDC(w.hwnd(), dc);
}

TEST(ToolButtons, TheToolsFormOneCheckGroup) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    EXPECT_EQ(w.dlg().tool, bw::kHole);
    w.ClickTool(ID_TOOL_CANNON);
    EXPECT_EQ(w.dlg().tool, bw::kCannon);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Cannon");
    for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id)
        EXPECT_EQ(w.ToolChecked(id), id == ID_TOOL_CANNON) << id;
    w.ClickTool(ID_TOOL_POINTER);
    EXPECT_EQ(w.dlg().tool, ui::kPointerTool);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Drag-n-drop objects on the Pinball Table.");
    EXPECT_FALSE(w.ToolChecked(ID_TOOL_CANNON));
}

TEST(ToolButtons, ResettingReleasesEveryToolAndEmptiesTheStatusLine) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.dlg().ResetToolButtons();
    for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id) EXPECT_FALSE(w.ToolChecked(id));
    EXPECT_EQ(w.dlg().tool, ui::kNoTool);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "");
}

TEST(ToolButtons, AButtonShownPressedIsReleasedWhenTheMouseLeavesIt) {
    Window w;
    HWND bar = w.dlg().toolBar.get();
    const RECT open = w.ToolRect(ID_FILE_OPEN);
    const RECT hole = w.ToolRect(ID_TOOL_HOLE);
    w.ClickTool(ID_TOOL_HOLE);  // checked: stays down
    SendMessageA(bar, TB_PRESSBUTTON, ID_FILE_OPEN, TRUE);
    const LPARAM inOpen = MAKELPARAM(open.left + 3, open.top + 3);
    const LPARAM inHole = MAKELPARAM(hole.left + 3, hole.top + 3);
    w.Deliver(bar, WM_MOUSEMOVE, MK_LBUTTON, inOpen);
    EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONPRESSED, ID_FILE_OPEN, 0));
    w.Deliver(bar, WM_MOUSEMOVE, MK_LBUTTON, inHole);
    EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONPRESSED, ID_FILE_OPEN, 0));
    w.Deliver(bar, WM_MOUSEMOVE, 0, inOpen);
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_HOLE));
}

TEST(StatusAndCoordinates, TheCoordinatesFollowTheMouseOverThePlayfieldOnly) {
    Window w;
    w.Move(101, 57);
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(50,28)");
    w.Move(300, 57);  // beside the playfield
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(50,28)");
    w.Move(249, 0);  // made even: 248, inside
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(124,0)");
}

TEST(StatusAndCoordinates, TheMouseDoesNothingWhileAnotherWindowIsActive) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE10);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    ASSERT_NE(GetActiveWindow(), w.hwnd());
    w.Move(101, 57);
    w.Click(101, 57);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "");
    DestroyWindow(other);
}

}  // namespace
