#include "workers/worker_runner.h"

#include <system_error>

namespace bw {

WorkerRunner::WorkerRunner(CheckCalls calls, int32_t threads) : calls_(std::move(calls)), threads_(threads) {}

WorkerRunner::~WorkerRunner() { End(); }

void WorkerRunner::Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) {
    Cancel();
    try {
        auto check = std::make_unique<ParallelCheck>(*table->root, options, threads_, calls_);
        current_ = {std::move(table), std::move(check)};
        done_ = std::move(done);
    } catch (const std::system_error&) {
        // No thread to be had: no check; the editor asks again at its next look.
    }
}

void WorkerRunner::Cancel() {
    done_ = nullptr;
    if (current_.check) {
        current_.check->Stop();
        stopping_.push_back(std::move(current_));
        current_ = {};
    }
    // Those whose threads have ended are joined at once (their tables go with them).
    std::erase_if(stopping_, [](const Run& run) { return run.check->Ended(); });
}

void WorkerRunner::End() {
    Cancel();
    stopping_.clear();  // each joins its threads as it goes
}

bool WorkerRunner::Deliver() {
    if (!current_.check || !current_.check->Finished()) return false;
    PlaytestReport report = current_.check->TakeReport();
    Done done = std::move(done_);
    Cancel();
    if (done) done(std::move(report));
    return true;
}

}  // namespace bw
