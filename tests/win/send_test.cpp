// Sending to the Talvik: the send button makes sure the table is in a file
// and hands that file to the upload wizard; the File menu hands it the
// player program beside Bumpwright. The Talvik is the emulated one, a
// folder of the test's own named by TALVIK_DEVICE_DIR; the wizard is
// answered as a user sending the file would answer it.
#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/tvcomm/wizard_driver.h"
#include "tests/win/file_support.h"
#include "tests/win/test_support.h"

namespace {

using test::Bytes;
using test::TableBytes;

const char kUnsavedQuestion[] = "Pinball Table is not saved.  Would you like to save it?";

class Sending : public ::testing::Test {
protected:
    Sending() {
        char old[MAX_PATH] = {};
        hadDevice = GetEnvironmentVariableA("TALVIK_DEVICE_DIR", old, sizeof old) > 0;
        oldDevice = old;
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", device.c_str());
    }
    ~Sending() override {
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", hadDevice ? oldDevice.c_str() : nullptr);
        window.reset();
        test::RemoveTree(folder.path());
    }

    std::string In(const std::string& name) const { return folder.File(name); }
    std::string OnTalvik(const std::string& name) const { return device + "\\" + name; }
    test::Window& w() { return *window; }

    void PlaceObstacle(int x, int y) {
        w().ClickTool(ID_TOOL_OBSTACLE10);
        w().Click(2 * x, 2 * y);
    }

    // Runs a command with the wizard answered by pressing Next, then
    // Finish. Notes whether the main window was disabled while the wizard
    // showed (it is the wizard's owner).
    void WithWizard(UINT command) {
        HWND main = w().hwnd();
        wizard = std::make_unique<WizardDriver>([this, main](const WizardView& view) {
            mainDisabledMeanwhile = mainDisabledMeanwhile || !IsWindowEnabled(main);
            return WizardDriver::SendIt(view);
        });
        wizard->Run([&] {
            w().Command(command);
            return 0;
        });
        EXPECT_FALSE(wizard->timedOut);
    }

    test::TempFolder folder;
    const std::string device = folder.File("talvik");
    bool hadDevice = false;
    std::string oldDevice;
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    std::unique_ptr<test::Window> window = std::make_unique<test::Window>();
    std::unique_ptr<WizardDriver> wizard;
    bool mainDisabledMeanwhile = false;
};

TEST_F(Sending, AnUnsavedTableIsSavedFirstAndThatFileArrives) {
    PlaceObstacle(20, 30);
    PlaceObstacle(40, 30);
    boxes.Answer(IDYES);
    dialogs.Type(In("demo"));
    WithWizard(IDC_SEND);

    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, kUnsavedQuestion);
    EXPECT_EQ(boxes.Shown()[0].type, static_cast<UINT>(MB_YESNOCANCEL));
    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Save As");

    const Bytes table = TableBytes({{20, 30, 4}, {40, 30, 4}, {0, 0, 0}});
    EXPECT_EQ(test::ReadBytes(In("demo.bwt")), table);
    EXPECT_EQ(test::ListFolder(device), std::vector<std::string>{"demo.bwt"}) << "arrives under its name part";
    EXPECT_EQ(test::ReadBytes(OnTalvik("demo.bwt")), table);
    ASSERT_FALSE(wizard->views.empty());
    EXPECT_TRUE(wizard->views.front().Says("demo.bwt (17 bytes)")) << wizard->views.front().text;
    EXPECT_TRUE(wizard->views.front().Says(In("demo.bwt"))) << wizard->views.front().text;
    EXPECT_TRUE(wizard->views.back().Says("demo.bwt has arrived on the Talvik.")) << wizard->views.back().text;
    EXPECT_TRUE(mainDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(w().hwnd()));
}

// Unlike Open, Exit and closing, where No goes on without saving.
TEST_F(Sending, NoOrCancelSendsNothing) {
    PlaceObstacle(20, 30);
    for (int answer : {IDNO, IDCANCEL}) {
        boxes.Answer(answer);
        WithWizard(IDC_SEND);
    }
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_TRUE(wizard->views.empty()) << "no wizard";
    EXPECT_TRUE(dialogs.Seen().empty()) << "no Save dialog";
    EXPECT_FALSE(test::Exists(device));
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{});
    EXPECT_FALSE(w().dlg().saved);
}

TEST_F(Sending, TheEmptyTableAtStartIsSavedBeforeItCanBeSent) {
    boxes.Answer(IDYES);
    dialogs.Cancel();
    WithWizard(IDC_SEND);
    EXPECT_EQ(boxes.Shown().size(), 1u) << "asked, although the empty table counts as saved";
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_TRUE(wizard->views.empty());
    EXPECT_FALSE(test::Exists(device));

    boxes.Answer(IDYES);
    dialogs.Type(In("empty"));
    WithWizard(IDC_SEND);
    // The header and one end record.
    const Bytes empty{'B', 'W', 'T', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(test::ReadBytes(OnTalvik("empty.bwt")), empty);
}

// Red: the selection frame's cyan drawn in XOR on the white playfield.
int FramePixelsAround(test::Window& w, int cx, int cy) {
    w.Paint();
    HDC dc = GetDC(w.hwnd());
    int n = 0;
    for (int y = cy - 25; y <= cy + 25; ++y)
        for (int x = cx - 25; x <= cx + 25; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 0, 0)) ++n;
    ReleaseDC(w.hwnd(), dc);
    return n;
}

TEST_F(Sending, ASavedTableIsSentWithoutAQuestionAndItsSelectionIsDropped) {
    PlaceObstacle(20, 30);
    w().ClickTool(ID_TOOL_POINTER);
    w().Click(40, 60);  // selects the obstacle
    dialogs.Type(In("ready"));
    w().Command(ID_FILE_SAVE);
    ASSERT_TRUE(w().dlg().saved);
    ASSERT_NE(w().dlg().currentPiece, nullptr);
    ASSERT_GT(FramePixelsAround(w(), 40, 60), 20);

    WithWizard(IDC_SEND);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(test::ReadBytes(OnTalvik("ready.bwt")), TableBytes({{20, 30, 4}, {0, 0, 0}}));
    EXPECT_EQ(w().dlg().currentPiece, nullptr);
    EXPECT_EQ(FramePixelsAround(w(), 40, 60), 0);
    EXPECT_TRUE(w().dlg().saved);
}

TEST_F(Sending, ThePlayerProgramBesideBumpwrightIsSentWithoutAnyQuestion) {
    PlaceObstacle(20, 30);  // unsaved: no matter
    WithWizard(ID_DOWNLOAD_PLAYER);
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string beside(program);
    beside.resize(beside.rfind('\\') + 1);
    const auto player = test::ReadBytes(beside + "Bumpwright.app");
    ASSERT_TRUE(player.has_value()) << "the build puts Bumpwright.app beside the programs";
    EXPECT_FALSE(player->empty());
    EXPECT_EQ(test::ListFolder(device), std::vector<std::string>{"Bumpwright.app"});
    EXPECT_EQ(test::ReadBytes(OnTalvik("Bumpwright.app")), player);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(dialogs.Seen().empty());
    EXPECT_FALSE(w().dlg().saved);
    EXPECT_EQ(test::Pieces(w().root()).size(), 1u);
}

TEST(PlayerProgram, LiesInTheProgramsFolder) {
    EXPECT_EQ(ui::PlayerProgramPath("C:\\Tools\\Bumpwright.HLP"), "C:\\Tools\\Bumpwright.app");
    EXPECT_EQ(ui::PlayerProgramPath("C:\\v1.2\\Game.HLP"), "C:\\v1.2\\Bumpwright.app");
    EXPECT_EQ(ui::PlayerProgramPath("\\\\server\\share\\Bumpwright.HLP"), "\\\\server\\share\\Bumpwright.app");
    // Without a backslash there is no folder: the command does nothing.
    EXPECT_EQ(ui::PlayerProgramPath("Bumpwright.HLP"), "");
    EXPECT_EQ(ui::PlayerProgramPath("C:/Tools/Bumpwright.HLP"), "");
}

}  // namespace
