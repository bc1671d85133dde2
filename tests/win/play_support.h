// What the play tests share: the user's actions in play as the messages
// they produce, and tables written from text.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win/test_support.h"

namespace test {

// A key as the keyboard delivers it: posted to the control with the focus
// and taken from the queue by the dialog's loop. `repeat` marks the
// auto-repeated key-down of a key that is held.
void PostKey(Window& w, UINT vk, bool down, bool repeat = false);
// A key pressed and let go.
void TypeKey(Window& w, UINT vk);

// One tick of the play timer (identifier 1), taken from the queue like the
// real one, and everything that follows it (the paint) until the queue is
// empty.
void Tick(Window& w);

// A click on one of the window's buttons.
void PressButton(Window& w, int id);

// Start pressed; the test then gives the ticks itself, so the window's own
// timer is stopped at once. Fails unless the timer with identifier 1 was
// running.
void StartWithoutTimer(Window& w);

// The text of a file; empty when it cannot be read.
std::string ReadText(const std::string& path);

// A table file in `folder` built from table text, loaded into the window
// as Open loads it. Returns the file's path.
std::string LoadTableText(Window& w, const TempFolder& folder, const std::string& tableText);

// The piece of `kind` that comes first in the root's list, or none.
bw::TablePiece* FirstOfKind(Window& w, bw::PieceKind kind);

}  // namespace test
