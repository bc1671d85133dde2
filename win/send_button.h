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

// Makes `button` draw itself (owner-drawn) from now on.
void MakeSendButton(HWND button);

// Draws the button as a WM_DRAWITEM asks: its frame (pushed or not), its
// label in its font with the mnemonic underlined (greyed while disabled),
// and the focus rectangle.
void DrawSendButton(const DRAWITEMSTRUCT& item);

}  // namespace win
