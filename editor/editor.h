// The table editor: the document, the tools, the Edit menu's commands,
// play, replays and the checks, with no platform in sight.
//
// Every mouse event on the playfield and every editing key goes to the
// editor, which hands it to the current tool; what the window must show or
// do in return it asks through an EditorView. Positions are window pixels,
// the table drawn at twice its size; the window passes them on as it gets
// them. What the window reads, it reads through the const surface below.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/document.h"
#include "editor/editor_view.h"
#include "editor/live_check.h"
#include "editor/shown_table.h"
#include "editor/tools.h"
#include "files/table_file.h"
#include "games/playtest.h"
#include "games/replay.h"

namespace bw {

// The editing keys the editor takes, as virtual keys.
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;

enum class EditCommand : int32_t {
    Undo, Redo, Cut, Copy, Paste, Delete,
    SelectAll, Duplicate, Mirror, MirrorCopy, Align, Distribute,
};
constexpr size_t kEditCommands = 12;

// Align's sides, by the selection's bounding box.
enum class Alignment : int32_t { Left, Centre, Right, Top, Middle, Bottom };

// The x a table position goes to in a mirror image about the vertical line
// at table x = axis / 2 (the mirror copy's line is kMirrorCopyAxis / 2, the
// playfield's centre column 62).
constexpr int32_t kMirrorCopyAxis = 124;

// How far right and down Duplicate puts its copy, in table pixels.
constexpr int32_t kDuplicateOffset = 4;

// The part of a path after its last backslash; empty for an empty path.
std::string_view FileNamePart(std::string_view path);

// The texts the editor shows itself, in the window's language.
struct EditorTexts {
    std::array<std::string, kPointerTool + 1> tools;  // the status line of each tool
    std::string replayPlaying;                       // the status line while a replay plays
    std::string piecesSelected;  // the status line with two or more selected: "%1" is their number
    // The status line's summary of a check as you edit: no findings; else
    // the counts ("%1" the number; a trap and traps apart) and the endless
    // games, joined by ", " and put into `findingsHint`.
    std::string checkClean;
    std::string checkUnreached;
    std::string checkTrap, checkTraps;
    std::string checkEndless;  // the ball never drains
    std::string findingsHint;
    // Each Edit command's name, as a refusal names it.
    std::array<std::string, kEditCommands> commands;
};

// The one-line summary of a check's findings, in the texts given.
std::string CheckSummary(const PlaytestReport& report, const EditorTexts& texts);

class Editor {
public:
    // `checks` plays the games of the check as you edit.
    Editor(EditorView& view, const ImageLoader& loader, EditorTexts texts, CheckRunner& checks);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // ---- what the window reads ------------------------------------------------------
    EditMode mode() const;
    int32_t tool() const { return tool_; }
    const Document& document() const { return doc_; }
    const TableRoot& table() const { return doc_.root(); }
    bool saved() const { return doc_.saved(); }
    int32_t recordCount() const { return doc_.recordCount(); }
    const std::string& FilePath() const { return doc_.FilePath(); }
    // The selected pieces, in table order, while the pointer is the tool;
    // currentPiece is the one selected piece while there is exactly one.
    std::vector<const TablePiece*> Selection() const;
    const TablePiece* currentPiece() const;
    bool PointerHasPiece() const { return tool_ == kPointerTool && doc_.SelectedCount() > 0; }
    const std::string& coordinatesText() const { return coordinatesText_; }
    const std::string& statusText() const { return statusText_; }
    const std::string& scoreText() const { return scoreText_; }
    // The window's title with the file's name before the program's.
    std::string Title(const std::string& programTitle) const;

    // ---- the mouse on the playfield, and the keys -------------------------------------
    // `shift`: the Shift key was held (the pointer adds to the selection).
    void LButtonDown(Point p, bool shift = false);
    void MouseMove(Point p);
    void LButtonUp();
    void RButtonDown();
    void LButtonDblClk(Point p);
    // An arrow key-down: true when the editor took it (a nudge).
    bool ArrowKey(int32_t virtualKey);
    // Every key message the window pre-translates, as the play sees it:
    // true when play took the key.
    bool PlayKeyMessage(int32_t virtualKey, bool keyMessage, bool down);
    // Key-ups of Z, X and SPACE to the table, as if the keys were let go.
    void ReleaseKeys();
    // Escape: the gesture ends and the selection is cleared.
    void Escape();

    // ---- tools ----------------------------------------------------------------------------
    void SelectTool(int32_t newTool);
    void ResetToolButtons();
    // Finishes whatever gesture is under way: a border ends, a drag or a
    // selection band is dropped as a release drops it, the mouse is let go.
    void Settle();

    // ---- the Edit menu ----------------------------------------------------------------------
    bool CanAct(EditCommand command) const;
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void Clear();
    void SelectAll();
    // A copy of the selection, a few pixels off, becomes the selection.
    void Duplicate();
    // The selection is replaced by its mirror image about the middle of
    // its bounding box.
    void Mirror();
    // A mirror image of the selection about the playfield's centre line is
    // added and becomes the selection.
    void MirrorCopy();
    void Align(Alignment side);
    // Equal gaps between the outermost selected pieces.
    void Distribute(bool vertically);

    // ---- play ---------------------------------------------------------------------------------
    // Start: the window has started its timer.
    void StartPlay();
    void StopPlay();
    // One tick of play: the game's tick, the repaint of what it changed, the score.
    void PlayStep();
    bool PlayingBack() const { return playbackKeys_ != nullptr; }

    // ---- painting -------------------------------------------------------------------------------
    // The playfield as it is shown now (editing, or play), on a target
    // clipped to the playfield.
    void Paint(Surface& target);

    // ---- the table's file ----------------------------------------------------------------------
    // The table file's bytes read from `path` become the table; false when
    // they are no table (after a message), the table then unchanged.
    bool OpenTable(const std::string& path, std::span<const uint8_t> bytes);
    // File › New: an empty table without a file, saved, with a history of
    // its own (the window has asked about unsaved changes first).
    void NewTable();
    // What Save writes: whatever is under way ends first.
    SaveResult PrepareSave();
    // The file at `path` now holds the table: it is the table's file.
    void Saved(const std::string& path);

    // ---- the copy of unsaved changes ---------------------------------------------------------------
    // What the copy holds: the table's text (FilePath names its file).
    std::string RecoveryText() const;
    // Whether the table changed since its copy was last written and can be
    // written now (editing, nothing under way).
    bool RecoveryDue() const { return !saved() && recoveryStale_ && mode() == EditMode::Editing; }
    void RecoveryWritten() { recoveryStale_ = false; }
    // A copy's table becomes the table, still unsaved, under its file's
    // name (`path`, empty for an untitled table); false, with the table
    // unchanged, when the copy does not read as a table a file can hold.
    bool Restore(const std::string& path, std::string_view text);

    // ---- checks and replays ------------------------------------------------------------------------
    // Before Check table: whatever is under way ends, old findings go.
    void PrepareCheck();
    // The findings of a check of the table as it stands: shown over the
    // playfield until the table changes.
    void ShowFindings(PlaytestReport report);
    void DropFindings();
    const PlaytestReport* Findings() const { return findings_.get(); }
    // Whether the findings describe the table as it stands.
    bool FindingsCurrent() const;
    // A finding chosen in the list: a piece's index in the report (from 0),
    // or a trap as -2 - its index.
    void ChooseFinding(int finding);
    // The options of every check (Check table and the check as you edit).
    const PlaytestOptions& CheckOptions() const { return checkOptions_; }
    void SetCheckOptions(const PlaytestOptions& options) { checkOptions_ = options; }
    // The replay of the last play (or of the replay last played back).
    const Replay* LastReplay() const { return lastReplay_.get(); }
    // A replay's table becomes the table, not yet saved, with a history of
    // its own; false after a message naming the line when the text is no
    // replay. PlayBack then plays it, once play has started.
    bool OpenReplay(std::string_view text, const std::string& path);
    bool PlayBack();

    // ---- check as you edit -------------------------------------------------------------------------
    // While on, the table as it stands is checked whenever it has no
    // findings that describe it: after every change, after play, after a
    // check was cancelled, never while a gesture is under way or in play.
    // The findings then show as a check's do, and their summary in the
    // status line. A change of the table stops the check under way (unless
    // it comes back to the table being checked) and a fresh one follows.
    void SetCheckAsYouEdit(bool on);
    bool CheckAsYouEdit() const { return liveOn_; }
    // The window has nothing else to do: a check that no longer describes
    // the table stops, and one starts when it is due.
    void Idle();
    // Whether idle moments are wanted: a check is due or under way.
    bool CheckWanted() const;

private:
    bool InPlayfield(Point p) const;
    void Tell(EditorMessage message, std::string argument = {}, MessageIcon icon = MessageIcon::Exclamation);
    bool Record(bool nudge);
    // After every event: what changed is repainted, the status line, the
    // saved state, the copy of unsaved changes, the findings and the check
    // as you edit follow the table.
    void Refresh();
    void ShowStatus();
    std::vector<Rect> Frames() const;
    // The one way to replace the table (New, Open, a restore, a replay,
    // Clear): whatever is under way ends, the selection, the findings and
    // the check go, the texts are set as opening a file sets them.
    bool ReplaceTable(const TableRoot& from, const std::string& path, Document::Start start, bool resetTool);
    void InvalidatePlayfield();
    // Play ends: the play's replay is kept, playback stops.
    void FinishPlay();

    // The Edit menu's commands on the selection (commands.cpp).
    bool Ready(EditCommand command);
    bool AddPieces(std::vector<std::unique_ptr<TablePiece>> pieces, EditCommand command);
    std::string SelectionText() const;
    bool MoveItems(const std::vector<TablePiece*>& items, const std::vector<Point>& moves, EditCommand command);
    void DeleteSelected();

    EditorView& view_;
    EditorTexts texts_;
    Document doc_;
    ToolContext context_;
    std::unique_ptr<Tool> current_;
    int32_t tool_ = kNoTool;
    bool playing_ = false;
    Point lastMouse_;
    ShownTable picture_;
    bool recoveryStale_ = false;
    uint64_t shownChanges_ = 0;
    std::string coordinatesText_, statusText_, scoreText_;  // empty until a table is opened or played

    PlaytestOptions checkOptions_;
    std::unique_ptr<PlaytestReport> findings_;
    std::unique_ptr<FindingsOverlay> overlay_;
    std::vector<uint8_t> checkedTable_;  // the table file the findings describe
    std::string summary_;                // the status line's summary, while shown
    bool liveFindings_ = false;          // the findings came from the check as you edit
    CheckRunner& checks_;
    bool liveOn_ = false;
    std::vector<uint8_t> liveTable_;  // the table file the check under way plays

    ReplayRecorder recorder_;
    std::unique_ptr<Replay> lastReplay_;
    std::unique_ptr<Replay> playback_;
    std::unique_ptr<KeyPlayback> playbackKeys_;
};

}  // namespace bw
