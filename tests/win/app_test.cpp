// The program's shell: the command line, Enter and Escape in the real
// modal loop, the about box and the help.
#include <algorithm>
#include <cstring>

#include "app/help.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/html_help.h"
#include "win/startup.h"

namespace {

using test::Window;

TEST(CommandLine, TheFirstArgumentThatIsNoSwitchNamesTheFile) {
    EXPECT_EQ(win::FileArgument({"/s", "-x", "C:\\Tables\\a b.bwt", "second.bwt"}), "C:\\Tables\\a b.bwt");
    EXPECT_EQ(win::FileArgument({"/s", "-x"}), "");
    EXPECT_EQ(win::FileArgument({}), "");
}

TEST(CommandLine, APathTooLongForTheWindowIsRefusedNotCut) {
    ui::TableDialog dialog;
    EXPECT_FALSE(dialog.SetFilePath(std::string(MAX_PATH, 'a')));
    EXPECT_STREQ(dialog.filePath, "");
    EXPECT_TRUE(dialog.SetFilePath(std::string(MAX_PATH - 1, 'a')));
}

TEST(HelpFile, LiesBesideTheProgramUnderItsName) {
    EXPECT_EQ(app::HelpPathFor("C:\\Tools\\Bumpwright.exe"), "C:\\Tools\\Bumpwright.chm");
    EXPECT_EQ(app::HelpPathFor("C:\\v1.2\\Bumpwright"), "C:\\v1.2\\Bumpwright.chm");
    Window w;
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string expected(program);
    expected.replace(expected.size() - 3, 3, "chm");
    EXPECT_EQ(w.dlg().helpPath, expected);
}

// Modal windows are answered from a thread timer, which fires inside their
// message loops.
struct ModalScript {
    int step = 0;
    HWND main = nullptr;
    bool stillOpenAfterKeys = false;
    std::vector<std::string> aboutTexts;
    bool aboutHasIcon = false;
};
ModalScript* script = nullptr;

BOOL CALLBACK CollectTexts(HWND child, LPARAM) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) script->aboutTexts.emplace_back(text);
    if (SendMessageA(child, STM_GETICON, 0, 0)) script->aboutHasIcon = true;
    return TRUE;
}

void CALLBACK KeysThenExit(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dlg = script->main;
    if (!dlg || !IsWindow(dlg)) return;
    HWND focus = GetFocus() ? GetFocus() : dlg;
    switch (script->step++) {
        case 0:
            PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
            PostMessageA(dlg, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // what Enter sends
            break;
        case 1:
            script->stillOpenAfterKeys = IsWindow(dlg) && IsWindowVisible(dlg);
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
            KillTimer(nullptr, timer);
            break;
    }
}

class ScriptedDialog : public ui::TableDialog {
protected:
    BOOL OnInitDialog() override {
        const BOOL r = ui::TableDialog::OnInitDialog();
        script->main = hwnd();
        return r;
    }
};

TEST(Closing, EnterAndEscapeCloseNothingOnlyExitDoes) {
    ModalScript s;
    script = &s;
    SetTimer(nullptr, 0, 50, KeysThenExit);
    ScriptedDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);  // ended by Exit, not by Escape's cancel
    EXPECT_TRUE(s.stillOpenAfterKeys);
    EXPECT_GE(s.step, 2);
    script = nullptr;
}

void CALLBACK AnswerAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowA("#32770", "About Bumpwright");
    if (!about || !IsWindowVisible(about)) return;
    KillTimer(nullptr, timer);
    EnumChildWindows(about, CollectTexts, 0);
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(About, TheAboutBoxShowsTheVersionAndClosesWithOK) {
    Window w;
    ModalScript s;
    script = &s;
    SetTimer(nullptr, 0, 30, AnswerAbout);
    w.Command(ID_APP_ABOUT);
    EXPECT_TRUE(IsWindow(w.hwnd()));
    auto shows = [&](const char* text) {
        return std::find(s.aboutTexts.begin(), s.aboutTexts.end(), text) != s.aboutTexts.end();
    };
    EXPECT_TRUE(shows("Bumpwright Version 1.2.11"));
    EXPECT_TRUE(shows("OK"));
    EXPECT_TRUE(s.aboutHasIcon);
    EXPECT_EQ(FindWindowA("#32770", "About Bumpwright"), nullptr);
    script = nullptr;
}

HWND HelpWindow() { return FindWindowA("HH Parent", nullptr); }

void CloseHelp() {
    while (HWND h = HelpWindow()) {
        SendMessageA(h, WM_CLOSE, 0, 0);
        if (IsWindow(h)) DestroyWindow(h);
    }
}

TEST(Help, TheHelpCommandOpensTheCompiledHelpFile) {
    Window w;
    w.dlg().helpPath = BW_BIN_DIR_WIN "/Bumpwright.chm";
    test::MessageBoxes boxes;
    w.Command(ID_HELP_FINDER);
    HWND help = HelpWindow();
    ASSERT_NE(help, nullptr);
    char title[128] = {};
    GetWindowTextA(help, title, sizeof title);
    EXPECT_STREQ(title, "Bumpwright Help");
    EXPECT_TRUE(boxes.Shown().empty());
    CloseHelp();
}

TEST(Help, AMissingHelpFileIsReportedWithTheDownloadAddress) {
    Window w;
    w.dlg().helpPath = BW_BIN_DIR_WIN "/NoSuchHelp.chm";
    test::MessageBoxes boxes;
    w.Command(ID_HELP_FINDER);
    EXPECT_EQ(HelpWindow(), nullptr);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const win::MessageBoxRequest& box = boxes.Shown()[0];
    EXPECT_EQ(box.caption, "Bumpwright");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    const std::string start = "You don't have Bumpwright.chm or HTML Help Viewer!\n\nPlease download Help Viewer from URL:\n\n<";
    EXPECT_EQ(box.text.substr(0, start.size()), start);
    EXPECT_EQ(box.text.back(), '>');
    EXPECT_EQ(box.text.find('\n', start.size()), std::string::npos) << "the address is the last line";
}

TEST(Help, WithoutHtmlHelpEveryRequestFailsAndItIsNotLookedForAgain) {
    win::HtmlHelpLoader loader({"CLSID\\{00000000-0000-0000-0000-00000000BEEF}\\InprocServer32", "no-such-help.ocx", 14});
    const std::string chm = BW_BIN_DIR_WIN "/Bumpwright.chm";
    EXPECT_EQ(loader.Call(nullptr, chm.c_str(), win::kHelpDisplayTopic, 0), nullptr);
    EXPECT_TRUE(loader.Failed());
    // Even once the library could be found, the failure mark holds.
    loader.source = win::HtmlHelpLoader::StandardSource();
    EXPECT_EQ(loader.Call(nullptr, chm.c_str(), win::kHelpDisplayTopic, 0), nullptr);
    EXPECT_FALSE(loader.Loaded());
}

TEST(Help, TheRegistryNamesTheHelpLibrary) {
    win::HtmlHelpLoader loader({win::HtmlHelpLoader::StandardSource().registryKey, "no-such-help.ocx", 14});
    const std::string chm = BW_BIN_DIR_WIN "/Bumpwright.chm";
    HWND help = loader.Call(nullptr, chm.c_str(), win::kHelpDisplayTopic, 0);
    EXPECT_NE(help, nullptr);
    EXPECT_TRUE(loader.Loaded());
    CloseHelp();
}

}  // namespace
