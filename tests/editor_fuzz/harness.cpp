#include "tests/editor_fuzz/harness.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "tests/editor_fuzz/memory_meter.h"

// Under the sanitizers, a report ends the process: it prints the script
// played so far first.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace bwfuzz {

namespace {

const Script* playing = nullptr;
std::string origin;

void PrintPlaying() {
    if (playing)
        std::fprintf(stderr, "editor fuzz: %s: the process died playing this script:\n%s", origin.c_str(),
                     FormatScript(*playing).c_str());
}

struct Watched {
    explicit Watched(const Script& s) {
        playing = &s;
        static const bool set = [] {
            if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(PrintPlaying);
            return true;
        }();
        (void)set;
    }
    ~Watched() { playing = nullptr; }
};

}  // namespace

void NameOrigin(std::string name) { origin = std::move(name); }

Runner::Runner(Rules ignored) : checker_((driver.UseShortChecks(), driver)), ignored_(std::move(ignored)) {}

std::optional<Failure> Runner::One(const Action& a) {
    checker_.Before(a, driver);
    RestartPeak();
    const size_t start = LiveBytes();
    try {
        driver.Do(a);
    } catch (const std::exception& e) {
        return Failure{"exception", e.what()};
    }
    ++played_;
    return checker_.After(a, driver, PeakBytes() - start, ignored_);
}

std::optional<Failure> Runner::Step(const Action& a) {
    if (a.op != Op::Walk) return One(a);
    // Undo all the way, Redo all the way: every step checked as it comes.
    for (int guard = 0; driver.CanUndo() && guard < 100000; ++guard)
        if (auto f = One(Action{Op::Undo})) return f;
    for (int guard = 0; driver.CanRedo() && guard < 100000; ++guard)
        if (auto f = One(Action{Op::Redo})) return f;
    if (auto f = checker_.WholeHistory(driver); f && !ignored_.contains(f->rule)) return f;
    return std::nullopt;
}

Outcome Play(const Script& script, const Rules& ignored) {
    const Watched watched(script);
    Runner run(ignored);
    Outcome out;
    for (size_t i = 0; i < script.size(); ++i) {
        out.failure = run.Step(script[i]);
        out.steps = run.Played();
        if (out.failure) {
            out.at = i;
            break;
        }
    }
    return out;
}

Outcome Explore(Choices& choices, size_t count, Script& script, const Rules& ignored) {
    const Watched watched(script);
    Runner run(ignored);
    Generator walk(choices);
    Outcome out;
    for (size_t i = 0; i <= count; ++i) {
        script.push_back(i < count ? walk.Next(run.driver) : Action{Op::Walk});
        out.failure = run.Step(script.back());
        out.steps = run.Played();
        if (out.failure) {
            out.at = i;
            break;
        }
    }
    return out;
}

namespace {

constexpr char kCrash[] = "crash";

class Shrinker {
public:
    Shrinker(std::string rule, Op op, const Rules& ignored, int tries)
        : rule_(std::move(rule)), op_(op), ignored_(ignored), tries_(tries) {}

    // Whether the script still breaks the rule with the same kind of action;
    // it then ends there. (The rule "crash": it still ends the process.)
    bool Fails(Script& s) {
        if (tries_-- <= 0) return false;
        if (rule_ == kCrash) return Crashes(s);
        const Outcome o = Play(s, ignored_);
        if (!o.failure || o.failure->rule != rule_ || s[o.at].op != op_) return false;
        s.resize(o.at + 1);
        return true;
    }

    // Delta debugging: chunks of the script left out, the chunks halved
    // while none can go.
    void LeaveOut(Script& s) {
        for (size_t chunks = 2; s.size() >= 2 && tries_ > 0;) {
            const size_t size = (s.size() + chunks - 1) / chunks;
            bool cut = false;
            for (size_t from = 0; from < s.size() && !cut; from += size) {
                Script without(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(from));
                without.insert(without.end(), s.begin() + static_cast<std::ptrdiff_t>(std::min(from + size, s.size())), s.end());
                if (Fails(without)) s = std::move(without), cut = true;
            }
            if (cut) chunks = std::max<size_t>(chunks - 1, 2);
            else if (size == 1) break;
            else chunks = std::min(chunks * 2, s.size());
        }
    }

    // Texts and counts made smaller, one action at a time.
    void Simplify(Script& s) {
        for (size_t i = 0; i < s.size() && tries_ > 0; ++i) {
            auto attempt = [&](Action smaller) {
                Script t = s;
                t[i] = std::move(smaller);
                if (!Fails(t)) return false;
                s = std::move(t);
                return true;
            };
            for (size_t p = 0; i < s.size() && p < s[i].parts.size(); ++p) {
                while (i < s.size() && p < s[i].parts.size() && s[i].parts[p].times > 1) {
                    Action a = s[i];
                    a.parts[p].times /= 2;
                    if (!attempt(std::move(a))) break;
                }
                ShrinkText(s, i, p, attempt);
            }
            if (i < s.size() && s[i].parts.size() > 1) {
                // Parts left empty go.
                Action a = s[i];
                std::erase_if(a.parts, [](const Part& part) { return part.text.empty(); });
                if (!a.parts.empty() && a.parts.size() < s[i].parts.size()) attempt(std::move(a));
            }
            while (i < s.size() && (s[i].op == Op::Tick || s[i].op == Op::Idle) && s[i].x > 1) {
                Action a = s[i];
                a.x /= 2;
                if (!attempt(std::move(a))) break;
            }
        }
    }

private:
    // Lines of a text (3-byte records of a file) left out, many at a time first.
    template <class Attempt>
    void ShrinkText(Script& s, size_t i, size_t p, Attempt& attempt) {
        const std::string& text = s[i].parts[p].text;
        std::vector<std::string> units;
        for (size_t from = 0; from < text.size();) {
            const size_t end = s[i].op == Op::OpenBytes ? std::min(from + bw::kRecordBytes, text.size())
                                                        : std::min(text.find('\n', from), text.size() - 1) + 1;
            units.push_back(text.substr(from, end - from));
            from = end;
        }
        for (size_t span = std::max<size_t>(units.size() / 2, 1);; span /= 2) {
            for (size_t k = 0; k + span <= units.size() && i < s.size() && p < s[i].parts.size();) {
                std::vector<std::string> fewer = units;
                fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(k), fewer.begin() + static_cast<std::ptrdiff_t>(k + span));
                Action a = s[i];
                a.parts[p].text.clear();
                for (const std::string& u : fewer) a.parts[p].text += u;
                if (attempt(std::move(a))) units = std::move(fewer);
                else k += span;
            }
            if (span <= 1) break;
        }
    }

    std::string rule_;
    Op op_;
    Rules ignored_;
    int tries_;
};

}  // namespace

Script Shrink(Script script, size_t at, const Failure& failure, const Rules& ignored, int tries) {
    Shrinker shrinker(failure.rule, script[at].op, ignored, tries);
    if (!shrinker.Fails(script)) return script;
    shrinker.LeaveOut(script);
    shrinker.Simplify(script);
    shrinker.LeaveOut(script);
    return script;
}

bool Crashes(const Script& script) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // The child's reports would bury the parent's.
        if (!std::freopen("/dev/null", "w", stderr)) _exit(3);
        Play(script, {"*"});
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

Script ShrinkCrash(Script script, int tries) {
    Shrinker shrinker(kCrash, Op::Paint, {}, tries);
    shrinker.LeaveOut(script);
    shrinker.Simplify(script);
    shrinker.LeaveOut(script);
    return script;
}

std::string Report(const std::string& origin, const Failure& failure, const Script& script) {
    return origin + ": " + failure.rule + ": " + failure.detail + "\n--- the script that replays it (" +
           std::to_string(script.size()) + " actions) ---\n" + FormatScript(script) + "---\n";
}

}  // namespace bwfuzz
