// The program's runner of the checks: the games on worker threads
// (ParallelCheck), the report handed over on the owner's own thread.
//
// When a check's games are over, a worker calls `calls.finished`, which
// must only arrange for the owner's thread to call Deliver soon (the window
// posts itself a message). Deliver then hands the report to the check's
// `done`, unless the check was cancelled or replaced meanwhile.
//
// A cancel never waits: the check is told to stop, and its threads, which
// end within a few hundred ticks, are joined later (by the next Start or
// Cancel once they have ended, or by End). The owner calls End before
// whatever `calls` reach goes.
#pragma once

#include <memory>
#include <vector>

#include "editor/live_check.h"
#include "workers/parallel_check.h"

namespace bw {

class WorkerRunner final : public CheckRunner {
public:
    explicit WorkerRunner(CheckCalls calls, int32_t threads = CheckThreads());
    ~WorkerRunner() override;  // End
    void Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) override;
    void Cancel() override;
    bool Busy() const override { return current_.check != nullptr; }
    // On the owner's thread: the report of a check whose games are over
    // goes to its `done`. False when there was none.
    bool Deliver();
    // Cancels, and returns once every thread of every check has ended.
    void End();
    int64_t GamesDone() const { return Busy() ? current_.check->GamesDone() : 0; }
    int64_t Games() const { return Busy() ? current_.check->Games() : 0; }

private:
    struct Run {
        std::unique_ptr<Table> table;  // the check's own, read by its threads
        std::unique_ptr<ParallelCheck> check;
    };
    const CheckCalls calls_;
    const int32_t threads_;
    Run current_;
    Done done_;
    std::vector<Run> stopping_;  // cancelled, their threads not yet joined
};

}  // namespace bw
