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
#include "model/path_text.h"
#include "physics/game.h"

namespace bw {

namespace {

bool IsPlayKey(int32_t key) { return key == kKeyZ || key == kKeyX || key == kKeySpace; }

}  // namespace

// ---- Start and Edit ------------------------------------------------------------------

void Editor::StartPlay() {
    if (playing_) return;
    // Whatever is under way ends first: the game, and its replay, play the
    // table as it is shown.
    Settle();
    ResetToolButtons();
    DropFindings();
    checks_.Cancel();  // play is no time for checking; a fresh check follows it
    liveTable_.clear();
    // Every play is recorded, for Save replay.
    playback_.reset();
    playbackKeys_.reset();
    TableState& st = doc_.State();
    recorder_.Start(doc_.Root(), st);
    StartGame(st);  // Reset to the root, score and paramA cleared
    playing_ = true;
    InvalidatePlayfield();
    view_.PlayStarted();
    // The copy of unsaved changes is brought up to date now: in play the
    // table does not change and the copy is not written.
    view_.UpdateRecovery();
    Refresh();
}

void Editor::StopPlay() {
    if (!playing_) return;
    FinishPlay();
    // Keys held when play stops are let go: the next game starts with none.
    bw::ReleaseKeys(doc_.State());
    playing_ = false;
    view_.PlayStopped();
    doc_.Root().HandleMessage(PieceMessage::Reset);
    doc_.Root().HandleMessage(PieceMessage::RebuildRegion);
    InvalidatePlayfield();
    ResetToolButtons();
}

void Editor::FinishPlay() {
    if (playback_) lastReplay_ = std::move(playback_);
    else if (recorder_.Started()) lastReplay_ = std::make_unique<Replay>(recorder_.Finish(doc_.State()));
    recorder_ = ReplayRecorder();
    playback_.reset();
    playbackKeys_.reset();
}

// ---- the tick and the keys ----------------------------------------------------------------

void Editor::PlayStep() {
    // A tick already queued when play stopped finds the editor editing.
    if (!playing_) return;
    TableState& st = doc_.State();
    if (playbackKeys_) {
        // A replay: its own keys; at its end the game stands still.
        if (playbackKeys_->Ticks() >= playback_->ticks) return;
        playbackKeys_->Tick(st, true);
    } else {
        PlayTick(st, true);
        recorder_.Tick(st);
    }
    Region& dirty = doc_.Root().dirtyRegion;
    if (!dirty.IsEmpty()) view_.Invalidate(dirty, false);
    dirty.SetEmpty();
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(st.score)));
    // Of the texts only the score can have changed here: it alone is
    // written, and only when it changed.
    if (scoreText_ != text) {
        scoreText_ = text;
        view_.ScoreChanged();
    }
}

bool Editor::PlayKeyMessage(int32_t key, bool keyMessage, bool down) {
    // Every message seen here leaves its first parameter in paramA and
    // whether it is a key-down in paramB; whoever sends a message that
    // reads them sets them again.
    TableState& st = doc_.State();
    st.paramA = key;
    st.paramB = keyMessage && down ? 1 : 0;
    if (!playing_ || !keyMessage || !IsPlayKey(key)) return false;
    if (playbackKeys_) return true;  // a replay plays its own keys
    // A held key repeats its key-down: each one reaches the table.
    SendKey(st, key, down);
    recorder_.Key(key, down);
    return true;
}

void Editor::ReleaseKeys() {
    // A replay's game has only its own keys.
    if (playbackKeys_) return;
    if (playing_)
        for (int32_t key : {kKeyZ, kKeyX, kKeySpace}) recorder_.Key(key, false);
    bw::ReleaseKeys(doc_.State());
}

// ---- replays ----------------------------------------------------------------------------------

bool Editor::OpenReplay(std::string_view text, const std::string& path) {
    auto replay = std::make_unique<Replay>();
    std::string error;
    if (!ReadReplay(text, *replay, error)) {
        view_.Ask({EditorMessage::BadReplay, MessageButtons::Ok, MessageIcon::Exclamation, ShortPath(path), error});
        return false;
    }
    // The replay's table becomes the table, as a table not yet saved, with
    // a history of its own: Undo never goes back to the table before it.
    Table read{NoImageLoader{}};
    TextToTable(replay->tableText, *read.root, error);
    ReplaceTable(*read.root, {}, Document::Start::Unsaved, true);
    lastReplay_ = std::move(replay);  // played back once play has started
    return true;
}

bool Editor::PlayBack() {
    if (!playing_ || !lastReplay_) return false;
    // Played back from its own start: its random state, its keys.
    recorder_ = ReplayRecorder();
    doc_.State().randomState = lastReplay_->randomState;
    playback_ = std::move(lastReplay_);
    playbackKeys_ = std::make_unique<KeyPlayback>(playback_->events);
    Refresh();
    return true;
}

// ---- the findings of a check -----------------------------------------------------------------------

void Editor::PrepareCheck() {
    if (playing_) StopPlay();
    Settle();
    DropFindings();
    Refresh();
}

void Editor::ShowFindings(PlaytestReport report) {
    findings_ = std::make_unique<PlaytestReport>(std::move(report));
    overlay_ = std::make_unique<FindingsOverlay>(*findings_);
    checkedTable_ = TableFileBytes(doc_.root());
    liveFindings_ = false;
    InvalidatePlayfield();
    if (liveOn_) summary_ = CheckSummary(*findings_, texts_);
    ShowStatus();
}

void Editor::DropFindings() {
    const bool had = findings_ != nullptr;
    overlay_.reset();
    findings_.reset();
    checkedTable_.clear();
    liveFindings_ = false;
    summary_.clear();
    view_.FindingsDropped();
    if (had) InvalidatePlayfield();
    ShowStatus();
}

bool Editor::FindingsCurrent() const { return findings_ && TableFileBytes(doc_.root()) == checkedTable_; }

void Editor::ChooseFinding(int finding) {
    if (!findings_ || !overlay_ || mode() != EditMode::Editing) return;
    overlay_->markedTrap = -1;
    overlay_->markedPiece = {};
    if (finding >= 0) {
        const std::vector<const TablePiece*> pieces = ReportedPieces(doc_.root());
        if (static_cast<size_t>(finding) >= pieces.size()) return;
        const TablePiece* piece = pieces[static_cast<size_t>(finding)];
        for (TablePiece* c = doc_.Root().FirstChild(); c; c = c->next.get()) {
            if (c != piece) continue;
            // Selected as the pointer tool selects it.
            SelectTool(kPointerTool);
            doc_.Select({c});
        }
        Rect box = piece->region.Box();
        box.Inflate(2, 2);
        overlay_->markedPiece = box;
    } else if (finding <= -2) {
        overlay_->markedTrap = -2 - finding;
    }
    InvalidatePlayfield();
    Refresh();
}

}  // namespace bw
