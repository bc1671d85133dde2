// Drawing borders click by click.
#include "tests/win/test_support.h"

#include "res/resource.h"

namespace {

using test::Window;

struct Vertex {
    int x, y;
};

// The table positions of a border polyline: its start point, then the first
// end of each segment; each segment must join the vertex before it.
std::vector<Vertex> Polyline(const bw::TablePiece* piece) {
    std::vector<Vertex> out;
    const auto* group = bw::AsGroup(const_cast<bw::TablePiece*>(piece));
    if (!group) return out;
    Vertex previous{};
    for (const bw::TablePiece* c = group->FirstChild(); c; c = c->next.get()) {
        const auto& p = bw::Placed(*c);
        if (c->kind == bw::kBorderSegment) {
            const auto& s = static_cast<const bw::BorderSegment&>(*c);
            EXPECT_EQ(s.x2, previous.x);
            EXPECT_EQ(s.y2, previous.y);
        } else {
            EXPECT_EQ(c->kind, bw::kBorderStart);
        }
        previous = {p.x, p.y};
        out.push_back(previous);
    }
    return out;
}

bool operator==(const Vertex& a, const Vertex& b) { return a.x == b.x && a.y == b.y; }

TEST(Borders, ClicksAtABAndCThenARightClickMakeTwoSegments) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::DrawingBorder);
    w.Move(100, 20);
    w.Click(100, 20);
    w.Move(100, 120);
    w.Click(100, 120);
    w.Move(150, 150);  // the rubber band, dropped by the right click
    w.RightClick(150, 150);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    const auto pieces = test::Pieces(w.root());
    ASSERT_EQ(pieces.size(), 1u);
    const std::vector<Vertex> expected{{10, 10}, {50, 10}, {50, 60}};
    EXPECT_EQ(Polyline(pieces[0]), expected);
    EXPECT_EQ(w.dlg().recordCount, 1 + 4);  // start point, two segments, end record
    EXPECT_FALSE(w.dlg().saved);
}

TEST(Borders, AStartPointAloneLeavesNoTrace) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    EXPECT_EQ(w.dlg().recordCount, 3);
    w.Move(80, 40);
    w.RightClick(80, 40);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.dlg().recordCount, 1);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
}

TEST(Borders, ADoubleClickEndsThePolylineAtThatPoint) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Move(60, 20);
    w.Click(60, 20);
    w.Move(60, 80);
    w.DoubleClick(60, 80);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    const std::vector<Vertex> expected{{10, 10}, {30, 10}, {30, 40}};
    EXPECT_EQ(Polyline(w.root().FirstChild()), expected);
    EXPECT_EQ(w.dlg().recordCount, 1 + 4);
}

TEST(Borders, PickingAnotherToolEndsTheBorder) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Move(60, 20);
    w.Click(60, 20);
    w.ClickTool(ID_TOOL_HOLE);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    const std::vector<Vertex> expected{{10, 10}, {30, 10}};
    EXPECT_EQ(Polyline(w.root().FirstChild()), expected);
    EXPECT_EQ(w.dlg().recordCount, 1 + 3);
    // And the hole goes on the table, not into the border.
    w.Click(150, 150);
    EXPECT_EQ(test::Pieces(w.root()).size(), 2u);
    EXPECT_EQ(w.root().LastChild()->kind, bw::kHole);
}

TEST(Borders, TheRubberBandFollowsTheMouseWithinThePlayfield) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Move(200, 100);
    const auto* group = bw::AsGroup(w.root().FirstChild());
    ASSERT_NE(group, nullptr);
    const auto& band = static_cast<const bw::BorderSegment&>(*group->LastChild());
    EXPECT_EQ(band.x, 100);
    EXPECT_EQ(band.y, 50);
    EXPECT_EQ(band.x2, 10);  // its other end stays on the start point
    EXPECT_EQ(band.y2, 10);
    w.Move(400, 100);  // beside the playfield: nothing follows
    EXPECT_EQ(band.x, 100);
}

}  // namespace
