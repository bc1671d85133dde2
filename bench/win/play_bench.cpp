// Timing of play under Wine: one play tick with the paint that follows it,
// on the classic table and on a table that fills its file (250 records).
//
// For every tick of a scripted game it measures the tick as the window runs
// it (the game's tick, the invalidation of what changed, the score label),
// the paint that follows, and the area the tick left to repaint. The game's
// own tick is also timed alone, headless, on the same game. Prints the
// minimum, median, 99th percentile and maximum.
//
// Needs a display (Xvfb will do): the drawing goes to a real window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "physics/game.h"
#include "games/key_script.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/gdi_surface.h"
#include "win/handles.h"
#include "bench/win/timing.h"

namespace {

constexpr RECT kPlayfield{0, 0, 249, 199};

using bench::Figures;
using bench::Now;
using bench::Summarise;

void Print(const char* what, const Figures& f, const char* unit = "us") {
    std::printf("  %-44s min %8.1f  median %8.1f  p99 %8.1f  max %8.1f %s\n", what, f.min, f.median, f.p99, f.max,
                unit);
}

void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) win::PumpDialogMessage(dialog, msg);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TableBytes(const std::string& name, std::vector<uint8_t>& bytes, std::string& error) {
    const std::string text = ReadText(BW_SOURCE_DIR_WIN "/examples/" + name + ".txt");
    if (text.empty()) {
        error = "cannot read examples/" + name + ".txt";
        return false;
    }
    bw::Table table(bw::BuiltinImageLoader{});
    if (!bw::TextToTable(text, *table.root, error)) return false;
    const bw::SaveResult saved = bw::SaveTableBytes(*table.root);
    if (!saved.ok) {
        error = saved.error;
        return false;
    }
    bytes = saved.bytes;
    return true;
}

std::string KeyScriptFile(const std::string& path) { return bw::KeyScriptFromFileText(ReadText(path)); }

struct Game {
    std::string name;
    int ticks;
    std::string keys;
};

// The game's own tick, headless, as bwtool simulate runs it (with the
// dirty region kept, as the window keeps it).
void TimeHeadlessTicks(const std::vector<uint8_t>& bytes, const Game& game, const std::vector<bw::KeyEvent>& events) {
    std::vector<double> samples;
    for (int round = 0; round < 5; ++round) {
        bw::Table table(bw::BuiltinImageLoader{});
        bw::LoadTableBytes(*table.root, bytes);
        bw::StartGame(table.state);
        size_t next = 0;
        for (int t = 1; t <= game.ticks; ++t) {
            for (; next < events.size() && events[next].tick == t; ++next)
                bw::SendKey(table.state, events[next].virtualKey, events[next].down);
            const double t0 = Now();
            bw::PlayTick(table.state, true);
            table.root->dirtyRegion.SetEmpty();
            samples.push_back(Now() - t0);
        }
    }
    Print("the game's tick alone (headless)", Summarise(samples));
}

bool RunGame(const Game& game) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!TableBytes(game.name, bytes, error)) {
        std::fprintf(stderr, "win_play_bench: %s\n", error.c_str());
        return false;
    }
    std::vector<bw::KeyEvent> events;
    if (!bw::ParseKeyScript(game.keys, events, error)) {
        std::fprintf(stderr, "win_play_bench: %s\n", error.c_str());
        return false;
    }
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "bw_play_bench.bwt";
    if (!bw::WriteFileBytes(path, bytes, error)) {
        std::fprintf(stderr, "win_play_bench: %s\n", error.c_str());
        return false;
    }

    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_play_bench: the window could not be created (no display?)\n");
        return false;
    }
    HWND hwnd = dlg.hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    Pump(hwnd);
    const bool loaded = dlg.LoadTable(path.c_str());
    DeleteFileA(path.c_str());
    if (!loaded) {
        std::fprintf(stderr, "win_play_bench: the window refused examples/%s.txt\n", game.name.c_str());
        return false;
    }
    Pump(hwnd);
    int pieces = 0;
    for (const bw::TablePiece* c = dlg.editor().table().FirstChild(); c; c = c->next.get()) ++pieces;
    std::printf("\n%s: %d pieces, %d records in its file; %d ticks of a scripted game\n", game.name.c_str(), pieces,
                bw::RecordsNeeded(dlg.editor().table()), game.ticks);

    TimeHeadlessTicks(bytes, game, events);

    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    KillTimer(hwnd, 1);  // the ticks are given here, one at a time
    Pump(hwnd);
    HWND focus = GetDlgItem(hwnd, IDC_EDIT_MODE);
    std::vector<double> tickTimes, paintTimes, totals, areas, keyAreas;
    std::set<int32_t> held;
    size_t next = 0;
    for (int t = 1; t <= game.ticks; ++t) {
        bool keyed = false;
        for (; next < events.size() && events[next].tick == t; ++next) {
            const bw::KeyEvent& e = events[next];
            MSG m{};
            m.hwnd = focus;
            m.message = e.down ? WM_KEYDOWN : WM_KEYUP;
            m.wParam = static_cast<WPARAM>(e.virtualKey);
            m.lParam = e.down ? (held.count(e.virtualKey) ? (1 << 30) | 1 : 1) : static_cast<LPARAM>(0xC0000001u);
            win::PumpDialogMessage(hwnd, m);
            if (e.down) held.insert(e.virtualKey);
            else held.erase(e.virtualKey);
            keyed = true;
        }
        Pump(hwnd);
        const double t0 = Now();
        SendMessageA(hwnd, WM_TIMER, 1, 0);
        const double t1 = Now();
        win::OwnedRegion update(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(hwnd, update.get(), FALSE);
        const double area = static_cast<double>(win::RegionArea(update.get()));
        (keyed ? keyAreas : areas).push_back(area);
        const double t2 = Now();
        UpdateWindow(hwnd);
        GdiFlush();
        const double t3 = Now();
        tickTimes.push_back(t1 - t0);
        paintTimes.push_back(t3 - t2);
        totals.push_back((t1 - t0) + (t3 - t2));
    }
    Print("tick in the window (tick, invalidation, score)", Summarise(tickTimes));
    Print("the paint that follows (WM_PAINT)", Summarise(paintTimes));
    Print("tick and paint", Summarise(totals));
    Print("area left to repaint, ticks without keys", Summarise(areas), "px");
    Print("area left to repaint, ticks after key events", Summarise(keyAreas), "px");

    // For comparison: the same paint over the whole playfield.
    std::vector<double> whole;
    for (int i = 0; i < 300; ++i) {
        InvalidateRect(hwnd, &kPlayfield, FALSE);
        const double t0 = Now();
        UpdateWindow(hwnd);
        GdiFlush();
        whole.push_back(Now() - t0);
    }
    Print("for comparison: a paint of the whole playfield", Summarise(whole));
    std::printf("  (the ball's region: about %d px, at most %d px; the playfield: %d px; score at the end: %u)\n",
                [] {
                    bw::Region r = bw::Region::Ellipse({0, 0, 28, 28});
                    int64_t n = 0;
                    for (const bw::Rect& x : r.Rects()) n += int64_t{x.right - x.left} * (x.bottom - x.top);
                    return static_cast<int>(n);
                }(),
                28 * 28, 249 * 199, static_cast<uint32_t>(dlg.editor().document().State().score));
    DestroyWindow(hwnd);
    Pump(nullptr);
    return true;
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::string serve;
    for (int t = 1; t <= 10; ++t) serve += std::to_string(t) + ":+SPACE,";
    const Game games[] = {
        {"classic", 4000, KeyScriptFile(BW_SOURCE_DIR_WIN "/examples/classic.keys")},
        {"full", 1500,
         serve + "11:-SPACE,300:+Z,301:+X,320:-Z,321:-X,520:+X,532:-X,700:+SPACE,701:-SPACE,900:+Z,910:-Z"},
    };
    std::printf("one play tick and its paint (times per tick)\n");
    for (const Game& game : games)
        if (!RunGame(game)) return 1;
    return 0;
}
