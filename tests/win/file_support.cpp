#include "tests/win/file_support.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <algorithm>
#include <cstring>

namespace test {

namespace {

bool IsFileDialog(HWND window) { return window && (GetDlgItem(window, cmb13) || GetDlgItem(window, edt1)); }

// A message box that a file dialog shows by itself (not through the
// program's seam), which no test answers.
BOOL CALLBACK FindSystemBox(HWND window, LPARAM found) {
    char kind[16] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (std::strcmp(kind, "#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (!IsFileDialog(GetWindow(window, GW_OWNER))) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A file dialog of the thread that waits for its user.
BOOL CALLBACK FindFileDialog(HWND window, LPARAM found) {
    char kind[16] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (std::strcmp(kind, "#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (!IsFileDialog(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

DWORD lastAnswerTime = 0;  // of the dialog below, or when it was first seen
HWND lastDialog = nullptr;
constexpr DWORD kLongestWait = 5000;  // ms; an answered dialog closes or asks again at once

void CALLBACK CloseSystemBoxes(HWND, UINT, UINT_PTR, DWORD) {
    HWND waiting = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFileDialog, reinterpret_cast<LPARAM>(&waiting));
    if (waiting && waiting != lastDialog) {
        lastDialog = waiting;
        lastAnswerTime = GetTickCount();
    }
    if (waiting && GetTickCount() - lastAnswerTime > kLongestWait) {
        ADD_FAILURE() << "a file dialog was left waiting for an answer";
        lastAnswerTime = GetTickCount();
        PostMessageA(waiting, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSystemBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    char text[1024] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    ADD_FAILURE() << "the file dialog showed a box of its own: " << text;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

FileDialogs::FileDialogs() {
    lastAnswerTime = GetTickCount();
    watchdog_ = SetTimer(nullptr, 0, 250, CloseSystemBoxes);
    previous_ = win::SetFileDialogAnswerer([this](const win::FileDialogRequest& request) {
        lastAnswerTime = GetTickCount();
        lastDialog = request.dialog;
        seen_.push_back(request);
        if (whenAsked) whenAsked(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected file dialog \"" << request.title << "\"";
            return win::FileDialogAnswer{true, {}};
        }
        win::FileDialogAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

FileDialogs::~FileDialogs() {
    KillTimer(nullptr, watchdog_);
    win::SetFileDialogAnswerer(std::move(previous_));
}

std::optional<Bytes> ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    Bytes bytes;
    unsigned char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got != 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && written == bytes.size()) << path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
}

Bytes TableBytes(const std::vector<Bytes>& records) {
    Bytes bytes{'B', 'W', 'T', 0, 0, 0, 0, 0};
    for (const Bytes& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    return bytes;
}

}  // namespace test
