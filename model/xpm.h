// Pictures kept as XPM text (a palette and a grid of characters).
#pragma once

#include <cstdint>
#include <vector>

#include "model/surface.h"

namespace bw {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Color> pixels;  // row by row, top first
    Color At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Parses an XPM array of `lines` strings (one character per pixel, colours
// written "#RRGGBB"). Returns an empty picture when the text is malformed.
Picture ParseXpm(const char* const* lines, int lineCount);

}  // namespace bw
