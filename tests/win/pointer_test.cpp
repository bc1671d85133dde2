// The pointer tool: selecting, dragging, nudging with the arrow keys and
// deleting.
#include "tests/win/test_support.h"

#include "res/resource.h"
#include "tests/win/alloc_count.h"

namespace {

using test::Window;

// A window with two obstacles, at table (20, 20) and (60, 50), and the
// pointer picked.
void TwoObstaclesAndThePointer(Window& w) {
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(40, 40);
    w.Click(120, 100);
    w.ClickTool(ID_TOOL_POINTER);
}

TEST(Dragging, APieceFollowsTheMouseAndBecomesTheLastPiece) {
    Window w;
    TwoObstaclesAndThePointer(w);
    bw::TablePiece* first = w.root().FirstChild();
    w.Press(40, 40);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Dragging);
    EXPECT_EQ(w.dlg().currentPiece, first);
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);  // out of the table while dragged
    w.Move(60, 50);
    w.Move(80, 70);
    w.Release(80, 70);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(w.dlg().tool, ui::kPointerTool);
    EXPECT_EQ(w.dlg().currentPiece, first);  // still selected
    const auto pieces = test::Pieces(w.root());
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1], first);
    EXPECT_EQ(bw::Placed(*first).x, 40);
    EXPECT_EQ(bw::Placed(*first).y, 35);
    EXPECT_TRUE(first->region.Contains(80, 70));
    EXPECT_EQ(w.root().PieceAt(80, 70), first);
    EXPECT_EQ(w.dlg().recordCount, 3);
}

TEST(Dragging, SelectingAPieceMarksTheTableUnsavedEvenWithoutAMove) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.dlg().saved = true;  // as after a save
    w.Click(120, 100);
    EXPECT_FALSE(w.dlg().saved);
    EXPECT_EQ(w.dlg().currentPiece, w.root().LastChild());
}

TEST(Dragging, AClickOnNothingSelectsNothing) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.dlg().saved = true;
    w.Click(200, 180);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(w.dlg().currentPiece, nullptr);
    EXPECT_TRUE(w.dlg().saved);
}

TEST(Dragging, APieceStopsAtTheEdgeAndMovesBackFromThere) {
    Window w;
    TwoObstaclesAndThePointer(w);
    bw::TablePiece* piece = w.root().FirstChild();
    w.Press(40, 40);
    w.Move(20, 40);  // table x 10
    w.Move(0, 40);   // table x 0: still on the table
    EXPECT_EQ(bw::Placed(*piece).x, 0);
    w.Move(-10, 40);  // outside the playfield: ignored
    EXPECT_EQ(bw::Placed(*piece).x, 0);
    w.Move(30, 40);
    EXPECT_EQ(bw::Placed(*piece).x, 15);
    w.Release(30, 40);
}

TEST(Dragging, AMoveThatWouldLeaveTheTableIsRefusedAndNotCaughtUpLater) {
    Window w;
    w.ClickTool(ID_TOOL_LEFT_FLIPPER);
    w.Click(200, 100);  // pivot at table 100; the blade reaches 110
    w.ClickTool(ID_TOOL_POINTER);
    bw::TablePiece* flipper = w.root().FirstChild();
    w.Press(204, 100);
    w.Move(240, 100);  // pivot would go to 118: the blade would leave the table
    EXPECT_EQ(bw::Placed(*flipper).x, 100);
    w.Move(244, 100);  // 2 table pixels right of the refused place
    EXPECT_EQ(bw::Placed(*flipper).x, 102);
    w.Release(244, 100);
}

TEST(Dragging, ADragIsNotEndedWhileAnotherWindowIsActive) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.Press(40, 40);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    w.Release(40, 40);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Dragging);
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);
    SetActiveWindow(w.hwnd());
    DestroyWindow(other);
    w.Release(40, 40);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(test::Pieces(w.root()).size(), 2u);
}

// What a window leaves allocated once it is destroyed, the window object
// itself still alive (first), and once the object is gone too (second): with
// the piece dropped, or destroyed mid-drag.
std::pair<long, long> AllocationsLeftByTheWindow(bool midDrag) {
    const long before = test::LiveAllocations();
    auto w = std::make_unique<Window>();
    TwoObstaclesAndThePointer(*w);
    w->Press(40, 40);
    w->Move(60, 60);
    if (!midDrag) w->Release(60, 60);
    EXPECT_EQ(w->dlg().mode, midDrag ? ui::EditMode::Dragging : ui::EditMode::Editing);
    DestroyWindow(w->hwnd());
    EXPECT_EQ(w->dlg().root, nullptr);
    const long left = test::LiveAllocations() - before;
    w.reset();
    return {left, test::LiveAllocations() - before};
}

TEST(Dragging, DestroyingTheWindowDuringADragFreesTheDraggedPiece) {
    AllocationsLeftByTheWindow(false);  // what lasts for the process is set up
    const auto dropped = AllocationsLeftByTheWindow(false);
    const auto midDrag = AllocationsLeftByTheWindow(true);
    EXPECT_EQ(dropped.second, 0);
    EXPECT_EQ(midDrag.second, 0);
    EXPECT_EQ(midDrag.first, dropped.first);
}

TEST(Nudging, ArrowKeysMoveTheSelectedPieceByOneTablePixelAndMarkTheTableUnsaved) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.Click(40, 40);
    bw::TablePiece* piece = w.dlg().currentPiece;
    ASSERT_NE(piece, nullptr);
    const struct {
        UINT key;
        int x, y;
    } steps[] = {{VK_LEFT, 19, 20}, {VK_UP, 19, 19}, {VK_RIGHT, 20, 19}, {VK_DOWN, 20, 20}, {VK_DOWN, 20, 21}};
    for (const auto& s : steps) {
        w.dlg().saved = true;  // as after a save
        w.Key(s.key);
        EXPECT_EQ(bw::Placed(*piece).x, s.x);
        EXPECT_EQ(bw::Placed(*piece).y, s.y);
        EXPECT_FALSE(w.dlg().saved) << "a nudge is a change to save";
    }
    // The piece stays in the table while it is nudged (a click to select
    // it made it the last piece).
    EXPECT_EQ(w.root().LastChild(), piece);
    EXPECT_EQ(test::Pieces(w.root()).size(), 2u);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
}

TEST(Nudging, ANudgeOffTheTableChangesNothing) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(0, 0);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(2, 2);
    w.dlg().saved = true;
    w.Key(VK_LEFT);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 0);
    EXPECT_TRUE(w.dlg().saved);
}

TEST(Nudging, ArrowKeysWithoutASelectionAreLeftToTheDialog) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.Key(VK_RIGHT);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 20);
    EXPECT_EQ(bw::Placed(*w.root().LastChild()).x, 60);
}

TEST(Deleting, TheDeleteKeyRemovesTheSelectedPieceAndMarksTheTableUnsaved) {
    Window w;
    TwoObstaclesAndThePointer(w);
    w.Click(120, 100);
    w.dlg().saved = true;  // as after a save
    w.Key(VK_DELETE);
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);
    EXPECT_EQ(w.dlg().currentPiece, nullptr);
    EXPECT_EQ(w.dlg().recordCount, 2);
    EXPECT_FALSE(w.dlg().saved) << "a delete is a change to save";
    w.Key(VK_DELETE);  // nothing selected now
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);
}

TEST(Deleting, EachPieceGivesBackTheRecordsItWasCountedFor) {
    Window w;
    w.ClickTool(ID_TOOL_CANNON);
    w.Click(200, 150);
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Click(80, 20);
    w.Click(80, 80);
    w.Click(20, 80);
    w.RightClick(20, 80);
    EXPECT_EQ(w.dlg().recordCount, 1 + 2 + 5);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(50, 20);  // on the border's first segment: the whole polyline
    EXPECT_EQ(w.dlg().currentPiece->kind, bw::kGroup);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.dlg().recordCount, 1 + 2);  // 3 segments: 3 + 2
    w.Click(200, 150);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.dlg().recordCount, 1);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
}

TEST(Deleting, ACannonFromAFileGivesBackTwoRecords) {
    test::TempFolder folder;
    const std::string path = folder.File("cannon.bwt");
    test::WriteTableFile(path, "cannon 60 60\nhole 20 20\n");
    Window w;
    ASSERT_TRUE(w.dlg().LoadTable(path.c_str()));
    EXPECT_EQ(w.dlg().recordCount, 3);  // the file's own count: the cannon is one record there
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(120, 120);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.dlg().recordCount, 1);
}

TEST(Borders, ASelectedBorderHasNoFrameButCanBeDraggedNudgedAndDeleted) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 100);
    w.Click(120, 100);
    w.RightClick(120, 100);
    w.ClickTool(ID_TOOL_POINTER);
    w.Paint();
    w.Press(70, 100);
    w.Move(70, 120);
    w.Release(70, 120);
    const auto* group = bw::AsGroup(w.root().FirstChild());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(bw::Placed(*group->FirstChild()).y, 60);
    EXPECT_EQ(bw::Placed(*group->LastChild()).y, 60);
    // No frame: above and below the border the playfield stays white.
    EXPECT_EQ(w.Pixel(70, 120 - 10), RGB(255, 255, 255));
    EXPECT_EQ(w.Pixel(70, 120 + 10), RGB(255, 255, 255));
    w.Key(VK_UP);
    EXPECT_EQ(bw::Placed(*group->FirstChild()).y, 59);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.dlg().recordCount, 1);
}

}  // namespace
