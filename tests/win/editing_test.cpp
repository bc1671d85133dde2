// Editing with the mouse and the keys: the tools and where a click places
// what, borders click by click, the pointer's drags, nudges and deletes,
// the coordinates, and a mouse that does nothing while another window is
// active.
#include "tests/win/test_support.h"

#include <array>

namespace {

using test::Window;

TEST(Placing, EachToolPlacesItsPieceAtTheClickedTablePositionWithRoomForItsParts) {
    const struct {
        UINT tool;
        int x, y;  // window pixels: made even and halved
        bw::PieceKind kind;
        int records;  // 0: not placed
        const char* status;
    } cases[] = {
        {ID_TOOL_OBSTACLE10, 101, 57, bw::kObstacle10, 1, "10-point obstacle"},
        {ID_TOOL_OBSTACLE50, 7, 9, bw::kObstacle50, 1, "50-point obstacle"},
        {ID_TOOL_OBSTACLE100, 248, 198, bw::kObstacle100, 1, "100-point obstacle"},
        {ID_TOOL_HOLE, 249, 100, bw::kHole, 0, "Hole"},  // the right and bottom edges are outside
        {ID_TOOL_LEFT_FLIPPER, 229, 195, bw::kLeftFlipper, 1, "Left Flipper"},  // the blade needs 10 and 2
        {ID_TOOL_LEFT_FLIPPER, 230, 100, bw::kLeftFlipper, 0, "Left Flipper"},
        {ID_TOOL_RIGHT_FLIPPER, 20, 100, bw::kRightFlipper, 1, "Right Flipper"},
        {ID_TOOL_RIGHT_FLIPPER, 19, 100, bw::kRightFlipper, 0, "Right Flipper"},
        {ID_TOOL_CANNON, 243, 193, bw::kCannon, 2, "Cannon"},  // counted twice; its walls need 3
        {ID_TOOL_CANNON, 5, 100, bw::kCannon, 0, "Cannon"},
        {ID_TOOL_CANNON, 100, 194, bw::kCannon, 0, "Cannon"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.status << " at " << c.x << "," << c.y);
        Window w;
        w.ClickTool(c.tool);
        for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id) EXPECT_EQ(w.ToolChecked(id), id == c.tool);
        EXPECT_EQ(w.ControlText(IDC_STATUS), c.status);
        w.Click(c.x, c.y);
        EXPECT_EQ(w.ed().recordCount, 1 + c.records);
        EXPECT_EQ(w.ed().saved, c.records == 0);
        if (c.records == 0) continue;
        ASSERT_EQ(test::Pieces(w.root()).size(), 1u);
        EXPECT_EQ(w.root().FirstChild()->kind, c.kind);
        EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, c.x / 2);
        EXPECT_EQ(bw::Placed(*w.root().FirstChild()).y, c.y / 2);
        w.Click(161, 97);  // the tool stays
        EXPECT_EQ(w.ed().recordCount, 1 + 2 * c.records);
    }
}

TEST(Borders, ClicksMakeSegmentsThatARightClickADoubleClickOrAnotherToolEnds) {
    for (int ending = 0; ending < 3; ++ending) {
        Window w;
        w.ClickTool(ID_TOOL_BORDER), w.Click(20, 20);
        EXPECT_EQ(w.ed().mode, bw::EditMode::DrawingBorder);
        w.Move(100, 20), w.Click(100, 20), w.Move(100, 120);
        if (ending == 0) w.Click(100, 120), w.Move(150, 150), w.RightClick(150, 150);
        if (ending == 1) w.Click(100, 120), w.Deliver(w.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 120));
        if (ending == 2) w.ClickTool(ID_TOOL_HOLE), w.Click(200, 150);
        EXPECT_EQ(w.ed().mode, bw::EditMode::Editing);
        const auto* border = bw::AsGroup(w.root().FirstChild());
        ASSERT_NE(border, nullptr);
        std::string corners;
        for (const bw::TablePiece* c = border->FirstChild(); c; c = c->next.get())
            corners += std::to_string(bw::Placed(*c).x) + "," + std::to_string(bw::Placed(*c).y) + " ";
        EXPECT_EQ(corners, ending < 2 ? "10,10 50,10 50,60 " : "10,10 50,10 ");
        EXPECT_EQ(w.ed().recordCount, ending < 2 ? 1 + 4 : 1 + 3 + 1);
        EXPECT_EQ(w.root().LastChild()->kind, ending < 2 ? bw::kGroup : bw::kHole);
    }
    // A start point alone leaves no trace.
    Window w;
    w.ClickTool(ID_TOOL_BORDER), w.Click(20, 20), w.RightClick(80, 40);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.ed().recordCount, 1);
}

TEST(Pointer, DragNudgeAndDeleteTheSelectedPiece) {
    Window w;
    w.ClickTool(ID_TOOL_OBSTACLE10), w.Click(40, 40), w.Click(120, 100), w.ClickTool(ID_TOOL_POINTER);
    bw::TablePiece* first = w.root().FirstChild();
    w.ed().saved = true;
    w.Click(200, 180);  // nothing there: nothing selected
    EXPECT_EQ(w.ed().currentPiece, nullptr);
    EXPECT_TRUE(w.ed().saved);
    w.Press(40, 40);
    EXPECT_EQ(w.ed().mode, bw::EditMode::Dragging);
    w.Move(0, 40);  // table x 0: still on the table
    w.Move(-10, 40);  // outside the playfield: ignored
    EXPECT_EQ(bw::Placed(*first).x, 0);
    w.Move(80, 70), w.Release(80, 70);
    EXPECT_EQ(w.ed().currentPiece, first);
    EXPECT_EQ(w.root().LastChild(), first);  // the dragged piece becomes the last
    EXPECT_EQ(w.root().PieceAt(80, 70), first);
    EXPECT_FALSE(w.ed().saved);
    for (auto [key, x, y] : {std::array{VK_LEFT, 39, 35}, {VK_UP, 39, 34}, {VK_RIGHT, 40, 34}, {VK_DOWN, 40, 35}}) {
        w.ed().saved = true;
        w.Key(key);
        EXPECT_EQ(bw::Placed(*first).x * 1000 + bw::Placed(*first).y, x * 1000 + y) << key;
        EXPECT_FALSE(w.ed().saved);
    }
    w.Key(VK_DELETE);
    EXPECT_EQ(w.Pixel(80, 70), RGB(255, 255, 255)) << "the deleted piece is gone from the screen";
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);
    EXPECT_EQ(w.ed().recordCount, 2);
    w.Key(VK_RIGHT);  // nothing selected: left to the dialog
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 60);

    // A border is selected and deleted whole; it gives back its records.
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20), w.Click(80, 20), w.Click(80, 80), w.RightClick(80, 80);
    w.ClickTool(ID_TOOL_POINTER), w.Click(50, 20), w.Key(VK_DELETE);
    EXPECT_EQ(w.ed().recordCount, 2);
}

TEST(Mouse, CoordinatesFollowItOverThePlayfieldAndNothingHappensWhileAnotherWindowIsActive) {
    Window w;
    w.Move(101, 57);
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(50,28)");
    w.Move(300, 57);  // beside the playfield
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(50,28)");
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    test::Pump(w.hwnd());
    ASSERT_NE(GetActiveWindow(), w.hwnd());
    w.ClickTool(ID_TOOL_OBSTACLE10), w.Move(201, 157), w.Click(201, 157);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(50,28)");
    DestroyWindow(other);
}

}  // namespace
