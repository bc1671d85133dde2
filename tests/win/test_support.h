// What the window tests share: the real main window, created modeless from
// its template and driven by the messages a user's actions produce; message
// boxes and file dialogs answered through the program's seams; files in a
// folder of the test's own.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/table.h"
#include "res/resource.h"
#include "ui/file_dialog.h"
#include "ui/table_dialog.h"
#include "win/data_exchange.h"
#include "win/message_box.h"

namespace test {

// Runs every message waiting for the thread, as the dialog loop would.
void Pump(HWND dialog);

// Answers message boxes without showing them (IDOK unless an answer is
// queued), and keeps what they said.
struct MessageBoxes {
    MessageBoxes();
    ~MessageBoxes() { win::SetMessageBoxAnswerer(std::move(previous)); }
    void Answer(int button) { answers.push_back(button); }
    const std::vector<win::MessageBoxRequest>& Shown() const { return shown; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& box : shown) texts.push_back(box.text);
        return texts;
    }
    std::deque<int> answers;
    std::vector<win::MessageBoxRequest> shown;
    win::MessageBoxAnswerer previous;
};

// Answers the Open and Save As dialogs in turn: a name typed and OK, or
// Cancel; a dialog with no answer queued is cancelled and fails the test.
struct FileDialogs {
    FileDialogs();
    ~FileDialogs();
    void Type(const std::string& name) { answers.push_back({false, name}); }
    void Cancel() { answers.push_back({true, {}}); }
    const std::vector<win::FileDialogRequest>& Seen() const { return seen; }
    std::deque<win::FileDialogAnswer> answers;
    std::vector<win::FileDialogRequest> seen;
    win::FileDialogAnswerer previous;
};

// The main window, created, shown and made the active window.
class Window {
public:
    explicit Window(std::unique_ptr<ui::TableDialog> dialog = std::make_unique<ui::TableDialog>());
    ~Window();

    ui::TableDialog& dlg() { return *dialog_; }
    HWND hwnd() const { return dialog_->hwnd(); }
    const bw::TableRoot& root() { return dialog_->editor().table(); }
    bw::Editor& ed() { return dialog_->editor(); }

    // A message taken from the queue by the dialog loop: pre-translation,
    // the dialog manager, then the window.
    void Deliver(HWND target, UINT msg, WPARAM wp, LPARAM lp);
    void Command(UINT id) { SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void ClickTool(UINT command);  // a real click on the toolbar button
    void Click(int x, int y) { Press(x, y), Release(x, y); }
    void Press(int x, int y) { Deliver(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Move(int x, int y) { Deliver(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Release(int x, int y) { Deliver(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void RightClick(int x, int y) {
        Deliver(hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)), Deliver(hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void Key(UINT vk);  // down and up, to the control with the focus
    // A key with Ctrl (and Shift) held, as the keyboard state shows them.
    void CtrlKey(UINT vk, bool shift = false);
    // A key as the keyboard delivers it, posted to the focus; `repeat`
    // marks the auto-repeat of a held key.
    void PostKey(UINT vk, bool down, bool repeat = false);
    void Tick() { PostMessageA(hwnd(), WM_TIMER, 1, 0), Pump(hwnd()); }  // a play tick and its paint
    // Start pressed, with the window's own timer stopped: the test ticks.
    void StartWithoutTimer();

    COLORREF Pixel(int x, int y);  // after painting what is invalid
    void Paint() { UpdateWindow(hwnd()), Pump(hwnd()); }
    std::string ControlText(int id) const { return win::ControlText(GetDlgItem(hwnd(), id)); }
    std::string Title() const { return win::ControlText(hwnd()); }
    bool ToolChecked(UINT id) const { return SendMessageA(dialog_->ToolBar(), TB_ISBUTTONCHECKED, id, 0); }
    // The table `text` describes, written to `path` and loaded as Open does.
    void Load(const std::string& path, const std::string& text);

private:
    std::unique_ptr<ui::TableDialog> dialog_;
};

// The root's direct children, in list order.
std::vector<bw::TablePiece*> Pieces(const bw::PieceGroup& group);

// A folder of the test's own, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    // The folder `path`, made by the test (it must not be there before).
    explicit TempFolder(const std::string& path);
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Whole files as strings; "(none)" for a file that cannot be read.
std::string ReadAll(const std::string& path);
// Paths are UTF-8, as in the program.
bool Exists(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
std::vector<std::string> ListFolder(const std::string& folder);  // sorted names
// A table file: the header, then records of x, y and kind.
std::string TableBytes(const std::vector<std::vector<int>>& records);
// A table file built by the core from table text.
void WriteTableFile(const std::string& path, const std::string& tableText);
// Table text of n obstacles spread over the table.
std::string ObstaclesText(int n);

}  // namespace test
