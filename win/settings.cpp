#include "win/settings.h"

#include <windows.h>

#include "files/win/wide_text.h"
#include "win/handles.h"

namespace win {

bool ReadFlag(const char* name, bool absent) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, bw::Wide(kSettingsKey).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return absent;
    OwnedRegKey key(raw);
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(key.get(), bw::Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return absent;
    return value != 0;
}

void WriteFlag(const char* name, bool on) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, bw::Wide(kSettingsKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    OwnedRegKey key(raw);
    const DWORD value = on ? 1 : 0;
    RegSetValueExW(key.get(), bw::Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace win
