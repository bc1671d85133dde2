#include "workers/worker_runner.h"

namespace bw {

WorkerRunner::WorkerRunner(ParallelCheck::Notify wake, ParallelCheck::Notify progress, int32_t threads)
    : wake_(std::move(wake)), progress_(std::move(progress)), threads_(threads) {}

WorkerRunner::~WorkerRunner() { Cancel(); }

void WorkerRunner::Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) {
    Cancel();
    table_ = std::move(table);
    done_ = std::move(done);
    check_ = std::make_unique<ParallelCheck>(*table_->root, options, threads_, progress_, wake_);
}

void WorkerRunner::Cancel() {
    check_.reset();  // stops and joins its threads
    table_.reset();
    done_ = nullptr;
}

bool WorkerRunner::Deliver() {
    if (!check_ || !check_->Finished()) return false;
    PlaytestReport report = check_->TakeReport();
    Done done = std::move(done_);
    Cancel();
    if (done) done(std::move(report));
    return true;
}

}  // namespace bw
