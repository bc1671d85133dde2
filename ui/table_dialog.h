// The main window: the playfield on which the table is drawn at twice its
// size, the buttons and labels beside and below it, and the vertical
// toolbar on the right edge.
//
// The window only routes: each message handler hands its message to the
// editor (editor/editor.h), which holds the table and every rule of
// editing, and the window carries out what the editor asks of it through
// the EditorView interface: painting, message boxes, texts, the toolbar,
// the timer, the clipboard. Files, dialogs and the device live here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "editor/editor.h"
#include "workers/worker_runner.h"
#include "win/recent_tables.h"
#include "win/back_buffer.h"
#include "win/dialog.h"
#include "win/handles.h"
#include "win/recovery_store.h"
#include "win/toolbar.h"
#include "win/window_zoom.h"

#include <vector>

namespace ui {

class CheckDialog;

constexpr UINT kFirstToolCommand = 32780;
constexpr UINT kLastToolCommand = 32788;
constexpr int32_t kToolCommandOffset = 32776;  // command - offset = tool

class TableDialog : public win::Dialog, private bw::EditorView {
public:
    TableDialog();
    ~TableDialog() override;

    // The table and its editing; there from the window's creation on.
    bw::Editor& editor() { return *editor_; }
    // The table file to open at start (made absolute); false (and nothing
    // kept) when the path is too long for a table's path.
    bool SetFilePath(const std::string& path);
    // Where the copy of unsaved changes is kept; none: no copy is kept.
    // Set before the window starts (the application sets it).
    std::unique_ptr<win::RecoveryStore> recovery;
    static constexpr UINT_PTR kPlayTimer = 1;
    static constexpr UINT_PTR kRecoveryTimer = 2;  // the copy is written at most this far behind
    static constexpr UINT kRecoveryPeriod = 2000;  // ms
    // Checking as you edit: posted behind every message that may change the
    // table while the check is on, and by the workers when its games are over.
    static constexpr UINT kCheckMessage = WM_APP + 1;
    // Check table's progress, and the end of its games.
    static constexpr UINT kCheckTableMessage = WM_APP + 2;
    static constexpr char kCheckAsYouEditSetting[] = "Check as you edit";
    std::string helpPath;

    // Replaces the table with the table file at `path`; false when the file
    // is refused or cannot be read (reported; the table is then unchanged).
    bool LoadTable(const std::string& path);
    // The unsaved prompt: true when the caller may go on (nothing unsaved,
    // changes dropped, or saved).
    bool QuerySaveChanges();
    // Paints the playfield on `dc`, clipped to it. WM_PAINT uses it.
    void PaintPlayfield(HDC dc);
    HWND ToolBar() const { return toolBar_.get(); }
    // The playfield's zoom now, and the screen's DPI.
    int Zoom() const { return view_.Zoom().zoom(); }
    UINT Dpi() const { return view_.Dpi(); }
    HWND ToolTip() const { return toolTip_.get(); }
    CheckDialog* FindingsList() const { return checkDialog_.get(); }

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
    bool OnMenuSelect(UINT item, UINT flags, HMENU menu) override;
    bool OnDrawItem(UINT controlId, const DRAWITEMSTRUCT& item) override;
    bool OnDropFiles(HDROP drop) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnDpiChanged(UINT dpi, const RECT& suggested) override;
    bool OnEnable(bool enabled) override;
    bool OnAppMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy() override;

private:
    // ---- what the editor asks (table_dialog.cpp) ----
    void Invalidate(const bw::Region& area, bool erase) override;
    void DrawNow(const std::function<void(bw::Surface&)>& draw) override;
    bw::MessageAnswer Ask(const bw::MessageRequest& request) override;
    bool IsActive() const override;
    void CaptureMouse(bool capture) override;
    void TextsChanged() override;
    void ScoreChanged() override;
    void ToolChanged() override;
    void PlayStarted() override;
    void PlayStopped() override;
    void FileChanged() override;
    bool PutOnClipboard(const std::string& text) override;
    std::optional<std::string> ClipboardText(size_t most) override;
    bool ClipboardHasText() const override;
    void DiscardRecovery() override;
    void UpdateRecovery() override;
    void FindingsDropped() override;

    // ---- start-up and keys (table_dialog.cpp, table_keys.cpp) ----
    // The toolbar and its tool tips for a screen of `dpi`; false once the
    // window has failed without them.
    bool CreateToolBar(UINT dpi);
    bool FailInitialisation(UINT messageId);
    void InitControls();
    bool HandleShortcut(const MSG& msg);
    void StartPlay();
    void OnHelp();

    // ---- the layout at any DPI and zoom (table_zoom.cpp) ----
    void OnZoomCommand(UINT command);
    // Whether View › Zoom's item `command` would change the zoom.
    bool CanZoom(UINT command) const;
    // The window's point as the editor's.
    bw::Point EditorPoint(POINT window) const;

    // ---- files and the device (table_files.cpp) ----
    void OpenStartupFile();
    // Saves the table, through the Save dialog when `saveAs` or when there
    // is no file yet. Returns the records written (end record included), or
    // kSaveCancelled, or kSaveFailed once the failure has been reported.
    int32_t SaveTable(bool saveAs);
    static constexpr int32_t kSaveCancelled = -1;
    static constexpr int32_t kSaveFailed = -2;
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecent(size_t index);
    bool OpenNamedTable(const std::string& path);
    void AddRecent(const std::string& path);
    void ShowRecent();
    void OnSendToDevice();
    void OnDownloadPlayer();
    void OnExportPage();  // table_export.cpp
    void CloseWindow(INT_PTR result);

    // ---- checking and replays (table_check.cpp) ----
    // How the checks' workers start, and what they post the window when
    // their games are over (and, with `progress`, as they go).
    bw::CheckCalls WorkerCalls(UINT message, bool progress = false);
    void OnCheckTable();
    // Handles the messages, the progress shown, until the games are over
    // (their report delivered) or cancelled.
    void RunCheck(bw::WorkerRunner& games);
    void OnOpenReplay();
    void OnSaveReplay();
    void OnCheckAsYouEdit();
    // The menu item's check mark, as the setting is.
    void ShowCheckAsYouEdit();
    // Once the messages waiting now are handled, the check as you edit looks
    // at the table (kCheckMessage).
    void IdleSoon();

    // ---- the copy of unsaved changes (table_recovery.cpp) ----
    // At start: offers a copy left behind; true when the table was restored.
    bool OfferRecovery();
    void RemoveRecovery();

    // The check as you edit, on worker threads, joined before the window goes.
    bw::WorkerRunner liveChecks_;
    bool idlePosted_ = false;
    int idleWaits_ = 0;  // times the look waited behind other messages
    std::unique_ptr<bw::Editor> editor_;
    std::string startupFile_;
    int32_t speed_ = 20;  // play timer period, ms
    HICON icon_ = nullptr;
    win::OwnedIcon smallIcon_;
    win::OwnedBitmap toolBarPictures_;  // outlives the toolbar that shows them
    win::OwnedWindow toolTip_;
    win::OwnedWindow toolBar_;
    win::PressedButtons pressed_;
    win::WindowZoom view_;
    win::BackBuffer buffer_;
    win::RecentTables recent_;
    std::unique_ptr<CheckDialog> checkDialog_;
    bool checking_ = false;
};

}  // namespace ui
