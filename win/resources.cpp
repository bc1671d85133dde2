#include "win/resources.h"

#include "files/win/wide_text.h"
#include "model/path_text.h"
#include "res/resource.h"

namespace win {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::string LoadResString(UINT id) {
    // A string resource is at most 4097 characters long.
    wchar_t buffer[4100];
    const int n = LoadStringW(Instance(), id, buffer, static_cast<int>(std::size(buffer)));
    return n > 0 ? bw::Utf8(std::wstring_view(buffer, static_cast<size_t>(n))) : std::string();
}

const std::string& AppTitle() {
    static const std::string title = LoadResString(IDS_APP_TITLE);
    return title;
}

std::string FormatArgument(std::string_view text, std::string_view argument) { return bw::FillArgument(text, argument); }

std::string ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return bw::Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string_view RawResource(const wchar_t* name) {
    HRSRC found = FindResourceW(Instance(), name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(Instance(), found)) : std::string_view();
}

}  // namespace win
