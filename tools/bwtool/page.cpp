// bwtool page: a table as one web page that plays it in any browser.
#include <cstdio>
#include <string>
#include <vector>

#include "files/web_page.h"
#include "tools/bwtool/commands.h"

// The web player (build/web/bumpwright-player.js, named by the build's
// BW_WEB_PLAYER setting), carried inside the tool.
extern "C" const char bw_web_player[];
extern "C" const char bw_web_player_end[];
__asm__(".section .rodata\n"
        ".global bw_web_player\n"
        ".global bw_web_player_end\n"
        "bw_web_player:\n"
        ".incbin \"" BW_WEB_PLAYER "\"\n"
        "bw_web_player_end:\n"
        ".previous\n");

namespace bw {

namespace {

std::string_view WebPlayer() {
    return {bw_web_player, static_cast<size_t>(bw_web_player_end - bw_web_player)};
}

}  // namespace

int Page(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bwtool page TABLE.bwt OUT.html\n", stderr);
        return 2;
    }
    // Loaded as the program loads a table file: what it refuses is refused
    // here, and nothing is written. The page holds the bytes the program
    // reads, and its player loads them the same way.
    std::vector<uint8_t> bytes;
    Table table(NoImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(argv[0], *table.root, loaded, &bytes)) return 2;
    return WriteTextFile(argv[1], WebPage(WebPlayer(), bytes, PageTitle(argv[0]))) ? 0 : 2;
}

}  // namespace bw
