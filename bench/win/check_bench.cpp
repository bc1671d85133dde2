// Timing of Check table under Wine: the whole command in the real window
// (1,000 games of up to 3,000 ticks on the worker threads, with the messages
// handled and the progress shown meanwhile), against the same playtest run
// at once on one thread without the window, on the classic table and on the
// full one.
//
// Needs a display (Xvfb will do).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/win/timing.h"
#include "bench/win/window.h"
#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "games/playtest.h"
#include "res/resource.h"
#include "ui/table_dialog.h"

namespace {

bool Run(const char* name) {
    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_check_bench: the window could not be created (no display?)\n");
        return false;
    }
    ShowWindow(dlg.hwnd(), SW_SHOW);
    std::string error;
    if (!bench::LoadExample(dlg, name, error)) {
        std::fprintf(stderr, "win_check_bench: %s\n", error.c_str());
        return false;
    }
    double t0 = bench::Now();
    const bw::PlaytestReport headless = bw::RunPlaytest(dlg.editor().table(), bw::PlaytestOptions{});
    const double headlessMs = (bench::Now() - t0) / 1000;

    t0 = bench::Now();
    SendMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(ID_TABLE_CHECK, 0), 0);
    const double windowMs = (bench::Now() - t0) / 1000;
    const bool same = dlg.editor().Findings() && bw::ReportJson(*dlg.editor().Findings()) == bw::ReportJson(headless);
    std::printf("%-8s %9lld ticks: headless %7.0f ms, Check table in the window %7.0f ms (%.2fx)%s\n", name,
                static_cast<long long>(headless.ticks), headlessMs, windowMs, windowMs / headlessMs,
                same ? "" : "  REPORTS DIFFER");
    return same;
}

}  // namespace

int main() {
    std::printf("Check table: 1,000 games of up to 3,000 ticks\n");
    const bool ok = Run("classic") && Run("full");
    return ok ? 0 : 1;
}
