// The table file: the bytes written for known tables, what the reader makes
// of well-formed and broken files, the limits, and load/save round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/table.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;
using bwtest::AddRecord;
using bwtest::ChildAt;
using bwtest::ChildCount;
using bwtest::FileBytes;
using bwtest::NewTable;
using bwtest::Tree;

std::vector<uint8_t> Save(const TableRoot& root) {
    SaveResult s = SaveTableBytes(root);
    EXPECT_TRUE(s.ok) << s.error;
    return s.bytes;
}

// ---- known tables, byte for byte ------------------------------------------------

TEST(TableFile, EmptyTableIsElevenBytes) {
    auto t = NewTable();
    const SaveResult s = SaveTableBytes(*t->root);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.records, 1);
    EXPECT_EQ(s.bytes, (std::vector<uint8_t>{'B', 'W', 'T', 0, 0, 0, 0, 0, 0, 0, 0}));

    CreatePiece(t->root.get(), kHole, 3, 3);  // loading replaces what was there
    const LoadResult l = LoadTableBytes(*t->root, s.bytes);
    EXPECT_TRUE(l.accepted);
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, 1);
    EXPECT_EQ(t->root->FirstChild(), nullptr);
    EXPECT_TRUE(t->root->region.IsEmpty());
}

TEST(TableFile, ObstacleAndFlipperTakeSeventeenBytes) {
    auto t = NewTable();
    CreatePiece(t->root.get(), kObstacle10, 20, 30);
    CreatePiece(t->root.get(), kLeftFlipper, 40, 90);
    const std::vector<uint8_t> bytes = Save(*t->root);
    EXPECT_EQ(bytes, FileBytes({{20, 30, 4}, {40, 90, 8}, {0, 0, 0}}));
    EXPECT_EQ(bytes.size(), 17u);

    auto u = NewTable();
    const LoadResult l = LoadTableBytes(*u->root, bytes);
    EXPECT_EQ(l.recordCount, 3);
    EXPECT_EQ(Tree(*u->root), "0 4 20 30\n0 8 40 90\n");
    // Shapes are rebuilt: the root's region holds the obstacle.
    EXPECT_TRUE(u->root->region.Contains(40, 60));
    EXPECT_EQ(u->root->PieceAt(40, 60), u->root->FirstChild());
}

TEST(TableFile, BorderIsStartPointSegmentsAndTerminator) {
    auto t = NewTable();
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    CreatePiece(g, kBorderSegment, 50, 10);
    CreatePiece(g, kBorderSegment, 50, 60);
    const std::vector<uint8_t> bytes = Save(*t->root);
    EXPECT_EQ(bytes, FileBytes({{10, 10, 1}, {50, 10, 11}, {50, 60, 11}, {0, 0, 0}, {0, 0, 0}}));

    auto u = NewTable();
    const LoadResult l = LoadTableBytes(*u->root, bytes);
    EXPECT_EQ(l.recordCount, 5);
    EXPECT_EQ(Tree(*u->root), "0 2 0 0\n1 1 10 10\n1 11 50 10 -> 10 10\n1 11 50 60 -> 50 10\n");
    EXPECT_TRUE(u->root->region.Contains(100, 70));  // on the second segment
}

TEST(TableFile, CannonIsOneRecordAndGetsItsWallsBack) {
    auto t = NewTable();
    CreatePiece(t->root.get(), kCannon, 60, 90);
    const std::vector<uint8_t> bytes = Save(*t->root);
    EXPECT_EQ(bytes, FileBytes({{60, 90, 10}, {0, 0, 0}}));
    auto u = NewTable();
    LoadTableBytes(*u->root, bytes);
    EXPECT_EQ(Tree(*u->root), Tree(*t->root));
    EXPECT_EQ(ChildCount(*AsGroup(u->root->FirstChild())), 4);
}

// ---- what the reader accepts -------------------------------------------------

TEST(TableFile, RecordsOfKindsWithoutAPieceAreSkipped) {
    auto t = NewTable();
    const auto bytes =
        FileBytes({{1, 2, 3}, {20, 30, 4}, {9, 9, 12}, {5, 5, 255}, {40, 50, 7}, {0, 0, 0}});
    const LoadResult l = LoadTableBytes(*t->root, bytes);
    EXPECT_EQ(Tree(*t->root), "0 4 20 30\n0 7 40 50\n");
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, 6);  // what the file holds, not what the table needs
}

TEST(TableFile, MagicIsComparedOnThreeBytesOnly) {
    auto t = NewTable();
    std::vector<uint8_t> bytes = FileBytes({{20, 30, 4}, {0, 0, 0}});
    for (size_t i = 3; i < 8; ++i) bytes[i] = static_cast<uint8_t>(0xA0 + i);
    EXPECT_TRUE(LoadTableBytes(*t->root, bytes).accepted);
    EXPECT_EQ(ChildCount(*t->root), 1);

    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{'B', 'W', 'X', 0, 0, 0, 0, 0, 0, 0, 0},
                                            std::vector<uint8_t>{'b', 'w', 't', 0, 0, 0, 0, 0, 0, 0, 0},
                                            std::vector<uint8_t>{'B', 'W'}, std::vector<uint8_t>{}}) {
        const LoadResult l = LoadTableBytes(*t->root, bad);
        EXPECT_FALSE(l.accepted);
        EXPECT_EQ(Tree(*t->root), "0 4 20 30\n");  // unchanged
    }
    EXPECT_STREQ(kNotATableMessage, "This is not a Bumpwright file");
}

TEST(TableFile, ReaderTakesAtMost250RecordsAtEachLevel) {
    auto t = NewTable();
    std::vector<uint8_t> records;
    for (int i = 0; i < 300; ++i) AddRecord(records, i % 125, i / 125, kObstacle10);
    AddRecord(records, 0, 0, 0);
    EXPECT_EQ(ReadRecords(*t->root, records), 250);
    EXPECT_EQ(ChildCount(*t->root), 250);
    EXPECT_EQ(Placed(*t->root->LastChild()).x, 249 % 125);

    // A nested list has its own count, starting at 0.
    t->root->DeleteChildren();
    records.clear();
    for (int i = 0; i < 200; ++i) AddRecord(records, 1, 1, kObstacle10);
    AddRecord(records, 0, 0, kGroup);
    for (int i = 0; i < 100; ++i) AddRecord(records, 2, 2, kHole);
    AddRecord(records, 0, 0, 0);
    AddRecord(records, 7, 7, kObstacle50);
    AddRecord(records, 0, 0, 0);
    // The nested records count at the outer level too: it stops after them.
    EXPECT_EQ(ReadRecords(*t->root, records), 302);
    EXPECT_EQ(ChildCount(*t->root), 201);
    EXPECT_EQ(ChildCount(*AsGroup(ChildAt(*t->root, 200))), 100);
    EXPECT_EQ(t->root->LastChild()->kind, kGroup);

    // From a file only the first 758 bytes count: 250 records.
    std::vector<uint8_t> file = FileBytes({});
    for (int i = 0; i < 300; ++i) AddRecord(file, 9, 9, kObstacle100);
    const LoadResult l = LoadTableBytes(*t->root, file);
    EXPECT_EQ(ChildCount(*t->root), 250);
    EXPECT_GE(l.recordCount, 1);
}

TEST(TableFile, BytesBeyond758AreNotRead) {
    auto t = NewTable();
    std::vector<uint8_t> file = FileBytes({});
    for (int i = 0; i < 249; ++i) AddRecord(file, 3, 4, kObstacle10);
    AddRecord(file, 0, 0, 0);
    ASSERT_EQ(file.size(), 758u);
    for (int i = 0; i < 40; ++i) AddRecord(file, 5, 5, kHole);  // never seen
    const LoadResult l = LoadTableBytes(*t->root, file);
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, 250);
    EXPECT_EQ(ChildCount(*t->root), 249);
    EXPECT_EQ(t->root->FindChildOfKind(kHole), nullptr);
}

TEST(TableFile, EveryCutOfAFileKeepsThePiecesReadSoFar) {
    auto t = NewTable();
    TableRoot& root = *t->root;
    CreatePiece(&root, kObstacle10, 20, 30);
    PieceGroup* g = AsGroup(CreatePiece(&root, kBorderStart, 10, 10));
    CreatePiece(g, kBorderSegment, 50, 10);
    CreatePiece(g, kBorderSegment, 50, 60);
    CreatePiece(&root, kCannon, 60, 90);
    CreatePiece(&root, kRightFlipper, 100, 90);
    const std::vector<uint8_t> full = Save(root);
    const std::string fullTree = Tree(root);

    auto u = NewTable();
    for (size_t n = 0; n <= full.size(); ++n) {
        SCOPED_TRACE("bytes " + std::to_string(n));
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
        const LoadResult l = LoadTableBytes(*u->root, cut);
        if (n < 3) {
            EXPECT_FALSE(l.accepted);
            continue;
        }
        EXPECT_TRUE(l.accepted);
        EXPECT_GE(l.recordCount, 1);
        const std::string tree = Tree(*u->root);
        EXPECT_EQ(fullTree.compare(0, tree.size(), tree), 0) << tree;
        EXPECT_EQ(l.wellFormed, n == full.size());
    }
    // Cut just after the first segment: the obstacle and the border so far.
    const std::vector<uint8_t> cut(full.begin(), full.begin() + 8 + 9);
    LoadTableBytes(*u->root, cut);
    EXPECT_EQ(Tree(*u->root), "0 4 20 30\n0 2 0 0\n1 1 10 10\n1 11 50 10 -> 10 10\n");
}

TEST(TableFile, SegmentFirstInAListIsSkipped) {
    auto t = NewTable();
    LoadTableBytes(*t->root, FileBytes({{5, 5, 11}, {20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(Tree(*t->root), "0 4 20 30\n");
    LoadTableBytes(*t->root, FileBytes({{0, 0, 2}, {5, 5, 11}, {0, 0, 0}, {6, 6, 5}, {0, 0, 0}}));
    EXPECT_EQ(Tree(*t->root), "0 2 0 0\n0 5 6 6\n");
}

TEST(TableFile, DeepNestingLoadsWithoutTrouble) {
    for (int kind : {kGroup, kBorderStart}) {
        auto t = NewTable();
        std::vector<uint8_t> file = FileBytes({});
        for (int i = 0; i < 250; ++i) AddRecord(file, 1, 2, kind);
        const LoadResult l = LoadTableBytes(*t->root, file);
        EXPECT_TRUE(l.accepted);
        EXPECT_FALSE(l.wellFormed);
        EXPECT_GE(l.recordCount, 1);
        int depth = 0;
        for (PieceGroup* g = t->root.get(); g; g = AsGroup(g->LastChild())) ++depth;
        EXPECT_EQ(depth, 251) << "kind " << kind;  // the root and 250 nested groups
    }
}

// ---- writing -------------------------------------------------------------------

void BuildMixedTable(PieceGroup& root) {
    CreatePiece(&root, kObstacle10, 20, 30);
    PieceGroup* g = AsGroup(CreatePiece(&root, kBorderStart, 10, 10));
    CreatePiece(g, kBorderSegment, 50, 10);
    CreatePiece(g, kBorderSegment, 50, 60);
    PieceGroup* plain = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    CreatePiece(plain, kHole, 70, 70);
    CreatePiece(plain, kObstacle50, 80, 70);
    CreatePiece(&root, kCannon, 60, 90);
    CreatePiece(&root, kLeftFlipper, 30, 90);
}

TEST(TableFile, WriterNeverWritesPastItsBuffer) {
    auto t = NewTable();
    BuildMixedTable(*t->root);
    const int32_t needed = RecordsNeeded(*t->root);
    const std::vector<uint8_t> whole = Save(*t->root);
    ASSERT_EQ(whole.size(), 8 + 3 * static_cast<size_t>(needed));
    const std::string fullTree = Tree(*t->root);

    constexpr uint8_t kCanary = 0xCD;
    for (size_t size = 0; size <= whole.size() + 4; ++size) {
        SCOPED_TRACE("buffer " + std::to_string(size));
        std::vector<uint8_t> buffer(size + 16, kCanary);
        const int32_t n = WriteRecords(*t->root, std::span<uint8_t>(buffer.data(), size));
        for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], kCanary) << "written past the end";
        ASSERT_LE(static_cast<size_t>(n) * 3, size);
        if (size < 3) continue;
        ASSERT_GE(n, 1);
        EXPECT_EQ(buffer[static_cast<size_t>(n) * 3 - 1], 0) << "ends with a terminator";
        // What was written reads back as the start of the table.
        auto u = NewTable();
        ReadRecords(*u->root, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n) * 3));
        const std::string tree = Tree(*u->root);
        EXPECT_EQ(fullTree.compare(0, tree.size(), tree), 0) << tree;
        if (n == needed) EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + n * 3, whole.begin() + 8));
    }
}

TEST(TableFile, WriterStopsALevelAt252Records) {
    auto t = NewTable();
    for (int i = 0; i < 300; ++i) CreatePiece(t->root.get(), kObstacle10, i % 125, 1);
    std::vector<uint8_t> buffer(3 * 400, 0xEE);
    EXPECT_EQ(WriteRecords(*t->root, buffer), 253);
    EXPECT_EQ(buffer[3 * 251], 251 % 125);  // the 252nd piece
    EXPECT_EQ(buffer[3 * 252 + 2], 0);
    EXPECT_EQ(buffer[3 * 253], 0xEE);

    // A border begun just before the stop is written whole.
    t->root->DeleteChildren();
    for (int i = 0; i < 250; ++i) CreatePiece(t->root.get(), kObstacle10, 1, 1);
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    for (int i = 0; i < 4; ++i) CreatePiece(g, kBorderSegment, 20 + i, 10);
    CreatePiece(t->root.get(), kHole, 5, 5);
    EXPECT_EQ(WriteRecords(*t->root, buffer), 250 + 6 + 1);
    EXPECT_EQ(buffer[3 * 255 + 2], 0);  // the border's terminator
    EXPECT_EQ(buffer[3 * 256 + 2], 0);  // the hole is left out
}

TEST(TableFile, SaveRefusesATableThatDoesNotFitAndProducesNothing) {
    auto t = NewTable();
    for (int i = 0; i < 249; ++i) CreatePiece(t->root.get(), kObstacle10, 1, 1);
    SaveResult s = SaveTableBytes(*t->root);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.bytes.size(), 758u);

    CreatePiece(t->root.get(), kObstacle10, 1, 1);
    s = SaveTableBytes(*t->root);
    EXPECT_FALSE(s.ok);
    EXPECT_TRUE(s.bytes.empty());
    EXPECT_NE(s.error.find("251"), std::string::npos) << s.error;
    EXPECT_NE(s.error.find("Remove at least 1 "), std::string::npos) << s.error;

    // Nested records count too: 245 pieces and a five-corner border need 252.
    t->root->DeleteChildren();
    for (int i = 0; i < 245; ++i) CreatePiece(t->root.get(), kHole, 1, 1);
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    for (int i = 0; i < 4; ++i) CreatePiece(g, kBorderSegment, 20 + i, 10);
    s = SaveTableBytes(*t->root);
    EXPECT_FALSE(s.ok);
    EXPECT_TRUE(s.bytes.empty());
    EXPECT_NE(s.error.find("Remove at least 2 "), std::string::npos) << s.error;
}

// ---- round trips ---------------------------------------------------------------

void DropEmptyGroups(PieceGroup& group) {
    for (TablePiece* c = group.FirstChild(); c;) {
        TablePiece* next = c->next.get();
        if (WritesNoRecords(*c)) group.RemoveChild(c);
        else if (PieceGroup* sub = AsGroup(c)) DropEmptyGroups(*sub);
        c = next;
    }
}

// Load, save, load again: the same tree, and the saved file is well-formed.
void ExpectRoundTrip(const std::vector<uint8_t>& file, const std::string& expectedTree = "") {
    auto a = NewTable();
    ASSERT_TRUE(LoadTableBytes(*a->root, file).accepted);
    const std::string tree = Tree(*a->root);
    if (!expectedTree.empty()) EXPECT_EQ(tree, expectedTree);
    const SaveResult s = SaveTableBytes(*a->root);
    if (!s.ok) {
        EXPECT_GT(RecordsNeeded(*a->root), 250);  // refused only when too big
        return;
    }
    auto b = NewTable();
    const LoadResult l = LoadTableBytes(*b->root, s.bytes);
    // Groups without pieces write nothing, so they do not come back.
    DropEmptyGroups(*a->root);
    EXPECT_EQ(Tree(*b->root), Tree(*a->root));
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, s.records);
    EXPECT_EQ(SaveTableBytes(*b->root).bytes, s.bytes);
}

TEST(TableFile, OddFilesSurviveLoadSaveLoad) {
    // Nested plain groups keep their pieces in the same groups.
    ExpectRoundTrip(FileBytes({{0, 0, 2}, {20, 30, 4}, {0, 0, 2}, {5, 5, 5}, {0, 0, 0}, {0, 0, 0}, {40, 40, 7},
                               {0, 0, 0}}),
                    "0 2 0 0\n1 4 20 30\n1 2 0 0\n2 5 5 5\n0 7 40 40\n");
    ExpectRoundTrip(FileBytes({{0, 0, 2}, {0, 0, 0}, {20, 30, 4}, {0, 0, 0}}), "0 2 0 0\n0 4 20 30\n");  // saved: the obstacle alone
    // A border holding other pieces, and another border inside it.
    ExpectRoundTrip(FileBytes({{10, 10, 1}, {20, 20, 4}, {30, 30, 1}, {40, 40, 11}, {0, 0, 0}, {50, 50, 11},
                               {0, 0, 0}, {0, 0, 0}}),
                    "0 2 0 0\n1 1 10 10\n1 4 20 20\n1 2 0 0\n2 1 30 30\n2 11 40 40 -> 30 30\n"
                    "1 11 50 50 -> 0 0\n");
    // Segments joined to a group or a cannon; skipped kinds; cut short.
    ExpectRoundTrip(FileBytes({{0, 0, 2}, {10, 10, 4}, {0, 0, 0}, {30, 30, 11}, {60, 90, 10}, {70, 90, 11},
                               {0, 0, 0}}));
    ExpectRoundTrip(FileBytes({{3, 3, 3}, {5, 5, 11}, {200, 250, 6}, {9, 9, 99}, {0, 0, 0}}), "0 6 200 250\n");
    ExpectRoundTrip(FileBytes({{20, 30, 4}, {10, 10, 1}, {50, 10, 11}}));
    ExpectRoundTrip({'B', 'W', 'T'});
}

TEST(TableFile, RandomFilesSurviveLoadSaveLoad) {
    std::mt19937 rng(4242);
    const int kinds[] = {0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 11, 12, 200};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kinds)) - 1), pos(0, 255),
        len(0, 60);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> file = FileBytes({});
        const int n = len(rng);
        for (int i = 0; i < n; ++i) AddRecord(file, pos(rng), pos(rng), kinds[pick(rng)]);
        if (round % 3 == 0) file.resize(file.size() - static_cast<size_t>(round % 7 % 3));
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectRoundTrip(file);
        if (HasFailure()) return;
    }
}

TEST(TableFile, TextFormKeepsEveryLoadedTable) {
    std::mt19937 rng(99);
    const int kinds[] = {0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 11, 12};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kinds)) - 1), pos(0, 255),
        len(0, 40);
    auto a = NewTable();
    auto b = NewTable();
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> file = FileBytes({});
        const int n = len(rng);
        for (int i = 0; i < n; ++i) AddRecord(file, pos(rng), pos(rng), kinds[pick(rng)]);
        LoadTableBytes(*a->root, file);
        const std::string text = TableToText(*a->root);
        std::string error;
        ASSERT_TRUE(TextToTable(text, *b->root, error)) << error << "\n" << text;
        ASSERT_EQ(Tree(*b->root), Tree(*a->root)) << text;
        EXPECT_TRUE(b->root->region == a->root->region);
    }
}

}  // namespace
