#include "win/startup.h"

#include <windows.h>

#include <shellapi.h>

#include "files/win/wide_text.h"

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

}  // namespace win
