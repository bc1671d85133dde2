// F1 from the real keyboard asks for help once; the send button's label
// reads whole, enabled and disabled.
#include <windows.h>

#include "res/resource.h"
#include "tests/win/test_support.h"

namespace {

using test::Window;

// Keys through the system's input queue, as the keyboard gives them, with
// every message they cause handled.
void Type(Window& w, std::initializer_list<std::pair<WORD, bool>> keys) {
    SetForegroundWindow(w.hwnd());
    std::vector<INPUT> input;
    for (const auto& [vk, down] : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        input.push_back(i);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    for (DWORD end = GetTickCount() + 300; GetTickCount() < end; Sleep(10)) test::Pump(w.hwnd());
}

TEST(Keys, F1AsksForHelpOnceAndNotWithAModifier) {
    Window w;
    w.dlg().helpPath = BW_BIN_DIR_WIN "/NoSuchHelp.chm";
    test::MessageBoxes boxes;
    for (WORD modifier : {VK_SHIFT, VK_CONTROL})
        Type(w, {{modifier, true}, {VK_F1, true}, {VK_F1, false}, {modifier, false}});
    EXPECT_TRUE(boxes.Shown().empty());
    Type(w, {{VK_F1, true}, {VK_F1, false}});
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text.rfind("You don't have Bumpwright.chm", 0), 0u);
}

// The rows of the button that hold text of `color`, as bands of rows.
std::vector<std::pair<int, int>> TextBands(HWND button, COLORREF color, RECT& inked) {
    RECT r{};
    GetClientRect(button, &r);
    UpdateWindow(button);
    HDC dc = GetDC(button);
    std::vector<std::pair<int, int>> bands;
    inked = {r.right, r.bottom, 0, 0};
    for (int y = 2; y < r.bottom - 2; ++y) {
        bool ink = false;
        for (int x = 2; x < r.right - 2; ++x)
            if (GetPixel(dc, x, y) == color) {
                ink = true;
                inked = {std::min(inked.left, static_cast<LONG>(x)), std::min(inked.top, static_cast<LONG>(y)),
                         std::max(inked.right, static_cast<LONG>(x)), std::max(inked.bottom, static_cast<LONG>(y))};
            }
        if (!ink) continue;
        if (!bands.empty() && bands.back().second == y - 1) bands.back().second = y;
        else bands.push_back({y, y});
    }
    ReleaseDC(button, dc);
    std::erase_if(bands, [](const auto& b) { return b.second - b.first < 4; });  // the mnemonic's underline
    return bands;
}

TEST(SendButton, ItsLabelReadsWholeInTwoLinesEnabledAndDisabled) {
    Window w;
    HWND send = GetDlgItem(w.hwnd(), IDC_SEND);
    RECT r{};
    GetClientRect(send, &r);
    for (bool playing : {false, true}) {
        if (playing) w.Command(IDC_START);
        RECT inked{};
        const auto bands = TextBands(send, GetSysColor(playing ? COLOR_GRAYTEXT : COLOR_BTNTEXT), inked);
        EXPECT_EQ(bands.size(), 2u) << playing;
        // Nothing cut at the button's edges: the ink keeps off them.
        EXPECT_GT(inked.left, 3) << playing;
        EXPECT_LT(inked.right, r.right - 4) << playing;
    }
}

}  // namespace
