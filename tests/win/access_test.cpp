// What a user reaches and reads without surprises: every tool from the
// keyboard and the Tools menu, File › New, the mark of a selected border,
// the menus' help in the status line, and message boxes that fit the
// screen and name what was refused.
#include "tests/win/test_support.h"

#include "files/table_text.h"
#include "files/win/wide_text.h"
#include "ui/check_dialog.h"
#include "win/resources.h"

namespace {

using test::Window;

bool MenuChecked(Window& w, UINT id) {
    return (GetMenuState(GetMenu(w.hwnd()), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST(Keyboard, EveryToolIsReachedByItsKeyAndByTheToolsMenu) {
    Window w;
    HMENU tools = GetSubMenu(GetMenu(w.hwnd()), 3);
    ASSERT_EQ(GetMenuItemCount(tools), 9);
    for (UINT id = ui::kFirstToolCommand; id <= ui::kLastToolCommand; ++id) {
        const UINT n = id - ui::kFirstToolCommand;
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(GetMenuItemID(tools, static_cast<int>(n)), id) << "in the toolbar's order";
        char item[64] = {};
        GetMenuStringA(tools, id, item, sizeof item, MF_BYCOMMAND);
        EXPECT_EQ(std::string(item).substr(std::string(item).find('\t') + 1), std::to_string(n + 1));
        w.Key(static_cast<UINT>('1' + n));  // the top row's digit
        for (UINT other = ui::kFirstToolCommand; other <= ui::kLastToolCommand; ++other) {
            EXPECT_EQ(w.ToolChecked(other), other == id);
            EXPECT_EQ(MenuChecked(w, other), other == id);
        }
        EXPECT_EQ(w.ControlText(IDC_STATUS), win::LoadResString(id));
        w.Key(VK_NUMPAD1 + (n + 1) % 9);  // the number pad's reaches the next tool
        EXPECT_TRUE(w.ToolChecked(ui::kFirstToolCommand + (n + 1) % 9));
        w.Command(id);  // the Tools menu's item
        EXPECT_TRUE(w.ToolChecked(id));
    }
    // The key places what the button places.
    w.Key('4');
    w.Click(100, 100);
    EXPECT_EQ(bw::TableToText(w.root()), "# Bumpwright table\nhole 50 50\n");
    w.CtrlKey('1');
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_HOLE)) << "Ctrl with a digit is no tool key";
}

TEST(FileNew, AsksAboutUnsavedChangesThenGivesAnEmptyTableWithoutAFile) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("kept.bwt"), "hole 20 20\n");
    const std::string kept = test::ReadAll(folder.File("kept.bwt"));
    w.ClickTool(ID_TOOL_OBSTACLE50);
    w.Click(100, 100);
    test::MessageBoxes boxes;
    boxes.Answer(IDCANCEL);
    w.CtrlKey('N');
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Pinball Table is not saved.  Would you like to save it?");
    EXPECT_EQ(w.Title(), "kept.bwt - Bumpwright") << "Cancel keeps the table";
    EXPECT_EQ(bw::TableToText(w.root()), "# Bumpwright table\nhole 20 20\nobstacle50 50 50\n");

    boxes.Answer(IDNO);
    w.Command(ID_FILE_NEW);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(w.Title(), "Bumpwright");
    EXPECT_EQ(bw::TableToText(w.root()), "# Bumpwright table\n");
    EXPECT_TRUE(w.ed().saved());
    EXPECT_EQ(w.Pixel(40, 40), RGB(255, 255, 255)) << "the old table is gone from the screen";
    EXPECT_FALSE(w.ToolChecked(ID_TOOL_OBSTACLE50));

    // Saving the new table asks for a name: the old file stays as it was.
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(60, 60);
    test::FileDialogs dialogs;
    dialogs.Cancel();
    w.CtrlKey('S');
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(test::ReadAll(folder.File("kept.bwt")), kept);
    w.CtrlKey('N');
    EXPECT_EQ(boxes.Shown().size(), 3u) << "the hole placed since is unsaved";
}

TEST(Painting, ASelectedBorderIsFramedAsAPieceIs) {
    Window w;
    w.ClickTool(ID_TOOL_BORDER);
    w.Click(40, 60), w.Click(200, 60), w.Click(200, 160), w.RightClick(200, 160);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(120, 60);
    ASSERT_NE(w.ed().currentPiece(), nullptr);
    bw::Rect box = w.ed().currentPiece()->region.Box();
    box.Inflate(5, 5);
    const COLORREF frame = RGB(255, 0, 0);  // the frame's pen XOR white
    const int midX = (box.left + box.right) / 2, midY = (box.top + box.bottom) / 2;
    for (int pass = 0; pass < 2; ++pass) {  // drawn at once, then by a full repaint
        EXPECT_EQ(w.Pixel(box.left, midY), frame);
        EXPECT_EQ(w.Pixel(box.right, midY + 10), frame);
        EXPECT_EQ(w.Pixel(midX, box.top), frame);
        EXPECT_EQ(w.Pixel(midX - 10, box.bottom), frame);
        InvalidateRect(w.hwnd(), nullptr, TRUE);
    }
    w.Key(VK_RIGHT);  // the frame goes with the border
    EXPECT_EQ(w.Pixel(box.left, midY), RGB(255, 255, 255));
    EXPECT_EQ(w.Pixel(box.left + 2, midY), frame);
    w.ClickTool(ID_TOOL_HOLE);
    EXPECT_EQ(w.Pixel(box.left + 2, midY), RGB(255, 255, 255)) << "and goes with the selection";
}

TEST(Menus, AHighlightedItemsHelpShowsInTheStatusLine) {
    Window w;
    w.ClickTool(ID_TOOL_HOLE);
    HMENU bar = GetMenu(w.hwnd());
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_TABLE_CHECK, MF_HILITE), reinterpret_cast<LPARAM>(GetSubMenu(bar, 4)));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Play the table 1,000 times and show what happened");
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_NEW, MF_HILITE), reinterpret_cast<LPARAM>(GetSubMenu(bar, 0)));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Start a new, empty table");
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, MF_HILITE | MF_POPUP), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "");
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menus closed
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Hole");
}

// A real message box, measured and closed by a timer.
RECT boxRect;
std::string boxText;
void CALLBACK MeasureBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND d = FindWindowA("#32770", nullptr);
    if (!d || !IsWindowVisible(d) || GetWindowThreadProcessId(d, nullptr) != GetCurrentThreadId()) return;
    KillTimer(nullptr, timer);
    GetWindowRect(d, &boxRect);
    boxText = win::ControlText(GetDlgItem(d, 0xFFFF));
    PostMessageA(d, WM_COMMAND, IDOK, 0);
}

TEST(Messages, ALongPathsMessageFitsTheScreenAndKeepsTheDriveAndTheName) {
    Window w;
    const std::string path = "C:\\" + std::string(80, 'a') + "\\" + std::string(80, 'b') + "\\" +
                             std::string(80, 'c') + "\\" + std::string(50, 'd') + "\\missing table.bwt";
    ASSERT_GE(path.size(), 300u);
    boxRect = {};
    const win::MessageBoxAnswerer answerer = win::SetMessageBoxAnswerer({});  // a real box
    SetTimer(nullptr, 0, 30, MeasureBox);
    EXPECT_FALSE(w.dlg().LoadTable(path));
    win::SetMessageBoxAnswerer(answerer);
    EXPECT_GT(boxRect.right, boxRect.left) << "the box was shown";
    EXPECT_GE(boxRect.left, 0);
    EXPECT_LE(boxRect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(boxRect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(boxText, "C:\\…\\" + std::string(50, 'd') + "\\missing table.bwt\nThis path is too long.");
}

// The width a control's text takes in the control's own font.
LONG TextWidth(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    const std::wstring wide = bw::Wide(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

TEST(WholeTexts, TheStatusLineTheCheckWindowAndTheReplayDialogs) {
    Window w;
    HWND status = GetDlgItem(w.hwnd(), IDC_STATUS);
    RECT r{};
    GetClientRect(status, &r);
    for (UINT id : {UINT(IDS_REPLAY_PLAYING), UINT(ID_TOOL_POINTER), UINT(ID_TABLE_CHECK), UINT(ID_DOWNLOAD_PLAYER)})
        EXPECT_LE(TextWidth(status, win::LoadResString(id)), r.right) << win::LoadResString(id);

    // The findings: traps before a long list of unreached pieces, each line
    // reachable whole, and a window that grows with its list.
    bw::PlaytestReport report;
    for (int i = 0; i < 120; ++i) report.pieces.push_back({"obstacle10", i, 5, 0, true});
    report.traps.push_back({true, 60, 90, 400, 12, {0, 1, 2, 3, 4, 5}});
    ui::CheckDialog check;
    ASSERT_TRUE(check.Create(w.hwnd()));
    ShowWindow(check.hwnd(), SW_SHOW);
    check.ShowFindings(report);
    HWND list = GetDlgItem(check.hwnd(), IDC_CHECK_FINDINGS);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 121);
    wchar_t first[512] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    const std::string trap = bw::Utf8(first);
    EXPECT_EQ(trap.rfind("Trap: ", 0), 0u) << trap;
    EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), TextWidth(list, trap)) << "the whole line can be seen";
    EXPECT_TRUE(GetWindowLongPtrW(check.hwnd(), GWL_STYLE) & WS_THICKFRAME);
    RECT before{}, listBefore{}, after{}, listAfter{};
    GetWindowRect(check.hwnd(), &before);
    GetWindowRect(list, &listBefore);
    SetWindowPos(check.hwnd(), nullptr, 0, 0, before.right - before.left + 200, before.bottom - before.top + 100,
                 SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(check.hwnd(), &after);
    GetWindowRect(list, &listAfter);
    EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + (after.right - after.left) -
                                                    (before.right - before.left));
    EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + (after.bottom - after.top) -
                                                    (before.bottom - before.top));
    SetWindowPos(check.hwnd(), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(check.hwnd(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "never smaller than it opens";
    DestroyWindow(check.hwnd());

    // The replay dialogs are titled for what they do.
    test::FileDialogs dialogs;
    dialogs.Cancel();
    w.Command(ID_TABLE_OPEN_REPLAY);
    w.StartWithoutTimer();
    w.Tick();
    SendMessageW(GetDlgItem(w.hwnd(), IDC_EDIT_MODE), BM_CLICK, 0, 0);
    dialogs.Cancel();
    w.Command(ID_TABLE_SAVE_REPLAY);
    ASSERT_EQ(dialogs.Seen().size(), 2u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Open replay");
    EXPECT_EQ(dialogs.Seen()[1].title, "Save replay");
}

}  // namespace
