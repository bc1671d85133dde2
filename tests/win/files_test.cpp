// Open, Save, Save As, Exit and closing with real files in a folder of the
// test's own, the file dialogs answered as a user would: the names stored,
// the questions asked, the title, and failures reported by cause with the
// file left as it was.
#include "model/path_text.h"
#include "tests/win/test_support.h"

namespace {

const char kUnsaved[] = "Pinball Table is not saved.  Would you like to save it?";

struct Files : testing::Test {
    std::string In(const std::string& name) const { return folder.File(name); }
    void Obstacle(int x, int y) { w->ClickTool(ID_TOOL_OBSTACLE10), w->Click(2 * x, 2 * y); }
    test::TempFolder folder;
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    std::unique_ptr<test::Window> w = std::make_unique<test::Window>();
};

TEST_F(Files, SaveAsksForANameOnceAndStoresItEndingInLowerCaseBwt) {
    Obstacle(20, 30);
    dialogs.Type(In("table1")), w->Command(ID_FILE_SAVE);
    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title + " " + dialogs.Seen()[0].nameField, "Save As *.bwt");
    EXPECT_EQ(test::ReadAll(In("table1.bwt")), test::TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(w->Title(), "table1.bwt - Bumpwright");
    EXPECT_TRUE(w->ed().saved());
    Obstacle(40, 90);
    w->Command(ID_FILE_SAVE);  // no question now
    EXPECT_EQ(test::ReadAll(In("table1.bwt")), test::TableBytes({{20, 30, 4}, {40, 90, 4}, {0, 0, 0}}));
    for (const char* typed : {"Table.BWT", "notes.txt", "demo."}) dialogs.Type(In(typed)), w->Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(test::ListFolder(folder.path()), (std::vector<std::string>{"Table.bwt", "demo.bwt", "notes.txt.bwt", "table1.bwt"}));
    EXPECT_EQ(w->Title(), "demo.bwt - Bumpwright");
    EXPECT_TRUE(boxes.Shown().empty());
}

// The dialog stays open after a name the Talvik refuses, a path too long
// for the program's buffers (never cut) and a No to replacing a file.
TEST_F(Files, TheDialogRefusesBadNamesAndAsksBeforeReplacing) {
    Obstacle(20, 30);
    test::WriteAll(In("old.bwt"), "old");
    const std::string deep = In(std::string(MAX_PATH - 1 - 10 - folder.path().size() - 1, 'd'));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    for (const std::string& name : {In("bad#name"), deep + "\\table1", In("old"), In("good name")}) dialogs.Type(name);
    boxes.Answer(IDOK), boxes.Answer(IDOK), boxes.Answer(IDNO);
    w->Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[0].text, In("bad#name.bwt") + "\nThe above file name is invalid.");
    EXPECT_EQ(boxes.Shown()[0].owner, dialogs.Seen()[0].dialog) << "owned by the file dialog";
    EXPECT_EQ(boxes.Shown()[1].text, bw::ShortPath(deep + "\\table1") + "\nThis path is too long.");
    EXPECT_EQ(boxes.Shown()[2].text, In("old.bwt") + " already exists.\nDo you want to replace it?");
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.caption, "Save As");
    EXPECT_EQ(test::ReadAll(In("old.bwt")), "old");
    EXPECT_EQ(w->Title(), "good name.bwt - Bumpwright");
    dialogs.Type(deep + "\\table"), w->Command(ID_FILE_SAVE_AS);  // the longest path there is fits
    EXPECT_EQ(test::ListFolder(deep), std::vector<std::string>{"table.bwt"});
}

TEST_F(Files, OpenReplacesTheTableAndAFileThatIsNoTableChangesNothing) {
    const std::string table = test::TableBytes({{20, 30, 5}, {40, 40, 7}, {60, 90, 10}, {10, 10, 1}, {50, 10, 11}, {0, 0, 0}, {0, 0, 0}});
    test::WriteAll(In("full.bwt"), table);
    test::WriteAll(In("notes.bwt"), "BWX notes");
    Obstacle(100, 20);
    boxes.Answer(IDNO);  // the unsaved obstacle is dropped
    dialogs.Type(In("full.bwt"));
    w->Command(ID_FILE_OPEN);
    EXPECT_EQ(w->Title(), "full.bwt - Bumpwright");
    EXPECT_EQ(w->ControlText(IDC_STATUS) + w->ControlText(IDC_SCORE), "0");
    EXPECT_FALSE(w->ToolChecked(ID_TOOL_OBSTACLE10));
    dialogs.Type(In("notes.bwt"));
    w->Command(ID_FILE_OPEN);
    EXPECT_EQ(boxes.Shown().back().text, "This is not a Bumpwright file");
    EXPECT_EQ(w->Title(), "full.bwt - Bumpwright");
    w->Command(ID_FILE_SAVE);  // what was opened is what a save writes back
    EXPECT_EQ(test::ReadAll(In("full.bwt")), table);
}

TEST_F(Files, TheUnsavedQuestionGuardsOpenExitAndEveryWayOfClosing) {
    Obstacle(20, 30);
    boxes.Answer(IDCANCEL);
    w->Command(ID_FILE_OPEN);
    EXPECT_TRUE(dialogs.Seen().empty()) << "Cancel: no Open dialog";
    for (UINT message : {UINT(WM_CLOSE), UINT(WM_SYSCOMMAND)}) {
        boxes.Answer(IDCANCEL);
        w->Deliver(w->hwnd(), message, SC_CLOSE, 0);
    }
    boxes.Answer(IDYES);  // yes, then the Save dialog cancelled: still open
    dialogs.Cancel();
    w->Command(ID_APP_EXIT);
    w->Key(VK_ESCAPE), w->Key(VK_RETURN);  // close nothing, ask nothing
    ASSERT_TRUE(IsWindow(w->hwnd()));
    ASSERT_EQ(boxes.Shown().size(), 4u);
    for (const auto& box : boxes.Shown()) EXPECT_EQ(box.text + " " + std::to_string(box.type), kUnsaved + std::string(" 3"));
    boxes.Answer(IDYES);
    dialogs.Type(In("last"));
    w->Command(ID_APP_EXIT);
    EXPECT_FALSE(IsWindow(w->hwnd()));
    EXPECT_EQ(test::ReadAll(In("last.bwt")), test::TableBytes({{20, 30, 4}, {0, 0, 0}}));
}

// A failed save keeps the old file and says why; the table stays unsaved.
TEST_F(Files, FailuresAreReportedByCauseAndLeaveTheFileAsItWas) {
    Obstacle(20, 30);
    dialogs.Type(In("big"));
    w->Command(ID_FILE_SAVE);
    const std::string before = test::ReadAll(In("big.bwt"));
    SetFileAttributesA(In("big.bwt").c_str(), FILE_ATTRIBUTE_READONLY);
    Obstacle(40, 30);
    w->Command(ID_FILE_SAVE);
    SetFileAttributesA(In("big.bwt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Access to " + In("big.bwt") + " was denied.");
    EXPECT_EQ(boxes.Shown()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(test::ReadAll(In("big.bwt")), before);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"big.bwt"});
    EXPECT_FALSE(w->ed().saved());
}

// Save As onto a file that cannot be written: the title and the next Save
// stay with the file the table came from.
TEST_F(Files, SaveAsKeepsTheOldNameUntilTheNewFileIsWritten) {
    Obstacle(20, 30);
    dialogs.Type(In("mine"));
    w->Command(ID_FILE_SAVE);
    test::WriteTableFile(In("locked.bwt"), "hole 5 5\n");
    SetFileAttributesA(In("locked.bwt").c_str(), FILE_ATTRIBUTE_READONLY);
    Obstacle(40, 30);
    dialogs.Type(In("locked"));
    boxes.Answer(IDYES);  // replace it
    w->Command(ID_FILE_SAVE_AS);
    SetFileAttributesA(In("locked.bwt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(boxes.Texts().back(), "Access to " + In("locked.bwt") + " was denied.");
    EXPECT_EQ(w->Title(), "mine.bwt - Bumpwright");
    w->Command(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadAll(In("mine.bwt")), test::TableBytes({{20, 30, 4}, {40, 30, 4}, {0, 0, 0}}));
    EXPECT_TRUE(w->ed().saved());
}

// A file named at start-up that cannot be opened: reported, and the window
// starts empty without a file, so that Save asks for a name.
TEST_F(Files, AStartUpFileThatCannotBeOpenedLeavesTheWindowWithoutAFile) {
    CreateDirectoryA(In("folder.bwt").c_str(), nullptr);
    test::WriteAll(In("notes.bwt"), "just notes");
    const std::pair<std::string, std::string> cases[] = {
        {In("missing.bwt"), In("missing.bwt") + " was not found."},
        {In("folder.bwt"), In("folder.bwt") + " is a folder, not a table file."},
        {"CON.bwt", "CON.bwt\nThe above file name is invalid."},  // a device's name, as typed
        {In("notes.bwt"), "This is not a Bumpwright file"},
        {In("bad#name.bwt"), In("bad#name.bwt") + "\nThe above file name is invalid."},
    };
    for (const auto& [path, message] : cases) {
        auto dialog = std::make_unique<ui::TableDialog>();
        ASSERT_TRUE(dialog->SetFilePath(path));
        w.reset(), w = std::make_unique<test::Window>(std::move(dialog));
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown().back().text, message);
        EXPECT_EQ(w->Title(), "Bumpwright");
        EXPECT_EQ(w->ed().FilePath(), "");
    }
    Obstacle(20, 30);
    dialogs.Cancel(), w->Command(ID_FILE_SAVE);
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(test::ReadAll(In("notes.bwt")), "just notes");
}

}  // namespace
