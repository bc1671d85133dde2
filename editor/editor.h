// The table editor: the document (the table, its file, its history and
// its saved state) and every rule of editing it with the mouse and keys,
// of playing it and of checking it, with no platform in sight.
//
// Every mouse event on the playfield and every editing key goes to the
// editor, which applies the current tool; what the window must show or do
// in return it asks through an EditorView. Positions are window pixels, the
// table drawn at twice its size; the window passes them on as it gets them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_view.h"
#include "files/table_file.h"
#include "games/playtest.h"
#include "games/replay.h"
#include "model/history.h"
#include "model/path_text.h"
#include "model/table.h"

namespace bw {

enum class EditMode : int32_t {
    Editing = 0,        // no mouse operation under way
    DrawingBorder = 1,  // a border polyline is being drawn
    Dragging = 2,       // the selected piece follows the mouse
    Playing = 3,        // the play timer runs
};

// `tool`: 0 none; 4 to 11 the piece kind a click places; 12 the pointer.
constexpr int32_t kNoTool = 0;
constexpr int32_t kPointerTool = 12;

// The editing keys the editor takes, as virtual keys.
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;

enum class EditCommand : int32_t { Undo, Redo, Cut, Copy, Paste, Delete };

// Where a click with the tool may place its piece, in window pixels
// (right and bottom edges outside).
Rect AllowedClickArea(int32_t tool);

// The placement rule: whether a piece of `kind` may be placed at window
// point `p` (made even), as a click places it.
bool PlacementAllowed(int32_t kind, Point p);

// Where pieces added to `table` as a whole (pasted, duplicated) go: the
// smallest move, in table pixels, that brings each of them wholly inside
// the playfield and to a place the placement rule allows, then a few
// pixels further while one of them would lie exactly where a piece of the
// table lies. None when no move brings all of them there at once.
std::optional<Point> PlacementOffset(const TableRoot& pieces, const TableRoot& table);

// The part of a path after its last backslash; empty for an empty path.
std::string_view FileNamePart(std::string_view path);


// The texts the editor shows itself, in the window's language.
struct EditorTexts {
    std::array<std::string, kPointerTool + 1> tools;  // the status line of each tool
    std::string replayPlaying;                       // the status line while a replay plays
    // The status line's summary of a check as you edit: no findings; else
    // the counts ("%1" the number; a trap and traps apart), joined by
    // ", " and put into `findingsHint`.
    std::string checkClean;
    std::string checkUnreached;
    std::string checkTrap, checkTraps;
    std::string findingsHint;
};

// The one-line summary of a check's findings, in the texts given.
std::string CheckSummary(const PlaytestReport& report, const EditorTexts& texts);

class Editor {
public:
    Editor(EditorView& view, const ImageLoader& loader, EditorTexts texts);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // ---- the state ------------------------------------------------------------
    EditMode mode = EditMode::Editing;
    int32_t tool = kNoTool;
    TablePiece* currentPiece = nullptr;
    PieceGroup* currentGroup = nullptr;
    Point lastMouse;
    bool saved = true;
    int32_t recordCount = 1;  // file records the table takes, as editing counts them
    std::string coordinatesText;
    std::string statusText;
    std::string scoreText;

    TableState state;
    std::unique_ptr<TableRoot> root;
    // The table after each action, for Undo and Redo.
    History history;

    // ---- the mouse on the playfield, and the keys ---------------------------------
    void LButtonDown(Point p);
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
    bool PointerHasPiece() const { return tool == kPointerTool && currentPiece; }

    // ---- tools and editing steps -------------------------------------------------
    void SelectTool(int32_t newTool);
    void ResetToolButtons();
    void EndBorder();
    void EndDrag();
    void DeleteSelected();
    // Draws the selection frame in XOR on `target`, or at once on the window.
    void ToggleSelectionFrame(Surface* target);
    // Moves currentPiece by (dx, dy) window pixels; false when the piece
    // would leave the table and so stays where it is.
    bool MoveCurrentPiece(int32_t dx, int32_t dy, bool copy);
    void DrawCurrentPiece(bool xorMode);
    // The records a table file would need after an addition of `added`
    // records to the table as it stands.
    int32_t FileRecordsAfter(int32_t added) const;

    // ---- the Edit menu -------------------------------------------------------------
    bool CanAct(EditCommand command) const;
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void Clear();

    // ---- play -------------------------------------------------------------------------
    // Start: the window has started its timer.
    void StartPlay();
    void StopPlay();
    // One tick of play: the game's tick, the repaint of what it changed, the score.
    void PlayStep();
    bool PlayingBack() const { return playbackKeys_ != nullptr; }

    // ---- painting ----------------------------------------------------------------------
    // The playfield as editing shows it (in play: PaintPlay), on a target
    // clipped to the playfield.
    void PaintEditing(Surface& target);
    void PaintPlay(Surface& target);

    // ---- the document --------------------------------------------------------------------
    const std::string& FilePath() const { return filePath_; }
    // The table file's bytes read from `path` become the table; false when
    // they are no table (after a message), the table then unchanged.
    bool OpenTable(const std::string& path, std::span<const uint8_t> bytes);
    // File › New: an empty table without a file, saved, with a history of
    // its own (the window has asked about unsaved changes first).
    void NewTable();
    // What Save writes: ends a drag, play and a border first.
    SaveResult PrepareSave();
    // The file at `path` now holds the table: it is the table's file.
    void Saved(const std::string& path);
    // The window's title with the file's name before the program's.
    std::string Title(const std::string& programTitle) const;

    // ---- the copy of unsaved changes -------------------------------------------------------
    // What the copy holds: the table's text (FilePath names its file).
    std::string RecoveryText() const;
    // Whether the table changed since its copy was last written and can be
    // written now (editing, not halfway through a drag or a border).
    bool RecoveryDue() const { return !saved && recoveryStale_ && mode == EditMode::Editing; }
    void RecoveryWritten() { recoveryStale_ = false; }
    // A copy's table becomes the table, still unsaved, under its file's
    // name (`path`, empty for an untitled table); false when the copy does
    // not read (the table is then empty).
    bool Restore(const std::string& path, std::string_view text);

    // ---- checking and replays -----------------------------------------------------------------
    // Before a check: a drag, play and a border end, old findings go.
    void PrepareCheck();
    // The findings of a check of the table as it stands: shown over the
    // playfield until the table changes.
    void ShowFindings(PlaytestReport report);
    void DropFindings();
    const PlaytestReport* Findings() const { return findings_.get(); }
    // A finding chosen in the list: a piece's index in the report (from 0),
    // or a trap as -2 - its index.
    void ChooseFinding(int finding);
    // The replay of the last play (or of the replay last played back).
    const Replay* LastReplay() const { return lastReplay_.get(); }
    // A replay's table becomes the table, not yet saved, with a history of
    // its own; false after a message naming the line when the text is no
    // replay. PlayBack then plays it, once play has started.
    bool OpenReplay(std::string_view text, const std::string& path);
    bool PlayBack();
    // The options of every check (Check table and the check as you edit).
    PlaytestOptions checkOptions;

    // ---- check as you edit -------------------------------------------------------------------------
    // While on, the table as it stands is checked in the window's idle
    // time, a slice at a time, whenever it has no findings that describe
    // it: after every change, after play, after a check was cancelled.
    // The findings then show as a check's do, and their summary in the
    // status line. Play stops the check under way; so does any change of
    // the table, and a fresh one starts on the table as it then stands.
    void SetCheckAsYouEdit(bool on);
    bool CheckAsYouEdit() const { return checkAsYouEdit_; }
    // Whether idle time is wanted now: a check is due or under way.
    bool LiveCheckDue() const;
    // One slice of idle time: starts the check when due, else plays at most
    // `tickBudget` ticks of it, else shows its findings.
    struct IdleStep {
        bool more = false;  // more remains
        int64_t ticks = 0;  // ticks played, when the budget was used up
    };
    IdleStep LiveCheckStep(int64_t tickBudget);
    // Whether the findings describe the table as it stands.
    bool FindingsCurrent() const;

private:
    static bool InPlayfield(Point p);
    bool PlaceOrSelect(Point p);
    void PutBackDraggedPiece();
    void InvalidatePiece(const TablePiece& piece, bool erase);
    void InvalidatePlayfield(bool erase);
    bool AdditionRefused(int32_t fileRecords, int32_t countedRecords);
    // The table, its file and its history start over from a table file's bytes.
    void ReplaceTable(const std::string& path, std::span<const uint8_t> bytes);
    void Tell(EditorMessage message, MessageIcon icon = MessageIcon::None, std::string argument = {},
              std::string detail = {});

    TableSnapshot Snapshot() const;
    // Records the table as it stands as one step; the nudges of one piece
    // in a row make one step together.
    void RecordStep(bool nudge = false);
    // After the table or its history changed: `saved` and the recovery copy.
    void TableChanged();
    void RestoreState(const std::vector<uint8_t>& from, const TableSnapshot& to);
    // Undo while a border is drawn: its last corner goes, or the border.
    void TakeBackCorner();
    // The table is replaced: nothing may point into the old one.
    void ForgetPieces();

    const Overlay* OverlayToPaint();
    // Play ends: the play's replay is kept, playback stops.
    void FinishPlay();

    EditorView& view_;
    EditorTexts texts_;
    std::string filePath_;
    // currentPiece while it is dragged: out of the tree, so owned here;
    // where it came from and how far it went.
    std::unique_ptr<TablePiece> draggedPiece_;
    size_t dragIndex_ = 0;
    Point dragMoved_;
    // The piece the last arrow key nudged, while its run of nudges lasts.
    const TablePiece* lastNudged_ = nullptr;
    bool recoveryStale_ = false;

    std::unique_ptr<PlaytestReport> findings_;
    std::unique_ptr<FindingsOverlay> overlay_;
    std::string checkedTable_;  // the table as text when it was checked
    bool checkAsYouEdit_ = false;
    std::unique_ptr<Playtest> liveTest_;  // the check as you edit under way
    std::string liveTable_;               // the table it plays, as text
    std::string summary_;                 // the status line's summary, while shown
    // The status line: the summary while one is shown, else the tool's text.
    void ShowStatus();
    ReplayRecorder recorder_;
    std::unique_ptr<Replay> lastReplay_;
    std::unique_ptr<Replay> playback_;
    std::unique_ptr<KeyPlayback> playbackKeys_;
};

}  // namespace bw
