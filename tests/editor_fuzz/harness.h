// Playing scripts with every check, walking at random, and shrinking what
// fails: the editor fuzzer, for the fixed seeds' test, the kept scripts, the
// command line and the libFuzzer target alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "tests/editor_fuzz/checks.h"
#include "tests/editor_fuzz/driver.h"
#include "tests/editor_fuzz/generator.h"
#include "tests/editor_fuzz/script.h"

namespace bwfuzz {

// An editor with its checks: actions played one by one.
class Runner {
public:
    explicit Runner(Rules ignored = {});
    // One action (a walk step by step) with the checks after each step:
    // the first rule broken that is not ignored.
    std::optional<Failure> Step(const Action& a);
    size_t Played() const { return played_; }  // steps played
    Driver driver;

private:
    std::optional<Failure> One(const Action& a);
    Checker checker_;
    Rules ignored_;
    size_t played_ = 0;
};

struct Outcome {
    std::optional<Failure> failure;
    size_t at = 0;       // the action that failed
    size_t steps = 0;    // steps played
};

// What a report of a process that dies (a sanitizer's) names as the origin
// of the script it prints: the seed.
void NameOrigin(std::string origin);

// The script played on a fresh editor.
Outcome Play(const Script& script, const Rules& ignored = {});

// `count` actions chosen by the walk, then Undo all the way and Redo all
// the way; `script` holds what was played.
Outcome Explore(Choices& choices, size_t count, Script& script, const Rules& ignored = {});

// The script made as short as it goes while it still breaks the rule its
// action `at` breaks, with an action of the same kind (actions left out,
// texts and counts made smaller); at most `tries` plays.
Script Shrink(Script script, size_t at, const Failure& failure, const Rules& ignored = {}, int tries = 4000);

// Whether playing the script ends the process (a sanitizer's report, a
// crash): played in a child process.
bool Crashes(const Script& script);
// The script made as short as it goes while it still ends the process.
Script ShrinkCrash(Script script, int tries = 2000);

// A failure as it is printed: the seed, the rule, what was seen and the
// script that replays it.
std::string Report(const std::string& origin, const Failure& failure, const Script& script);

}  // namespace bwfuzz
