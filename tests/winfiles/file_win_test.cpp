// Table files on disk under Windows: reading a prefix, replacing a file
// safely, and failures worded by cause with the file's name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "files/win/table_file_win.h"

namespace {

using namespace bw;

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "bwfiles" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(counter_++);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    static void Remove(const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = dir + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(full);
                else DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }
    static inline int counter_ = 0;
    std::string path_;
};

void Put(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(h);
}

std::string Get(const std::string& path) {
    std::vector<uint8_t> bytes;
    FileError error;
    if (!ReadFilePrefix(path, 1 << 20, bytes, error)) return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// ---- reading ------------------------------------------------------------------

TEST(ReadTableFile, ReadsAtMostTheLimitFromTheStart) {
    TempFolder dir;
    Put(dir / "big.bwt", std::string(1000, 'x'));
    std::vector<uint8_t> bytes;
    FileError error;
    ASSERT_TRUE(ReadFilePrefix(dir / "big.bwt", 758, bytes, error));
    EXPECT_EQ(bytes.size(), 758u);
    Put(dir / "small.bwt", "BWT");
    ASSERT_TRUE(ReadFilePrefix(dir / "small.bwt", 758, bytes, error));
    EXPECT_EQ(bytes, Bytes("BWT"));
}

TEST(ReadTableFile, AMissingFileIsReportedByNameAsNotFound) {
    TempFolder dir;
    std::vector<uint8_t> bytes;
    FileError error;
    EXPECT_FALSE(ReadFilePrefix(dir / "nope.bwt", 758, bytes, error));
    EXPECT_EQ(error.cause, FileErrorCause::NotFound);
    EXPECT_EQ(FileErrorMessage(error), dir / "nope.bwt" + " was not found.");
}

TEST(ReadTableFile, AMissingFolderIsReportedAsABadPath) {
    TempFolder dir;
    std::vector<uint8_t> bytes;
    FileError error;
    EXPECT_FALSE(ReadFilePrefix(dir / "no folder\\t.bwt", 758, bytes, error));
    EXPECT_EQ(error.cause, FileErrorCause::BadPath);
    EXPECT_NE(FileErrorMessage(error).find(dir / "no folder\\t.bwt"), std::string::npos);
}

// ---- writing --------------------------------------------------------------------

TEST(WriteTableFile, CreatesAndReplacesWholeFiles) {
    TempFolder dir;
    FileError error;
    ASSERT_TRUE(WriteFileReplacing(dir / "t.bwt", Bytes("first version"), error));
    EXPECT_EQ(Get(dir / "t.bwt"), "first version");
    ASSERT_TRUE(WriteFileReplacing(dir / "t.bwt", Bytes("second"), error));
    EXPECT_EQ(Get(dir / "t.bwt"), "second");
    EXPECT_FALSE(Exists(dir / "t.bwt.saving"));
}

TEST(WriteTableFile, DiskFullPartWayLeavesTheOldFileWhole) {
    TempFolder dir;
    Put(dir / "t.bwt", "the table that was saved before");
    FileError error;
    int calls = 0;
    auto fillsUp = [&](HANDLE h, const void* data, DWORD size, DWORD* written) -> BOOL {
        if (++calls > 1) {
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        return WriteFile(h, data, size / 2, written, nullptr);  // half fits
    };
    EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", Bytes("a new table, longer than the space left"), error, fillsUp));
    EXPECT_EQ(error.cause, FileErrorCause::DiskFull);
    EXPECT_EQ(FileErrorMessage(error), "Disk full while accessing " + dir / "t.bwt" + ".");
    EXPECT_EQ(Get(dir / "t.bwt"), "the table that was saved before");
    EXPECT_FALSE(Exists(dir / "t.bwt.saving"));
}

TEST(WriteTableFile, ADeviceErrorLeavesTheOldFileWhole) {
    TempFolder dir;
    Put(dir / "t.bwt", "old");
    FileError error;
    auto broken = [](HANDLE, const void*, DWORD, DWORD*) -> BOOL {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    };
    EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", Bytes("new"), error, broken));
    EXPECT_EQ(error.cause, FileErrorCause::HardIO);
    EXPECT_EQ(Get(dir / "t.bwt"), "old");
}

TEST(WriteTableFile, AReadOnlyFileIsNotTouched) {
    TempFolder dir;
    Put(dir / "t.bwt", "locked");
    SetFileAttributesA((dir / "t.bwt").c_str(), FILE_ATTRIBUTE_READONLY);
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", Bytes("new"), error));
    EXPECT_EQ(FileErrorMessage(error), "Access to " + dir / "t.bwt" + " was denied.");
    EXPECT_EQ(Get(dir / "t.bwt"), "locked");
    EXPECT_FALSE(Exists(dir / "t.bwt.saving"));
}

TEST(WriteTableFile, AFolderWhereTheFileShouldBeIsRefused) {
    TempFolder dir;
    CreateDirectoryA((dir / "t.bwt").c_str(), nullptr);
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", Bytes("new"), error));
    EXPECT_EQ(error.cause, FileErrorCause::AccessDenied);
    const DWORD attrs = GetFileAttributesA((dir / "t.bwt").c_str());
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(WriteTableFile, AMissingFolderIsReportedAndNothingIsCreated) {
    TempFolder dir;
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(dir / "gone\\t.bwt", Bytes("new"), error));
    EXPECT_EQ(error.cause, FileErrorCause::BadPath);
    EXPECT_FALSE(Exists(dir / "gone"));
}

TEST(WriteTableFile, AFileHeldOpenByAnotherProgramIsASharingViolation) {
    TempFolder dir;
    Put(dir / "t.bwt", "held");
    HANDLE other = CreateFileA((dir / "t.bwt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", Bytes("new"), error));
    CloseHandle(other);
    EXPECT_EQ(FileErrorMessage(error), "A sharing violation occurred while accessing " + dir / "t.bwt" + ".");
    EXPECT_EQ(Get(dir / "t.bwt"), "held");
    EXPECT_FALSE(Exists(dir / "t.bwt.saving"));
}

// A path near the system's limit leaves no room for "<name>.saving": the
// working copy takes a name no longer than the file's own in the same
// folder, and nothing of it is left behind. A long name in a short folder,
// and a short name in a deep folder.
TEST(WriteTableFile, APathNearTheLimitIsStillWrittenWhole) {
    TempFolder dir;
    const std::string folder = dir / "";
    const std::string deep = dir / std::string(MAX_PATH - 1 - 6 - folder.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    std::string longName = dir / std::string(MAX_PATH, 'n');
    longName.resize(MAX_PATH - 1);
    for (const std::string& path : {longName, deep + "\\t.bwt"}) {
        ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1));
        const std::string parent = path.substr(0, path.rfind('\\'));
        FileError error;
        Put(path, "old");
        ASSERT_EQ(Get(path), "old");
        EXPECT_TRUE(WriteFileReplacing(path, Bytes("new bytes"), error)) << FileErrorMessage(error);
        EXPECT_EQ(Get(path), "new bytes");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((parent + "\\~*").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
}

// The working copy never takes the name of a file that is there.
TEST(WriteTableFile, AShortWorkingNameNeverReplacesAnotherFile) {
    TempFolder dir;
    const std::string folder = dir / "";
    const std::string deep = dir / std::string(MAX_PATH - 1 - 2 - folder.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    // A two-character name leaves one hexadecimal digit: 16 names, all taken.
    for (int i = 0; i < 16; ++i) Put(deep + "\\~" + "0123456789abcdef"[i], "mine");
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(deep + "\\ab", Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Get(deep + "\\~" + "0123456789abcdef"[i]), "mine");
    EXPECT_FALSE(Exists(deep + "\\ab"));
}

TEST(WriteTableFile, APathLongerThanTheSystemTakesIsRefused) {
    TempFolder dir;
    std::string longName = dir / std::string(MAX_PATH, 'n');
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(longName, Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
    EXPECT_FALSE(Exists(longName));
}

}  // namespace
