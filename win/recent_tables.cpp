#include "win/recent_tables.h"

#include <algorithm>

#include "files/win/wide_text.h"
#include "model/path_text.h"
#include "res/resource.h"
#include "win/handles.h"
#include "win/resources.h"
#include "win/settings.h"

namespace win {

namespace {

bool SamePath(const std::string& a, const std::string& b) {
    const std::wstring wa = bw::Wide(a), wb = bw::Wide(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

std::wstring ValueName(size_t index) { return L"Table" + std::to_wstring(index + 1); }

constexpr size_t kLongestMenuPath = 48;

}  // namespace

void RecentTables::Load() {
    paths_.clear();
    const OwnedRegKey key = OpenUserKey(kRegistryKey, false);
    if (!key) return;
    for (size_t i = 0; i < kMaxTables; ++i) {
        wchar_t value[MAX_PATH + 1] = {};
        DWORD size = sizeof value - sizeof value[0];  // room for a terminator the value may lack
        DWORD type = 0;
        if (RegQueryValueExW(key.get(), ValueName(i).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value),
                             &size) != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const std::string path = bw::Utf8(value);
        const bool seen = std::any_of(paths_.begin(), paths_.end(), [&](const auto& p) { return SamePath(p, path); });
        if (!path.empty() && !seen) paths_.push_back(path);
    }
}

void RecentTables::Add(const std::string& path) {
    if (path.empty()) return;
    std::erase_if(paths_, [&](const std::string& p) { return SamePath(p, path); });
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMaxTables) paths_.resize(kMaxTables);
    Store();
}

void RecentTables::Remove(const std::string& path) {
    std::erase_if(paths_, [&](const std::string& p) { return SamePath(p, path); });
    Store();
}

void RecentTables::Store() const {
    const OwnedRegKey key = OpenUserKey(kRegistryKey, true);
    if (!key) return;
    for (size_t i = 0; i < kMaxTables; ++i) {
        const std::wstring name = ValueName(i);
        if (i < paths_.size()) {
            const std::wstring path = bw::Wide(paths_[i]);
            RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key.get(), name.c_str());
        }
    }
}

std::string RecentTables::MenuText(size_t index, const std::string& path) {
    std::string shown = path;
    if (shown.size() > kLongestMenuPath) {
        // The drive and the name stay; the folders between give way.
        const size_t slash = shown.rfind('\\');
        const std::string name = slash == std::string::npos ? shown : shown.substr(slash);
        const std::string start = shown.substr(0, std::min<size_t>(3, shown.size()));
        shown = name.size() + 6 < kLongestMenuPath ? start + "..." + name : "..." + name;
    }
    std::string text(1, '&');
    text += std::to_string(index + 1);
    text += ' ';
    for (char c : shown) {
        if (c == '&') text += '&';  // shown as itself, not as a mnemonic
        text += c;
    }
    return text;
}

void RecentTables::ShowInMenu(HMENU menu, UINT firstId, UINT separatorId, UINT beforeId) const {
    for (UINT id = firstId; id <= separatorId; ++id) DeleteMenu(menu, id, MF_BYCOMMAND);
    int at = GetMenuItemCount(menu);
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == beforeId) at = i;
    for (size_t i = 0; i < paths_.size(); ++i)
        InsertMenuW(menu, static_cast<UINT>(at++), MF_BYPOSITION | MF_STRING, firstId + i,
                    bw::Wide(MenuText(i, paths_[i])).c_str());
    if (!paths_.empty()) InsertMenuW(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_SEPARATOR, separatorId, nullptr);
}

std::string RecentTables::HelpText(size_t index, HWND line) const {
    if (index >= paths_.size()) return {};
    const std::string format = LoadResString(IDS_OPEN_RECENT);
    RECT room{};
    GetClientRect(line, &room);
    WindowDc dc(line);
    const HGDIOBJ font = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0)));
    std::string text;
    for (size_t limit = bw::kMessagePathLength; limit >= 12; limit -= 4) {
        text = FormatArgument(format, bw::ShortPath(paths_[index], limit));
        const std::wstring wide = bw::Wide(text);
        SIZE size{};
        if (GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size) && size.cx <= room.right)
            break;
    }
    SelectObject(dc.get(), font);
    return text;
}

}  // namespace win
