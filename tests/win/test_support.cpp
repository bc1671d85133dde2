#include "tests/win/test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/table_file.h"
#include "files/table_text.h"
#include "files/win/table_file_win.h"
#include "files/win/wide_text.h"
#include "model/soft_surface.h"
#include "win/data_exchange.h"

namespace test {

MessageBoxes::MessageBoxes() {
    previous = win::SetMessageBoxAnswerer([this](const win::MessageBoxRequest& r) {
        shown.push_back(r);
        const int answer = answers.empty() ? IDOK : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    });
}

FileDialogs::FileDialogs() {
    previous = win::SetFileDialogAnswerer([this](const win::FileDialogRequest& request) {
        seen.push_back(request);
        EXPECT_FALSE(answers.empty()) << "unexpected file dialog \"" << request.title << "\"";
        const win::FileDialogAnswer answer = answers.empty() ? win::FileDialogAnswer{true, {}} : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    });
}

FileDialogs::~FileDialogs() {
    win::SetFileDialogAnswerer(std::move(previous));
    EXPECT_TRUE(answers.empty()) << "a file dialog the test expected never came";
}

void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) win::PumpDialogMessage(dialog, msg);
}

Window::Window(std::unique_ptr<ui::TableDialog> dialog) : dialog_(std::move(dialog)) {
    // The real pointer stays off the window: only the test's own messages move the mouse.
    SetCursorPos(1020, 760);
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
    MSG m{target, msg, wp, lp, GetTickCount(), {}};
    GetCursorPos(&m.pt);
    win::PumpDialogMessage(hwnd(), m);
    Pump(hwnd());
}

void Window::ClickTool(UINT command) {
    RECT r{};
    SendMessageA(dialog_->ToolBar(), TB_GETRECT, command, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Deliver(dlg().ToolBar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    Deliver(dlg().ToolBar(), WM_LBUTTONUP, 0, at);
}

void Window::Key(UINT vk) {
    HWND focus = GetFocus() ? GetFocus() : hwnd();
    Deliver(focus, WM_KEYDOWN, vk, 1);
    Deliver(focus, WM_KEYUP, vk, 0xC0000001);
}

void Window::CtrlKey(UINT vk, bool shift) {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    if (shift) keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Key(vk);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

void Window::PostKey(UINT vk, bool down, bool repeat) {
    HWND focus = GetFocus();
    if (!focus || (focus != hwnd() && !IsChild(hwnd(), focus))) focus = hwnd();
    LPARAM lp = 1 | static_cast<LPARAM>(MapVirtualKeyA(vk, 0) << 16);
    if (!down) lp |= static_cast<LPARAM>(0xC0000000u);  // was down, going up
    else if (repeat) lp |= 1 << 30;                      // was down already
    PostMessageA(focus, down ? WM_KEYDOWN : WM_KEYUP, vk, lp);
    Pump(hwnd());
}

void Window::StartWithoutTimer() {
    // No message is taken from the queue between the click and the end of
    // the timer, so no tick of the window's own comes in between.
    SendMessageA(GetDlgItem(hwnd(), IDC_START), BM_CLICK, 0, 0);
    ASSERT_EQ(ed().mode(), bw::EditMode::Playing);
    ASSERT_TRUE(KillTimer(hwnd(), 1)) << "play runs without the timer with identifier 1";
    Pump(hwnd());
}

COLORREF Window::Pixel(int x, int y) {
    Paint();
    HDC dc = GetDC(hwnd());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd(), dc);
    return c;
}

void Window::Load(const std::string& path, const std::string& text) {
    WriteTableFile(path, text);
    EXPECT_TRUE(dlg().LoadTable(path.c_str())) << path;
    Pump(hwnd());
}

std::vector<bw::TablePiece*> Pieces(const bw::PieceGroup& group) {
    std::vector<bw::TablePiece*> out;
    for (bw::TablePiece* c = group.FirstChild(); c; c = c->next.get()) out.push_back(c);
    return out;
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetTempFileNameW(base, L"bwt", 0, name);
    DeleteFileW(name);
    CreateDirectoryW(name, nullptr);
    path_ = bw::Utf8(name);
}

TempFolder::TempFolder(const std::string& path) : path_(path) {
    EXPECT_FALSE(Exists(path)) << path << " is there before the test";
    EXPECT_TRUE(CreateDirectoryW(bw::Wide(path).c_str(), nullptr)) << path;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    const std::filesystem::path folder(bw::Wide(path_));
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder, ignored))
        SetFileAttributesW(f.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder, ignored);
}

bool Exists(const std::string& path) { return GetFileAttributesW(bw::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(path, 1 << 24, bytes, error)) return "(none)";
    return std::string(bytes.begin(), bytes.end());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(bw::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(ok && written == bytes.size()) << path;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(bw::Wide(folder)), ignored))
        names.push_back(bw::Utf8(f.path().filename().wstring()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string TableBytes(const std::vector<std::vector<int>>& records) {
    std::string bytes("BWT\0\0\0\0\0", 8);
    for (const auto& r : records)
        for (int v : r) bytes += static_cast<char>(v);
    return bytes;
}

void WriteTableFile(const std::string& path, const std::string& tableText) {
    bw::Table table(bw::BuiltinImageLoader{});
    std::string error;
    ASSERT_TRUE(bw::TextToTable(tableText, *table.root, error)) << error;
    const bw::SaveResult saved = bw::SaveTableBytes(*table.root);
    ASSERT_TRUE(saved.ok) << saved.error;
    WriteAll(path, std::string(saved.bytes.begin(), saved.bytes.end()));
}

std::string ObstaclesText(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "obstacle10 " + std::to_string(6 + (i % 19) * 6) + " " + std::to_string(6 + (i / 19) * 7) + "\n";
    return text;
}

}  // namespace test
