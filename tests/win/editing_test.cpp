// Editing through the real window: the toolbar's tools, the mouse messages
// and the keys reach the editor, the labels and the toolbar show what it
// did, and a window that is not the active one edits nothing. (The rules
// themselves are tested natively, through the editor.)
#include "tests/win/test_support.h"

#include <array>

#include "files/table_text.h"

namespace {

using test::Window;

TEST(Mouse, ToolsClicksDragsAndKeysReachTheEditor) {
    Window w;
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_CANNON);
    for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id) EXPECT_EQ(w.ToolChecked(id), id == ID_TOOL_CANNON);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Cannon");
    w.Click(121, 97);
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20), w.Move(100, 20), w.Click(100, 20), w.Move(100, 120);
    w.Click(100, 120), w.Deliver(w.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 120));
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 190), w.Click(60, 190), w.RightClick(60, 190);
    EXPECT_EQ(bw::TableToText(w.root()),
              "# Bumpwright table\ncannon 60 48\nborder 10 10, 50 10, 50 60\nborder 10 95, 30 95\n");

    w.ClickTool(ID_TOOL_POINTER);
    w.Press(120, 96), w.Move(160, 130), w.Release(160, 130);
    for (UINT key : {VK_LEFT, VK_UP, VK_RIGHT, VK_RIGHT, VK_DOWN}) w.Key(key);
    EXPECT_EQ(bw::Placed(*w.root().LastChild()).x * 1000 + bw::Placed(*w.root().LastChild()).y, 81065);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.Pixel(162, 130), RGB(255, 255, 255)) << "the deleted piece is gone from the screen";
    EXPECT_TRUE(boxes.Shown().empty());
}

// The editor's refusal reaches the user as a message box with its text.
TEST(Mouse, AFullTableRefusesMoreWithTheTooComplexMessage) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("table.bwt"), test::ObstaclesText(249));
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(20, 190);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text + " " + boxes.Shown()[0].caption,
              "The Pinball Table you've created is too complex and you may not add any more objects. Bumpwright");
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
