// bwtool as a user runs it: dump, resave, render, text and build.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/core/test_util.h"

namespace {

namespace fs = std::filesystem;
using bwtest::AddRecord;
using bwtest::FileBytes;

struct Output {
    int code = -1;
    std::string out, err;
};

std::string ReadText(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> ReadBytes(const fs::path& p) {
    const std::string s = ReadText(p);
    return {s.begin(), s.end()};
}

class Bwtool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(BW_BINARY_DIR) / "bwtool_test" / (std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!HasFailure()) fs::remove_all(dir_);
    }

    fs::path Path(const std::string& name) const { return dir_ / name; }

    fs::path Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream f(Path(name), std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return Path(name);
    }
    fs::path WriteText(const std::string& name, const std::string& text) const {
        return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }

    // Runs bwtool with the arguments (each quoted) and collects its output.
    Output Tool(const std::vector<std::string>& args) const {
        std::string cmd = std::string("'") + BW_BWTOOL + "'";
        for (const std::string& a : args) cmd += " '" + a + "'";
        cmd += " >'" + Path("stdout").string() + "' 2>'" + Path("stderr").string() + "'";
        Output r;
        const int status = std::system(cmd.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadText(Path("stdout"));
        r.err = ReadText(Path("stderr"));
        return r;
    }

    fs::path dir_;
};

// Obstacle, border, cannon and flipper, as the save command writes them.
std::vector<uint8_t> SampleFile() {
    return FileBytes({{20, 30, 4},
                      {10, 10, 1},
                      {50, 10, 11},
                      {50, 60, 11},
                      {0, 0, 0},
                      {60, 90, 10},
                      {40, 90, 8},
                      {0, 0, 0}});
}

TEST_F(Bwtool, DumpListsTheTreeAndTheRecordCount) {
    const Output r = Tool({"dump", Write("t.bwt", SampleFile()).string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 4 20 30\n"
              "0 2 0 0\n"
              "1 1 10 10\n"
              "1 11 50 10\n"
              "1 11 50 60\n"
              "0 10 60 90\n"
              "1 11 63 87\n"
              "1 11 63 93\n"
              "1 11 57 93\n"
              "1 11 57 87\n"
              "0 8 40 90\n"
              "records 8\n");

    // A well-formed file counts its records, skipped ones included.
    EXPECT_EQ(Tool({"dump", Write("k3.bwt", FileBytes({{1, 1, 3}, {2, 2, 0}})).string()}).out, "records 2\n");
    // A file that is only the magic: an empty table, at least one record.
    EXPECT_EQ(Tool({"dump", Write("magic.bwt", {'B', 'W', 'T'}).string()}).out, "records 1\n");
}

TEST_F(Bwtool, DumpRefusesFilesThatAreNotTables) {
    const Output wrong = Tool({"dump", Write("x.bwt", {'B', 'W', 'X', 0, 0, 0, 0, 0, 0, 0, 0}).string()});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_NE(wrong.err.find("This is not a Bumpwright file"), std::string::npos) << wrong.err;
    EXPECT_EQ(wrong.out, "");

    const std::string missing = Path("no such table.bwt").string();
    const Output gone = Tool({"dump", missing});
    EXPECT_EQ(gone.code, 2);
    EXPECT_NE(gone.err.find(missing), std::string::npos) << gone.err;
    EXPECT_EQ(gone.out, "");

    EXPECT_EQ(Tool({"dump"}).code, 2);
    EXPECT_EQ(Tool({"frobnicate", "x"}).code, 2);
}

TEST_F(Bwtool, ResaveWritesTheSameFileAndKeepsOddTables) {
    const fs::path in = Write("in.bwt", SampleFile());
    const fs::path out = Path("out.bwt");
    Output r = Tool({"resave", in.string(), out.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(out), SampleFile());

    // Skipped kinds and nested plain groups: the same tree after a resave.
    const fs::path odd = Write("odd.bwt", FileBytes({{3, 3, 3}, {0, 0, 2}, {20, 30, 4}, {0, 0, 2}, {5, 5, 5},
                                                     {0, 0, 0}, {0, 0, 0}, {40, 40, 7}}));
    r = Tool({"resave", odd.string(), out.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string before = Tool({"dump", odd.string()}).out;
    const std::string after = Tool({"dump", out.string()}).out;
    EXPECT_EQ(before.substr(0, before.rfind("records")), after.substr(0, after.rfind("records")));
    EXPECT_EQ(before.substr(0, before.rfind("records")), "0 2 0 0\n1 4 20 30\n1 2 0 0\n2 5 5 5\n0 7 40 40\n");
}

TEST_F(Bwtool, ResaveRefusesATableThatWouldNotLoadBackWhole) {
    // 200 nested groups around a piece need their 200 terminators too: more
    // than a file holds.
    std::vector<uint8_t> deep = FileBytes({});
    for (int i = 0; i < 200; ++i) AddRecord(deep, 0, 0, 2);
    AddRecord(deep, 5, 5, 4);
    const fs::path out = Path("out.bwt");
    const Output r = Tool({"resave", Write("deep.bwt", deep).string(), out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Nothing was saved"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Bwtool, RenderWritesAPlayfieldSizedPng) {
    const fs::path png = Path("t.png");
    const Output r = Tool({"render", Write("t.bwt", SampleFile()).string(), png.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<uint8_t> b = ReadBytes(png);
    ASSERT_GE(b.size(), 33u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 8),
              (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 16, b.begin() + 24),
              (std::vector<uint8_t>{0, 0, 0, 250, 0, 0, 0, 200}));

    EXPECT_EQ(Tool({"render", Path("missing.bwt").string(), Path("m.png").string()}).code, 2);
    EXPECT_FALSE(fs::exists(Path("m.png")));
}

TEST_F(Bwtool, TextAndBuildRoundTrip) {
    const fs::path in = Write("in.bwt", SampleFile());
    const Output text = Tool({"text", in.string()});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("obstacle10 20 30\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("border 10 10, 50 10, 50 60\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("cannon 60 90\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("left-flipper 40 90\n"), std::string::npos) << text.out;

    const fs::path out = Path("built.bwt");
    const Output build = Tool({"build", WriteText("t.txt", text.out).string(), out.string()});
    EXPECT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(ReadBytes(out), SampleFile());

    // Nested groups and polylines come back through the text as well.
    const fs::path odd = Write("odd.bwt", FileBytes({{0, 0, 2}, {20, 30, 4}, {0, 0, 0}, {10, 10, 1}, {7, 7, 6},
                                                     {30, 10, 11}, {0, 0, 0}, {0, 0, 0}}));
    const Output oddText = Tool({"text", odd.string()});
    EXPECT_EQ(Tool({"build", WriteText("odd.txt", oddText.out).string(), out.string()}).code, 0);
    EXPECT_EQ(ReadBytes(out), ReadBytes(odd)) << oddText.out;
}

TEST_F(Bwtool, BuildNamesTheLineOfAMalformedText) {
    const fs::path out = Path("out.bwt");
    Output r = Tool({"build", WriteText("a.txt", "# a table\nobstacle10 20 30\nborder 10 10, 50\n").string(),
                  out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));

    r = Tool({"build", WriteText("b.txt", "hole 1 2\nteapot 3 4\n").string(), out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("teapot"), std::string::npos) << r.err;

    r = Tool({"build", WriteText("c.txt", "cannon 300 4\n").string(), out.string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("line 1"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
