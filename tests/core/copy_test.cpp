// A table's copy (what the check plays): piece for piece the original, odd
// structures included, and it plays the same games.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/table.h"
#include "physics/game.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;
using bwtest::FileBytes;
using bwtest::NewTable;
using bwtest::Tree;

// Every region of the two trees, piece by piece in tree order.
void ExpectSameRegions(const PieceGroup& a, const PieceGroup& b) {
    const TablePiece *p = a.FirstChild(), *q = b.FirstChild();
    for (; p && q; p = p->next.get(), q = q->next.get()) {
        EXPECT_TRUE(p->region == q->region) << "piece " << p->serial << " of kind " << p->kind;
        if (IsGroup(*p) && IsGroup(*q)) ExpectSameRegions(static_cast<const PieceGroup&>(*p), static_cast<const PieceGroup&>(*q));
    }
    EXPECT_TRUE(!p && !q) << "lists of different lengths";
}

// The same keys into both tables, tick by tick; the checksums of both games.
std::pair<uint64_t, uint64_t> PlayBoth(Table& a, Table& b, int ticks) {
    TraceChecksum sa, sb;
    StartGame(a.state);
    StartGame(b.state);
    for (int t = 1; t <= ticks; ++t) {
        for (Table* x : {&a, &b}) {
            if (t % 400 <= 10) SendKey(x->state, kKeySpace, t % 400 != 10);  // serve with full power
            if (t % 50 == 20) SendKey(x->state, t % 100 == 20 ? kKeyZ : kKeyX, true);
            if (t % 50 == 30) SendKey(x->state, t % 100 == 30 ? kKeyZ : kKeyX, false);
        }
        PlayTick(a.state, false);
        PlayTick(b.state, false);
        sa.Add(a.state);
        sb.Add(b.state);
    }
    return {sa.Value(), sb.Value()};
}

TEST(Copy, OddStructuresPieceForPiece) {
    auto original = NewTable();
    const std::vector<uint8_t> file = FileBytes({
        {20, 30, kObstacle10},
        {5, 5, kBorderSegment},  // a segment on its own, joined to the obstacle
        {10, 10, kBorderStart},  // a border holding other pieces
        {50, 10, kBorderSegment},
        {30, 20, kObstacle50},
        {50, 60, kBorderSegment},  // joined to the obstacle before it
        {0, 0, kGroup},
        {70, 70, kHole},
        {0, 0, 0},
        {0, 0, 0},
        {0, 0, kGroup},  // nested groups, one of them empty
        {0, 0, kGroup},
        {40, 90, kLeftFlipper},
        {0, 0, 0},
        {0, 0, kGroup},
        {0, 0, 0},
        {0, 0, 0},
        {90, 40, kBorderSegment},  // joined to the group
        {60, 90, kCannon},
        {100, 80, kBorderSegment},  // joined to the cannon
        {80, 90, kRightFlipper},
        {30, 30, kHole},
        {0, 0, 0},
    });
    ASSERT_TRUE(LoadTableBytes(*original->root, file).wellFormed);
    // Moved as a whole (the groups and the root move too), the piece before
    // the lone segment gone (its far end now joins nothing), and a side of
    // the cannon gone.
    original->state.paramA = 2;
    original->state.paramB = -3;
    original->root->HandleMessage(PieceMessage::Move);
    original->root->RemoveChild(original->root->FirstChild());
    PieceGroup* cannon = AsGroup(original->root->FindChildOfKind(kCannon));
    ASSERT_TRUE(cannon);
    cannon->RemoveChild(cannon->FirstChild()->next.get());
    original->root->HandleMessage(PieceMessage::RebuildRegion);

    Table copy{NoImageLoader{}};
    CreatePiece(copy.root.get(), kHole, 3, 3);  // replaced by the copy
    ASSERT_TRUE(CopyPieces(*original->root, *copy.root));
    EXPECT_EQ(Tree(*copy.root), Tree(*original->root));
    EXPECT_EQ(Tree(*copy.root).substr(0, 20), "0 11 7 2 -> 22 27\n0 ");
    EXPECT_EQ(copy.root->x, 2);
    EXPECT_EQ(copy.root->y, -3);
    ExpectSameRegions(*copy.root, *original->root);
    EXPECT_TRUE(copy.root->region == original->root->region);

    const auto [a, b] = PlayBoth(*original, copy, 3000);
    EXPECT_EQ(a, b);
}

}  // namespace
