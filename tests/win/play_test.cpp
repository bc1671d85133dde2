// Play in the real window: Start, Edit and Clear, the play keys and the
// timer, keys let go when the window is activated or its menus entered.
#include "tests/win/test_support.h"

namespace {

using test::Window;

constexpr const char* kSmallTable = "cannon 62 90\nleft-flipper 30 80\nright-flipper 95 80\nobstacle50 62 20\n";

bool Enabled(Window& w, int id) { return IsWindowEnabled(GetDlgItem(w.hwnd(), id)) != FALSE; }
bool Pressed(Window& w, bw::PieceKind flipper) { return static_cast<bw::Flipper*>(w.root().FindChildOfKind(flipper))->keys.pressed; }
int Power(Window& w) { return static_cast<bw::Cannon*>(w.root().FindChildOfKind(bw::kCannon))->power; }

TEST(Play, StartAndEdit) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("t.bwt"), kSmallTable);
    w.ClickTool(ID_TOOL_OBSTACLE10);
    SendMessageA(GetDlgItem(w.hwnd(), IDC_START), BM_CLICK, 0, 0);
    EXPECT_EQ(w.ed().mode(), bw::EditMode::Playing);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.hwnd(), IDC_EDIT_MODE));
    EXPECT_FALSE(Enabled(w, IDC_CLEAR) || Enabled(w, IDC_SEND) || w.ToolChecked(ID_TOOL_OBSTACLE10));
    const bw::Ball& ball = *w.ed().document().State().ball;
    for (int ticks = 0; ticks < 3;) {  // the window's own timer plays
        MSG msg;
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
        ticks += msg.message == WM_TIMER && msg.hwnd == w.hwnd();
        win::PumpDialogMessage(w.hwnd(), msg);
    }
    EXPECT_EQ(w.ControlText(IDC_SCORE), "0");
    ASSERT_TRUE(KillTimer(w.hwnd(), 1));  // the test gives the ticks from here on
    const_cast<bw::TableState&>(w.ed().document().State()).score = -6;  // past 2^31 points: shown unsigned
    w.PostKey(VK_SPACE, true), w.PostKey(VK_SPACE, false), w.Tick(), w.Tick();
    EXPECT_EQ(w.ControlText(IDC_SCORE), "4294967290");
    ASSERT_LT(ball.vy, 0) << "fired";
    w.PostKey('E', true), w.PostKey('E', false);  // the Edit button's mnemonic stops play, the ball goes back
    EXPECT_EQ(w.ed().mode(), bw::EditMode::Editing);
    EXPECT_TRUE(Enabled(w, IDC_CLEAR) && Enabled(w, IDC_SEND));
    w.Tick();  // a tick still queued changes nothing now
    EXPECT_EQ(ball.y * 1000 + ball.vy, 85000);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "4294967290");  // the last score stays
    w.StartWithoutTimer();
    w.ClickTool(ID_TOOL_HOLE);  // a tool button returns to editing with that tool
    EXPECT_TRUE(w.ed().mode() == bw::EditMode::Editing && w.ControlText(IDC_STATUS) == "Hole");
    // Clear asks before it empties the table; an empty table it leaves alone.
    test::MessageBoxes boxes;
    boxes.Answer(IDNO), boxes.Answer(IDYES);
    for (int i = 0; i < 3; ++i) SendMessageA(GetDlgItem(w.hwnd(), IDC_CLEAR), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Are you sure you want to clear the Pinball Table?");
    EXPECT_EQ(boxes.Shown()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.Pixel(124, 40), RGB(255, 255, 255)) << "the playfield is repainted";
}

TEST(Play, ASpeedTypedStaysWhileTheMouseMovesOverThePlayfield) {
    Window w;
    SetDlgItemTextA(w.hwnd(), IDC_SPEED, "35");
    w.ClickTool(ID_TOOL_HOLE);  // the status changes
    w.Move(40, 50);
    const std::string first = w.ControlText(IDC_COORDINATES);
    for (int x = 44; x < 60; x += 4) w.Move(x, 50);
    EXPECT_NE(w.ControlText(IDC_COORDINATES), first) << "the editor's texts were shown";
    EXPECT_EQ(w.ControlText(IDC_SPEED), "35");
}

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

TEST(Play, TheKeysWorkThePiecesAndAreLetGoWhenTheWindowIsActivatedOrItsMenusEntered) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("t.bwt"), kSmallTable);
    w.StartWithoutTimer();
    w.PostKey('Z', true);
    EXPECT_TRUE(Pressed(w, bw::kLeftFlipper) && !Pressed(w, bw::kRightFlipper));
    w.PostKey('X', true), w.PostKey('Z', false);
    EXPECT_TRUE(!Pressed(w, bw::kLeftFlipper) && Pressed(w, bw::kRightFlipper));
    w.PostKey(VK_ESCAPE, true), w.PostKey(VK_ESCAPE, false);  // swallowed: the window stays
    EXPECT_EQ(w.ed().mode(), bw::EditMode::Playing);
    for (int i = 0; i < 4; ++i) w.PostKey(VK_SPACE, true, i > 0);  // each auto-repeat charges one step
    EXPECT_EQ(Power(w), 4);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    test::Pump(w.hwnd());
    EXPECT_TRUE(Pressed(w, bw::kRightFlipper)) << "going inactive lets go of nothing";
    SetActiveWindow(w.hwnd());
    test::Pump(w.hwnd());
    EXPECT_FALSE(Pressed(w, bw::kRightFlipper));
    EXPECT_EQ(Power(w), 0);
    w.Tick();
    EXPECT_LT(w.ed().document().State().ball->vy, 0) << "the charge let go is a shot";
    DestroyWindow(other);
    w.PostKey('Z', true);
    SetTimer(nullptr, 0, 50, EndMenuSoon);
    SendMessageA(w.hwnd(), WM_SYSCOMMAND, SC_KEYMENU, 0);  // Alt alone: the menu bar's loop
    EXPECT_FALSE(Pressed(w, bw::kLeftFlipper));
}

}  // namespace
