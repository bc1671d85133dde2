// The document: the table, its file, its history and its selection, and the
// one place where a change of the table becomes a step of that history.
//
// The selection is held as the identities of the table's top-level items
// (each item's serial), so it always lies in the table, in the table's
// order, and comes back with its items through Undo and Redo: the history
// keeps every state's identities beside its bytes. The saved state is the
// history's. The document knows no window.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/history.h"
#include "model/table.h"

namespace bw {

using ItemId = uint32_t;

class Document {
public:
    explicit Document(const ImageLoader& loader);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // ---- the table ------------------------------------------------------------
    const TableRoot& root() const { return *table_.root; }
    TableRoot& Root() { return *table_.root; }
    TableState& State() { return table_.state; }
    const TableState& State() const { return table_.state; }
    const std::string& FilePath() const { return filePath_; }
    const History& history() const { return history_; }
    bool saved() const { return history_.AtSavedState(); }
    // Counts the changes of the table's history (steps recorded, undone,
    // redone, a table replaced): what follows the table compares it.
    uint64_t Changes() const { return changes_; }

    // ---- the record budget ----------------------------------------------------
    // The records a table file of the table as it stands holds.
    int32_t FileRecords() const;
    // The editor's count: the file's records, and one more for every cannon
    // added while editing (a click takes two records for one).
    int32_t recordCount() const;
    // Whether the budget has room for an addition of `fileRecords` records
    // to the file, `counted` by the editor's count.
    bool RoomFor(int32_t fileRecords, int32_t counted) const;
    // Pieces the editor added to the table: their cannons count twice.
    void Added(const TablePiece& item);

    // ---- the selection --------------------------------------------------------
    // The selected items, in the table's order (those lifted out for a drag
    // among them, at their places).
    std::vector<TablePiece*> Selection() const;
    size_t SelectedCount() const { return selected_.size(); }
    bool IsSelected(const TablePiece& item) const;
    // The selection becomes these items (top-level items of the table).
    void Select(const std::vector<TablePiece*>& items);
    void SelectNone() { selected_.clear(); }

    // ---- the selection lifted out of the table while it is dragged -------------
    void Lift();
    const std::vector<TablePiece*>& Lifted() const { return liftedPieces_; }
    bool IsLifted() const { return !lifted_.empty(); }
    // Moves the lifted pieces by (dx, dy) table pixels.
    void MoveLifted(Point d);
    // They go back into the table: moved, at its end (drawn last, saved
    // last); not moved, to their places.
    void PutBack(bool moved);

    // ---- steps ------------------------------------------------------------------
    // The table as it stands becomes a step of the history, or nothing when
    // nothing changed. A nudge continues a run of nudges of the same items
    // (one step together). A table that a file could not hold is refused:
    // the table goes back to the history's state, and false comes back.
    bool Commit(bool nudge = false);
    // The table goes back to the history's current state (identities and
    // all): what a command did that it may not keep.
    void Revert();
    bool Undo();
    bool Redo();

    // ---- replacing the table --------------------------------------------------------
    enum class Start { Saved, Unsaved, KeepHistory };
    // The table becomes a copy of `from`'s pieces, the file `path`; the
    // history starts over from it (saved or not) or goes on with it as a
    // step. False when memory ran out (the table is then empty).
    bool Replace(const TableRoot& from, const std::string& path, Start start);
    // The file at `path` now holds the table.
    void MarkSaved(const std::string& path);

private:
    TableSnapshot Snapshot() const;
    void Restore(const TableSnapshot& to);
    void Reload(const TableSnapshot& to);
    std::vector<ItemId> Items() const;

    Table table_;
    std::string filePath_;
    History history_;
    std::vector<ItemId> selected_;
    std::vector<ItemId> nudged_;  // the items of the run of nudges under way
    std::vector<ItemId> added_;   // items added while editing: their cannons count twice
    struct Held {
        size_t index;
        std::unique_ptr<TablePiece> piece;
    };
    std::vector<Held> lifted_;
    std::vector<TablePiece*> liftedPieces_;
    uint64_t changes_ = 0;
};

}  // namespace bw
