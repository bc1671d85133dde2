// Opening the program's help file.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// Opens the compiled help file at its default topic, owned by `owner`.
// When that fails (the file or HTML Help itself is missing), says so in a
// message box. Returns the help window, if any.
HWND ShowHelp(HWND owner, const std::string& helpPath);

// The help file of a program file: beside it, with the extension ".chm".
std::string HelpPathFor(const std::string& programPath);

}  // namespace app
