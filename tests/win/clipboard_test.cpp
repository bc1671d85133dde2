// Cut, Copy and Paste with the table's own text on the system clipboard:
// from one window to another, text that is no table refused by line, and
// text longer than Paste takes left unread. (Where pasted pieces land and
// what the budget allows are tested natively, through the editor.)
#include <windows.h>

#include "files/table_file.h"
#include "files/table_text.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/clipboard.h"

namespace {

using test::Window;

std::string TextOf(Window& w) { return bw::TableToText(w.root()); }

TEST(Clipboard, APieceCopiedInOneTableIsPastedInAnother) {
    Window first;
    first.ClickTool(ID_TOOL_BORDER);
    for (POINT p : {POINT{20, 20}, POINT{100, 20}, POINT{100, 100}}) first.Click(p.x, p.y);
    first.RightClick(100, 100);
    first.ClickTool(ID_TOOL_POINTER);
    first.Click(60, 20);
    first.Command(ID_EDIT_COPY);
    EXPECT_EQ(win::ClipboardText(first.hwnd(), 1000), "# Bumpwright table\r\nborder 10 10, 50 10, 50 50\r\n");
    first.Command(ID_EDIT_CUT);
    EXPECT_EQ(first.root().FirstChild(), nullptr);

    Window second;
    second.Command(ID_EDIT_PASTE);
    EXPECT_EQ(TextOf(second), "# Bumpwright table\nborder 10 10, 50 10, 50 50\n");
    EXPECT_NE(second.Pixel(60, 20), RGB(255, 255, 255)) << "and shown";
}

TEST(Clipboard, TextThatIsNoTableIsRefusedByLineAndTooLongATextIsNotRead) {
    Window w;
    test::MessageBoxes boxes;
    ASSERT_TRUE(win::SetClipboardText(w.hwnd(), "Dear Sir,\nthank you\n"));
    w.Command(ID_EDIT_PASTE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "The clipboard does not hold pieces of a Bumpwright table:\nline 1: unknown piece \"Dear\"");

    // Text longer than Paste takes is not even read whole: one hole behind
    // a long comment is refused as too much.
    ASSERT_TRUE(win::SetClipboardText(w.hwnd(), "hole 10 10 #" + std::string(bw::kMaxPasteBytes, '-') + "\n"));
    w.Command(ID_EDIT_PASTE);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text.rfind("The Pinball Table you've created is too complex", 0), 0u);
    EXPECT_EQ(w.root().FirstChild(), nullptr);
    EXPECT_EQ(win::ClipboardText(w.hwnd(), 20).value_or("").size(), 20u) << "the read stops where it is told";
}

}  // namespace
