// The copies of unsaved changes with several windows at once: each store
// is one window, a store destroyed without removing its copy is a window
// that crashed.
#include "tests/win/test_support.h"
#include "win/recovery_store.h"

namespace {

using test::Exists, test::ReadAll;
using win::RecoveryStore;

constexpr char kCopyOfA[] = "# Bumpwright recovery of: C:\\tables\\a.bwt\nhole 10 10\n";

std::unique_ptr<RecoveryStore> Open(const test::TempFolder& folder) {
    auto store = RecoveryStore::Open(folder.path());
    EXPECT_TRUE(store);
    return store;
}

std::string TablePathOffered(RecoveryStore& store) {
    const auto copy = store.ClaimLeftCopy();
    return copy ? copy->TablePath() : "(none)";
}

TEST(RecoveryStore, OnlyTheCopyOfAWindowThatIsGoneIsOffered) {
    test::TempFolder folder;
    auto a = Open(folder), b = Open(folder);
    EXPECT_NE(a->CopyPath(), b->CopyPath());
    ASSERT_TRUE(a->Write("C:\\tables\\a.bwt", "hole 10 10\n"));
    EXPECT_EQ(ReadAll(a->CopyPath()), kCopyOfA);
    EXPECT_EQ(TablePathOffered(*b), "(none)") << "its window still runs";
    ASSERT_TRUE(b->Write("", "cannon 60 90\n"));
    b->Remove();  // b saved its table
    EXPECT_TRUE(!Exists(b->CopyPath()) && ReadAll(a->CopyPath()) == kCopyOfA);

    const std::string left = a->CopyPath();
    a.reset();  // a crashes
    auto c = Open(folder);
    EXPECT_NE(c->CopyPath(), left) << "a copy left behind is no new window's own";
    ASSERT_TRUE(c->Write("", "hole 1 1\n"));
    const auto copy = c->ClaimLeftCopy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->TablePath(), "C:\\tables\\a.bwt");
    EXPECT_EQ(copy->TableText(), "hole 10 10\n");
}

// Two windows starting together: the first to claim the copy offers it;
// what it answers decides what the other, and a later window, find.
TEST(RecoveryStore, ACopyLeftBehindIsOfferedByOneWindowAtATime) {
    enum class Answer { None, No, Yes };
    const struct { const char* what; Answer answer; bool offeredAfter, left; } cases[] = {
        {"no answer: given up", Answer::None, true, true},
        {"refused: removed", Answer::No, false, false},
        {"restored: the restoring window's copy", Answer::Yes, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder folder;
        std::string left;
        {
            auto crashed = Open(folder);
            ASSERT_TRUE(crashed->Write("C:\\tables\\a.bwt", "hole 10 10\n"));
            left = crashed->CopyPath();
        }
        auto first = Open(folder), second = Open(folder);
        auto copy = first->ClaimLeftCopy();
        ASSERT_TRUE(copy);
        EXPECT_EQ(TablePathOffered(*second), "(none)") << "offered by the first already";
        if (c.answer == Answer::No) first->Discard(std::move(*copy));
        if (c.answer == Answer::Yes) first->Adopt(std::move(*copy));
        copy.reset();
        EXPECT_EQ(TablePathOffered(*second), c.offeredAfter ? "C:\\tables\\a.bwt" : "(none)");
        EXPECT_EQ(TablePathOffered(*Open(folder)), c.offeredAfter ? "C:\\tables\\a.bwt" : "(none)");
        EXPECT_EQ(Exists(left), c.left);
        if (c.answer == Answer::Yes) {
            EXPECT_EQ(first->CopyPath(), left);
            ASSERT_TRUE(first->Write("C:\\tables\\a.bwt", "hole 20 20\n"));
            first->Remove();
            EXPECT_FALSE(Exists(left));
        }
    }
}

// What may be found in the folder: a copy of an older version, copies of
// ours, and files that are not.
TEST(RecoveryStore, OnlyCopiesInTheirSlotsAreOffered) {
    const struct { const char* file; std::string text; const char* offered; bool stays; } cases[] = {
        {"Recovery.txt", kCopyOfA, "C:\\tables\\a.bwt", true},
        {"Recovery-7.txt", "# Bumpwright recovery of: \r\nhole 1 1\r\n", "", true},
        {"Recovery-7.txt", "hole 1 1\n", "(none)", false},
        {"Recovery-7.txt.saving", kCopyOfA, "(none)", true},
        {"Recovery-x.txt", kCopyOfA, "(none)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::TempFolder folder;
        test::WriteAll(folder.File(c.file), c.text);
        auto store = Open(folder);
        EXPECT_EQ(TablePathOffered(*store), c.offered);
        EXPECT_EQ(Exists(folder.File(c.file)), c.stays);
    }
    // An older version's copy, restored, is kept and removed as the window's own.
    test::TempFolder folder;
    test::WriteAll(folder.File("Recovery.txt"), kCopyOfA);
    auto store = Open(folder);
    auto copy = store->ClaimLeftCopy();
    ASSERT_TRUE(copy);
    store->Adopt(std::move(*copy));
    EXPECT_EQ(store->CopyPath(), folder.File("Recovery.txt"));
    store->Remove();
    store.reset();
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{}) << "the locks go with their stores";
}

}  // namespace
