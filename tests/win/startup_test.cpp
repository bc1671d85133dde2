// The window as it opens: its controls, toolbar, tool tips, system menu and
// the table file named at start-up.
#include "tests/win/test_support.h"

#include <cstdio>

#include "res/resource.h"

namespace {

using test::Window;

TEST(Startup, OpensWithAnEmptySavedTableAndBlankTexts) {
    Window w;
    ASSERT_NE(w.hwnd(), nullptr);
    EXPECT_EQ(w.Title(), "Bumpwright");
    EXPECT_EQ(w.ControlText(IDC_STATUS), "");
    EXPECT_EQ(w.ControlText(IDC_SCORE), "");
    EXPECT_EQ(w.ControlText(IDC_COORDINATES), "");  // the template's "(0,0)" is replaced
    EXPECT_EQ(w.ControlText(IDC_SPEED), "20");
    EXPECT_EQ(w.dlg().recordCount, 1);
    EXPECT_TRUE(w.dlg().saved);
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(w.dlg().tool, ui::kNoTool);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id) EXPECT_FALSE(w.ToolChecked(id)) << id;
    EXPECT_EQ(w.ControlText(IDC_START), "&Start");
    EXPECT_EQ(w.ControlText(IDC_SEND), "Send &to Talvik       computer");
    EXPECT_EQ(w.ControlText(IDC_KEYS_HELP), "Press \"Z\" or \"X\" to control flippers.\nPress SPACE to fire the ball.");
}

// One dialog unit is two pixels: the buttons start right of the playfield,
// and the toolbar stands on the right edge of a window widened for it.
TEST(Startup, ControlsStandBesideThePlayfieldAndTheToolbarOnTheRight) {
    Window w;
    auto clientRect = [&](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT start = clientRect(GetDlgItem(w.hwnd(), IDC_START));
    EXPECT_EQ(start.left, 276);
    EXPECT_EQ(start.top, 8);
    EXPECT_EQ(start.right - start.left, 122);
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const RECT bar = clientRect(w.dlg().toolBar.get());
    EXPECT_EQ(bar.left, 432);  // the template's 216 units
    EXPECT_EQ(bar.right, client.right);
    EXPECT_EQ(client.bottom, 322);
    EXPECT_GT(bar.right - bar.left, 20);
    // Every tool button lies inside the bar, one below the other.
    int lastTop = -1;
    for (UINT id = ID_FILE_OPEN; id <= ui::kLastToolCommand; ++id) {
        const RECT b = w.ToolRect(id);
        EXPECT_GT(b.top, lastTop) << id;
        EXPECT_LE(b.bottom, client.bottom) << id;
        lastTop = b.top;
    }
}

TEST(Startup, ToolTipsNameEveryToolbarButton) {
    Window w;
    const std::pair<UINT, const char*> expected[] = {
        {ID_FILE_OPEN, "Open"},
        {ID_FILE_SAVE, "Save"},
        {ID_TOOL_OBSTACLE10, "10-point obstacle"},
        {ID_TOOL_OBSTACLE50, "50-point obstacle"},
        {ID_TOOL_OBSTACLE100, "100-point obstacle"},
        {ID_TOOL_HOLE, "Hole"},
        {ID_TOOL_LEFT_FLIPPER, "Left Flipper"},
        {ID_TOOL_RIGHT_FLIPPER, "Right Flipper"},
        {ID_TOOL_CANNON, "Cannon"},
        {ID_TOOL_BORDER, "Border"},
        {ID_TOOL_POINTER, "Drag-n-drop objects on the Pinball Table."},
    };
    HWND tips = w.dlg().toolTip.get();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 11);
    for (const auto& [id, text] : expected) {
        char buffer[128] = {};
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = w.dlg().toolBar.get();
        info.uId = id;
        info.lpszText = buffer;
        SendMessageA(tips, TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(buffer, text) << id;
    }
}

TEST(Startup, MaximizeAndSizeAreGreyedInTheSystemMenu) {
    Window w;
    HMENU system = GetSystemMenu(w.hwnd(), FALSE);
    for (const auto& [command, text] : {std::pair<UINT, const char*>{SC_MAXIMIZE, "Maximize"}, {SC_SIZE, "Size"}}) {
        EXPECT_TRUE(GetMenuState(system, command, MF_BYCOMMAND) & MF_GRAYED) << text;
        char label[64] = {};
        GetMenuStringA(system, command, label, sizeof label, MF_BYCOMMAND);
        EXPECT_STREQ(label, text);
    }
    EXPECT_FALSE(GetWindowLongA(w.hwnd(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(Startup, AMaximizedWindowIsRestoredAtTheNextPaint) {
    Window w;
    ShowWindow(w.hwnd(), SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(w.hwnd()));
    w.Paint();
    EXPECT_FALSE(IsZoomed(w.hwnd()));
}

TEST(Startup, TheIconIsTheWindowsLargeAndSmallIconAndItsDragIcon) {
    Window w;
    EXPECT_NE(SendMessageA(w.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(w.hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w.hwnd(), WM_QUERYDRAGICON, 0, 0)), w.dlg().icon);
}

TEST(Startup, TheFileNamedAtStartUpIsOpened) {
    test::TempFolder folder;
    const std::string path = folder.File("start.bwt");
    test::WriteTableFile(path, "obstacle50 20 30\nhole 40 40\ncannon 60 90\nborder 10 10, 50 10, 50 60\n");
    auto dialog = std::make_unique<ui::TableDialog>();
    ASSERT_TRUE(dialog->SetFilePath(path));
    Window w(std::move(dialog));
    EXPECT_EQ(w.Title(), "start.bwt - Bumpwright");
    EXPECT_STREQ(w.dlg().filePath, path.c_str());
    EXPECT_TRUE(w.dlg().saved);
    // Header, 3 pieces, start point, 2 segments, 2 end records: (29 - 8) / 3.
    EXPECT_EQ(w.dlg().recordCount, 8);
    const auto pieces = test::Pieces(w.root());
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0]->kind, bw::kObstacle50);
    EXPECT_EQ(pieces[2]->kind, bw::kCannon);
    EXPECT_EQ(pieces[3]->kind, bw::kGroup);
    EXPECT_EQ(w.ControlText(IDC_SCORE), "0");
}

TEST(Startup, AStartUpFileThatIsNoTableIsRefusedWithItsMessage) {
    test::TempFolder folder;
    const std::string path = folder.File("notes.bwt");
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("just some notes", f);
    std::fclose(f);
    test::MessageBoxes boxes;
    auto dialog = std::make_unique<ui::TableDialog>();
    dialog->SetFilePath(path);
    Window w(std::move(dialog));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "This is not a Bumpwright file");
    EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
    EXPECT_EQ(w.Title(), "Bumpwright");
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.dlg().recordCount, 1);
}

// A window without its toolbar or its tool tips would be of no use: the
// program ends at once with a message saying why.
class NoToolBarDialog : public ui::TableDialog {
protected:
    HWND CreateToolBarControl() override { return nullptr; }
};

class NoToolTipsDialog : public ui::TableDialog {
protected:
    HWND CreateToolTipControl() override { return nullptr; }
};

TEST(Startup, WithoutItsToolbarTheProgramEndsWithAMessage) {
    test::MessageBoxes boxes;
    NoToolBarDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDABORT);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Bumpwright cannot start: its toolbar could not be created.");
    EXPECT_TRUE(boxes.Shown()[0].type & MB_ICONSTOP);
    EXPECT_EQ(dialog.root, nullptr);
}

TEST(Startup, WithoutItsToolTipsTheProgramEndsWithAMessage) {
    test::MessageBoxes boxes;
    NoToolTipsDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDABORT);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Bumpwright cannot start: the tool tips of its toolbar could not be created.");
    EXPECT_EQ(dialog.root, nullptr);
}

}  // namespace
