// Paste, driven through the editor: pieces at the edges land where a click
// could have placed them (the editor fuzzer checks every kind, each least
// move and Duplicate the same way); the clipboard's text is read whatever
// its line ends, and refused with a message that quotes it readably; the
// budget is the file's.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "editor/placement.h"
#include "tests/core/editor_session.h"

namespace {

using bwtest::Session;

constexpr char kHead[] = "# Bumpwright table\n";

// The rule a pasted piece obeys: every corner where a click could put it.
bool Allowed(const bw::TablePiece& piece) { return bw::Placeable(piece); }

TEST(Paste, PiecesAtTheEdgesLandWhereAClickCouldHavePlacedThem) {
    struct Case {
        const char* clipboard;
        const char* pasted;
    };
    const Case cases[] = {
        {"border 200 10, 250 10, 250 50\n", "border 74 10, 124 10, 124 50\n"},
        // The lane wall of the classic table stays where it is.
        {"border 82 85, 111 71, 111 98\n", "border 82 85, 111 71, 111 98\n"},
        // Together: moved as one, each where it may stand.
        {"hole 200 30\ncannon 150 90\n", "hole 124 30\ncannon 74 90\n"},
        {"left-flipper 120 60\nright-flipper 30 60\n", "left-flipper 114 60\nright-flipper 24 60\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clipboard);
        Session s;
        s.view.clipboard = c.clipboard;
        s.Run("V");
        EXPECT_TRUE(s.view.asked.empty());
        EXPECT_EQ(s.Text(), kHead + std::string(c.pasted));
        for (const bw::TablePiece* p = s.editor.table().FirstChild(); p; p = p->next.get()) EXPECT_TRUE(Allowed(*p));
    }
}

TEST(Paste, ASetThatCannotStandTogetherIsRefusedWhole) {
    for (const char* text : {"border 0 0, 255 0\n", "obstacle10 0 10\nobstacle10 10 255\n",
                             "left-flipper 120 60\nright-flipper 0 60\n"}) {
        SCOPED_TRACE(text);
        Session s;
        s.Load("hole 30 30\n");
        s.view.clipboard = text;
        s.Run("V");
        ASSERT_EQ(s.view.asked.size(), 1u);
        EXPECT_EQ(s.view.asked[0].message, bw::EditorMessage::NoFreePlace);
        EXPECT_EQ(s.view.asked[0].argument, "Paste");
        EXPECT_EQ(s.Text(), kHead + std::string("hole 30 30\n"));
        EXPECT_TRUE(s.editor.saved());
        EXPECT_FALSE(s.editor.CanAct(bw::EditCommand::Undo));
    }
}

std::string Times(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string Obstacles(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "obstacle10 " + std::to_string(10 + i % 100) + " " + std::to_string(10 + i / 100 * 9) + "\n";
    return text;
}

TEST(Paste, TheBudgetIsWhatATableFileHolds) {
    struct Case {
        const char* name;
        std::string before;  // the table first
        std::string clipboard;
        bool fits;
    };
    std::ifstream in(std::string(BW_SOURCE_DIR) + "/examples/full.txt", std::ios::binary);
    std::stringstream full;
    full << in.rdbuf();
    const Case cases[] = {
        {"249 records", "", Obstacles(248), true},
        {"250 records", "", Obstacles(249), true},
        {"251 records", "", Obstacles(250), false},
        {"the shipped full table into an empty table", "", full.str(), true},
        {"one more on a full table", full.str(), "hole 60 60\n", false},
        {"a cannon onto 248 records", Obstacles(247), "cannon 60 60\n", true},
        {"300 pieces", "", Obstacles(300), false},
        {"62,000 lines", "", Times("obstacle10 3 3\n", 62000), false},
        {"62,000 lines of a border", "", "border 1 1" + Times(", 2 2", 62000) + "\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        if (!c.before.empty()) s.Load(c.before);
        const std::string before = s.Text();
        s.view.clipboard = c.clipboard;
        s.Run("V");
        if (c.fits) {
            EXPECT_TRUE(s.view.asked.empty());
            EXPECT_NE(s.Text(), before);
            EXPECT_LE(bw::RecordsNeeded(s.editor.table()), bw::kMaxRecords);
        } else {
            ASSERT_EQ(s.view.asked.size(), 1u);
            EXPECT_EQ(s.view.asked[0].message, bw::EditorMessage::TooComplex);
            EXPECT_EQ(s.Text(), before);
        }
    }
    Session s;
    s.view.clipboard = full.str();
    s.Run("V");
    EXPECT_EQ(s.Text(), [&] {
        Session loaded;
        loaded.Load(full.str());
        return loaded.Text();
    }()) << "the full table pasted into an empty one is the full table";
}

TEST(Paste, TheClipboardIsReadWhateverItsLineEnds) {
    const char* texts[] = {
        "obstacle50 30 30\nhole 40 40\n",
        "obstacle50 30 30\r\nhole 40 40\r\n",
        "obstacle50 30 30\rhole 40 40\r",
        "\xEF\xBB\xBFobstacle50 30 30\nhole 40 40",
        "\xEF\xBB\xBF# copied\r\nobstacle50 30 30\r\rhole 40 40",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        Session s;
        s.view.clipboard = text;
        s.Run("V");
        EXPECT_TRUE(s.view.asked.empty()) << (s.view.asked.empty() ? "" : s.view.asked[0].argument);
        EXPECT_EQ(s.Text(), kHead + std::string("obstacle50 30 30\nhole 40 40\n"));
    }
}

TEST(Paste, TextThatIsNoTableIsRefusedWithItsLineQuotedReadably) {
    const std::string longWord(5000, 'a');
    struct Case {
        std::string clipboard;
        std::string argument;
    };
    const Case cases[] = {
        {"obstacle50 30 30 40\n", "line 1: \"obstacle50\" has too many numbers: it takes one position, X Y"},
        {"hole 1 2\rpolyline 3 4 5 6\r", "line 2: \"polyline\" has too many numbers: it takes one position, X Y"},
        {"obstacle50 30\n", "line 1: \"obstacle50\" needs a position: X Y"},
        {"hole 12 256\n", "line 1: \"256\" is not a coordinate from 0 to 255"},
        {"\xEF\xBB\xBFteapot 1 2\n", "line 1: unknown piece \"teapot\""},
        {longWord, "line 1: unknown piece \"" + std::string(40, 'a') + "\xE2\x80\xA6\""},
        {"hole 1 2\nborder 1 1, x\xC3\xA9\x01\xFF 2\n", "line 2: \"x\xC3\xA9??\" is not a coordinate from 0 to 255"},
        // A surrogate and an overlong form are no UTF-8: each byte shows as "?".
        {"t\xED\xA0\x80\xE0\x80\x80\xF0\x80\x80\x80 1 2\n", "line 1: unknown piece \"t??????????\""},
        {"hole 1 2\n" + longWord + " 1 2\n" + Times("hole 3 3\n", 500), "line 2: unknown piece \"" + std::string(40, 'a') + "\xE2\x80\xA6\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        Session s;
        s.view.clipboard = c.clipboard;
        s.Run("V");
        ASSERT_EQ(s.view.asked.size(), 1u);
        EXPECT_EQ(s.view.asked[0].message, bw::EditorMessage::PasteNotATable);
        EXPECT_EQ(s.view.asked[0].argument, c.argument);
        EXPECT_EQ(s.Text(), kHead);
    }
}

}  // namespace
