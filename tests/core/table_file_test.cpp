// The table file: the bytes written for known tables, what the reader makes
// of well-formed and broken files, the limits, and load/save round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// Records of kinds without a piece are skipped (a segment first in a list
// too); only the magic makes a table file, and a refused one changes nothing.
TEST(TableFile, WhatTheReaderSkipsAndRefuses) {
    auto t = NewTable();
    std::vector<uint8_t> bytes = FileBytes({{1, 2, 3}, {5, 5, 11}, {20, 30, 4}, {9, 9, 12}, {5, 5, 255}, {0, 0, 0}});
    for (size_t i = 3; i < 8; ++i) bytes[i] = static_cast<uint8_t>(0xA0 + i);
    const LoadResult l = LoadTableBytes(*t->root, bytes);
    EXPECT_TRUE(l.accepted && l.wellFormed);
    EXPECT_EQ(l.recordCount, 6);  // what the file holds, not what the table needs
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{'B', 'W', 'X', 0, 0, 0, 0, 0, 0, 0, 0},
                                            std::vector<uint8_t>{'b', 'w', 't', 0, 0}, std::vector<uint8_t>{'B', 'W'}})
        EXPECT_FALSE(LoadTableBytes(*t->root, bad).accepted);
    EXPECT_EQ(Tree(*t->root), "0 4 20 30\n");
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

// A file cut off anywhere loads the pieces read up to where its bytes end;
// whatever the buffer's size, the writer stays inside it, ends with a
// terminator and writes the start of the table.
TEST(TableFile, CutFilesAndShortBuffersKeepTheStartOfTheTable) {
    auto t = NewTable(), u = NewTable();
    std::string error;
    ASSERT_TRUE(TextToTable("obstacle10 20 30\nborder 10 10, 50 10, 50 60\ngroup\nhole 70 70\nobstacle50 80 70\n"
                            "end\ncannon 60 90\nleft-flipper 30 90\n", *t->root, error));
    const std::vector<uint8_t> full = Save(*t->root);
    const std::string fullTree = Tree(*t->root);
    for (size_t n = 0; n <= full.size() + 4; ++n) {
        SCOPED_TRACE("bytes " + std::to_string(n));
        const LoadResult l = LoadTableBytes(*u->root, std::span(full.data(), std::min(n, full.size())));
        EXPECT_EQ(l.accepted, n >= 3);
        EXPECT_EQ(l.wellFormed, n >= full.size());
        EXPECT_EQ(fullTree.compare(0, Tree(*u->root).size(), Tree(*u->root)), 0) << Tree(*u->root);
        if (n == 8 + 9) EXPECT_EQ(Tree(*u->root), "0 4 20 30\n0 2 0 0\n1 1 10 10\n1 11 50 10 -> 10 10\n");
        std::vector<uint8_t> buffer(n + 16, 0xCD);
        const int32_t written = WriteRecords(*t->root, std::span<uint8_t>(buffer.data(), n));
        for (size_t i = n; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCD) << "written past the end";
        ASSERT_LE(static_cast<size_t>(written) * 3, n);
        if (n < 3) continue;
        EXPECT_EQ(buffer[static_cast<size_t>(written) * 3 - 1], 0) << "ends with a terminator";
        u->root->DeleteChildren();
        ReadRecords(*u->root, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(written) * 3));
        EXPECT_EQ(fullTree.compare(0, Tree(*u->root).size(), Tree(*u->root)), 0) << Tree(*u->root);
        if (n >= full.size() - 8) EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + written * 3, full.begin() + 8));
    }
    // A level stops at 252 records, but a border begun just before is written whole.
    ASSERT_TRUE(TextToTable(bwtest::Repeat("obstacle10 7 1\n", 250) + "border 10 10, 20 10, 21 10, 22 10, 23 10\n"
                            "hole 5 5\n", *t->root, error));
    std::vector<uint8_t> buffer(3 * 400, 0xEE);
    EXPECT_EQ(WriteRecords(*t->root, buffer), 250 + 6 + 1);
    EXPECT_EQ(buffer[3 * 255 + 2], 0);  // the border's terminator
    EXPECT_EQ(buffer[3 * 256 + 2], 0);  // the table's
    EXPECT_EQ(buffer[3 * 257], 0xEE);
}

// A file cut off inside a long border reads without the corners whose
// lists' ends would take it past what a file holds: it saves whole again.
TEST(TableFile, AFileCutOffInsideABorderReadsAsMuchAsAFileCanHold) {
    auto t = NewTable(), u = NewTable();
    std::string error;
    ASSERT_TRUE(TextToTable("border 1 1" + bwtest::Repeat(", 2 2", 300) + "\n", *t->root, error));
    std::vector<uint8_t> bytes(kHeaderBytes + 3 * 400, 0);
    bytes[0] = 'B', bytes[1] = 'W', bytes[2] = 'T';
    WriteRecords(*t->root, std::span<uint8_t>(bytes).subspan(kHeaderBytes));
    bytes.resize(kMaxFileBytes);  // the bytes a file may hold, the lists' ends cut off
    const LoadResult l = LoadTableBytes(*u->root, bytes);
    EXPECT_TRUE(l.trimmed);
    EXPECT_FALSE(l.wellFormed);
    EXPECT_EQ(RecordsNeeded(*u->root), kMaxRecords);
    EXPECT_EQ(l.recordCount, kMaxRecords);
    EXPECT_TRUE(IsBorder(*u->root->FirstChild())) << "the border stays, without its last corners";
    EXPECT_EQ(u->root->FirstChild()->next, nullptr);
    EXPECT_TRUE(SaveTableBytes(*u->root).ok);
    // A whole file is read as it is.
    EXPECT_FALSE(LoadTableBytes(*u->root, Save(*u->root)).trimmed);
}

// A table that needs more records than a file holds is refused with how
// many pieces to remove (nested records count too), and nothing is made.
TEST(TableFile, SaveRefusesATableThatDoesNotFit) {
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {bwtest::Repeat("hole 1 1\n", 249), ""},
        {bwtest::Repeat("hole 1 1\n", 250), "This table needs 251 records, but a table file holds at most 250. "
                                             "Remove at least 1 piece or border corner and save again. Nothing was saved."},
        {bwtest::Repeat("hole 1 1\n", 245) + "border 10 10, 20 10, 21 10, 22 10, 23 10\n",
         "Remove at least 2 pieces or border corners "},
    };
    for (const auto& c : cases) {
        auto t = NewTable();
        std::string error;
        ASSERT_TRUE(TextToTable(c.text, *t->root, error));
        const SaveResult s = SaveTableBytes(*t->root);
        EXPECT_EQ(s.ok, !*c.message);
        EXPECT_EQ(s.bytes.size(), *c.message ? 0u : 758u);
        EXPECT_NE(s.error.find(c.message), std::string::npos) << s.error;
    }
}

// ---- round trips ---------------------------------------------------------------

// What the table shows, at any depth: each piece but groups and border
// start points, a segment with both its ends.
std::string Shown(const PieceGroup& group) {
    std::string out;
    for (const TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
        if (const auto* g = dynamic_cast<const PieceGroup*>(c); g && c->kind == kGroup) {
            out += Shown(*g);
            continue;
        }
        if (c->kind == kBorderStart) continue;
        out += std::to_string(c->kind) + " " + std::to_string(Placed(*c).x) + " " + std::to_string(Placed(*c).y);
        if (const auto* s = dynamic_cast<const BorderSegment*>(c))
            out += " -> " + std::to_string(s->x2) + " " + std::to_string(s->y2);
        out += "\n";
    }
    return out;
}

// A top-level segment joins the piece before it. Once that piece is removed
// (or another stands before it) the segment still shows where it was, and
// the file, the snapshots and the text form keep it there; a file in which
// the segment still joins its piece is written as it was read.
TEST(TableFile, ASegmentWhosePieceWasRemovedIsKept) {
    const std::vector<uint8_t> file = FileBytes({{0x14, 0x14, 4}, {0x3c, 0x3c, 11}, {0x64, 0x50, 7}, {0, 0, 0}});
    const struct {
        std::vector<uint8_t> file;
        int remove;  // the root child taken out
        const char* shown;
    } cases[] = {
        {file, -1, "4 20 20\n11 60 60 -> 20 20\n7 100 80\n"},
        {file, 0, "11 60 60 -> 20 20\n7 100 80\n"},
        {FileBytes({{5, 5, 10}, {0x14, 0x14, 4}, {0x3c, 0x3c, 11}, {0, 0, 0}}), 1, "10 5 5\n11 60 60 -> 20 20\n"},
        {FileBytes({{10, 10, 1}, {50, 10, 11}, {0, 0, 0}, {0x14, 0x14, 4}, {0x3c, 0x3c, 11}, {0, 0, 0}}), 1,
         "11 50 10 -> 10 10\n11 60 60 -> 20 20\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        auto t = NewTable(), u = NewTable(), v = NewTable();
        ASSERT_TRUE(LoadTableBytes(*t->root, c.file).wellFormed);
        TablePiece* gone = t->root->FirstChild();
        for (int i = 0; i < c.remove; ++i) gone = gone->next.get();
        if (c.remove >= 0) t->root->RemoveChild(gone);
        t->root->HandleMessage(PieceMessage::RebuildRegion);
        ASSERT_EQ(Shown(*t->root), c.shown);

        const std::vector<uint8_t> bytes = TableFileBytes(*t->root);
        EXPECT_EQ(RecordsNeeded(*t->root), static_cast<int32_t>(bytes.size() - 8) / 3);
        if (c.remove < 0) EXPECT_EQ(bytes, c.file);
        const LoadResult l = LoadTableBytes(*u->root, bytes);
        EXPECT_TRUE(l.wellFormed);
        EXPECT_EQ(Shown(*u->root), c.shown);
        EXPECT_TRUE(u->root->region == t->root->region);
        EXPECT_EQ(SaveTableBytes(*t->root).bytes, bytes);
        for (size_t n = 3; n < bytes.size() - 8; n += 3) {  // short buffers: never written past
            std::vector<uint8_t> buffer(n + 9, 0xCD);
            const int32_t written = WriteRecords(*t->root, std::span<uint8_t>(buffer.data(), n));
            ASSERT_LE(static_cast<size_t>(written) * 3, n);
            EXPECT_EQ(buffer[static_cast<size_t>(written) * 3 - 1], 0);
            EXPECT_EQ(std::count(buffer.begin() + static_cast<long>(n), buffer.end(), 0xCD), 9);
        }

        std::string error;
        ASSERT_TRUE(TextToTable(TableToText(*t->root), *v->root, error)) << error;
        EXPECT_EQ(Shown(*v->root), c.shown);
        EXPECT_TRUE(v->root->region == t->root->region);
    }
}


void DropEmptyGroups(PieceGroup& group) {
    for (TablePiece* c = group.FirstChild(); c;) {
        TablePiece* next = c->next.get();
        if (WritesNoRecords(*c)) group.RemoveChild(c);
        else if (PieceGroup* sub = AsGroup(c)) DropEmptyGroups(*sub);
        c = next;
    }
}

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
        std::string error;
        ASSERT_TRUE(TextToTable(TableToText(*a->root), *c->root, error)) << error;
        EXPECT_EQ(Tree(*c->root), tree);
        EXPECT_TRUE(c->root->region == a->root->region);
        const SaveResult s = SaveTableBytes(*a->root);
        if (s.ok) {
            const LoadResult l = LoadTableBytes(*b->root, s.bytes);
            DropEmptyGroups(*a->root);  // a group that holds no piece writes nothing
            EXPECT_EQ(Tree(*b->root), Tree(*a->root));
            EXPECT_TRUE(l.wellFormed);
            EXPECT_EQ(l.recordCount, s.records);
            EXPECT_EQ(SaveTableBytes(*b->root).bytes, s.bytes);
        } else {
            EXPECT_GT(RecordsNeeded(*a->root), 250);
        }
        if (HasFailure()) return;
    }
}

// Writing a file replaces the one that is there, leaving only the new
// file; one that cannot be written leaves nothing.
TEST(TableFile, WritingAFileReplacesTheOldOne) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(BW_BINARY_DIR) / "write_file_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "t.bwt").string();
    std::string error;
    for (const std::string& text : {std::string("the table saved before, longer"), std::string("new")}) {
        ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()), error)) << error;
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    }
    EXPECT_FALSE(WriteFileBytes((dir / "gone" / "t.bwt").string(), std::vector<uint8_t>{1}, error));
    EXPECT_EQ(error.find("Cannot write " + (dir / "gone" / "t.bwt").string()), 0u) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace
