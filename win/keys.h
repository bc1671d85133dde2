// The keyboard as a window's shortcuts see it.
#pragma once

#include <windows.h>

#include <span>

namespace win {

// A key with or without Ctrl and, with Ctrl, with or without Shift.
struct Shortcut {
    UINT key;
    bool ctrl;
    bool shift;
    UINT command;
};

bool KeyHeld(int key);
// Shift, Ctrl or Alt held.
bool ModifierHeld();

// The command of the shortcut that `key` makes with Ctrl and Shift as they
// are held now; 0 when it makes none.
UINT ShortcutCommand(std::span<const Shortcut> shortcuts, WPARAM key);

}  // namespace win
