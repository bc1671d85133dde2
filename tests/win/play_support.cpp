#include "tests/win/play_support.h"

#include <fstream>
#include <sstream>

#include "res/resource.h"

namespace test {

void PostKey(Window& w, UINT vk, bool down, bool repeat) {
    HWND focus = GetFocus();
    if (!focus || (focus != w.hwnd() && !IsChild(w.hwnd(), focus))) focus = w.hwnd();
    const UINT scan = MapVirtualKeyA(vk, 0);
    LPARAM lp = 1 | static_cast<LPARAM>(scan << 16);
    if (!down) lp |= static_cast<LPARAM>(0xC0000000u);  // was down, going up
    else if (repeat) lp |= 1 << 30;                      // was down already
    PostMessageA(focus, down ? WM_KEYDOWN : WM_KEYUP, vk, lp);
    Pump(w.hwnd());
}

void TypeKey(Window& w, UINT vk) {
    PostKey(w, vk, true);
    PostKey(w, vk, false);
}

void Tick(Window& w) {
    PostMessageA(w.hwnd(), WM_TIMER, 1, 0);
    Pump(w.hwnd());
}

void PressButton(Window& w, int id) {
    SendMessageA(GetDlgItem(w.hwnd(), id), BM_CLICK, 0, 0);
    Pump(w.hwnd());
}

void StartWithoutTimer(Window& w) {
    // No message is taken from the queue between the click and the end of
    // the timer, so no tick of the window's own can come in between.
    SendMessageA(GetDlgItem(w.hwnd(), IDC_START), BM_CLICK, 0, 0);
    ASSERT_EQ(w.dlg().mode, ui::EditMode::Playing);
    ASSERT_TRUE(KillTimer(w.hwnd(), 1)) << "play runs without the timer with identifier 1";
    Pump(w.hwnd());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LoadTableText(Window& w, const TempFolder& folder, const std::string& tableText) {
    const std::string path = folder.File("table.bwt");
    WriteTableFile(path, tableText);
    EXPECT_TRUE(w.dlg().LoadTable(path.c_str())) << path;
    Pump(w.hwnd());
    return path;
}

bw::TablePiece* FirstOfKind(Window& w, bw::PieceKind kind) {
    for (bw::TablePiece* p : Pieces(w.root()))
        if (p->kind == kind) return p;
    return nullptr;
}

}  // namespace test
