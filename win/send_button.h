// The send button draws its own face: its label ("Send &to Talvik",
// blanks, "computer") in two lines, the first ending where the run of
// blanks begins, so that the whole label reads at the template's size.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace win {

// The label's two lines; the second is empty when it has no run of blanks.
std::pair<std::string, std::string> SendButtonLines(const std::string& label);

// Draws the button in `r` of `dc`: its frame (pushed or not), the label
// with its mnemonic underlined (greyed while disabled), and the focus
// rectangle. `state` holds the ODS_ flags of a WM_DRAWITEM.
void DrawSendButton(HDC dc, const RECT& r, UINT state, const std::string& label, HFONT font);

}  // namespace win
