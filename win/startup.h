// What the program learns at start-up: the file named on its command line
// and the help-file path derived from the program file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The arguments of the process's command line (the program name not
// included), split as the system splits them, in UTF-8.
std::vector<std::string> CommandLineArguments();
// The same for a given command line.
std::vector<std::string> CommandLineArguments(const wchar_t* commandLine);

// The first argument that is not a switch (a switch begins with "/" or
// "-"); empty when there is none. Switches are otherwise ignored.
std::string FileArgument(const std::vector<std::string>& arguments);

// `path` made absolute against the current folder as it is now; the path
// itself when the system cannot (or it is empty).
std::string AbsolutePath(const std::string& path);

// The help-file path of a program file: its path with the extension
// replaced by ".HLP" (appended when the name has none).
std::string HelpFilePath(std::string_view programPath);

}  // namespace win
