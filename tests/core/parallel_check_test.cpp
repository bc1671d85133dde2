// The check on worker threads: the report of one thread for any number of
// them, a cancel that stops the games and leaves no report, progress told
// sparingly, and the check as you edit on workers, whose report reaches
// the editor only while it describes the table shown.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>

#include "tests/core/editor_session.h"
#include "tests/core/test_util.h"
#include "workers/parallel_check.h"
#include "workers/worker_runner.h"

namespace {

using namespace bw;

std::string Source(const std::string& path) {
    std::ifstream f(std::string(BW_SOURCE_DIR) + "/" + path);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::unique_ptr<Table> FromText(const std::string& text) {
    auto t = bwtest::NewTable();
    std::string error;
    EXPECT_TRUE(TextToTable(text, *t->root, error)) << error;
    return t;
}

// A count raised on worker threads, awaited on the test's.
class Signal {
public:
    void Raise() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    // Waits until it has been raised `n` times in all; false when that
    // never comes (a minute is far more than any of these checks takes).
    bool Await(int n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return count_ >= n; });
    }
    int Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

TEST(ParallelCheck, AnyNumberOfThreadsGivesTheReportOfOne) {
    const struct {
        const char* name;
        std::string text;
        int64_t games;
    } cases[] = {
        {"classic", Source("examples/classic.txt"), 90},
        {"full", Source("examples/full.txt"), 40},
        {"endless", Source("tests/core/data/endless.txt"), 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = FromText(c.text);
        PlaytestOptions options;
        options.games = c.games;
        const PlaytestReport one = RunPlaytest(*t->root, options);
        for (int32_t threads : {1, 2, 3, 7}) {
            const PlaytestReport report = PlayOnThreads(*t->root, options, threads);
            EXPECT_EQ(ReportJson(report), ReportJson(one)) << threads << " threads";
            EXPECT_EQ(report.heat, one.heat) << threads << " threads";
        }
    }
}

TEST(ParallelCheck, ACancelStopsTheGamesAndLeavesNoReport) {
    auto t = FromText(Source("examples/classic.txt"));
    PlaytestOptions options;
    options.games = 50000;  // far more than are played before the cancel
    Signal progress;
    std::atomic<int> finished{0};
    ParallelCheck check(*t->root, options, 3, {.progress = [&] { progress.Raise(); }, .finished = [&] { ++finished; }});
    EXPECT_EQ(check.Threads(), 3);
    ASSERT_TRUE(progress.Await(1));  // the games are under way
    check.Cancel();
    const int64_t played = check.GamesDone();
    EXPECT_GT(played, 0);
    EXPECT_LT(played, options.games);
    EXPECT_FALSE(check.Finished());
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(check.TakeReport().games, 0);
    // The threads are gone: nothing more is played, nothing more is told.
    const int told = progress.Count();
    options.games = 20;
    RunPlaytest(*t->root, options);
    EXPECT_EQ(check.GamesDone(), played);
    EXPECT_EQ(progress.Count(), told);
}

TEST(ParallelCheck, ProgressIsToldAtMostEvery50Milliseconds) {
    auto t = FromText(Source("examples/full.txt"));
    PlaytestOptions options;
    options.games = 300;
    std::mutex mutex;
    std::vector<int64_t> seen;
    ParallelCheck* running = nullptr;
    const auto start = std::chrono::steady_clock::now();
    ParallelCheck check(*t->root, options, 2, {.progress = [&] {
                                                   std::lock_guard<std::mutex> lock(mutex);
                                                   if (running) seen.push_back(running->GamesDone());
                                               }});
    {
        std::lock_guard<std::mutex> lock(mutex);
        running = &check;
    }
    check.Wait();
    ASSERT_TRUE(check.Finished());
    EXPECT_EQ(check.GamesDone(), options.games);
    EXPECT_EQ(check.TakeReport().games, options.games);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    // However slow the machine, never more often than the rule allows.
    EXPECT_LE(static_cast<int64_t>(seen.size()), ms.count() / 49 + 1) << ms.count() << " ms";
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_LE(seen[i], options.games);
        if (i > 0) EXPECT_GE(seen[i], seen[i - 1]);
    }
}

// The runner keeps its threads from check to check: checks started one
// after another, each cancelling the one before, leave the last one's
// report alone, whole, once; with fewer games than threads too, and again
// after the threads were ended.
TEST(WorkerRunner, OfChecksStartedInARowOnlyTheLastReports) {
    auto t = FromText(Source("examples/classic.txt"));
    for (const int32_t threads : {1, 3}) {
        for (const int64_t games : {2, 40}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, " << games << " games");
            PlaytestOptions options;
            options.games = games;
            const std::string expected = ReportJson(RunPlaytest(*t->root, options));
            Signal finished;
            WorkerRunner runner({.finished = [&] { finished.Raise(); }}, threads);
            for (int round = 0; round < 2; ++round) {
                int stale = 0;
                for (int i = 0; i < 20; ++i) runner.Start(CheckCopy(*t->root), options, [&](PlaytestReport) { ++stale; });
                std::vector<std::string> reports;
                runner.Start(CheckCopy(*t->root), options, [&](PlaytestReport r) { reports.push_back(ReportJson(r)); });
                // A check ended before the next began may have told of it too.
                for (int n = finished.Count() + 1; !runner.Deliver(); ++n) ASSERT_TRUE(finished.Await(n));
                EXPECT_FALSE(runner.Deliver());
                EXPECT_EQ(stale, 0);
                ASSERT_EQ(reports.size(), 1u);
                EXPECT_EQ(reports[0], expected);
                runner.End();
                EXPECT_FALSE(runner.Playing());
            }
        }
    }
}

// An editor checking as you edit on workers, the report delivered by hand
// as the window delivers it when the workers' message comes.
struct Threaded {
    Signal wake;
    WorkerRunner runner{{.finished = [this] { wake.Raise(); }}};
    bwtest::ScreenView view;
    Editor editor{view, BuiltinImageLoader{}, bwtest::Session::Texts(), runner};

    Threaded() {
        view.paint = [this](Surface& target) { editor.Paint(target); };
        auto t = FromText(Source("examples/classic.txt"));
        editor.OpenTable("C:\\tables\\classic.bwt", TableFileBytes(*t->root));
        PlaytestOptions options;
        options.games = 30;
        editor.SetCheckOptions(options);
        editor.SetCheckAsYouEdit(true);
    }
    std::string Expected() const { return ReportJson(RunPlaytest(editor.table(), editor.CheckOptions())); }
    void Place(Point p) {
        editor.SelectTool(kObstacle10);
        editor.LButtonDown(p);
        editor.LButtonUp();
    }
};

TEST(CheckAsYouEdit, OnWorkersAReportIsShownOnlyWhileItDescribesTheTable) {
    Threaded s;
    s.editor.Idle();
    ASSERT_TRUE(s.runner.Busy());
    ASSERT_TRUE(s.wake.Await(1));  // its games are over, its report not yet delivered
    // An edit comes first: the report is of another table.
    s.Place({60, 160});
    EXPECT_TRUE(s.runner.Deliver());
    EXPECT_EQ(s.editor.Findings(), nullptr);
    EXPECT_EQ(s.editor.statusText(), "tool 4");
    EXPECT_FALSE(s.runner.Deliver()) << "a report comes once";

    // The next look starts the check of the table shown; its report shows.
    s.editor.Idle();
    ASSERT_TRUE(s.wake.Await(2));
    EXPECT_TRUE(s.runner.Deliver());
    ASSERT_NE(s.editor.Findings(), nullptr);
    EXPECT_EQ(ReportJson(*s.editor.Findings()), s.Expected());
    EXPECT_EQ(s.editor.statusText(), CheckSummary(*s.editor.Findings(), bwtest::Session::Texts()));

    // An edit undone before the report comes leaves it the table's.
    s.Place({100, 160});
    s.editor.Idle();
    ASSERT_TRUE(s.wake.Await(3));
    s.Place({140, 160});
    s.editor.Undo();
    EXPECT_TRUE(s.runner.Deliver());
    ASSERT_NE(s.editor.Findings(), nullptr);
    EXPECT_EQ(ReportJson(*s.editor.Findings()), s.Expected());

    // Turned off while a check runs: the check stops, its report never comes.
    s.Place({180, 160});
    s.editor.Idle();
    ASSERT_TRUE(s.runner.Busy());
    s.editor.SetCheckAsYouEdit(false);
    EXPECT_FALSE(s.runner.Busy());
    EXPECT_FALSE(s.runner.Deliver());
}

}  // namespace
