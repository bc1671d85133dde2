// The Table menu: Check table, Check as you edit, and the replays of plays.
//
// The check runs the core's playtest (the same as bwtool check, with its
// defaults: 1,000 games from seed 1) on the one thread, a slice of ticks at
// a time with the waiting messages handled between slices, so that the
// progress shows and Cancel works. Meanwhile the main window is disabled:
// the table cannot change under the games. The findings are painted over
// the playfield until the table changes or play starts.
//
// Checking as you edit, the editor decides when a check starts, goes on or
// is dropped; the window gives it the idle time: a timer whose messages
// come only when no other message waits, each running slices of a few
// milliseconds until a message waits again.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/win/table_file_win.h"
#include "res/resource.h"
#include "ui/check_dialog.h"
#include "ui/file_dialog.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/settings.h"

namespace ui {

namespace {

// Play between looks at the messages: about 15 ms, in steps of ticks small
// enough for the largest table.
constexpr int64_t kCheckStep = 2000;
constexpr double kCheckSliceSeconds = 0.015;

// A slice of the check as you edit aims at this; input waits for one slice
// at most, and the budget never grows more than twice at a time.
constexpr double kIdleSliceSeconds = 0.004;
constexpr int64_t kLeastIdleTicks = 50;
constexpr int64_t kMostIdleTicks = 1000000;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Whether any message waits for the thread (input, posted, sent, paint or timer).
bool MessagesWaiting() { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }

// Runs the playtest for about one slice; true when every game is over.
bool RunSlice(bw::Playtest& test) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do {
        if (test.Run(kCheckStep)) return true;
        QueryPerformanceCounter(&now);
    } while (static_cast<double>(now.QuadPart - start.QuadPart) < kCheckSliceSeconds * static_cast<double>(frequency.QuadPart));
    return false;
}

}  // namespace

// ---- Check table -----------------------------------------------------------------

void TableDialog::OnCheckTable() {
    if (checking_) return;
    // Findings of the table as it stands (checked as you edit) are shown
    // at once: the same games would only repeat them.
    const bool current = editor_->mode() == bw::EditMode::Editing && editor_->FindingsCurrent();
    if (!current) editor_->PrepareCheck();
    auto dialog = std::make_unique<CheckDialog>();
    if (!dialog->Create(hwnd())) return;
    checkDialog_ = std::move(dialog);
    RECT outer{};
    GetWindowRect(hwnd(), &outer);
    // Beside the main window, as far as the screen allows.
    RECT own{}, work{};
    GetWindowRect(checkDialog_->hwnd(), &own);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG x = std::max(work.left, std::min(outer.right, work.right - (own.right - own.left)));
    SetWindowPos(checkDialog_->hwnd(), nullptr, x, outer.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(checkDialog_->hwnd(), SW_SHOW);
    checkDialog_->onChoose = [this](int finding) {
        editor_->ChooseFinding(finding);
    };

    if (current) {
        checkDialog_->ShowFindings(*editor_->Findings());
        return;
    }
    bw::Playtest test(editor_->table(), editor_->CheckOptions());
    checking_ = true;
    EnableWindow(hwnd(), FALSE);
    const bool finished = RunCheck(test);
    EnableWindow(hwnd(), TRUE);
    checking_ = false;
    if (!finished || !checkDialog_) {
        checkDialog_.reset();
        return;
    }
    editor_->ShowFindings(test.Report());
    checkDialog_->ShowFindings(*editor_->Findings());
}

bool TableDialog::RunCheck(bw::Playtest& test) {
    while (checkDialog_ && checkDialog_->Running()) {
        const bool finished = RunSlice(test);
        checkDialog_->SetProgress(test.GamesDone(), test.Games());
        if (finished) return true;
        MSG msg;
        while (checkDialog_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // for the loop that waits outside
                PostQuitMessage(static_cast<int>(msg.wParam));
                checkDialog_.reset();
                return false;
            }
            win::PumpDialogMessage(checkDialog_->hwnd(), msg);
        }
    }
    return false;
}

// ---- Check as you edit --------------------------------------------------------------

void TableDialog::OnCheckAsYouEdit() {
    const bool on = !editor_->CheckAsYouEdit();
    editor_->SetCheckAsYouEdit(on);
    win::WriteFlag(kCheckAsYouEditSetting, on);
    ShowCheckAsYouEdit();
}

void TableDialog::ShowCheckAsYouEdit() {
    const bool on = editor_->CheckAsYouEdit();
    CheckMenuItem(GetMenu(hwnd()), ID_TABLE_CHECK_AS_YOU_EDIT, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    if (on && editor_->mode() != bw::EditMode::Playing)
        SetTimer(hwnd(), kLiveCheckTimer, USER_TIMER_MINIMUM, nullptr);
    else
        KillTimer(hwnd(), kLiveCheckTimer);
}

void TableDialog::GiveIdleTime() {
    idleResumePosted_ = false;
    bool more = true;
    while (!MessagesWaiting() && (more = IdleSlice())) {
    }
    idleCutShort_ = more;
}

bool TableDialog::IdleSlice() {
    // Not while a message box or Check table holds the window.
    if (checking_ || !IsWindowEnabled(hwnd())) return false;
    editor_->Idle();
    if (!liveChecks_.Busy()) return false;
    const double start = Seconds();
    const bool more = liveChecks_.RunSlice(idleTickBudget_);
    const double took = Seconds() - start;
    if (more) {
        // The next slice sized from this one's cost per tick.
        const double ticks = static_cast<double>(idleTickBudget_);
        const double fit = ticks * kIdleSliceSeconds / std::max(took, 1e-6);
        idleTickBudget_ = std::clamp(static_cast<int64_t>(std::clamp(fit, ticks / 4, ticks * 2)), kLeastIdleTicks,
                                     kMostIdleTicks);
    }
    return more || editor_->CheckWanted();
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
    const std::string filter = win::LoadResString(IDS_REPLAY_FILTER);
    FileDialog dialog(false, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(), hwnd());
    dialog.SetTitle(win::LoadResString(IDS_SAVE_REPLAY_TITLE));
    if (dialog.DoModal() != IDOK) return;
    const std::string text = bw::WriteReplay(*replay);
    bw::FileError error;
    if (!bw::WriteFileReplacing(dialog.PathName(), std::vector<uint8_t>(text.begin(), text.end()), error))
        ReportFileError(hwnd(), error);
}

void TableDialog::OnOpenReplay() {
    if (!QuerySaveChanges()) return;
    const std::string filter = win::LoadResString(IDS_REPLAY_FILTER);
    FileDialog dialog(true, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter.c_str(), hwnd());
    dialog.SetTitle(win::LoadResString(IDS_OPEN_REPLAY_TITLE));
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.PathName();
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(path, bw::kMaxReplayBytes + 1, bytes, error)) {
        ReportFileError(hwnd(), error);
        return;
    }
    if (!editor_->OpenReplay(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path))
        return;
    StartPlay();
    editor_->PlayBack();
}

}  // namespace ui
