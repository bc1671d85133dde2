// Open, Save, Save As, Exit and closing the window, with real files in a
// folder of the test's own and the system's file dialogs answered as a user
// would answer them: the names they store, the questions they ask, the
// window title and the unsaved prompt.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/win/file_support.h"
#include "tests/win/test_support.h"

namespace {

using test::Bytes;
using test::TableBytes;

const char kUnsavedQuestion[] = "Pinball Table is not saved.  Would you like to save it?";

class FileCommands : public ::testing::Test {
protected:
    ~FileCommands() override {
        window.reset();
        test::RemoveTree(folder.path());
    }

    std::string In(const std::string& name) const { return folder.File(name); }
    ui::TableDialog& dlg() { return window->dlg(); }
    test::Window& w() { return *window; }

    // A 10-point obstacle placed with the mouse at table (x, y).
    void PlaceObstacle(int x, int y) {
        w().ClickTool(ID_TOOL_OBSTACLE10);
        w().Click(2 * x, 2 * y);
    }

    bool WindowOpen() const { return window->hwnd() && IsWindow(window->hwnd()); }

    test::TempFolder folder;
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    std::unique_ptr<test::Window> window = std::make_unique<test::Window>();
};

// ---- saving ------------------------------------------------------------------------

TEST_F(FileCommands, SaveWithoutAFileAsksForANameThenWritesTheTable) {
    PlaceObstacle(20, 30);
    ASSERT_FALSE(dlg().saved);
    dialogs.Type(In("table1"));
    w().Command(ID_FILE_SAVE);

    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Save As");
    EXPECT_EQ(dialogs.Seen()[0].nameField, "*.bwt");
    // Header, the obstacle at (20, 30), the end record.
    EXPECT_EQ(test::ReadBytes(In("table1.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(std::string(dlg().filePath), In("table1.bwt"));
    EXPECT_EQ(w().Title(), "table1.bwt - Bumpwright");
    EXPECT_TRUE(dlg().saved);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(FileCommands, SaveWithAFileRewritesItWithoutAnyQuestion) {
    PlaceObstacle(20, 30);
    dialogs.Type(In("table1"));
    w().Command(ID_FILE_SAVE);
    PlaceObstacle(40, 90);
    EXPECT_FALSE(dlg().saved);

    w().Command(ID_FILE_SAVE);  // no dialog: the seam would fail the test
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(test::ReadBytes(In("table1.bwt")), TableBytes({{20, 30, 4}, {40, 90, 4}, {0, 0, 0}}));
    EXPECT_TRUE(dlg().saved);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"table1.bwt"});
}

TEST_F(FileCommands, SaveAsStartsFromTheCurrentFileAndMovesTheTitleToTheNewOne) {
    PlaceObstacle(20, 30);
    dialogs.Type(In("first"));
    w().Command(ID_FILE_SAVE_AS);
    PlaceObstacle(60, 60);
    dialogs.Type(In("second"));
    w().Command(ID_FILE_SAVE_AS);

    ASSERT_EQ(dialogs.Seen().size(), 2u);
    const std::string& offered = dialogs.Seen()[1].nameField;
    EXPECT_NE(offered.find("first.bwt"), std::string::npos) << offered;
    EXPECT_EQ(w().Title(), "second.bwt - Bumpwright");
    EXPECT_EQ(std::string(dlg().filePath), In("second.bwt"));
    EXPECT_EQ(test::ReadBytes(In("first.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(test::ReadBytes(In("second.bwt")), TableBytes({{20, 30, 4}, {60, 60, 4}, {0, 0, 0}}));
}

TEST_F(FileCommands, ACancelledSaveDialogChangesNothing) {
    PlaceObstacle(20, 30);
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE);
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(dialogs.Seen().size(), 2u);
    EXPECT_STREQ(dlg().filePath, "");
    EXPECT_FALSE(dlg().saved);
    EXPECT_EQ(w().Title(), "Bumpwright");
    EXPECT_TRUE(test::ListFolder(folder.path()).empty());

    // With a file: Save As cancelled keeps it.
    dialogs.Type(In("kept"));
    w().Command(ID_FILE_SAVE);
    PlaceObstacle(50, 50);
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(std::string(dlg().filePath), In("kept.bwt"));
    EXPECT_EQ(w().Title(), "kept.bwt - Bumpwright");
    EXPECT_FALSE(dlg().saved);
    EXPECT_EQ(test::ReadBytes(In("kept.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
}

// ---- the table file dialog ------------------------------------------------------------

TEST_F(FileCommands, EveryStoredNameEndsInLowerCaseBwt) {
    PlaceObstacle(20, 30);
    const std::pair<const char*, const char*> names[] = {
        {"Table.BWT", "Table.bwt"},      // the extension's case is put right
        {"notes.txt", "notes.txt.bwt"},  // another extension gets ".bwt" after it
        {"demo.", "demo.bwt"},           // a final full stop gets "bwt"
        {"plain", "plain.bwt"},
        {"ready.bwt", "ready.bwt"},
    };
    std::vector<std::string> expected;
    for (const auto& [typed, stored] : names) {
        SCOPED_TRACE(typed);
        dialogs.Type(In(typed));
        w().Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(std::string(dlg().filePath), In(stored));
        EXPECT_EQ(w().Title(), std::string(stored) + " - Bumpwright");
        expected.push_back(stored);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::ListFolder(folder.path()), expected);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(FileCommands, ANameTheTalvikRefusesKeepsTheDialogOpen) {
    PlaceObstacle(20, 30);
    dialogs.Type(In("bad#name"));
    dialogs.Type(In("good name"));
    w().Command(ID_FILE_SAVE_AS);

    ASSERT_EQ(boxes.Shown().size(), 1u);
    const win::MessageBoxRequest& box = boxes.Shown()[0];
    // The full path is shown; the name part, with its extension, is judged.
    EXPECT_EQ(box.text, In("bad#name.bwt") + "\nThe above file name is invalid.");
    EXPECT_EQ(box.caption, "Save As");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    ASSERT_EQ(dialogs.Seen().size(), 2u);
    EXPECT_EQ(box.owner, dialogs.Seen()[0].dialog) << "owned by the file dialog";
    EXPECT_EQ(dialogs.Seen()[1].attempt, 1);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"good name.bwt"});
    EXPECT_EQ(w().Title(), "good name.bwt - Bumpwright");
}

TEST_F(FileCommands, TheOpenDialogChecksTheNameToo) {
    test::WriteBytes(In("bad#name.bwt"), TableBytes({{20, 30, 5}, {0, 0, 0}}));
    dialogs.Type(In("bad#name.bwt"));
    dialogs.Cancel();
    w().Command(ID_FILE_OPEN);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, In("bad#name.bwt") + "\nThe above file name is invalid.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Open");
    EXPECT_EQ(w().root().FirstChild(), nullptr);
    EXPECT_EQ(w().Title(), "Bumpwright");
}

TEST_F(FileCommands, ReplacingAFileIsAskedAndNoReturnsToTheDialog) {
    const Bytes before = TableBytes({{1, 2, 6}, {0, 0, 0}});
    test::WriteBytes(In("old.bwt"), before);
    PlaceObstacle(20, 30);

    boxes.Answer(IDNO);
    dialogs.Type(In("old"));
    dialogs.Type(In("new"));
    w().Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, In("old.bwt") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(boxes.Shown()[0].caption, "Save As");
    EXPECT_EQ(boxes.Shown()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(dialogs.Seen().size(), 2u);
    EXPECT_EQ(test::ReadBytes(In("old.bwt")), before);
    EXPECT_EQ(test::ReadBytes(In("new.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));

    boxes.Answer(IDYES);
    dialogs.Type(In("old"));
    w().Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(test::ReadBytes(In("old.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(w().Title(), "old.bwt - Bumpwright");
}

TEST_F(FileCommands, APathTooLongForTheBuffersIsRefusedNeverCut) {
    PlaceObstacle(20, 30);
    // A deep folder, so that "table.bwt" in it makes a path of 259
    // characters, the longest there is.
    const std::string deep = In(std::string(MAX_PATH - 1 - 10 - folder.path().size() - 1, 'd'));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_EQ((deep + "\\table.bwt").size(), static_cast<size_t>(MAX_PATH - 1));

    // One character more would need 260.
    dialogs.Type(deep + "\\table1");
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, deep + "\\table1\nThis path is too long.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Save As");
    EXPECT_EQ(dialogs.Seen().size(), 2u) << "the dialog stays open";
    EXPECT_TRUE(test::ListFolder(deep).empty());
    EXPECT_STREQ(dlg().filePath, "");

    dialogs.Type(deep + "\\table");
    w().Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(std::string(dlg().filePath), deep + "\\table.bwt");
    EXPECT_EQ(test::ReadBytes(deep + "\\table.bwt"), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(test::ListFolder(deep), std::vector<std::string>{"table.bwt"});
    EXPECT_EQ(w().Title(), "table.bwt - Bumpwright");

    // Typed with its extension, in whatever case, the longest path fits too.
    dialogs.Type(deep + "\\tabl2.BWT");
    w().Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(std::string(dlg().filePath), deep + "\\tabl2.bwt");
    EXPECT_EQ(test::ListFolder(deep), (std::vector<std::string>{"tabl2.bwt", "table.bwt"}));
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

// ---- opening ---------------------------------------------------------------------------

TEST_F(FileCommands, OpenReplacesTheTableAndResetsTheWindow) {
    // A 50-point obstacle, a hole, a cannon and a border of two segments.
    test::WriteBytes(In("full.bwt"), TableBytes({{20, 30, 5},
                                                 {40, 40, 7},
                                                 {60, 90, 10},
                                                 {10, 10, 1},
                                                 {50, 10, 11},
                                                 {50, 60, 11},
                                                 {0, 0, 0},
                                                 {0, 0, 0}}));
    PlaceObstacle(100, 20);
    ASSERT_EQ(w().ControlText(IDC_STATUS), "10-point obstacle");
    boxes.Answer(IDNO);  // the obstacle is dropped
    dialogs.Type(In("full.bwt"));
    w().Command(ID_FILE_OPEN);

    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Open");
    EXPECT_EQ(dialogs.Seen()[0].nameField, "*.bwt");
    const auto pieces = test::Pieces(w().root());
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0]->kind, bw::kObstacle50);
    EXPECT_EQ(pieces[1]->kind, bw::kHole);
    EXPECT_EQ(pieces[2]->kind, bw::kCannon);
    EXPECT_EQ(pieces[3]->kind, bw::kGroup);
    EXPECT_EQ(dlg().recordCount, 8);  // (32 bytes - 8) / 3
    EXPECT_EQ(std::string(dlg().filePath), In("full.bwt"));
    EXPECT_EQ(w().Title(), "full.bwt - Bumpwright");
    EXPECT_TRUE(dlg().saved);
    // No tool is left selected; the status line is blank; the score is 0.
    EXPECT_EQ(dlg().tool, ui::kNoTool);
    EXPECT_FALSE(w().ToolChecked(ID_TOOL_OBSTACLE10));
    EXPECT_EQ(w().ControlText(IDC_STATUS), "");
    EXPECT_EQ(w().ControlText(IDC_SCORE), "0");
    EXPECT_EQ(dlg().mode, ui::EditMode::Editing);
    // What was opened is what a save writes back.
    w().Command(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(In("full.bwt")), TableBytes({{20, 30, 5},
                                                          {40, 40, 7},
                                                          {60, 90, 10},
                                                          {10, 10, 1},
                                                          {50, 10, 11},
                                                          {50, 60, 11},
                                                          {0, 0, 0},
                                                          {0, 0, 0}}));
}

TEST_F(FileCommands, AFileWithAWrongHeaderChangesNothing) {
    test::WriteBytes(In("table.bwt"), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    test::WriteBytes(In("notes.bwt"), Bytes{'B', 'W', 'X', 0, 0, 0, 0, 0, 20, 30, 4, 0, 0, 0});
    dialogs.Type(In("table.bwt"));
    w().Command(ID_FILE_OPEN);
    PlaceObstacle(60, 60);
    PlaceObstacle(70, 60);
    ASSERT_EQ(dlg().recordCount, 4);

    boxes.Answer(IDNO);
    dialogs.Type(In("notes.bwt"));
    w().Command(ID_FILE_OPEN);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, kUnsavedQuestion);
    EXPECT_EQ(boxes.Shown()[1].text, "This is not a Bumpwright file");
    EXPECT_EQ(boxes.Shown()[1].caption, "Bumpwright");
    EXPECT_EQ(boxes.Shown()[1].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(test::Pieces(w().root()).size(), 3u);
    EXPECT_EQ(dlg().recordCount, 4);
    EXPECT_EQ(std::string(dlg().filePath), In("table.bwt"));
    EXPECT_EQ(w().Title(), "table.bwt - Bumpwright");
    EXPECT_FALSE(dlg().saved);
}

TEST_F(FileCommands, ACancelledOpenDialogChangesNothing) {
    PlaceObstacle(20, 30);
    boxes.Answer(IDNO);
    dialogs.Cancel();
    w().Command(ID_FILE_OPEN);
    EXPECT_EQ(test::Pieces(w().root()).size(), 1u);
    EXPECT_FALSE(dlg().saved);
    EXPECT_EQ(w().Title(), "Bumpwright");
}

// ---- the unsaved prompt ----------------------------------------------------------------

TEST_F(FileCommands, AnEmptyTableAtStartCountsAsSavedNothingIsAsked) {
    dialogs.Cancel();
    w().Command(ID_FILE_OPEN);
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    w().Command(ID_APP_EXIT);
    EXPECT_FALSE(WindowOpen());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(FileCommands, TheUnsavedPromptGuardsOpen) {
    PlaceObstacle(20, 30);
    boxes.Answer(IDCANCEL);
    w().Command(ID_FILE_OPEN);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, kUnsavedQuestion);
    EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
    EXPECT_EQ(boxes.Shown()[0].type, static_cast<UINT>(MB_YESNOCANCEL)) << "no icon";
    EXPECT_TRUE(dialogs.Seen().empty()) << "Cancel: no Open dialog";

    // Yes, then the Save dialog cancelled: no Open dialog either.
    boxes.Answer(IDYES);
    dialogs.Cancel();
    w().Command(ID_FILE_OPEN);
    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Save As");

    // Yes and a name: saved, then the Open dialog.
    boxes.Answer(IDYES);
    dialogs.Type(In("kept"));
    dialogs.Cancel();
    w().Command(ID_FILE_OPEN);
    ASSERT_EQ(dialogs.Seen().size(), 3u);
    EXPECT_EQ(dialogs.Seen()[2].title, "Open");
    EXPECT_EQ(test::ReadBytes(In("kept.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_TRUE(dlg().saved);
}

TEST_F(FileCommands, TheUnsavedPromptGuardsExit) {
    PlaceObstacle(20, 30);
    boxes.Answer(IDCANCEL);
    w().Command(ID_APP_EXIT);
    EXPECT_TRUE(WindowOpen());
    boxes.Answer(IDYES);
    dialogs.Cancel();
    w().Command(ID_APP_EXIT);
    EXPECT_TRUE(WindowOpen());
    boxes.Answer(IDNO);
    w().Command(ID_APP_EXIT);
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(boxes.Shown().size(), 3u);
    EXPECT_TRUE(test::ListFolder(folder.path()).empty()) << "No saves nothing";
}

TEST_F(FileCommands, YesSavesBeforeTheWindowCloses) {
    PlaceObstacle(20, 30);
    boxes.Answer(IDYES);
    dialogs.Type(In("last"));
    w().Command(ID_APP_EXIT);
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(test::ReadBytes(In("last.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
}

// The close box and the system menu's Close send the system's close
// command; Alt+F4 reaches the window as a system key.
TEST_F(FileCommands, EveryWayOfClosingAsksFirst) {
    PlaceObstacle(20, 30);
    HWND h = w().hwnd();
    boxes.Answer(IDCANCEL);
    w().Deliver(h, WM_CLOSE, 0, 0);
    boxes.Answer(IDCANCEL);
    w().Deliver(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    boxes.Answer(IDCANCEL);
    HWND focus = GetFocus() ? GetFocus() : h;
    w().Deliver(focus, WM_SYSKEYDOWN, VK_F4, 0x20000001);
    w().Deliver(focus, WM_SYSKEYUP, VK_F4, 0xE0000001);
    EXPECT_EQ(boxes.Shown().size(), 3u);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text, kUnsavedQuestion);
    EXPECT_TRUE(WindowOpen());

    boxes.Answer(IDNO);
    w().Deliver(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(WindowOpen());
}

TEST_F(FileCommands, EnterAndEscapeCloseNothingEvenWithUnsavedChanges) {
    PlaceObstacle(20, 30);
    w().Key(VK_ESCAPE);
    w().Key(VK_RETURN);
    w().Command(IDOK);
    EXPECT_TRUE(WindowOpen());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(FileCommands, LogOffIsAllowedOnlyWhenNothingWouldBeLost) {
    auto askToEnd = [&] { return SendMessageA(w().hwnd(), WM_QUERYENDSESSION, 0, 0); };
    EXPECT_EQ(askToEnd(), TRUE);
    EXPECT_TRUE(boxes.Shown().empty());

    PlaceObstacle(20, 30);
    boxes.Answer(IDCANCEL);
    EXPECT_EQ(askToEnd(), FALSE);
    boxes.Answer(IDYES);
    dialogs.Cancel();
    EXPECT_EQ(askToEnd(), FALSE);
    boxes.Answer(IDNO);
    EXPECT_EQ(askToEnd(), TRUE);
    boxes.Answer(IDYES);
    dialogs.Type(In("logoff"));
    EXPECT_EQ(askToEnd(), TRUE);
    EXPECT_EQ(test::ReadBytes(In("logoff.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(boxes.Shown().size(), 4u);
    EXPECT_TRUE(WindowOpen()) << "the window stays until the system really logs off";
}

// ---- while a table is played -------------------------------------------------------------

TEST_F(FileCommands, SavingDuringPlayStopsPlayOnceANameIsChosen) {
    PlaceObstacle(20, 30);
    w().Command(IDC_START);
    ASSERT_EQ(dlg().mode, ui::EditMode::Playing);
    ui::EditMode duringDialog = ui::EditMode::Editing;
    dialogs.whenAsked = [&](const win::FileDialogRequest&) { duringDialog = dlg().mode; };
    dialogs.Type(In("played"));
    w().Command(ID_FILE_SAVE);
    EXPECT_EQ(duringDialog, ui::EditMode::Playing) << "play goes on while the dialog is open";
    EXPECT_EQ(dlg().mode, ui::EditMode::Editing);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w().hwnd(), IDC_SEND)));
    EXPECT_EQ(test::ReadBytes(In("played.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_TRUE(dlg().saved);
}

TEST_F(FileCommands, CancellingTheSaveDialogLetsPlayGoOn) {
    PlaceObstacle(20, 30);
    w().Command(IDC_START);
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE);
    EXPECT_EQ(dlg().mode, ui::EditMode::Playing);
    w().Command(IDC_EDIT_MODE);
}

TEST_F(FileCommands, OpeningDuringPlayStopsPlayAndTheScoreShowsZero) {
    test::WriteBytes(In("next.bwt"), TableBytes({{40, 40, 7}, {0, 0, 0}}));
    PlaceObstacle(20, 30);
    w().Command(IDC_START);
    // A game under way with some points.
    dlg().state.score = 150;
    dlg().scoreText = "150";
    dlg().UpdateData(false);
    boxes.Answer(IDNO);
    dialogs.Type(In("next.bwt"));
    w().Command(ID_FILE_OPEN);
    EXPECT_EQ(dlg().mode, ui::EditMode::Editing);
    EXPECT_EQ(w().ControlText(IDC_SCORE), "0");
    EXPECT_EQ(dlg().state.score, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w().hwnd(), IDC_SEND)));
    ASSERT_EQ(test::Pieces(w().root()).size(), 1u);
    EXPECT_EQ(w().root().FirstChild()->kind, bw::kHole);
}

// ---- the title -----------------------------------------------------------------------------

TEST(Title, NamesTheFileBeforeTheApplication) {
    test::Window w;
    w.dlg().UpdateTitle("C:\\Tables\\demo.bwt");
    EXPECT_EQ(w.Title(), "demo.bwt - Bumpwright");
    w.dlg().UpdateTitle("demo.bwt");
    EXPECT_EQ(w.Title(), "demo.bwt - Bumpwright");
    w.dlg().UpdateTitle("C:/Tables/demo.bwt");  // only the backslash separates folders
    EXPECT_EQ(w.Title(), "C:/Tables/demo.bwt - Bumpwright");
    w.dlg().UpdateTitle("C:\\Tables\\");
    EXPECT_EQ(w.Title(), " - Bumpwright");
    w.dlg().UpdateTitle("");
    EXPECT_EQ(w.Title(), "Bumpwright");
    EXPECT_EQ(ui::FileNamePart(""), nullptr);
}

}  // namespace
