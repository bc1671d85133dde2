// The editor driven as the window drives it, without a window: a view that
// keeps a screen of its own (a pixel buffer that is painted where the
// editor invalidates and drawn on where it draws at once), answers
// messages from a queue, and holds a clipboard; and a script of user
// actions to play on it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "files/table_text.h"
#include "model/paint.h"
#include "model/soft_surface.h"

namespace bwtest {

class ScreenView : public bw::EditorView {
public:
    bw::SoftSurface screen{250, 200};
    bw::Region dirty;
    bool wholeDirty = false;
    bw::Editor* editor = nullptr;
    bool active = true;
    bool captured = false;
    std::deque<bw::MessageAnswer> answers;
    std::vector<bw::MessageRequest> asked;
    std::optional<std::string> clipboard;
    int playStarts = 0, playStops = 0, fileChanges = 0, discards = 0, findingsDrops = 0;

    void Invalidate(const bw::Region& area, bool) override {
        // As the system does: no region at all means the whole window.
        if (area.IsEmpty()) wholeDirty = true;
        else dirty.Unite(area);
    }
    void DrawNow(const std::function<void(bw::Surface&)>& draw) override {
        screen.SetClip(bw::kPlayfield);
        draw(screen);
    }
    bw::MessageAnswer Ask(const bw::MessageRequest& request) override {
        asked.push_back(request);
        if (answers.empty()) return bw::MessageAnswer::Ok;
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

    // The paint the window would make now: what is invalid is painted anew.
    void Paint() {
        if (!wholeDirty && dirty.IsEmpty()) return;
        bw::SoftSurface fresh(250, 200);
        fresh.SetClip(bw::kPlayfield);
        editor->Paint(fresh);
        for (int32_t y = 0; y < 200; ++y)
            for (int32_t x = 0; x < 250; ++x)
                if (wholeDirty || dirty.Contains(x, y)) Copy(fresh, x, y);
        dirty.SetEmpty();
        wholeDirty = false;
    }
    // The whole playfield as a full repaint shows it.
    std::vector<bw::Color> Repainted() const {
        bw::SoftSurface fresh(250, 200);
        fresh.SetClip(bw::kPlayfield);
        editor->Paint(fresh);
        return fresh.Pixels();
    }

private:
    void Copy(const bw::SoftSurface& from, int32_t x, int32_t y) {
        screen.SetClip({x, y, x + 1, y + 1});
        screen.SetRasterMode(bw::RasterMode::CopyPen);
        screen.FillRect({x, y, x + 1, y + 1}, from.At(x, y));
    }
};

// An editor on a screen view. Run plays a script of actions, separated by
// blanks:
//   tN   choose tool N (4 to 11 a piece, 12 the pointer)
//   cX,Y click (press and release) at window pixel X,Y    pX,Y press   mX,Y move   u release
//   r    right click    wX,Y double click at X,Y (press, release, double click, release)
//   < > ^ v  the arrow keys    Z undo  Y redo  X cut  C copy  V paste  D delete  L clear
//   yes no  the answer to the next message      off  another window becomes the active one
//        S start play  E stop play
//   !NAME  the table saved as NAME      P  the window paints what is invalid
//   sX,Y Shift+click at X,Y    qX,Y Shift+press    esc Escape    all Select All
//   dup Duplicate   mirror Mirror   mcopy Mirror copy
//   align-left ... align-bottom (left centre right top middle bottom)
//   spread-h spread-v  Distribute horizontally, vertically
// After each action the window paints, as it would between messages.
struct Session {
    ScreenView view;
    bw::SliceRunner checks;
    bw::Editor editor;

    Session() : editor(view, bw::BuiltinImageLoader{}, Texts(), checks) {
        view.editor = &editor;
        view.Paint();
    }

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

    std::string Text() const { return bw::TableToText(editor.table()); }
    void Load(const std::string& text) {
        std::string error;
        bw::Table t(bw::BuiltinImageLoader{});
        bw::TextToTable(text, *t.root, error);
        editor.OpenTable("C:\\tables\\t.bwt", bw::TableFileBytes(*t.root));
        view.Paint();
    }

    void Run(const std::string& script) {
        std::istringstream in(script);
        std::string a;
        while (in >> a) {
            Act(a);
            view.Paint();
        }
    }

    void Act(const std::string& a) {
        const char c = a[0];
        bw::Point p{};
        if (a.size() > 1 && std::isdigit(static_cast<unsigned char>(a[1]))) {
            const size_t comma = a.find(',');
            p.x = std::stoi(a.substr(1, comma - 1));
            p.y = comma == std::string::npos ? 0 : std::stoi(a.substr(comma + 1));
        }
        static const char* const sides[] = {"align-left", "align-centre", "align-right",
                                            "align-top", "align-middle", "align-bottom"};
        for (int i = 0; i < 6; ++i)
            if (a == sides[i]) return editor.Align(static_cast<bw::Alignment>(i));
        if (a == "esc") editor.Escape();
        else if (a == "all") editor.SelectAll();
        else if (a == "dup") editor.Duplicate();
        else if (a == "mirror") editor.Mirror();
        else if (a == "mcopy") editor.MirrorCopy();
        else if (a == "spread-h") editor.Distribute(false);
        else if (a == "spread-v") editor.Distribute(true);
        else if (a == "yes") view.answers.push_back(bw::MessageAnswer::Yes);
        else if (a == "no") view.answers.push_back(bw::MessageAnswer::No);
        else if (a == "off") view.active = false;
        else if (c == 't') editor.SelectTool(p.x);
        else if (c == 'c') editor.LButtonDown(p), editor.LButtonUp();
        else if (c == 'p') editor.LButtonDown(p);
        else if (c == 's') editor.LButtonDown(p, true), editor.LButtonUp();
        else if (c == 'q') editor.LButtonDown(p, true);
        else if (c == 'm') editor.MouseMove(p);
        else if (c == 'u') editor.LButtonUp();
        else if (c == 'r') editor.RButtonDown();
        else if (c == 'w') editor.LButtonDown(p), editor.LButtonUp(), editor.LButtonDblClk(p), editor.LButtonUp();
        else if (c == '<') editor.ArrowKey(bw::kKeyLeft);
        else if (c == '>') editor.ArrowKey(bw::kKeyRight);
        else if (c == '^') editor.ArrowKey(bw::kKeyUp);
        else if (c == 'v') editor.ArrowKey(bw::kKeyDown);
        else if (c == 'Z') editor.Undo();
        else if (c == 'Y') editor.Redo();
        else if (c == 'X') editor.Cut();
        else if (c == 'C') editor.Copy();
        else if (c == 'V') editor.Paste();
        else if (c == 'D') editor.Delete();
        else if (c == 'L') editor.Clear();
        else if (c == 'S') editor.StartPlay();
        else if (c == 'E') editor.StopPlay();
        else if (c == '!') editor.PrepareSave(), editor.Saved(a.substr(1));
        else if (c != 'P') ADD_FAILURE() << "unknown action " << a;
    }
};

}  // namespace bwtest
