// What the program learns at start-up: the file named on its command line
// and the help-file path derived from the program file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The command line's arguments (the program name not included) as the
// C runtime splits them.
std::vector<std::string> CommandLineArguments();

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
