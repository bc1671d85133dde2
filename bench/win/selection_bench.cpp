// Timing of the selection's commands under Wine on a table that fills its
// file (250 records): a drag of the whole table, from each mouse move to
// the end of the repaint it causes; Select All; and Mirror copy of the
// left half of the table into the right half (which nearly fills the file
// again) and its Undo, each with its paint.
//
// Needs a display (Xvfb will do): the drawing goes to a real window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "bench/win/timing.h"
#include "bench/win/window.h"
#include "files/table_file.h"
#include "res/resource.h"
#include "ui/table_dialog.h"

namespace {

using bench::Pump;

void Print(const char* what, const bench::Figures& f) {
    std::printf("%-44s min %8.1f us   median %8.1f us   p99 %8.1f us\n", what, f.min, f.median, f.p99);
}

// A message as the dialog loop hands it on, and the paint it causes.
double Timed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const double t0 = bench::Now();
    MSG m{hwnd, msg, wp, lp, 0, {}};
    win::PumpDialogMessage(hwnd, m);
    UpdateWindow(hwnd);
    GdiFlush();
    return bench::Now() - t0;
}

double TimedCommand(HWND hwnd, UINT command) { return Timed(hwnd, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_selection_bench: the window could not be created (no display?)\n");
        return 1;
    }
    HWND hwnd = dlg.hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    Pump(hwnd);
    std::string error;
    const std::string full = bench::ExampleText("full", error);
    if (!error.empty() || !bench::LoadText(dlg, full, "full", error)) {
        std::fprintf(stderr, "win_selection_bench: %s\n", error.c_str());
        return 1;
    }
    bw::Editor& editor = dlg.editor();
    std::printf("table: examples/full.txt, %d records in its file\n", bw::RecordsNeeded(editor.table()));

    const int repeats = 200;
    std::vector<double> selectAll;
    for (int i = 0; i < repeats; ++i) {
        MSG escape{hwnd, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
        win::PumpDialogMessage(hwnd, escape);
        Pump(hwnd);
        selectAll.push_back(TimedCommand(hwnd, ID_EDIT_SELECT_ALL));
    }
    std::printf("selected: %zu pieces\n", editor.Selection().size());

    // The whole table dragged to and fro by a table pixel, one move at a time.
    const bw::TablePiece* piece = editor.Selection().back();  // an obstacle: a place of its own
    const int x = 2 * bw::Placed(*piece).x, y = 2 * bw::Placed(*piece).y;
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    std::vector<double> moves;
    int moved = 0;
    for (int i = 0; i < 2 * repeats; ++i) {
        const int at = x + (i % 2 == 0 ? -2 : 0);
        const int before = bw::Placed(*piece).x;
        moves.push_back(Timed(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at, y)));
        moved += bw::Placed(*piece).x != before;
    }
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump(hwnd);
    std::printf("moves that moved the table: %d of %zu\n", moved, moves.size());

    // The left half of the table, mirrored into the right half and undone.
    std::istringstream lines(full);
    std::string line, half;
    int records = 1;
    while (std::getline(lines, line) && records < 125) {
        std::istringstream words(line);
        std::string kind;
        int px = 0;
        if (!(words >> kind >> px) || kind[0] == '#' || kind == "border" || px > 61) continue;
        half += line + "\n";
        ++records;
    }
    if (!bench::LoadText(dlg, half, "half", error)) {
        std::fprintf(stderr, "win_selection_bench: %s\n", error.c_str());
        return 1;
    }
    TimedCommand(hwnd, ID_EDIT_SELECT_ALL);
    std::vector<double> mirrorCopy, undo;
    int filled = 0;
    for (int i = 0; i < repeats; ++i) {
        mirrorCopy.push_back(TimedCommand(hwnd, ID_EDIT_MIRROR_COPY));
        filled = bw::RecordsNeeded(editor.table());
        undo.push_back(TimedCommand(hwnd, ID_EDIT_UNDO));
        TimedCommand(hwnd, ID_EDIT_SELECT_ALL);
    }
    std::printf("mirror copy: %d records before, %d after\n", records, filled);

    Print("Select All of the full table, with its paint", bench::Summarise(selectAll));
    Print("a mouse move of the dragged full table", bench::Summarise(moves));
    Print("Mirror copy of its left half, with its paint", bench::Summarise(mirrorCopy));
    Print("Undo of that full table, with its paint", bench::Summarise(undo));
    DestroyWindow(hwnd);
    return 0;
}
