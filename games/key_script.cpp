#include "games/key_script.h"

#include <algorithm>
#include <charconv>

namespace bw {

std::string KeyScriptFromFileText(std::string_view text) {
    std::string keys;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.empty() || line[0] == '#') continue;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (!keys.empty() && !line.empty()) keys += ",";
        keys += line;
    }
    return keys;
}

bool ParseKeyScript(std::string_view text, std::vector<KeyEvent>& events, std::string& error) {
    events.clear();
    if (text.empty()) return true;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        const std::string_view item = text.substr(pos, comma - pos);
        const size_t colon = item.find(':');
        KeyEvent e;
        bool ok = colon != std::string_view::npos && colon > 0 && colon + 2 <= item.size();
        if (ok) {
            const auto digits = item.substr(0, colon);
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), e.tick);
            ok = ec == std::errc() && end == digits.data() + digits.size() && e.tick >= 1 &&
                 digits.find_first_not_of("0123456789") == std::string_view::npos;
        }
        if (ok) {
            const char sign = item[colon + 1];
            const std::string_view key = item.substr(colon + 2);
            ok = sign == '+' || sign == '-';
            e.down = sign == '+';
            if (key == "Z") e.virtualKey = kKeyZ;
            else if (key == "X") e.virtualKey = kKeyX;
            else if (key == "SPACE") e.virtualKey = kKeySpace;
            else if (ok) {
                error = "unknown key '" + std::string(key) + "' in event '" + std::string(item) +
                        "' (keys are Z, X and SPACE)";
                return false;
            }
        }
        if (!ok) {
            error = "malformed key event '" + std::string(item) + "' (expected TICK:+KEY or TICK:-KEY)";
            return false;
        }
        events.push_back(e);
        if (comma == text.size()) break;
        pos = comma + 1;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.tick < b.tick; });
    return true;
}

}  // namespace bw
