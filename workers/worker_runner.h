// The program's runner of the check as you edit: the games on worker
// threads (ParallelCheck), the report handed to the editor on the editor's
// own thread.
//
// When a check's games are over, a worker calls `wake`, which must only
// arrange for the editor's thread to call Deliver soon (the window posts
// itself a message). Deliver then hands the report to the check's `done`,
// unless the check was cancelled or replaced meanwhile. The runner is
// cancelled, its threads joined, before it goes.
#pragma once

#include <functional>
#include <memory>

#include "editor/live_check.h"
#include "workers/parallel_check.h"

namespace bw {

class WorkerRunner final : public CheckRunner {
public:
    // `progress`, when given, is called on a worker thread at most every 50 ms.
    explicit WorkerRunner(ParallelCheck::Notify wake, ParallelCheck::Notify progress = {},
                          int32_t threads = CheckThreads());
    ~WorkerRunner() override;
    void Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) override;
    // Stops the games and joins the threads before it returns.
    void Cancel() override;
    bool Busy() const override { return check_ != nullptr; }
    // On the editor's thread: the report of a check whose games are over
    // goes to its `done`. False when there was none.
    bool Deliver();
    int64_t GamesDone() const { return check_ ? check_->GamesDone() : 0; }
    int64_t Games() const { return check_ ? check_->Games() : 0; }

private:
    const ParallelCheck::Notify wake_, progress_;
    const int32_t threads_;
    // The check's own table (read by its threads), then the check.
    std::unique_ptr<Table> table_;
    std::unique_ptr<ParallelCheck> check_;
    Done done_;
};

}  // namespace bw
