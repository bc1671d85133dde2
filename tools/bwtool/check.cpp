// bwtool check: the table played many times by the automatic player.
#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "model/paint.h"
#include "model/soft_surface.h"
#include "games/playtest.h"
#include "tools/bwtool/commands.h"
#include "tools/bwtool/png_writer.h"
#include "workers/parallel_check.h"

namespace bw {

namespace {

constexpr const char* kCheckUsage =
    "usage: bwtool check TABLE.bwt [--games N] [--seed S] [--ticks T] [--jobs J] [--png OUT.png] [--json] [--strict]\n";

constexpr int64_t kMaxJobs = 256;

}  // namespace

bool ParseCount(const char* command, const char* option, const std::string& v, int64_t& out) {
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || errno != 0 || n < 0 || v[0] == '-' || v[0] == '+') {
        std::fprintf(stderr, "bwtool %s: %s needs a whole number, not '%s'\n", command, option, v.c_str());
        return false;
    }
    out = n;
    return true;
}

int Check(int argc, char** argv) {
    const char* path = nullptr;
    const char* png = nullptr;
    bool json = false, strict = false;
    PlaytestOptions options;
    const unsigned cores = std::thread::hardware_concurrency();
    int64_t jobs = cores > 0 ? static_cast<int64_t>(cores) : 1;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        int64_t n = 0;
        if ((arg == "--games" || arg == "--seed" || arg == "--ticks") && i + 1 < argc) {
            if (!ParseCount("check", arg.c_str(), argv[++i], n)) return 2;
            if (arg == "--games") options.games = n;
            else if (arg == "--seed") options.seed = static_cast<uint64_t>(n);
            else options.ticks = n;
        } else if (arg == "--jobs" && i + 1 < argc) {
            if (!ParseCount("check", "--jobs", argv[++i], jobs)) return 2;
            if (jobs < 1 || jobs > kMaxJobs) {
                std::fprintf(stderr, "bwtool check: --jobs must be from 1 to %lld, not %s\n",
                             static_cast<long long>(kMaxJobs), argv[i]);
                return 2;
            }
        } else if (arg == "--png" && i + 1 < argc) {
            png = argv[++i];
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--strict") {
            strict = true;
        } else if (!path && !arg.empty() && arg[0] != '-') {
            path = argv[i];
        } else {
            std::fprintf(stderr, "bwtool check: unexpected argument '%s'\n%s", arg.c_str(), kCheckUsage);
            return 2;
        }
    }
    if (!path) {
        std::fputs(kCheckUsage, stderr);
        return 2;
    }
    std::string error;
    if (!CheckPlaytestOptions(options, error)) {
        std::fprintf(stderr, "bwtool check: %s\n", error.c_str());
        return 2;
    }
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(path, *table.root, loaded)) return 2;
    // Each thread plays a range of the games on a copy of the table; the
    // report is the same for any number of them.
    const PlaytestReport report = PlayOnThreads(*table.root, options, static_cast<int32_t>(jobs));
    std::fputs(json ? ReportJson(report).c_str() : ReportText(report).c_str(), stdout);
    if (png) {
        SoftSurface surface(kPlayfieldWidth, kPlayfieldHeight, kWhite);
        surface.SetClip(kPlayfield);
        table.root->HandleMessage(PieceMessage::Reset);
        const FindingsOverlay overlay(report);
        PaintTable(table.state, surface, false, &overlay);
        if (!WritePng(surface, png, error)) {
            std::fprintf(stderr, "bwtool: %s\n", error.c_str());
            return 2;
        }
    }
    return strict && report.HasFindings() ? 1 : 0;
}

}  // namespace bw
