// Small functions shared by the core tests.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "model/soft_surface.h"
#include "model/table.h"

namespace bwtest {

inline std::unique_ptr<bw::Table> NewTable() {
    return std::make_unique<bw::Table>(bw::BuiltinImageLoader{});
}

using Record = std::array<int, 3>;  // x, y, kind

// A table file: "BWT", a zero, four reserved zeros, then the records.
inline std::vector<uint8_t> FileBytes(std::initializer_list<Record> records) {
    std::vector<uint8_t> b = {'B', 'W', 'T', 0, 0, 0, 0, 0};
    for (const Record& r : records)
        for (int v : r) b.push_back(static_cast<uint8_t>(v));
    return b;
}

inline void AddRecord(std::vector<uint8_t>& b, int x, int y, int kind) {
    b.push_back(static_cast<uint8_t>(x));
    b.push_back(static_cast<uint8_t>(y));
    b.push_back(static_cast<uint8_t>(kind));
}

// The tree below `group` as text, one line per piece in tree order:
// "DEPTH KIND X Y", with a segment's second end appended.
inline void TreeLines(const bw::PieceGroup& group, int depth, std::string& out) {
    for (const bw::TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
        const bw::PlacedPiece& p = bw::Placed(*c);
        out += std::to_string(depth) + " " + std::to_string(c->kind) + " " + std::to_string(p.x) + " " +
               std::to_string(p.y);
        if (const auto* s = dynamic_cast<const bw::BorderSegment*>(c))
            out += " -> " + std::to_string(s->x2) + " " + std::to_string(s->y2);
        out += "\n";
        if (const auto* g = dynamic_cast<const bw::PieceGroup*>(c)) TreeLines(*g, depth + 1, out);
    }
}

inline std::string Tree(const bw::PieceGroup& group) {
    std::string out;
    TreeLines(group, 0, out);
    return out;
}

inline int ChildCount(const bw::PieceGroup& g) {
    int n = 0;
    for (const bw::TablePiece* c = g.FirstChild(); c; c = c->next.get()) ++n;
    return n;
}

inline bw::TablePiece* ChildAt(const bw::PieceGroup& g, int index) {
    bw::TablePiece* c = g.FirstChild();
    while (c && index-- > 0) c = c->next.get();
    return c;
}

}  // namespace bwtest
