// Every message box of the program goes through ShowMessageBox. By default
// it is the system's MessageBox; a test puts an answerer in its place to
// read what the box said and to answer it without a window. The file
// dialogs are answered through the same seam (below).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/resources.h"

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
// A box whose text, string `stringId`, names a file: its "%1" is `path`,
// shortened as the program's messages shorten paths.
int PathMessageBox(HWND owner, UINT stringId, const std::string& path, UINT type,
                   const std::string& caption = AppTitle());

// Replaces the system's boxes with `answerer`; an empty one puts them back.
// Returns the answerer that was in place.
MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// The system's file dialogs (Open, Save As) ask the same seam for their
// answer each time they wait for the user: once they have opened, and again
// after a name was refused. Without an answerer the user answers them.
struct FileDialogRequest {
    HWND dialog = nullptr;  // the system's dialog window
    std::string title;      // its caption, "Open" or "Save As"
    std::string nameField;  // what its file-name field shows
    std::string folder;     // the folder it shows
    int attempt = 0;        // 0 when it has just opened; n after n refused names
};

struct FileDialogAnswer {
    bool cancel = false;  // press Cancel
    std::string name;     // otherwise: type this into the file-name field and press OK
};

using FileDialogAnswerer = std::function<FileDialogAnswer(const FileDialogRequest&)>;

// False when no answerer is in place; otherwise fills `answer`.
bool AnswerFileDialog(const FileDialogRequest& request, FileDialogAnswer& answer);

// Puts `answerer` in place of the user; an empty one gives the dialogs back
// to the user. Returns the answerer that was in place.
FileDialogAnswerer SetFileDialogAnswerer(FileDialogAnswerer answerer);

}  // namespace win
