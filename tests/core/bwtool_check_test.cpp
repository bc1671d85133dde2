// bwtool check, replay and movie as a script runs them: exit statuses,
// the JSON's facts, and the files they write.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/table_file.h"
#include "files/table_text.h"
#include "tests/core/test_util.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Runs bwtool; returns its exit status and standard output (with errors).
int Tool(const std::string& args, std::string& out) {
    FILE* p = popen((std::string(BW_BWTOOL) + " " + args + " 2>&1").c_str(), "r");
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BwtoolCheck, StrictJsonReplayAndMovie) {
    const fs::path dir = fs::path(BW_BINARY_DIR) / ("bwtool_check_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string classic = std::string(BW_BINARY_DIR) + "/examples/classic.bwt";
    // The classic table with an obstacle walled in.
    auto t = bwtest::NewTable();
    std::string error, out;
    ASSERT_TRUE(bw::TextToTable(ReadText(fs::path(BW_SOURCE_DIR) / "examples/classic.txt") +
                                    "border 64 22, 73 31, 64 40, 55 31, 64 22\nobstacle100 64 31\n",
                                *t->root, error));
    ASSERT_TRUE(bw::WriteFileBytes((dir / "wall.bwt").string(), bw::SaveTableBytes(*t->root).bytes, error));

    EXPECT_EQ(Tool("check " + (dir / "wall.bwt").string() + " --games 50 --json --strict", out), 1) << out;
    for (const char* key : {"\"games\": 50,", "\"ticks\": ", "\"drains\": ", "\"score\": {\"mean\": ", "\"p90\": ",
                            "\"traps\": [", "\"hits\": [", "{\"kind\": \"cannon\", \"x\": 115, \"y\": 92, \"count\": "})
        EXPECT_NE(out.find(key), std::string::npos) << key;
    EXPECT_NE(out.find("\"unreached\": [\n    {\"kind\": \"obstacle100\", \"x\": 64, \"y\": 31}]"), std::string::npos);
    EXPECT_EQ(Tool("check " + classic + " --games 50 --strict --png " + (dir / "heat.png").string(), out), 0) << out;
    EXPECT_EQ(ReadText(dir / "heat.png").substr(1, 3), "PNG");
    EXPECT_EQ(Tool("check " + classic + " --games 0", out), 2);

    const std::string replay = (dir / "game.bwr").string();
    ASSERT_EQ(Tool("simulate " + classic + " --ticks 1200 --keys 1:+SPACE,2:+SPACE,3:+SPACE,4:-SPACE --replay " + replay, out), 0);
    EXPECT_EQ(Tool("replay " + replay, out), 0) << out;
    std::string text = ReadText(replay);
    text.replace(text.find("4:-SPACE"), 8, "5:-SPACE");
    std::ofstream(dir / "moved.bwr", std::ios::binary) << text;
    EXPECT_EQ(Tool("replay " + (dir / "moved.bwr").string(), out), 1);
    EXPECT_NE(out.find("between ticks 1 and 500"), std::string::npos) << out;
    // Cut inside its table, it is refused, not played on another table.
    text = ReadText(replay);
    std::ofstream(dir / "cut.bwr", std::ios::binary) << text.substr(0, text.find('\n', text.find("\nborder ") + 1) + 1);
    EXPECT_EQ(Tool("replay " + (dir / "cut.bwr").string(), out), 2) << out;
    EXPECT_NE(out.find("without its last line 'end replay' (the file is cut off)"), std::string::npos) << out;
    std::ofstream(dir / "junk.bwr", std::ios::binary) << "# Bumpwright replay\nticks 5\nscore x\n";
    EXPECT_EQ(Tool("replay " + (dir / "junk.bwr").string(), out), 2);
    EXPECT_NE(out.find("line 3: 'score' needs a whole number"), std::string::npos) << out;

    EXPECT_EQ(Tool("movie " + replay + " " + (dir / "game.gif").string() + " --every 5", out), 0) << out;
    EXPECT_EQ(ReadText(dir / "game.gif").substr(0, 6), "GIF89a");
    if (!HasFailure()) fs::remove_all(dir);
}

// The threads are the library's to share out (its own test tries many
// counts on many tables); here, that the tool hands them --jobs and that a
// strict check's verdict on a ball that never drains reaches the exit code.
TEST(BwtoolCheck, JobsAndStrictReachTheTool) {
    const fs::path dir = fs::path(BW_BINARY_DIR) / ("bwtool_jobs_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string out, error;
    auto t = bwtest::NewTable();
    ASSERT_TRUE(bw::TextToTable(ReadText(fs::path(BW_SOURCE_DIR) / "tests/core/data/endless.txt"), *t->root, error));
    ASSERT_TRUE(bw::WriteFileBytes((dir / "endless.bwt").string(), bw::SaveTableBytes(*t->root).bytes, error));
    const std::string endless = (dir / "endless.bwt").string();
    std::string one;
    EXPECT_EQ(Tool("check " + endless + " --games 50 --json --strict --jobs 1", one), 1) << one;
    EXPECT_EQ(Tool("check " + endless + " --games 50 --json --strict --jobs 3", out), 1) << out;
    EXPECT_EQ(out, one) << "three jobs";
    // Cut short at 100 ticks, its games tell nothing of the sort: a strict check passes.
    EXPECT_EQ(Tool("check " + endless + " --games 50 --ticks 100 --strict", out), 0) << out;
    EXPECT_NE(out.find("\n50 of 50 games reached 100 ticks without a drain, too few to tell whether the ball drains\n"),
              std::string::npos) << out;
    const std::string examples = std::string(BW_BINARY_DIR) + "/examples/";

    const struct {
        const char* value;
        const char* message;
    } bad[] = {
        {"0", "bwtool check: --jobs must be from 1 to 256, not 0"},
        {"257", "bwtool check: --jobs must be from 1 to 256, not 257"},
        {"-2", "bwtool check: --jobs needs a whole number, not '-2'"},
        {"two", "bwtool check: --jobs needs a whole number, not 'two'"},
        {"99999999999999999999", "bwtool check: --jobs needs a whole number"},
    };
    for (const auto& b : bad) {
        EXPECT_EQ(Tool("check " + examples + "classic.bwt --jobs " + b.value, out), 2) << b.value;
        EXPECT_NE(out.find(b.message), std::string::npos) << out;
    }
    if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace
