#include "model/history.h"

#include <new>
#include <utility>

namespace bw {

void History::Start(TableSnapshot current, bool saved) {
    states_.clear();
    states_.push_back(std::move(current));
    at_ = 0;
    savedAt_ = 0;
    saved_ = saved;
    runOpen_ = false;
}

bool History::Record(TableSnapshot after, bool run) {
    const bool continues = run && runOpen_ && at_ > 0 && at_ + 1 == states_.size() && !AtSavedState();
    runOpen_ = false;
    if (after == states_[at_]) return false;
    if (continues) {
        if (after == states_[at_ - 1]) {
            // Back where the run began: the step goes.
            states_.pop_back();
            --at_;
            return true;
        }
        states_[at_] = std::move(after);
        runOpen_ = true;
        return true;
    }
    // A new step drops whatever could have been redone.
    states_.resize(at_ + 1);
    if (saved_ && savedAt_ > at_) saved_ = false;
    try {
        states_.push_back(std::move(after));
    } catch (const std::bad_alloc&) {
        // Out of memory: the oldest half of the history makes room.
        const size_t drop = states_.size() / 2;
        states_.erase(states_.begin(), states_.begin() + static_cast<std::ptrdiff_t>(drop));
        at_ -= drop;
        if (savedAt_ < drop) saved_ = false;
        else savedAt_ -= drop;
        states_.push_back(std::move(after));
    }
    ++at_;
    runOpen_ = run;
    return true;
}

const TableSnapshot* History::Undo() {
    runOpen_ = false;
    if (!CanUndo()) return nullptr;
    return &states_[--at_];
}

const TableSnapshot* History::Redo() {
    runOpen_ = false;
    if (!CanRedo()) return nullptr;
    return &states_[++at_];
}

void History::MarkSaved() {
    runOpen_ = false;
    savedAt_ = at_;
    saved_ = true;
}

}  // namespace bw
