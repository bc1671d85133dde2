// Getting back to tables: the recent list across a restart, a file dropped
// on the window, the copy of unsaved changes after the program was ended
// without saving, and a table named by a relative path that is saved where
// its title says.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "files/table_file.h"
#include "files/table_text.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/recent_tables.h"
#include "win/recovery_store.h"

namespace {

using test::Window;

std::string MenuText(HMENU menu, UINT command) {
    char text[MAX_PATH + 8] = {};
    GetMenuStringA(menu, command, text, sizeof text, MF_BYCOMMAND);
    return text;
}

// A file dropped on the window, as the shell sends it.
void Drop(Window& w, const std::string& path) {
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + path.size() + 2);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path.c_str(), path.size() + 1);
    GlobalUnlock(drop);
    SendMessageA(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

TEST(Reopening, OpenedAndDroppedTablesAreRecentAfterARestart) {
    test::TempFolder folder;
    const std::string one = folder.File("one.bwt"), two = folder.File("two.bwt");
    test::WriteTableFile(one, "hole 10 10\n");
    test::WriteTableFile(two, "cannon 60 90\n");
    {
        Window w;
        test::FileDialogs dialogs;
        dialogs.Type(one);
        w.Command(ID_FILE_OPEN);
        w.ClickTool(ID_TOOL_HOLE);
        w.Click(40, 40);
        test::MessageBoxes boxes;
        boxes.Answer(IDNO);
        Drop(w, two);  // opened after the unsaved prompt
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Pinball Table is not saved.  Would you like to save it?"});
        EXPECT_EQ(w.Title(), "two.bwt - Bumpwright");
        EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 60);
    }
    Window w;
    HMENU file = GetSubMenu(GetMenu(w.hwnd()), 0);
    EXPECT_TRUE(MenuText(file, ID_FILE_RECENT_FIRST).ends_with("two.bwt")) << MenuText(file, ID_FILE_RECENT_FIRST);
    EXPECT_TRUE(MenuText(file, ID_FILE_RECENT_FIRST + 1).ends_with("one.bwt"));
    w.Command(ID_FILE_RECENT_FIRST + 1);
    EXPECT_EQ(w.Title(), "one.bwt - Bumpwright");
    EXPECT_TRUE(MenuText(file, ID_FILE_RECENT_FIRST).ends_with("one.bwt")) << "opened last, first in the list";

    // A table that is gone: a message, and it leaves the list.
    DeleteFileA(two.c_str());
    test::MessageBoxes boxes;
    w.Command(ID_FILE_RECENT_FIRST + 1);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{two + " was not found.\nIt is taken off the list of recent tables."});
    EXPECT_EQ(w.Title(), "one.bwt - Bumpwright");
    EXPECT_FALSE(MenuText(file, ID_FILE_RECENT_FIRST + 1).ends_with("two.bwt"));
    // Four at most, newest first, each once whatever its letter case.
    win::RecentTables recent;
    for (const char* path : {"C:\\a.bwt", "C:\\b.bwt", "C:\\c.bwt", "C:\\A.BWT", "C:\\d.bwt", "C:\\e.bwt"}) recent.Add(path);
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"C:\\e.bwt", "C:\\d.bwt", "C:\\A.BWT", "C:\\c.bwt"}));
}

TEST(Reopening, WithATableNamedAtStartTheUserChoosesBetweenItAndTheChanges) {
    test::TempFolder folder;
    const std::string table = folder.File("mine.bwt"), other = folder.File("other.bwt");
    const std::string copy = folder.File("Recovery-1.txt");
    test::WriteTableFile(table, "hole 10 10\n");
    test::WriteTableFile(other, "obstacle10 30 30\n");
    auto start = [&](const std::string& named) {
        auto dialog = std::make_unique<ui::TableDialog>();
        dialog->recovery = win::RecoveryStore::Open(folder.path());
        dialog->SetFilePath(named);
        return std::make_unique<Window>(std::move(dialog));
    };
    {
        auto w = start(table);
        w->ClickTool(ID_TOOL_OBSTACLE50);
        w->Click(100, 100);
        SendMessageA(w->hwnd(), WM_TIMER, ui::TableDialog::kRecoveryTimer, 0);
        ASSERT_TRUE(test::Exists(copy));
    }  // ended as in a crash
    test::MessageBoxes boxes;
    const std::string question = "Bumpwright was not closed properly last time.\n\nRestore the unsaved changes to " +
                                 table + " instead of opening " + other + "?\n\nNo opens " + other +
                                 " and drops those changes.";
    boxes.Answer(IDYES);
    {
        auto w = start(other);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{question});
        EXPECT_EQ(w->Title(), "mine.bwt - Bumpwright") << "the changes, as chosen";
        EXPECT_FALSE(w->ed().saved());
    }  // ended as in a crash again: the copy stays
    ASSERT_TRUE(test::Exists(copy));
    boxes.Answer(IDNO);
    auto w = start(other);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{question, question}));
    EXPECT_EQ(w->Title(), "other.bwt - Bumpwright") << "the table named, as chosen";
    EXPECT_TRUE(w->ed().saved());
    EXPECT_FALSE(test::Exists(copy)) << "the changes were dropped, as the question said";
}

// A copy chosen to be restored that cannot be read (written by a newer
// version, or longer than a copy can be, so that reading it would cut off
// pieces) is said to be so and kept for a later start.
TEST(Reopening, ACopyThatCannotBeReadIsSaidToBeSoAndKept) {
    const std::string head = "# Bumpwright recovery of: C:\\tables\\new.bwt\nhole 10 10\n";
    const struct { const char* what; std::string text; } cases[] = {
        {"a newer version's", head + "spinner 40 40\n"},
        {"too long", head + std::string(1 << 20, '#') + "\nobstacle10 50 50\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder folder;
        const std::string copy = folder.File("Recovery-1.txt");
        test::WriteAll(copy, c.text);
        const std::string question =
            "Bumpwright was not closed properly last time.\n\nRestore the unsaved changes to C:\\tables\\new.bwt?";
        test::MessageBoxes boxes;
        boxes.Answer(IDYES);
        {
            auto dialog = std::make_unique<ui::TableDialog>();
            dialog->recovery = win::RecoveryStore::Open(folder.path());
            Window w(std::move(dialog));
            EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                         question, "The unsaved changes kept in " + copy +
                                                       " cannot be read: the copy is too long, damaged, or written by "
                                                       "a newer version of Bumpwright.\n\nThey were not restored; "
                                                       "the copy stays where it is."}));
            EXPECT_EQ(w.Title(), "Bumpwright");
            EXPECT_EQ(bw::TableToText(w.root()), "# Bumpwright table\n");
            EXPECT_TRUE(test::ReadAll(copy) == c.text) << "the copy is kept as it was";
            boxes.Answer(IDNO);
            w.Command(ID_APP_EXIT);
        }
        EXPECT_TRUE(test::ReadAll(copy) == c.text) << "kept after a normal end";
        auto dialog = std::make_unique<ui::TableDialog>();
        dialog->recovery = win::RecoveryStore::Open(folder.path());
        Window w(std::move(dialog));  // offered again, and refused
        EXPECT_EQ(boxes.Texts().back(), question);
        EXPECT_FALSE(test::Exists(copy));
    }
}

TEST(Reopening, ATableNamedRelativelyIsSavedWhereItsTitleSays) {
    test::TempFolder a, b;
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    test::WriteTableFile(a.File("rel.bwt"), "hole 10 10\n");
    test::WriteTableFile(b.File("rel.bwt"), "hole 99 99\n");
    const auto bBefore = test::ReadAll(b.File("rel.bwt"));
    SetCurrentDirectoryA(a.path().c_str());
    auto dialog = std::make_unique<ui::TableDialog>();
    dialog->SetFilePath("rel.bwt");  // as from the command line
    Window w(std::move(dialog));
    EXPECT_EQ(w.ed().FilePath(), a.File("rel.bwt"));
    {
        test::FileDialogs dialogs;
        dialogs.Cancel();
        w.Command(ID_FILE_OPEN);
    }
    char now[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof now, now);
    EXPECT_EQ(std::string(now), a.path()) << "no dialog changes the current folder";
    SetCurrentDirectoryA(b.path().c_str());  // and if anything else does, the file stays where it was
    w.ClickTool(ID_TOOL_HOLE);
    w.Click(80, 80);
    w.Command(ID_FILE_SAVE);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(test::ReadAll(a.File("rel.bwt")), test::TableBytes({{10, 10, 7}, {40, 40, 7}, {0, 0, 0}}));
    EXPECT_EQ(test::ReadAll(b.File("rel.bwt")), bBefore);
    EXPECT_EQ(w.Title(), "rel.bwt - Bumpwright");
}

}  // namespace
