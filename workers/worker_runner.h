// The program's runner of the checks: the games on worker threads that
// wait for the next check between checks, the report handed over on the
// owner's own thread.
//
// When a check's games are over, a worker calls `calls.finished`, which
// must only arrange for the owner's thread to call Deliver soon (the window
// posts itself a message). Deliver then hands the report to the check's
// `done`, unless the check was cancelled or replaced meanwhile.
//
// Starting and cancelling never wait and never make or join a thread: the
// threads are made at the first Start and kept; a cancelled check is only
// told to stop (its threads leave it within a few hundred ticks), and its
// table goes with the last thread to leave it. The owner calls End before
// whatever `calls` reach goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
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
    bool Busy() const override { return current_ != nullptr; }
    // On the owner's thread: the report of a check whose games are over
    // goes to its `done`. False when there was none.
    bool Deliver();
    // Cancels, and returns once every thread has ended.
    void End();
    int64_t GamesDone() const { return Busy() ? current_->games.GamesDone() : 0; }
    // Whether any thread is still inside a check's games (one cancelled
    // included): what a cancel waits for, were it to wait.
    bool Playing() const { return playing_.load(std::memory_order_acquire) > 0; }
    int64_t Games() const { return Busy() ? current_->games.Games() : 0; }

private:
    // A check and the table it plays on, shared by the owner and the
    // threads playing it.
    struct Check {
        Check(std::unique_ptr<Table> t, const PlaytestOptions& options, int32_t ranges, CheckCalls calls)
            : table(std::move(t)), games(*table->root, options, ranges, std::move(calls)) {}
        std::unique_ptr<Table> table;
        CheckGames games;
    };
    bool MakeThreads();
    void Work(size_t range);

    const CheckCalls calls_;
    const int32_t threads_;
    std::shared_ptr<Check> current_;  // the owner's check, until delivered or cancelled
    Done done_;

    std::mutex mutex_;  // guards what follows, shared with the threads
    std::condition_variable wake_;
    std::shared_ptr<Check> next_;  // the check the threads are to play
    uint64_t serial_ = 0;          // raised with every check handed over
    bool quit_ = false;
    std::atomic<int32_t> playing_{0};  // threads inside a check
    std::vector<std::thread> workers_;
};

}  // namespace bw
