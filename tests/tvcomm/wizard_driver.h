// Answers the upload wizard: a thread timer fires inside its modal loop,
// reads what the page shows, keeps it, and presses what a policy chooses.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace wizard {

// What the sheet's current page shows: its texts, its enabled buttons as
// "|Next >|Cancel|", its progress bar in percent (-1: none).
struct View {
    std::string text, buttons;  // the sheet's title is the first line
    int percent = -1;
    bool Has(const std::string& b) const { return buttons.find("|" + b + "|") != std::string::npos; }
    bool Says(const std::string& w) const { return text.find(w) != std::string::npos; }
    bool operator==(const View&) const = default;
};

using Policy = std::function<int(const View&)>;  // a PSBTN_ button to press, or -1 to wait
inline int SendIt(const View& v) { return v.Has("Next >") ? PSBTN_NEXT : v.Has("Finish") ? PSBTN_FINISH : -1; }

inline Policy policy;  // the running wizard's answers
inline std::vector<View> shown;  // each view that differs from the one before
inline int ticks, sincePress;

inline BOOL CALLBACK FindSheet(HWND w, LPARAM found) {
    if (!IsWindowVisible(w) || !PropSheet_GetCurrentPageHwnd(w)) return TRUE;
    return *reinterpret_cast<HWND*>(found) = w, FALSE;
}

inline void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&sheet));
    if (!sheet || ++ticks > 1500) return (void)(sheet && PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0));
    View v;
    char text[2048];
    v.text.assign(text, GetWindowTextA(sheet, text, sizeof text)).append("\n");
    for (HWND c = GetWindow(PropSheet_GetCurrentPageHwnd(sheet), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetClassNameA(c, text, sizeof text);
        if (IsWindowVisible(c) && !lstrcmpiA(text, PROGRESS_CLASSA))
            v.percent = int(SendMessageA(c, PBM_GETPOS, 0, 0) * 100 / std::max<LRESULT>(1, SendMessageA(c, PBM_GETRANGE, 0, 0)));
        else if (IsWindowVisible(c) && !lstrcmpiA(text, "Static") && GetWindowTextA(c, text, sizeof text))
            v.text += std::string(text) + "\n";
    }
    v.buttons = "|";
    for (auto [id, name] : {std::pair{0x3023, "< Back"}, {0x3024, "Next >"}, {0x3025, "Finish"}, {IDCANCEL, "Cancel"}})
        if (HWND b = GetDlgItem(sheet, id); b && IsWindowVisible(b) && IsWindowEnabled(b)) v.buttons += name + std::string("|");
    const bool changed = shown.empty() || !(shown.back() == v);
    if (changed) shown.push_back(v);
    if (sincePress >= 0 && !changed && ++sincePress < 40) return;  // a press shows something new
    const int press = policy(v);
    if ((sincePress = press < 0 ? -1 : 0) == 0) PostMessageA(sheet, PSM_PRESSBUTTON, press, 0);
}

// Runs `call` (which shows the wizard) with `answers` pressing its buttons.
template <typename Call>
auto Run(Call call, Policy answers = SendIt) {
    policy = answers, shown.clear(), ticks = 0, sincePress = -1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, OnTick);
    const auto result = call();
    KillTimer(nullptr, timer);
    EXPECT_LT(ticks, 1500) << "the wizard did not end by itself";
    return result;
}

}  // namespace wizard
