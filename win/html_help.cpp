#include "win/html_help.h"

#include "win/handles.h"

namespace win {

HtmlHelpLoader::Source HtmlHelpLoader::StandardSource() {
    return {"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", "hhctrl.ocx", 14};
}

namespace {

HMODULE LoadFromRegistry(const std::string& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return nullptr;
    OwnedRegKey hk(raw);
    char path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;  // at most 260 bytes
    DWORD type = 0;
    if (RegQueryValueExA(hk.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
        return nullptr;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return nullptr;
    path[MAX_PATH] = '\0';
    return path[0] ? LoadLibraryA(path) : nullptr;
}

}  // namespace

HWND HtmlHelpLoader::Call(HWND owner, const char* file, UINT command, DWORD_PTR data) {
    if (!library_ && !failed_) {
        library_ = LoadFromRegistry(source.registryKey);
        if (!library_) library_ = LoadLibraryA(source.libraryName.c_str());
        if (!library_) {
            failed_ = true;
            return nullptr;
        }
    }
    if (failed_) return nullptr;
    if (!function_) {
        function_ = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(source.ordinal))));
        if (!function_) {
            failed_ = true;
            return nullptr;
        }
    }
    return function_(owner, file, command, data);
}

HtmlHelpLoader& ProcessHtmlHelp() {
    static HtmlHelpLoader loader;
    return loader;
}

}  // namespace win
