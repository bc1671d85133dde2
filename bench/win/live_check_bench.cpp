// Timing of Check as you edit under Wine, on the classic table and on the
// full one, its games played on worker threads (one less than the machine
// has cores):
// - in the real message loop, with the mouse moving over the playfield from
//   another thread (one move waiting at a time, 1 to 5 ms apart): how long
//   each move waits and is handled (its latency), while checks run one after
//   the other (each edit, a posted Undo or Redo, starts one), and the same
//   edits at the same times with the command off;
// - how long a check takes in that loop, from the edit to the summary;
// - how long a cancel takes, at moments spread over a check's games: until
//   the workers have left the games, and on the window's thread (which
//   lets them go without waiting).
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
#include "workers/worker_runner.h"

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

// The dialog loop with the mouse moving, each move's latency kept. With
// the command on, `spans` is filled with the times from each of `edits`
// edits to its summary, each edit made as soon as the summary of the one
// before is shown; with it off, the same edits are made after the same
// times (`spans` given), so that both loops paint alike.
// What the window's own thread spends on one message, for the kinds that
// can hold up a move: a repaint, the check's message (a report shown, a
// check started or stopped), an edit.
struct Handling {
    std::vector<double> paint, check, edit;
};

void RunLoop(ui::TableDialog& dlg, bool live, size_t edits, std::vector<double>& spans,
             std::vector<double>& latencies, Handling& handling) {
    bw::Editor& e = dlg.editor();
    Mouse mouse(dlg.hwnd());
    double editAt = 0;
    size_t done = 0;
    bool editWaiting = false;
    // An edit, as the menu posts it: the piece placed at the start comes back, or goes.
    auto edit = [&] {
        editAt = Now();
        const UINT command = e.document().history().CanRedo() ? ID_EDIT_REDO : ID_EDIT_UNDO;
        editWaiting = PostMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0) != 0;
    };
    edit();
    while (done < edits) {
        const bool over = live ? !editWaiting && !e.CheckWanted() && e.FindingsCurrent() : Now() - editAt >= spans[done];
        if (over) {
            if (live) spans.push_back(Now() - editAt);
            if (++done == edits) break;
            edit();
        }
        MSG msg;
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
        const bool move = msg.message == WM_MOUSEMOVE && msg.hwnd == dlg.hwnd();
        if (msg.message == WM_COMMAND && msg.hwnd == dlg.hwnd()) editWaiting = false;
        const double t0 = Now();
        win::PumpDialogMessage(dlg.hwnd(), msg);
        std::vector<double>* kind = msg.message == WM_PAINT                       ? &handling.paint
                                    : msg.message == ui::TableDialog::kCheckMessage ? &handling.check
                                    : msg.message == WM_COMMAND                     ? &handling.edit
                                                                                    : nullptr;
        if (kind) kind->push_back(Now() - t0);
        if (move && mouse.waiting) {
            latencies.push_back(Now() - mouse.postedAt);
            mouse.Handled();
        }
    }
}

// Cancels of checks of the window's table, each after 0 to 20 ms of its
// games, on a runner like the window's: how long the window's thread takes
// to cancel (it never waits), and how long the workers take to leave the
// cancelled games.
struct CancelTimes {
    std::vector<double> runner, stopped;
};

CancelTimes Cancels(ui::TableDialog& dlg, int n) {
    CancelTimes times;
    std::mt19937 random(11);
    const bw::PlaytestOptions& options = dlg.editor().CheckOptions();
    bw::WorkerRunner runner({});
    for (int i = 0; i < n; ++i) {
        runner.Start(bw::CheckCopy(dlg.editor().table()), options, [](bw::PlaytestReport) {});
        while (!runner.Playing()) {
        }
        Sleep(random() % 21);
        const double t0 = Now();
        runner.Cancel();
        times.runner.push_back(Now() - t0);
        while (runner.Playing()) {
        }
        times.stopped.push_back(Now() - t0);
    }
    return times;
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
    // In turns, so that a change in the machine's load touches both alike:
    // checks with the command on, then the same edits with it off.
    std::vector<double> onLatency, checkTimes, offLatency;
    Handling onHandling, offHandling;
    for (int turn = 0; turn < 8; ++turn) {
        if (turn > 0) SendMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(ID_TABLE_CHECK_AS_YOU_EDIT, 0), 0);
        std::vector<double> spans;
        RunLoop(dlg, true, 4, spans, onLatency, onHandling);
        checkTimes.insert(checkTimes.end(), spans.begin(), spans.end());
        SendMessageA(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(ID_TABLE_CHECK_AS_YOU_EDIT, 0), 0);
        RunLoop(dlg, false, spans.size(), spans, offLatency, offHandling);
    }
    win::WriteFlag(ui::TableDialog::kCheckAsYouEditSetting, setting);
    const Figures on = Summarise(InMs(onLatency)), off = Summarise(InMs(offLatency));
    Print("mouse move latency, checking as you edit", on, onLatency.size());
    Print("mouse move latency, command off", off, offLatency.size());
    std::printf("  %-46s median %.2fx  p99 %.2fx\n", "latency, on against off", on.median / off.median,
                on.p99 / off.p99);
    Print("edit to summary, mouse moving", Summarise(InMs(checkTimes)), checkTimes.size());
    Print("window's thread: a repaint, checking", Summarise(InMs(onHandling.paint)), onHandling.paint.size());
    Print("window's thread: a repaint, command off", Summarise(InMs(offHandling.paint)), offHandling.paint.size());
    Print("window's thread: an edit, checking", Summarise(InMs(onHandling.edit)), onHandling.edit.size());
    Print("window's thread: an edit, command off", Summarise(InMs(offHandling.edit)), offHandling.edit.size());
    Print("window's thread: the check's message", Summarise(InMs(onHandling.check)), onHandling.check.size());
    const CancelTimes cancels = Cancels(dlg, 40);
    Print("cancel: on the window's thread", Summarise(InMs(cancels.runner)), cancels.runner.size());
    Print("cancel: the workers out of the games", Summarise(InMs(cancels.stopped)), cancels.stopped.size());
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
    std::printf("Check as you edit: 1,000 games of up to 3,000 ticks a check, on %d worker thread(s)\n",
                static_cast<int>(bw::CheckThreads()));
    const bool ok = Run("classic") && Run("full");
    return ok ? 0 : 1;
}
