// The one place where the tests reach the editor: a view that keeps a
// screen of its own, and a driver that carries out the actions of a script
// as the window carries out the user's (its file commands and prompts
// included) and reads back what the checks look at. The generator, the
// script, the checks and the shrinker know only this surface, so that a new
// editor needs a new driver and nothing else.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/editor.h"
#include "files/table_file.h"
#include "files/table_text.h"
#include "games/replay.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "tests/editor_fuzz/script.h"

namespace bwfuzz {

// A view that keeps a screen (a pixel buffer at the drawing's scale, the
// table twice its size) painted where the editor invalidates and drawn on
// where it draws at once; answers questions from a queue; holds a
// clipboard.
class ScreenView : public bw::EditorView {
public:
    bw::SoftSurface screen{bw::kPlayfieldWidth, bw::kPlayfieldHeight};
    bool wholeDirty = false;
    // While play ticks, what they invalidate counts as the whole playfield:
    // the screen is compared with a repaint only in editing.
    bool coarse = false;
    std::function<void(bw::Surface&)> paint;  // the window's paint of the playfield
    bool active = true;
    bool captured = false;
    std::deque<bw::MessageAnswer> answers;
    std::vector<bw::MessageRequest> asked;
    std::optional<std::string> clipboard;
    int playStarts = 0, playStops = 0, fileChanges = 0, discards = 0, findingsDrops = 0;

    void Invalidate(const bw::Region& area, bool) override {
        // As the system does: no region at all means the whole window.
        if (area.IsEmpty() || coarse) wholeDirty = true;
        if (wholeDirty) return;
        const int32_t w = screen.Width(), h = screen.Height();
        area.ForEachRect([&](const bw::Rect& r) {
            const bw::Rect& p = bw::kPlayfield;
            if (r.left <= p.left && r.top <= p.top && r.right >= p.right && r.bottom >= p.bottom) wholeDirty = true;
            const int32_t left = std::max(r.left, 0), right = std::min(r.right, w);
            for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, h) && left < right; ++y)
                std::fill_n(dirty_.begin() + y * w + left, right - left, uint8_t{1});
            anyDirty_ = true;
        });
    }
    void DrawNow(const std::function<void(bw::Surface&)>& draw) override {
        screen.SetClip(bw::kPlayfield);
        draw(screen);
    }
    bw::MessageAnswer Ask(const bw::MessageRequest& request) override {
        asked.push_back(request);
        return NextAnswer(bw::MessageAnswer::Ok);
    }
    bw::MessageAnswer NextAnswer(bw::MessageAnswer otherwise) {
        if (answers.empty()) return otherwise;
        const bw::MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool IsActive() const override { return active; }
    void CaptureMouse(bool capture) override { captured = capture; }
    void TextsChanged() override {}
    void ScoreChanged() override {}
    void ToolChanged() override {}
    void PlayStarted() override { ++playStarts; }
    void PlayStopped() override { ++playStops; }
    void FileChanged() override { ++fileChanges; }
    bool PutOnClipboard(const std::string& text) override {
        clipboard = text;
        return true;
    }
    std::optional<std::string> ClipboardText(size_t most) override {
        if (!clipboard) return std::nullopt;
        return clipboard->substr(0, most);
    }
    bool ClipboardHasText() const override { return clipboard.has_value(); }
    void DiscardRecovery() override { ++discards; }
    void UpdateRecovery() override {}
    void FindingsDropped() override { ++findingsDrops; }

    // The paint the window would make now: what is invalid is painted anew
    // (again, when painting invalidated more: stale findings go then).
    void Paint() {
        for (int round = 0; round < 3; ++round) {
            if (std::exchange(wholeDirty, false)) std::fill(dirty_.begin(), dirty_.end(), 1);
            std::swap(dirty_, painted_);
            std::fill(dirty_.begin(), dirty_.end(), 0);
            anyDirty_ = false;
            PaintFresh();
            CopyFresh(painted_);
            if (!wholeDirty && !anyDirty_) return;
        }
    }
    // The whole playfield as the last paint drew it, and as a full repaint
    // shows it now.
    const std::vector<bw::Color>& LastFullPaint() const { return fresh_.Pixels(); }
    const std::vector<bw::Color>& Repainted() {
        PaintFresh();
        return fresh_.Pixels();
    }

private:
    void PaintFresh() {
        fresh_.SetClip(bw::kPlayfield);
        fresh_.SetRasterMode(bw::RasterMode::CopyPen);
        fresh_.SelectPen(bw::Pen{});
        paint(fresh_);
    }
    // The fresh picture's pixels go to the screen where `area` marks them
    // (those that differ, a run of one colour at a time).
    void CopyFresh(const std::vector<uint8_t>& area) {
        screen.SetRasterMode(bw::RasterMode::CopyPen);
        const int32_t w = screen.Width();
        const bw::Color *from = fresh_.Pixels().data(), *to = screen.Pixels().data();
        for (int32_t y = 0; y < screen.Height(); ++y) {
            const size_t row = static_cast<size_t>(y * w);
            if (std::equal(from + row, from + row + w, to + row)) continue;
            for (int32_t x = 0; x < w; ++x) {
                const size_t at = row + static_cast<size_t>(x);
                if (!area[at] || from[at] == to[at]) continue;
                int32_t end = x + 1;
                while (end < w && area[row + end] && from[row + end] == from[at] && from[row + end] != to[row + end]) ++end;
                const bw::Rect run{x, y, end, y + 1};
                screen.SetClip(run);
                screen.FillRect(run, from[at]);
                x = end - 1;
            }
        }
    }
    // Which pixels are invalid (one byte a pixel), and were when the paint began.
    std::vector<uint8_t> dirty_ = std::vector<uint8_t>(static_cast<size_t>(bw::kPlayfieldWidth * bw::kPlayfieldHeight));
    std::vector<uint8_t> painted_ = dirty_;
    bool anyDirty_ = false;
    bw::SoftSurface fresh_{bw::kPlayfieldWidth, bw::kPlayfieldHeight};
};

// What the editor is in the middle of.
enum class Gesture { None, Border, Drag, Band };

// The messages the editor and the window show, by what they are about.
enum class Said {
    TooComplex, NotATable, ClearQuestion, PasteNotATable, NoFreePlace, BadReplay, OutsideArea,
    MirrorImageThere, NotSaved, NoReplay, SaveFailed,
};

struct HistoryState {
    size_t size = 0, position = 0;
    std::vector<uint8_t> current;  // the table file of the step the editor is at
    bool operator==(const HistoryState&) const = default;
};

class Driver {
public:
    static constexpr char kTablePath[] = "C:\\tables\\t.bwt";

    Driver() : editor(view, bw::BuiltinImageLoader{}, Texts(), checks) {
        view.paint = [this](bw::Surface& target) { editor.Paint(target); };
        view.Paint();
    }
    // The example tests reach the editor and the view themselves.
    ScreenView view;
    bw::SliceRunner checks;
    bw::Editor editor;

    static bw::EditorTexts Texts() {
        bw::EditorTexts t;
        for (int i = 0; i <= bw::kPointerTool; ++i) t.tools[static_cast<size_t>(i)] = "tool " + std::to_string(i);
        t.replayPlaying = "replay";
        t.piecesSelected = "%1 selected";
        t.checkClean = "no unreached pieces, no traps";
        t.checkUnreached = "%1 unreached";
        t.checkTrap = "%1 trap";
        t.checkTraps = "%1 traps";
        t.checkEndless = "the ball never drains";
        t.findingsHint = "%1: Ctrl+K for the list";
        const char* const names[] = {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete",
                                     "Select All", "Duplicate", "Mirror", "Mirror copy", "Align", "Distribute"};
        for (size_t i = 0; i < bw::kEditCommands; ++i) t.commands[i] = names[i];
        return t;
    }

    // The check as you edit plays a few short games, so that its slices end.
    void UseShortChecks() {
        bw::PlaytestOptions o = editor.CheckOptions();
        o.games = 2;
        o.ticks = 300;
        editor.SetCheckOptions(o);
    }

    // ---- actions --------------------------------------------------------------------
    // One action. The window paints only where the script says so (P), as
    // it may handle several messages before it paints.
    void Do(const Action& a) {
        const size_t before = view.asked.size();
        if (!DoMouse(a) && !DoKey(a) && !DoEdit(a) && !DoWindow(a)) DoFile(a);
        for (size_t i = before; i < view.asked.size(); ++i) said_.push_back(SaidOf(view.asked[i].message));
    }
    // The messages shown since the last call.
    std::vector<Said> TakeMessages() {
        view.asked.clear();
        return std::exchange(said_, {});
    }

    // ---- what the checks read --------------------------------------------------------
    const bw::TableRoot& Table() const { return editor.table(); }
    // The selected pieces in the editor's order, the ones being dragged included.
    std::vector<const bw::TablePiece*> Selected() const {
        return editor.Selection();
    }
    Gesture CurrentGesture() const {
        switch (editor.mode()) {
            case bw::EditMode::DrawingBorder: return Gesture::Border;
            case bw::EditMode::Dragging: return Gesture::Drag;
            case bw::EditMode::Selecting: return Gesture::Band;
            default: return Gesture::None;
        }
    }
    bool Playing() const { return editor.mode() == bw::EditMode::Playing; }
    bool PlayingBack() const { return editor.PlayingBack(); }
    bool PointerChosen() const { return editor.tool() == bw::kPointerTool; }
    bool Saved() const { return editor.saved(); }
    int32_t RecordCount() const { return editor.recordCount(); }
    bool Captured() const { return view.captured; }
    bool Active() const { return view.active; }
    HistoryState History() const {
        const bw::History& h = editor.document().history();
        return {h.Size(), h.Position(), h.Current().bytes};
    }
    bool CanUndo() const { return editor.CanAct(bw::EditCommand::Undo); }
    bool CanRedo() const { return editor.CanAct(bw::EditCommand::Redo); }
    // Every step of the history, oldest first.
    std::vector<std::vector<uint8_t>> HistorySteps() const {
        bw::History copy = editor.document().history();
        while (copy.Undo()) {
        }
        std::vector<std::vector<uint8_t>> steps{copy.Current().bytes};
        while (const bw::TableSnapshot* s = copy.Redo()) steps.push_back(s->bytes);
        return steps;
    }
    const bw::Replay* LastReplay() const { return editor.LastReplay(); }
    const std::string& ReplayFile() const { return replayFile_; }
    // The bytes of the table's file as last saved or opened.
    const std::vector<uint8_t>& LastFile() const { return lastFile_; }
    const std::optional<std::string>& Clipboard() const { return view.clipboard; }
    const std::vector<bw::Color>& Screen() const { return view.screen.Pixels(); }
    // The playfield as the last paint (P) drew it all.
    const std::vector<bw::Color>& FullPaint() const { return view.LastFullPaint(); }

    // Where a click with the tool that places `kind` (a border's corner:
    // kBorderSegment) puts it, in table pixels (right and bottom outside),
    // found by clicking on an empty table along the playfield's middle row
    // and column: the tools' areas are rectangles.
    static bw::Rect ClickArea(int32_t kind) {
        static std::vector<std::optional<bw::Rect>> areas(bw::kBorderSegment + 1);
        if (kind < bw::kObstacle10 || kind > bw::kBorderSegment) return {};
        std::optional<bw::Rect>& area = areas[static_cast<size_t>(kind)];
        if (area) return *area;
        static Driver scratch;
        scratch.view.coarse = true;
        bw::Editor& e = scratch.editor;
        auto places = [&](int32_t x, int32_t y) {
            e.SelectTool(kind);
            e.LButtonDown({x * bw::kWindowScale, y * bw::kWindowScale});
            const bool placed = e.table().FirstChild() != nullptr;
            e.LButtonUp();
            e.RButtonDown();
            e.NewTable();
            scratch.view.asked.clear();
            return placed;
        };
        bw::Rect r{bw::kTableWidth, bw::kTableHeight, 0, 0};
        for (int32_t x = 0; x < bw::kTableWidth; ++x)
            if (places(x, bw::kTableHeight / 2)) r.left = std::min(r.left, x), r.right = x + 1;
        for (int32_t y = 0; y < bw::kTableHeight; ++y)
            if (places(bw::kTableWidth / 2, y)) r.top = std::min(r.top, y), r.bottom = y + 1;
        area = r;
        return r;
    }

private:
    static Said SaidOf(bw::EditorMessage m) {
        using M = bw::EditorMessage;
        switch (m) {
            case M::TooComplex: return Said::TooComplex;
            case M::NotATable: return Said::NotATable;
            case M::ClearQuestion: return Said::ClearQuestion;
            case M::PasteNotATable: return Said::PasteNotATable;
            case M::NoFreePlace: return Said::NoFreePlace;
            case M::MirrorImageThere: return Said::MirrorImageThere;
            case M::BadReplay: return Said::BadReplay;
            case M::OutsideArea: return Said::OutsideArea;
        }
        return Said::OutsideArea;
    }
    bool DoMouse(const Action& a) {
        const bw::Point p{a.x, a.y};
        switch (a.op) {
            case Op::Click: editor.LButtonDown(p), editor.LButtonUp(); return true;
            case Op::Press: editor.LButtonDown(p); return true;
            case Op::ShiftClick: editor.LButtonDown(p, true), editor.LButtonUp(); return true;
            case Op::ShiftPress: editor.LButtonDown(p, true); return true;
            case Op::Move: editor.MouseMove(p); return true;
            case Op::Release: editor.LButtonUp(); return true;
            case Op::RightClick: editor.RButtonDown(); return true;
            case Op::DoubleClick:
                editor.LButtonDown(p), editor.LButtonUp(), editor.LButtonDblClk(p), editor.LButtonUp();
                return true;
            default: return false;
        }
    }
    // Every key message passes the play first, as the window pre-translates it.
    bool DoKey(const Action& a) {
        auto key = [&](int32_t vk, bool down) { return editor.PlayKeyMessage(vk, true, down); };
        switch (a.op) {
            case Op::Left: key(bw::kKeyLeft, true) || editor.ArrowKey(bw::kKeyLeft); return true;
            case Op::Right: key(bw::kKeyRight, true) || editor.ArrowKey(bw::kKeyRight); return true;
            case Op::Up: key(bw::kKeyUp, true) || editor.ArrowKey(bw::kKeyUp); return true;
            case Op::Down: key(bw::kKeyDown, true) || editor.ArrowKey(bw::kKeyDown); return true;
            case Op::Escape: key(27, true), editor.Escape(); return true;
            case Op::DeleteKey:
                if (!key(46, true) && editor.PointerHasPiece()) editor.Delete();
                return true;
            case Op::KeyDownZ: key(bw::kKeyZ, true); return true;
            case Op::KeyUpZ: key(bw::kKeyZ, false); return true;
            case Op::KeyDownX: key(bw::kKeyX, true); return true;
            case Op::KeyUpX: key(bw::kKeyX, false); return true;
            case Op::KeyDownSpace: key(bw::kKeySpace, true); return true;
            case Op::KeyUpSpace: key(bw::kKeySpace, false); return true;
            default: return false;
        }
    }
    bool DoEdit(const Action& a) {
        bw::Editor& e = editor;
        switch (a.op) {
            case Op::Tool: e.SelectTool(a.x == kPointerNumber ? bw::kPointerTool : a.x); return true;
            case Op::Undo: e.Undo(); return true;
            case Op::Redo: e.Redo(); return true;
            case Op::Cut: e.Cut(); return true;
            case Op::Copy: e.Copy(); return true;
            case Op::Paste: e.Paste(); return true;
            case Op::Delete: e.Delete(); return true;
            case Op::Clear: e.Clear(); return true;
            case Op::SelectAll: e.SelectAll(); return true;
            case Op::Duplicate: e.Duplicate(); return true;
            case Op::Mirror: e.Mirror(); return true;
            case Op::MirrorCopy: e.MirrorCopy(); return true;
            case Op::AlignLeft: e.Align(bw::Alignment::Left); return true;
            case Op::AlignCentre: e.Align(bw::Alignment::Centre); return true;
            case Op::AlignRight: e.Align(bw::Alignment::Right); return true;
            case Op::AlignTop: e.Align(bw::Alignment::Top); return true;
            case Op::AlignMiddle: e.Align(bw::Alignment::Middle); return true;
            case Op::AlignBottom: e.Align(bw::Alignment::Bottom); return true;
            case Op::SpreadH: e.Distribute(false); return true;
            case Op::SpreadV: e.Distribute(true); return true;
            case Op::Walk:
                while (e.CanAct(bw::EditCommand::Undo)) e.Undo();
                while (e.CanAct(bw::EditCommand::Redo)) e.Redo();
                return true;
            default: return false;
        }
    }
    bool DoWindow(const Action& a) {
        switch (a.op) {
            case Op::Yes: view.answers.push_back(bw::MessageAnswer::Yes); return true;
            case Op::No: view.answers.push_back(bw::MessageAnswer::No); return true;
            case Op::Cancel: view.answers.push_back(bw::MessageAnswer::Cancel); return true;
            case Op::Inactive: view.active = false; return true;
            case Op::Active:
                // Keys held while another window was active never came here.
                view.active = true;
                editor.ReleaseKeys();
                return true;
            case Op::Start:
                if (!Playing()) editor.StartPlay();
                return true;
            case Op::Stop: editor.StopPlay(); return true;
            case Op::Tick:
                view.coarse = true;
                for (int32_t i = 0; i < std::min(a.x, 20000) && Playing(); ++i) editor.PlayStep();
                view.coarse = false;
                return true;
            case Op::LiveOn: editor.SetCheckAsYouEdit(true); return true;
            case Op::LiveOff: editor.SetCheckAsYouEdit(false); return true;
            case Op::Idle:
                editor.Idle();
                if (checks.Busy()) checks.RunSlice(std::max(a.x, 1));
                return true;
            case Op::Clip: view.clipboard = a.Text(); return true;
            case Op::Paint: view.Paint(); return true;
            default: return false;
        }
    }
    // The file commands as the window carries them out, the unsaved prompt
    // first where it asks; the file dialogs answered with a name.
    void DoFile(const Action& a) {
        switch (a.op) {
            case Op::SaveAs: Save(a.name); break;
            case Op::Save: Save(editor.FilePath()); break;
            case Op::New:
                if (!QuerySaveChanges()) break;
                editor.NewTable();
                lastFile_ = bw::TableFileBytes(*bw::Table(bw::NoImageLoader{}).root);
                break;
            case Op::Open: {
                bw::Table t(bw::NoImageLoader{});
                std::string error;
                bw::TextToTable(a.Text(), *t.root, error);
                OpenFile(bw::TableFileBytes(*t.root));
                break;
            }
            case Op::OpenBytes: {
                const std::string bytes = a.Text();
                OpenFile({bytes.begin(), bytes.end()});
                break;
            }
            case Op::SaveReplay:
                editor.Settle();
                editor.StopPlay();
                if (const bw::Replay* replay = editor.LastReplay()) replayFile_ = bw::WriteReplay(*replay);
                else said_.push_back(Said::NoReplay);
                break;
            case Op::OpenReplay:
                if (!replayFile_.empty()) OpenReplay(replayFile_);
                break;
            case Op::OpenReplayText: OpenReplay(a.Text()); break;
            default: break;
        }
    }
    bool Save(std::string path) {
        editor.Settle();
        if (path.empty()) path = "C:\\tables\\untitled.bwt";
        const bw::SaveResult file = editor.PrepareSave();
        if (!file.ok) {
            said_.push_back(Said::SaveFailed);
            return false;
        }
        editor.Saved(path);
        lastFile_ = file.bytes;
        return true;
    }
    bool QuerySaveChanges() {
        if (editor.saved()) return true;
        said_.push_back(Said::NotSaved);
        switch (view.NextAnswer(bw::MessageAnswer::Cancel)) {
            case bw::MessageAnswer::Yes: return Save(editor.FilePath());
            case bw::MessageAnswer::No: return true;
            default: return false;
        }
    }
    void OpenFile(std::vector<uint8_t> bytes) {
        if (!QuerySaveChanges()) return;
        // The window reads no more than a table file can hold.
        if (bytes.size() > bw::kMaxFileBytes) bytes.resize(bw::kMaxFileBytes);
        if (editor.OpenTable(kTablePath, bytes)) lastFile_ = std::move(bytes);
    }
    void OpenReplay(const std::string& text) {
        editor.Settle();
        if (!QuerySaveChanges()) return;
        if (!editor.OpenReplay(text.substr(0, bw::kMaxReplayBytes + 1), "C:\\tables\\r.bwr")) return;
        if (!Playing()) editor.StartPlay();
        editor.PlayBack();
    }

    std::vector<Said> said_;
    std::string replayFile_;
    std::vector<uint8_t> lastFile_ = bw::TableFileBytes(*bw::Table(bw::NoImageLoader{}).root);
};

}  // namespace bwfuzz
