// The main window: the playfield on which the table is drawn at twice its
// size, the buttons and labels beside and below it, and the vertical
// toolbar on the right edge. Editing with the mouse and keys lives here
// too (table_editing.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "games/replay.h"
#include "model/history.h"
#include "model/table.h"
#include "games/playtest.h"
#include "ui/recent_tables.h"
#include "win/dialog.h"
#include "win/gdi_surface.h"
#include "win/handles.h"

namespace bw {
struct FileError;
}

namespace ui {

class CheckDialog;

// A file error reported by cause, naming the file; a path too long.
void ReportFileError(HWND owner, const bw::FileError& error);
void ReportPathTooLong(HWND owner, const std::string& path);

enum class EditMode : int32_t {
    Editing = 0,        // no mouse operation under way
    DrawingBorder = 1,  // a border polyline is being drawn
    Dragging = 2,       // the selected piece follows the mouse
    Playing = 3,        // the play timer runs
};

// `tool`: 0 none; 4 to 11 the piece kind a click places; 12 the pointer.
constexpr int32_t kNoTool = 0;
constexpr int32_t kPointerTool = 12;
constexpr UINT kFirstToolCommand = 32780;
constexpr UINT kLastToolCommand = 32788;
constexpr int32_t kToolCommandOffset = 32776;  // command - offset = tool

// Where a click with the tool may place its piece, in window pixels
// (right and bottom edges outside).
RECT AllowedClickArea(int32_t tool);

// The part of `path` after its last backslash; none for an empty path.
const char* FileNamePart(const char* path);

// The device-side player program beside the program whose help-file path
// (the program's path with ".HLP" for its extension) is given; empty when
// that path has no backslash.
std::string PlayerProgramPath(const std::string& helpFilePath);

class TableDialog : public win::Dialog {
public:
    TableDialog();
    ~TableDialog() override;

    // ---- what the window shows and keeps -------------------------------
    char filePath[MAX_PATH] = {};  // the current table file; empty: none
    int32_t speed = 20;            // play timer period, ms
    std::string coordinatesText;
    std::string statusText;
    std::string scoreText;
    HICON icon = nullptr;
    win::OwnedWindow toolTip;
    win::OwnedWindow toolBar;
    bool saved = true;
    int32_t recordCount = 1;  // file records the table takes, as editing counts them
    UINT_PTR timerId = 1;
    bw::TablePiece* currentPiece = nullptr;
    bw::PieceGroup* currentGroup = nullptr;
    std::string helpPath;
    POINT lastMouse{0, 0};
    RECT playfield{0, 0, 249, 199};
    HPEN piecePen = nullptr;  // held by `gdi`
    HPEN framePen = nullptr;  // held by `gdi`
    win::OwnedBitmap backBuffer;
    win::OwnedMemoryDc memoryDC;
    EditMode mode = EditMode::Editing;
    int32_t tool = kNoTool;

    // The table: its shared state and its root.
    bw::TableState state;
    std::unique_ptr<bw::TableRoot> root;

    // The table after each action, for Undo and Redo.
    bw::History history;
    RecentTables recent;
    // Where the copy of unsaved changes is kept; empty: no copy is kept.
    // Set before the window starts (the application sets it).
    std::string recoveryFile;
    static constexpr UINT_PTR kRecoveryTimer = 2;
    static constexpr UINT kRecoveryPeriod = 2000;  // ms

    // ---- operations ------------------------------------------------------
    // Makes a path absolute (against the current folder, now) and copies
    // it into filePath; false (and nothing copied) when it does not fit.
    bool SetFilePath(std::string_view path);

    // Paints the playfield on `dc`: everything is clipped to the playfield.
    // WM_PAINT uses it on the window's paint context.
    void PaintPlayfield(HDC dc);

    bool IsActiveWindow() const;
    void SelectTool(UINT command);
    void ResetToolButtons();
    void EndBorder();
    void EndDrag();
    void DeleteSelected();
    void ToggleSelectionFrame(HDC dc);
    // Moves currentPiece by (dx, dy) window pixels; false when the piece
    // would leave the table and so stays where it is.
    bool MoveCurrentPiece(int32_t dx, int32_t dy, bool copy);
    void DrawCurrentPiece(bool xorMode);
    void StopPlay();

    // ---- play (table_play.cpp) ------------------------------------------------
    void StartPlay();
    // One tick of play: the game's own tick, then the repaint of what it
    // changed and the score.
    void PlayStep();
    void ClearTable();
    // Key-ups of Z, X and SPACE to the table, as if the keys were let go.
    void ReleaseKeys();

    // Replaces the table with the table file at `path`; false when the
    // file is refused or cannot be read (the window and the table are then
    // unchanged; a file that cannot be read is reported by cause).
    bool LoadTable(const char* path);
    void UpdateTitle(const char* path);

    // ---- history and clipboard (table_history.cpp) ----------------------------
    bw::TableSnapshot Snapshot() const;
    // Records the table as it stands as one step; the nudges of one piece
    // in a row make one step together.
    void RecordStep(bool nudge = false);
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditDelete();
    // Whether an Edit command can act now (what its menu item shows).
    bool CanAct(UINT command) const;

    // ---- the copy of unsaved changes (table_recovery.cpp) -------------------------
    static std::string DefaultRecoveryFile();
    // Writes the copy if the table has changed since it was last written,
    // or removes it if nothing is unsaved.
    void UpdateRecovery();
    void RemoveRecovery();
    // At start: offers a copy left behind; true when the table was restored.
    bool OfferRecovery();

    // ---- file commands and sending (table_files.cpp) ------------------------
    // The unsaved prompt: true when the caller may go on (nothing unsaved,
    // changes dropped, or saved).
    bool QuerySaveChanges();
    // Saves the table, through the Save dialog when `saveAs` or when there
    // is no file yet. Returns the records written (end record included), or
    // kSaveCancelled, or kSaveFailed once the failure has been reported.
    int32_t SaveTable(bool saveAs);
    static constexpr int32_t kSaveCancelled = -1;
    static constexpr int32_t kSaveFailed = -2;
    void OnFileOpen();
    void OnOpenRecent(size_t index);
    // Opens a table named from outside the file dialog (the command line,
    // the recent list, a drop): the name must be one the Talvik accepts.
    bool OpenNamedTable(const std::string& path);
    void UpdateRecentMenu();
    void OnSendToDevice();
    void OnDownloadPlayer();

    // ---- checking and replays (table_check.cpp) --------------------------------
    // Plays the table many times in slices, with progress and Cancel, then
    // shows the findings over the playfield and in a list.
    void OnCheckTable();
    // The findings of the last check, while the table is as it was checked.
    const bw::PlaytestReport* Findings() const { return findings.get(); }
    CheckDialog* FindingsList() const { return checkDialog.get(); }
    // A finding chosen in the list: a piece's index in the report (from 0),
    // or a trap as -2 - its index.
    void ChooseFinding(int finding);
    void DropFindings();
    void OnOpenReplay();
    void OnSaveReplay();
    // The replay of the last play (or of the replay last played back).
    const bw::Replay* LastReplay() const { return lastReplay.get(); }
    bool WriteReplayFile(const std::string& path);
    // Puts a replay's table in the window and plays it back; false after a
    // message naming the line when the text is no replay.
    bool PlayReplayText(const std::string& text, const std::string& path);
    bool PlayingBack() const { return playbackKeys != nullptr; }
    // The records a table file would need after an addition of `added`
    // records to the table as it stands.
    int32_t FileRecordsAfter(int32_t added) const;

protected:
    // The two controls that initialisation cannot go on without.
    virtual HWND CreateToolBarControl();
    virtual HWND CreateToolTipControl();

    BOOL OnInitDialog() override;
    void DoDataExchange(win::DataExchange& dx) override;
    bool PreTranslateMessage(MSG& msg) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnQueryEndSession(BOOL& mayEnd) override;
    bool OnPaint() override;
    bool OnLButtonDown(UINT keys, POINT p) override;
    bool OnLButtonUp(UINT keys, POINT p) override;
    bool OnLButtonDblClk(UINT keys, POINT p) override;
    bool OnRButtonDown(UINT keys, POINT p) override;
    bool OnMouseMove(UINT keys, POINT p) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnActivate(UINT how, HWND other) override;
    bool OnSysCommand(UINT command, LPARAM lp) override;
    bool OnHelpRequest(const HELPINFO& info) override;
    HICON OnQueryDragIcon() override;
    bool OnInitMenuPopup(HMENU menu, UINT index, bool systemMenu) override;
    bool OnDrawItem(UINT controlId, const DRAWITEMSTRUCT& item) override;
    bool OnDropFiles(HDROP drop) override;
    void OnDestroy() override;

private:
    bool CreateToolBar();
    bool CreateToolTips();
    void FailInitialisation(UINT messageId);
    void OpenStartupFile();
    void ReleaseToolButtons(LPARAM position);
    bool HandleEditingKey(const MSG& msg);
    bool HandleShortcut(const MSG& msg);
    bool HandlePlayKey(const MSG& msg);
    // The playfield in play: the table drawn into the back buffer, which
    // is copied to `dc`.
    void PaintPlayBuffer(HDC dc);
    void OnHelp();
    void OnAppAbout();
    void OnAppExit();

    // Editing steps.
    bool PlaceOrSelect(POINT p);
    void PutBackDraggedPiece();
    void InvalidatePieceRegion(const bw::TablePiece& piece, bool erase);
    // Undo while a border is drawn: its last corner goes, or the border.
    void TakeBackCorner();
    // The table becomes `to`, coming from the table file `from`.
    void RestoreState(const std::vector<uint8_t>& from, const bw::TableSnapshot& to);
    // After the table or its history changed: `saved` and the recovery copy.
    void TableChanged();
    // True when the budget refuses an addition of `fileRecords` records to
    // the file and `countedRecords` to the editor's count (after a message).
    bool AdditionRefused(int32_t fileRecords, int32_t countedRecords);

    // The findings overlay, when the table is still the one checked.
    const bw::Overlay* OverlayToPaint();
    // Play ends: the play's replay is kept, playback stops.
    void FinishPlay();

    win::GdiCache gdi;
    std::unique_ptr<CheckDialog> checkDialog;
    std::unique_ptr<bw::PlaytestReport> findings;
    std::unique_ptr<bw::FindingsOverlay> overlay;
    std::string checkedTable;  // the table as text when it was checked
    bool checking = false;
    bw::ReplayRecorder recorder;
    std::unique_ptr<bw::Replay> lastReplay;
    std::unique_ptr<bw::Replay> playback;
    std::unique_ptr<bw::KeyPlayback> playbackKeys;
    win::OwnedIcon smallIcon;
    // currentPiece while it is dragged: out of the tree, so owned here.
    std::unique_ptr<bw::TablePiece> draggedPiece;
    // True while the dialog manager's own handling of an activation runs.
    bool activationDefaultRunning = false;
    // The piece the last arrow key nudged, while its run of nudges lasts.
    const bw::TablePiece* lastNudged = nullptr;
    bool recoveryStale = false;
};

}  // namespace ui
