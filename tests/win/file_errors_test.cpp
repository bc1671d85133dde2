// Files that cannot be read or written, and the file named at start-up:
// every failure is reported by cause in a box that names the file, and the
// window is left as the command left it.
#include <windows.h>

#include <string>
#include <vector>

#include "app/table_app.h"
#include "res/resource.h"
#include "tests/win/file_support.h"
#include "tests/win/test_support.h"

namespace {

using test::Bytes;
using test::TableBytes;

const UINT kStopBox = MB_OK | MB_ICONSTOP;

class FileErrors : public ::testing::Test {
protected:
    ~FileErrors() override {
        window.reset();
        test::RemoveTree(folder.path());
    }

    std::string In(const std::string& name) const { return folder.File(name); }

    // The window, started with `path` named on the command line (or none).
    void Start(const std::string& path = {}) {
        auto dialog = std::make_unique<ui::TableDialog>();
        ASSERT_TRUE(dialog->SetFilePath(path));
        window = std::make_unique<test::Window>(std::move(dialog));
        ASSERT_NE(window->hwnd(), nullptr);
    }
    ui::TableDialog& dlg() { return window->dlg(); }
    test::Window& w() { return *window; }

    void PlaceObstacle(int x, int y) {
        w().ClickTool(ID_TOOL_OBSTACLE10);
        w().Click(2 * x, 2 * y);
    }

    // The one box shown since the last look, which must be a file error.
    void ExpectFileError(const std::string& text) {
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, text);
        EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
        EXPECT_EQ(boxes.Shown()[0].type, kStopBox);
        boxes.Clear();
    }

    test::TempFolder folder;
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    std::unique_ptr<test::Window> window;
};

// ---- the file named at start-up ------------------------------------------------------

TEST_F(FileErrors, AStartUpNameTheTalvikRefusesIsDroppedWithItsMessage) {
    test::WriteBytes(In("bad#name.bwt"), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    Start(In("bad#name.bwt"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const win::MessageBoxRequest& box = boxes.Shown()[0];
    EXPECT_EQ(box.text, In("bad#name.bwt") + "\nThe above file name is invalid.");
    EXPECT_EQ(box.caption, "Open");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(box.owner, w().hwnd());
    EXPECT_STREQ(dlg().filePath, "");
    EXPECT_EQ(w().Title(), "Bumpwright");
    EXPECT_EQ(w().root().FirstChild(), nullptr);
    EXPECT_TRUE(dlg().saved);
}

TEST_F(FileErrors, AStartUpFileGetsNoExtensionAdded) {
    test::WriteBytes(In("plain"), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    Start(In("plain"));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(w().Title(), "plain - Bumpwright");
    EXPECT_EQ(test::Pieces(w().root()).size(), 1u);
}

// The window still opens, with an empty table and no file: a later Save
// asks for a name instead of writing to the file that failed.
TEST_F(FileErrors, AStartUpFileThatCannotBeOpenedIsReportedAndTheWindowStartsEmpty) {
    ASSERT_TRUE(CreateDirectoryA(In("folder.bwt").c_str(), nullptr));
    const std::pair<std::string, std::string> cases[] = {
        {In("missing.bwt"), In("missing.bwt") + " was not found."},
        {In("folder.bwt"), "Access to " + In("folder.bwt") + " was denied."},
    };
    for (const auto& [path, message] : cases) {
        SCOPED_TRACE(path);
        Start(path);
        ExpectFileError(message);
        EXPECT_STREQ(dlg().filePath, "");
        EXPECT_EQ(w().Title(), "Bumpwright");
        EXPECT_EQ(dlg().recordCount, 1);
        EXPECT_TRUE(dlg().saved);

        PlaceObstacle(20, 30);
        ASSERT_EQ(test::Pieces(w().root()).size(), 1u);
        dialogs.Type(In("instead"));
        w().Command(ID_FILE_SAVE);
        EXPECT_EQ(dialogs.Unused(), 0u) << "Save asked for a name";
        EXPECT_EQ(test::ReadBytes(In("instead.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
        DeleteFileA(In("instead.bwt").c_str());
    }
}

TEST_F(FileErrors, AStartUpFileThatIsNoTableLeavesTheWindowWithoutAFile) {
    test::WriteBytes(In("notes.bwt"), Bytes{'j', 'u', 's', 't', ' ', 'n', 'o', 't', 'e', 's'});
    Start(In("notes.bwt"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "This is not a Bumpwright file");
    EXPECT_STREQ(dlg().filePath, "");

    // Save does not write over the notes without asking.
    PlaceObstacle(20, 30);
    dialogs.Cancel();
    w().Command(ID_FILE_SAVE);
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(test::ReadBytes(In("notes.bwt")), (Bytes{'j', 'u', 's', 't', ' ', 'n', 'o', 't', 'e', 's'}));
}

// The application object hands the command line's file to the window; a
// path too long for the window is refused, never cut, and the window opens
// without a file.
HWND startedWindow = nullptr;
std::string startedTitle;

BOOL CALLBACK FindMainWindow(HWND window, LPARAM) {
    char kind[16] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (std::string(kind) != "#32770" || !IsWindowVisible(window)) return TRUE;
    startedWindow = window;
    return FALSE;
}

void CALLBACK ExitOnceOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    startedWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMainWindow, 0);
    if (!startedWindow) return;
    KillTimer(nullptr, timer);
    char title[256] = {};
    GetWindowTextA(startedWindow, title, sizeof title);
    startedTitle = title;
    PostMessageA(startedWindow, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
}

TEST(CommandLineFile, APathTooLongForTheWindowIsRefusedAndTheWindowOpensWithoutIt) {
    test::MessageBoxes boxes;
    const std::string tooLong = "C:\\" + std::string(MAX_PATH, 'a') + ".bwt";
    startedTitle.clear();
    SetTimer(nullptr, 0, 30, ExitOnceOpen);
    app::TableApp application;
    EXPECT_FALSE(application.InitInstance({"/x", tooLong}));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, tooLong + "\nThis path is too long.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Bumpwright");
    EXPECT_EQ(boxes.Shown()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(startedTitle, "Bumpwright");
}

// ---- opening ---------------------------------------------------------------------------

TEST_F(FileErrors, AFailedOpenLeavesTheTableAsItWas) {
    test::WriteBytes(In("table.bwt"), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    test::WriteBytes(In("notes.txt"), Bytes{'n', 'o', 't', 'e', 's'});
    test::WriteBytes(In("held.bwt"), TableBytes({{50, 50, 7}, {0, 0, 0}}));
    Start(In("table.bwt"));
    ASSERT_TRUE(boxes.Shown().empty());

    // notes.txt exists, but what is opened is notes.txt.bwt.
    dialogs.Type(In("notes.txt"));
    w().Command(ID_FILE_OPEN);
    ExpectFileError(In("notes.txt.bwt") + " was not found.");

    // Another program holds the file without sharing it.
    HANDLE other = CreateFileA(In("held.bwt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    dialogs.Type(In("held.bwt"));
    w().Command(ID_FILE_OPEN);
    CloseHandle(other);
    ExpectFileError("A sharing violation occurred while accessing " + In("held.bwt") + ".");

    const auto pieces = test::Pieces(w().root());
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->kind, bw::kObstacle10);
    EXPECT_EQ(std::string(dlg().filePath), In("table.bwt"));
    EXPECT_EQ(w().Title(), "table.bwt - Bumpwright");
    EXPECT_TRUE(dlg().saved);
}

// ---- saving --------------------------------------------------------------------------------

// The title and the file name already name the new file; the table is
// still unsaved, and the read-only file is as it was.
TEST_F(FileErrors, AFailedSaveAsLeavesTheNewNameButNotSaved) {
    const Bytes before = TableBytes({{1, 2, 6}, {0, 0, 0}});
    test::WriteBytes(In("locked.bwt"), before);
    ASSERT_TRUE(SetFileAttributesA(In("locked.bwt").c_str(), FILE_ATTRIBUTE_READONLY));
    Start();
    PlaceObstacle(20, 30);
    boxes.Answer(IDYES);  // replace it
    dialogs.Type(In("locked"));
    w().Command(ID_FILE_SAVE_AS);

    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, In("locked.bwt") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(boxes.Shown()[1].text, "Access to " + In("locked.bwt") + " was denied.");
    EXPECT_EQ(boxes.Shown()[1].type, kStopBox);
    EXPECT_EQ(std::string(dlg().filePath), In("locked.bwt"));
    EXPECT_EQ(w().Title(), "locked.bwt - Bumpwright");
    EXPECT_FALSE(dlg().saved);
    EXPECT_EQ(test::ReadBytes(In("locked.bwt")), before);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"locked.bwt"});
}

TEST_F(FileErrors, SavingIntoAFolderThatIsGoneOrOntoAFolderIsReported) {
    const std::string sub = In("sub");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    Start();
    PlaceObstacle(20, 30);
    dialogs.Type(sub + "\\gone");
    w().Command(ID_FILE_SAVE);
    ASSERT_TRUE(dlg().saved);

    // The folder is removed behind the program's back.
    test::RemoveTree(sub);
    PlaceObstacle(40, 40);
    w().Command(ID_FILE_SAVE);
    ExpectFileError(sub + "\\gone.bwt contains an invalid path.");
    EXPECT_FALSE(dlg().saved);
    EXPECT_FALSE(test::Exists(sub));

    // A folder now stands where the file should be.
    dialogs.Type(In("table"));
    w().Command(ID_FILE_SAVE_AS);
    ASSERT_TRUE(dlg().saved);
    ASSERT_TRUE(DeleteFileA(In("table.bwt").c_str()));
    ASSERT_TRUE(CreateDirectoryA(In("table.bwt").c_str(), nullptr));
    PlaceObstacle(60, 40);
    w().Command(ID_FILE_SAVE);
    ExpectFileError("Access to " + In("table.bwt") + " was denied.");
    EXPECT_FALSE(dlg().saved);
    EXPECT_TRUE(GetFileAttributesA(In("table.bwt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"table.bwt"});
}

// More records than a table file holds: refused with the reason, and the
// file on disk keeps the last table that fitted. Such a table cannot be
// built with the mouse (the editor stops at 250 records), so the pieces are
// put in directly.
TEST_F(FileErrors, ATableTooBigForAFileIsRefusedAndNothingIsWritten) {
    Start();
    PlaceObstacle(20, 30);
    dialogs.Type(In("big"));
    w().Command(ID_FILE_SAVE);
    const auto before = test::ReadBytes(In("big.bwt"));
    ASSERT_TRUE(before.has_value());

    for (int i = 0; i < 260; ++i) bw::CreatePiece(&w().root(), bw::kObstacle10, 6 + (i % 19) * 6, 6 + (i / 19) * 7);
    dlg().saved = false;
    w().Command(ID_FILE_SAVE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "This table needs 262 records, but a table file holds at most 250. Remove at least 12 pieces or "
              "border corners and save again. Nothing was saved.");
    EXPECT_EQ(boxes.Shown()[0].type, kStopBox);
    EXPECT_EQ(test::ReadBytes(In("big.bwt")), before);
    EXPECT_FALSE(dlg().saved);
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"big.bwt"});

    // Exit does not drop the table after the refusal.
    boxes.Clear();
    boxes.Answer(IDYES);
    w().Command(ID_APP_EXIT);
    EXPECT_TRUE(IsWindow(w().hwnd()));
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

}  // namespace
