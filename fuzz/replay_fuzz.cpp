// Any bytes as a replay file: reading must neither crash, overrun nor hang;
// a replay it accepts must write out and read back the same, and its table
// must start and play.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "games/replay.h"
#include "model/soft_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bw;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Replay replay;
    std::string error;
    if (!ReadReplay(text, replay, error)) {
        if (error.rfind("line ", 0) != 0) __builtin_trap();  // every refusal names its line
        return 0;
    }
    Replay again;
    if (!ReadReplay(WriteReplay(replay), again, error)) __builtin_trap();
    if (again.ticks != replay.ticks || again.checksum != replay.checksum || again.events.size() != replay.events.size() ||
        again.checks != replay.checks || again.score != replay.score || again.randomState != replay.randomState)
        __builtin_trap();
    static const BuiltinImageLoader loader;
    Table table(loader);
    if (!StartReplay(replay, *table.root, error)) __builtin_trap();
    KeyPlayback play(replay.events);
    while (play.Ticks() < replay.ticks && play.Ticks() < 300) play.Tick(table.state, false);
    return 0;
}
