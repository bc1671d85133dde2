#include "win/startup.h"

#include <windows.h>

#include <cstdlib>

namespace win {

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        if (__argv && __argv[i]) args.emplace_back(__argv[i]);
    return args;
}

std::string FileArgument(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments)
        if (!a.empty() && a[0] != '/' && a[0] != '-') return a;
    return {};
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::string full(needed, '\0');
    const DWORD got = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return full;
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
