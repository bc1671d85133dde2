// The kept action scripts in tests/editor_scripts, each named after the
// fault it pins (its first line says which): every one must play through
// with every rule of the editor fuzzer holding after each action. A fault
// the fuzzer finds gets a script there, shrunk, not a test of its own.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/core/test_util.h"
#include "tests/editor_fuzz/harness.h"

namespace {

const char* const kScriptDir = BW_SOURCE_DIR "/tests/editor_scripts";

std::vector<std::string> ScriptNames() { return bwtest::FileStems(kScriptDir, ".txt"); }

class KeptScript : public testing::TestWithParam<std::string> {};

TEST_P(KeptScript, PlaysWithEveryRuleHolding) {
    std::ifstream in(std::string(kScriptDir) + "/" + GetParam() + ".txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(text.rfind("# ", 0), 0u) << "the first line says what the script pins";
    std::string error;
    const std::optional<bwfuzz::Script> script = bwfuzz::ParseScript(text, error);
    ASSERT_TRUE(script) << error;
    // Played apart first: a script that ends the process fails alone.
    ASSERT_FALSE(bwfuzz::Crashes(*script)) << "the process dies playing it (editor_fuzz_run --play shows how)";
    const bwfuzz::Outcome o = bwfuzz::Play(*script);
    EXPECT_FALSE(o.failure) << "action " << o.at + 1 << " (" << bwfuzz::FormatAction((*script)[o.at])
                            << "): " << o.failure->rule << ": " << o.failure->detail;
}

INSTANTIATE_TEST_SUITE_P(Scripts, KeptScript, testing::ValuesIn(ScriptNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(KeptScripts, TheFolderIsThere) { EXPECT_FALSE(ScriptNames().empty()) << kScriptDir; }

}  // namespace
