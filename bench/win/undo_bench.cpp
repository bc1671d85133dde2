// Timing of Undo and Redo under Wine on a table that fills its file (250
// records): one nudge of a piece is undone and redone, each of which puts
// the whole table back from its recorded state. Prints the command alone
// and the command with the paint that follows.
//
// Needs a display (Xvfb will do): the drawing goes to a real window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/win/timing.h"
#include "bench/win/window.h"
#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "res/resource.h"
#include "ui/table_dialog.h"

namespace {

using bench::Pump;

void Print(const char* what, const bench::Figures& f) {
    std::printf("%-44s min %8.1f us   median %8.1f us   p99 %8.1f us\n", what, f.min, f.median, f.p99);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_undo_bench: the window could not be created (no display?)\n");
        return 1;
    }
    HWND hwnd = dlg.hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    Pump(hwnd);
    std::string error;
    if (!bench::LoadExample(dlg, "full", error)) {
        std::fprintf(stderr, "win_undo_bench: %s\n", error.c_str());
        return 1;
    }
    // One step to go back and forth over: a nudge of the last piece.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ID_TOOL_POINTER, 0), 0);
    bw::TablePiece* last = dlg.editor().table().LastChild();
    const int x = 2 * bw::Placed(*last).x, y = 2 * bw::Placed(*last).y;
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    MSG nudge{hwnd, WM_KEYDOWN, VK_LEFT, 1, 0, {}};
    win::PumpDialogMessage(hwnd, nudge);
    Pump(hwnd);
    std::printf("table: examples/full.txt, %d records in its file; %zu states in the history\n",
                bw::RecordsNeeded(dlg.editor().table()), dlg.editor().document().history().Size());
    if (dlg.editor().document().history().Size() < 2) {
        std::fprintf(stderr, "win_undo_bench: the nudge was not recorded\n");
        return 1;
    }

    const int repeats = 500;
    std::vector<double> undo, redo, undoPaint, redoPaint;
    for (int i = 0; i < repeats; ++i) {
        for (UINT command : {ID_EDIT_UNDO, ID_EDIT_REDO}) {
            const double t0 = bench::Now();
            SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
            const double t1 = bench::Now();
            UpdateWindow(hwnd);
            GdiFlush();
            const double t2 = bench::Now();
            (command == ID_EDIT_UNDO ? undo : redo).push_back(t1 - t0);
            (command == ID_EDIT_UNDO ? undoPaint : redoPaint).push_back(t2 - t0);
        }
    }
    Print("Undo (the command)", bench::Summarise(undo));
    Print("Redo (the command)", bench::Summarise(redo));
    Print("Undo and the paint that follows", bench::Summarise(undoPaint));
    Print("Redo and the paint that follows", bench::Summarise(redoPaint));
    DestroyWindow(hwnd);
    return 0;
}
