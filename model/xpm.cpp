#include "model/xpm.h"

#include <cstdio>
#include <cstring>

namespace bw {

Picture ParseXpm(const char* const* lines, int lineCount) {
    Picture pic;
    int w = 0, h = 0, colors = 0, cpp = 0;
    if (lineCount < 1 || std::sscanf(lines[0], "%d %d %d %d", &w, &h, &colors, &cpp) != 4) return pic;
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096 || cpp != 1 || colors <= 0 || colors > 256 ||
        lineCount < 1 + colors + h)
        return pic;
    Color table[256] = {};
    bool known[256] = {};
    for (int i = 0; i < colors; ++i) {
        const char* l = lines[1 + i];
        const auto key = static_cast<unsigned char>(l[0]);
        const char* hash = std::strchr(l, '#');
        unsigned rgb = 0;
        if (!hash || std::sscanf(hash + 1, "%6x", &rgb) != 1) return pic;
        table[key] = Rgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        known[key] = true;
    }
    std::vector<Color> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const char* row = lines[1 + colors + y];
        if (static_cast<int>(std::strlen(row)) < w) return pic;
        for (int x = 0; x < w; ++x) {
            const auto key = static_cast<unsigned char>(row[x]);
            if (!known[key]) return pic;
            px[static_cast<size_t>(y) * w + x] = table[key];
        }
    }
    pic.width = w;
    pic.height = h;
    pic.pixels = std::move(px);
    return pic;
}

}  // namespace bw
