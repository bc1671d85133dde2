// Small functions shared by the core tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "model/soft_surface.h"
#include "model/table.h"

namespace bwtest {

// The names, without `extension`, of the files in `folder` that have it,
// sorted (none when the folder cannot be read).
inline std::vector<std::string> FileStems(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::unique_ptr<bw::Table> NewTable() { return std::make_unique<bw::Table>(bw::BuiltinImageLoader{}); }

inline std::string Repeat(const std::string& s, int n) { return n > 0 ? s + Repeat(s, n - 1) : ""; }

inline void AddRecord(std::vector<uint8_t>& b, int x, int y, int kind) {
    b.insert(b.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(kind)});
}

// A table file: "BWT", a zero, four reserved zeros, then the records (x, y, kind).
inline std::vector<uint8_t> FileBytes(std::initializer_list<std::array<int, 3>> records) {
    std::vector<uint8_t> b = {'B', 'W', 'T', 0, 0, 0, 0, 0};
    for (const auto& r : records) AddRecord(b, r[0], r[1], r[2]);
    return b;
}

// The tree below `group`, one line per piece in tree order: "DEPTH KIND X Y",
// with a segment's second end appended.
inline std::string Tree(const bw::PieceGroup& group, int depth = 0) {
    std::string out;
    for (const bw::TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
        const bw::PlacedPiece& p = bw::Placed(*c);
        out += std::to_string(depth) + " " + std::to_string(c->kind) + " " + std::to_string(p.x) + " " +
               std::to_string(p.y);
        if (const auto* s = dynamic_cast<const bw::BorderSegment*>(c))
            out += " -> " + std::to_string(s->x2) + " " + std::to_string(s->y2);
        out += "\n";
        if (const auto* g = dynamic_cast<const bw::PieceGroup*>(c)) out += Tree(*g, depth + 1);
    }
    return out;
}

}  // namespace bwtest
