// Any bytes as a table file: loading, drawing, saving and a short game must
// neither crash, overrun, hang nor trip the sanitizers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/table_file.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "physics/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bw;
    static const BuiltinImageLoader loader;
    Table table(loader);
    const LoadResult r = LoadTableBytes(*table.root, std::span<const uint8_t>(data, size));
    if (!r.accepted) return 0;
    if (r.recordCount < 1) __builtin_trap();
    // Painting is slow under coverage; pieces anywhere (up to 255, 255) are
    // drawn for a share of the inputs.
    if (size % 8 == 0) {
        static SoftSurface surface(kPlayfieldWidth, kPlayfieldHeight);
        surface.SetClip(kPlayfield);
        PaintTable(table.state, surface, true);
    }
    const SaveResult saved = SaveTableBytes(*table.root);
    if (saved.ok != (RecordsNeeded(*table.root) <= kMaxRecords)) __builtin_trap();
    if (saved.ok && saved.bytes.size() > kMaxFileBytes) __builtin_trap();
    // A short game with the play keys, driven by the last bytes.
    StartGame(table.state);
    for (int t = 0; t < 64; ++t) {
        const uint8_t b = data[(size - 1 - static_cast<size_t>(t) % size)];
        if (b & 1) SendKey(table.state, kKeyZ, (b & 2) != 0);
        if (b & 4) SendKey(table.state, kKeyX, (b & 8) != 0);
        if (b & 16) SendKey(table.state, kKeySpace, (b & 32) != 0);
        PlayTick(table.state, (b & 64) != 0);
    }
    table.root->HandleMessage(PieceMessage::Reset);
    table.root->HandleMessage(PieceMessage::RebuildRegion);
    return 0;
}
