#include "editor/shown_table.h"

#include <algorithm>
#include <unordered_map>

namespace bw {

namespace {

constexpr int32_t kFrameMargin = 5;  // window pixels between a piece's shape and its frame

// What decides an item's picture: its pieces' kinds and positions.
void Mix(uint64_t& h, int64_t v) {
    h ^= static_cast<uint64_t>(v);
    h *= 1099511628211ull;
}

void Fingerprint(const TablePiece& piece, uint64_t& h) {
    const PlacedPiece& p = Placed(piece);
    Mix(h, piece.kind);
    Mix(h, p.x);
    Mix(h, p.y);
    if (const auto* s = dynamic_cast<const BorderSegment*>(&piece)) {
        Mix(h, s->x2);
        Mix(h, s->y2);
    }
    if (const auto* g = dynamic_cast<const PieceGroup*>(&piece)) {
        Mix(h, -1);
        for (const TablePiece* c = g->FirstChild(); c; c = c->next.get()) Fingerprint(*c, h);
        Mix(h, -2);
    }
}

}  // namespace

Rect FrameOf(const TablePiece& piece) {
    Rect box = piece.region.Box();
    box.Inflate(kFrameMargin, kFrameMargin);
    return box;
}

Region FrameArea(const Rect& frame) {
    // Its four lines, drawn from corner to corner, right and bottom included.
    return Region::FromRect({frame.left, frame.top, frame.right + 1, frame.bottom + 1});
}

void ShownTable::Show(const TableRoot& table, const std::vector<TablePiece*>& overDrawn, const std::vector<Rect>& frames,
                   EditorView& view) {
    std::vector<Item> now;
    auto add = [&](const TablePiece& piece, bool over) {
        uint64_t h = over ? 7 : 3;
        Fingerprint(piece, h);
        now.push_back({piece.serial, h, piece.region});
    };
    for (const TablePiece* c = table.FirstChild(); c; c = c->next.get()) add(*c, false);
    for (const TablePiece* piece : overDrawn) add(*piece, true);

    std::unordered_map<uint32_t, const Item*> before;
    for (const Item& item : items_) before[item.serial] = &item;
    Region changed;
    for (const Item& item : now) {
        const auto was = before.find(item.serial);
        if (was != before.end() && was->second->fingerprint == item.fingerprint) {
            before.erase(was);
            continue;
        }
        if (was != before.end()) {
            changed.Unite(was->second->region);
            before.erase(was);
        }
        changed.Unite(item.region);
    }
    for (const auto& [serial, item] : before) changed.Unite(item->region);
    for (const Rect& f : frames_)
        if (std::find(frames.begin(), frames.end(), f) == frames.end()) changed.Unite(FrameArea(f));
    for (const Rect& f : frames)
        if (std::find(frames_.begin(), frames_.end(), f) == frames_.end()) changed.Unite(FrameArea(f));
    items_ = std::move(now);
    frames_ = frames;
    if (!changed.IsEmpty()) view.Invalidate(changed, false);
}

}  // namespace bw
