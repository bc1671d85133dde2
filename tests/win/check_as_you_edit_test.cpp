// Check as you edit in the real window: the Table menu's toggle and its
// setting across a restart; the summary in the status line and the heat
// map after an edit, played on worker threads and posted back; a report
// that comes after an edit never shown, one that comes while a modal window
// holds the window shown once it is free; the findings gone at once when
// the command is turned off; the window closed while a check runs. The
// tests wait for the workers' message, never on the clock.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "files/table_text.h"
#include "games/playtest.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "ui/check_dialog.h"
#include "win/dialog.h"
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

// A message comes for the thread; false when none comes for a minute, far
// longer than any of these checks takes.
bool AwaitMessage(DWORD kinds) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, 60000, kinds, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

// Handles the window's messages as its loop would until the check as you
// edit is over and its report shown, waiting for the workers' message.
void AwaitCheck(Window& w) {
    do test::Pump(w.hwnd());
    while (w.ed().CheckWanted() && AwaitMessage(QS_ALLINPUT));
    EXPECT_FALSE(w.ed().CheckWanted()) << "the check is over";
    w.Paint();
}

// Waits, without handling it, for a message the workers post.
bool AwaitPosted(Window& w) {
    MSG m;
    const UINT id = ui::TableDialog::kCheckMessage;
    while (!PeekMessageA(&m, w.hwnd(), id, id, PM_NOREMOVE))
        if (!AwaitMessage(QS_POSTMESSAGE)) return false;
    return true;
}

// A click on the playfield handled as the dialog loop hands it on; the
// messages it leaves behind are not.
void ClickOnly(Window& w, int x, int y) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) {
        MSG m{w.hwnd(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0u, MAKELPARAM(x, y), GetTickCount(), {}};
        win::PumpDialogMessage(w.hwnd(), m);
    }
}

// The window's pixel once what is invalid is painted, no other message handled.
COLORREF ShownPixel(Window& w, int x, int y) {
    UpdateWindow(w.hwnd());
    HDC dc = GetDC(w.hwnd());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w.hwnd(), dc);
    return c;
}

size_t ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    size_t n = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snapshot);
    return n;
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
}

TEST(CheckAsYouEdit, AReportIsShownOnlyOfTheTableShownAndOnlyWhileTheWindowIsFree) {
    FreshSetting fresh;
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("walled.bwt"), Walled());
    bw::PlaytestOptions options;
    options.games = 200;
    w.ed().SetCheckOptions(options);
    w.Command(ID_TABLE_CHECK_AS_YOU_EDIT);
    test::Pump(w.hwnd());
    ASSERT_TRUE(w.ed().CheckWanted()) << "the check runs";
    ASSERT_TRUE(AwaitPosted(w)) << "its games are over";
    // Before the window takes the report, the table changes.
    w.ed().SelectTool(bw::kObstacle10);
    w.ed().LButtonDown({2 * 30, 2 * 80});
    w.ed().LButtonUp();
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, w.hwnd(), ui::TableDialog::kCheckMessage, ui::TableDialog::kCheckMessage, PM_REMOVE));
    win::PumpDialogMessage(w.hwnd(), m);
    EXPECT_EQ(w.ed().Findings(), nullptr);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "10-point obstacle");
    EXPECT_EQ(ShownPixel(w, kLaneX, kLaneY), kWhitePixel);
    // The check of the table shown follows: its summary in the status line,
    // its heat map over the playfield.
    EXPECT_TRUE(w.ed().CheckWanted());
    AwaitCheck(w);
    ASSERT_NE(w.ed().Findings(), nullptr);
    EXPECT_EQ(bw::ReportJson(*w.ed().Findings()), bw::ReportJson(bw::RunPlaytest(w.root(), options)));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "1 unreached: Ctrl+K for the list");
    EXPECT_NE(w.Pixel(kLaneX, kLaneY), kWhitePixel) << "the heat map shows where the ball went";

    // A click in the window: what was found goes at once. While a message
    // box or a file dialog holds the window (disabled, as they leave it),
    // the next report waits; it comes once the window is free.
    ClickOnly(w, 2 * 40, 2 * 80);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "10-point obstacle");
    EXPECT_EQ(ShownPixel(w, kLaneX, kLaneY), kWhitePixel);
    test::Pump(w.hwnd());
    ASSERT_TRUE(AwaitPosted(w)) << "the games are over";
    EnableWindow(w.hwnd(), FALSE);
    test::Pump(w.hwnd());
    EXPECT_EQ(w.ed().Findings(), nullptr);
    EnableWindow(w.hwnd(), TRUE);
    test::Pump(w.hwnd());
    ASSERT_NE(w.ed().Findings(), nullptr);
    EXPECT_EQ(bw::ReportJson(*w.ed().Findings()), bw::ReportJson(bw::RunPlaytest(w.root(), options)));

    // Ctrl+K lists what was found, without playing the games again.
    const bw::PlaytestReport* found = w.ed().Findings();
    w.Command(ID_TABLE_CHECK);
    EXPECT_EQ(w.ed().Findings(), found);
    ui::CheckDialog* check = w.dlg().FindingsList();
    ASSERT_TRUE(check && check->hwnd());
    EXPECT_EQ(SendDlgItemMessageA(check->hwnd(), IDC_CHECK_FINDINGS, LB_GETCOUNT, 0, 0), 1);

    // Turned off, the command takes what it found off the playfield at once.
    EXPECT_NE(w.Pixel(kLaneX, kLaneY), kWhitePixel);
    w.Command(ID_TABLE_CHECK_AS_YOU_EDIT);
    EXPECT_EQ(w.ed().Findings(), nullptr);
    EXPECT_EQ(w.ControlText(IDC_STATUS), "10-point obstacle");
    EXPECT_EQ(ShownPixel(w, kLaneX, kLaneY), kWhitePixel);
}

TEST(CheckAsYouEdit, ClosingTheWindowWhileACheckRunsEndsItsThreads) {
    FreshSetting fresh;
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("walled.bwt"), Walled());
    bw::PlaytestOptions options;
    options.games = 50000;  // far more than are played before the window closes
    w.ed().SetCheckOptions(options);
    const size_t threads = ThreadsOfThisProcess();
    w.Command(ID_TABLE_CHECK_AS_YOU_EDIT);
    test::Pump(w.hwnd());
    ASSERT_TRUE(w.ed().CheckWanted()) << "the check runs";
    EXPECT_GT(ThreadsOfThisProcess(), threads) << "on threads of its own";
    w.Command(ID_APP_EXIT);
    EXPECT_EQ(w.dlg().hwnd(), nullptr);
    EXPECT_EQ(ThreadsOfThisProcess(), threads) << "they end with the window";
}

}  // namespace
