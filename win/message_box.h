// Every message box of the program goes through ShowMessageBox. By default
// it is the system's MessageBox; a test puts an answerer in its place to
// read what the box said and to answer it without a window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace win {

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = MB_OK;  // buttons, icon and other MB_ flags
};

using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;

// Shows a box and returns the button chosen (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// A box with the application title as its caption.
int AppMessageBox(HWND owner, const std::string& text, UINT type);
// The same with a text of the string table.
int AppMessageBox(HWND owner, UINT stringId, UINT type);

// Replaces the system's boxes with `answerer`; an empty one puts them back.
// Returns the answerer that was in place.
MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

}  // namespace win
