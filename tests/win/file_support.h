// What the file-command tests share: the system's file dialogs answered
// through the program's seam, and plain file functions.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win/message_box.h"

namespace test {

// Answers the Open and Save As dialogs in turn, as a user would: each
// answer types a name and presses OK, or presses Cancel. Keeps what each
// dialog showed when it waited for its answer. A box that a file dialog
// shows by itself, or a dialog left waiting, fails the test and is closed,
// so that nothing waits forever.
class FileDialogs {
public:
    FileDialogs();
    ~FileDialogs();
    void Type(const std::string& name) { answers_.push_back({false, name}); }
    void Cancel() { answers_.push_back({true, {}}); }
    const std::vector<win::FileDialogRequest>& Seen() const { return seen_; }
    size_t Unused() const { return answers_.size(); }
    // Runs whenever a dialog waits for its answer, before it is answered.
    std::function<void(const win::FileDialogRequest&)> whenAsked;

private:
    std::deque<win::FileDialogAnswer> answers_;
    std::vector<win::FileDialogRequest> seen_;
    win::FileDialogAnswerer previous_;
    UINT_PTR watchdog_ = 0;
};

using Bytes = std::vector<unsigned char>;

std::optional<Bytes> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
bool Exists(const std::string& path);
// The names in a folder, sorted; empty when there is no such folder.
std::vector<std::string> ListFolder(const std::string& folder);
// Removes a folder with everything in it (read-only files included).
void RemoveTree(const std::string& path);

// The bytes of a table file: the header, then the given records.
Bytes TableBytes(const std::vector<Bytes>& records);

}  // namespace test
