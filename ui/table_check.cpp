// The Table menu: Check table, and the replays of plays.
//
// The check runs the core's playtest (the same as bwtool check, with its
// defaults: 1,000 games from seed 1) on the one thread, a slice of ticks at
// a time with the waiting messages handled between slices, so that the
// progress shows and Cancel works. Meanwhile the main window is disabled:
// the table cannot change under the games. The findings are painted over
// the playfield until the table changes or play starts.
#include <windows.h>

#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/table_text.h"
#include "files/win/table_file_win.h"
#include "res/resource.h"
#include "ui/check_dialog.h"
#include "ui/file_dialog.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

namespace {

// Play between looks at the messages: about 15 ms, in steps of ticks small
// enough for the largest table.
constexpr int64_t kCheckStep = 2000;
constexpr double kCheckSliceSeconds = 0.015;

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
    if (!root || checking) return;
    EndDrag();
    StopPlay();
    EndBorder();
    DropFindings();
    auto dialog = std::make_unique<CheckDialog>();
    if (!dialog->Create(hwnd())) return;
    checkDialog = std::move(dialog);
    RECT outer{};
    GetWindowRect(hwnd(), &outer);
    SetWindowPos(checkDialog->hwnd(), nullptr, outer.right, outer.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(checkDialog->hwnd(), SW_SHOW);
    checkDialog->onChoose = [this](int finding) { ChooseFinding(finding); };

    const bw::PlaytestOptions options;
    bw::Playtest test(*root, options);
    checking = true;
    EnableWindow(hwnd(), FALSE);
    bool finished = false;
    while (checkDialog && checkDialog->Running()) {
        finished = RunSlice(test);
        checkDialog->SetProgress(test.GamesDone(), test.Games());
        if (finished) break;
        MSG msg;
        while (checkDialog && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // for the loop that waits outside
                PostQuitMessage(static_cast<int>(msg.wParam));
                finished = false;
                checkDialog.reset();
                break;
            }
            win::PumpDialogMessage(checkDialog->hwnd(), msg);
        }
    }
    EnableWindow(hwnd(), TRUE);
    checking = false;
    if (!finished || !checkDialog) {
        checkDialog.reset();
        return;
    }
    findings = std::make_unique<bw::PlaytestReport>(test.Report());
    overlay = std::make_unique<bw::FindingsOverlay>(*findings);
    checkedTable = bw::TableToText(*root);
    checkDialog->ShowFindings(*findings);
    InvalidateRect(hwnd(), &playfield, FALSE);
}

void TableDialog::DropFindings() {
    if (!findings && !checkDialog) return;
    overlay.reset();
    findings.reset();
    checkedTable.clear();
    if (!checking) checkDialog.reset();
    if (hwnd()) InvalidateRect(hwnd(), &playfield, TRUE);
}

const bw::Overlay* TableDialog::OverlayToPaint() {
    if (!overlay || !root) return nullptr;
    // Any change to the table since the check (an edit, Clear, Open, a
    // piece picked up to be dragged) ends the findings.
    if (bw::TableToText(*root) != checkedTable) {
        DropFindings();
        return nullptr;
    }
    return overlay.get();
}

void TableDialog::ChooseFinding(int finding) {
    if (!findings || !overlay || !root || mode != EditMode::Editing) return;
    overlay->markedTrap = -1;
    overlay->markedPiece = {};
    if (finding >= 0) {
        const std::vector<const bw::TablePiece*> pieces = bw::ReportedPieces(*root);
        if (static_cast<size_t>(finding) >= pieces.size()) return;
        auto* piece = const_cast<bw::TablePiece*>(pieces[static_cast<size_t>(finding)]);
        bool direct = false;
        for (const bw::TablePiece* c = root->FirstChild(); c; c = c->next.get()) direct = direct || c == piece;
        if (direct) {
            // Selected as the pointer tool selects it.
            SelectTool(ID_TOOL_POINTER);
            SendMessageA(toolBar.get(), TB_CHECKBUTTON, ID_TOOL_POINTER, TRUE);
            currentGroup = root.get();
            currentPiece = piece;
        }
        bw::Rect box = piece->region.Box();
        box.Inflate(2, 2);
        overlay->markedPiece = box;
    } else if (finding <= -2) {
        overlay->markedTrap = -2 - finding;
    }
    InvalidateRect(hwnd(), &playfield, FALSE);
}

// ---- replays ----------------------------------------------------------------------

void TableDialog::FinishPlay() {
    if (playback) lastReplay = std::move(playback);
    else if (recorder.Started()) lastReplay = std::make_unique<bw::Replay>(recorder.Finish(state));
    recorder = bw::ReplayRecorder();
    playback.reset();
    playbackKeys.reset();
}

bool TableDialog::WriteReplayFile(const std::string& path) {
    if (!lastReplay) return false;
    const std::string text = bw::WriteReplay(*lastReplay);
    bw::FileError error;
    if (!bw::WriteFileReplacing(path, std::vector<uint8_t>(text.begin(), text.end()), error)) {
        ReportFileError(hwnd(), error);
        return false;
    }
    return true;
}

void TableDialog::OnSaveReplay() {
    EndDrag();
    StopPlay();
    if (!lastReplay) {
        win::AppMessageBox(hwnd(), IDS_NO_REPLAY, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string filter = win::LoadResString(IDS_REPLAY_FILTER);
    FileDialog dialog(false, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(), hwnd());
    if (dialog.DoModal() != IDOK) return;
    WriteReplayFile(dialog.PathName());
}

void TableDialog::OnOpenReplay() {
    EndDrag();
    if (!QuerySaveChanges()) return;
    const std::string filter = win::LoadResString(IDS_REPLAY_FILTER);
    FileDialog dialog(true, "bwr", "*.bwr", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter.c_str(), hwnd());
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.PathName();
    std::vector<uint8_t> bytes;
    bw::FileError error;
    if (!bw::ReadFilePrefix(path, bw::kMaxReplayBytes + 1, bytes, error)) {
        ReportFileError(hwnd(), error);
        return;
    }
    PlayReplayText(std::string(bytes.begin(), bytes.end()), path);
}

bool TableDialog::PlayReplayText(const std::string& text, const std::string& path) {
    if (!root) return false;
    auto replay = std::make_unique<bw::Replay>();
    std::string error;
    if (!bw::ReadReplay(text, *replay, error)) {
        win::AppMessageBox(hwnd(), win::FormatArgument(win::LoadResString(IDS_BAD_REPLAY), path) + "\n" + error,
                           MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The replay's table becomes the window's, as a table not yet saved.
    ResetToolButtons();
    StopPlay();
    EndBorder();
    DropFindings();
    currentPiece = nullptr;
    bw::TextToTable(replay->tableText, *root, error);
    currentGroup = root.get();
    recordCount = bw::RecordsNeeded(*root);
    filePath[0] = '\0';
    UpdateTitle(nullptr);
    saved = false;
    mode = EditMode::Editing;
    InvalidateRect(hwnd(), &playfield, TRUE);
    StartPlay();
    if (mode != EditMode::Playing) return false;
    // Played back from its own start: its random state, its keys.
    recorder = bw::ReplayRecorder();
    state.randomState = replay->randomState;
    playback = std::move(replay);
    playbackKeys = std::make_unique<bw::KeyPlayback>(playback->events);
    statusText = win::LoadResString(IDS_REPLAY_PLAYING);
    UpdateData(false);
    return true;
}

}  // namespace ui
