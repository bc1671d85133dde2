// The undo history of a table: the table as it stood after each user
// action, oldest first, and where the editor is in that list.
//
// A state is the table's file bytes (at most 758), the editor's record
// count and the identities of the table's items, so a step costs no more
// than the table itself. The history is
// bounded only by memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bw {

struct TableSnapshot {
    std::vector<uint8_t> bytes;   // the table file: header and records
    int32_t recordCount = 1;      // the editor's count (a cannon it added counts 2)
    std::vector<uint32_t> items;  // each top-level item's identity, in file order
    bool operator==(const TableSnapshot&) const = default;
};

class History {
public:
    // Starts over from `current`; `saved` tells whether it is what the
    // table's file holds.
    void Start(TableSnapshot current, bool saved = true);

    // The table after one user action. Nothing is recorded when the table
    // is unchanged. Actions of a run (nudges of one piece) make one step:
    // the first opens the run, the next ones replace its step, and a run
    // that comes back where it began leaves no step at all. Any other call
    // ends the run. True when the history changed.
    bool Record(TableSnapshot after, bool run = false);
    // The next action of a run begins a new one.
    void EndRun() { runOpen_ = false; }

    // The state to go back or forward to; none when there is nothing to
    // undo or redo.
    const TableSnapshot* Undo();
    const TableSnapshot* Redo();
    bool CanUndo() const { return at_ > 0; }
    bool CanRedo() const { return at_ + 1 < states_.size(); }

    // The current state is what the file now holds.
    void MarkSaved();
    bool AtSavedState() const { return saved_ && savedAt_ == at_; }

    const TableSnapshot& Current() const { return states_[at_]; }
    size_t Size() const { return states_.size(); }
    size_t Position() const { return at_; }

private:
    std::vector<TableSnapshot> states_{TableSnapshot{}};
    size_t at_ = 0;
    size_t savedAt_ = 0;
    bool saved_ = true;  // false when no state is the saved one
    bool runOpen_ = false;
};

}  // namespace bw
