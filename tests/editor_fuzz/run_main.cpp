// The editor fuzzer from the command line, for long runs and for surveys:
//   editor_fuzz_run [--seeds A-B] [--actions N] [--ignore RULE,...] [--survey]
//   editor_fuzz_run --play FILE [--shrink] [--trace]
// A run stops at the first failure and prints it shrunk; --survey goes on
// with the next seed and prints the first failure of each rule broken by
// each kind of action. Ends with the actions played and their rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "files/table_text.h"
#include "tests/editor_fuzz/harness.h"

namespace {

bwfuzz::Rules Split(const std::string& list) {
    bwfuzz::Rules rules;
    for (size_t from = 0; from <= list.size();) {
        const size_t comma = std::min(list.find(',', from), list.size());
        if (comma > from) rules.insert(list.substr(from, comma - from));
        from = comma + 1;
    }
    return rules;
}

// Each action and the table after it, as text on one line.
void Trace(const bwfuzz::Script& script) {
    bwfuzz::Runner run;
    for (const bwfuzz::Action& a : script) {
        const std::optional<bwfuzz::Failure> f = run.Step(a);
        std::string table = bw::TableToText(run.driver.Table());
        table.erase(0, table.find('\n') + 1);
        for (char& c : table)
            if (c == '\n') c = ';';
        std::printf("%-20.20s %s%s%s\n", bwfuzz::FormatAction(a).c_str(), table.c_str(), f ? " <- " : "",
                    f ? (f->rule + ": " + f->detail).c_str() : "");
    }
}

int PlayFile(const std::string& path, bool shrink, const bwfuzz::Rules& ignored, bool trace) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    const std::optional<bwfuzz::Script> script = bwfuzz::ParseScript(text, error);
    if (!script) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    if (bwfuzz::Crashes(*script)) {
        std::printf("%s: the process dies playing it\n--- the script, shrunk ---\n%s", path.c_str(),
                    bwfuzz::FormatScript(shrink ? bwfuzz::ShrinkCrash(*script) : *script).c_str());
        return 1;
    }
    if (trace) Trace(*script);
    bwfuzz::NameOrigin(path);
    const bwfuzz::Outcome o = bwfuzz::Play(*script, ignored);
    if (!o.failure) {
        std::printf("%s: %zu steps, no failure\n", path.c_str(), o.steps);
        return 0;
    }
    const bwfuzz::Script shown = shrink ? bwfuzz::Shrink(*script, o.at, *o.failure, ignored) : *script;
    std::printf("%s", bwfuzz::Report(path + " action " + std::to_string(o.at + 1), *o.failure, shown).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t first = 1, last = 50;
    size_t actions = 2000;
    bool survey = false, shrink = false, trace = false;
    std::string play;
    bwfuzz::Rules ignored;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--seeds") {
            first = std::strtoull(value.c_str(), nullptr, 10);
            const size_t dash = value.find('-');
            last = dash == std::string::npos ? first : std::strtoull(value.c_str() + dash + 1, nullptr, 10);
            ++i;
        } else if (arg == "--actions") {
            actions = std::strtoull(value.c_str(), nullptr, 10), ++i;
        } else if (arg == "--ignore") {
            ignored = Split(value), ++i;
        } else if (arg == "--survey") {
            survey = true;
        } else if (arg == "--shrink") {
            shrink = true;
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--play") {
            play = value, ++i;
        } else {
            std::fprintf(stderr, "usage: editor_fuzz_run [--seeds A-B] [--actions N] [--ignore RULE,...] [--survey] | --play FILE [--shrink]\n");
            return 2;
        }
    }
    if (!play.empty()) return PlayFile(play, shrink, ignored, trace);
    double seconds = 0;
    size_t steps = 0;
    std::map<std::string, int> found;
    for (uint64_t seed = first; seed <= last; ++seed) {
        bwfuzz::Rng rng(seed);
        bwfuzz::Script script;
        bwfuzz::NameOrigin("seed " + std::to_string(seed));
        const auto start = std::chrono::steady_clock::now();
        const bwfuzz::Outcome o = bwfuzz::Explore(rng, actions, script, ignored);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        steps += o.steps;
        if (!o.failure) continue;
        // The same rule broken by the same kind of action: the same fault, most likely.
        const std::string key = o.failure->rule + " after " + bwfuzz::FormatAction(bwfuzz::Action(script[o.at].op));
        if (found[key]++ && survey) continue;
        const bwfuzz::Script shrunk = bwfuzz::Shrink(script, o.at, *o.failure, ignored);
        std::printf("%s", bwfuzz::Report("seed " + std::to_string(seed) + " action " + std::to_string(o.at + 1),
                                         bwfuzz::Play(shrunk, ignored).failure.value_or(*o.failure), shrunk).c_str());
        std::fflush(stdout);
        if (!survey) break;
    }
    std::printf("%zu steps in %.1f s of walking (shrinking not counted): %.0f a second\n", steps, seconds, steps / seconds);
    for (const auto& [rule, n] : found) std::printf("  %s: %d\n", rule.c_str(), n);
    return found.empty() ? 0 : 1;
}
