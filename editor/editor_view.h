// What the editor asks of the window it sits behind.
//
// The editor knows no platform: it takes the mouse in window pixels and the
// keys as the window receives them, and says through this interface what
// the window must do: repaint an area, draw a transient picture at once,
// show a message and give back the answer, write its texts, follow the
// tool and the mode. The window carries these out and nothing more.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/region.h"
#include "model/surface.h"

namespace bw {

// The messages the editor shows, by what they say; the window holds their
// texts.
enum class EditorMessage : int32_t {
    TooComplex,        // the record budget refuses an addition
    NotATable,         // a file that is not a table file
    ClearQuestion,     // Clear asks before it empties the table
    PasteNotATable,    // the clipboard's text is no table: argument, why
    NoFreePlace,       // pieces to add find no place where a click could put them: argument, the command
    BadReplay,         // a file that is no whole replay: argument, path; detail, why
    OutsideArea,       // a command would put a piece where no click could: argument, the command
    MirrorImageThere,  // Mirror copy: every mirror image already lies on the table
};

enum class MessageButtons : int32_t { Ok, YesNo, YesNoCancel };
enum class MessageIcon : int32_t { None, Information, Question, Exclamation, Stop };
enum class MessageAnswer : int32_t { Ok, Yes, No, Cancel };

struct MessageRequest {
    EditorMessage message;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    std::string argument;  // put into the text where it names something
    std::string detail;    // a line that follows the text
};

class EditorView {
public:
    // The area (window pixels) is painted anew; with `erase` its
    // background first.
    virtual void Invalidate(const Region& area, bool erase) = 0;
    // Draws on the window at once, clipped to the playfield, with the
    // cursor hidden meanwhile (the transient XOR pictures).
    virtual void DrawNow(const std::function<void(Surface&)>& draw) = 0;
    virtual MessageAnswer Ask(const MessageRequest& request) = 0;
    // Whether the window is the active one: mouse editing needs it.
    virtual bool IsActive() const = 0;
    virtual void CaptureMouse(bool capture) = 0;

    // The editor's texts (status, coordinates, score) changed: the window
    // writes them to its controls. ScoreChanged: the score alone.
    virtual void TextsChanged() = 0;
    virtual void ScoreChanged() = 0;
    // The tool changed: the toolbar shows it checked (or none).
    virtual void ToolChanged() = 0;
    // Play began or ended: the timer, the buttons that play disables.
    virtual void PlayStarted() = 0;
    virtual void PlayStopped() = 0;
    // The file the table belongs to changed: the title follows.
    virtual void FileChanged() = 0;

    // The clipboard, as table text.
    virtual bool PutOnClipboard(const std::string& text) = 0;
    // At most `most` bytes of it: what is longer is refused unread.
    virtual std::optional<std::string> ClipboardText(size_t most) = 0;
    virtual bool ClipboardHasText() const = 0;

    // Nothing is unsaved any more: the copy of unsaved changes goes.
    virtual void DiscardRecovery() = 0;
    // The table settled before play: the copy is brought up to date now.
    virtual void UpdateRecovery() = 0;
    // The findings of a check went: their list closes.
    virtual void FindingsDropped() = 0;

protected:
    ~EditorView() = default;
};

}  // namespace bw
