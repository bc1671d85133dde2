#include "win/recovery_store.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

#include "files/win/table_file_win.h"
#include "files/win/wide_text.h"

namespace win {

namespace {

constexpr char kFirstLine[] = "# Bumpwright recovery of: ";
constexpr char kLegacySlot[] = "Recovery";  // the one copy of older versions
constexpr char kSlotPrefix[] = "Recovery-";
constexpr size_t kLongestCopy = 1 << 20;
constexpr int kMostSlots = 1000;  // far more windows than anyone runs

bool FileExists(const std::string& path) { return GetFileAttributesW(bw::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::string& path) { CreateDirectoryW(bw::Wide(path).c_str(), nullptr); }

void RemoveFile(const std::string& path) { DeleteFileW(bw::Wide(path).c_str()); }

// The slot a file of the folder is the copy of: "Recovery" for
// "Recovery.txt", "Recovery-<n>" for "Recovery-<n>.txt"; empty for any
// other file (working files of a write among them).
std::string SlotOfCopy(const std::string& file) {
    constexpr std::string_view extension = ".txt";
    if (file.size() <= extension.size() || !file.ends_with(extension)) return {};
    const std::string slot = file.substr(0, file.size() - extension.size());
    if (slot == kLegacySlot) return slot;
    const std::string_view prefix = kSlotPrefix;
    if (!slot.starts_with(prefix) || slot.size() == prefix.size() || slot.size() > prefix.size() + 4) return {};
    const bool digits = std::all_of(slot.begin() + prefix.size(), slot.end(),
                                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    return digits ? slot : std::string();
}

}  // namespace

std::string RecoveryStore::DefaultFolder() {
    PWSTR folder = nullptr;
    const HRESULT got = SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder);
    const std::string path = SUCCEEDED(got) && folder ? bw::Utf8(folder) : std::string();
    CoTaskMemFree(folder);
    return path.empty() ? path : path + "\\Bumpwright";
}

std::unique_ptr<RecoveryStore> RecoveryStore::Open(const std::string& folder) {
    if (folder.empty()) return nullptr;
    MakeFolder(folder);
    std::unique_ptr<RecoveryStore> store(new RecoveryStore(folder));
    for (int n = 1; n <= kMostSlots; ++n) {
        RecoverySlot slot{kSlotPrefix + std::to_string(n), {}};
        // A slot with a copy is left to the windows that offer it; a slot
        // whose lock is held belongs to a running window.
        const std::string copy = store->PathOf(slot.name, ".txt");
        if (FileExists(copy) || !store->Lock(slot)) continue;
        if (FileExists(copy)) continue;  // left behind just now
        store->own_ = std::move(slot);
        return store;
    }
    return nullptr;
}

std::string RecoveryStore::PathOf(const std::string& slot, const char* extension) const {
    return folder_ + "\\" + slot + extension;
}

bool RecoveryStore::Lock(RecoverySlot& slot) const {
    // Deleted on close, by the system too when the process ends however it
    // ends; no sharing, so a second open fails while it is held.
    const HANDLE h = CreateFileW(bw::Wide(PathOf(slot.name, ".lock")).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    slot.lock.reset(h);
    return true;
}

bool RecoveryStore::Write(const std::string& tablePath, const std::string& tableText) {
    const std::string text = kFirstLine + tablePath + "\n" + tableText;
    MakeFolder(folder_);
    bw::FileError error;
    return bw::WriteFileReplacing(CopyPath(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                                  error);
}

void RecoveryStore::Remove() { RemoveFile(CopyPath()); }

std::optional<LeftCopy> RecoveryStore::ClaimLeftCopy() {
    std::vector<std::string> slots;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(bw::Wide(PathOf("Recovery*", ".txt")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string slot = SlotOfCopy(bw::Utf8(found.cFileName));
            if (!slot.empty() && slot != own_.name && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                slots.push_back(slot);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(slots.begin(), slots.end());
    for (const std::string& name : slots) {
        LeftCopy copy;
        copy.slot_.name = name;
        const std::string path = PathOf(name, ".txt");
        // Held: its window runs, or another window is offering it. Taken:
        // the copy is still there only if no one dealt with it meanwhile.
        if (!Lock(copy.slot_) || !FileExists(path)) continue;
        std::vector<uint8_t> bytes;
        bw::FileError error;
        if (!bw::ReadFilePrefix(path, kLongestCopy + 1, bytes, error)) continue;  // tried again at a later start
        copy.path_ = path;
        copy.whole_ = bytes.size() <= kLongestCopy;
        const std::string text(bytes.begin(), bytes.end());
        const size_t eol = text.find('\n');
        if (text.rfind(kFirstLine, 0) != 0 || eol == std::string::npos) {
            RemoveFile(path);  // not a copy of ours
            continue;
        }
        copy.tablePath_ = text.substr(sizeof kFirstLine - 1, eol - (sizeof kFirstLine - 1));
        if (copy.tablePath_.ends_with('\r')) copy.tablePath_.pop_back();
        if (copy.whole_) copy.tableText_ = text.substr(eol + 1);
        return copy;
    }
    return std::nullopt;
}

void RecoveryStore::Adopt(LeftCopy copy) {
    Remove();
    own_ = std::move(copy.slot_);
}

void RecoveryStore::Discard(LeftCopy copy) { RemoveFile(copy.path_); }

}  // namespace win
