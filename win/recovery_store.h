// Where the copies of unsaved changes are kept, one per window, so that a
// copy outlives its window's crash and only that.
//
// The copies live in one folder (%APPDATA%\Bumpwright). Each running window
// has a slot there: a copy, "Recovery-<n>.txt", and a lock file,
// "Recovery-<n>.lock", that the window holds open without sharing for as
// long as it runs. The lock is opened to be deleted on close, so it goes
// with the window's process however that ends: a lock that can be taken
// means that its window is gone, and a copy beside it was left behind. A
// store taking a copy left behind takes its lock first, so no other window
// offers that copy at the same time. "Recovery.txt", the single copy of
// older versions, is one more slot (its lock is "Recovery.lock").
//
// A copy is text: a first line naming the table's file, then the table.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "win/handles.h"

namespace win {

struct LockTraits { static void Free(HANDLE h) { CloseHandle(h); } };
using OwnedLock = Owned<HANDLE, LockTraits>;

// A slot's name ("Recovery-3") and, while it is held, its lock.
struct RecoverySlot {
    std::string name;
    OwnedLock lock;
};

// A copy whose window is gone, claimed by one store while it is offered.
// Dropped without Adopt or Discard, it is given up and stays for a later
// window to offer.
class LeftCopy {
public:
    // The table's file the changes belong to; empty for an untitled table.
    const std::string& TablePath() const { return tablePath_; }
    // The table, as table text.
    const std::string& TableText() const { return tableText_; }
    // False when the copy is longer than a copy can be: its text is then
    // not read at all (only the table's file it names).
    bool Whole() const { return whole_; }
    // The copy's own file.
    const std::string& Path() const { return path_; }

private:
    friend class RecoveryStore;
    RecoverySlot slot_;
    std::string path_;
    std::string tablePath_;
    std::string tableText_;
    bool whole_ = true;
};

class RecoveryStore {
public:
    // %APPDATA%\Bumpwright; empty when the system does not say.
    static std::string DefaultFolder();

    // Claims a slot of this store's own in `folder` (made if missing);
    // none when no slot can be had (the folder cannot be written).
    static std::unique_ptr<RecoveryStore> Open(const std::string& folder);

    // Gives up the locks. The copy stays, as after a crash: a normal end
    // removes it first.
    ~RecoveryStore() = default;
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // This store's copy.
    std::string CopyPath() const { return PathOf(own_.name, ".txt"); }

    // Writes this store's copy of the table at `tablePath` (empty:
    // untitled) safely: beside the old copy, which it replaces once
    // complete. False when it could not be written.
    bool Write(const std::string& tablePath, const std::string& tableText);
    // Removes this store's copy (nothing else).
    void Remove();

    // Claims the first copy left behind by a window that is gone and that
    // no other store has claimed; none when there is none. A file in a
    // slot that is no copy is removed on the way.
    std::optional<LeftCopy> ClaimLeftCopy();
    // The copy was restored: it becomes this store's copy (this store's
    // own goes), written over from now on and removed when saved.
    void Adopt(LeftCopy copy);
    // The copy was refused: it is removed.
    void Discard(LeftCopy copy);

private:
    explicit RecoveryStore(std::string folder) : folder_(std::move(folder)) {}
    std::string PathOf(const std::string& slot, const char* extension) const;
    // Takes the slot's lock; false when its window (or another store) holds it.
    bool Lock(RecoverySlot& slot) const;

    std::string folder_;
    RecoverySlot own_;
};

}  // namespace win
