// Many pieces at once: the selection's rules, and each action on the
// selection as a table of cases (the table before, the user's actions, the
// table after), each undone and redone. After every script the screen must
// show what a full repaint shows.
#include <gtest/gtest.h>

#include <array>

#include "tests/core/editor_session.h"

namespace {

using bwtest::Session;

constexpr char kHead[] = "# Bumpwright table\n";
constexpr char kThree[] = "obstacle10 20 20\nhole 60 60\nobstacle100 100 80\n";

struct Case {
    const char* name;
    const char* before;
    const char* script;
    const char* after;  // the table's text afterwards, without its first line
    int records;        // the editor's count afterwards
    int selected;       // pieces selected afterwards
    int messages = 0;
};

void Check(const Case& c, bool undoable) {
    SCOPED_TRACE(c.name);
    Session s;
    s.Load(c.before);
    s.Run(c.script);
    EXPECT_EQ(s.Text(), kHead + std::string(c.after));
    EXPECT_EQ(s.editor.recordCount(), c.records);
    EXPECT_EQ(static_cast<int>(s.editor.Selection().size()), c.selected);
    EXPECT_EQ(s.editor.currentPiece(), c.selected == 1 ? s.editor.Selection().front() : nullptr)
        << "currentPiece is the one selected piece";
    EXPECT_EQ(static_cast<int>(s.view.asked.size()), c.messages);
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted()) << "the screen shows what a repaint shows";
    if (!undoable) return;
    // One action, one step: Undo brings the table back, Redo the change.
    s.Run("Z");
    EXPECT_EQ(s.Text(), kHead + std::string(c.before));
    EXPECT_TRUE(s.editor.saved());
    s.Run("Y");
    EXPECT_EQ(s.Text(), kHead + std::string(c.after));
    EXPECT_EQ(s.editor.recordCount(), c.records);
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted());
}

TEST(Selection, TheBandShiftClickAndEscapeChooseThePieces) {
    const Case cases[] = {
        // Deleting shows what was selected.
        {"a band selects what lies wholly inside", kThree, "t12 p20,20 m80,80 m140,140 u D", "obstacle100 100 80\n", 2, 0},
        {"a band from right to left too", kThree, "t12 p140,140 m20,20 u D", "obstacle100 100 80\n", 2, 0},
        {"a piece cut by the band is left out", kThree, "t12 p20,20 m120,120 u D", "hole 60 60\nobstacle100 100 80\n", 3, 0},
        {"with Shift the band adds", kThree, "t12 c40,40 q150,140 m230,180 u D", "hole 60 60\n", 2, 0},
        {"without Shift it starts again", kThree, "t12 c40,40 p150,140 m230,180 u D", "obstacle10 20 20\nhole 60 60\n", 3, 0},
        {"Shift+click adds and takes out", kThree, "t12 c40,40 s120,120 s200,160 s40,40", kThree, 4, 2},
        {"a click on one of several selects it alone", kThree, "t12 all c120,120", kThree, 4, 1},
        {"a click on empty playfield clears", kThree, "t12 all c10,190", kThree, 4, 0},
        {"Shift+click on empty playfield keeps", kThree, "t12 all s10,190", kThree, 4, 3},
        {"Escape clears", kThree, "t12 all esc D", kThree, 4, 0},
        {"Select All takes the pointer", kThree, "t5 all", kThree, 4, 3},
        {"another tool drops the selection", kThree, "t12 all t5 t12 D", kThree, 4, 0},
        {"play drops it", kThree, "t12 all S E", kThree, 4, 0},
        {"an empty table has nothing to select", "", "all", "", 1, 0},
        {"a band on an obstacle at the edge", "obstacle10 0 50\nhole 60 60\n", "t12 p0,80 m30,120 u D", "hole 60 60\n", 2, 0},
        // The obstacle's shape covers window pixels 28 to 51 each way.
        {"a band reaching the shape's last pixel", kThree, "t12 p28,28 m52,52 u", kThree, 4, 1},
        {"a band a pixel short of it", kThree, "t12 p28,28 m50,50 u", kThree, 4, 0},
        {"a command ends the band first", kThree, "t12 all q10,190 m20,195 D u", "", 1, 0},
    };
    for (const Case& c : cases) Check(c, false);
}

TEST(Selection, TheStatusLineCountsTheSelectedPieces) {
    Session s;
    s.Load(kThree);
    s.Run("t12 c40,40");
    EXPECT_EQ(s.editor.statusText(), "tool 12") << "one selected piece: as before";
    s.Run("all");
    EXPECT_EQ(s.editor.statusText(), "3 selected");
    // Each frame runs 5 pixels round its piece's shape (the hole's: 108 to 131).
    EXPECT_EQ(s.view.screen.At(103, 120), bw::Rgb(255, 0, 0));
    EXPECT_EQ(s.view.screen.At(104, 120), bw::kWhite);
    s.Run("D");
    EXPECT_EQ(s.editor.statusText(), "tool 12");
    // The band: every other pixel of its outline, its corners among them.
    Session b;
    b.Load(kThree);
    b.Run("t12 p10,180 m60,140");
    for (auto [x, y, dot] : {std::array{10, 180, 1}, {60, 140, 1}, {10, 140, 1}, {11, 140, 0}, {60, 141, 0}, {30, 160, 0}})
        EXPECT_EQ(b.view.screen.At(x, y), dot ? bw::kBlack : bw::kWhite) << x << "," << y;
}

TEST(Selection, TheSelectionMovesDeletesAndCopiesAsOne) {
    const Case cases[] = {
        {"a drag moves them all, to the end of the list", kThree, "t12 p20,20 m140,140 u p40,40 m60,40 m60,50 u",
         "obstacle100 100 80\nobstacle10 30 25\nhole 70 65\n", 4, 2},
        {"a drag goes as far as the wall lets the last of them, and back with the mouse", kThree,
         "t12 all p40,40 m40,80 m40,76 u", "obstacle10 20 38\nhole 60 78\nobstacle100 100 98\n", 4, 3},
        {"nudges move them all", kThree, "t12 all > > v", "obstacle10 22 21\nhole 62 61\nobstacle100 102 81\n", 4, 3},
        // A loaded cannon counts one, as the file does.
        {"Delete removes them all", "cannon 60 60\nhole 20 20\nborder 10 10, 50 10\n", "all D", "", 1, 0},
        {"Duplicate: a copy 4 pixels off, selected", "obstacle10 20 20\nleft-flipper 40 50\n", "all dup",
         "obstacle10 20 20\nleft-flipper 40 50\nobstacle10 24 24\nleft-flipper 44 54\n", 5, 2},
        {"Duplicate goes further off the same piece, not off another", "obstacle10 20 20\nobstacle10 24 24\nhole 29 29\n",
         "t12 c40,40 dup", "obstacle10 20 20\nobstacle10 24 24\nhole 29 29\nobstacle10 29 29\n", 5, 1},
        {"Duplicate of a border and a cannon", "border 10 10, 50 10\ncannon 60 60\n", "all dup",
         "border 10 10, 50 10\ncannon 60 60\nborder 14 14, 54 14\ncannon 64 64\n", 10, 2},
    };
    for (const Case& c : cases) Check(c, true);
    Check({"Cut and Paste bring them back, selected", kThree, "all X V", kThree, 4, 3}, false);
    Session s;
    s.Load(kThree);
    s.Run("t12 p20,20 m140,140 u C");
    EXPECT_EQ(s.view.clipboard, kHead + std::string("obstacle10 20 20\nhole 60 60\n"));
    s.Run("all > > > Z");
    EXPECT_EQ(s.Text(), kHead + std::string(kThree)) << "a run of nudges of the same pieces is one step";
    EXPECT_EQ(s.editor.Selection().size(), 3u) << "the selection follows its pieces back";
}

// The pixels of a region, as a mask over and around the playfield.
std::vector<bool> Mask(const bw::Region& r, int32_t axisTimesTwo) {
    std::vector<bool> m;
    for (int32_t y = -40; y < 240; ++y)
        for (int32_t x = -40; x < 290; ++x) m.push_back(r.Contains(axisTimesTwo < 0 ? x : axisTimesTwo - 1 - x, y));
    return m;
}

bw::Region ShapeOf(const Session& s, size_t from, size_t to) {
    bw::Region shape;
    size_t i = 0;
    for (const bw::TablePiece* c = s.editor.table().FirstChild(); c; c = c->next.get(), ++i)
        if (i >= from && i < to) shape.Unite(c->region);
    return shape;
}

TEST(Selection, AMirrorsShapeIsTheOriginalsMirroredPixelForPixel) {
    const char* tables[] = {
        "obstacle10 20 30\n", "obstacle50 31 40\n", "obstacle100 7 77\n", "hole 0 60\n", "left-flipper 20 85\n",
        "right-flipper 33 70\n", "cannon 10 92\n", "border 10 10, 50 10, 50 50\n", "border 3 9, 40 22, 47 60, 12 93\n",
        "border 60 10, 30 13, 12 30, 20 70\n",
    };
    for (const char* table : tables) {
        SCOPED_TRACE(table);
        Session s;
        s.Load(table);
        s.Run("all mcopy");
        ASSERT_EQ(s.view.asked.size(), 0u);
        // Mirror copy: window pixel x goes to 247 - x.
        EXPECT_TRUE(Mask(ShapeOf(s, 0, 1), -1) == Mask(ShapeOf(s, 1, 2), 2 * bw::kMirrorCopyAxis));
        // Mirror: about the middle of the shape's box, which stays.
        const bw::Region before = ShapeOf(s, 0, 1);
        const bw::Rect box = before.Box();
        s.Run("Z all mirror");
        const bw::Region after = ShapeOf(s, 0, 1);
        const int32_t axis = ((box.left >> 1) + ((box.right + 1) >> 1)) * 2;
        EXPECT_TRUE(Mask(before, -1) == Mask(after, axis));
    }
}

// Where each command puts each piece is the editor fuzzer's to check, on
// random selections of every kind; here, when the commands are offered.
TEST(Selection, AlignNeedsTwoPiecesAndDistributeThree) {
    Session s;
    s.Load(kThree);
    s.Run("t12 c40,40");
    EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Align)) << "one piece aligns with nothing";
    s.Run("s120,120");
    EXPECT_TRUE(s.editor.CanAct(bw::EditCommand::Align));
    EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Distribute)) << "two have no gap between them";
    s.Run("align-left spread-h");
    EXPECT_EQ(s.Text(), kHead + std::string("obstacle10 20 20\nhole 20 60\nobstacle100 100 80\n"));
}

std::string Obstacles(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "obstacle10 " + std::to_string(i % 60) + " " + std::to_string(i / 60 * 20) + "\n";
    return text;
}

TEST(Selection, ActionsThatCannotBeCarriedOutWholeAreRefusedWhole) {
    const std::string half = Obstacles(124), full = Obstacles(248);
    struct Refusal {
        const char* name;
        std::string before;
        const char* script;
        bw::EditorMessage message;
    };
    const Refusal refusals[] = {
        {"Mirror copy past the budget", half + "hole 5 90\n", "all mcopy", bw::EditorMessage::TooComplex},
        {"Duplicate past the budget", full, "all dup", bw::EditorMessage::TooComplex},
        {"a mirror that puts a flipper's blade off the table", "obstacle10 0 50\nleft-flipper 0 60\n", "all mirror",
         bw::EditorMessage::OutsideArea},
        {"an alignment that does", "left-flipper 100 50\nobstacle10 120 50\n", "all align-right",
         bw::EditorMessage::OutsideArea},
        {"a mirror copy of a corner off the playfield", "cannon 3 3\nborder 0 0, 200 0\n", "all mcopy",
         bw::EditorMessage::OutsideArea},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        Session s;
        s.Load(r.before);
        const int32_t count = s.editor.recordCount();
        s.Run(r.script);
        ASSERT_EQ(s.view.asked.size(), 1u);
        EXPECT_EQ(s.view.asked[0].message, r.message);
        EXPECT_EQ(s.Text(), kHead + r.before) << "nothing changes";
        EXPECT_EQ(s.editor.recordCount(), count);
        EXPECT_TRUE(s.editor.saved());
        EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Undo)) << "and no step is made";
    }
    Session fits;  // exactly up to the budget
    fits.Load(half);
    fits.Run("all mcopy");
    EXPECT_EQ(fits.view.asked.size(), 0u);
    EXPECT_EQ(fits.editor.recordCount(), 249);
    EXPECT_TRUE(bw::SaveTableBytes(fits.editor.table()).ok);
}

TEST(Selection, PlayIgnoresTheSelectionsCommands) {
    Session s;
    s.Load("cannon 115 92\nobstacle50 60 40\n");
    s.Run("t12 all S");
    for (auto command : {bw::EditCommand::SelectAll, bw::EditCommand::Duplicate, bw::EditCommand::Mirror,
                         bw::EditCommand::MirrorCopy, bw::EditCommand::Align, bw::EditCommand::Distribute})
        EXPECT_FALSE(s.editor.CanAct(command));
    s.Run("all dup mirror mcopy align-left spread-h esc");
    EXPECT_EQ(s.editor.mode(), bw::EditMode::Playing);
    s.Run("E");
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 115 92\nobstacle50 60 40\n"));
}

}  // namespace
