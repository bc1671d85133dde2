#include "tests/win/test_support.h"

#include <cstdio>
#include <cstdlib>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "win/data_exchange.h"

namespace test {

MessageBoxes::MessageBoxes() {
    previous_ = win::SetMessageBoxAnswerer([this](const win::MessageBoxRequest& r) {
        shown_.push_back(r);
        if (answers_.empty()) return IDOK;
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    });
}

MessageBoxes::~MessageBoxes() { win::SetMessageBoxAnswerer(std::move(previous_)); }

std::vector<std::string> MessageBoxes::Texts() const {
    std::vector<std::string> texts;
    for (const auto& r : shown_) texts.push_back(r.text);
    return texts;
}

void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) win::PumpDialogMessage(dialog, msg);
}

Window::Window(std::unique_ptr<ui::TableDialog> dialog) : dialog_(std::move(dialog)) {
    if (!dialog_->Create(nullptr)) return;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
    UpdateWindow(hwnd());
    Pump(hwnd());
}

Window::~Window() {
    if (dialog_ && dialog_->hwnd()) DestroyWindow(dialog_->hwnd());
    Pump(nullptr);
}

void Window::Deliver(HWND target, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{};
    m.hwnd = target;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = GetTickCount();
    GetCursorPos(&m.pt);
    win::PumpDialogMessage(hwnd(), m);
    Pump(hwnd());
}

void Window::Command(UINT id) { SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void Window::ClickTool(UINT command) {
    const RECT r = ToolRect(command);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND bar = dlg().toolBar.get();
    Deliver(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Deliver(bar, WM_LBUTTONUP, 0, at);
}

void Window::Press(int x, int y) { Deliver(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void Window::Move(int x, int y) { Deliver(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
void Window::Release(int x, int y) { Deliver(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

void Window::Click(int x, int y) {
    Press(x, y);
    Release(x, y);
}

void Window::RightClick(int x, int y) {
    Deliver(hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    Deliver(hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void Window::DoubleClick(int x, int y) {
    Press(x, y);
    Release(x, y);
    Deliver(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    Release(x, y);
}

void Window::Key(UINT vk) {
    HWND focus = GetFocus();
    if (!focus) focus = hwnd();
    Deliver(focus, WM_KEYDOWN, vk, 1);
    Deliver(focus, WM_KEYUP, vk, 0xC0000001);
}

void Window::Paint() {
    UpdateWindow(hwnd());
    Pump(hwnd());
}

COLORREF Window::Pixel(int x, int y) {
    Paint();
    HDC dc = GetDC(hwnd());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd(), dc);
    return c;
}

std::string Window::ControlText(int id) const { return win::ControlText(GetDlgItem(hwnd(), id)); }

std::string Window::Title() const { return win::ControlText(hwnd()); }

bool Window::ToolChecked(UINT command) const {
    return SendMessageA(dialog_->toolBar.get(), TB_ISBUTTONCHECKED, command, 0) != 0;
}

RECT Window::ToolRect(UINT command) const {
    RECT r{};
    SendMessageA(dialog_->toolBar.get(), TB_GETRECT, command, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::vector<bw::TablePiece*> Pieces(const bw::PieceGroup& group) {
    std::vector<bw::TablePiece*> out;
    for (bw::TablePiece* c = group.FirstChild(); c; c = c->next.get()) out.push_back(c);
    return out;
}

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH];
    GetTempFileNameA(base, "bwt", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    path_ = name;
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string n = found.cFileName;
            if (n != "." && n != "..") DeleteFileA(File(n).c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
}

void WriteTableFile(const std::string& path, const std::string& tableText) {
    bw::Table table(bw::BuiltinImageLoader{});
    std::string error;
    ASSERT_TRUE(bw::TextToTable(tableText, *table.root, error)) << error;
    const bw::SaveResult saved = bw::SaveTableBytes(*table.root);
    ASSERT_TRUE(saved.ok) << saved.error;
    ASSERT_TRUE(bw::WriteFileBytes(path, saved.bytes, error)) << error;
}

std::string ObstaclesText(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "obstacle10 %d %d\n", 6 + (i % 19) * 6, 6 + (i / 19) * 7);
        text += line;
    }
    return text;
}

}  // namespace test
