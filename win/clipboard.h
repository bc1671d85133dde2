// The clipboard as text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// Puts `text` on the clipboard as plain text, its line breaks made CR LF.
bool SetClipboardText(HWND owner, const std::string& text);

// The clipboard's plain text; none when it holds none or cannot be opened.
std::optional<std::string> ClipboardText(HWND owner, size_t most);

bool ClipboardHasText();

}  // namespace win
