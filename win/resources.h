// The program's module and its string table.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The module that holds the resources (the program file).
HINSTANCE Instance();

// A string of the string table; empty when there is none with that id.
std::string LoadResString(UINT id);

// The application title, string 57344: the caption of the program's
// message boxes and the end of the window title.
const std::string& AppTitle();

// Replaces every "%1" of `text` with `argument`.
std::string FormatArgument(std::string_view text, std::string_view argument);

// The full path of the program file.
std::string ModulePath(HMODULE module = nullptr);

// The bytes of the program's raw data resource `name` (RCDATA), there for
// the program's life; empty when there is none.
std::string_view RawResource(const wchar_t* name);

}  // namespace win
