// Table files on disk under Windows: replacing a file safely, and failures
// worded by cause with the file's name.
#include <algorithm>

#include "files/table_file.h"
#include "files/win/table_file_win.h"
#include "tests/win/test_support.h"

namespace {

using namespace bw;
using test::Exists, test::ReadAll;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A failed save keeps the old file whole and leaves no working copy.
TEST(TableFiles, AFailedSaveKeepsTheOldFile) {
    int calls = 0;
    const WriteChunkFn fillsUp = [&](HANDLE h, const void* data, DWORD size, DWORD* written) -> BOOL {
        if (++calls > 1) return SetLastError(ERROR_DISK_FULL), FALSE;
        return WriteFile(h, data, size / 2, written, nullptr);  // half fits
    };
    const WriteChunkFn broken = [](HANDLE, const void*, DWORD, DWORD*) -> BOOL { return SetLastError(ERROR_WRITE_FAULT), FALSE; };
    const struct { const char* what; WriteChunkFn writer; FileErrorCause cause; std::string message; } cases[] = {
        {"disk full", fillsUp, FileErrorCause::DiskFull, "Disk full while accessing "},
        {"device error", broken, FileErrorCause::HardIO, ""},
        {"read-only", nullptr, FileErrorCause::AccessDenied, "Access to "},
        {"held open", nullptr, FileErrorCause::SharingViolation, "A sharing violation occurred while accessing "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder dir;
        const std::string path = dir.File("t.bwt");
        test::WriteAll(path, "the table saved before");
        if (c.cause == FileErrorCause::AccessDenied) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE other = c.cause == FileErrorCause::SharingViolation
                           ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                           : INVALID_HANDLE_VALUE;
        FileError error;
        EXPECT_FALSE(WriteFileReplacing(path, Bytes("a new table, longer than the space left"), error, c.writer));
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        EXPECT_EQ(error.cause, c.cause);
        if (!c.message.empty()) {
            EXPECT_EQ(FileErrorMessage(error).find(c.message + path), 0u) << FileErrorMessage(error);
        }
        EXPECT_EQ(ReadAll(path), "the table saved before");
        EXPECT_FALSE(Exists(path + ".saving"));
    }
    test::TempFolder dir;
    FileError error;
    CreateDirectoryA(dir.File("folder.bwt").c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(dir.File("folder.bwt"), Bytes("new"), error) || error.cause != FileErrorCause::AccessDenied);
    EXPECT_FALSE(WriteFileReplacing(dir.File("gone\\t.bwt"), Bytes("new"), error) || error.cause != FileErrorCause::BadPath);
    EXPECT_FALSE(Exists(dir.File("gone")));
    EXPECT_TRUE(WriteFileReplacing(dir.File("t.bwt"), Bytes("first version"), error) &&
                WriteFileReplacing(dir.File("t.bwt"), Bytes("second"), error) && ReadAll(dir.File("t.bwt")) == "second");
}

// Paths near the system's limit leave no room for "<name>.saving": the
// working copy takes a name no longer than the file's own, never that of a
// file that is there, and nothing of it is left behind; longer paths are
// refused.
TEST(TableFiles, PathsAtTheLimitAreWrittenWholeAndLongerOnesRefused) {
    test::TempFolder dir;
    const std::string deep = dir.File(std::string(MAX_PATH - 1 - 6 - dir.File("").size(), 'd'));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const std::string longName = dir.File(std::string(MAX_PATH, 'n')).substr(0, MAX_PATH - 1);
    for (const std::string& path : {longName, deep + "\\t.bwt"}) {
        FileError error;
        test::WriteAll(path, "old");
        EXPECT_TRUE(WriteFileReplacing(path, Bytes("new bytes"), error)) << FileErrorMessage(error);
        EXPECT_EQ(ReadAll(path), "new bytes");
        const auto names = test::ListFolder(path.substr(0, path.rfind('\\')));
        EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n[0] == '~'; }), 0);
    }
    // A two-character name there leaves one hexadecimal digit: 16 names, all taken.
    const std::string deeper = dir.File(std::string(MAX_PATH - 1 - 2 - dir.File("").size(), 'e'));
    ASSERT_TRUE(CreateDirectoryA(deeper.c_str(), nullptr));
    for (char digit : std::string("0123456789abcdef")) test::WriteAll(deeper + "\\~" + digit, "mine");
    FileError error;
    EXPECT_FALSE(WriteFileReplacing(deeper + "\\ab", Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
    for (char digit : std::string("0123456789abcdef")) EXPECT_EQ(ReadAll(deeper + "\\~" + digit), "mine");
    EXPECT_FALSE(WriteFileReplacing(dir.File(std::string(MAX_PATH, 'n')), Bytes("x"), error));
    EXPECT_NE(error.cause, FileErrorCause::None);
}

// The portable writer (the tool's and the benchmarks') replaces a file
// that is there too, and leaves nothing else in the folder.
TEST(TableFiles, ThePortableWriterReplacesAFileThatIsThere) {
    test::TempFolder dir;
    const std::string path = dir.File("t.bwt");
    test::WriteAll(path, "the table saved before");
    std::string error;
    EXPECT_TRUE(WriteFileBytes(path, Bytes("new"), error)) << error;
    EXPECT_EQ(ReadAll(path), "new");
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"t.bwt"});
}

}  // namespace
