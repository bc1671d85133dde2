// Play in the real window: Start, Edit and Clear with their buttons and the
// focus, the play timer, the play keys, the keys let go when the window is
// activated or its menus are entered, and Clear's questions.
#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/win/play_support.h"

namespace {

using test::Window;

// A small table: a cannon in the middle of the bottom, a flipper on each
// side, an obstacle high up.
constexpr const char* kSmallTable =
    "cannon 62 90\n"
    "left-flipper 30 80\n"
    "right-flipper 95 80\n"
    "obstacle50 62 20\n";

bool Enabled(Window& w, int id) { return IsWindowEnabled(GetDlgItem(w.hwnd(), id)) != FALSE; }

bw::Flipper& LeftFlipper(Window& w) { return static_cast<bw::Flipper&>(*test::FirstOfKind(w, bw::kLeftFlipper)); }
bw::Flipper& RightFlipper(Window& w) { return static_cast<bw::Flipper&>(*test::FirstOfKind(w, bw::kRightFlipper)); }
bw::Cannon& TheCannon(Window& w) { return static_cast<bw::Cannon&>(*test::FirstOfKind(w, bw::kCannon)); }
const bw::Ball& TheBall(Window& w) { return *w.dlg().state.ball; }

// The key messages that reach a control, recorded on their way in.
class KeysSeen {
public:
    explicit KeysSeen(HWND control) : control_(control) {
        SetPropA(control_, kProp, this);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeysSeen::Proc)));
    }
    ~KeysSeen() {
        SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropA(control_, kProp);
    }
    // Key-down and key-up messages of `vk`.
    int Count(UINT vk) const {
        int n = 0;
        for (WPARAM k : keys_) n += k == vk;
        return n;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<KeysSeen*>(GetPropA(hwnd, kProp));
        if (msg == WM_KEYDOWN || msg == WM_KEYUP) self->keys_.push_back(wp);
        return CallWindowProcA(self->previous_, hwnd, msg, wp, lp);
    }
    static constexpr const char* kProp = "play_test.keys";
    HWND control_;
    WNDPROC previous_ = nullptr;
    std::vector<WPARAM> keys_;
};

// ---- Start and Edit ------------------------------------------------------------------

TEST(StartAndEdit, StartPlaysEditGetsTheFocusAndClearAndSendAreDisabled) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    w.ClickTool(ID_TOOL_OBSTACLE10);
    for (int id : {IDC_START, IDC_EDIT_MODE, IDC_CLEAR, IDC_SEND}) EXPECT_TRUE(Enabled(w, id)) << id;

    test::PressButton(w, IDC_START);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.hwnd(), IDC_EDIT_MODE));
    EXPECT_TRUE(Enabled(w, IDC_START));
    EXPECT_TRUE(Enabled(w, IDC_EDIT_MODE));
    EXPECT_FALSE(Enabled(w, IDC_CLEAR));
    EXPECT_FALSE(Enabled(w, IDC_SEND));
    EXPECT_FALSE(w.ToolChecked(ID_TOOL_OBSTACLE10)) << "no tool in play";
    EXPECT_EQ(w.ControlText(IDC_STATUS), "");
    // The ball waits on the cannon, five table pixels above its centre.
    EXPECT_EQ(TheBall(w).x, 62);
    EXPECT_EQ(TheBall(w).y, 85);

    test::PressButton(w, IDC_EDIT_MODE);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_TRUE(Enabled(w, IDC_CLEAR));
    EXPECT_TRUE(Enabled(w, IDC_SEND));
    EXPECT_FALSE(KillTimer(w.hwnd(), 1)) << "the play timer is stopped";
}

TEST(StartAndEdit, ClicksOnThePlayfieldPlaceNothingInPlay) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    w.ClickTool(ID_TOOL_OBSTACLE10);
    test::StartWithoutTimer(w);
    const size_t pieces = test::Pieces(w.root()).size();
    w.Click(40, 40);
    EXPECT_EQ(test::Pieces(w.root()).size(), pieces);
    w.Move(41, 61);
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "(20,30)") << "the coordinates are still shown";
}

TEST(StartAndEdit, StartTwiceAndEditWhileEditingDoNothing) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    w.ClickTool(ID_TOOL_HOLE);
    test::PressButton(w, IDC_EDIT_MODE);
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_HOLE)) << "Edit while editing keeps the tool";
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Hole");

    test::StartWithoutTimer(w);
    for (int i = 0; i < 3; ++i) test::PostKey(w, VK_SPACE, true, i > 0);
    test::PostKey(w, VK_SPACE, false);
    for (int i = 0; i < 20; ++i) test::Tick(w);
    const bw::Ball& ball = TheBall(w);
    ASSERT_LT(ball.y, 80) << "the ball has left the cannon";
    const int32_t fx = ball.fx, fy = ball.fy, vy = ball.vy;
    test::PressButton(w, IDC_START);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    EXPECT_EQ(ball.fx, fx) << "the second Start does not put the ball back";
    EXPECT_EQ(ball.fy, fy);
    EXPECT_EQ(ball.vy, vy);
    EXPECT_FALSE(KillTimer(w.hwnd(), 1)) << "nor start another timer";
}

TEST(StartAndEdit, EditPutsTheBallBackAndKeepsTheLastScore) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    w.dlg().state.score = 370;
    test::Tick(w);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "370");
    test::PostKey(w, VK_SPACE, true);
    test::PostKey(w, VK_SPACE, false);
    for (int i = 0; i < 5; ++i) test::Tick(w);
    ASSERT_NE(TheBall(w).y, 85);

    test::PressButton(w, IDC_EDIT_MODE);
    EXPECT_EQ(TheBall(w).x, 62);
    EXPECT_EQ(TheBall(w).y, 85);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "370");
    // A tick already queued when play stopped changes nothing.
    test::Tick(w);
    EXPECT_EQ(TheBall(w).y, 85);
    // The next game starts from nothing.
    test::StartWithoutTimer(w);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "370");
    test::Tick(w);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "0");
}

TEST(StartAndEdit, TheScoreIsShownAsAnUnsignedNumber) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    w.dlg().state.score = -6;  // past 2^31 points
    test::Tick(w);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "4294967290");
}

TEST(StartAndEdit, StartEndsABorderBeingDrawnAndDropsADraggedPiece) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Click(120, 20);
    w.Move(120, 80);  // a segment under the mouse, not fixed
    test::PressButton(w, IDC_START);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    ASSERT_EQ(test::Pieces(w.root()).size(), 1u);
    // Start point, one fixed segment, and the end record of the border.
    EXPECT_EQ(w.dlg().recordCount, 1 + 3);
    test::PressButton(w, IDC_EDIT_MODE);

    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(200, 150);
    w.ClickTool(ID_TOOL_POINTER);
    w.Press(200, 150);
    w.Move(180, 150);
    ASSERT_EQ(w.dlg().mode, ui::EditMode::Dragging);
    test::PressButton(w, IDC_START);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    ASSERT_EQ(test::Pieces(w.root()).size(), 2u) << "the dragged piece is back in the table";
    EXPECT_EQ(bw::Placed(*test::Pieces(w.root()).back()).x, 90);
}

TEST(StartAndEdit, AToolButtonInPlayReturnsToEditingWithThatTool) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    SetTimer(w.hwnd(), 1, 20, nullptr);  // the window's own timer again
    w.ClickTool(ID_TOOL_OBSTACLE100);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_OBSTACLE100));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "100-point obstacle");
    EXPECT_TRUE(Enabled(w, IDC_CLEAR));
    EXPECT_TRUE(Enabled(w, IDC_SEND));
    EXPECT_FALSE(KillTimer(w.hwnd(), 1));
    w.Click(40, 40);
    EXPECT_EQ(test::Pieces(w.root()).back()->kind, bw::kObstacle100);
}

// ---- the timer --------------------------------------------------------------------------

// Runs the thread's messages until `ticks` timer messages have come to the
// window (or a long while has passed); returns how many came.
int RunTimerTicks(Window& w, int ticks) {
    int seen = 0;
    const DWORD start = GetTickCount();
    while (seen < ticks && GetTickCount() - start < 10000) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_TIMER && msg.hwnd == w.hwnd()) ++seen;
        win::PumpDialogMessage(w.hwnd(), msg);
    }
    return seen;
}

TEST(PlayTimer, TheTimerTakesItsPeriodFromTheSpeedBoxAndRunsPlayByItself) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    EXPECT_EQ(w.ControlText(IDC_SPEED), "20");
    SetDlgItemTextA(w.hwnd(), IDC_SPEED, "35");
    test::PressButton(w, IDC_START);
    EXPECT_EQ(w.dlg().speed, 35);
    EXPECT_EQ(w.dlg().timerId, 1u);
    // Nobody presses a key: the ball settles on the cannon's top wall,
    // and the score label is written by the first tick.
    ASSERT_EQ(RunTimerTicks(w, 3), 3);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "0");
    EXPECT_EQ(TheBall(w).vy, 0);
    test::PostKey(w, VK_SPACE, true);
    test::PostKey(w, VK_SPACE, false);
    ASSERT_EQ(RunTimerTicks(w, 3), 3);
    EXPECT_LT(TheBall(w).vy, 0) << "fired by the cannon, on the window's own ticks";
}

TEST(PlayTimer, WhileMinimizedTheTimerRunsButTheBallWaits) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, "cannon 62 90\n");
    test::PressButton(w, IDC_START);
    for (int i = 0; i < 10; ++i) test::PostKey(w, VK_SPACE, true, i > 0);
    test::PostKey(w, VK_SPACE, false);
    ASSERT_EQ(RunTimerTicks(w, 2), 2);
    ShowWindow(w.hwnd(), SW_MINIMIZE);
    test::Pump(w.hwnd());
    ASSERT_TRUE(IsIconic(w.hwnd()));
    const bw::Ball& ball = TheBall(w);
    const int32_t fy = ball.fy, vy = ball.vy;
    ASSERT_LT(vy, 0) << "the ball is on its way up";
    EXPECT_EQ(RunTimerTicks(w, 5), 5);
    EXPECT_EQ(ball.fy, fy);
    EXPECT_EQ(ball.vy, vy);

    ShowWindow(w.hwnd(), SW_RESTORE);
    ASSERT_EQ(RunTimerTicks(w, 1), 1);
    // It goes on from where it was: one step further.
    EXPECT_EQ(ball.fy, fy + vy);
    EXPECT_EQ(ball.vy, vy + 5);
}

// ---- play keys --------------------------------------------------------------------------

TEST(PlayKeys, ZAndXWorkTheFlippersAndNeverReachTheButton) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    KeysSeen button(GetFocus());
    test::PostKey(w, 'Z', true);
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 1);
    EXPECT_EQ(RightFlipper(w).keys.pressed, 0);
    test::PostKey(w, 'X', true);
    EXPECT_EQ(RightFlipper(w).keys.pressed, 1);
    test::PostKey(w, 'Z', false);
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 0);
    EXPECT_EQ(RightFlipper(w).keys.pressed, 1);
    test::PostKey(w, 'X', false);
    EXPECT_EQ(RightFlipper(w).keys.pressed, 0);
    EXPECT_EQ(button.Count('Z') + button.Count('X'), 0);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
}

TEST(PlayKeys, EachAutoRepeatOfAHeldSpaceChargesTheCannonOneStep) {
    // Fired with 2 and with 5 key-downs: the shot's speed is 48 per
    // key-down (480 at the full charge of 10).
    for (int downs : {2, 5}) {
        Window w;
        test::TempFolder folder;
        test::LoadTableText(w, folder, "cannon 62 90\n");
        test::StartWithoutTimer(w);
        KeysSeen button(GetFocus());
        for (int i = 0; i < downs; ++i) test::PostKey(w, VK_SPACE, true, i > 0);
        EXPECT_EQ(TheCannon(w).power, downs);
        test::Tick(w);
        test::PostKey(w, VK_SPACE, false);
        EXPECT_EQ(TheCannon(w).power, 0);
        test::Tick(w);
        EXPECT_EQ(TheBall(w).vy, -48 * downs) << downs << " key-downs";
        EXPECT_EQ(button.Count(VK_SPACE), 0);
    }
}

TEST(PlayKeys, OtherKeysAreLeftToTheDialog) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    {
        KeysSeen button(GetFocus());
        test::TypeKey(w, 'A');
        EXPECT_EQ(button.Count('A'), 2) << "down and up reach the focused button";
        EXPECT_EQ(LeftFlipper(w).keys.pressed, 0);
        EXPECT_EQ(TheCannon(w).power, 0);
        // Escape is swallowed: the window does not close.
        test::TypeKey(w, VK_ESCAPE);
        EXPECT_EQ(button.Count(VK_ESCAPE), 1) << "only its key-up goes by";
        EXPECT_TRUE(IsWindow(w.hwnd()));
        EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    }
    // E is the Edit button's mnemonic: it stops play.
    test::TypeKey(w, 'E');
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
}

TEST(PlayKeys, ThePlayKeysAreNoPlayKeysWhileEditing) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    SetFocus(GetDlgItem(w.hwnd(), IDC_EDIT_MODE));
    KeysSeen button(GetFocus());
    test::PostKey(w, 'Z', true);
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 0);
    EXPECT_EQ(button.Count('Z'), 1);
    test::PostKey(w, 'Z', false);
}

// ---- keys let go ----------------------------------------------------------------------

TEST(KeysLetGo, ActivatingTheWindowAgainLetsGoOfEveryPlayKey) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    test::PostKey(w, 'Z', true);
    test::PostKey(w, 'X', true);
    test::PostKey(w, VK_SPACE, true);
    test::PostKey(w, VK_SPACE, true, true);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    test::Pump(w.hwnd());
    ASSERT_NE(GetActiveWindow(), w.hwnd());
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 1) << "going inactive lets go of nothing";
    SetActiveWindow(w.hwnd());
    test::Pump(w.hwnd());
    ASSERT_EQ(GetActiveWindow(), w.hwnd());
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 0);
    EXPECT_EQ(RightFlipper(w).keys.pressed, 0);
    EXPECT_EQ(TheCannon(w).power, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.hwnd(), IDC_EDIT_MODE)) << "the focus comes back to Edit";
    test::Tick(w);
    EXPECT_LT(TheBall(w).vy, 0) << "a charging cannon lets go of its charge: the ball is shot";

    // A click on the window activates it too.
    test::PostKey(w, 'Z', true);
    ASSERT_EQ(LeftFlipper(w).keys.pressed, 1);
    SetActiveWindow(other);
    test::Pump(w.hwnd());
    SendMessageA(w.hwnd(), WM_ACTIVATE, WA_CLICKACTIVE, reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 0);
    DestroyWindow(other);
}

// Ends the menu loop that the system command under test enters, noting
// that it was in one.
bool menuWasOpen = false;
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    menuWasOpen = GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE);
    EndMenu();
}

TEST(KeysLetGo, EnteringTheMenusLetsGoOfThePlayKeys) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    // Alt alone: the keyboard enters the menu bar; a click on the system
    // menu's icon: the mouse does.
    for (WPARAM command : {static_cast<WPARAM>(SC_KEYMENU), static_cast<WPARAM>(SC_MOUSEMENU | HTSYSMENU)}) {
        test::PostKey(w, 'Z', true);
        test::PostKey(w, VK_SPACE, true);
        ASSERT_EQ(LeftFlipper(w).keys.pressed, 1);
        menuWasOpen = false;
        SetTimer(nullptr, 0, 50, EndMenuSoon);
        SendMessageA(w.hwnd(), WM_SYSCOMMAND, command, 0);
        test::Pump(w.hwnd());
        EXPECT_TRUE(menuWasOpen) << "the system's own handling followed";
        EXPECT_EQ(LeftFlipper(w).keys.pressed, 0) << std::hex << command;
        EXPECT_EQ(TheCannon(w).power, 0) << std::hex << command;
        EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    }
    // Other system commands leave the keys alone.
    test::PostKey(w, 'Z', true);
    SendMessageA(w.hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(LeftFlipper(w).keys.pressed, 1);
}

// True when the 3 x 3 pixels around (x, y) hold some black.
bool BlackNear(Window& w, int x, int y) {
    w.Paint();
    HDC dc = GetDC(w.hwnd());
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) found = found || GetPixel(dc, x + dx, y + dy) == RGB(0, 0, 0);
    ReleaseDC(w.hwnd(), dc);
    return found;
}

TEST(KeysLetGo, AFlipperLetGoIsShownDownAtTheNextTick) {
    Window w;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    // The left flipper's blade, near its tip: down it runs from the pivot
    // to the lower right, up to the upper right.
    const bw::Flipper& flipper = LeftFlipper(w);
    const int tipX = 2 * (flipper.x + flipper.length) - 4;
    const int upY = 2 * (flipper.y - flipper.rise) + 2, downY = 2 * (flipper.y + flipper.rise) - 2;
    test::Tick(w);
    EXPECT_TRUE(BlackNear(w, tipX, downY));
    EXPECT_FALSE(BlackNear(w, tipX, upY));
    test::PostKey(w, 'Z', true);
    EXPECT_TRUE(BlackNear(w, tipX, downY)) << "shown up only at the next tick";
    test::Tick(w);
    EXPECT_TRUE(BlackNear(w, tipX, upY));
    EXPECT_FALSE(BlackNear(w, tipX, downY));

    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    SetActiveWindow(w.hwnd());
    DestroyWindow(other);
    test::Pump(w.hwnd());
    ASSERT_EQ(LeftFlipper(w).keys.pressed, 0);
    test::Tick(w);
    EXPECT_TRUE(BlackNear(w, tipX, downY));
    EXPECT_FALSE(BlackNear(w, tipX, upY));
}

// ---- Clear ------------------------------------------------------------------------------

TEST(Clear, ABorderBeingDrawnEndsWithoutAQuestion) {
    Window w;
    test::MessageBoxes boxes;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(20, 20);
    w.Click(120, 20);
    w.Click(120, 120);
    w.Move(20, 120);
    test::PressButton(w, IDC_CLEAR);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    ASSERT_EQ(test::Pieces(w.root()).size(), 1u);
    EXPECT_EQ(test::Pieces(*bw::AsGroup(test::Pieces(w.root())[0])).size(), 3u) << "start point and two segments";
    EXPECT_FALSE(w.dlg().saved);
}

TEST(Clear, ASelectedPieceAloneIsDeletedWithoutAQuestion) {
    Window w;
    test::MessageBoxes boxes;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    ASSERT_TRUE(w.dlg().saved);
    const int records = w.dlg().recordCount;
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(124, 40);  // the obstacle at table (62, 20)
    ASSERT_NE(w.dlg().currentPiece, nullptr);
    w.dlg().saved = true;  // selecting marked it; Clear must do so itself
    test::PressButton(w, IDC_CLEAR);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(test::FirstOfKind(w, bw::kObstacle50), nullptr);
    EXPECT_EQ(test::Pieces(w.root()).size(), 3u);
    EXPECT_EQ(w.dlg().recordCount, records - 1);
    EXPECT_FALSE(w.dlg().saved);
    EXPECT_EQ(w.Pixel(124, 40), RGB(255, 255, 255));
}

TEST(Clear, TheTableIsClearedOnlyWhenTheUserSaysYes) {
    Window w;
    test::MessageBoxes boxes;
    test::TempFolder folder;
    test::LoadTableText(w, folder, kSmallTable);
    test::StartWithoutTimer(w);
    w.dlg().state.score = 120;
    test::Tick(w);
    test::PressButton(w, IDC_EDIT_MODE);
    ASSERT_EQ(w.ControlText(IDC_SCORE), "120");
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(200, 40);  // the tool's new piece is the current one
    w.dlg().saved = true;
    const int records = w.dlg().recordCount;

    boxes.Answer(IDNO);
    test::PressButton(w, IDC_CLEAR);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Are you sure you want to clear the Pinball Table?");
    EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
    EXPECT_EQ(boxes.Shown()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(test::Pieces(w.root()).size(), 5u);
    EXPECT_EQ(w.dlg().recordCount, records);
    EXPECT_TRUE(w.dlg().saved);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "120");

    boxes.Answer(IDYES);
    test::PressButton(w, IDC_CLEAR);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.dlg().recordCount, 1);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "0");
    EXPECT_FALSE(w.dlg().saved);
    EXPECT_EQ(w.Pixel(124, 40), RGB(255, 255, 255)) << "the playfield is repainted";
    EXPECT_EQ(w.Pixel(200, 40), RGB(255, 255, 255));
    // Editing goes on with the same tool on the empty table.
    w.Click(100, 100);
    EXPECT_EQ(test::Pieces(w.root()).size(), 1u);
    EXPECT_EQ(w.dlg().recordCount, 2);
}

TEST(Clear, AnEmptyTableIsLeftAloneWithoutAQuestion) {
    Window w;
    test::MessageBoxes boxes;
    test::PressButton(w, IDC_CLEAR);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(w.dlg().saved);
    EXPECT_EQ(w.dlg().recordCount, 1);
}

}  // namespace
