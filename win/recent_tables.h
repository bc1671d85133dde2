// The tables opened or saved last, newest first, kept in the current
// user's registry under the program's key so that they outlive the
// program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

class RecentTables {
public:
    static constexpr size_t kMaxTables = 4;
    static constexpr char kRegistryKey[] = "Software\\Bumpwright\\Recent Tables";

    // Reads the list from the registry; an absent key is an empty list.
    void Load();
    // Puts `path` first (once, whatever its letter case) and stores the list.
    void Add(const std::string& path);
    // Takes `path` off the list and stores the list.
    void Remove(const std::string& path);

    const std::vector<std::string>& Paths() const { return paths_; }

    // The menu text of entry `index`: its number as mnemonic, then the
    // path, shortened in the middle when long.
    static std::string MenuText(size_t index, const std::string& path);
    // Shows the list in `menu`, replacing what it showed there: commands
    // `firstId` on, then a separator (`separatorId`), just before the item
    // `beforeId` (at the end when there is none).
    void ShowInMenu(HMENU menu, UINT firstId, UINT separatorId, UINT beforeId) const;
    // Whether a command is one of the entries shown from `firstId` on.
    static bool IsEntry(UINT id, UINT firstId) { return id >= firstId && id < firstId + kMaxTables; }
    // The help that the status line `line` shows for entry `index`: which
    // file it opens, the path shortened in the middle as far as the line's
    // width needs.
    std::string HelpText(size_t index, HWND line) const;

private:
    void Store() const;
    std::vector<std::string> paths_;
};

}  // namespace win
