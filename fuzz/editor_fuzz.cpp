// Any bytes as the choices of the editor fuzzer's walk: the actions they
// choose are played on a fresh editor with every rule checked after each.
// A broken rule prints the shrunk action script that replays it, then
// stops the fuzzer. BW_EDITOR_FUZZ_IGNORE=RULE,... passes over rules.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "tests/editor_fuzz/harness.h"

namespace {

const bwfuzz::Rules& Ignored() {
    static const bwfuzz::Rules rules = [] {
        bwfuzz::Rules r;
        const char* list = std::getenv("BW_EDITOR_FUZZ_IGNORE");
        for (std::string s = list ? list : ""; !s.empty();) {
            const size_t comma = s.find(',');
            r.insert(s.substr(0, comma));
            s = comma == std::string::npos ? "" : s.substr(comma + 1);
        }
        return r;
    }();
    return rules;
}

constexpr size_t kMostActions = 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bwfuzz::ByteChoices choices(std::span<const uint8_t>(data, size));
    bwfuzz::Runner run(Ignored());
    bwfuzz::Generator walk(choices);
    bwfuzz::Script script;
    while (!choices.Exhausted() && script.size() < kMostActions) {
        script.push_back(walk.Next(run.driver));
        if (const std::optional<bwfuzz::Failure> f = run.Step(script.back())) {
            const bwfuzz::Script shrunk = bwfuzz::Shrink(script, script.size() - 1, *f, Ignored(), 1000);
            std::fprintf(stderr, "%s", bwfuzz::Report("editor_fuzz", *f, shrunk).c_str());
            __builtin_trap();
        }
    }
    return 0;
}
