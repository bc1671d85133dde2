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
using bwtest::FileBytes;
using bwtest::NewTable;
using bwtest::Tree;

std::vector<uint8_t> Save(const TableRoot& root) {
    SaveResult s = SaveTableBytes(root);
    EXPECT_TRUE(s.ok) << s.error;
    return s.bytes;
}

// ---- known tables, byte for byte ------------------------------------------------

TEST(TableFile, KnownTablesByteForByte) {
    const struct {
        const char* text;
        std::vector<uint8_t> file;
        const char* tree;  // as loaded back
    } cases[] = {
        {"", FileBytes({{0, 0, 0}}), ""},
        {"obstacle10 20 30\nleft-flipper 40 90\n", FileBytes({{20, 30, 4}, {40, 90, 8}, {0, 0, 0}}),
         "0 4 20 30\n0 8 40 90\n"},
        {"border 10 10, 50 10, 50 60\n", FileBytes({{10, 10, 1}, {50, 10, 11}, {50, 60, 11}, {0, 0, 0}, {0, 0, 0}}),
         "0 2 0 0\n1 1 10 10\n1 11 50 10 -> 10 10\n1 11 50 60 -> 50 10\n"},
        {"cannon 60 90\n", FileBytes({{60, 90, 10}, {0, 0, 0}}),
         "0 10 60 90\n1 11 63 87 -> 57 87\n1 11 63 93 -> 63 87\n1 11 57 93 -> 63 93\n1 11 57 87 -> 57 93\n"},
    };
    for (const auto& c : cases) {
        auto t = NewTable();
        std::string error;
        ASSERT_TRUE(TextToTable(c.text, *t->root, error)) << error;
        const SaveResult s = SaveTableBytes(*t->root);
        EXPECT_EQ(s.bytes, c.file) << c.text;
        EXPECT_EQ(s.records, static_cast<int32_t>(c.file.size() - 8) / 3);
        CreatePiece(t->root.get(), kHole, 3, 3);  // loading replaces what was there
        const LoadResult l = LoadTableBytes(*t->root, c.file);
        EXPECT_TRUE(l.wellFormed);
        EXPECT_EQ(l.recordCount, s.records);
        EXPECT_EQ(Tree(*t->root), c.tree);
        EXPECT_TRUE(t->root->region.Contains(40, 60) == (c.file.size() == 17u));  // shapes are rebuilt
    }
}

TEST(TableFile, RecordsOfKindsWithoutAPieceAreSkipped) {
    auto t = NewTable();
    const auto bytes =
        FileBytes({{1, 2, 3}, {5, 5, 11}, {20, 30, 4}, {9, 9, 12}, {5, 5, 255}, {40, 50, 7}, {0, 0, 0}});
    const LoadResult l = LoadTableBytes(*t->root, bytes);
    EXPECT_EQ(Tree(*t->root), "0 4 20 30\n0 7 40 50\n");  // a segment first in a list too
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, 7);  // what the file holds, not what the table needs
}

TEST(TableFile, OnlyTheMagicMakesATableFile) {
    auto t = NewTable();
    std::vector<uint8_t> bytes = FileBytes({{20, 30, 4}, {0, 0, 0}});
    for (size_t i = 3; i < 8; ++i) bytes[i] = static_cast<uint8_t>(0xA0 + i);
    EXPECT_TRUE(LoadTableBytes(*t->root, bytes).accepted);
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{'B', 'W', 'X', 0, 0, 0, 0, 0, 0, 0, 0},
                                            std::vector<uint8_t>{'b', 'w', 't', 0, 0}, std::vector<uint8_t>{'B', 'W'}}) {
        EXPECT_FALSE(LoadTableBytes(*t->root, bad).accepted);
        EXPECT_EQ(Tree(*t->root), "0 4 20 30\n");  // unchanged
    }
}

// The reader takes at most 250 records at each level (nested records count
// at the outer level too), and from a file only the first 758 bytes.
TEST(TableFile, TheReaderStopsAt250RecordsAnd758Bytes) {
    auto t = NewTable();
    std::vector<uint8_t> records;
    for (int i = 0; i < 200; ++i) AddRecord(records, 1, 1, kObstacle10);
    AddRecord(records, 0, 0, kGroup);
    for (int i = 0; i < 100; ++i) AddRecord(records, 2, 2, kHole);
    AddRecord(records, 0, 0, 0);
    AddRecord(records, 7, 7, kObstacle50);
    AddRecord(records, 0, 0, 0);
    EXPECT_EQ(ReadRecords(*t->root, records), 302);
    EXPECT_EQ(RecordsNeeded(*t->root), 303);
    EXPECT_EQ(t->root->LastChild()->kind, kGroup);
    EXPECT_EQ(Tree(*AsGroup(t->root->LastChild())).size(), 100 * std::string("0 7 2 2\n").size());

    std::vector<uint8_t> file = FileBytes({});
    for (int i = 0; i < 249; ++i) AddRecord(file, 3, 4, kObstacle10);
    AddRecord(file, 0, 0, 0);
    for (int i = 0; i < 40; ++i) AddRecord(file, 5, 5, kHole);  // never seen
    const LoadResult l = LoadTableBytes(*t->root, file);
    EXPECT_TRUE(l.wellFormed);
    EXPECT_EQ(l.recordCount, 250);
    EXPECT_EQ(RecordsNeeded(*t->root), 250);
    EXPECT_EQ(t->root->FindChildOfKind(kHole), nullptr);
}

// A file cut off anywhere loads the pieces read up to where its bytes end.
TEST(TableFile, EveryCutOfAFileKeepsThePiecesReadSoFar) {
    auto t = NewTable();
    std::string error;
    ASSERT_TRUE(TextToTable("obstacle10 20 30\nborder 10 10, 50 10, 50 60\ncannon 60 90\nright-flipper 100 90\n",
                            *t->root, error));
    const std::vector<uint8_t> full = Save(*t->root);
    const std::string fullTree = Tree(*t->root);
    auto u = NewTable();
    for (size_t n = 0; n <= full.size(); ++n) {
        SCOPED_TRACE("bytes " + std::to_string(n));
        const LoadResult l = LoadTableBytes(*u->root, std::span(full.data(), n));
        EXPECT_EQ(l.accepted, n >= 3);
        if (n < 3) continue;
        EXPECT_GE(l.recordCount, 1);
        const std::string tree = Tree(*u->root);
        EXPECT_EQ(fullTree.compare(0, tree.size(), tree), 0) << tree;
        EXPECT_EQ(l.wellFormed, n == full.size());
        if (n == 8 + 9) EXPECT_EQ(tree, "0 4 20 30\n0 2 0 0\n1 1 10 10\n1 11 50 10 -> 10 10\n");
    }
}

// ---- writing -------------------------------------------------------------------

// Whatever the buffer's size, the writer stays inside it, ends with a
// terminator and writes the start of the table; a level stops at 252 records.
TEST(TableFile, TheWriterNeverWritesPastItsBuffer) {
    auto t = NewTable();
    std::string error;
    ASSERT_TRUE(TextToTable("obstacle10 20 30\nborder 10 10, 50 10, 50 60\ngroup\nhole 70 70\nobstacle50 80 70\n"
                            "end\ncannon 60 90\nleft-flipper 30 90\n", *t->root, error));
    const int32_t needed = RecordsNeeded(*t->root);
    const std::vector<uint8_t> whole = Save(*t->root);
    ASSERT_EQ(whole.size(), 8 + 3 * static_cast<size_t>(needed));
    const std::string fullTree = Tree(*t->root);
    for (size_t size = 0; size <= whole.size() + 4; ++size) {
        SCOPED_TRACE("buffer " + std::to_string(size));
        std::vector<uint8_t> buffer(size + 16, 0xCD);
        const int32_t n = WriteRecords(*t->root, std::span<uint8_t>(buffer.data(), size));
        for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCD) << "written past the end";
        ASSERT_LE(static_cast<size_t>(n) * 3, size);
        if (size < 3) continue;
        ASSERT_GE(n, 1);
        EXPECT_EQ(buffer[static_cast<size_t>(n) * 3 - 1], 0) << "ends with a terminator";
        auto u = NewTable();
        ReadRecords(*u->root, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n) * 3));
        const std::string tree = Tree(*u->root);
        EXPECT_EQ(fullTree.compare(0, tree.size(), tree), 0) << tree;
        if (n == needed) EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + n * 3, whole.begin() + 8));
    }
    // A border begun just before the stop is written whole; the hole after it is left out.
    t->root->DeleteChildren();
    for (int i = 0; i < 250; ++i) CreatePiece(t->root.get(), kObstacle10, i % 125, 1);
    PieceGroup* g = AsGroup(CreatePiece(t->root.get(), kBorderStart, 10, 10));
    for (int i = 0; i < 4; ++i) CreatePiece(g, kBorderSegment, 20 + i, 10);
    CreatePiece(t->root.get(), kHole, 5, 5);
    std::vector<uint8_t> buffer(3 * 400, 0xEE);
    EXPECT_EQ(WriteRecords(*t->root, buffer), 250 + 6 + 1);
    EXPECT_EQ(buffer[3 * 249], 249 % 125);
    EXPECT_EQ(buffer[3 * 255 + 2], 0);  // the border's terminator
    EXPECT_EQ(buffer[3 * 256 + 2], 0);  // the table's
    EXPECT_EQ(buffer[3 * 257], 0xEE);
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

// Random files, odd structures and cut-off ends included: load, save, load
// again gives the same tree and a well-formed file (or saving is refused
// because the table is too big); the text form gives the same tree too.
TEST(TableFile, RandomFilesSurviveLoadSaveLoadAndTheTextForm) {
    std::mt19937 rng(4242);
    const int kinds[] = {0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 11, 12, 200};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kinds)) - 1), pos(0, 255), len(0, 60);
    auto a = NewTable(), b = NewTable(), c = NewTable();
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<uint8_t> file = FileBytes({});
        for (int i = len(rng); i > 0; --i) AddRecord(file, pos(rng), pos(rng), kinds[pick(rng)]);
        if (round % 3 == 0) file.resize(file.size() - static_cast<size_t>(round % 7 % 3));
        ASSERT_TRUE(LoadTableBytes(*a->root, file).accepted);
        const std::string tree = Tree(*a->root);
        const SaveResult s = SaveTableBytes(*a->root);
        if (s.ok) {
            const LoadResult l = LoadTableBytes(*b->root, s.bytes);
            EXPECT_EQ(Tree(*b->root), tree);
            EXPECT_TRUE(l.wellFormed);
            EXPECT_EQ(l.recordCount, s.records);
            EXPECT_EQ(SaveTableBytes(*b->root).bytes, s.bytes);
        } else {
            EXPECT_GT(RecordsNeeded(*a->root), 250);
        }
        std::string error;
        ASSERT_TRUE(TextToTable(TableToText(*a->root), *c->root, error)) << error;
        EXPECT_EQ(Tree(*c->root), tree);
        EXPECT_TRUE(c->root->region == a->root->region);
        if (HasFailure()) return;
    }
}

}  // namespace
