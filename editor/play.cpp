// Play as far as the table is concerned: Start and Edit, the tick, the play
// keys, the recording of every play; replays played back; the findings of a
// check and their lifetime.
//
// The tick itself is the game's own (PlayTick, the same code that bwtool
// simulate runs); the editor adds the repaint of what the tick changed and
// the score.
#include <cstdio>

#include "editor/editor.h"
#include "files/table_text.h"
#include "physics/game.h"

namespace bw {

namespace {

bool IsPlayKey(int32_t key) { return key == kKeyZ || key == kKeyX || key == kKeySpace; }

}  // namespace

// ---- Start and Edit ------------------------------------------------------------------

void Editor::StartPlay() {
    if (mode == EditMode::Playing) return;
    EndDrag();
    // A drag that EndDrag could not end (the window is not the active one)
    // still gives its piece back before the table is reset.
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    DropFindings();
    liveTest_.reset();  // play is no time for checking; a fresh check follows it
    // Every play is recorded, for Save replay.
    playback_.reset();
    playbackKeys_.reset();
    recorder_.Start(*root, state);
    StartGame(state);  // Reset to the root, score and paramA cleared
    InvalidatePlayfield(true);
    ResetToolButtons();
    view_.PlayStarted();
    EndBorder();
    ForgetPieces();
    // The copy of unsaved changes is brought up to date now: in play the
    // table does not change and the copy is not written.
    view_.UpdateRecovery();
    mode = EditMode::Playing;
}

void Editor::StopPlay() {
    if (mode != EditMode::Playing) return;
    FinishPlay();
    view_.PlayStopped();
    mode = EditMode::Editing;
    root->HandleMessage(PieceMessage::Reset);
    InvalidatePlayfield(true);
    ResetToolButtons();
    root->HandleMessage(PieceMessage::RebuildRegion);
}

void Editor::FinishPlay() {
    if (playback_) lastReplay_ = std::move(playback_);
    else if (recorder_.Started()) lastReplay_ = std::make_unique<Replay>(recorder_.Finish(state));
    recorder_ = ReplayRecorder();
    playback_.reset();
    playbackKeys_.reset();
}

// ---- the tick and the keys ----------------------------------------------------------------

void Editor::PlayStep() {
    // A tick already queued when play stopped finds the editor editing.
    if (mode != EditMode::Playing) return;
    if (playbackKeys_) {
        // A replay: its own keys; at its end the game stands still.
        if (playbackKeys_->Ticks() >= playback_->ticks) return;
        playbackKeys_->Tick(state, true);
    } else {
        PlayTick(state, true);
        recorder_.Tick(state);
    }
    if (!root->dirtyRegion.IsEmpty()) view_.Invalidate(root->dirtyRegion, false);
    root->dirtyRegion.SetEmpty();
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(state.score)));
    // Of the texts only the score can have changed here: it alone is
    // written, and only when it changed.
    if (scoreText != text) {
        scoreText = text;
        view_.ScoreChanged();
    }
}

bool Editor::PlayKeyMessage(int32_t key, bool keyMessage, bool down) {
    // Every message seen here leaves its first parameter in paramA and
    // whether it is a key-down in paramB; whoever sends a message that
    // reads them sets them again.
    state.paramA = key;
    state.paramB = keyMessage && down ? 1 : 0;
    if (mode != EditMode::Playing || !keyMessage || !IsPlayKey(key)) return false;
    if (playbackKeys_) return true;  // a replay plays its own keys
    // A held key repeats its key-down: each one reaches the table.
    SendKey(state, key, down);
    recorder_.Key(key, down);
    return true;
}

void Editor::ReleaseKeys() {
    // A replay's game has only its own keys.
    if (playbackKeys_) return;
    if (mode == EditMode::Playing)
        for (int32_t key : {kKeyZ, kKeyX, kKeySpace}) recorder_.Key(key, false);
    bw::ReleaseKeys(state);
}

// ---- replays ----------------------------------------------------------------------------------

bool Editor::OpenReplay(std::string_view text, const std::string& path) {
    auto replay = std::make_unique<Replay>();
    std::string error;
    if (!ReadReplay(text, *replay, error)) {
        Tell(EditorMessage::BadReplay, MessageIcon::Exclamation, ShortPath(path), error);
        return false;
    }
    // The replay's table becomes the table, as a table not yet saved, with
    // a history of its own: Undo never goes back to the table before it.
    ResetToolButtons();
    StopPlay();
    EndBorder();
    DropFindings();
    ForgetPieces();
    TextToTable(replay->tableText, *root, error);
    recordCount = RecordsNeeded(*root);
    filePath_.clear();
    view_.FileChanged();
    history.Start(Snapshot(), false);
    TableChanged();
    mode = EditMode::Editing;
    InvalidatePlayfield(true);
    lastReplay_ = std::move(replay);  // played back once play has started
    return true;
}

bool Editor::PlayBack() {
    if (mode != EditMode::Playing || !lastReplay_) return false;
    // Played back from its own start: its random state, its keys.
    recorder_ = ReplayRecorder();
    state.randomState = lastReplay_->randomState;
    playback_ = std::move(lastReplay_);
    playbackKeys_ = std::make_unique<KeyPlayback>(playback_->events);
    statusText = texts_.replayPlaying;
    view_.TextsChanged();
    return true;
}

// ---- the findings of a check -----------------------------------------------------------------------

void Editor::PrepareCheck() {
    EndDrag();
    StopPlay();
    EndBorder();
    DropFindings();
}

void Editor::ShowFindings(PlaytestReport report) {
    findings_ = std::make_unique<PlaytestReport>(std::move(report));
    overlay_ = std::make_unique<FindingsOverlay>(*findings_);
    checkedTable_ = TableToText(*root);
    view_.Invalidate(Region::FromRect(kPlayfield), false);
    if (checkAsYouEdit_) {
        summary_ = CheckSummary(*findings_, texts_);
        ShowStatus();
    }
}

void Editor::DropFindings() {
    const bool had = findings_ != nullptr;
    overlay_.reset();
    findings_.reset();
    checkedTable_.clear();
    view_.FindingsDropped();
    if (had) InvalidatePlayfield(true);
    if (!summary_.empty()) {
        summary_.clear();
        ShowStatus();
    }
}

const Overlay* Editor::OverlayToPaint() {
    if (!overlay_) return nullptr;
    // Any change to the table since the check (an edit, Clear, Open, a
    // piece picked up to be dragged) ends the findings.
    if (TableToText(*root) != checkedTable_) {
        DropFindings();
        return nullptr;
    }
    return overlay_.get();
}

void Editor::ChooseFinding(int finding) {
    if (!findings_ || !overlay_ || mode != EditMode::Editing) return;
    overlay_->markedTrap = -1;
    overlay_->markedPiece = {};
    if (finding >= 0) {
        const std::vector<const TablePiece*> pieces = ReportedPieces(*root);
        if (static_cast<size_t>(finding) >= pieces.size()) return;
        auto* piece = const_cast<TablePiece*>(pieces[static_cast<size_t>(finding)]);
        bool direct = false;
        for (const TablePiece* c = root->FirstChild(); c; c = c->next.get()) direct = direct || c == piece;
        if (direct) {
            // Selected as the pointer tool selects it.
            SelectTool(kPointerTool);
            currentGroup = root.get();
            Select({piece});
        }
        Rect box = piece->region.Box();
        box.Inflate(2, 2);
        overlay_->markedPiece = box;
    } else if (finding <= -2) {
        overlay_->markedTrap = -2 - finding;
    }
    view_.Invalidate(Region::FromRect(kPlayfield), false);
}

}  // namespace bw
