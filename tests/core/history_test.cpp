// The undo history's runs and its length, and the empty group that writes
// nothing. (Steps, the saved state, the selection and pasting are tested
// through the window.)
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

TEST(TableFile, AnEmptyGroupWritesNothing) {
    EXPECT_EQ(FileOf("group\nend\nhole 5 5\ngroup\n  hole 6 6\nend\n"),
              (std::vector<uint8_t>{'B', 'W', 'T', 0, 0, 0, 0, 0, 5, 5, 7, 0, 0, 2, 6, 6, 7, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
