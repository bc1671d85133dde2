// Undo and Redo through the window, as a user gives them: the Edit menu's
// keys, every action one step, the saved state following the history,
// and play leaving the history alone.
#include <windows.h>

#include <functional>

#include "files/table_file.h"
#include "res/resource.h"
#include "tests/win/test_support.h"

namespace {

using test::Window;

struct Seen {
    std::vector<uint8_t> bytes;
    int32_t records;
    bool operator==(const Seen&) const = default;
};

Seen Now(Window& w) { return {bw::TableFileBytes(w.root()), w.ed().recordCount()}; }

bool Grayed(Window& w, UINT command) {
    HMENU edit = GetSubMenu(GetMenu(w.hwnd()), 1);
    SendMessageA(w.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return (GetMenuState(edit, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST(Undo, MixedEditsGoBackAndForthAndTheSavedStateFollows) {
    Window w;
    test::MessageBoxes boxes;
    EXPECT_TRUE(Grayed(w, ID_EDIT_UNDO));
    // Each a user action, and each one step of the history.
    const std::function<void()> actions[] = {
        [&] { w.ClickTool(ID_TOOL_OBSTACLE10), w.Click(40, 40); },
        [&] { w.ClickTool(ID_TOOL_CANNON), w.Click(200, 180); },
        [&] { w.ClickTool(ID_TOOL_BORDER), w.Click(20, 150), w.Click(100, 150), w.Click(100, 100), w.RightClick(100, 100); },
        [&] { w.ClickTool(ID_TOOL_POINTER), w.Press(40, 40), w.Move(60, 80), w.Release(60, 80); },
        [&] { w.Key(VK_RIGHT), w.Key(VK_RIGHT), w.Key(VK_DOWN); },
        [&] { w.Key(VK_DELETE); },
        [&] { boxes.Answer(IDYES), w.Command(IDC_CLEAR); },
    };
    std::vector<Seen> after{Now(w)};
    for (const auto& act : actions) act(), after.push_back(Now(w));
    EXPECT_EQ(after.back().records, 1);
    EXPECT_TRUE(Grayed(w, ID_EDIT_REDO));
    EXPECT_FALSE(Grayed(w, ID_EDIT_UNDO));

    for (size_t i = after.size() - 1; i > 0; --i) {
        w.CtrlKey('Z');
        EXPECT_EQ(Now(w), after[i - 1]) << "undo to step " << i - 1;
    }
    EXPECT_EQ(w.Pixel(40, 40), RGB(255, 255, 255)) << "the window shows the table undone";
    w.CtrlKey('Z');  // nothing more to undo
    EXPECT_EQ(Now(w), after[0]);
    EXPECT_TRUE(Grayed(w, ID_EDIT_UNDO));
    for (size_t i = 1; i < after.size(); ++i) {
        w.CtrlKey(i % 2 ? 'Y' : 'Z', i % 2 == 0);  // Ctrl+Y and Ctrl+Shift+Z
        EXPECT_EQ(Now(w), after[i]) << "redo to step " << i;
        if (i == 1) {
            EXPECT_NE(w.Pixel(40, 40), RGB(255, 255, 255)) << "the obstacle is shown again";
        }
    }

    // The saved state follows the history, and play leaves it alone.
    test::TempFolder folder;
    test::FileDialogs dialogs;
    boxes.shown.clear();
    ASSERT_EQ(w.root().FirstChild(), nullptr) << "the last step redone was Clear";
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(40, 40);
    dialogs.Type(folder.File("kept"));
    w.Command(ID_FILE_SAVE);
    w.ClickTool(ID_TOOL_POINTER);
    w.Click(40, 40);
    w.Key(VK_LEFT);
    EXPECT_FALSE(w.ed().saved());
    w.Command(ID_EDIT_UNDO);
    EXPECT_TRUE(w.ed().saved());
    ASSERT_EQ(w.ed().currentPiece(), w.root().FirstChild()) << "the selection stays on its piece";
    EXPECT_EQ(bw::Placed(*w.ed().currentPiece()).x, 20);
    EXPECT_TRUE(w.dlg().QuerySaveChanges());  // asks nothing
    w.Command(ID_EDIT_REDO);
    EXPECT_FALSE(w.ed().saved());
    EXPECT_EQ(w.Title(), "kept.bwt - Bumpwright");
    // Play keeps the history and undoes nothing.
    w.Command(IDC_START);
    w.Command(ID_EDIT_UNDO);
    EXPECT_TRUE(Grayed(w, ID_EDIT_UNDO));
    w.Command(IDC_EDIT_MODE);
    EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 19);
    w.Command(ID_EDIT_UNDO);
    w.Command(ID_EDIT_UNDO);  // before the hole: unsaved again, selection gone
    EXPECT_FALSE(w.ed().saved());
    EXPECT_EQ(w.ed().currentPiece(), nullptr);
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
