// What the program learns at start-up (the file named on its command line,
// the help files and other files beside the program file) and the paths it
// is given, as the system takes them.
#pragma once

#include <windows.h>
#include <shellapi.h>

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

// The compiled help file of a program file: beside it, with the extension
// ".chm".
std::string CompiledHelpPath(std::string_view programPath);

// The file `name` in the program file's folder; empty when the program's
// path has no folder.
std::string FileBesideProgram(std::string_view name);

// Whether a file or folder of that path is there.
bool PathExists(const std::string& path);

// Whether `path` is too long for the system's paths (MAX_PATH UTF-16
// units, the terminator included).
bool IsTooLongPath(const std::string& path);

// Whether an absolute path names a device ("\\.\CON" for "CON.bwt"):
// messages then name the path as it was typed.
bool IsDevicePath(const std::string& path);

// `path` as a program that takes the system's code page can open it: the
// path itself under the UTF-8 code page, otherwise in the code page when
// every letter has its place there, otherwise its short form when that has
// one. Empty when there is none.
std::string CodePagePath(const std::string& path);

// The first file of a drop, of any length; empty when there is none.
std::string FirstDroppedFile(HDROP drop);

}  // namespace win
