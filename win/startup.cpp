#include "win/startup.h"

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

std::string HelpFilePath(std::string_view programPath) {
    const size_t folderEnd = programPath.find_last_of("\\/:");
    const size_t nameStart = folderEnd == std::string_view::npos ? 0 : folderEnd + 1;
    const size_t dot = programPath.rfind('.');
    std::string path(programPath);
    if (dot != std::string_view::npos && dot >= nameStart) path.resize(dot);
    return path + ".HLP";
}

}  // namespace win
