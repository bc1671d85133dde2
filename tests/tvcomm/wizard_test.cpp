// The upload wizard: what arrives on the emulated Talvik (the folder named by
// TALVIK_DEVICE_DIR), what the pages say, and that a wrong request, Cancel or
// a failure sends nothing and leaves the Talvik as it was.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/tvcomm/wizard_driver.h"
#include "tvcomm/tvcomm.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(none)";
}
void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every byte value: line ends, the end-of-file mark and zeros among them.
std::string Content(size_t n) { std::string b(n, 0); for (size_t i = 0; i < n; ++i) b[i] = char(i * 7 + i / 256); return b; }

class Wizard : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        root = std::string(temp, GetTempPathA(sizeof temp, temp)) + "tvcomm-test-" + std::to_string(GetCurrentProcessId());
        device = root + "\\Talvik";  // not there yet: the first transfer makes it
        CreateDirectoryA(root.c_str(), nullptr), SetEnvironmentVariableA("TALVIK_DEVICE_DIR", device.c_str());
    }
    void TearDown() override { std::error_code ignored; std::filesystem::remove_all(root, ignored); }
    // Runs the wizard for `path` with `answers` pressing its buttons.
    BOOL Send(const std::string& path, DWORD flags = TALVIK_UPLOAD_CONFIRM, wizard::Policy answers = wizard::SendIt,
              DWORD size = TALVIK_UPLOAD_INFO_SIZE, const char* name = nullptr) {
        const TalvikUploadInfo info{size, path.c_str(), name ? name : path.c_str() + path.rfind('\\') + 1, 0, 0};
        return wizard::Run([&] { return TalvikUploadWizardA(&info, flags, nullptr); }, answers);
    }
    std::string root, device;
    std::vector<wizard::View>& views = wizard::shown;
};

TEST_F(Wizard, ATableArrivesWholeAndThePagesSayWhatGoesWhere) {
    const std::string path = root + "\\demo.bwt";
    CreateDirectoryA(device.c_str(), nullptr);
    WriteAll(device + "\\demo.bwt", "old");
    WriteAll(path, Content(758));
    ASSERT_TRUE(Send(path) && views.size() >= 2);
    EXPECT_EQ(views[0].buttons, "|Next >|Cancel|");
    for (const std::string& w : std::initializer_list<std::string>{"Send to Talvik\n", "demo.bwt (758 bytes)", path, device, "already on the Talvik"})
        EXPECT_TRUE(views[0].Says(w)) << w << " in " << views[0].text;
    EXPECT_TRUE(views.back().Says("demo.bwt has arrived on the Talvik.")) << views.back().text;
    EXPECT_TRUE(views.back().Has("Finish") && !views.back().Has("Next >") && !views.back().Has("< Back")) << views.back().buttons;
    EXPECT_EQ(ReadAll(device + "\\demo.bwt"), Content(758));
    // Without the confirm flag no page waits for Next; an empty file arrives empty.
    WriteAll(root + "\\e.app", "");
    ASSERT_TRUE(Send(root + "\\e.app", 0, [](const wizard::View& v) { return v.Has("Next >") ? PSBTN_CANCEL : SendIt(v); }));
    EXPECT_EQ(ReadAll(device + "\\e.app"), "");
}

TEST_F(Wizard, AWrongRequestShowsWhatIsWrongAndSendsNothing) {
    const std::string path = root + "\\demo.bwt";
    WriteAll(path, "table");
    CreateDirectoryA((root + "\\folder.bwt").c_str(), nullptr);
    const struct { std::string path; DWORD flags, size; const char* name; std::string words; } cases[] = {
        {path, 1, 19, nullptr, "is 19 bytes long, but this library expects " + std::to_string(TALVIK_UPLOAD_INFO_SIZE) + "."},
        {"", 1, TALVIK_UPLOAD_INFO_SIZE, "demo.bwt", "does not say which file to send"},
        {path, 1, TALVIK_UPLOAD_INFO_SIZE, "", "does not give the name"},
        {path, 1, TALVIK_UPLOAD_INFO_SIZE, "..\\escaped.bwt", "does not accept the file name \"..\\escaped.bwt\""},
        {root + "\\missing.bwt", 1, TALVIK_UPLOAD_INFO_SIZE, nullptr, root + "\\missing.bwt was not found."},
        {root + "\\folder.bwt", 1, TALVIK_UPLOAD_INFO_SIZE, nullptr, root + "\\folder.bwt is a folder, not a file."},
        {path, 2, TALVIK_UPLOAD_INFO_SIZE, nullptr, "flags 0x00000002"},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(Send(c.path, c.flags, wizard::SendIt, c.size, c.name) || views.empty()) << c.words;
        EXPECT_TRUE(views.back().Says("The file cannot be sent.") && views.back().Says(c.words) &&
                    views.back().Says("Nothing was sent")) << views.back().text;
        EXPECT_TRUE(views.back().Has("Finish") && !views.back().Has("Next >") && !views.back().Has("< Back")) << views.back().buttons;
    }
    EXPECT_EQ(GetFileAttributesA(device.c_str()), INVALID_FILE_ATTRIBUTES) << "the Talvik's folder was touched";
}

TEST_F(Wizard, CancelOrAFailureLeavesTheTalvikAsItWas) {
    const std::string path = root + "\\large.bwt";
    WriteAll(path, Content(4 << 20));
    EXPECT_FALSE(Send(path, 1, [](const wizard::View&) { return PSBTN_CANCEL; }) || views.size() != 1);
    CreateDirectoryA(device.c_str(), nullptr);
    WriteAll(device + "\\large.bwt", "old");
    int seen = -1;  // the progress bar moves on, with Cancel and without Next
    EXPECT_FALSE(Send(path, 1, [&](const wizard::View& v) {
        if (v.percent < 0 || v.percent == 100) return SendIt(v);
        EXPECT_TRUE(v.percent >= seen && v.Has("Cancel") && !v.Has("Next >")) << v.text;
        return (seen = v.percent) > 20 ? PSBTN_CANCEL : -1;
    }));
    ASSERT_GT(seen, 20) << "the transfer ended before the test could cancel it";
    EXPECT_EQ(ReadAll(device + "\\large.bwt"), "old");
    // A folder of the file's name on the Talvik fails the transfer.
    CreateDirectoryA((device + "\\demo.bwt").c_str(), nullptr);
    WriteAll(root + "\\demo.bwt", "table");
    EXPECT_FALSE(Send(root + "\\demo.bwt"));
    EXPECT_TRUE(views.back().Says("demo.bwt could not be sent.") && views.back().Says("holds a folder named demo.bwt"))
        << views.back().text;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(device), {}), 2) << "nothing half sent";
}

TEST_F(Wizard, TheLongestTalvikFolderThatLeavesRoomForTheWorkingCopyIsUsedAndALongerOneRefused) {
    WriteAll(root + "\\t.bwt", "table");
    for (size_t length : {MAX_PATH - 16, MAX_PATH - 15}) {
        const std::string folder = root + "\\" + std::string(length - root.size() - 1, 'd');
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", folder.c_str());
        EXPECT_EQ(Send(root + "\\t.bwt"), length == MAX_PATH - 16) << views.back().text;
    }
}

}  // namespace
