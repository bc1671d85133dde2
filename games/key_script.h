// Key scripts for replaying a game: "TICK:+KEY" or "TICK:-KEY", comma-separated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/table.h"

namespace bw {

struct KeyEvent {
    int64_t tick = 0;       // the tick before which the event happens, from 1
    int32_t virtualKey = 0;  // kKeyZ, kKeyX or kKeySpace
    bool down = false;
};

// The events of a key script file: its lines joined with commas, leaving
// out empty lines and comment lines (starting with '#').
std::string KeyScriptFromFileText(std::string_view text);

// Parses EVENTS; false with a message naming the bad event.
bool ParseKeyScript(std::string_view text, std::vector<KeyEvent>& events, std::string& error);

}  // namespace bw
