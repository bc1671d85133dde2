// Speed of the playtest (1,000 games of up to 3,000 ticks) and of
// bwtool movie (1,000 ticks of the classic table as a GIF).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/soft_surface.h"
#include "games/playtest.h"

namespace {

using namespace bw;

void Playtest1000(benchmark::State& state, const char* name) {
    Table table(BuiltinImageLoader{});
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(std::string(BW_BINARY_DIR) + "/examples/" + name + ".bwt", kMaxFileBytes, bytes, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    LoadTableBytes(*table.root, bytes);
    PlaytestOptions options;  // 1,000 games of up to 3,000 ticks
    int64_t ticks = 0;
    for (auto _ : state) {
        const PlaytestReport r = RunPlaytest(*table.root, options);
        ticks += r.ticks;
        benchmark::DoNotOptimize(r.heatMax);
    }
    state.counters["ticks"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kAvgIterations);
}
void BM_Playtest1000Classic(benchmark::State& state) { Playtest1000(state, "classic"); }
void BM_Playtest1000Full(benchmark::State& state) { Playtest1000(state, "full"); }
BENCHMARK(BM_Playtest1000Classic)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Playtest1000Full)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole process: bwtool check of 1,000 games on one thread, and of
// 10,000 classic games on one thread and on two.
void CheckProcess(benchmark::State& state, const char* name, int games, int jobs) {
    const std::string cmd = std::string(BW_BWTOOL) + " check " + BW_BINARY_DIR + "/examples/" + name +
                            ".bwt --games " + std::to_string(games) + " --jobs " + std::to_string(jobs) + " > /dev/null";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("bwtool check failed");
    }
}
void BM_Check1000ClassicProcess(benchmark::State& state) { CheckProcess(state, "classic", 1000, 1); }
void BM_Check1000FullProcess(benchmark::State& state) { CheckProcess(state, "full", 1000, 1); }
void BM_Check10000ClassicProcessOneJob(benchmark::State& state) { CheckProcess(state, "classic", 10000, 1); }
void BM_Check10000ClassicProcessTwoJobs(benchmark::State& state) { CheckProcess(state, "classic", 10000, 2); }
BENCHMARK(BM_Check1000ClassicProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Check1000FullProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Check10000ClassicProcessOneJob)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Check10000ClassicProcessTwoJobs)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole process: bwtool movie of 1,000 ticks, a frame every tick.
void BM_Movie1000TicksProcess(benchmark::State& state) {
    const std::string keys = "1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,5:+SPACE,6:+SPACE,7:+SPACE,8:+SPACE,9:+SPACE,"
                             "10:+SPACE,11:-SPACE";
    const std::string cmd = std::string(BW_BWTOOL) + " movie " + BW_BINARY_DIR + "/examples/classic.bwt --keys " +
                            keys + " --ticks 1000 --every 1 " + BW_BINARY_DIR + "/bench_movie.gif";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("bwtool movie failed");
    }
}
BENCHMARK(BM_Movie1000TicksProcess)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
