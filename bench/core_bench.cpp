// Speed of the table model, the file format and the headless game.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/table_text.h"
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
// The same a known number of times, so that the instructions of a tick
// can be counted (scripts/tick-instructions.sh).
BENCHMARK(BM_PlayTickClassic)->Iterations(1 << 18);
BENCHMARK(BM_PlayTickFull)->Iterations(1 << 18);

// A table of 200 pieces: the classic frame, flippers and cannon under 195
// obstacles (the tick should cost about what the classic one does).
void BM_PlayTick200Pieces(benchmark::State& state) {
    std::string text = "border 40 92, 2 80, 2 2, 122 2, 122 80, 86 92\nleft-flipper 40 92\nright-flipper 86 92\n"
                       "cannon 63 90\nborder 112 92, 112 40\n";
    int n = 0;
    for (int y = 8; y <= 78 && n < 195; y += 5)
        for (int x = 8 + (y / 5) % 2 * 3; x <= 108 && n < 195; x += 7, ++n)
            text += std::string(n % 3 == 0 ? "obstacle10 " : n % 3 == 1 ? "obstacle50 " : "obstacle100 ") +
                    std::to_string(x) + " " + std::to_string(y) + "\n";
    Table table(kLoader);
    std::string error;
    if (!TextToTable(text, *table.root, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    int pieces = 0;
    for (const TablePiece* c = table.root->FirstChild(); c; c = c->next.get()) ++pieces;
    StartGame(table.state);
    int64_t t = 0;
    for (auto _ : state) {
        if (t % 600 == 0) {
            for (int k = 0; k < 10; ++k) SendKey(table.state, kKeySpace, true);
            SendKey(table.state, kKeySpace, false);
        }
        ++t;
        PlayTick(table.state, false);
    }
    state.counters["pieces"] = pieces;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlayTick200Pieces);

// The yardstick: the least a tick must do on a table of 25 round pieces,
// from flat arrays: the ball's step, a box reject per piece, and the circle
// test (with a plain mirror) where a box holds the ball.
[[gnu::aligned(64)]] void BM_TickLimitFlat25(benchmark::State& state) {
    constexpr int kPieces = 25;
    int32_t x0[kPieces], y0[kPieces], x1[kPieces], y1[kPieces], cx[kPieces], cy[kPieces], rr[kPieces];
    for (int i = 0; i < kPieces; ++i) {
        cx[i] = FixedX(10 + (i * 37) % 105).v;
        cy[i] = FixedY(10 + (i * 53) % 80).v;
        const int32_t r = 640 + 1280;
        x0[i] = cx[i] - r, x1[i] = cx[i] + r, y0[i] = cy[i] - r, y1[i] = cy[i] + r;
        rr[i] = r * r;
    }
    int32_t fx = 0, fy = 0, vx = 130, vy = -300;
    for (auto _ : state) {
        const int32_t ax = vx < 0 ? -vx : vx, ay = vy < 0 ? -vy : vy;
        if (ax > 480 || ay > 480) {
            if (ax > ay) vy = vy * 480 / ax, vx = vx > 0 ? 480 : -480;
            else vx = vx * 480 / ay, vy = vy > 0 ? 480 : -480;
        }
        fx += vx, fy += vy, vy += 5;
        for (int i = 0; i < kPieces; ++i) {
            if (fx < x0[i] || fx > x1[i] || fy < y0[i] || fy > y1[i]) continue;
            const int32_t dx = fx - cx[i], dy = fy - cy[i];
            if (dx * dx + dy * dy <= rr[i] && dx * vx + dy * vy < 0) vx = -vx, vy = -vy;
        }
        if (fx < FixedX(0).v || fx > FixedX(125).v || fy < FixedY(0).v || fy > FixedY(100).v) fx = fy = 0, vx = 130, vy = -300;
        benchmark::DoNotOptimize(fx);
        benchmark::DoNotOptimize(vy);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickLimitFlat25);
// The same loop a known number of times, so that its instructions per
// iteration can be counted (scripts/tick-instructions.sh).
BENCHMARK(BM_TickLimitFlat25)->Iterations(1 << 20);

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
