#include "editor/document.h"

#include <algorithm>

#include "files/table_file.h"

namespace bw {

namespace {

bool Has(const std::vector<ItemId>& ids, ItemId id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

int32_t CannonsIn(const TablePiece& item) {
    if (item.kind == kCannon) return 1;
    int32_t n = 0;
    if (item.kind == kGroup)
        for (const TablePiece* c = static_cast<const PieceGroup&>(item).FirstChild(); c; c = c->next.get())
            n += CannonsIn(*c);
    return n;
}

}  // namespace

Document::Document(const ImageLoader& loader) : table_(loader) { history_.Start(Snapshot()); }

Document::~Document() = default;

// ---- the record budget --------------------------------------------------------------

int32_t Document::FileRecords() const { return RecordsNeeded(root()); }

int32_t Document::recordCount() const {
    int32_t count = FileRecords();
    for (const TablePiece* c = root().FirstChild(); c; c = c->next.get())
        if (Has(added_, c->serial)) count += CannonsIn(*c);
    return count;
}

bool Document::RoomFor(int32_t fileRecords, int32_t counted) const {
    // The editor's own count, and what a table file can hold: whatever the
    // user builds can be saved and loaded back whole. (A single piece is
    // refused only once the count is full, so a cannon may pass it by one.)
    return recordCount() + counted - 1 < kMaxRecords && FileRecords() + fileRecords <= kMaxRecords;
}

void Document::Added(const TablePiece& item) {
    if (CannonsIn(item) > 0 && !Has(added_, item.serial)) added_.push_back(item.serial);
}

// ---- the selection --------------------------------------------------------------------

std::vector<TablePiece*> Document::Selection() const {
    std::vector<TablePiece*> all;
    for (TablePiece* c = table_.root->FirstChild(); c; c = c->next.get()) all.push_back(c);
    for (const Held& held : lifted_)
        all.insert(all.begin() + static_cast<std::ptrdiff_t>(std::min(held.index, all.size())), held.piece.get());
    std::vector<TablePiece*> selection;
    for (TablePiece* item : all)
        if (Has(selected_, item->serial)) selection.push_back(item);
    return selection;
}

bool Document::IsSelected(const TablePiece& item) const { return Has(selected_, item.serial); }

void Document::Select(const std::vector<TablePiece*>& items) {
    selected_.clear();
    for (const TablePiece* item : items)
        if (item && !Has(selected_, item->serial)) selected_.push_back(item->serial);
}

// ---- lifting ------------------------------------------------------------------------------

void Document::Lift() {
    std::vector<std::pair<size_t, TablePiece*>> chosen;
    size_t index = 0;
    for (TablePiece* c = table_.root->FirstChild(); c; c = c->next.get(), ++index)
        if (Has(selected_, c->serial)) chosen.push_back({index, c});
    for (const auto& [at, piece] : chosen) {
        lifted_.push_back({at, table_.root->RemoveChild(piece)});
        liftedPieces_.push_back(piece);
    }
}

void Document::MoveLifted(Point d) {
    table_.state.paramA = d.x;
    table_.state.paramB = d.y;
    for (TablePiece* piece : liftedPieces_) piece->HandleMessage(PieceMessage::Move);
}

void Document::PutBack(bool moved) {
    for (Held& held : lifted_) {
        if (moved) table_.root->AppendChild(std::move(held.piece));
        else table_.root->InsertChild(std::move(held.piece), held.index);
    }
    lifted_.clear();
    liftedPieces_.clear();
}

// ---- steps ----------------------------------------------------------------------------------

std::vector<ItemId> Document::Items() const {
    std::vector<ItemId> ids;
    for (const TablePiece* c = root().FirstChild(); c; c = c->next.get())
        if (!WritesNoRecords(*c)) ids.push_back(c->serial);
    return ids;
}

TableSnapshot Document::Snapshot() const { return {TableFileBytes(root()), recordCount(), Items()}; }

bool Document::Commit(bool nudge) {
    if (FileRecords() > kMaxRecords) {
        Revert();
        return false;
    }
    if (!nudge || nudged_ != selected_) history_.EndRun();
    if (history_.Record(Snapshot(), nudge)) ++changes_;
    // The table is what its file reads back as (a segment that no longer
    // joins the piece before it is a border of its own there): play, the
    // check and the next command see the table that is saved.
    Reload(history_.Current());
    nudged_ = nudge ? selected_ : std::vector<ItemId>{};
    return true;
}

void Document::Reload(const TableSnapshot& to) {
    LoadTableBytes(*table_.root, to.bytes);
    // Each item is the one it was: the identities come back with the state.
    size_t i = 0;
    for (TablePiece* c = table_.root->FirstChild(); c && i < to.items.size(); c = c->next.get())
        if (!WritesNoRecords(*c)) c->serial = to.items[i++];
}

void Document::Restore(const TableSnapshot& to) {
    Reload(to);
    std::erase_if(selected_, [&](ItemId id) { return !Has(to.items, id); });
    nudged_.clear();
}

void Document::Revert() { Restore(history_.Current()); }

bool Document::Undo() {
    const TableSnapshot* to = history_.Undo();
    if (to) Restore(*to), ++changes_;
    return to != nullptr;
}

bool Document::Redo() {
    const TableSnapshot* to = history_.Redo();
    if (to) Restore(*to), ++changes_;
    return to != nullptr;
}

// ---- replacing the table ------------------------------------------------------------------------

bool Document::Replace(const TableRoot& from, const std::string& path, Start start) {
    lifted_.clear();
    liftedPieces_.clear();
    selected_.clear();
    nudged_.clear();
    const bool copied = CopyPieces(from, *table_.root);
    filePath_ = path;
    ++changes_;
    if (start == Start::KeepHistory) {
        history_.EndRun();
        history_.Record(Snapshot());
    } else {
        added_.clear();
        history_.Start(Snapshot(), start == Start::Saved);
    }
    return copied;
}

void Document::MarkSaved(const std::string& path) {
    filePath_ = path;
    history_.EndRun();
    history_.Record(Snapshot());
    history_.MarkSaved();
    nudged_.clear();
}

}  // namespace bw
