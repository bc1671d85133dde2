// Folders named in any script: a table opened from the command line, saved
// with Ctrl+S and Save As, listed in the recent tables, dropped on the
// window, and its unsaved changes offered back after the window was ended
// without saving. The tests run without the UTF-8 code page: every one of
// these paths goes through the program's wide calls.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "files/table_file.h"
#include "files/win/wide_text.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/recent_tables.h"
#include "win/recovery_store.h"
#include "win/startup.h"

namespace {

using test::Window;

constexpr const char* kFolders[] = {"C:\\Łódź Tische", "C:\\Столы", "C:\\テーブル"};

// A file dropped on the window, as the shell sends it: in UTF-16.
void Drop(Window& w, const std::string& path) {
    const std::wstring wide = bw::Wide(path);
    const size_t bytes = (wide.size() + 2) * sizeof(wchar_t);
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(drop);
    SendMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(FolderNames, TheCodePageOfTheseTestsCannotHoldTheNames) {
    // Otherwise the tests below would prove nothing about the wide calls.
    EXPECT_NE(GetACP(), static_cast<UINT>(CP_UTF8));
    BOOL lost = FALSE;
    char narrow[64];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"Столы テーブル", -1, narrow, sizeof narrow, nullptr, &lost);
    EXPECT_TRUE(lost);
}

TEST(FolderNames, ATableInAFolderOfAnyScriptIsOpenedSavedListedAndRestored) {
    for (const char* name : kFolders) {
        SCOPED_TRACE(name);
        test::TempFolder folder(name);
        // The profile folder, where the copy of unsaved changes goes, has
        // such letters too.
        const std::string profile = folder.File("Łukasz Профиль");
        const std::string table = folder.File("classic.bwt"), second = folder.File("second.bwt");
        test::WriteTableFile(table, "hole 10 10\n");

        const std::wstring commandLine = L"Bumpwright.exe /x \"" + bw::Wide(table) + L"\"";
        const std::string argument = win::FileArgument(win::CommandLineArguments(commandLine.c_str()));
        EXPECT_EQ(argument, table);
        std::vector<uint8_t> edited;
        std::string copy;
        {
            auto dialog = std::make_unique<ui::TableDialog>();
            dialog->recovery = win::RecoveryStore::Open(profile);
            ASSERT_TRUE(dialog->recovery);
            dialog->SetFilePath(argument);
            test::MessageBoxes boxes;
            Window w(std::move(dialog));
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
            EXPECT_EQ(w.Title(), "classic.bwt - Bumpwright");
            ASSERT_NE(w.root().FirstChild(), nullptr);
            EXPECT_EQ(bw::Placed(*w.root().FirstChild()).x, 10);

            w.ClickTool(ID_TOOL_HOLE);
            w.Click(40, 40);
            copy = w.dlg().recovery->CopyPath();
            EXPECT_FALSE(test::Exists(copy)) << "written on the timer, a few seconds later";
            SendMessageW(w.hwnd(), WM_TIMER, ui::TableDialog::kRecoveryTimer, 0);
            EXPECT_EQ(FirstLine(test::ReadAll(copy)), "# Bumpwright recovery of: " + table);
            w.CtrlKey('S');
            EXPECT_EQ(test::ReadAll(table), test::TableBytes({{10, 10, 7}, {20, 20, 7}, {0, 0, 0}}));
            EXPECT_FALSE(test::Exists(copy)) << "saved: no copy is kept";

            test::FileDialogs dialogs;
            dialogs.Type("Łódź.bwt");  // the Talvik's rule: plain letters in the name itself
            dialogs.Type(second);
            w.Command(ID_FILE_SAVE_AS);
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].text, folder.File("Łódź.bwt") + "\nThe above file name is invalid.");
            EXPECT_EQ(dialogs.Seen().at(0).folder, folder.path());
            EXPECT_EQ(test::ReadAll(second), test::ReadAll(table));
            EXPECT_EQ(w.Title(), "second.bwt - Bumpwright");

            Drop(w, table);
            EXPECT_EQ(w.Title(), "classic.bwt - Bumpwright");
            w.ClickTool(ID_TOOL_HOLE);  // opening a table puts the tools down
            w.Click(200, 150);
            SendMessageW(w.hwnd(), WM_TIMER, ui::TableDialog::kRecoveryTimer, 0);
            edited = bw::TableFileBytes(w.root());
        }  // ended without Exit or closing, as in a crash

        win::RecentTables recent;
        recent.Load();
        EXPECT_EQ(recent.Paths().at(0), table);
        EXPECT_EQ(recent.Paths().at(1), second);

        auto dialog = std::make_unique<ui::TableDialog>();
        dialog->recovery = win::RecoveryStore::Open(profile);
        test::MessageBoxes boxes;
        boxes.Answer(IDYES);
        Window w(std::move(dialog));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].text.find("Restore the unsaved changes to " + table + "?"), std::string::npos);
        EXPECT_EQ(bw::TableFileBytes(w.root()), edited);
        EXPECT_EQ(w.ed().FilePath(), table);
        HMENU file = GetSubMenu(GetMenu(w.hwnd()), 0);
        wchar_t item[MAX_PATH + 8] = {};
        GetMenuStringW(file, ID_FILE_RECENT_FIRST, item, MAX_PATH + 8, MF_BYCOMMAND);
        EXPECT_TRUE(bw::Utf8(item).ends_with("\\classic.bwt")) << bw::Utf8(item);
        EXPECT_FALSE(w.ed().saved());
        boxes.Answer(IDNO);
        w.Command(ID_APP_EXIT);  // a normal end drops the changes and their copy
        EXPECT_FALSE(test::Exists(copy));
    }
}

}  // namespace
