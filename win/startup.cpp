#include "win/startup.h"

#include <windows.h>

#include <shellapi.h>

#include "files/win/wide_text.h"
#include "win/resources.h"

namespace win {

std::vector<std::string> CommandLineArguments(const wchar_t* commandLine) {
    std::vector<std::string> args;
    if (!commandLine) return args;
    int count = 0;
    LPWSTR* parts = CommandLineToArgvW(commandLine, &count);
    if (!parts) return args;
    for (int i = 1; i < count; ++i) args.push_back(bw::Utf8(parts[i]));
    LocalFree(parts);
    return args;
}

std::vector<std::string> CommandLineArguments() { return CommandLineArguments(GetCommandLineW()); }

std::string FileArgument(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments)
        if (!a.empty() && a[0] != '/' && a[0] != '-') return a;
    return {};
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = bw::Wide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return bw::Utf8(full);
}

std::string HelpFilePath(std::string_view programPath) {
    const size_t folderEnd = programPath.find_last_of("\\/:");
    const size_t nameStart = folderEnd == std::string_view::npos ? 0 : folderEnd + 1;
    const size_t dot = programPath.rfind('.');
    std::string path(programPath);
    if (dot != std::string_view::npos && dot >= nameStart) path.resize(dot);
    return path + ".HLP";
}

std::string CompiledHelpPath(std::string_view programPath) {
    // The ".HLP" path of the program with its last three characters made
    // "chm".
    std::string path = HelpFilePath(programPath);
    if (path.size() >= 3) path.replace(path.size() - 3, 3, "chm");
    return path;
}

std::string FileBesideProgram(std::string_view name) {
    const std::string program = ModulePath();
    const size_t slash = program.rfind('\\');
    if (slash == std::string::npos) return {};
    return program.substr(0, slash + 1).append(name);
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(bw::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsTooLongPath(const std::string& path) { return bw::WideLength(path) >= MAX_PATH; }

bool IsDevicePath(const std::string& path) { return path.rfind("\\\\.\\", 0) == 0; }

namespace {

// The text in the system's code page; empty when a letter has no place there.
std::string InCodePage(const std::wstring& wide) {
    if (wide.empty()) return {};
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
    if (n <= 1 || lost) return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, text.data(), n, nullptr, &lost);
    text.resize(static_cast<size_t>(n - 1));
    return lost ? std::string() : text;
}

}  // namespace

std::string CodePagePath(const std::string& path) {
    if (GetACP() == CP_UTF8) return path;
    const std::wstring wide = bw::Wide(path);
    if (std::string plain = InCodePage(wide); !plain.empty()) return plain;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? InCodePage(shortPath) : std::string();
}

std::string FirstDroppedFile(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return {};
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    return bw::Utf8(path);
}

}  // namespace win
