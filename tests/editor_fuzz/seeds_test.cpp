// The editor fuzzer on fixed seeds: walks of random actions, every rule
// checked after each. A failure prints its seed and the shrunk script that
// replays it, to be kept in tests/editor_scripts once mended.
//   BW_EDITOR_FUZZ_SEEDS=A-B, BW_EDITOR_FUZZ_ACTIONS=N  other seeds, longer walks
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/editor_fuzz/harness.h"

namespace {

std::string Env(const char* name, const char* otherwise) {
    const char* v = std::getenv(name);
    return v && *v ? v : otherwise;
}

TEST(EditorFuzz, FixedSeedsBreakNoRule) {
    const std::string seeds = Env("BW_EDITOR_FUZZ_SEEDS", "1-60");
    const uint64_t first = std::strtoull(seeds.c_str(), nullptr, 10);
    const size_t dash = seeds.find('-');
    const uint64_t last = dash == std::string::npos ? first : std::strtoull(seeds.c_str() + dash + 1, nullptr, 10);
    const size_t actions = std::strtoull(Env("BW_EDITOR_FUZZ_ACTIONS", "2000").c_str(), nullptr, 10);
    size_t steps = 0;
    for (uint64_t seed = first; seed <= last; ++seed) {
        bwfuzz::Rng rng(seed);
        bwfuzz::Script script;
        bwfuzz::NameOrigin("seed " + std::to_string(seed));
        const bwfuzz::Outcome o = bwfuzz::Explore(rng, actions, script);
        steps += o.steps;
        if (o.failure) {
            const bwfuzz::Script shrunk = bwfuzz::Shrink(script, o.at, *o.failure, {}, 1500);
            FAIL() << bwfuzz::Report("seed " + std::to_string(seed) + " action " + std::to_string(o.at + 1),
                                     bwfuzz::Play(shrunk).failure.value_or(*o.failure), shrunk);
        }
    }
    RecordProperty("steps", static_cast<int>(steps));
}

}  // namespace
