// The undo history, following a piece across a step, the paste of table
// text, and the empty group that writes nothing.
#include <gtest/gtest.h>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/history.h"
#include "model/soft_surface.h"

namespace {

bw::TableSnapshot State(uint8_t marker, int32_t count = 1) { return {{'B', 'W', 'T', 0, 0, 0, 0, 0, marker}, count}; }

std::vector<uint8_t> FileOf(const std::string& text) {
    bw::Table table(bw::BuiltinImageLoader{});
    std::string error;
    EXPECT_TRUE(bw::TextToTable(text, *table.root, error)) << error;
    return bw::TableFileBytes(*table.root);
}

TEST(History, StepsUndoRedoAndTheSavedState) {
    bw::History h;
    h.Start(State(0));
    EXPECT_FALSE(h.Record(State(0)));  // nothing changed: no step
    h.Record(State(1));
    h.Record(State(2));
    h.MarkSaved();
    h.Record(State(3));
    EXPECT_FALSE(h.AtSavedState());
    EXPECT_EQ(*h.Undo(), State(2));
    EXPECT_TRUE(h.AtSavedState());
    EXPECT_EQ(*h.Undo(), State(1));
    EXPECT_EQ(*h.Undo(), State(0));
    EXPECT_EQ(h.Undo(), nullptr);
    EXPECT_EQ(*h.Redo(), State(1));
    // A new step drops the redo states, and with them the saved one.
    h.Record(State(9));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.Size(), 3u);
    while (h.Undo()) EXPECT_FALSE(h.AtSavedState());
}

TEST(History, ARunOfNudgesIsOneStepAndNoneWhenItComesBack) {
    bw::History h;
    h.Start(State(0));
    h.Record(State(1));
    h.Record(State(2), true);
    h.Record(State(3), true);
    h.Record(State(4), true);
    EXPECT_EQ(h.Size(), 3u);
    EXPECT_EQ(*h.Undo(), State(1));
    h.Redo();
    h.Record(State(5), true);  // after an undo or redo, a new run begins
    EXPECT_EQ(h.Size(), 4u);
    h.Record(State(4), true);  // back where that run began
    EXPECT_EQ(h.Size(), 3u);
    EXPECT_EQ(h.Current(), State(4));
}

TEST(History, TenThousandStepsOfAFullTableGoBackWhole) {
    bw::History h;
    std::string text;
    for (int i = 0; i < 249; ++i) text += "obstacle10 " + std::to_string(i % 120) + " " + std::to_string(i / 120) + "\n";
    const std::vector<uint8_t> full = FileOf(text);
    ASSERT_EQ(full.size(), 758u);
    h.Start({full, 1});
    for (int32_t i = 0; i < 10000; ++i) h.Record({full, i + 2});
    int undone = 0;
    while (h.Undo()) ++undone;
    EXPECT_EQ(undone, 10000);
    EXPECT_EQ(h.Current().recordCount, 1);
}

TEST(FollowItem, APieceIsFollowedWhileItExists) {
    const auto before = FileOf("hole 10 10\nobstacle10 20 20\nborder 1 1, 5 5\n");
    // Moved to the end and shifted (a drag): followed.
    EXPECT_EQ(bw::FollowItem(before, 1, FileOf("hole 10 10\nborder 1 1, 5 5\nobstacle10 30 25\n")), 2);
    // Another piece changed: the selected one keeps its place.
    EXPECT_EQ(bw::FollowItem(before, 2, FileOf("hole 11 10\nobstacle10 20 20\nborder 1 1, 5 5\n")), 2);
    // Gone.
    EXPECT_EQ(bw::FollowItem(before, 0, FileOf("obstacle10 20 20\nborder 1 1, 5 5\n")), -1);
}

TEST(Paste, PiecesAreKeptOnThePlayfieldAndOffTakenSpots) {
    bw::Table table(bw::BuiltinImageLoader{});
    std::string error;
    ASSERT_TRUE(bw::TextToTable("hole 20 30\n", *table.root, error));
    const struct {
        const char* text;
        std::vector<uint8_t> records;
        int32_t counted;
    } cases[] = {
        {"hole 20 30\n", {25, 35, 7, 0, 0, 0}, 1},                               // shifted off the hole
        {"cannon 200 120\n", {124, 99, 10, 0, 0, 0}, 2},                           // into the playfield
        {"border 0 0, 10 0\n", {0, 0, 1, 10, 0, 11, 0, 0, 0, 0, 0, 0}, 3},       // as it is
    };
    for (const auto& c : cases) {
        const bw::PasteResult paste = bw::PreparePaste(c.text, *table.root);
        ASSERT_TRUE(paste.ok) << c.text;
        EXPECT_EQ(paste.records, c.records) << c.text;
        EXPECT_EQ(paste.countedRecords, c.counted) << c.text;
    }
    EXPECT_EQ(bw::PreparePaste("hole 1 1\nwhat 2 2\n", *table.root).error, "line 2: unknown piece 'what'");
    EXPECT_FALSE(bw::PreparePaste("hole 0 0\nhole 130 0\n", *table.root).ok);
    EXPECT_FALSE(bw::PreparePaste("# nothing\n", *table.root).ok);
}

TEST(TableFile, AnEmptyGroupWritesNothing) {
    EXPECT_EQ(FileOf("group\nend\nhole 5 5\ngroup\n  hole 6 6\nend\n"),
              (std::vector<uint8_t>{'B', 'W', 'T', 0, 0, 0, 0, 0, 5, 5, 7, 0, 0, 2, 6, 6, 7, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
