// The piece tree: list operations, hit testing, message results, serial
// numbers, the factory and moving.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "model/table.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;
using bwtest::ChildAt;
using bwtest::ChildCount;
using bwtest::NewTable;

// A piece that answers every message with a fixed result and counts them.
class StubPiece : public PlacedPiece {
public:
    StubPiece(TableState& st, int32_t result, Region shape = {})
        : PlacedPiece(st, kObstacle10, 0, 0, 0), result_(result), shape_(std::move(shape)) {}
    int32_t HandleMessage(PieceMessage code) override {
        ++received;
        if (code == PieceMessage::RebuildRegion) region = shape_;
        return result_;
    }
    int received = 0;

private:
    int32_t result_;
    Region shape_;
};

StubPiece* AddStub(PieceGroup& g, int32_t result, Region shape = {}) {
    auto p = std::make_unique<StubPiece>(g.state, result, std::move(shape));
    StubPiece* raw = p.get();
    g.AppendChild(std::move(p));
    return raw;
}

TEST(Tree, GroupReturnsTheChildResultWithTheGreatestLowBits) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    AddStub(root, 2);
    AddStub(root, 5);
    AddStub(root, 3);
    EXPECT_EQ(root.HandleMessage(PieceMessage::Simulate), 5);

    PieceGroup* g = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    AddStub(*g, 0x12);
    AddStub(*g, 0x05);
    EXPECT_EQ(g->HandleMessage(PieceMessage::Simulate), 0x05);

    PieceGroup* ties = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    AddStub(*ties, 0x14);
    AddStub(*ties, 0x24);
    AddStub(*ties, 0x03);
    EXPECT_EQ(ties->HandleMessage(PieceMessage::Simulate), 0x14);

    PieceGroup* empty = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    EXPECT_EQ(empty->HandleMessage(PieceMessage::Simulate), 0);
}

TEST(Tree, ExcludedPieceGetsNoMessageAndAddsNoRegion) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    StubPiece* a = AddStub(root, 1, Region::FromRect({0, 0, 10, 10}));
    StubPiece* b = AddStub(root, 6, Region::FromRect({20, 0, 30, 10}));
    a->received = b->received = 0;
    t->state.excludedPiece = b;
    t->state.excludeActive = 1;
    EXPECT_EQ(root.HandleMessage(PieceMessage::Simulate), 1);
    root.HandleMessage(PieceMessage::RebuildRegion);
    EXPECT_EQ(b->received, 0);
    EXPECT_EQ(a->received, 2);
    EXPECT_TRUE(root.region == a->region);

    t->state.excludeActive = 0;  // the piece named but not excluded
    EXPECT_EQ(root.HandleMessage(PieceMessage::Simulate), 6);
    EXPECT_EQ(b->received, 1);
}

TEST(Tree, AppendAndRemoveKeepTheListAndRegion) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    TablePiece* a = CreatePiece(&root, kObstacle10, 50, 50);
    EXPECT_EQ(root.FirstChild(), a);
    EXPECT_EQ(root.LastChild(), a);
    EXPECT_TRUE(root.region == Region::Ellipse({88, 88, 112, 112}));  // empty OR child

    std::unique_ptr<TablePiece> owned = root.RemoveChild(a);
    EXPECT_EQ(owned.get(), a);
    EXPECT_EQ(root.FirstChild(), nullptr);
    EXPECT_EQ(root.LastChild(), nullptr);
    EXPECT_TRUE(root.region.IsEmpty());
    root.AppendChild(std::move(owned));
    EXPECT_EQ(root.FirstChild(), a);
    EXPECT_EQ(root.LastChild(), a);

    TablePiece* b = CreatePiece(&root, kHole, 55, 50);
    TablePiece* c = CreatePiece(&root, kObstacle50, 90, 50);
    owned = root.RemoveChild(c);  // the last: its predecessor becomes last
    EXPECT_EQ(root.LastChild(), b);
    EXPECT_EQ(b->next.get(), nullptr);
    EXPECT_EQ(owned->next.get(), nullptr);
    root.AppendChild(std::move(owned));
    owned = root.RemoveChild(b);  // from the middle
    EXPECT_EQ(a->next.get(), c);
    EXPECT_EQ(owned->next.get(), nullptr);
    EXPECT_EQ(root.LastChild(), c);

    // The removed piece's pixels leave the group even where a stays: the
    // group lacks part of a until it is rebuilt.
    EXPECT_FALSE(root.region.Contains(104, 100));
    EXPECT_TRUE(a->region.Contains(104, 100));
    EXPECT_EQ(root.PieceAt(104, 100), a);  // the root searches anyway
    root.HandleMessage(PieceMessage::RebuildRegion);
    EXPECT_TRUE(root.region.Contains(104, 100));

    root.DeleteChildren();
    EXPECT_EQ(root.FirstChild(), nullptr);
    EXPECT_EQ(root.LastChild(), nullptr);
    CreatePiece(&root, kObstacle10, 1, 1);
    EXPECT_EQ(ChildCount(root), 1);
}

TEST(Tree, FindOfKindStaysAtOneLevel) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    TablePiece* h1 = CreatePiece(&root, kHole, 10, 10);
    CreatePiece(&root, kObstacle10, 20, 10);
    PieceGroup* g = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    CreatePiece(g, kHole, 30, 10);  // nested: not found
    TablePiece* h2 = CreatePiece(&root, kHole, 40, 10);
    EXPECT_EQ(root.FindChildOfKind(kHole), h1);
    EXPECT_EQ(root.FindNextOfKind(kHole, h1), h2);
    EXPECT_EQ(root.FindNextOfKind(kHole, h2), nullptr);
    EXPECT_EQ(root.FindChildOfKind(kCannon), nullptr);
    EXPECT_EQ(root.FindChildOfKind(kGroup), g);
}

TEST(Tree, PieceAtSearchesTheRootAlwaysAndOtherGroupsOnlyInsideTheirRegion) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    EXPECT_EQ(root.serial, 0u);
    TablePiece* a = CreatePiece(&root, kObstacle10, 50, 50);
    TablePiece* b = CreatePiece(&root, kObstacle50, 54, 50);
    EXPECT_EQ(root.PieceAt(100, 100), a);  // first in list order wins
    EXPECT_EQ(root.PieceAt(115, 100), b);
    EXPECT_EQ(root.PieceAt(0, 0), nullptr);

    // Empty the root's own region: the root still searches its children.
    root.region = Region();
    EXPECT_EQ(root.PieceAt(100, 100), a);

    PieceGroup* g = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    TablePiece* inner = CreatePiece(g, kHole, 20, 20);
    EXPECT_EQ(g->PieceAt(40, 40), inner);
    g->region = Region();  // a group other than the root: none at once
    EXPECT_EQ(g->PieceAt(40, 40), nullptr);
    EXPECT_TRUE(inner->region.Contains(40, 40));

    // A border polyline is hit as its whole group, never as a segment.
    TablePiece* border = CreatePiece(&root, kBorderStart, 100, 90);
    CreatePiece(AsGroup(border), kBorderSegment, 120, 90);
    EXPECT_EQ(root.PieceAt(220, 180), border);
}

TEST(Tree, SerialNumbersCountEveryPieceIncludingHiddenParts) {
    auto t = NewTable();
    EXPECT_EQ(t->root->serial, 0u);
    EXPECT_EQ(t->state.ball->serial, 1u);
    EXPECT_EQ(t->state.nextSerial, 2u);
    PieceGroup& root = *t->root;
    EXPECT_EQ(CreatePiece(&root, kObstacle10, 1, 1)->serial, 2u);
    auto* f = static_cast<Flipper*>(CreatePiece(&root, kLeftFlipper, 50, 80));
    EXPECT_EQ(f->serial, 3u);
    EXPECT_EQ(f->lowerEdge->serial, 4u);
    EXPECT_EQ(f->upperEdge->serial, 5u);
    TablePiece* cannon = CreatePiece(&root, kCannon, 60, 90);
    EXPECT_EQ(cannon->serial, 6u);
    EXPECT_EQ(ChildAt(*AsGroup(cannon), 0)->serial, 7u);
    EXPECT_EQ(ChildAt(*AsGroup(cannon), 3)->serial, 10u);
    TablePiece* border = CreatePiece(&root, kBorderStart, 10, 10);
    EXPECT_EQ(border->serial, 11u);
    EXPECT_EQ(AsGroup(border)->FirstChild()->serial, 12u);
    EXPECT_EQ(CreatePiece(AsGroup(border), kBorderSegment, 20, 10)->serial, 13u);
    EXPECT_EQ(CreatePiece(&root, kBall, 1, 1), nullptr);  // builds nothing
    EXPECT_EQ(CreatePiece(&root, kHole, 1, 1)->serial, 14u);
    root.DeleteChildren();  // numbers are never reused
    EXPECT_EQ(CreatePiece(&root, kHole, 1, 1)->serial, 15u);
}

TEST(Tree, FactoryBuildsNothingForKindsWithoutAPiece) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    TablePiece* only = CreatePiece(&root, kObstacle10, 5, 5);
    const Region before = root.region;
    for (PieceKind k : {0, 3, 12, 13, 255, 256, -1}) {
        EXPECT_EQ(CreatePiece(&root, k, 5, 5), nullptr) << "kind " << k;
        EXPECT_EQ(root.FirstChild(), only);
        EXPECT_EQ(root.LastChild(), only);
        EXPECT_TRUE(root.region == before);
    }
    // A segment needs a piece before it to join.
    PieceGroup* empty = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    EXPECT_EQ(CreatePiece(empty, kBorderSegment, 5, 5), nullptr);
    EXPECT_EQ(empty->FirstChild(), nullptr);
}

TEST(Tree, FactoryBuildsEachKindAsStated) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    for (PieceKind k : {kObstacle10, kObstacle50, kObstacle100, kHole}) {
        auto* p = dynamic_cast<Obstacle*>(CreatePiece(&root, k, 30, 40));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->kind, k);
        EXPECT_EQ(p->radius, 5);
        EXPECT_EQ(p->bounce, 0u);
        EXPECT_TRUE(p->region == Region::Ellipse({48, 68, 72, 92}));
    }
    // Kind 1: a plain group at (0, 0) holding the start point.
    TablePiece* border = CreatePiece(&root, kBorderStart, 10, 20);
    ASSERT_NE(AsGroup(border), nullptr);
    EXPECT_EQ(border->kind, kGroup);
    EXPECT_EQ(Placed(*border).x, 0);
    EXPECT_EQ(Placed(*border).y, 0);
    EXPECT_EQ(Placed(*border).bounce, 220u);
    auto* start = dynamic_cast<RoundPiece*>(AsGroup(border)->FirstChild());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->kind, kBorderStart);
    EXPECT_EQ(start->x, 10);
    EXPECT_EQ(start->y, 20);
    EXPECT_EQ(start->radius, 0);
    EXPECT_EQ(start->bounce, 220u);
    EXPECT_TRUE(start->region == Region::Ellipse({18, 38, 22, 42}));
    EXPECT_TRUE(border->region == start->region);

    // Kind 11 joins the previous child: each segment runs back to it.
    auto* s1 = static_cast<BorderSegment*>(CreatePiece(AsGroup(border), kBorderSegment, 50, 20));
    auto* s2 = static_cast<BorderSegment*>(CreatePiece(AsGroup(border), kBorderSegment, 50, 60));
    EXPECT_EQ(s1->kind, kBorderSegment);
    EXPECT_EQ((std::array{s1->x, s1->y, s1->x2, s1->y2}), (std::array{50, 20, 10, 20}));
    EXPECT_EQ((std::array{s2->x, s2->y, s2->x2, s2->y2}), (std::array{50, 60, 50, 20}));
    EXPECT_EQ(s1->radius, 1);
    EXPECT_EQ(s1->bounce, 220u);
    EXPECT_EQ(s1->active, 0);
}

TEST(Tree, MovingAGroupMovesItsChildrenAndAllRegions) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    TablePiece* border = CreatePiece(&root, kBorderStart, 10, 10);
    auto* seg = static_cast<BorderSegment*>(CreatePiece(AsGroup(border), kBorderSegment, 40, 10));
    TablePiece* start = AsGroup(border)->FirstChild();
    const Region groupBefore = border->region, segBefore = seg->region;
    ASSERT_TRUE(groupBefore.Contains(50, 21));
    ASSERT_FALSE(groupBefore.Contains(52, 15));

    t->state.paramA = 1;
    t->state.paramB = -1;
    EXPECT_EQ(border->HandleMessage(PieceMessage::Move), 0);
    EXPECT_EQ(Placed(*border).x, 1);
    EXPECT_EQ(Placed(*border).y, -1);
    EXPECT_EQ(Placed(*start).x, 11);
    EXPECT_EQ(Placed(*start).y, 9);
    EXPECT_EQ((std::array{seg->x, seg->y, seg->x2, seg->y2}), (std::array{41, 9, 11, 9}));
    // One table pixel is two window pixels.
    EXPECT_FALSE(border->region.Contains(50, 21));
    EXPECT_TRUE(border->region.Contains(52, 15));
    Region expected = groupBefore;
    expected.Offset(2, -2);
    EXPECT_TRUE(border->region == expected);
    expected = segBefore;
    expected.Offset(2, -2);
    EXPECT_TRUE(seg->region == expected);
    // The moved shapes are what a rebuild at the new place gives.
    Region moved = border->region;
    border->HandleMessage(PieceMessage::RebuildRegion);
    EXPECT_TRUE(border->region == moved);
}

TEST(Tree, FitsInTestsThePendingMoveWithInclusiveEdges) {
    auto t = NewTable();
    TableState& st = t->state;
    PieceGroup& root = *t->root;
    TablePiece* o = CreatePiece(&root, kObstacle10, 10, 20);
    st.paramA = st.paramB = 0;
    EXPECT_TRUE(o->FitsIn(10, 20, 10, 20));
    EXPECT_FALSE(o->FitsIn(11, 0, 100, 100));
    EXPECT_FALSE(o->FitsIn(0, 0, 9, 100));
    EXPECT_FALSE(o->FitsIn(0, 21, 100, 100));
    EXPECT_FALSE(o->FitsIn(0, 0, 100, 19));
    st.paramA = 5;
    st.paramB = -20;
    EXPECT_TRUE(o->FitsIn(15, 0, 15, 0));
    EXPECT_FALSE(o->FitsIn(10, 20, 10, 20));
    st.paramA = st.paramB = 0;

    // Flippers keep their blade inside: 10 off one side, 2 off the bottom.
    TablePiece* left = CreatePiece(&root, kLeftFlipper, 50, 80);
    EXPECT_TRUE(left->FitsIn(50, 80, 60, 82));
    EXPECT_FALSE(left->FitsIn(50, 80, 59, 82));
    EXPECT_FALSE(left->FitsIn(50, 80, 60, 81));
    EXPECT_FALSE(left->FitsIn(51, 80, 100, 100));
    TablePiece* right = CreatePiece(&root, kRightFlipper, 50, 80);
    EXPECT_TRUE(right->FitsIn(40, 80, 50, 82));
    EXPECT_FALSE(right->FitsIn(41, 80, 50, 82));
    EXPECT_FALSE(right->FitsIn(40, 80, 49, 82));
    EXPECT_FALSE(right->FitsIn(40, 80, 50, 81));

    // A cannon fits when all four wall corners do.
    TablePiece* cannon = CreatePiece(&root, kCannon, 60, 90);
    EXPECT_TRUE(cannon->FitsIn(57, 87, 63, 93));
    EXPECT_FALSE(cannon->FitsIn(58, 87, 63, 93));
    EXPECT_FALSE(cannon->FitsIn(57, 87, 63, 92));
    st.paramA = -57;
    st.paramB = -87;
    EXPECT_TRUE(cannon->FitsIn(0, 0, 6, 6));
    st.paramA = st.paramB = 0;

    EXPECT_TRUE(CreatePiece(&root, kGroup, 0, 0)->FitsIn(1, 1, 0, 0));  // empty group
}

}  // namespace
