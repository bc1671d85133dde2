// What a user reaches and reads without surprises: every tool from the
// keyboard and the Tools menu, File › New, the menus' help in the status
// line, message boxes that fit the screen and name what was refused, and
// texts shown whole.
#include "tests/win/test_support.h"

#include <map>

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
    w.Key('4');
    w.CtrlKey('1');
    EXPECT_TRUE(w.ToolChecked(ID_TOOL_HOLE)) << "Ctrl with a digit is no tool key";
}

// The unsaved question comes first; what New gives is tested natively.
TEST(FileNew, AsksAboutUnsavedChangesThenShowsAnEmptyTableWithoutAFile) {
    test::TempFolder folder;
    Window w;
    w.Load(folder.File("kept.bwt"), "hole 20 20\n");
    w.ClickTool(ID_TOOL_OBSTACLE50);
    w.Click(100, 100);
    test::MessageBoxes boxes;
    boxes.Answer(IDCANCEL);
    w.CtrlKey('N');
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Pinball Table is not saved.  Would you like to save it?");
    EXPECT_EQ(w.Title(), "kept.bwt - Bumpwright") << "Cancel keeps the table";
    EXPECT_NE(w.root().FirstChild(), nullptr);

    boxes.Answer(IDNO);
    w.Command(ID_FILE_NEW);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(w.Title(), "Bumpwright");
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.Pixel(40, 40), RGB(255, 255, 255)) << "the old table is gone from the screen";
    EXPECT_FALSE(w.ToolChecked(ID_TOOL_OBSTACLE50));
}

LONG TextWidth(HWND control, const std::string& text);

// Every item of the menus, in the order they show, with its help.
void CollectHelp(Window& w, HMENU menu, std::vector<std::pair<UINT, std::string>>& help) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectHelp(w, sub, help);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)) continue;
        SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE), reinterpret_cast<LPARAM>(menu));
        help.push_back({id, w.ControlText(IDC_STATUS)});
    }
}

TEST(Menus, EveryItemSaysWhatItDoesAndARecentTableWhichFileItOpens) {
    test::TempFolder folder;
    Window w;
    const std::string recent = folder.File(std::string(60, 'f') + "\\recent.bwt");
    CreateDirectoryA(folder.File(std::string(60, 'f')).c_str(), nullptr);
    w.Load(recent, "hole 10 10\n");
    std::vector<std::pair<UINT, std::string>> help;
    CollectHelp(w, GetMenu(w.hwnd()), help);
    ASSERT_GT(help.size(), 40u);
    std::map<std::string, UINT> seen;
    for (const auto& [id, text] : help) {
        EXPECT_NE(text, "") << "item " << id;
        EXPECT_TRUE(seen.emplace(text, id).second) << "items " << seen[text] << " and " << id << ": " << text;
    }
    auto helpOf = [&](UINT id) {
        for (const auto& [item, text] : help)
            if (item == id) return text;
        return std::string("(no item)");
    };
    EXPECT_EQ(helpOf(ID_VIEW_ZOOM_IN), "Show the table larger");
    EXPECT_EQ(helpOf(ID_VIEW_ZOOM_DEFAULT), "Show the table at the size the screen's scale gives it");
    // The whole path where it fits the line, otherwise shortened in the
    // middle, its drive and its name kept.
    const std::string open = helpOf(ID_FILE_RECENT_FIRST);
    EXPECT_TRUE(open.starts_with("Open " + recent.substr(0, 3)) && open.ends_with("\\recent.bwt")) << open;
    HWND status = GetDlgItem(w.hwnd(), IDC_STATUS);
    RECT line{};
    GetClientRect(status, &line);
    EXPECT_LE(TextWidth(status, open), line.right) << open;
    // A submenu highlighted says nothing; once the menus close the line
    // shows the tool again.
    w.ClickTool(ID_TOOL_HOLE);
    HMENU bar = GetMenu(w.hwnd());
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_NEW, MF_HILITE), reinterpret_cast<LPARAM>(GetSubMenu(bar, 0)));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "Start a new, empty table");
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, MF_HILITE | MF_POPUP), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(w.ControlText(IDC_STATUS), "");
    SendMessageA(w.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
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

TEST(WholeTexts, TheStatusLineAndTheCheckWindow) {
    Window w;
    HWND status = GetDlgItem(w.hwnd(), IDC_STATUS);
    RECT r{};
    GetClientRect(status, &r);
    for (UINT id : {UINT(IDS_REPLAY_PLAYING), UINT(ID_TOOL_POINTER), UINT(ID_TABLE_CHECK), UINT(ID_DOWNLOAD_PLAYER)})
        EXPECT_LE(TextWidth(status, win::LoadResString(id)), r.right) << win::LoadResString(id);

    // The findings: traps, then a ball that never drains, before a long
    // list of unreached pieces, each line reachable whole, and a window that
    // grows with its list.
    bw::PlaytestReport report;
    for (int i = 0; i < 120; ++i) report.pieces.push_back({"obstacle10", i, 5, 0, true});
    report.traps.push_back({true, 60, 90, 400, 12, {0, 1, 2, 3, 4, 5}});
    report.games = report.endless = 1000;
    report.tickLimit = 3000;
    ui::CheckDialog check;
    ASSERT_TRUE(check.Create(w.hwnd()));
    ShowWindow(check.hwnd(), SW_SHOW);
    check.ShowFindings(report);
    HWND list = GetDlgItem(check.hwnd(), IDC_CHECK_FINDINGS);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 122);
    wchar_t first[512] = {}, second[512] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(second));
    const std::string trap = bw::Utf8(first);
    EXPECT_EQ(trap.rfind("Trap: ", 0), 0u) << trap;
    EXPECT_EQ(bw::Utf8(second), "Endless: the ball never drains: 1,000 of 1,000 games reached 3,000 ticks");
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
}

}  // namespace
