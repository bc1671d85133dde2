// The player's side in WebAssembly: one table, loaded from the page's table
// file bytes as the program loads a table file, played tick by tick and
// painted by the core's own paint, as the window does it. The page's script
// (page.js) calls these functions; it owns the clock, the keys and the
// canvas.
#include <emscripten/emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "games/key_script.h"
#include "games/replay.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "physics/game.h"

namespace {

// Bytes the page hands over: the table file, or a key script.
std::vector<uint8_t> input;
std::vector<uint8_t> tableBytes;
std::unique_ptr<bw::Table> table;
bool playing = false;
bw::TraceChecksum sum;  // of the game on screen, as bwtool simulate --checksum sums a game
std::unique_ptr<bw::SoftSurface> surface;
std::vector<uint32_t> rgba;
std::string answer;

constexpr int64_t kMostTestTicks = 10000000;

std::string Hex(uint64_t v) {
    char text[20];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

// A game of the page's table from its start, with `events`, as bwtool
// simulate plays it: a table of its own, so the game on screen goes on.
std::string Play(const std::vector<bw::KeyEvent>& events, int64_t ticks) {
    bw::Table game(bw::NoImageLoader{});
    bw::LoadTableBytes(*game.root, tableBytes);
    bw::StartGame(game.state);
    bw::KeyPlayback play(events);
    while (play.Ticks() < ticks) play.Tick(game.state, false);
    std::string text = "checksum " + Hex(play.Checksum()) + "\nscore " +
                       std::to_string(static_cast<uint32_t>(game.state.score)) + "\n";
    for (uint64_t check : play.Checks()) text += "check " + Hex(check) + "\n";
    return text;
}

}  // namespace

extern "C" {

// Room for `size` bytes of input; the page writes them there.
EMSCRIPTEN_KEEPALIVE uint8_t* bw_input(int32_t size) {
    input.assign(static_cast<size_t>(size > 0 ? size : 0), 0);
    return input.data();
}

// Loads the table file in the input; 0 when it is no table file (the page
// then says so and plays nothing).
EMSCRIPTEN_KEEPALIVE int32_t bw_open() {
    const size_t size = input.size() < bw::kMaxFileBytes ? input.size() : bw::kMaxFileBytes;
    tableBytes.assign(input.begin(), input.begin() + static_cast<ptrdiff_t>(size));
    table = std::make_unique<bw::Table>(bw::BuiltinImageLoader{});
    playing = false;
    return bw::LoadTableBytes(*table->root, tableBytes).accepted ? 1 : 0;
}

// Start: play from the table's start, as Edit and then Start do in the
// program (the game's random numbers go on from where they were).
EMSCRIPTEN_KEEPALIVE void bw_start() {
    if (!table) return;
    if (playing) table->root->HandleMessage(bw::PieceMessage::Reset);
    bw::StartGame(table->state);
    sum = bw::TraceChecksum();
    playing = true;
}

// A play key going down (a held key's repeats too) or up.
EMSCRIPTEN_KEEPALIVE void bw_key(int32_t virtualKey, int32_t down) {
    if (playing) bw::SendKey(table->state, virtualKey, down != 0);
}

EMSCRIPTEN_KEEPALIVE void bw_release_keys() {
    if (table) bw::ReleaseKeys(table->state);
}

EMSCRIPTEN_KEEPALIVE void bw_tick() {
    if (!playing) return;
    bw::PlayTick(table->state, false);
    table->root->dirtyRegion.SetEmpty();
    sum.Add(table->state);
}

// The checksum of the game on screen so far, 16 hex digits.
EMSCRIPTEN_KEEPALIVE const char* bw_checksum() {
    answer = Hex(sum.Value());
    return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE uint32_t bw_score() { return table ? static_cast<uint32_t>(table->state.score) : 0; }

// The playfield as the window shows it (the ball too, in play), 250 x 200
// pixels, four bytes each: red, green, blue, alpha.
EMSCRIPTEN_KEEPALIVE const uint32_t* bw_paint() {
    if (!surface) {
        surface = std::make_unique<bw::SoftSurface>(bw::kPlayfieldWidth, bw::kPlayfieldHeight, bw::kWhite);
        surface->SetClip(bw::kPlayfield);
        rgba.resize(surface->Pixels().size());
    }
    if (table) bw::PaintTable(table->state, *surface, playing);
    const std::vector<bw::Color>& pixels = surface->Pixels();
    for (size_t i = 0; i < pixels.size(); ++i) rgba[i] = pixels[i] | 0xFF000000u;
    return rgba.data();
}

// The test entry: the key script in the input played on the table for
// `ticks` ticks; lines "checksum C", "score S" and "check C" for every
// 500 ticks, or "error MESSAGE".
EMSCRIPTEN_KEEPALIVE const char* bw_play(double ticks) {
    std::vector<bw::KeyEvent> events;
    std::string error;
    try {
        if (!table)
            answer = "error no table\n";
        else if (!(ticks >= 0 && ticks <= static_cast<double>(kMostTestTicks)) || ticks != static_cast<int64_t>(ticks))
            answer = "error ticks must be a whole number from 0 to " + std::to_string(kMostTestTicks) + "\n";
        else if (!bw::ParseKeyScript(std::string(input.begin(), input.end()), events, error))
            answer = "error " + error + "\n";
        else
            answer = Play(events, static_cast<int64_t>(ticks));
    } catch (const std::bad_alloc&) {
        answer = "error out of memory\n";
    }
    return answer.c_str();
}

}  // extern "C"
