// Sending to the Talvik (the emulated one: a folder of the test's own named
// by TALVIK_DEVICE_DIR): the table is saved first when it is not, the file
// goes through the upload wizard, and the player program is sent as it is.
#include "tests/win/test_support.h"

#include "tests/tvcomm/wizard_driver.h"

namespace {

struct Sending : testing::Test {
    Sending() { SetEnvironmentVariableA("TALVIK_DEVICE_DIR", device.c_str()); }
    ~Sending() override { SetEnvironmentVariableA("TALVIK_DEVICE_DIR", nullptr); }
    void Send(UINT command) {
        wizard::Run([&] { return w.Command(command), 0; }, [&](const wizard::View& v) {
            ownerEnabled = ownerEnabled || IsWindowEnabled(w.hwnd());
            return wizard::SendIt(v);
        });
    }
    test::TempFolder folder;
    const std::string device = folder.File("talvik");
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    test::Window w;
    bool ownerEnabled = false;
};

TEST_F(Sending, AnUnsavedTableIsSavedFirstAndThatFileArrives) {
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(40, 60);
    for (int answer : {IDNO, IDCANCEL}) boxes.Answer(answer), Send(IDC_SEND);  // nothing sent
    EXPECT_TRUE(wizard::shown.empty() && dialogs.Seen().empty());
    EXPECT_EQ(test::ListFolder(device), std::vector<std::string>{});
    boxes.Answer(IDYES);
    dialogs.Type(folder.File("demo"));
    Send(IDC_SEND);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[2].text, "Pinball Table is not saved.  Would you like to save it?");
    EXPECT_EQ(test::ListFolder(device), std::vector<std::string>{"demo.bwt"});
    EXPECT_EQ(test::ReadAll(device + "\\demo.bwt"), test::TableBytes({{20, 30, 4}, {0, 0, 0}}));
    ASSERT_FALSE(wizard::shown.empty());
    EXPECT_TRUE(wizard::shown.front().Says("demo.bwt (14 bytes)")) << wizard::shown.front().text;
    EXPECT_TRUE(wizard::shown.back().Says("demo.bwt has arrived on the Talvik.")) << wizard::shown.back().text;
    EXPECT_FALSE(ownerEnabled) << "the wizard is modal to the window";
    Send(IDC_SEND);  // saved now: sent without a question
    EXPECT_EQ(boxes.Shown().size(), 3u);
}

TEST_F(Sending, ThePlayerProgramBesideBumpwrightIsSentWithoutAnyQuestion) {
    w.ClickTool(ID_TOOL_OBSTACLE10);
    w.Click(40, 60);  // unsaved: no matter
    Send(ID_DOWNLOAD_PLAYER);
    char program[MAX_PATH] = {};
    std::string beside(program, GetModuleFileNameA(nullptr, program, MAX_PATH));
    const std::string player = test::ReadAll(beside.substr(0, beside.rfind('\\')) + "\\Bumpwright.app");
    EXPECT_NE(player, "(none)") << "the build puts Bumpwright.app beside the programs";
    EXPECT_EQ(test::ReadAll(device + "\\Bumpwright.app"), player);
    EXPECT_TRUE(boxes.Shown().empty() && dialogs.Seen().empty());
}

// The device library takes the system's code page, which cannot hold every
// folder's name; the table's own name follows the Talvik's rule.
TEST_F(Sending, ATableInAFolderOfAnotherScriptArrivesUnderItsOwnName) {
    test::TempFolder other(folder.File("Столы テーブル"));
    const std::string table = other.File("demo.bwt");
    test::WriteTableFile(table, "hole 10 10\n");
    ASSERT_TRUE(w.dlg().LoadTable(table));
    Send(IDC_SEND);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_EQ(test::ListFolder(device), std::vector<std::string>{"demo.bwt"});
    EXPECT_EQ(test::ReadAll(device + "\\demo.bwt"), test::ReadAll(table));
}

}  // namespace
