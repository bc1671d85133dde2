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

CheckGames::CheckGames(const TableRoot& table, const PlaytestOptions& options, int32_t ranges, CheckCalls calls)
    : table_(table), options_(options), calls_(std::move(calls)) {
    const size_t n = static_cast<size_t>(std::clamp<int64_t>(ranges, 1, std::max<int64_t>(1, options_.games)));
    parts_.resize(n);
    gamesDone_ = std::make_unique<std::atomic<int64_t>[]>(n);
    playing_ = n;
    lastProgress_ = NowMs();
}

void CheckGames::Play(size_t range) {
    PlayRange(range);
    ended_.fetch_add(1, std::memory_order_release);
}

void CheckGames::PlayRange(size_t part) {
    const int64_t n = static_cast<int64_t>(parts_.size()), j = static_cast<int64_t>(part);
    {
        // Each range plays on a copy of its own.
        std::lock_guard<std::mutex> lock(copying_);
        if (Stopped()) return;
        parts_[part] = std::make_unique<Playtest>(table_, options_, options_.games * j / n, options_.games * (j + 1) / n);
    }
    Playtest& games = *parts_[part];
    for (bool over = false; !over;) {
        if (calls_.look) calls_.look();
        if (Stopped()) return;
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
    if (calls_.finished && !Stopped()) calls_.finished();
}

void CheckGames::TellProgress() {
    // Whichever thread first finds the time come tells it.
    const int64_t now = NowMs();
    int64_t last = lastProgress_.load(std::memory_order_relaxed);
    if (now - last >= kProgressMs && lastProgress_.compare_exchange_strong(last, now)) calls_.progress();
}

PlaytestReport CheckGames::TakeReport() {
    if (!Finished()) return {};
    return std::move(report_);
}

int64_t CheckGames::GamesDone() const {
    int64_t sum = 0;
    for (size_t j = 0; j < parts_.size(); ++j) sum += gamesDone_[j].load(std::memory_order_relaxed);
    return sum;
}

ParallelCheck::ParallelCheck(const TableRoot& table, const PlaytestOptions& options, int32_t threads, CheckCalls calls)
    : games_(table, options, threads, calls) {
    try {
        for (size_t j = 0; j < games_.Ranges(); ++j) {
            threads_.emplace_back([this, j, started = calls.started] {
                if (started) started();
                games_.Play(j);
            });
        }
    } catch (...) {
        Cancel();  // no thread may outlive a check that never was
        throw;
    }
}

ParallelCheck::~ParallelCheck() { Cancel(); }

void ParallelCheck::Join() {
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void ParallelCheck::Cancel() {
    Stop();
    Join();
}

void ParallelCheck::Wait() { Join(); }

PlaytestReport PlayOnThreads(const TableRoot& table, const PlaytestOptions& options, int32_t threads) {
    ParallelCheck check(table, options, threads);
    check.Wait();
    return check.TakeReport();
}

}  // namespace bw
