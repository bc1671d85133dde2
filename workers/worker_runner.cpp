#include "workers/worker_runner.h"

#include <algorithm>
#include <system_error>

namespace bw {

WorkerRunner::WorkerRunner(CheckCalls calls, int32_t threads)
    : calls_(std::move(calls)), threads_(std::max<int32_t>(1, threads)) {}

WorkerRunner::~WorkerRunner() { End(); }

bool WorkerRunner::MakeThreads() {
    if (!workers_.empty()) return true;
    try {
        for (size_t j = 0; j < static_cast<size_t>(threads_); ++j) workers_.emplace_back([this, j] { Work(j); });
    } catch (const std::system_error&) {
        End();  // no thread to be had: no check; the editor asks again at its next look
        return false;
    }
    return true;
}

// Each thread plays its range of every check handed over, one after the
// other, and waits between them.
void WorkerRunner::Work(size_t range) {
    if (calls_.started) calls_.started();
    uint64_t played = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || serial_ != played; });
        if (quit_) return;
        played = serial_;
        std::shared_ptr<Check> check = next_;
        if (!check || range >= check->games.Ranges()) continue;  // fewer games than threads
        playing_.fetch_add(1, std::memory_order_relaxed);
        lock.unlock();
        check->games.Play(range);
        playing_.fetch_sub(1, std::memory_order_release);
        check.reset();  // the last to leave a check takes its table with it
        lock.lock();
    }
}

void WorkerRunner::Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) {
    Cancel();
    if (!MakeThreads()) return;
    current_ = std::make_shared<Check>(std::move(table), options, threads_, calls_);
    done_ = std::move(done);
    std::lock_guard<std::mutex> lock(mutex_);
    next_ = current_;
    ++serial_;
    wake_.notify_all();
}

void WorkerRunner::Cancel() {
    done_ = nullptr;
    if (!current_) return;
    current_->games.Stop();
    current_.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    next_.reset();  // a thread that has not yet begun it never will
}

void WorkerRunner::End() {
    Cancel();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        wake_.notify_all();
    }
    for (std::thread& t : workers_) t.join();
    workers_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = false;  // a later Start makes threads afresh
}

bool WorkerRunner::Deliver() {
    if (!current_ || !current_->games.Finished()) return false;
    PlaytestReport report = current_->games.TakeReport();
    Done done = std::move(done_);
    Cancel();
    if (done) done(std::move(report));
    return true;
}

}  // namespace bw
