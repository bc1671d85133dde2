// The window as it opens: its texts, controls, toolbar and tool tips, the
// system menu, and the speed box.
#include "tests/win/test_support.h"
#include "win/resources.h"

namespace {

using test::Window;

TEST(Startup, OpensWithAnEmptySavedTableItsControlsAndToolTips) {
    Window w;
    ASSERT_NE(w.hwnd(), nullptr);
    EXPECT_EQ(w.Title(), "Bumpwright");
    for (int id : {IDC_STATUS, IDC_SCORE, IDC_COORDINATES}) EXPECT_EQ(w.ControlText(id), "") << id;
    EXPECT_EQ(w.ControlText(IDC_SPEED), "20");
    EXPECT_EQ(w.ControlText(IDC_SEND), "Send &to Talvik       computer");
    EXPECT_TRUE(w.ed().saved());
    EXPECT_EQ(w.ed().recordCount(), 1);
    // One dialog unit is two pixels; the toolbar stands on the right edge.
    RECT start{}, bar{}, client{};
    GetWindowRect(GetDlgItem(w.hwnd(), IDC_START), &start);
    GetWindowRect(w.dlg().ToolBar(), &bar);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&start), 2);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&bar), 2);
    GetClientRect(w.hwnd(), &client);
    EXPECT_EQ((std::vector<LONG>{start.left, start.top, start.right - start.left, bar.left, bar.right, client.bottom}),
              (std::vector<LONG>{276, 8, 122, 432, client.right, 322}));
    const char* tips[] = {"Open", "Save", "10-point obstacle", "50-point obstacle", "100-point obstacle", "Hole",
                          "Left Flipper", "Right Flipper", "Cannon", "Border",
                          "Drag-n-drop objects on the Pinball Table. Shift+click or a frame selects more."};
    EXPECT_EQ(SendMessageA(w.dlg().ToolTip(), TTM_GETTOOLCOUNT, 0, 0), 11);
    for (UINT id = ID_FILE_OPEN; id <= ui::kLastToolCommand; ++id) {
        EXPECT_FALSE(id >= ui::kFirstToolCommand && w.ToolChecked(id)) << id;
        char text[128] = {};
        TOOLINFOA info{TTTOOLINFOA_V2_SIZE, 0, w.dlg().ToolBar(), id, {}, nullptr, text, 0, nullptr};
        SendMessageA(w.dlg().ToolTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(text, tips[id - ID_FILE_OPEN]);
    }
    HMENU system = GetSystemMenu(w.hwnd(), FALSE);
    // The window may be resized and maximized: it shows the largest zoom that fits.
    for (UINT command : {SC_MAXIMIZE, SC_SIZE}) EXPECT_FALSE(GetMenuState(system, command, MF_BYCOMMAND) & MF_GRAYED);
    for (UINT message : {UINT(WM_QUERYDRAGICON), UINT(WM_GETICON)})
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w.hwnd(), message, ICON_BIG, 0)), LoadIconA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) << message;
}

// What the speed box gives back when play starts: a decimal integer that
// fits in 32 bits, blanks around it allowed; anything else is refused.
TEST(Startup, TheSpeedBoxTakesOnlyA32BitInteger) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {" \t20 ", 20}, {"+7", 7}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX}, {"2147483648", {}},
        {"99999999999", {}}, {"", {}}, {" - ", {}}, {"1 2", {}}, {"0x10", {}}};
    for (const auto& [text, value] : cases) EXPECT_EQ(win::ParseInteger(text), value) << '"' << text << '"';
}

// Without its toolbar the window would be of no use: the program ends at
// once with a message saying why.
class NoToolBarDialog : public ui::TableDialog {
protected:
    HWND CreateToolBarControl() override { return nullptr; }
};

TEST(Startup, WithoutItsToolbarTheProgramEndsWithAMessage) {
    test::MessageBoxes boxes;
    NoToolBarDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDABORT);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Bumpwright cannot start: its toolbar could not be created.");
}

}  // namespace
