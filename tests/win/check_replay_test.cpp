// The Table menu in the real window: Check table shows the core's report
// over the playfield and in a list, and a chosen finding selects its
// piece; a play (its screen as the ticks leave it) saved as a replay is
// that play, opens and plays back in the window, and a tampered replay is
// refused by line. (That a replay plays the same game, and a replay's
// table's history, are tested natively.)
#include <gtest/gtest.h>

#include <string>

#include "games/replay.h"
#include "files/table_text.h"
#include "games/playtest.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "ui/check_dialog.h"
#include "win/handles.h"

namespace {

constexpr COLORREF kWhitePixel = RGB(255, 255, 255);

std::string Classic() { return test::ReadAll(std::string(BW_SOURCE_DIR_WIN) + "\\examples\\classic.txt"); }

// The playfield as the window shows it, every third pixel.
std::vector<COLORREF> Screen(HWND window) {
    win::WindowDc dc(window);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 199; y += 3)
        for (int x = 0; x < 249; x += 3) pixels.push_back(GetPixel(dc.get(), x, y));
    return pixels;
}

std::string ListItem(HWND list, int i) {
    char text[512] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(CheckTable, FindingsOverThePlayfieldAndInTheList) {
    test::MessageBoxes boxes;
    test::TempFolder folder;
    test::Window w;
    // The classic table with one obstacle walled in on all sides.
    w.Load(folder.File("walled.bwt"), Classic() + "border 64 22, 73 31, 64 40, 55 31, 64 22\nobstacle100 64 31\n");
    const int laneX = 2 * 115, laneY = 2 * 60;  // in the shooter lane, where every serve goes
    EXPECT_EQ(w.Pixel(laneX, laneY), kWhitePixel);

    w.Command(ID_TABLE_CHECK);  // returns when the games are over
    const bw::PlaytestReport* found = w.ed().Findings();
    ui::CheckDialog* check = w.dlg().FindingsList();
    ASSERT_TRUE(found && check && check->hwnd());
    EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
    // The same report as the core gives (and bwtool check) for the defaults.
    EXPECT_EQ(bw::ReportJson(*found), bw::ReportJson(bw::RunPlaytest(w.root(), bw::PlaytestOptions{})));
    HWND list = GetDlgItem(check->hwnd(), IDC_CHECK_FINDINGS);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ListItem(list, 0), "Unreached: obstacle100 at (64, 31)");
    EXPECT_NE(w.Pixel(laneX, laneY), kWhitePixel) << "the heat map shows where the ball went";

    // Choosing the finding selects the obstacle with the pointer tool.
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(check->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_CHECK_FINDINGS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    test::Pump(w.hwnd());
    ASSERT_NE(w.ed().currentPiece(), nullptr);
    EXPECT_EQ(w.ed().currentPiece()->kind, bw::kObstacle100);
    EXPECT_EQ(bw::Placed(*w.ed().currentPiece()).x, 64);
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_POINTER));
    EXPECT_EQ(w.Pixel(2 * 64, 2 * 31 - 14), RGB(220, 0, 0)) << "the chosen piece is framed";

    // Start ends the findings.
    w.StartWithoutTimer();
    SendMessageA(GetDlgItem(w.hwnd(), IDC_EDIT_MODE), BM_CLICK, 0, 0);
    EXPECT_EQ(w.ed().Findings(), nullptr);
    EXPECT_EQ(w.Pixel(laneX, laneY), kWhitePixel);
}

TEST(Replays, APlaySavedIsThatPlayAndPlaysBackAndATamperedOneIsRefused) {
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    test::TempFolder folder;
    test::Window w;
    w.Load(folder.File("classic.bwt"), Classic());
    w.StartWithoutTimer();
    // A serve with auto-repeat, then the flippers now and then.
    for (int t = 1; t <= 900; ++t) {
        if (t <= 9) w.PostKey(VK_SPACE, true, t > 1);
        if (t == 10) w.PostKey(VK_SPACE, false);
        if (t % 97 == 0) w.PostKey(t % 2 ? 'Z' : 'X', true);
        if (t % 97 == 8) w.PostKey(t % 2 ? 'Z' : 'X', false);
        w.Tick();
        if (t % 300 != 0) continue;
        // What the ticks' partial repaints leave is what a whole repaint shows.
        const std::vector<COLORREF> shown = Screen(w.hwnd());
        InvalidateRect(w.hwnd(), nullptr, FALSE);
        w.Paint();
        EXPECT_TRUE(Screen(w.hwnd()) == shown) << "tick " << t;
    }
    const std::string score = w.ControlText(IDC_SCORE);
    SendMessageA(GetDlgItem(w.hwnd(), IDC_EDIT_MODE), BM_CLICK, 0, 0);
    dialogs.Type(folder.File("game.bwr"));
    w.Command(ID_TABLE_SAVE_REPLAY);
    const std::string text = test::ReadAll(folder.File("game.bwr"));
    bw::Replay replay;
    std::string why;
    ASSERT_TRUE(bw::ReadReplay(text, replay, why)) << why;
    EXPECT_EQ(replay.ticks, 900);
    EXPECT_EQ(std::to_string(replay.score), score);
    EXPECT_GT(replay.score, 0u);

    // A tampered replay: refused with the reader's message naming its line;
    // the window is unchanged.
    std::string tampered = text;
    tampered.replace(tampered.find("keys 1:+SPACE"), 13, "keys 1:+SPACEBAR");
    ASSERT_FALSE(bw::ReadReplay(tampered, replay, why));
    test::WriteAll(folder.File("bad.bwr"), tampered);
    const std::string table = bw::TableToText(w.root());
    dialogs.Type(folder.File("bad.bwr"));
    w.Command(ID_TABLE_OPEN_REPLAY);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].text.find(why), std::string::npos) << boxes.Shown()[0].text;
    EXPECT_EQ(bw::TableToText(w.root()), table);
    EXPECT_EQ(w.ed().mode(), bw::EditMode::Editing);

    // The saved one plays back in the window to the same score.
    dialogs.Type(folder.File("game.bwr"));
    w.Command(ID_TABLE_OPEN_REPLAY);
    ASSERT_TRUE(w.ed().PlayingBack());
    KillTimer(w.hwnd(), 1);
    for (int t = 0; t < 950; ++t) w.Tick();
    EXPECT_EQ(w.ControlText(IDC_SCORE), score);
    SendMessageA(GetDlgItem(w.hwnd(), IDC_EDIT_MODE), BM_CLICK, 0, 0);
    EXPECT_FALSE(w.ed().PlayingBack());
    // Each dialog is titled for what it does.
    ASSERT_EQ(dialogs.Seen().size(), 3u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Save replay");
    EXPECT_EQ(dialogs.Seen()[1].title, "Open replay");
}

}  // namespace
