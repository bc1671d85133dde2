// Action scripts: what a user does to the editor's window, one action per
// token or line, in a text that a failure prints and that replays exactly.
//
// The short tokens are those of the example tests' sessions:
//   tN   choose tool N (4 to 11 a piece, 12 the pointer)
//   cX,Y click at window pixel X,Y    pX,Y press    mX,Y move    u release
//   sX,Y Shift+click    qX,Y Shift+press    r right click
//   wX,Y double click (press, release, double click, release)
//   < > ^ v  the arrow keys    esc  Escape    del  the Delete key
//   Z Y X C V D L  Undo Redo Cut Copy Paste Delete Clear    all  Select All
//   dup mirror mcopy   align-left ... align-bottom   spread-h spread-v
//   yes no cancel  the answer to the next question    off on  the window
//   loses and gets back the focus    S Start    E Edit (stop)    P paint
//   !NAME  Save, the table's file named NAME
// and the rest are words:
//   new  walk  save  save-replay  open-replay  live-on  live-off
//   idle N        a slice of the check as you edit, N ticks at most
//   tick N        N ticks of play        down-z up-z down-x up-x down-space up-space
//   clip TEXT     TEXT goes on the clipboard (Paste is V)
//   open TEXT     File > Open of the table TEXT describes (as its file)
//   open-bytes HEX   File > Open of a file of those bytes
//   open-replay TEXT Table > Open replay of a file holding TEXT
// A TEXT is one or more C-escaped strings in double quotes, each maybe
// repeated: "border 0 0" ", 1 1"*5000 "\n". A line whose first word takes a
// TEXT or HEX ends with it; '#' starts a comment outside quotes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bwfuzz {

// The tools' numbers (tN): 4 to 11 the piece kinds a click places, 11 the
// border, 12 the pointer.
constexpr int32_t kPointerNumber = 12;
constexpr int32_t kBorderNumber = 11;

enum class Op : int32_t {
    Tool, Click, Press, ShiftClick, ShiftPress, Move, Release, RightClick, DoubleClick,
    Left, Right, Up, Down, Escape, DeleteKey,
    Undo, Redo, Cut, Copy, Paste, Delete, Clear, SelectAll, Duplicate, Mirror, MirrorCopy,
    AlignLeft, AlignCentre, AlignRight, AlignTop, AlignMiddle, AlignBottom, SpreadH, SpreadV,
    Yes, No, Cancel, Inactive, Active, Start, Stop, Paint, SaveAs,
    New, Walk, Save, SaveReplay, OpenReplay, LiveOn, LiveOff, Idle, Tick,
    KeyDownZ, KeyUpZ, KeyDownX, KeyUpX, KeyDownSpace, KeyUpSpace,
    Clip, Open, OpenBytes, OpenReplayText,
};

// One piece of a TEXT: `text`, `times` times over.
struct Part {
    std::string text;
    int64_t times = 1;
    bool operator==(const Part&) const = default;
};

struct Action {
    Action() = default;
    Action(Op o, int32_t ax = 0, int32_t ay = 0) : op(o), x(ax), y(ay) {}
    Action(Op o, std::vector<Part> p) : op(o), parts(std::move(p)) {}

    Op op = Op::Paint;
    int32_t x = 0, y = 0;     // a window pixel; the tool; a count
    std::vector<Part> parts;  // the TEXT or the bytes (one part, raw)
    std::string name;         // Save's file name
    bool operator==(const Action&) const = default;

    std::string Text() const;  // the TEXT spelled out
};

using Script = std::vector<Action>;

// The script a text holds; none, with `error` naming the line, when it
// holds something else.
std::optional<Script> ParseScript(const std::string& text, std::string& error);
// One short token (as the example sessions write them); none when unknown.
std::optional<Action> ParseToken(const std::string& token);
// The script as text, one action a line; parsing it gives the script back.
std::string FormatScript(const Script& script);
std::string FormatAction(const Action& action);

}  // namespace bwfuzz
