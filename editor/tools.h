// The tools: each gets the mouse and the arrow keys on the playfield while
// it is the current one. A tool's gesture (a border being drawn, pieces
// dragged, a selection band) lasts from a press to its end; Settle ends it
// at once, whatever it is, and every command calls it first.
//
// Positions are window pixels made even (the table drawn at twice its
// size), already known to lie in the playfield with the window active.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "editor/document.h"
#include "editor/editor_view.h"

namespace bw {

enum class EditMode : int32_t {
    Editing = 0,        // no gesture under way
    DrawingBorder = 1,  // a border polyline is being drawn
    Dragging = 2,       // the selected pieces follow the mouse
    Playing = 3,        // the play timer runs
    Selecting = 4,      // a selection band is drawn from where the pointer was pressed
};

// `tool`: 0 none; 4 to 11 the piece kind a click places; 12 the pointer.
constexpr int32_t kNoTool = 0;
constexpr int32_t kPointerTool = 12;

// What the tools share with the editor: the document, the window, and a
// way to tell the user a refusal.
struct ToolContext {
    Document& doc;
    EditorView& view;
    // An action completed: the table as it stands becomes one step (false,
    // after the too-complex message, when a file could not hold it).
    std::function<bool(bool nudge)> record;
    std::function<void(EditorMessage)> tell;
};

class Tool {
public:
    explicit Tool(ToolContext& context) : c_(context) {}
    virtual ~Tool() = default;

    // The left button pressed: false when the tool refused the place
    // outright (outside its area), which then changes nothing at all.
    virtual bool Press(Point p, bool shift) = 0;
    virtual void MoveTo(Point p, Point last) { (void)p, (void)last; }
    virtual void Release() {}
    virtual void RightPress() {}
    virtual void DoubleClick() {}
    // An arrow key: true when taken.
    virtual bool Nudge(Point d) { return (void)d, false; }
    // Undo while a gesture lasts: true when the gesture took it.
    virtual bool TakeBack() { return false; }
    virtual EditMode Gesture() const { return EditMode::Editing; }
    virtual void Settle() {}
    // What painting draws over the table while the gesture lasts.
    virtual void PaintGesture(Surface& target) { (void)target; }
    // The pieces drawn over the table (in XOR) while they are dragged.
    virtual std::vector<TablePiece*> OverDrawn() const { return {}; }
    // Whether the selection's frames show now.
    virtual bool ShowsFrames() const { return false; }

protected:
    ToolContext& c_;
};

// Tools 4 to 10: a click places a piece of the kind.
std::unique_ptr<Tool> MakePlaceTool(ToolContext& context, PieceKind kind);
// Tool 11: borders, click by click; a right click or a double click ends one.
std::unique_ptr<Tool> MakeBorderTool(ToolContext& context);
// Tool 12: selects (a click, Shift+click, a band), drags and nudges.
std::unique_ptr<Tool> MakePointerTool(ToolContext& context);

}  // namespace bw
