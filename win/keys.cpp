#include "win/keys.h"

namespace win {

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool ModifierHeld() { return KeyHeld(VK_SHIFT) || KeyHeld(VK_CONTROL) || KeyHeld(VK_MENU); }

UINT ShortcutCommand(std::span<const Shortcut> shortcuts, WPARAM key) {
    const bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
    for (const Shortcut& s : shortcuts)
        if (s.key == key && s.ctrl == ctrl && (!s.ctrl || s.shift == shift)) return s.command;
    return 0;
}

}  // namespace win
