// A table as text a person can write, read and review in a diff.
//
//   # comments run to the end of the line
//   obstacle10 20 30          one piece: its name and table position
//   border 10 10, 50 10, 50 60
//                             a border: its start point, then each corner
//   polyline 10 10 ... end    a border holding other pieces (rare)
//   group ... end             a plain group (rare)
//
// Piece names: obstacle10 obstacle50 obstacle100 hole left-flipper
// right-flipper cannon segment. Positions are 0 to 255.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/table.h"

namespace bw {

std::string TableToText(const TableRoot& root);

// One piece of a table (a border polyline as a whole) as text, with the
// same header as TableToText.
std::string PieceToText(const TablePiece& piece);

// The most text the clipboard's pieces may take (comments included): a
// table file's 250 records written as text, commented at length, take far
// less. Text over it is refused whole, before anything is read.
constexpr size_t kMaxPasteBytes = 64 * 1024;

// The pieces of a table text as the clipboard holds it, read into `into`
// (where they go is the editor's rule). A text that is too long, or whose
// pieces would take more records than a table file holds, is refused as too
// many before its pieces are built.
struct PasteResult {
    bool ok = false;
    bool tooMany = false;  // when not ok: more than a table file holds
    std::string error;     // when not ok and not too many: what is wrong with the text
};
PasteResult ReadPastedPieces(std::string_view text, TableRoot& into);

// A piece of text to show in a message: in double quotes, cut to a
// readable length (an ellipsis marks the cut), control characters and
// broken UTF-8 shown as question marks.
std::string Quoted(std::string_view text);

// The length of the well-formed UTF-8 sequence at `at` (no overlong form,
// no surrogate, nothing past U+10FFFF), or 0 when there is none.
size_t Utf8Length(std::string_view text, size_t at);

// Replaces the table's pieces with those the text describes; false with a
// message naming the line when the text is malformed (the table is then
// left empty).
bool TextToTable(std::string_view text, TableRoot& root, std::string& error);

// The line of `text` that starts at `pos`, without its line end ("\n",
// "\r\n" or "\r"); `pos` moves past it. False when no line is left.
bool NextLine(std::string_view text, size_t& pos, std::string_view& line);

}  // namespace bw
