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

#include <string>
#include <string_view>

#include "model/table.h"

namespace bw {

std::string TableToText(const TableRoot& root);

// Replaces the table's pieces with those the text describes; false with a
// message naming the line when the text is malformed (the table is then
// left empty).
bool TextToTable(std::string_view text, TableRoot& root, std::string& error);

}  // namespace bw
