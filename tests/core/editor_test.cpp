// The rules of editing, driven through the editor as the window drives it:
// each case a script of user actions and the table, budget and saved state
// it leaves. After every script the screen (painted only where the editor
// invalidated it, drawn on where it drew at once) must show what a full
// repaint shows.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/core/editor_session.h"

namespace {

using bwtest::Session;

constexpr char kHead[] = "# Bumpwright table\n";

struct Case {
    const char* name;
    const char* before;  // the table loaded first (text), or none
    const char* script;
    const char* after;   // the table's text afterwards, without its first line
    int records;         // the editor's count afterwards
    bool saved;
    int messages = 0;    // message boxes shown
};

void Check(const Case& c) {
    SCOPED_TRACE(c.name);
    Session s;
    if (c.before) s.Load(c.before);
    s.Run(c.script);
    EXPECT_EQ(s.Text(), kHead + std::string(c.after));
    EXPECT_EQ(s.editor.recordCount(), c.records);
    EXPECT_EQ(s.editor.saved(), c.saved);
    EXPECT_EQ(static_cast<int>(s.view.asked.size()), c.messages);
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted()) << "the screen shows what a repaint shows";
    EXPECT_EQ(s.editor.document().State().drawTarget, nullptr) << "no surface is left behind for the pieces to draw on";
}

TEST(Editing, ToolsPlaceTheirPiecesWhereTheirAreasAllow) {
    const Case cases[] = {
        {"a click places at the table position", nullptr, "t5 c7,9", "obstacle50 3 4\n", 2, false},
        {"each kind", nullptr, "t4 c20,20 t6 c40,40 t7 c60,60 t8 c80,80 t9 c100,100",
         "obstacle10 10 10\nobstacle100 20 20\nhole 30 30\nleft-flipper 40 40\nright-flipper 50 50\n", 6, false},
        {"the right and bottom edges are outside", nullptr, "t7 c249,100 c100,199 c248,198", "hole 124 99\n", 2, false},
        {"a left flipper needs room for its blade", nullptr, "t8 c229,195 c230,100 c100,196", "left-flipper 114 97\n", 2,
         false},
        {"a right flipper too", nullptr, "t9 c19,100 c20,100", "right-flipper 10 50\n", 2, false},
        {"a cannon counts twice and keeps off the edges", nullptr, "t10 c5,100 c100,194 c244,100 c100,4 c243,193 c6,6",
         "cannon 121 96\ncannon 3 3\n", 5, false},
        {"no tool places nothing", nullptr, "c100,100", "", 1, true},
        {"an inactive window takes no clicks", nullptr, "t5 off c100,100 m120,120", "", 1, true},
    };
    for (const Case& c : cases) Check(c);
}

TEST(Editing, BordersAreDrawnClickByClick) {
    const Case cases[] = {
        {"three clicks and a right click", nullptr, "t11 c20,20 c100,20 m140,90 c100,100 r",
         "border 10 10, 50 10, 50 50\n", 5, false},
        {"a double click ends it where it is", nullptr, "t11 c20,20 c60,20 w100,100",
         "border 10 10, 30 10, 50 50\n", 5, false},
        {"a click and a right click leave nothing", nullptr, "t11 c20,20 r", "", 1, true},
        {"another tool ends it", nullptr, "t11 c20,20 c60,20 t5 c100,100", "border 10 10, 30 10\nobstacle50 50 50\n", 5,
         false},
        {"Undo takes back its last corner", nullptr, "t11 c20,20 c60,20 c60,60 Z r", "border 10 10, 30 10\n", 4, false},
        {"Undo at its start abandons it", nullptr, "t11 c20,20 Z", "", 1, true},
        {"the whole border is one step", nullptr, "t11 c20,20 c60,20 c60,60 r Z", "", 1, true},
    };
    for (const Case& c : cases) Check(c);
}

TEST(Editing, ThePointerSelectsDragsAndDeletes) {
    const char* three = "obstacle10 20 20\nhole 60 60\nobstacle100 100 80\n";
    const Case cases[] = {
        {"a click that moves nothing changes nothing", three, "t12 c40,40 c120,120", three, 4, true},
        {"a drag back to its start changes nothing", three, "t12 p120,120 m140,140 m120,120 u", three, 4, true},
        {"a drag stops at the edge", three, "t12 p40,40 m0,40 m-20,40 m10,40 u", "hole 60 60\nobstacle100 100 80\nobstacle10 5 20\n",
         4, false},
        {"a nudge off the table is refused", "obstacle10 0 50\n", "t12 c0,100 <", "obstacle10 0 50\n", 2, true},
        {"Delete without a selection does nothing", three, "t12 c10,190 D", three, 4, true},
        {"a loaded cannon counts one when deleted", "cannon 60 60\nhole 20 20\n", "t12 c120,120 D", "hole 20 20\n", 2,
         false},
        {"a border counts its corners and its end", "border 10 10, 50 10, 50 50\nhole 100 80\n", "t12 c60,20 D",
         "hole 100 80\n", 2, false},
        {"a segment that joined the deleted piece stays, as a border of its own", "obstacle10 20 20\nsegment 60 60\nhole 100 80\n",
         "t12 c40,40 D", "border 20 20, 60 60\nhole 100 80\n", 5, false},
        {"Clear removes the selection only", three, "t12 c120,120 L", "obstacle10 20 20\nobstacle100 100 80\n", 3, false},
        {"Clear asks, then empties the table", three, "no L yes L", "", 1, false, 2},
        {"Undo after Clear brings it all back", three, "yes L Z", three, 4, true, 1},
    };
    for (const Case& c : cases) Check(c);
}

std::string ObstacleLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "obstacle10 " + std::to_string(i % 120) + " " + std::to_string(i / 120 * 40) + "\n";
    return text;
}

TEST(Editing, TheRecordBudgetRefusesWhatCouldNotBeSaved) {
    const std::string full = ObstacleLines(248);
    Session s;
    s.Load(full);
    ASSERT_EQ(s.editor.recordCount(), 249);
    s.Run("t11 c200,190");  // a border needs its start, a corner and its end
    EXPECT_EQ(s.view.asked.size(), 1u);
    EXPECT_EQ(s.editor.mode(), bw::EditMode::Editing);
    s.Run("t10 c200,190");  // a single piece passes while the count is below the limit
    EXPECT_EQ(s.editor.recordCount(), 251);
    s.Run("t4 c10,190 t12 c200,190 D");  // refused; the pointer and Delete still work
    EXPECT_EQ(s.view.asked.size(), 2u);
    EXPECT_EQ(s.editor.recordCount(), 249);
    for (const auto& m : s.view.asked) EXPECT_EQ(m.message, bw::EditorMessage::TooComplex);
    Session c;  // the editor's count is full although the file has room: a cannon counts twice
    c.Load(ObstacleLines(247));
    c.Run("t10 c200,190 t7 c20,190");
    EXPECT_EQ(c.editor.recordCount(), 250);
    EXPECT_EQ(c.view.asked.size(), 1u);
    for (int obstacles : {247, 246}) {
        SCOPED_TRACE(obstacles);
        Session b;
        b.Load(ObstacleLines(obstacles));
        b.Run("t11 c20,190 c60,190 r");  // room for a start, a corner and an end, or not
        EXPECT_EQ(b.view.asked.size(), obstacles == 247 ? 2u : 0u);
        EXPECT_EQ(b.editor.recordCount(), obstacles == 247 ? 248 : 250);
        EXPECT_TRUE(bw::SaveTableBytes(b.editor.table()).ok);
    }
}

TEST(History, UndoAndRedoGoThroughTheSameTablesAndTheSavedStateFollows) {
    Session s;
    s.Run("t5 c20,20 t7 c60,60 t12 p60,60 m80,60 u > > !C:\\a.bwt");
    const std::string saved = s.Text();
    EXPECT_TRUE(s.editor.saved());
    s.Run("D");
    const std::vector<std::string> expected = {
        kHead + std::string("obstacle50 10 10\n"),
        kHead + std::string("obstacle50 10 10\nhole 30 30\n"),
        kHead + std::string("obstacle50 10 10\nhole 40 30\n"),
        saved,  // the nudges are one step
    };
    for (int i = 3; i >= 0; --i) {
        s.Run("Z");
        EXPECT_EQ(s.Text(), expected[static_cast<size_t>(i)]);
        EXPECT_EQ(s.editor.saved(), i == 3);
    }
    s.Run("Z");  // back to the empty table it started with
    EXPECT_EQ(s.Text(), kHead);
    s.Run("Z Y Y Y Y");
    EXPECT_EQ(s.Text(), saved);
    EXPECT_TRUE(s.editor.saved());
    s.Run("t5 c200,150");
    EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Redo)) << "a new step drops what could be redone";
    s.Run("Z");
    EXPECT_TRUE(s.editor.saved());
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted());
}

TEST(History, TheSelectionStaysOnItsPiece) {
    Session s;
    s.Load("obstacle10 20 20\nhole 60 60\nobstacle100 100 80\n");
    s.Run("t12 c120,120 > Z");
    ASSERT_TRUE(s.editor.currentPiece());
    EXPECT_EQ(bw::Placed(*s.editor.currentPiece()).x, 60);
    s.Run("c40,40 D Z Y");
    EXPECT_EQ(s.editor.currentPiece(), nullptr);
}

TEST(Clipboard, PiecesGoAsTableTextAndComeBackInsideThePlayfield) {
    Session s;
    s.Load("cannon 60 60\nhole 20 20\n");
    s.Run("t12 c120,120 C");
    EXPECT_EQ(s.view.clipboard, kHead + std::string("cannon 60 60\n"));
    s.Run("V");
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 60 60\nhole 20 20\ncannon 65 65\n"))
        << "a copy moves off the piece it would cover";
    EXPECT_EQ(s.editor.recordCount(), 5);
    s.Run("X");
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 60 60\nhole 20 20\n"));
    s.view.clipboard = "hole 200 20\n";
    s.Run("V");
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 60 60\nhole 20 20\nhole 124 20\n"));
    s.view.clipboard = "hole 256 20\n";
    s.Run("V");
    ASSERT_EQ(s.view.asked.size(), 1u) << "positions go from 0 to 255";
    s.view.asked.clear();
    s.view.clipboard = "hole 1 2\nnothing 3 4\n";
    s.Run("V");
    ASSERT_EQ(s.view.asked.size(), 1u);
    EXPECT_EQ(s.view.asked[0].message, bw::EditorMessage::PasteNotATable);
    EXPECT_NE(s.view.asked[0].argument.find("line 2"), std::string::npos) << s.view.asked[0].argument;
    EXPECT_EQ(s.editor.recordCount(), 4);
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted());
}

TEST(Play, StartAndEditLeaveTheTableAsItWas) {
    Session s;
    s.Load("cannon 115 92\nobstacle50 60 40\n");
    s.Run("t12 c230,184 S");
    EXPECT_EQ(s.editor.mode(), bw::EditMode::Playing);
    EXPECT_EQ(s.editor.tool(), bw::kNoTool);
    EXPECT_EQ(s.editor.currentPiece(), nullptr);
    EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Undo));
    for (int i = 0; i < 200; ++i) s.editor.PlayStep();
    s.Run("E");
    EXPECT_EQ(s.editor.mode(), bw::EditMode::Editing);
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 115 92\nobstacle50 60 40\n"));
    EXPECT_TRUE(s.editor.saved());
    ASSERT_TRUE(s.editor.LastReplay());
    EXPECT_EQ(s.editor.LastReplay()->ticks, 200);
    EXPECT_EQ(s.view.playStarts, 1);
    EXPECT_EQ(s.view.playStops, 1);
}

TEST(Play, TheKeysWorkThePiecesAndEveryPlayIsRecorded) {
    Session s;
    s.Load("cannon 60 92\nleft-flipper 20 85\nright-flipper 100 85\nobstacle50 60 40\n");
    EXPECT_FALSE(s.editor.PlayKeyMessage(bw::kKeyZ, true, true)) << "not in play";
    s.Run("S");
    const auto& left = static_cast<const bw::Flipper&>(*s.editor.table().FirstChild()->next);
    const auto& right = static_cast<const bw::Flipper&>(*left.next);
    EXPECT_FALSE(s.editor.PlayKeyMessage(bw::kKeyZ, false, true)) << "a message that is no key";
    EXPECT_FALSE(s.editor.PlayKeyMessage('Q', true, true));
    EXPECT_TRUE(s.editor.PlayKeyMessage(bw::kKeyZ, true, true));
    EXPECT_EQ(s.editor.document().State().paramB, 1);
    for (int i = 0; i < 9; ++i) {  // SPACE held: its key-down repeats
        EXPECT_TRUE(s.editor.PlayKeyMessage(bw::kKeySpace, true, true));
        s.editor.PlayStep();
    }
    EXPECT_TRUE(left.keys.pressed);
    EXPECT_FALSE(right.keys.pressed);
    s.editor.ReleaseKeys();  // the window was activated again: the shot goes
    s.editor.PlayStep();
    EXPECT_FALSE(left.keys.pressed);
    for (int i = 0; i < 396; ++i) s.editor.PlayStep();
    EXPECT_EQ(s.editor.scoreText(), std::to_string(static_cast<uint32_t>(s.editor.document().State().score)));
    EXPECT_GT(s.editor.document().State().score, 0) << "the shot reached the obstacle";
    s.Run("E");
    const bw::Replay recorded = *s.editor.LastReplay();
    EXPECT_EQ(recorded.ticks, 406);
    EXPECT_EQ(recorded.events.size(), 13u) << "Z and nine SPACE downs, then Z, X and SPACE let go";

    // Played back: the keys are ignored, the same game comes out.
    ASSERT_TRUE(s.editor.OpenReplay(bw::WriteReplay(recorded), "C:\\r.bwr"));
    s.editor.StartPlay();
    ASSERT_TRUE(s.editor.PlayBack());
    EXPECT_EQ(s.editor.statusText(), "replay");
    EXPECT_TRUE(s.editor.PlayKeyMessage(bw::kKeyX, true, true)) << "taken, and ignored";
    for (int i = 0; i < 500; ++i) s.editor.PlayStep();  // it stands still at its end
    EXPECT_EQ(s.editor.document().State().score, static_cast<int32_t>(recorded.score));
    s.Run("E");
    EXPECT_EQ(s.editor.LastReplay()->checksum, recorded.checksum);
}

TEST(Replays, AReplaysTableComesWithAHistoryOfItsOwn) {
    Session played;
    played.Load("cannon 115 92\nhole 30 30\n");
    played.Run("S");
    for (int i = 0; i < 50; ++i) played.editor.PlayStep();
    played.Run("E");
    const std::string replay = bw::WriteReplay(*played.editor.LastReplay());

    Session s;
    s.Load("obstacle10 20 20\n");
    ASSERT_TRUE(s.editor.OpenReplay(replay, "C:\\r.bwr"));
    s.editor.StartPlay();
    ASSERT_TRUE(s.editor.PlayBack());
    EXPECT_TRUE(s.editor.PlayingBack());
    s.Run("E t5 c200,100 Z Z");
    EXPECT_EQ(s.Text(), kHead + std::string("cannon 115 92\nhole 30 30\n")) << "Undo stops at the replay's table";
    EXPECT_FALSE(s.editor.saved());
    EXPECT_EQ(s.editor.FilePath(), "");
    EXPECT_FALSE(s.editor.OpenReplay("no replay", "C:\\x.bwr"));
    EXPECT_EQ(s.view.asked.back().message, bw::EditorMessage::BadReplay);
}

TEST(Document, NewGivesAnEmptyTableWithoutAFile) {
    Session s;
    s.Load("obstacle10 20 20\ncannon 60 90\n");
    s.Run("t12 c40,40 D t11 c20,20 c60,20");
    ASSERT_FALSE(s.editor.saved());
    const int changes = s.view.fileChanges;
    s.editor.NewTable();
    s.view.Paint();
    EXPECT_EQ(s.Text(), kHead);
    EXPECT_EQ(s.editor.FilePath(), "");
    EXPECT_EQ(s.editor.Title("Bumpwright"), "Bumpwright");
    EXPECT_EQ(s.view.fileChanges, changes + 1);
    EXPECT_TRUE(s.editor.saved());
    EXPECT_FALSE(s.editor.RecoveryDue());
    EXPECT_EQ(s.editor.recordCount(), 1);
    EXPECT_EQ(s.editor.mode(), bw::EditMode::Editing);
    EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Undo)) << "the history starts over";
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted());
    s.Run("t5 c100,100 !C:\\new.bwt");
    EXPECT_EQ(s.editor.Title("Bumpwright"), "new.bwt - Bumpwright");
}

TEST(Document, SavingNamesTheFileAndRecoveryCopiesTheTable) {
    Session s;
    s.Run("t7 c20,20");
    EXPECT_EQ(s.editor.Title("Bumpwright"), "Bumpwright");
    EXPECT_TRUE(s.editor.RecoveryDue());
    EXPECT_EQ(s.editor.RecoveryText(), s.Text());
    s.editor.RecoveryWritten();
    EXPECT_FALSE(s.editor.RecoveryDue());
    s.Run("t11 c40,40 c60,60");
    EXPECT_FALSE(s.editor.RecoveryDue()) << "not halfway through a border";
    s.Run("r !C:\\My\\tables\\one.bwt");
    EXPECT_EQ(s.editor.Title("Bumpwright"), "one.bwt - Bumpwright");
    EXPECT_FALSE(s.editor.RecoveryDue());

    Session restored;
    ASSERT_TRUE(restored.editor.Restore("C:\\t\\two.bwt", "hole 10 10\n"));
    EXPECT_EQ(restored.Text(), kHead + std::string("hole 10 10\n"));
    EXPECT_EQ(restored.editor.FilePath(), "C:\\t\\two.bwt");
    EXPECT_FALSE(restored.editor.saved());
    EXPECT_FALSE(restored.editor.Restore("x", "nothing 1 1\n"));
}

}  // namespace
