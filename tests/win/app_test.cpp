// The program's shell: the command line, the about box and the help.
#include "tests/win/test_support.h"

#include <psapi.h>

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

// The manifest that Bumpwright.exe carries, read from the built program.
TEST(App, TheProgramCarriesItsManifest) {
    const HMODULE program = LoadLibraryExW(L"" BW_BIN_DIR_WIN "/Bumpwright.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest";
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
    const std::string manifest(bytes, SizeofResource(program, found));
    FreeLibrary(program);
    for (const char* part : {
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "publicKeyToken=\"6595b64144ccf1df\"",
             ">PerMonitorV2</dpiAwareness>",
             ">true/pm</dpiAware>",
             ">UTF-8</activeCodePage>",
             "level=\"asInvoker\"",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         })
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    // What the manifest asks of the system, seen in this process (whose
    // manifest is the same but for the code page): visual styles and DPI
    // awareness.
    test::Window w;
    HMODULE modules[512];
    DWORD filled = 0;
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &filled));
    bool themed = false;
    for (DWORD i = 0; i < filled / sizeof(HMODULE) && i < std::size(modules); ++i) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(modules[i], path, MAX_PATH);
        themed = themed || std::wstring(path).find(L"common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
    }
    EXPECT_TRUE(themed) << "the controls are those of common controls 6";
}

}  // namespace
