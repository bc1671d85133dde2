#include "workers/parallel_check.h"

#include <algorithm>
#include <chrono>

namespace bw {

namespace {

// Ticks played between two looks at the stop: a few tens of microseconds
// on the largest table, so that a cancel is answered well within a
// millisecond.
constexpr int64_t kTicksBetweenLooks = 500;
constexpr int64_t kProgressMs = 50;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int32_t CheckThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? static_cast<int32_t>(cores - 1) : 1;
}

ParallelCheck::ParallelCheck(const TableRoot& table, const PlaytestOptions& options, int32_t threads, CheckCalls calls)
    : table_(table), options_(options), calls_(std::move(calls)) {
    const size_t n = static_cast<size_t>(std::clamp<int64_t>(threads, 1, std::max<int64_t>(1, options_.games)));
    parts_.resize(n);
    gamesDone_ = std::make_unique<std::atomic<int64_t>[]>(n);
    playing_ = n;
    lastProgress_ = NowMs();
    try {
        for (size_t j = 0; j < n; ++j) {
            threads_.emplace_back([this, j] {
                if (calls_.started) calls_.started();
                Play(j);
                ended_.fetch_add(1, std::memory_order_release);
            });
        }
    } catch (...) {
        Cancel();  // no thread may outlive a check that never was
        throw;
    }
}

ParallelCheck::~ParallelCheck() { Cancel(); }

void ParallelCheck::Play(size_t part) {
    const int64_t n = static_cast<int64_t>(parts_.size()), j = static_cast<int64_t>(part);
    {
        // Each range plays on a copy of its own.
        std::lock_guard<std::mutex> lock(copying_);
        if (stop_.load(std::memory_order_relaxed)) return;
        parts_[part] = std::make_unique<Playtest>(table_, options_, options_.games * j / n, options_.games * (j + 1) / n);
    }
    Playtest& games = *parts_[part];
    for (bool over = false; !over;) {
        if (stop_.load(std::memory_order_relaxed)) return;
        over = games.Run(kTicksBetweenLooks);
        gamesDone_[part].store(games.GamesDone(), std::memory_order_relaxed);
        if (calls_.progress) TellProgress();
    }
    // The last range to end makes the report.
    if (playing_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    std::vector<const Playtest*> done;
    for (const auto& p : parts_) done.push_back(p.get());
    report_ = MergedReport(done);
    finished_.store(true, std::memory_order_release);
    if (calls_.finished && !stop_.load(std::memory_order_relaxed)) calls_.finished();
}

void ParallelCheck::TellProgress() {
    // Whichever thread first finds the time come tells it.
    const int64_t now = NowMs();
    int64_t last = lastProgress_.load(std::memory_order_relaxed);
    if (now - last >= kProgressMs && lastProgress_.compare_exchange_strong(last, now)) calls_.progress();
}

void ParallelCheck::Join() {
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void ParallelCheck::Stop() { stop_.store(true, std::memory_order_relaxed); }

void ParallelCheck::Cancel() {
    Stop();
    Join();
}

void ParallelCheck::Wait() { Join(); }

PlaytestReport ParallelCheck::TakeReport() {
    if (!Finished()) return {};
    return std::move(report_);
}

int64_t ParallelCheck::GamesDone() const {
    int64_t sum = 0;
    for (size_t j = 0; j < parts_.size(); ++j) sum += gamesDone_[j].load(std::memory_order_relaxed);
    return sum;
}

PlaytestReport PlayOnThreads(const TableRoot& table, const PlaytestOptions& options, int32_t threads) {
    ParallelCheck check(table, options, threads);
    check.Wait();
    return check.TakeReport();
}

}  // namespace bw
