// Checking as you edit, driven slice by slice through the editor: when a
// check starts, goes on, is dropped and starts afresh, and that whatever
// happens between slices the findings shown (and their summary in the
// status line) are those of the table as it stands.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "games/replay.h"
#include "tests/core/editor_session.h"

namespace {

using bwtest::Session;

constexpr int64_t kBudget = 400;  // ticks a slice

std::string Classic() {
    std::ifstream f(std::string(BW_SOURCE_DIR) + "/examples/classic.txt");
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// A session checking as you edit with a short check.
struct Live : Session {
    Live() {
        bw::PlaytestOptions options;
        options.games = 12;
        editor.SetCheckOptions(options);
        editor.SetCheckAsYouEdit(true);
    }
    // One idle moment of the window: the editor looks at the check, then a
    // slice of it plays. True while more remains.
    bool Step() {
        editor.Idle();
        return checks.RunSlice(kBudget);
    }
    // Idle slices until the check wants no more; the number run.
    int Finish() {
        int slices = 0;
        while (Step() || editor.CheckWanted()) {
            view.Paint();
            if (++slices > 100000) {
                ADD_FAILURE() << "the check never ends";
                break;
            }
        }
        view.Paint();
        return slices;
    }
    void Slices(int n) {
        for (int i = 0; i < n; ++i) Step(), view.Paint();
    }
    // The report of a check of the table shown, made apart.
    std::string Expected() const { return bw::ReportJson(bw::RunPlaytest(editor.table(), editor.CheckOptions())); }
    std::string Shown() const { return editor.Findings() ? bw::ReportJson(*editor.Findings()) : "(none)"; }
};

// After the check is over, the findings and the status line describe the
// table shown, and the screen shows them as a full repaint does.
void ExpectFindingsOfTheTableShown(Live& s) {
    EXPECT_FALSE(s.editor.CheckWanted());
    ASSERT_NE(s.editor.Findings(), nullptr);
    EXPECT_EQ(s.Shown(), s.Expected());
    EXPECT_EQ(s.editor.statusText(), bw::CheckSummary(*s.editor.Findings(), Session::Texts()));
    EXPECT_TRUE(s.view.screen.Pixels() == s.view.Repainted());
}

TEST(CheckAsYouEdit, EveryChangeOfTheTableStartsAFreshCheck) {
    // A replay of a table of its own.
    Session player;
    player.Load("hole 40 40\ncannon 60 90\n");
    player.Run("S");
    player.editor.PlayStep();
    player.Run("E");
    ASSERT_NE(player.editor.LastReplay(), nullptr);
    const std::string replay = bw::WriteReplay(*player.editor.LastReplay());

    struct Case {
        const char* name;
        const char* before;  // actions before the first check
        const char* kick;    // a change after it, so that a check runs; or none
        int slices;          // slices of that check before the change
        std::function<void(Live&)> change;
    };
    const Case cases[] = {
        {"a piece placed after the check", "", "", 0, [](Live& s) { s.Run("t4 c150,130"); }},
        {"a piece placed while it runs", "", "t4 c100,40", 3, [](Live& s) { s.Run("t4 c150,130"); }},
        {"a nudge while it runs", "t5 c150,130", "t4 c100,40", 2, [](Live& s) { s.Run("t12 c150,130 > >"); }},
        {"Undo while it runs", "t5 c150,130", "t4 c100,40", 2, [](Live& s) { s.Run("Z"); }},
        {"Redo while it runs", "t5 c150,130 t4 c100,40", "Z", 2, [](Live& s) { s.Run("Y"); }},
        {"Paste while it runs", "", "t4 c100,40", 2, [](Live& s) { s.Run("t12 c100,40 C V"); }},
        {"Clear while it runs", "", "t4 c100,40", 2, [](Live& s) { s.Run("t0 yes L"); }},
        {"a drag while it runs", "", "t4 c100,40", 2, [](Live& s) { s.Run("t12 p60,56 m80,70 u"); }},
        {"a border drawn while it runs", "", "t4 c100,40", 2, [](Live& s) { s.Run("t11 c20,20 c60,20 r"); }},
        {"New while it runs", "", "t4 c100,40", 2, [](Live& s) { s.editor.NewTable(); }},
        {"another table opened while it runs", "", "t4 c100,40", 2,
         [](Live& s) { s.Load("hole 30 30\ncannon 60 90\n"); }},
        {"a copy restored while it runs", "", "t4 c100,40", 2,
         [](Live& s) { EXPECT_TRUE(s.editor.Restore("", "hole 40 40\nobstacle10 60 30\ncannon 60 90\n")); }},
        {"a replay opened while it runs", "", "t4 c100,40", 2,
         [&replay](Live& s) { EXPECT_TRUE(s.editor.OpenReplay(replay, "C:\\r.bwr")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Live s;
        s.Load(Classic());
        s.Run(c.before);
        EXPECT_TRUE(s.editor.CheckWanted());
        s.Finish();
        ExpectFindingsOfTheTableShown(s);
        if (c.slices > 0) {
            s.Run(c.kick);
            s.Slices(c.slices);
            EXPECT_TRUE(s.editor.CheckWanted());
        }
        const std::string checked = s.Text();
        c.change(s);
        s.editor.Settle();
        ASSERT_NE(s.Text(), checked) << "the case changes the table";
        EXPECT_EQ(s.editor.Findings(), nullptr) << "findings of another table are gone at once";
        s.Finish();
        ExpectFindingsOfTheTableShown(s);
    }
}

TEST(CheckAsYouEdit, ACheckGoesOnOnlyWhileItsTableIsTheOneShown) {
    Live a;
    a.Load(Classic());
    const int whole = a.Finish();

    // A click that moves nothing, and an edit undone between two slices,
    // leave the check running: it ends after as many slices as without.
    Live b;
    b.Load(Classic());
    b.Slices(whole / 2);
    b.Run("t12 c230,184 t4 c150,130 Z");
    EXPECT_EQ(whole / 2 + b.Finish(), whole);
    ExpectFindingsOfTheTableShown(b);

    // An edit between two slices starts it over.
    Live c;
    c.Load(Classic());
    c.Slices(whole / 2);
    c.Run("t4 c150,130");
    Live e;
    e.Load(c.Text());
    EXPECT_EQ(c.Finish(), e.Finish()) << "a whole check of the new table";
    ExpectFindingsOfTheTableShown(c);

    // While a piece is dragged or a border drawn, the table is not yet what
    // it will be: no slice plays.
    Live d;
    d.Load(Classic());
    d.Slices(2);
    for (const char* halfway : {"t12 p60,56 m80,70", "t11 c20,20 c60,20"}) {
        SCOPED_TRACE(halfway);
        d.Run(halfway);
        EXPECT_FALSE(d.editor.CheckWanted());
        EXPECT_FALSE(d.Step());
        d.Run("u r");
        EXPECT_TRUE(d.editor.CheckWanted());
    }
    d.Finish();
    ExpectFindingsOfTheTableShown(d);
}

TEST(CheckAsYouEdit, PlayStopsTheCheckAndAFreshOneFollowsIt) {
    Live s;
    s.Load(Classic());
    s.Slices(3);
    s.Run("S");
    EXPECT_FALSE(s.editor.CheckWanted());
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(s.Step());
        s.editor.PlayStep();
    }
    EXPECT_EQ(s.editor.Findings(), nullptr);
    s.Run("E");
    EXPECT_TRUE(s.editor.CheckWanted());
    const int after = s.Finish();
    ExpectFindingsOfTheTableShown(s);
    // The check after play is a whole one, and play drops its findings again.
    Live fresh;
    fresh.Load(Classic());
    EXPECT_EQ(after, fresh.Finish());
    s.Run("S");
    EXPECT_EQ(s.editor.Findings(), nullptr);
    EXPECT_EQ(s.editor.statusText(), "");
}

TEST(CheckAsYouEdit, TheStatusLineShowsTheSummaryOnlyWhileItHolds) {
    Live s;
    s.Load(Classic());
    s.Run("t4");
    EXPECT_EQ(s.editor.statusText(), "tool 4");
    s.Finish();
    const std::string summary = s.editor.statusText();
    EXPECT_EQ(summary, bw::CheckSummary(*s.editor.Findings(), Session::Texts()));
    s.Run("t5");
    EXPECT_EQ(s.editor.statusText(), summary) << "another tool changes no table";
    s.Run("c150,130");
    EXPECT_EQ(s.editor.statusText(), "tool 5") << "the summary of the table before is gone";
    // Turned off: the check under way stops, nothing is due, no summary.
    s.Slices(2);
    s.editor.SetCheckAsYouEdit(false);
    EXPECT_FALSE(s.editor.CheckWanted());
    EXPECT_FALSE(s.Step());
    EXPECT_EQ(s.editor.Findings(), nullptr);
    // Check table's findings, turned on again: they are the table's, nothing is due.
    s.editor.PrepareCheck();
    s.editor.ShowFindings(bw::RunPlaytest(s.editor.table(), s.editor.CheckOptions()));
    EXPECT_EQ(s.editor.statusText(), "tool 5");
    s.editor.SetCheckAsYouEdit(true);
    EXPECT_FALSE(s.editor.CheckWanted());
    EXPECT_TRUE(s.editor.FindingsCurrent());
}

TEST(CheckAsYouEdit, TheSummaryCountsWhatWasFound) {
    struct Case {
        int unreached, traps, endless;  // endless games of 10
        const char* summary;
    };
    const Case cases[] = {
        {0, 0, 0, "no unreached pieces, no traps"},
        {2, 1, 0, "2 unreached, 1 trap: Ctrl+K for the list"},
        {1, 0, 0, "1 unreached: Ctrl+K for the list"},
        {0, 3, 0, "3 traps: Ctrl+K for the list"},
        {12, 2, 0, "12 unreached, 2 traps: Ctrl+K for the list"},
        {0, 0, 10, "the ball never drains: Ctrl+K for the list"},
        {1, 1, 5, "1 unreached, 1 trap, the ball never drains: Ctrl+K for the list"},
        {0, 0, 4, "no unreached pieces, no traps"},  // a few long games are no finding
    };
    for (const Case& c : cases) {
        bw::PlaytestReport r;
        r.games = 10;
        r.endless = c.endless;
        r.tickLimit = bw::PlaytestOptions{}.ticks;
        for (int i = 0; i < c.unreached + 2; ++i) r.pieces.push_back({"hole", i, i, i < 2 ? 5u : 0u, true});
        r.pieces.push_back({"border", 0, 0, 0, false});  // not a target: never counted
        r.traps.resize(static_cast<size_t>(c.traps));
        EXPECT_EQ(bw::CheckSummary(r, Session::Texts()), c.summary);
    }
}

}  // namespace
