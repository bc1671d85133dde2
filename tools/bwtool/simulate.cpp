// bwtool simulate: the game headless, tick by tick.
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/soft_surface.h"
#include "physics/game.h"
#include "physics/key_script.h"
#include "tools/bwtool/commands.h"

namespace bw {

int Simulate(int argc, char** argv) {
    const char* path = nullptr;
    int64_t ticks = -1;
    bool trace = false;
    bool checksum = false;
    std::vector<KeyEvent> events;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ticks" && i + 1 < argc) {
            const std::string v = argv[++i];
            char* end = nullptr;
            errno = 0;
            const long long n = std::strtoll(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || errno != 0 || n < 0 || v[0] == '-' || v[0] == '+') {
                std::fprintf(stderr, "bwtool simulate: --ticks needs a whole number of ticks, not '%s'\n", v.c_str());
                return 2;
            }
            ticks = n;
        } else if (arg == "--keys" && i + 1 < argc) {
            std::string error;
            if (!ParseKeyScript(argv[++i], events, error)) {
                std::fprintf(stderr, "bwtool simulate: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--checksum") {
            checksum = true;
        } else if (!path && !arg.empty() && arg[0] != '-') {
            path = argv[i];
        } else {
            std::fprintf(stderr, "bwtool simulate: unexpected argument '%s'\n", arg.c_str());
            std::fputs("usage: bwtool simulate TABLE.bwt --ticks N [--keys EVENTS] [--trace] [--checksum]\n", stderr);
            return 2;
        }
    }
    if (!path || ticks < 0) {
        std::fputs("usage: bwtool simulate TABLE.bwt --ticks N [--keys EVENTS] [--trace] [--checksum]\n", stderr);
        return 2;
    }
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(path, *table.root, loaded)) return 2;
    TableState& st = table.state;
    StartGame(st);
    const Ball& ball = *st.ball;
    TraceChecksum sum;
    size_t next = 0;
    for (int64_t t = 1; t <= ticks; ++t) {
        while (next < events.size() && events[next].tick < t) ++next;
        while (next < events.size() && events[next].tick == t) {
            SendKey(st, events[next].virtualKey, events[next].down);
            ++next;
        }
        PlayTick(st, false);
        table.root->dirtyRegion.SetEmpty();
        sum.Add(st);
        if (trace)
            std::printf("%" PRId64 " %d %d %d %d %u\n", t, ball.fx, ball.fy, ball.vx, ball.vy,
                        static_cast<uint32_t>(st.score));
    }
    if (checksum) std::printf("checksum %016llx\n", static_cast<unsigned long long>(sum.Value()));
    std::printf("score %u\n", static_cast<uint32_t>(st.score));
    return 0;
}

}  // namespace bw
