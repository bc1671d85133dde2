// What the window tests share: the real main window, created modeless from
// its template, driven by the messages a user's actions produce, with every
// message box answered through the program's message-box seam.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "model/table.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"

namespace test {

// Answers message boxes without showing them, and keeps what they said.
class MessageBoxes {
public:
    MessageBoxes();
    ~MessageBoxes();
    // The answer to the next box (IDOK when none is queued).
    void Answer(int button) { answers_.push_back(button); }
    const std::vector<win::MessageBoxRequest>& Shown() const { return shown_; }
    std::vector<std::string> Texts() const;
    void Clear() { shown_.clear(); }

private:
    std::deque<int> answers_;
    std::vector<win::MessageBoxRequest> shown_;
    win::MessageBoxAnswerer previous_;
};

// Runs every message waiting for the thread, as the dialog loop would.
void Pump(HWND dialog);

// The main window, created and shown, and the messages of a user's actions.
class Window {
public:
    explicit Window(std::unique_ptr<ui::TableDialog> dialog = std::make_unique<ui::TableDialog>());
    ~Window();

    ui::TableDialog& dlg() { return *dialog_; }
    HWND hwnd() const { return dialog_->hwnd(); }
    bw::TableRoot& root() { return *dialog_->root; }

    // A message taken from the queue by the dialog loop: pre-translation,
    // the dialog manager, then the window.
    void Deliver(HWND target, UINT msg, WPARAM wp, LPARAM lp);
    void Command(UINT id);
    void ClickTool(UINT command);  // a real click on the toolbar button
    void Click(int x, int y);      // left button down and up
    void Press(int x, int y);
    void Move(int x, int y);
    void Release(int x, int y);
    void RightClick(int x, int y);
    void DoubleClick(int x, int y);
    void Key(UINT vk);  // key down and up, to the control with the focus

    // Paints what is invalid and returns the window's pixel.
    COLORREF Pixel(int x, int y);
    void Paint();

    std::string ControlText(int id) const;
    std::string Title() const;
    bool ToolChecked(UINT command) const;
    RECT ToolRect(UINT command) const;

private:
    std::unique_ptr<ui::TableDialog> dialog_;
};

// The root's direct children, in list order.
std::vector<bw::TablePiece*> Pieces(const bw::PieceGroup& group);

// A folder of its own for the test's files, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Writes a table file built by the core from table text.
void WriteTableFile(const std::string& path, const std::string& tableText);

// Table text of n obstacles spread over the table.
std::string ObstaclesText(int n);

}  // namespace test
