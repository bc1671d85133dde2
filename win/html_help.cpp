#include "win/html_help.h"

#include "files/win/wide_text.h"
#include "res/resource.h"
#include "win/handles.h"
#include "win/message_box.h"

namespace win {

HtmlHelpLoader::Source HtmlHelpLoader::StandardSource() {
    return {"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", "hhctrl.ocx", 15};
}

namespace {

HMODULE LoadFromRegistry(const std::string& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, bw::Wide(key).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return nullptr;
    OwnedRegKey hk(raw);
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);  // at most 260 characters
    DWORD type = 0;
    if (RegQueryValueExW(hk.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
        return nullptr;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return nullptr;
    path[MAX_PATH] = L'\0';
    return path[0] ? LoadLibraryW(path) : nullptr;
}

}  // namespace

HWND HtmlHelpLoader::Call(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
    if (!library_ && !failed_) {
        library_ = LoadFromRegistry(source.registryKey);
        if (!library_) library_ = LoadLibraryW(bw::Wide(source.libraryName).c_str());
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
    return function_(owner, bw::Wide(file).c_str(), command, data);
}

HtmlHelpLoader& ProcessHtmlHelp() {
    static HtmlHelpLoader loader;
    return loader;
}

HWND ShowHelp(HWND owner, const std::string& helpPath) {
    HWND window = ProcessHtmlHelp().Call(owner, helpPath, kHelpDisplayTopic, 0);
    if (!window) AppMessageBox(owner, IDS_MISSING_HELP, MB_OK);
    return window;
}

}  // namespace win
