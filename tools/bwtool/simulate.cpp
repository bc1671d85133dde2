// bwtool simulate and replay: the game headless, tick by tick.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "games/replay.h"
#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "physics/game.h"
#include "games/key_script.h"
#include "tools/bwtool/commands.h"

namespace bw {

namespace {

constexpr const char* kSimulateUsage =
    "usage: bwtool simulate TABLE.bwt --ticks N [--keys EVENTS] [--trace] [--checksum] [--replay OUT]\n";

}  // namespace

bool ReadTextFile(const std::string& path, size_t limit, std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, limit, bytes, error)) {
        std::fprintf(stderr, "bwtool: %s\n", error.c_str());
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::string error;
    if (!WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()), error)) {
        std::fprintf(stderr, "bwtool: %s\n", error.c_str());
        return false;
    }
    return true;
}

int Simulate(int argc, char** argv) {
    const char* path = nullptr;
    const char* replayPath = nullptr;
    int64_t ticks = -1;
    bool trace = false;
    bool checksum = false;
    std::vector<KeyEvent> events;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ticks" && i + 1 < argc) {
            if (!ParseCount("simulate", "--ticks", argv[++i], ticks)) return 2;
        } else if (arg == "--keys" && i + 1 < argc) {
            std::string error;
            if (!ParseKeyScript(argv[++i], events, error)) {
                std::fprintf(stderr, "bwtool simulate: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--checksum") {
            checksum = true;
        } else if (!path && !arg.empty() && arg[0] != '-') {
            path = argv[i];
        } else {
            std::fprintf(stderr, "bwtool simulate: unexpected argument '%s'\n%s", arg.c_str(), kSimulateUsage);
            return 2;
        }
    }
    if (!path || ticks < 0) {
        std::fputs(kSimulateUsage, stderr);
        return 2;
    }
    if (replayPath && ticks > kMaxReplayTicks) {
        std::fprintf(stderr, "bwtool simulate: a replay holds at most %lld ticks\n",
                     static_cast<long long>(kMaxReplayTicks));
        return 2;
    }
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(path, *table.root, loaded)) return 2;
    TableState& st = table.state;
    Replay replay;
    replay.tableText = TableToText(*table.root);
    replay.randomState = st.randomState;
    StartGame(st);
    const Ball& ball = *st.ball;
    KeyPlayback play(events);
    while (play.Ticks() < ticks) {
        play.Tick(st, false);
        if (trace)
            std::printf("%" PRId64 " %d %d %d %d %u\n", play.Ticks(), ball.fx, ball.fy, ball.vx, ball.vy,
                        static_cast<uint32_t>(st.score));
    }
    if (checksum) std::printf("checksum %016llx\n", static_cast<unsigned long long>(play.Checksum()));
    std::printf("score %u\n", static_cast<uint32_t>(st.score));
    if (replayPath) {
        replay.ticks = ticks;
        for (const KeyEvent& e : events)
            if (e.tick <= ticks) replay.events.push_back(e);
        replay.score = static_cast<uint32_t>(st.score);
        replay.checksum = play.Checksum();
        replay.checks = play.Checks();
        if (!WriteTextFile(replayPath, WriteReplay(replay))) return 2;
    }
    return 0;
}

bool LoadReplayFile(const char* command, const std::string& path, Replay& replay) {
    std::string text, error;
    if (!ReadTextFile(path, kMaxReplayBytes, text)) return false;
    if (!ReadReplay(text, replay, error)) {
        std::fprintf(stderr, "bwtool %s: %s: %s\n", command, path.c_str(), error.c_str());
        return false;
    }
    return true;
}

int ReplayCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: bwtool replay REPLAY\n", stderr);
        return 2;
    }
    Replay replay;
    if (!LoadReplayFile("replay", argv[0], replay)) return 2;
    Table table(BuiltinImageLoader{});
    std::string message;
    if (!StartReplay(replay, *table.root, message)) {
        std::fprintf(stderr, "bwtool replay: %s: %s\n", argv[0], message.c_str());
        return 2;
    }
    const bool same = VerifyReplay(replay, table.state, message);
    std::printf("%s\n", message.c_str());
    return same ? 0 : 1;
}

}  // namespace bw
