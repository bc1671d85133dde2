// Load, save, load again: the second table is the first, piece for piece;
// and so is a copy of the first.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/table_file.h"
#include "model/soft_surface.h"

namespace {

// The next piece from `p` on that a table file holds (groups without
// pieces write nothing).
const bw::TablePiece* Written(const bw::TablePiece* p) {
    while (p && bw::WritesNoRecords(*p)) p = p->next.get();
    return p;
}

// Same kinds, positions and nesting, list by list.
bool SameTree(const bw::PieceGroup& a, const bw::PieceGroup& b) {
    const bw::TablePiece* x = Written(a.FirstChild());
    const bw::TablePiece* y = Written(b.FirstChild());
    for (; x && y; x = Written(x->next.get()), y = Written(y->next.get())) {
        if (x->kind != y->kind) return false;
        const auto* gx = bw::AsGroup(const_cast<bw::TablePiece*>(x));
        const auto* gy = bw::AsGroup(const_cast<bw::TablePiece*>(y));
        if ((gx == nullptr) != (gy == nullptr)) return false;
        if (x->kind != bw::kGroup &&
            (bw::Placed(*x).x != bw::Placed(*y).x || bw::Placed(*x).y != bw::Placed(*y).y))
            return false;
        if (gx && x->kind == bw::kGroup && !SameTree(*gx, *gy)) return false;
        if (!(x->region == y->region)) return false;
    }
    return x == nullptr && y == nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bw;
    static const BuiltinImageLoader loader;
    Table first(loader);
    if (!LoadTableBytes(*first.root, std::span<const uint8_t>(data, size)).accepted) return 0;
    const SaveResult saved = SaveTableBytes(*first.root);
    if (!saved.ok) return 0;  // refused whole: nothing is lost
    Table second(loader);
    const LoadResult again = LoadTableBytes(*second.root, saved.bytes);
    if (!again.accepted || !again.wellFormed) __builtin_trap();
    if (again.recordCount != saved.records) __builtin_trap();
    if (!SameTree(*first.root, *second.root)) __builtin_trap();
    // Saving the reloaded table gives the same bytes.
    const SaveResult resaved = SaveTableBytes(*second.root);
    if (!resaved.ok || resaved.bytes != saved.bytes) __builtin_trap();
    // So does a copy of the first (the copy the check plays).
    Table copy(NoImageLoader{});
    if (!CopyPieces(*first.root, *copy.root) || !SameTree(*first.root, *copy.root)) __builtin_trap();
    if (SaveTableBytes(*copy.root).bytes != saved.bytes) __builtin_trap();
    return 0;
}
