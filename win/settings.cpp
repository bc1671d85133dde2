#include "win/settings.h"

#include <windows.h>

#include "files/win/wide_text.h"
#include "win/handles.h"

namespace win {

OwnedRegKey OpenUserKey(const char* path, bool write) {
    HKEY key = nullptr;
    const std::wstring wide = bw::Wide(path);
    const LSTATUS status =
        write ? RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)
              : RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, KEY_READ, &key);
    return OwnedRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

bool ReadFlag(const char* name, bool absent) {
    const OwnedRegKey key = OpenUserKey(kSettingsKey, false);
    if (!key) return absent;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(key.get(), bw::Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return absent;
    return value != 0;
}

void WriteFlag(const char* name, bool on) {
    const OwnedRegKey key = OpenUserKey(kSettingsKey, true);
    if (!key) return;
    const DWORD value = on ? 1 : 0;
    RegSetValueExW(key.get(), bw::Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace win
