// The Table menu: Check table, Check as you edit, and the replays of plays.
//
// Both checks play the core's playtest (bwtool check's, with its defaults)
// on worker threads (workers/), each on a copy of the table; the window's
// thread only posts and takes messages. Check table waits with the main
// window disabled, so that the table cannot change under the games; its
// window shows the progress they post and its Cancel stops them at once.
// Checking as you edit, the editor looks at the table after every message
// that may change it (a kCheckMessage posted behind it); the workers post
// the same message when their games are over, and the report goes to the
// editor then, or, while a modal window holds the window, once it is free.
// Its threads are made once and wait between checks, so that starting and
// cancelling a check costs the window's thread no more than a copy of the
// table; while the user's hand moves, they give way every few hundred ticks.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/check_dialog.h"
#include "ui/table_dialog.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/file_dialog.h"
#include "win/file_reports.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/settings.h"
#include "win/window_layout.h"

namespace ui {

namespace {

// For this long after the user's hand last moved, the games of the check as
// you edit give way to any thread waiting for their core.
constexpr int kHandActiveMs = 100;
constexpr int kMostIdleWaits = 4;

}  // namespace

// ---- Check table -----------------------------------------------------------------

bw::CheckCalls TableDialog::WorkerCalls(UINT message, bool progress) {
    bw::CheckCalls calls;
    // Below the window's thread, which so never waits for them for a core.
    calls.started = [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); };
    // The workers' one call on the window: a message posted to it.
    calls.finished = [this, message] { PostMessageW(hwnd(), message, 0, 0); };
    if (progress) calls.progress = calls.finished;
    // The check as you edit (which shows no progress): the thread lowered
    // above is a request the system may not grant (Wine on Linux does not),
    // so while the user's hand moves, its games give way every few hundred
    // ticks, and the window's thread, the window system and its server find
    // a core at once when they wake.
    else calls.look = [] {
        if (win::HandActiveWithin(kHandActiveMs)) SwitchToThread();
    };
    return calls;
}

void TableDialog::OnCheckTable() {
    if (checking_) return;
    // Findings of the table as it stands (checked as you edit) are shown
    // at once: the same games would only repeat them.
    const bool current = editor_->mode() == bw::EditMode::Editing && editor_->FindingsCurrent();
    if (!current) editor_->PrepareCheck();
    auto dialog = std::make_unique<CheckDialog>();
    if (!dialog->Create(hwnd())) return;
    checkDialog_ = std::move(dialog);
    win::ShowBeside(checkDialog_->hwnd(), hwnd());
    checkDialog_->onChoose = [this](int finding) { editor_->ChooseFinding(finding); };
    if (current) {
        checkDialog_->ShowFindings(*editor_->Findings());
        return;
    }
    // A check as you edit would only share the cores; it starts again if
    // this one is cancelled.
    liveChecks_.Cancel();
    bw::WorkerRunner games(WorkerCalls(kCheckTableMessage, true));
    std::optional<bw::PlaytestReport> report;
    games.Start(bw::CheckCopy(editor_->table()), editor_->CheckOptions(),
                [&report](bw::PlaytestReport r) { report = std::move(r); });
    checking_ = true;
    EnableWindow(hwnd(), FALSE);
    RunCheck(games);
    EnableWindow(hwnd(), TRUE);
    checking_ = false;
    if (!report || !checkDialog_) {
        checkDialog_.reset();
        return;
    }
    editor_->ShowFindings(std::move(*report));
    checkDialog_->ShowFindings(*editor_->Findings());
}

void TableDialog::RunCheck(bw::WorkerRunner& games) {
    MSG msg;
    while (checkDialog_ && checkDialog_->Running() && games.Busy()) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {  // WM_QUIT, for the loop that waits outside
            PostQuitMessage(static_cast<int>(msg.wParam));
            checkDialog_.reset();
            return;
        }
        if (msg.message != kCheckTableMessage || msg.hwnd != hwnd()) {
            win::PumpDialogMessage(checkDialog_->hwnd(), msg);
            continue;
        }
        checkDialog_->SetProgress(games.GamesDone(), games.Games());
        games.Deliver();
    }
}

// ---- Check as you edit --------------------------------------------------------------

void TableDialog::OnCheckAsYouEdit() {
    const bool on = !editor_->CheckAsYouEdit();
    editor_->SetCheckAsYouEdit(on);
    win::WriteFlag(kCheckAsYouEditSetting, on);
    ShowCheckAsYouEdit();
}

void TableDialog::ShowCheckAsYouEdit() {
    win::CheckCommand(GetMenu(hwnd()), ID_TABLE_CHECK_AS_YOU_EDIT, editor_->CheckAsYouEdit());
    IdleSoon();
}

void TableDialog::IdleSoon() {
    if (idlePosted_ || !editor_->CheckAsYouEdit() || editor_->mode() == bw::EditMode::Playing) return;
    idlePosted_ = PostMessageW(hwnd(), kCheckMessage, 0, 0) != 0;
}

bool TableDialog::OnAppMessage(UINT msg, WPARAM, LPARAM) {
    if (msg != kCheckMessage) return false;
    idlePosted_ = false;
    // What the user's hand brought goes first: the look waits behind it
    // (a few times at most, so that a busy queue cannot hold it off).
    if (idleWaits_ < kMostIdleWaits && HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0) {
        ++idleWaits_;
        IdleSoon();
        return true;
    }
    idleWaits_ = 0;
    // Not while a message box, a file dialog or Check table holds the
    // window: the command under way may be changing the table.
    if (checking_ || !IsWindowEnabled(hwnd())) return true;
    liveChecks_.Deliver();
    editor_->Idle();
    return true;
}

bool TableDialog::OnEnable(bool enabled) {
    if (enabled) IdleSoon();  // what waited for the window to be free
    return false;
}

// ---- replays ----------------------------------------------------------------------

void TableDialog::OnSaveReplay() {
    editor_->StopPlay();
    editor_->Settle();
    const bw::Replay* replay = editor_->LastReplay();
    if (!replay) {
        win::AppMessageBox(hwnd(), IDS_NO_REPLAY, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const auto path = win::ChooseFile(hwnd(), false, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      IDS_REPLAY_FILTER, IDS_SAVE_REPLAY_TITLE);
    if (path) win::WriteFileReporting(hwnd(), *path, bw::WriteReplay(*replay));
}

void TableDialog::OnOpenReplay() {
    if (!QuerySaveChanges()) return;
    const auto path = win::ChooseFile(hwnd(), true, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                                      IDS_REPLAY_FILTER, IDS_OPEN_REPLAY_TITLE);
    if (!path) return;
    const auto bytes = win::ReadFileReporting(hwnd(), *path, bw::kMaxReplayBytes + 1);
    if (!bytes) return;
    if (!editor_->OpenReplay(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), *path))
        return;
    StartPlay();
    editor_->PlayBack();
}

}  // namespace ui
