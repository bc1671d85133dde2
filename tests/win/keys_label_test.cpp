// F1 from the real keyboard asks for help once; the send button's label
// reads whole, enabled and disabled.
#include <windows.h>

#include <regex>

#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/handles.h"

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
    EXPECT_EQ(boxes.Shown()[0].text.find("You don't have Bumpwright.chm or HTML Help Viewer!"), 0u);
}

// Each line of the label is a run of at least four rows with ink in them
// (a mnemonic's underline is thinner), and no ink touches the edges.
TEST(SendButton, ItsLabelReadsWholeInTwoLinesEnabledAndDisabled) {
    Window w;
    HWND send = GetDlgItem(w.hwnd(), IDC_SEND);
    RECT r{};
    GetClientRect(send, &r);
    for (bool playing : {false, true}) {
        if (playing) w.Command(IDC_START);
        UpdateWindow(send);
        const COLORREF ink = GetSysColor(playing ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        win::WindowDc dc(send);
        std::string rows;  // '#' for a row with ink
        LONG left = r.right, right = 0;
        for (int y = 2; y < r.bottom - 2; ++y) {
            rows += '.';
            for (int x = 2; x < r.right - 2; ++x)
                if (GetPixel(dc.get(), x, y) == ink) rows.back() = '#', left = std::min<LONG>(left, x), right = std::max<LONG>(right, x);
        }
        const std::regex line("#{4,}");
        EXPECT_EQ(std::distance(std::sregex_iterator(rows.begin(), rows.end(), line), std::sregex_iterator()), 2) << playing << " " << rows;
        EXPECT_GT(left, 3) << playing;
        EXPECT_LT(right, r.right - 4) << playing;
    }
}

}  // namespace
