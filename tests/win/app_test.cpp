// The program's shell: the command line, the about box and the help.
#include "tests/win/test_support.h"

#include "app/table_app.h"
#include "model/path_text.h"
#include "version.h"
#include "win/startup.h"

namespace {

std::string title, texts;  // of the modal window a timer answered

// Reads the visible dialog of the thread, then presses `button` (IDOK ends
// the about box; ID_APP_EXIT the main window).
template <WPARAM button>
void CALLBACK Answer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND d = FindWindowA("#32770", nullptr);
    if (!d || !IsWindowVisible(d) || GetWindowThreadProcessId(d, nullptr) != GetCurrentThreadId()) return;
    KillTimer(nullptr, timer);
    char text[256] = {};
    title.assign(text, GetWindowTextA(d, text, sizeof text));
    texts = FindWindowExA(d, nullptr, "Static", "Bumpwright Version " BW_VERSION) ? "the version" : "no version";
    PostMessageA(d, WM_COMMAND, button, 0);
}

TEST(App, TheFirstArgumentThatIsNoSwitchNamesTheFileAndAPathTooLongIsRefused) {
    EXPECT_EQ(win::FileArgument({"/s", "-x", "C:\\Tables\\a b.bwt", "second.bwt"}), "C:\\Tables\\a b.bwt");
    test::MessageBoxes boxes;
    const std::string tooLong = "C:\\" + std::string(MAX_PATH, 'a') + ".bwt";
    SetTimer(nullptr, 0, 30, Answer<ID_APP_EXIT>);
    app::TableApp application;
    EXPECT_FALSE(application.InitInstance({"/x", tooLong}));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, bw::ShortPath(tooLong) + "\nThis path is too long.");
    EXPECT_EQ(title, "Bumpwright") << "the window opened without a file";
}

TEST(App, TheAboutBoxAndTheHelp) {
    test::Window w;
    SetTimer(nullptr, 0, 30, Answer<IDOK>);
    w.Command(ID_APP_ABOUT);
    EXPECT_EQ(title + " shows " + texts, "About Bumpwright shows the version");
    w.dlg().helpPath = BW_BIN_DIR_WIN "/Bumpwright.chm";
    w.Command(ID_HELP_FINDER);
    HWND help = FindWindowA("HH Parent", nullptr);
    ASSERT_NE(help, nullptr);
    char text[128] = {};
    GetWindowTextA(help, text, sizeof text);
    EXPECT_STREQ(text, "Bumpwright Help");
    DestroyWindow(help);
}

}  // namespace
