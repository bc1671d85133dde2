// Timing of the window's drawing under Wine: a full paint of a table that
// fills its file (250 records), and one drag step, with the area that the
// drag step leaves to repaint. Prints the minimum and median of repeats.
//
// Needs a display (Xvfb will do): the drawing goes to a real window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/gdi_surface.h"
#include "win/handles.h"
#include "bench/win/timing.h"
#include "bench/win/window.h"

namespace {

using bench::Figures;
using bench::Pump;
using bench::Now;
using bench::Summarise;

template <class F>
Figures Time(int repeats, F&& body) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(repeats));
    for (int i = 0; i < repeats; ++i) {
        const double start = Now();
        body(i);
        samples.push_back(Now() - start);
    }
    return Summarise(std::move(samples));
}

void Print(const char* what, const Figures& f) {
    std::printf("%-58s min %8.1f us   median %8.1f us\n", what, f.min, f.median);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_bench: the window could not be created (no display?)\n");
        return 1;
    }
    HWND hwnd = dlg.hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    Pump(hwnd);
    std::string error;
    if (!bench::LoadExample(dlg, "full", error)) {
        std::fprintf(stderr, "win_bench: %s\n", error.c_str());
        return 1;
    }
    Pump(hwnd);
    int pieces = 0;
    for (const bw::TablePiece* c = dlg.editor().table().FirstChild(); c; c = c->next.get()) ++pieces;
    std::printf("table: examples/full.txt, %d pieces, %d records in its file\n", pieces,
                bw::RecordsNeeded(dlg.editor().table()));

    const int repeats = 300;
    // The paint function alone, on the window's own context.
    {
        win::WindowDc dc(hwnd);
        Print("full paint of the playfield (paint function, window DC)",
              Time(repeats, [&](int) {
                  dlg.PaintPlayfield(dc.get());
                  GdiFlush();
              }));
    }
    // The paint function on a memory bitmap.
    {
        win::WindowDc screen(hwnd);
        win::OwnedMemoryDc memory(CreateCompatibleDC(screen.get()));
        win::OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), 250, 200));
        win::SelectedObject chosen(memory.get(), bitmap.get());
        Print("full paint of the playfield (paint function, memory bitmap)",
              Time(repeats, [&](int) {
                  dlg.PaintPlayfield(memory.get());
                  GdiFlush();
              }));
    }
    // The whole WM_PAINT path: invalidation, erase, BeginPaint, paint.
    Print("full paint of the playfield (WM_PAINT after invalidation)",
          Time(repeats, [&](int) {
              InvalidateRect(hwnd, &bench::kPlayfieldRect, FALSE);
              UpdateWindow(hwnd);
              GdiFlush();
          }));

    // The same full repaint at the zooms a larger screen scale gives, beside
    // the drawing's own zoom, in the same run: at 3x and 4x the table is
    // drawn into the back buffer and shown enlarged pixel for pixel.
    for (int zoom : {2, 3, 4}) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOM_DEFAULT, 0), 0);
        for (int z = 2; z < zoom; ++z) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOM_IN, 0), 0);
        Pump(hwnd);
        if (dlg.Zoom() != zoom) {
            std::fprintf(stderr, "win_bench: the window did not take zoom %d\n", zoom);
            return 1;
        }
        const RECT shown{0, 0, (249 * zoom + 1) / 2, (199 * zoom + 1) / 2};
        char what[96];
        std::snprintf(what, sizeof what, "full repaint at %dx, %ld x %ld (WM_PAINT after invalidation)", zoom,
                      shown.right, shown.bottom);
        Print(what, Time(repeats, [&](int) {
                  InvalidateRect(hwnd, &shown, FALSE);
                  UpdateWindow(hwnd);
                  GdiFlush();
              }));
    }
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOM_DEFAULT, 0), 0);
    Pump(hwnd);

    // One drag step: pick an obstacle with the pointer and move it back and
    // forth by one table pixel.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ID_TOOL_POINTER, 0), 0);
    const bw::TablePiece* target = nullptr;
    for (const bw::TablePiece* c = dlg.editor().table().FirstChild(); c; c = c->next.get())
        if (c->kind == bw::kObstacle50) target = c;
    if (!target) {
        std::fprintf(stderr, "win_bench: no obstacle to drag\n");
        return 1;
    }
    const int x0 = 2 * bw::Placed(*target).x, y0 = 2 * bw::Placed(*target).y;
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    Pump(hwnd);
    if (dlg.editor().mode() != bw::EditMode::Dragging) {
        std::fprintf(stderr, "win_bench: the drag did not start\n");
        return 1;
    }
    const bw::Rect box = dlg.editor().currentPiece()->region.Box();
    const long long pieceArea = static_cast<long long>(box.right - box.left) * (box.bottom - box.top);
    std::vector<double> areas;
    std::vector<double> moveTimes, paintTimes;
    for (int i = 0; i < repeats; ++i) {
        const int x = x0 + ((i % 2 == 0) ? 2 : 0);
        const double t0 = Now();
        SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y0));
        GdiFlush();
        const double t1 = Now();
        win::OwnedRegion update(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(hwnd, update.get(), FALSE);
        areas.push_back(static_cast<double>(win::RegionArea(update.get())));
        const double t2 = Now();
        UpdateWindow(hwnd);
        GdiFlush();
        const double t3 = Now();
        moveTimes.push_back(t1 - t0);
        paintTimes.push_back(t3 - t2);
    }
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x0, y0));
    Print("drag step: mouse move (XOR draw, frame, invalidation)", Summarise(moveTimes));
    Print("drag step: the paint that follows", Summarise(paintTimes));
    std::vector<double> total(moveTimes.size());
    for (size_t i = 0; i < total.size(); ++i) total[i] = moveTimes[i] + paintTimes[i];
    Print("drag step: move and paint", Summarise(total));
    const Figures area = Summarise(areas);
    std::printf("drag step: area left to repaint: min %.0f, median %.0f, max %.0f pixels\n", area.min, area.median,
                *std::max_element(areas.begin(), areas.end()));
    std::printf("           (the piece's bounding box: %lld pixels; the playfield: %d pixels)\n", pieceArea,
                249 * 199);
    DestroyWindow(hwnd);
    return 0;
}
