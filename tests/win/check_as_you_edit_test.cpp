// Check as you edit in the real window: the Table menu's toggle and its
// setting across a restart, the summary in the status line and the heat map
// after an edit, Ctrl+K showing the list of what was found, and play
// turning the check off while it lasts. The idle time is given by hand, a
// timer message at a time, until the check is over: no waiting on the clock.
#include <windows.h>

#include <string>

#include "files/table_text.h"
#include "games/playtest.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "ui/check_dialog.h"
#include "win/settings.h"

namespace {

using test::Window;

constexpr COLORREF kWhitePixel = RGB(255, 255, 255);
const int kLaneX = 2 * 115, kLaneY = 2 * 60;  // in the shooter lane, where every serve goes

// The setting as a user who never touched it has it, before and after.
struct FreshSetting {
    FreshSetting() { Forget(); }
    ~FreshSetting() { Forget(); }
    static void Forget() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, win::kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, ui::TableDialog::kCheckAsYouEditSetting);
        RegCloseKey(key);
    }
};

bool MenuChecked(Window& w) {
    return (GetMenuState(GetMenu(w.hwnd()), ID_TABLE_CHECK_AS_YOU_EDIT, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// The idle time the check wants, as the timer gives it once the waiting
// messages are handled; the timer messages it took.
int GiveIdleTime(Window& w) {
    int messages = 0;
    while (w.ed().CheckWanted() && messages < 100000) {
        test::Pump(w.hwnd());
        SendMessageA(w.hwnd(), WM_TIMER, ui::TableDialog::kLiveCheckTimer, 0);
        ++messages;
    }
    EXPECT_FALSE(w.ed().CheckWanted()) << "the check is over";
    w.Paint();
    return messages;
}

std::string Walled() {
    // The classic table with one obstacle walled in on all sides.
    return test::ReadAll(std::string(BW_SOURCE_DIR_WIN) + "\\examples\\classic.txt") +
           "border 64 22, 73 31, 64 40, 55 31, 64 22\nobstacle100 64 31\n";
}

TEST(CheckAsYouEdit, TheMenuToggleIsKeptAcrossARestart) {
    FreshSetting fresh;
    {
        Window w;
        EXPECT_FALSE(MenuChecked(w));
        EXPECT_FALSE(w.ed().CheckAsYouEdit());
        w.CtrlKey('K', true);
        EXPECT_TRUE(MenuChecked(w));
        EXPECT_TRUE(w.ed().CheckAsYouEdit());
    }
    {
        Window w;
        EXPECT_TRUE(MenuChecked(w)) << "on again after a restart";
        EXPECT_TRUE(w.ed().CheckAsYouEdit());
        w.Command(ID_TABLE_CHECK_AS_YOU_EDIT);
        EXPECT_FALSE(MenuChecked(w));
        EXPECT_FALSE(w.ed().CheckAsYouEdit());
    }
    Window w;
    EXPECT_FALSE(MenuChecked(w)) << "off again after a restart";
    EXPECT_FALSE(w.ed().CheckAsYouEdit());
    EXPECT_FALSE(KillTimer(w.hwnd(), ui::TableDialog::kLiveCheckTimer)) << "no idle timer while it is off";
}

TEST(CheckAsYouEdit, AnEditBringsBackTheSummaryAndTheHeatMapOfTheTableShown) {
    FreshSetting fresh;
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("walled.bwt"), Walled());
    bw::PlaytestOptions options;
    options.games = 200;
    w.ed().SetCheckOptions(options);
    w.Command(ID_TABLE_CHECK_AS_YOU_EDIT);
    // The test gives the idle time itself.
    ASSERT_TRUE(KillTimer(w.hwnd(), ui::TableDialog::kLiveCheckTimer)) << "the idle timer runs while it is on";
    EXPECT_GT(GiveIdleTime(w), 0);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "1 unreached: Ctrl+K for the list");
    EXPECT_NE(w.Pixel(kLaneX, kLaneY), kWhitePixel) << "the heat map shows where the ball went";

    // An edit: what was found on the table before goes at once...
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(2 * 30, 2 * 80);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "10-point obstacle");
    EXPECT_EQ(w.Pixel(kLaneX, kLaneY), kWhitePixel);
    EXPECT_EQ(w.ed().Findings(), nullptr);
    // ...and the check of the table as it now stands follows.
    EXPECT_GT(GiveIdleTime(w), 0);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "1 unreached: Ctrl+K for the list");
    EXPECT_NE(w.Pixel(kLaneX, kLaneY), kWhitePixel);
    ASSERT_NE(w.ed().Findings(), nullptr);
    EXPECT_EQ(bw::ReportJson(*w.ed().Findings()), bw::ReportJson(bw::RunPlaytest(w.root(), w.ed().CheckOptions())));

    // Ctrl+K lists what was found, without playing the games again.
    const bw::PlaytestReport* found = w.ed().Findings();
    w.Command(ID_TABLE_CHECK);
    EXPECT_EQ(w.ed().Findings(), found);
    ui::CheckDialog* check = w.dlg().FindingsList();
    ASSERT_TRUE(check && check->hwnd());
    HWND list = GetDlgItem(check->hwnd(), IDC_CHECK_FINDINGS);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    char item[256] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "Unreached: obstacle100 at (64, 31)");
}

}  // namespace
