// The check played on worker threads: each thread plays a consecutive range
// of the games on a table of its own, and the ranges' results are merged in
// game order (MergedReport), so that the report is the same, byte for
// byte, for any number of threads. bwtool check and the program's checks
// (Check table, Check as you edit) play their games here.
//
// A check can be stopped at any moment: each thread looks at the stop
// every few hundred ticks (tens of microseconds), and Cancel returns once
// every thread has ended. Progress is told at most every 50 ms.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "games/playtest.h"
#include "model/table.h"

namespace bw {

// The threads the program's checks play on: one less than the machine has
// cores, so that the window keeps one, and at least one.
int32_t CheckThreads();

class ParallelCheck {
public:
    // Called on a worker thread; it must return quickly (post a message, set
    // a flag) and may not touch the check.
    using Notify = std::function<void()>;

    // Starts playing the games `options` describe on `threads` threads (at
    // least one, at most one a game). `table` must stay as it is, read by no
    // other thread, until the check is over: Finished, Cancel or the
    // destructor. `progress` is told at most every 50 ms while games are
    // played; `finished`, once, when every game is over and the report is
    // made (never after Cancel has returned).
    ParallelCheck(const TableRoot& table, const PlaytestOptions& options, int32_t threads, Notify progress = {},
                  Notify finished = {});
    // Cancels a check still under way.
    ~ParallelCheck();
    ParallelCheck(const ParallelCheck&) = delete;
    ParallelCheck& operator=(const ParallelCheck&) = delete;

    // Stops the games and returns once every thread has ended. A report not
    // made by then is never made.
    void Cancel();
    // Waits for every game to be over; the report is then made.
    void Wait();
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // The report, once Finished (it is handed over: a second call gets an
    // empty one).
    PlaytestReport TakeReport();

    int32_t Threads() const { return static_cast<int32_t>(threads_.size()); }
    int64_t Games() const { return options_.games; }
    // Games over so far, in all the ranges.
    int64_t GamesDone() const;

private:
    void Play(size_t part);
    void TellProgress();
    void Join();

    const TableRoot& table_;
    const PlaytestOptions options_;
    const Notify tellProgress_, tellFinished_;
    std::mutex copying_;  // the table is read by one thread at a time, as each copies it
    std::vector<std::unique_ptr<Playtest>> parts_;
    std::unique_ptr<std::atomic<int64_t>[]> gamesDone_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<size_t> playing_{0};       // threads whose range is not yet over
    std::atomic<int64_t> lastProgress_{0};  // when progress was last told, in ms
    PlaytestReport report_;
    std::vector<std::thread> threads_;
};

// The whole check on `threads` threads, waited for: bwtool's.
PlaytestReport PlayOnThreads(const TableRoot& table, const PlaytestOptions& options, int32_t threads);

}  // namespace bw
