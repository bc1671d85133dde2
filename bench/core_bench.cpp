// Speed of the table model, the file format and the headless game.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "physics/game.h"

namespace {

using namespace bw;

std::vector<uint8_t> Example(const char* name) {
    std::vector<uint8_t> bytes;
    std::string error;
    const std::string path = std::string(BW_BINARY_DIR) + "/examples/" + name + ".bwt";
    if (!ReadFileBytes(path, kMaxFileBytes, bytes, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    return bytes;
}

const BuiltinImageLoader kLoader;

void BM_LoadFullTable(benchmark::State& state) {
    const auto bytes = Example("full");
    Table table(kLoader);
    for (auto _ : state) {
        LoadResult r = LoadTableBytes(*table.root, bytes);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_LoadFullTable);

void BM_SaveFullTable(benchmark::State& state) {
    Table table(kLoader);
    LoadTableBytes(*table.root, Example("full"));
    for (auto _ : state) {
        SaveResult r = SaveTableBytes(*table.root);
        benchmark::DoNotOptimize(r.bytes.data());
    }
}
BENCHMARK(BM_SaveFullTable);

void BM_RebuildRegionFullTable(benchmark::State& state) {
    Table table(kLoader);
    LoadTableBytes(*table.root, Example("full"));
    for (auto _ : state) table.root->HandleMessage(PieceMessage::RebuildRegion);
}
BENCHMARK(BM_RebuildRegionFullTable);

void BM_PieceAtFullTable(benchmark::State& state) {
    Table table(kLoader);
    LoadTableBytes(*table.root, Example("full"));
    int32_t i = 0;
    for (auto _ : state) {
        // Points spread over the playfield, hits and misses alike.
        const int32_t x = (i * 37) % kPlayfieldWidth, y = (i * 53) % kPlayfieldHeight;
        ++i;
        benchmark::DoNotOptimize(table.root->PieceAt(x, y));
    }
}
BENCHMARK(BM_PieceAtFullTable);

void BM_DrawFullTable(benchmark::State& state) {
    Table table(kLoader);
    LoadTableBytes(*table.root, Example("full"));
    SoftSurface surface(kPlayfieldWidth, kPlayfieldHeight);
    surface.SetClip(kPlayfield);
    for (auto _ : state) PaintTable(table.state, surface, false);
}
BENCHMARK(BM_DrawFullTable);

void PlayTicks(benchmark::State& state, const char* name) {
    Table table(kLoader);
    LoadTableBytes(*table.root, Example(name));
    StartGame(table.state);
    int64_t t = 0;
    for (auto _ : state) {
        // Serve now and then, so the ball travels over the table.
        if (t % 600 == 0) {
            for (int k = 0; k < 10; ++k) SendKey(table.state, kKeySpace, true);
            SendKey(table.state, kKeySpace, false);
        }
        ++t;
        PlayTick(table.state, false);
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_PlayTickClassic(benchmark::State& state) { PlayTicks(state, "classic"); }
void BM_PlayTickFull(benchmark::State& state) { PlayTicks(state, "full"); }
BENCHMARK(BM_PlayTickClassic);
BENCHMARK(BM_PlayTickFull);

// The whole process: bwtool simulate of a million ticks of the classic table.
void BM_SimulateMillionTicksProcess(benchmark::State& state) {
    const std::string cmd = std::string(BW_BWTOOL) + " simulate " + BW_BINARY_DIR +
                            "/examples/classic.bwt --ticks 1000000 > /dev/null";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("bwtool simulate failed");
    }
}
BENCHMARK(BM_SimulateMillionTicksProcess)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
