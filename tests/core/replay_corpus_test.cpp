// The recorded games in tests/replays, each named after what it pins: every
// one must play again to its recorded checksums, tick for tick, on every
// build (natively, under the sanitizers, and the Windows build under
// Wine). A new fault in the game gets a replay file, not a test.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "games/replay.h"
#include "model/table.h"
#include "tests/core/test_util.h"

namespace {

#ifdef BW_SOURCE_DIR_WIN
const char* const kReplayDir = BW_SOURCE_DIR_WIN "/tests/replays";
#else
const char* const kReplayDir = BW_SOURCE_DIR "/tests/replays";
#endif

std::vector<std::string> ReplayNames() { return bwtest::FileStems(kReplayDir, ".bwr"); }

class RecordedGame : public testing::TestWithParam<std::string> {};

TEST_P(RecordedGame, PlaysAgainToItsChecksums) {
    std::ifstream in(std::string(kReplayDir) + "/" + GetParam() + ".bwr", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    bw::Replay replay;
    std::string message;
    ASSERT_TRUE(bw::ReadReplay(text, replay, message)) << message;
    EXPECT_EQ(replay.checks.size(), static_cast<size_t>(replay.ticks / bw::kReplayCheckEvery))
        << "a check every " << bw::kReplayCheckEvery << " ticks names where a game goes another way";
    bw::Table table(bw::NoImageLoader{});
    ASSERT_TRUE(bw::StartReplay(replay, *table.root, message)) << message;
    EXPECT_TRUE(bw::VerifyReplay(replay, table.state, message)) << message;
}

INSTANTIATE_TEST_SUITE_P(Replays, RecordedGame, testing::ValuesIn(ReplayNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(RecordedGames, TheFolderIsThere) { EXPECT_GE(ReplayNames().size(), 10u) << kReplayDir; }

}  // namespace
