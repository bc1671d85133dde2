// The Edit menu in the real window: its keys and items reach the editor's
// commands, the menu greys what cannot be done, and the window shows what
// a command left. (What the commands do to the table, the history and the
// saved state are tested natively, through the editor.)
#include "tests/win/test_support.h"

#include "files/table_text.h"

namespace {

using test::Window;

constexpr COLORREF kWhite = RGB(255, 255, 255);

bool Grayed(Window& w, UINT command) {
    HMENU edit = GetSubMenu(GetMenu(w.hwnd()), 1);
    SendMessageA(w.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return (GetMenuState(edit, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST(EditMenu, CtrlZUndoesCtrlYAndCtrlShiftZRedoAndTheMenuGreysWhatThereIsNoneOf) {
    Window w;
    EXPECT_TRUE(Grayed(w, ID_EDIT_UNDO));
    EXPECT_TRUE(Grayed(w, ID_EDIT_REDO));
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(40, 40);
    const COLORREF hole = w.Pixel(40, 40);
    ASSERT_NE(hole, kWhite);
    EXPECT_FALSE(Grayed(w, ID_EDIT_UNDO));
    w.CtrlKey('Z');
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(w.Pixel(40, 40), kWhite) << "the window shows the table undone";
    EXPECT_TRUE(Grayed(w, ID_EDIT_UNDO));
    EXPECT_FALSE(Grayed(w, ID_EDIT_REDO));
    w.CtrlKey('Y');
    EXPECT_EQ(w.Pixel(40, 40), hole) << "and redone";
    EXPECT_TRUE(Grayed(w, ID_EDIT_REDO));
    w.CtrlKey('Z');
    w.CtrlKey('Z', true);
    EXPECT_NE(w.root().FirstChild(), nullptr) << "Ctrl+Shift+Z redoes too";
    EXPECT_EQ(w.Pixel(40, 40), hole);
}

// Each command on the selection, by its key or else its menu item, leaves
// the table as the editor's own command leaves the same table.
TEST(EditMenu, EachCommandsKeyOrItemDoesWhatTheEditorsCommandDoes) {
    using E = bw::Editor;
    const struct { const char* name; UINT key; bool shift; UINT item; void (*command)(E&); } cases[] = {
        {"Ctrl+X", 'X', false, 0, [](E& e) { e.Cut(); }},
        {"Edit › Delete", 0, false, ID_EDIT_DELETE, [](E& e) { e.Delete(); }},
        {"Ctrl+D", 'D', false, 0, [](E& e) { e.Duplicate(); }},
        {"Ctrl+M", 'M', false, 0, [](E& e) { e.Mirror(); }},
        {"Ctrl+Shift+M", 'M', true, 0, [](E& e) { e.MirrorCopy(); }},
        {"Align left", 0, false, ID_EDIT_ALIGN_LEFT, [](E& e) { e.Align(bw::Alignment::Left); }},
        {"Align centre", 0, false, ID_EDIT_ALIGN_CENTRE, [](E& e) { e.Align(bw::Alignment::Centre); }},
        {"Align right", 0, false, ID_EDIT_ALIGN_RIGHT, [](E& e) { e.Align(bw::Alignment::Right); }},
        {"Align top", 0, false, ID_EDIT_ALIGN_TOP, [](E& e) { e.Align(bw::Alignment::Top); }},
        {"Align middle", 0, false, ID_EDIT_ALIGN_MIDDLE, [](E& e) { e.Align(bw::Alignment::Middle); }},
        {"Align bottom", 0, false, ID_EDIT_ALIGN_BOTTOM, [](E& e) { e.Align(bw::Alignment::Bottom); }},
        {"Distribute horizontally", 0, false, ID_EDIT_DISTRIBUTE_ACROSS, [](E& e) { e.Distribute(false); }},
        {"Distribute vertically", 0, false, ID_EDIT_DISTRIBUTE_DOWN, [](E& e) { e.Distribute(true); }},
    };
    const std::string three = "obstacle10 20 20\nhole 50 45\nobstacle100 100 85\n";
    test::TempFolder folder;
    Window w;
    test::MessageBoxes boxes;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w.Load(folder.File("three.bwt"), three);
        w.CtrlKey('A');
        c.item ? w.Command(c.item) : w.CtrlKey(c.key, c.shift);
        const std::string shown = bw::TableToText(w.root());
        EXPECT_NE(shown, "# Bumpwright table\n" + three);
        w.Load(folder.File("three.bwt"), three);
        w.ed().SelectAll();
        c.command(w.ed());
        EXPECT_EQ(bw::TableToText(w.root()), shown);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
