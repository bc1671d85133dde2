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
    Dragging = 2,       // the selected pieces follow the mouse
    Playing = 3,        // the play timer runs
    Selecting = 4,      // a rubber band is drawn from where the pointer was pressed
};

// `tool`: 0 none; 4 to 11 the piece kind a click places; 12 the pointer.
constexpr int32_t kNoTool = 0;
constexpr int32_t kPointerTool = 12;

// The editing keys the editor takes, as virtual keys.
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;

enum class EditCommand : int32_t {
    Undo, Redo, Cut, Copy, Paste, Delete,
    SelectAll, Duplicate, Mirror, MirrorCopy, Align, Distribute,
};

// Align's sides, by the selection's bounding box.
enum class Alignment : int32_t { Left, Centre, Right, Top, Middle, Bottom };

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

// The x a table position goes to in a mirror image about the vertical line
// at table x = axis / 2 (the mirror copy's line is kMirrorCopyAxis / 2, the
// playfield's centre column 62).
constexpr int32_t kMirrorCopyAxis = 124;
constexpr int32_t MirroredX(int32_t axis, int32_t x) { return axis - x; }

// How far right and down Duplicate puts its copy, in table pixels.
constexpr int32_t kDuplicateOffset = 4;

// The part of a path after its last backslash; empty for an empty path.
std::string_view FileNamePart(std::string_view path);


// The texts the editor shows itself, in the window's language.
struct EditorTexts {
    std::array<std::string, kPointerTool + 1> tools;  // the status line of each tool
    std::string replayPlaying;                       // the status line while a replay plays
    std::string piecesSelected;  // the status line with two or more selected: "%d" is their number
    // The status line's summary of a check as you edit: no findings; else
    // the counts ("%1" the number; a trap and traps apart) and the endless
    // games, joined by ", " and put into `findingsHint`.
    std::string checkClean;
    std::string checkUnreached;
    std::string checkTrap, checkTraps;
    std::string checkEndless;  // the ball never drains
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
    // Escape: the selection is cleared.
    void Escape();
    bool PointerHasPiece() const { return tool == kPointerTool && !selection_.empty(); }

    // ---- the selection ----------------------------------------------------------
    // The pieces the pointer has selected, in table order; currentPiece is
    // the selected piece while there is exactly one.
    const std::vector<TablePiece*>& Selection() const { return selection_; }
    // The selection becomes `pieces` (children of the table, pointer tool).
    void Select(std::vector<TablePiece*> pieces);

    // ---- tools and editing steps -------------------------------------------------
    void SelectTool(int32_t newTool);
    void ResetToolButtons();
    void EndBorder();
    void EndDrag();
    void DeleteSelected();
    // Draws the selection frame in XOR on `target`, or at once on the window.
    void ToggleSelectionFrame(Surface* target);
    // Moves currentPiece (with the pointer: every selected piece) by (dx,
    // dy) window pixels; false when a piece would leave the table and so
    // nothing moves.
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
    bool PlaceOrSelect(Point p, bool shift);
    void StartDrag(TablePiece* hit);
    void PutBackDraggedPiece();
    // The rubber band: drawn in XOR; finished, it selects what lies inside.
    Rect BandRect() const;
    void DrawBand(Surface* target);
    void FinishBand(bool select);
    void ShowSelectionCount();
    // What moves with the mouse and the arrow keys: the selection with the
    // pointer, otherwise currentPiece.
    std::vector<TablePiece*> MovingPieces() const;
    bool FramesShown() const;
    // The selected pieces' items in the table file, in order.
    std::vector<int32_t> SelectedItems() const;
    // The table becomes `bytes` as one action, with the items `selected`
    // selected; only what changed is repainted.
    void ApplyTable(std::vector<uint8_t> bytes, int32_t newCount, const std::vector<int32_t>& selected);
    // Each selected item's records moved by `move` (dx, dy per item), or
    // mirrored about `axis`; false, after a message, when a piece would
    // leave its area.
    bool TransformSelected(std::vector<uint8_t>& file, const std::vector<int32_t>& items,
                           const std::vector<Point>* move, int32_t axis);
    void InvalidatePiece(const TablePiece& piece, bool erase);
    void InvalidatePlayfield(bool erase);
    bool AdditionRefused(int32_t fileRecords, int32_t countedRecords);
    // The selected pieces as table text, one header for all.
    std::string SelectionText() const;
    // The pieces of a table text added as Paste adds them (inside the
    // playfield, off the pieces they would cover), selected with the
    // pointer; false after a message when they are refused.
    bool AddPieces(std::string_view text);
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
    // The table is replaced by `to` (from being what it was): what changed
    // is repainted and the items `selected` become the selection.
    void ShowTable(const std::vector<uint8_t>& from, const TableSnapshot& to, const std::vector<int32_t>& selected);
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
    std::vector<TablePiece*> selection_;
    // The selected pieces while they are dragged: out of the tree, so
    // owned here, each with its place in the list; and how far they went.
    struct Held {
        size_t index;
        std::unique_ptr<TablePiece> piece;
    };
    std::vector<Held> dragged_;
    Point dragMoved_;
    // A press on one piece of a larger selection: it alone is selected when
    // the drag goes nowhere.
    TablePiece* pressedPiece_ = nullptr;
    // The rubber band's corner where the pointer was pressed; whether it
    // adds to the selection.
    Point bandStart_;
    bool bandAdds_ = false;
    // The pieces the last arrow key nudged, while their run of nudges lasts.
    std::vector<TablePiece*> lastNudged_;
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
