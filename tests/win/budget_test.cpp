// A table file holds at most 250 records: the editor refuses additions
// beyond that with its message, so that whatever is built saves whole.
#include "tests/win/test_support.h"

#include "files/table_file.h"

namespace {

const char kTooComplex[] = "The Pinball Table you've created is too complex and you may not add any more objects.";

TEST(Budget, At249ACannonIsStillPlacedThenEveryAdditionIsRefusedUntilAPieceGoes) {
    test::TempFolder folder;
    test::Window w;
    w.Load(folder.File("table.bwt"), test::ObstaclesText(248));
    ASSERT_EQ(w.ed().recordCount, 249);
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_CANNON);
    w.Click(200, 192);
    EXPECT_EQ(w.ed().recordCount, 251);  // the editor counts a cannon twice
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(bw::SaveTableBytes(w.root()).ok);
    for (UINT tool : {ID_TOOL_HOLE, ID_TOOL_BORDER, ID_TOOL_CANNON}) {
        w.ClickTool(tool);
        w.Click(2, 2);  // even where the tool could not place its piece
    }
    ASSERT_EQ(boxes.Shown().size(), 3u);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text + " " + box.caption, kTooComplex + std::string(" Bumpwright"));
    EXPECT_EQ(w.ed().mode, bw::EditMode::Editing);
    EXPECT_EQ(test::Pieces(w.root()).size(), 249u);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(200, 196);
    w.Key(VK_DELETE);
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(20, 190);
    EXPECT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(w.ed().recordCount, 250);
}

// A border is begun only with room for its start, one corner and its end.
TEST(Budget, ABorderIsBegunOnlyIfItCanBeFinished) {
    for (int obstacles : {247, 246}) {
        SCOPED_TRACE(obstacles);
        test::TempFolder folder;
        test::Window w;
        w.Load(folder.File("table.bwt"), test::ObstaclesText(obstacles));
        test::MessageBoxes boxes;
        w.ClickTool(ID_TOOL_BORDER);
        w.Click(20, 190);
        w.Click(60, 190);
        w.RightClick(60, 190);
        EXPECT_EQ(w.ed().mode, bw::EditMode::Editing);
        EXPECT_EQ(boxes.Shown().size(), obstacles == 247 ? 2u : 0u);  // each click refused
        EXPECT_EQ(w.ed().recordCount, obstacles == 247 ? 248 : 250);
        EXPECT_TRUE(bw::SaveTableBytes(w.root()).ok);
    }
}

}  // namespace
