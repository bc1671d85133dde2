// The check played on worker threads: each thread plays a consecutive range
// of the games on a table of its own, and the ranges' results are merged in
// game order (MergedReport), so that the report is the same, byte for
// byte, for any number of threads. bwtool check and the program's checks
// (Check table, Check as you edit) play their games here.
//
// A check can be stopped at any moment: each thread looks at the stop
// every few hundred ticks (tens of microseconds of play). Progress is told
// at most every 50 ms.
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

// What a check's threads call, each on the thread itself; each must return
// quickly (post a message, set a flag) and may not touch the check.
struct CheckCalls {
    using Call = std::function<void()>;
    Call started;   // first of all on each thread (the program lowers its priority there)
    Call progress;  // at most every 50 ms while games are played
    Call finished;  // once, when every game is over and the report is made
    Call look;      // every few hundred ticks: may hold the thread back a moment
};

// The games of one check, split into consecutive ranges: each range is
// played by one call of Play, on whichever thread makes it.
class CheckGames {
public:
    // `table` must stay as it is, read by no other thread, until every
    // range's Play has returned. `finished` is not called once Stop has
    // been asked.
    CheckGames(const TableRoot& table, const PlaytestOptions& options, int32_t ranges, CheckCalls calls = {});
    CheckGames(const CheckGames&) = delete;
    CheckGames& operator=(const CheckGames&) = delete;

    size_t Ranges() const { return parts_.size(); }
    // Plays range `range` (each once) until it is over or Stop is asked;
    // the last range to end makes the report and calls `finished`.
    void Play(size_t range);
    // Asks every range to stop, without waiting: each does within a few
    // hundred ticks. A report not made by then is never made.
    void Stop() { stop_.store(true, std::memory_order_relaxed); }
    bool Stopped() const { return stop_.load(std::memory_order_relaxed); }
    // Whether every range's Play has returned.
    bool Ended() const { return ended_.load(std::memory_order_acquire) == parts_.size(); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // The report, once Finished (it is handed over: a second call gets an
    // empty one).
    PlaytestReport TakeReport();
    int64_t Games() const { return options_.games; }
    // Games over so far, in all the ranges.
    int64_t GamesDone() const;

private:
    void PlayRange(size_t range);
    void TellProgress();

    const TableRoot& table_;
    const PlaytestOptions options_;
    const CheckCalls calls_;
    std::mutex copying_;  // the table is read by one thread at a time, as each copies it
    std::vector<std::unique_ptr<Playtest>> parts_;
    std::unique_ptr<std::atomic<int64_t>[]> gamesDone_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<size_t> playing_{0};       // ranges not yet over
    std::atomic<size_t> ended_{0};         // ranges whose Play has returned
    std::atomic<int64_t> lastProgress_{0};  // when progress was last told, in ms
    PlaytestReport report_;
};

// A check on threads of its own, one a range.
class ParallelCheck {
public:
    // Starts playing the games `options` describe on `threads` threads (at
    // least one, at most one a game). `table` must stay as it is, read by no
    // other thread, until every thread has ended (Ended, Cancel or the
    // destructor).
    ParallelCheck(const TableRoot& table, const PlaytestOptions& options, int32_t threads, CheckCalls calls = {});
    // Cancels a check still under way.
    ~ParallelCheck();
    ParallelCheck(const ParallelCheck&) = delete;
    ParallelCheck& operator=(const ParallelCheck&) = delete;

    void Stop() { games_.Stop(); }
    // Whether every thread has ended (its range over, or stopped).
    bool Ended() const { return games_.Ended(); }
    // Stops the games and returns once every thread has ended.
    void Cancel();
    // Waits for every game to be over; the report is then made.
    void Wait();
    bool Finished() const { return games_.Finished(); }
    PlaytestReport TakeReport() { return games_.TakeReport(); }
    int32_t Threads() const { return static_cast<int32_t>(threads_.size()); }
    int64_t Games() const { return games_.Games(); }
    int64_t GamesDone() const { return games_.GamesDone(); }

private:
    void Join();

    CheckGames games_;
    std::vector<std::thread> threads_;
};

// The whole check on `threads` threads, waited for: bwtool's.
PlaytestReport PlayOnThreads(const TableRoot& table, const PlaytestOptions& options, int32_t threads);

}  // namespace bw
