// The upload wizard, run unattended: what arrives on the emulated Talvik (a
// folder named by TALVIK_DEVICE_DIR), what the pages tell the user, and that
// a wrong request, Cancel or a failure sends nothing.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/tvcomm/wizard_driver.h"
#include "tvcomm/tvcomm.h"

namespace {

using Bytes = std::vector<unsigned char>;

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && written == bytes.size()) << path;
}

std::optional<Bytes> ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    Bytes bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got != 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names in a folder; empty when the folder does not exist.
std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

// Bytes that a careless copy would damage: every byte value, line ends,
// the text end-of-file mark and zeros.
Bytes Content(size_t size, unsigned seed = 1) {
    Bytes bytes(size);
    unsigned state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = i < 256 ? static_cast<unsigned char>(i) : static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

// The name part of a path, as the program finds it: after the last backslash.
const char* NamePart(const std::string& path) {
    return path.c_str() + path.rfind('\\') + 1;
}

// A request as the program fills it in: the path, and its name part as a
// pointer into the same string.
TalvikUploadInfo Request(const std::string& path) {
    return TalvikUploadInfo{TALVIK_UPLOAD_INFO_SIZE, path.c_str(), NamePart(path), 0, 0};
}

class Wizard : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
        static int counter = 0;
        root = std::string(temp) + "tvcomm-test-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
        RemoveTree(root);
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        tables = root + "\\Tables";
        ASSERT_TRUE(CreateDirectoryA(tables.c_str(), nullptr));
        device = root + "\\Talvik";  // not there yet: the first transfer makes it
        char previous[MAX_PATH * 2];
        const DWORD length = GetEnvironmentVariableA("TALVIK_DEVICE_DIR", previous, sizeof previous);
        if (length != 0 && length < sizeof previous) previousDevice = previous;
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", device.c_str());
    }

    void TearDown() override {
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", previousDevice ? previousDevice->c_str() : nullptr);
        RemoveTree(root);
    }

    std::string Table(const std::string& name, const Bytes& bytes) {
        const std::string path = tables + "\\" + name;
        WriteFileBytes(path, bytes);
        return path;
    }

    // Runs the wizard with `policy` answering it.
    BOOL Send(const TalvikUploadInfo* info, DWORD flags, WizardDriver::Policy policy = WizardDriver::SendIt,
              HWND owner = nullptr) {
        driver.emplace(std::move(policy));
        const BOOL result = driver->Run([&] { return TalvikUploadWizardA(info, flags, owner); });
        EXPECT_FALSE(driver->timedOut) << "the wizard did not end by itself";
        return result;
    }

    const std::vector<WizardView>& Views() const { return driver->views; }
    const WizardView& Last() const { return driver->views.back(); }

    std::string root, tables, device;
    std::optional<std::string> previousDevice;
    std::optional<WizardDriver> driver;
};

// ---------------------------------------------------------------------------
// A good request: the file arrives whole, under its name part.

TEST_F(Wizard, ATableFileArrivesByteForByteUnderItsNamePart) {
    const Bytes content = Content(758);
    const std::string path = Table("demo.bwt", content);
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_EQ(ListFolder(device), std::vector<std::string>{"demo.bwt"});
    EXPECT_EQ(ReadFileBytes(device + "\\demo.bwt"), content);
    EXPECT_EQ(ReadFileBytes(path), content) << "the table file itself is left as it was";
}

TEST_F(Wizard, TheFirstPageSaysWhatGoesWhereAndWaitsForNext) {
    const std::string path = Table("demo.bwt", Content(758));
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    ASSERT_FALSE(Views().empty());
    const WizardView& first = Views().front();
    EXPECT_EQ(first.caption, "Send to Talvik");
    EXPECT_TRUE(first.Has("Next >"));
    EXPECT_TRUE(first.Has("Cancel"));
    EXPECT_FALSE(first.Has("Finish"));
    EXPECT_TRUE(first.Says("demo.bwt (758 bytes)")) << first.text;
    EXPECT_TRUE(first.Says(path)) << first.text;
    EXPECT_TRUE(first.Says(device)) << first.text;
}

TEST_F(Wizard, TheLastPageSaysTheFileHasArrivedAndOffersOnlyFinish) {
    const std::string path = Table("demo.bwt", Content(100));
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_TRUE(Last().Says("demo.bwt has arrived on the Talvik.")) << Last().text;
    EXPECT_TRUE(Last().Has("Finish"));
    EXPECT_FALSE(Last().Has("Next >"));
    EXPECT_FALSE(Last().Has("< Back"));
}

TEST_F(Wizard, AProgressBarFollowsALargeTransferToItsEnd) {
    const Bytes content = Content(3 << 20);
    const std::string path = Table("large.bwt", content);
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    std::vector<int> positions;
    for (const WizardView& view : Views()) {
        if (!view.hasProgressBar) continue;
        EXPECT_FALSE(view.Has("Next >"));
        EXPECT_FALSE(view.Has("< Back"));
        EXPECT_TRUE(view.Has("Cancel"));
        EXPECT_TRUE(view.Says("large.bwt")) << view.text;
        positions.push_back(view.progressPosition * 100 / std::max(1, view.progressMaximum));
    }
    ASSERT_FALSE(positions.empty()) << "no progress page was seen while sending 3 MB";
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << "the bar moved backwards";
    EXPECT_LT(positions.front(), 100) << "the bar was already full when first seen";
    EXPECT_EQ(ReadFileBytes(device + "\\large.bwt"), content);
}

TEST_F(Wizard, AnEmptyFileArrivesEmpty) {
    const std::string path = Table("empty.bwt", {});
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_EQ(ReadFileBytes(device + "\\empty.bwt"), Bytes{});
}

TEST_F(Wizard, TheFileReplacesOneOfTheSameNameAndTheFirstPageSaysSo) {
    device = root + "\\Talvik";
    ASSERT_TRUE(CreateDirectoryA(device.c_str(), nullptr));
    WriteFileBytes(device + "\\demo.bwt", Content(5000, 7));
    WriteFileBytes(device + "\\other.bwt", Content(10, 8));
    const Bytes content = Content(300, 9);
    const std::string path = Table("demo.bwt", content);
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_TRUE(Views().front().Says("already on the Talvik")) << Views().front().text;
    EXPECT_EQ(ReadFileBytes(device + "\\demo.bwt"), content);
    EXPECT_EQ(ReadFileBytes(device + "\\other.bwt"), Content(10, 8));
    EXPECT_EQ(ListFolder(device), (std::vector<std::string>{"demo.bwt", "other.bwt"}));
}

TEST_F(Wizard, ThePlayerProgramArrivesAsBumpwrightApp) {
    // The player command's request: Bumpwright.app in the program's folder.
    const std::string programFolder = root + "\\Program Files (x86)\\Bumpwright";
    ASSERT_TRUE(CreateDirectoryA((root + "\\Program Files (x86)").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    const Bytes player = Content(20000, 3);
    const std::string path = programFolder + "\\Bumpwright.app";
    WriteFileBytes(path, player);
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, 1));

    EXPECT_EQ(ListFolder(device), std::vector<std::string>{"Bumpwright.app"});
    EXPECT_EQ(ReadFileBytes(device + "\\Bumpwright.app"), player);
}

TEST_F(Wizard, WithoutTheConfirmFlagItSendsAtOnce) {
    const Bytes content = Content(758);
    const std::string path = Table("demo.bwt", content);
    const TalvikUploadInfo info = Request(path);
    bool pressedNext = false;
    auto finishOnly = [&](const WizardView& view) {
        if (view.Has("Next >")) pressedNext = true;
        return view.Has("Finish") ? WizardDriver::Finish : WizardDriver::Wait;
    };

    EXPECT_TRUE(Send(&info, 0, finishOnly));

    EXPECT_FALSE(pressedNext) << "a page waited for Next";
    EXPECT_EQ(ReadFileBytes(device + "\\demo.bwt"), content);
}

TEST_F(Wizard, TheWizardIsModalToItsOwner) {
    HWND owner = CreateWindowExA(0, "STATIC", "Bumpwright", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const std::string path = Table("demo.bwt", Content(10));
    const TalvikUploadInfo info = Request(path);
    bool ownerEnabledDuringWizard = false;
    auto policy = [&](const WizardView& view) {
        if (IsWindowEnabled(owner)) ownerEnabledDuringWizard = true;
        return WizardDriver::SendIt(view);
    };

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM, policy, owner));

    EXPECT_FALSE(ownerEnabledDuringWizard);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(Wizard, WithoutTheVariableTheTalvikIsAFolderInTheUsersApplicationData) {
    SetEnvironmentVariableA("TALVIK_DEVICE_DIR", nullptr);
    char appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
    const std::string folder = std::string(appData) + "\\Talvik\\Device";
    const std::string name = "tvcomm-test-" + std::to_string(GetCurrentProcessId()) + ".bwt";
    const Bytes content = Content(758);
    const std::string path = Table(name, content);
    const TalvikUploadInfo info = Request(path);

    EXPECT_TRUE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_TRUE(Views().front().Says(folder)) << Views().front().text;
    EXPECT_EQ(ReadFileBytes(folder + "\\" + name), content);
    DeleteFileA((folder + "\\" + name).c_str());
}

TEST_F(Wizard, ARelativeFolderInTheVariableIsShownInFull) {
    char current[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(sizeof current, current), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    SetEnvironmentVariableA("TALVIK_DEVICE_DIR", "relative\\device\\");
    const Bytes content = Content(758);
    const std::string path = Table("demo.bwt", content);
    const TalvikUploadInfo info = Request(path);

    const BOOL sent = Send(&info, TALVIK_UPLOAD_CONFIRM);
    SetCurrentDirectoryA(current);

    EXPECT_TRUE(sent);
    EXPECT_TRUE(Views().front().Says("folder " + root + "\\relative\\device\n")) << Views().front().text;
    EXPECT_EQ(ReadFileBytes(root + "\\relative\\device\\demo.bwt"), content);
}

// ---------------------------------------------------------------------------
// A wrong request: one page says what is wrong, and nothing is sent.

struct BadRequest {
    const char* what;
    std::string expected;  // words the page must show
};

class WrongRequest : public Wizard {
protected:
    // Runs the wizard and checks that it showed one problem page with
    // `words`, offered no way on, and sent nothing.
    void ExpectRefused(const TalvikUploadInfo* info, DWORD flags, const std::string& words) {
        EXPECT_FALSE(Send(info, flags));
        ASSERT_FALSE(Views().empty());
        for (const WizardView& view : Views()) {
            EXPECT_TRUE(view.Says("The file cannot be sent.")) << view.text;
            EXPECT_TRUE(view.Says(words)) << view.text;
            EXPECT_TRUE(view.Says("Nothing was sent to the Talvik.")) << view.text;
            EXPECT_TRUE(view.Has("Finish"));
            EXPECT_FALSE(view.Has("Next >"));
            EXPECT_FALSE(view.hasProgressBar);
        }
        EXPECT_FALSE(Exists(device)) << "the Talvik's folder was touched";
    }
};

TEST_F(WrongRequest, NoRecordAtAll) {
    ExpectRefused(nullptr, TALVIK_UPLOAD_CONFIRM, "did not pass an upload request");
}

TEST_F(WrongRequest, ASizeFieldOtherThanTwenty) {
    const std::string path = Table("demo.bwt", Content(10));
    for (DWORD size : {0u, 16u, TALVIK_UPLOAD_INFO_SIZE - 1u, TALVIK_UPLOAD_INFO_SIZE + 1u, 24u}) {
        SCOPED_TRACE(size);
        TalvikUploadInfo info = Request(path);
        info.cbSize = size;
        ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "is " + std::to_string(size) + " bytes long");
        EXPECT_TRUE(Last().Says("expects " + std::to_string(TALVIK_UPLOAD_INFO_SIZE)));
    }
}

TEST_F(WrongRequest, NoPath) {
    TalvikUploadInfo info{TALVIK_UPLOAD_INFO_SIZE, nullptr, "demo.bwt", 0, 0};
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not say which file to send");
    info.pszPath = "";
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not say which file to send");
}

TEST_F(WrongRequest, NoName) {
    const std::string path = Table("demo.bwt", Content(10));
    TalvikUploadInfo info{TALVIK_UPLOAD_INFO_SIZE, path.c_str(), nullptr, 0, 0};
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not give the name");
    // A path ending in a backslash has an empty name part.
    const std::string folderPath = tables + "\\";
    info = Request(folderPath);
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not give the name");
}

TEST_F(WrongRequest, ANameTheTalvikRefusesNeverLeavesItsFolder) {
    const std::string path = Table("demo.bwt", Content(10));
    TalvikUploadInfo info = Request(path);
    info.pszName = "..\\escaped.bwt";
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not accept the file name \"..\\escaped.bwt\"");
    EXPECT_FALSE(Exists(root + "\\escaped.bwt"));
    info.pszName = "nul.bwt";
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "does not accept the file name \"nul.bwt\"");
}

TEST_F(WrongRequest, AMissingFile) {
    const std::string path = tables + "\\missing.bwt";
    const TalvikUploadInfo info = Request(path);
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, path + " was not found.");
    const std::string inMissingFolder = root + "\\No such folder\\demo.bwt";
    const TalvikUploadInfo other = Request(inMissingFolder);
    ExpectRefused(&other, TALVIK_UPLOAD_CONFIRM, inMissingFolder + " was not found.");
}

TEST_F(WrongRequest, AFolderInsteadOfAFile) {
    const std::string path = tables + "\\folder.bwt";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    const TalvikUploadInfo info = Request(path);
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, path + " is a folder, not a file.");
}

TEST_F(WrongRequest, AFileThatAnotherProgramHoldsOpen) {
    const std::string path = Table("busy.bwt", Content(10));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TalvikUploadInfo info = Request(path);
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, path + " is being used by another program");
    CloseHandle(held);
}

TEST_F(WrongRequest, ReservedWordsThatAreNotZero) {
    const std::string path = Table("demo.bwt", Content(10));
    TalvikUploadInfo info = Request(path);
    info.dwReserved1 = 1;
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "reserved fields");
    info.dwReserved1 = 0;
    info.dwReserved2 = 0x80000000u;
    ExpectRefused(&info, TALVIK_UPLOAD_CONFIRM, "reserved fields");
}

TEST_F(WrongRequest, UnknownFlags) {
    const std::string path = Table("demo.bwt", Content(10));
    const TalvikUploadInfo info = Request(path);
    ExpectRefused(&info, 2, "flags 0x00000002");
    ExpectRefused(&info, 0xFFFFFFFFu, "flags 0xFFFFFFFF");
}

// ---------------------------------------------------------------------------
// Cancel: nothing arrives, and the Talvik keeps what it had.

TEST_F(Wizard, CancelOnTheFirstPageSendsNothing) {
    const std::string path = Table("demo.bwt", Content(758));
    const TalvikUploadInfo info = Request(path);

    EXPECT_FALSE(Send(&info, TALVIK_UPLOAD_CONFIRM, [](const WizardView&) { return WizardDriver::Cancel; }));

    EXPECT_EQ(Views().size(), 1u);
    EXPECT_EQ(ListFolder(device), std::vector<std::string>{});
}

TEST_F(Wizard, CancelDuringTheTransferLeavesTheTalvikAsItWas) {
    ASSERT_TRUE(CreateDirectoryA(device.c_str(), nullptr));
    const Bytes old = Content(1000, 5);
    WriteFileBytes(device + "\\large.bwt", old);
    const std::string path = Table("large.bwt", Content(4 << 20));
    const TalvikUploadInfo info = Request(path);
    bool cancelledWhileSending = false;
    auto cancelMidway = [&](const WizardView& view) {
        if (view.hasProgressBar && view.progressPosition < view.progressMaximum) {
            cancelledWhileSending = true;
            return WizardDriver::Cancel;
        }
        return WizardDriver::SendIt(view);
    };

    const BOOL sent = Send(&info, TALVIK_UPLOAD_CONFIRM, cancelMidway);

    ASSERT_TRUE(cancelledWhileSending) << "the transfer ended before the test could cancel it";
    EXPECT_FALSE(sent);
    EXPECT_EQ(ListFolder(device), std::vector<std::string>{"large.bwt"}) << "a partial file was left behind";
    EXPECT_EQ(ReadFileBytes(device + "\\large.bwt"), old);
}

// ---------------------------------------------------------------------------
// A transfer that fails: the last page says why, nothing changes.

TEST_F(Wizard, ATalvikFolderThatCannotBeMadeFailsTheTransfer) {
    const std::string file = root + "\\plain file";
    WriteFileBytes(file, Content(3));
    const std::string path = Table("demo.bwt", Content(758));
    const TalvikUploadInfo info = Request(path);
    for (const std::string& folder : {file + "\\Talvik", file}) {
        SCOPED_TRACE(folder);
        SetEnvironmentVariableA("TALVIK_DEVICE_DIR", folder.c_str());

        EXPECT_FALSE(Send(&info, TALVIK_UPLOAD_CONFIRM));

        EXPECT_TRUE(Last().Says("demo.bwt could not be sent.")) << Last().text;
        EXPECT_TRUE(Last().Says("The Talvik's folder " + folder + " could not be created: " + file +
                                " is a file, not a folder.")) << Last().text;
        EXPECT_TRUE(Last().Says("Nothing was changed on the Talvik.")) << Last().text;
        EXPECT_TRUE(Last().Has("Finish"));
        EXPECT_FALSE(Last().Has("Next >"));
        EXPECT_EQ(ReadFileBytes(file), Content(3));
    }
}

TEST_F(Wizard, AFolderOfTheSameNameOnTheTalvikFailsTheTransferAndLeavesNoPartialFile) {
    ASSERT_TRUE(CreateDirectoryA(device.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((device + "\\demo.bwt").c_str(), nullptr));
    const std::string path = Table("demo.bwt", Content(758));
    const TalvikUploadInfo info = Request(path);

    EXPECT_FALSE(Send(&info, TALVIK_UPLOAD_CONFIRM));

    EXPECT_TRUE(Last().Says("demo.bwt could not be sent.")) << Last().text;
    EXPECT_TRUE(Last().Says("holds a folder named demo.bwt")) << Last().text;
    EXPECT_EQ(ListFolder(device), std::vector<std::string>{"demo.bwt"});
    EXPECT_EQ(ListFolder(device + "\\demo.bwt"), std::vector<std::string>{});
}

}  // namespace
