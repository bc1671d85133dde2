// Timing of Check as you edit under Wine, on the classic table and on the
// full one:
// - every idle slice of a whole check, as the window's idle timer runs it
//   (the first check with the tick budget still growing, then one more);
// - in the real message loop, with the mouse moving over the playfield from
//   another thread (one move waiting at a time, 1 to 5 ms apart): how long
//   each move waits and is handled (its latency), while checks run one after
//   the other (each edit starts one), and the same with the command off;
// - how long a check takes in that loop, from the edit to the summary.
//
// Needs a display (Xvfb will do). The setting is left as it was.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/win/timing.h"
#include "bench/win/window.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/settings.h"

namespace {

using bench::Figures;
using bench::Now;
using bench::Summarise;

void Print(const char* what, const Figures& f, size_t n, const char* unit = "ms") {
    std::printf("  %-46s n %6zu  median %7.3f  p99 %7.3f  max %7.3f %s\n", what, n, f.median, f.p99, f.max, unit);
}

std::vector<double> InMs(const std::vector<double>& us) {
    std::vector<double> ms;
    for (double u : us) ms.push_back(u / 1000);
    return ms;
}

// Every slice of one whole check, called as the idle timer calls it.
std::vector<double> CheckSlices(ui::TableDialog& dlg) {
    std::vector<double> slices;
    bool more = true;
    while (more) {
        const double t0 = Now();
        more = dlg.IdleSlice();
        slices.push_back(Now() - t0);
    }
    bench::Pump(dlg.hwnd());
    return slices;
}

// The mouse, moving over the playfield from another thread: a move 1 to 5
// ms after the one before was handled.
struct Mouse {
    HWND window;
    std::atomic<bool> stop{false};
    std::atomic<bool> waiting{false};
    std::atomic<double> postedAt{0};
    HANDLE handled = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    std::thread thread;

    explicit Mouse(HWND w) : window(w) {
        thread = std::thread([this] {
            std::mt19937 random(7);
            int x = 20;
            while (!stop) {
                if (WaitForSingleObject(handled, 50) != WAIT_OBJECT_0) continue;
                Sleep(1 + random() % 5);
                x = x >= 220 ? 20 : x + 2;
                postedAt = Now();
                waiting = true;
                PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, 150));
            }
        });
    }
    void Handled() {
        waiting = false;
        SetEvent(handled);
    }
    ~Mouse() {
        stop = true;
        thread.join();
        CloseHandle(handled);
    }
};

// The dialog loop for `checks` checks (or, with the command off, as long as
// `seconds`): each move's latency; with the command on, each check's time
// from its edit to its summary.
void RunLoop(ui::TableDialog& dlg, bool live, int checks, double seconds, std::vector<double>& latencies,
             std::vector<double>& checkTimes) {
    bw::Editor& e = dlg.editor();
    Mouse mouse(dlg.hwnd());
    const double start = Now();
    double editAt = 0;
    int done = 0;
    // An edit: the piece placed at the start comes back, or goes.
    auto edit = [&] {
        editAt = Now();
        if (e.document().history().CanRedo()) e.Redo();
        else e.Undo();
    };
    if (live) edit();
    while (live ? done < checks : Now() - start < seconds * 1e6) {
        if (live && !e.CheckWanted() && e.FindingsCurrent()) {
            checkTimes.push_back(Now() - editAt);
            if (++done == checks) break;
            edit();
        }
        MSG msg;
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
        const bool move = msg.message == WM_MOUSEMOVE && msg.hwnd == dlg.hwnd();
        win::PumpDialogMessage(dlg.hwnd(), msg);
        if (move && mouse.waiting) {
            latencies.push_back(Now() - mouse.postedAt);
            mouse.Handled();
        }
    }
}

bool Run(const char* name) {
    ui::TableDialog dlg;
    if (!dlg.Create(nullptr)) {
        std::fprintf(stderr, "win_live_check_bench: the window could not be created (no display?)\n");
        return false;
    }
    ShowWindow(dlg.hwnd(), SW_SHOW);
    SetForegroundWindow(dlg.hwnd());
    SetActiveWindow(dlg.hwnd());
    std::string error;
    if (!bench::LoadExample(dlg, name, error)) {
        std::fprintf(stderr, "win_live_check_bench: %s\n", error.c_str());
        return false;
    }
    bw::Editor& e = dlg.editor();
    // One obstacle nudged, so that Undo and Redo make the edits.
    e.SelectTool(bw::kPointerTool);
    for (const bw::TablePiece* c = e.table().FirstChild(); c; c = c->next.get()) {
        if (c->kind != bw::kObstacle10 && c->kind != bw::kObstacle50 && c->kind != bw::kObstacle100) continue;
        const bw::PlacedPiece& p = bw::Placed(*c);
        e.LButtonDown({2 * p.x, 2 * p.y});
        e.LButtonUp();
        break;
    }
    e.ArrowKey(bw::kKeyRight);
    e.SelectTool(bw::kNoTool);
    bench::Pump(dlg.hwnd());
    if (!e.document().history().CanUndo()) {
        std::fprintf(stderr, "win_live_check_bench: no obstacle to nudge on %s\n", name);
        return false;
    }

    const bool setting = win::ReadFlag(ui::TableDialog::kCheckAsYouEditSetting, false);
    SendMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(ID_TABLE_CHECK_AS_YOU_EDIT, 0), 0);
    win::WriteFlag(ui::TableDialog::kCheckAsYouEditSetting, setting);
    if (!e.CheckAsYouEdit()) return false;

    std::printf("\n%s:\n", name);
    KillTimer(dlg.hwnd(), ui::TableDialog::kLiveCheckTimer);  // the slices called here, one by one
    const std::vector<double> first = InMs(CheckSlices(dlg));
    e.Undo();
    const std::vector<double> second = InMs(CheckSlices(dlg));
    Print("idle slices, first check", Summarise(first), first.size());
    Print("idle slices, next check", Summarise(second), second.size());
    double sum = 0;
    for (double s : second) sum += s;
    std::printf("  %-46s %7.0f ms\n", "the next check's slices together", sum);

    SetTimer(dlg.hwnd(), ui::TableDialog::kLiveCheckTimer, USER_TIMER_MINIMUM, nullptr);
    std::vector<double> onLatency, checkTimes, offLatency, unused;
    RunLoop(dlg, true, 6, 0, onLatency, checkTimes);
    const double onSeconds = [&] {
        double s = 0;
        for (double t : checkTimes) s += t;
        return s / 1e6;
    }();
    SendMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(ID_TABLE_CHECK_AS_YOU_EDIT, 0), 0);
    win::WriteFlag(ui::TableDialog::kCheckAsYouEditSetting, setting);
    RunLoop(dlg, false, 0, onSeconds, offLatency, unused);
    Print("mouse move latency, checking as you edit", Summarise(InMs(onLatency)), onLatency.size());
    Print("mouse move latency, command off", Summarise(InMs(offLatency)), offLatency.size());
    Print("edit to summary, in the loop", Summarise(InMs(checkTimes)), checkTimes.size());
    return true;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // A message box would wait for a user who is not there.
    win::SetMessageBoxAnswerer([](const win::MessageBoxRequest& r) {
        std::fprintf(stderr, "win_live_check_bench: unexpected message: %s\n", r.text.c_str());
        return IDCANCEL;
    });
    std::printf("Check as you edit: 1,000 games of up to 3,000 ticks a check\n");
    const bool ok = Run("classic") && Run("full");
    return ok ? 0 : 1;
}
