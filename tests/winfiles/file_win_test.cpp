// Table files on disk under Windows: replacing a file safely, and failures
// worded by cause with the file's name.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/win/table_file_win.h"

namespace {

using namespace bw;

struct Folder {
    std::string path;
    Folder() {
        char base[MAX_PATH];
        path = std::string(base, GetTempPathA(MAX_PATH, base)) + "bwfiles" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~Folder() {
        std::error_code ignored;
        SetFileAttributesA((path + "\\t.bwt").c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
};

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Get(const std::string& path) {
    std::vector<uint8_t> bytes;
    FileError error;
    return ReadFilePrefix(path, 1 << 20, bytes, error) ? std::string(bytes.begin(), bytes.end()) : "<unreadable>";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A failed save keeps the old file whole and leaves no working copy.
TEST(TableFiles, AFailedSaveKeepsTheOldFile) {
    using Writer = WriteChunkFn;  // none: WriteFile
    int calls = 0;
    const Writer fillsUp = [&](HANDLE h, const void* data, DWORD size, DWORD* written) -> BOOL {
        if (++calls > 1) return SetLastError(ERROR_DISK_FULL), FALSE;
        return WriteFile(h, data, size / 2, written, nullptr);  // half fits
    };
    const Writer broken = [](HANDLE, const void*, DWORD, DWORD*) -> BOOL { return SetLastError(ERROR_WRITE_FAULT), FALSE; };
    const struct { const char* what; Writer writer; FileErrorCause cause; std::string message; } cases[] = {
        {"disk full", fillsUp, FileErrorCause::DiskFull, "Disk full while accessing "},
        {"device error", broken, FileErrorCause::HardIO, ""},
        {"read-only", nullptr, FileErrorCause::AccessDenied, "Access to "},
        {"held open", nullptr, FileErrorCause::SharingViolation, "A sharing violation occurred while accessing "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Folder dir;
        Put(dir / "t.bwt", "the table saved before");
        if (c.cause == FileErrorCause::AccessDenied) SetFileAttributesA((dir / "t.bwt").c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE other = c.cause == FileErrorCause::SharingViolation
                           ? CreateFileA((dir / "t.bwt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                           : INVALID_HANDLE_VALUE;
        FileError error;
        const std::vector<uint8_t> bytes = Bytes("a new table, longer than the space left");
        EXPECT_FALSE(WriteFileReplacing(dir / "t.bwt", bytes, error, c.writer));
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        EXPECT_EQ(error.cause, c.cause);
        if (!c.message.empty()) EXPECT_EQ(FileErrorMessage(error).find(c.message + dir / "t.bwt"), 0u) << FileErrorMessage(error);
        EXPECT_EQ(Get(dir / "t.bwt"), "the table saved before");
        EXPECT_FALSE(Exists(dir / "t.bwt.saving"));
    }
    Folder dir;
    FileError error;
    CreateDirectoryA((dir / "folder.bwt").c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(dir / "folder.bwt", Bytes("new"), error) || error.cause != FileErrorCause::AccessDenied);
    EXPECT_FALSE(WriteFileReplacing(dir / "gone\\t.bwt", Bytes("new"), error) || error.cause != FileErrorCause::BadPath);
    EXPECT_FALSE(Exists(dir / "gone"));
    EXPECT_TRUE(WriteFileReplacing(dir / "t.bwt", Bytes("first version"), error) &&
                WriteFileReplacing(dir / "t.bwt", Bytes("second"), error) && Get(dir / "t.bwt") == "second");
}

// Paths near the system's limit leave no room for "<name>.saving": the
// working copy takes a name no longer than the file's own, never that of a
// file that is there, and nothing of it is left behind; longer paths are
// refused.
TEST(TableFiles, PathsAtTheLimitAreWrittenWholeAndLongerOnesRefused) {
    Folder dir;
    const std::string deep = dir / std::string(MAX_PATH - 1 - 6 - (dir / "").size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const std::string longName = (dir / std::string(MAX_PATH, 'n')).substr(0, MAX_PATH - 1);
    for (const std::string& path : {longName, deep + "\\t.bwt"}) {
        FileError error;
        Put(path, "old");
        EXPECT_TRUE(WriteFileReplacing(path, Bytes("new bytes"), error)) << FileErrorMessage(error);
        EXPECT_EQ(Get(path), "new bytes");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path.substr(0, path.rfind('\\')) + "\\~*").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
    // A two-character name there leaves one hexadecimal digit: 16 names, all taken.
    const std::string deeper = dir / std::string(MAX_PATH - 1 - 2 - (dir / "").size(), 'e');
    ASSERT_TRUE(CreateDirectoryA(deeper.c_str(), nullptr));
    for (int i = 0; i < 16; ++i) Put(deeper + "\\~" + "0123456789abcdef"[i], "mine");
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(deeper + "\\ab", Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Get(deeper + "\\~" + "0123456789abcdef"[i]), "mine");
    EXPECT_FALSE(WriteFileReplacing(dir / std::string(MAX_PATH, 'n'), Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
}

}  // namespace
