// The record budget: a table file holds at most 250 records, and the editor
// refuses additions with its too-complex message.
#include "tests/win/test_support.h"

#include "files/table_file.h"
#include "model/soft_surface.h"
#include "res/resource.h"

namespace {

using test::Window;

const char kTooComplex[] = "The Pinball Table you've created is too complex and you may not add any more objects.";

// Loads the table that `text` describes into the window, from a file.
void Load(Window& w, const test::TempFolder& folder, const std::string& text) {
    const std::string path = folder.File("table.bwt");
    test::WriteTableFile(path, text);
    ASSERT_TRUE(w.dlg().LoadTable(path.c_str()));
}

TEST(Budget, At249ACannonIsStillPlacedThenEveryAdditionIsRefused) {
    test::TempFolder folder;
    Window w;
    Load(w, folder, test::ObstaclesText(248));
    ASSERT_EQ(w.dlg().recordCount, 249);
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_CANNON);
    w.Click(200, 192);
    EXPECT_EQ(w.dlg().recordCount, 251);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(bw::RecordsNeeded(w.root()), 250);  // the file holds it whole

    w.ClickTool(ID_TOOL_HOLE);
    w.Click(20, 190);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, kTooComplex);
    EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
    EXPECT_EQ(boxes.Shown()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(test::Pieces(w.root()).size(), 249u);
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 190);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);

    // The pointer and deleting still work, and make room again.
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(200, 196);
    ASSERT_EQ(w.dlg().currentPiece->kind, bw::kCannon);
    w.Key(VK_DELETE);
    EXPECT_EQ(w.dlg().recordCount, 249);
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(20, 190);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(w.dlg().recordCount, 250);
}

TEST(Budget, TheMessageAppearsEvenWhereTheToolCouldNotPlaceItsPiece) {
    test::TempFolder folder;
    Window w;
    Load(w, folder, test::ObstaclesText(249));
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_CANNON);
    w.Click(2, 2);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kTooComplex});
}

// A border needs room for its start point, a corner and its end record;
// a border that could never be completed is not begun.
TEST(Budget, ABorderIsNotStartedWithoutRoomForItsFirstSegment) {
    test::TempFolder folder;
    Window w;
    Load(w, folder, test::ObstaclesText(247));
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 190);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kTooComplex});
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(w.dlg().recordCount, 248);
}

TEST(Budget, ABorderGrowsUntilTheFileIsFullAndSavesWhole) {
    test::TempFolder folder;
    Window w;
    Load(w, folder, test::ObstaclesText(244));  // 245 records
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_BORDER);
    for (int i = 0; i < 8; ++i) w.Click(10 + 20 * i, 190 - (i % 2) * 6);
    w.RightClick(10, 10);
    EXPECT_FALSE(boxes.Shown().empty());
    EXPECT_EQ(w.dlg().recordCount, 250);
    EXPECT_EQ(bw::RecordsNeeded(w.root()), 250);
    EXPECT_TRUE(bw::SaveTableBytes(w.root()).ok);
}

// Deleting a cannon read from a file gives back two records of the count
// but only one of the file: additions stop where the file is full, so that
// whatever is built can still be saved and loaded back whole.
TEST(Budget, AdditionsStopWhereTheTableFileIsFull) {
    test::TempFolder folder;
    Window w;
    Load(w, folder, test::ObstaclesText(240) + "cannon 100 90\ncannon 110 90\ncannon 120 90\n" +
                        "cannon 100 80\ncannon 110 80\n");
    ASSERT_EQ(w.dlg().recordCount, 246);
    w.ClickTool(ID_TOOL_POINTER);
    for (int x : {200, 220, 240}) {
        w.Click(x, 180);
        w.Key(VK_DELETE);
    }
    ASSERT_EQ(w.dlg().recordCount, 240);
    ASSERT_EQ(bw::RecordsNeeded(w.root()), 243);
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_OBSTACLE50);
    for (int i = 0; i < 9; ++i) w.Click(10 + 12 * i, 196);
    EXPECT_EQ(bw::RecordsNeeded(w.root()), 250);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, kTooComplex));
    EXPECT_EQ(w.dlg().recordCount, 247);  // the editor's own count, kept as it goes
    const bw::SaveResult saved = bw::SaveTableBytes(w.root());
    ASSERT_TRUE(saved.ok);
    bw::Table reloaded(bw::BuiltinImageLoader{});
    EXPECT_EQ(bw::LoadTableBytes(*reloaded.root, saved.bytes).recordCount, 250);
    EXPECT_EQ(test::Pieces(*reloaded.root).size(), test::Pieces(w.root()).size());
}

}  // namespace
