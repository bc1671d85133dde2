#include "tests/editor_fuzz/script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <utility>

namespace bwfuzz {

namespace {

struct Word {
    const char* word;
    Op op;
};

// Tokens that are a word and nothing else.
constexpr Word kWords[] = {
    {"u", Op::Release}, {"r", Op::RightClick}, {"<", Op::Left}, {">", Op::Right}, {"^", Op::Up},
    {"v", Op::Down}, {"esc", Op::Escape}, {"del", Op::DeleteKey}, {"Z", Op::Undo}, {"Y", Op::Redo},
    {"X", Op::Cut}, {"C", Op::Copy}, {"V", Op::Paste}, {"D", Op::Delete}, {"L", Op::Clear},
    {"all", Op::SelectAll}, {"dup", Op::Duplicate}, {"mirror", Op::Mirror}, {"mcopy", Op::MirrorCopy},
    {"align-left", Op::AlignLeft}, {"align-centre", Op::AlignCentre}, {"align-right", Op::AlignRight},
    {"align-top", Op::AlignTop}, {"align-middle", Op::AlignMiddle}, {"align-bottom", Op::AlignBottom},
    {"spread-h", Op::SpreadH}, {"spread-v", Op::SpreadV}, {"yes", Op::Yes}, {"no", Op::No},
    {"cancel", Op::Cancel}, {"off", Op::Inactive}, {"on", Op::Active}, {"S", Op::Start}, {"E", Op::Stop},
    {"P", Op::Paint}, {"new", Op::New}, {"walk", Op::Walk}, {"save", Op::Save},
    {"save-replay", Op::SaveReplay}, {"open-replay", Op::OpenReplay}, {"live-on", Op::LiveOn},
    {"live-off", Op::LiveOff}, {"down-z", Op::KeyDownZ}, {"up-z", Op::KeyUpZ}, {"down-x", Op::KeyDownX},
    {"up-x", Op::KeyUpX}, {"down-space", Op::KeyDownSpace}, {"up-space", Op::KeyUpSpace},
};

// Tokens of a letter and a point "X,Y" (or a number).
constexpr std::array<std::pair<char, Op>, 8> kPointed = {{
    {'t', Op::Tool}, {'c', Op::Click}, {'p', Op::Press}, {'s', Op::ShiftClick}, {'q', Op::ShiftPress},
    {'m', Op::Move}, {'w', Op::DoubleClick}, {'!', Op::SaveAs},
}};

// Words followed by a count, and words followed by the rest of the line.
constexpr Word kCounted[] = {{"idle", Op::Idle}, {"tick", Op::Tick}};
constexpr Word kTexts[] = {{"clip", Op::Clip}, {"open", Op::Open}, {"open-replay", Op::OpenReplayText}};

bool ReadInt(const std::string& s, size_t& at, int64_t& value) {
    const size_t start = at;
    if (at < s.size() && s[at] == '-') ++at;
    const size_t digits = at;
    value = 0;
    while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])) && at - digits < 12)
        value = value * 10 + (s[at++] - '0');
    if (at == digits) {
        at = start;
        return false;
    }
    if (s[start] == '-') value = -value;
    return true;
}

bool ReadPoint(const std::string& s, size_t at, Action& a) {
    int64_t x = 0, y = 0;
    if (!ReadInt(s, at, x)) return false;
    if (at < s.size() && s[at] == ',') {
        ++at;
        if (!ReadInt(s, at, y)) return false;
    }
    if (at != s.size()) return false;
    a.x = static_cast<int32_t>(x);
    a.y = static_cast<int32_t>(y);
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One quoted C-escaped string at `at` (past its closing quote afterwards).
bool ReadQuoted(const std::string& s, size_t& at, std::string& out) {
    if (at >= s.size() || s[at] != '"') return false;
    for (++at; at < s.size(); ++at) {
        char c = s[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '\\' && at + 1 < s.size()) {
            c = s[++at];
            if (c == 'n') c = '\n';
            else if (c == 'r') c = '\r';
            else if (c == 't') c = '\t';
            else if (c == 'x' && at + 2 < s.size() && HexValue(s[at + 1]) >= 0 && HexValue(s[at + 2]) >= 0) {
                c = static_cast<char>(HexValue(s[at + 1]) * 16 + HexValue(s[at + 2]));
                at += 2;
            }
        }
        out += c;
    }
    return false;
}

void SkipBlanks(const std::string& s, size_t& at) {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
}

bool ReadText(const std::string& s, size_t at, std::vector<Part>& parts) {
    for (SkipBlanks(s, at); at < s.size() && s[at] != '#'; SkipBlanks(s, at)) {
        Part part;
        if (!ReadQuoted(s, at, part.text)) return false;
        if (at < s.size() && s[at] == '*') {
            ++at;
            if (!ReadInt(s, at, part.times) || part.times < 0) return false;
        }
        parts.push_back(std::move(part));
    }
    return !parts.empty();
}

bool ReadHex(const std::string& s, size_t at, std::vector<Part>& parts) {
    SkipBlanks(s, at);
    Part part;
    for (; at + 1 < s.size() && HexValue(s[at]) >= 0 && HexValue(s[at + 1]) >= 0; at += 2)
        part.text += static_cast<char>(HexValue(s[at]) * 16 + HexValue(s[at + 1]));
    SkipBlanks(s, at);
    if (at < s.size() && s[at] != '#') return false;
    parts.push_back(std::move(part));
    return true;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == '"' || c == '\\') out += '\\', out += c;
        else if (u < 0x20 || u >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string Action::Text() const {
    std::string out;
    for (const Part& p : parts)
        for (int64_t i = 0; i < p.times; ++i) out += p.text;
    return out;
}

std::optional<Action> ParseToken(const std::string& token) {
    if (token.empty()) return std::nullopt;
    for (const Word& w : kWords)
        if (token == w.word) return Action{w.op};
    for (const auto& [letter, op] : kPointed) {
        if (token[0] != letter || token.size() < 2) continue;
        Action a{op};
        if (op == Op::SaveAs) {
            a.name = token.substr(1);
            return a;
        }
        if (ReadPoint(token, 1, a)) return a;
    }
    return std::nullopt;
}

std::optional<Script> ParseScript(const std::string& text, std::string& error) {
    Script script;
    size_t start = 0;
    for (int line = 1; start <= text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string s = text.substr(start, end - start);
        start = end + 1;
        if (!s.empty() && s.back() == '\r') s.pop_back();
        size_t at = 0;
        for (SkipBlanks(s, at); at < s.size() && s[at] != '#'; SkipBlanks(s, at)) {
            size_t stop = at;
            while (stop < s.size() && s[stop] != ' ' && s[stop] != '\t') ++stop;
            const std::string word = s.substr(at, stop - at);
            Action a;
            bool ok = false, rest = true;
            if (word == "open-bytes") {
                a.op = Op::OpenBytes;
                ok = ReadHex(s, stop, a.parts);
            } else if (const auto* t = std::find_if(std::begin(kTexts), std::end(kTexts),
                                                    [&](const Word& w) { return word == w.word; });
                       t != std::end(kTexts) && s.find('"', stop) != std::string::npos) {
                a.op = t->op;
                ok = ReadText(s, stop, a.parts);
            } else if (const auto* c = std::find_if(std::begin(kCounted), std::end(kCounted),
                                                    [&](const Word& w) { return word == w.word; });
                       c != std::end(kCounted)) {
                a.op = c->op;
                size_t n = stop;
                SkipBlanks(s, n);
                int64_t count = 0;
                ok = ReadInt(s, n, count) && count >= 0;
                a.x = static_cast<int32_t>(count);
                stop = n;
                rest = false;
            } else if (const std::optional<Action> token = ParseToken(word)) {
                a = *token;
                ok = true;
                rest = false;
            }
            if (!ok) {
                error = "line " + std::to_string(line) + ": cannot read \"" + word + "\"";
                return std::nullopt;
            }
            script.push_back(std::move(a));
            at = rest ? s.size() : stop;
        }
    }
    return script;
}

std::string FormatAction(const Action& a) {
    for (const Word& w : kWords)
        if (a.op == w.op) return w.word;
    for (const auto& [letter, op] : kPointed) {
        if (a.op != op) continue;
        if (op == Op::SaveAs) return "!" + a.name;
        if (op == Op::Tool) return "t" + std::to_string(a.x);
        return std::string(1, letter) + std::to_string(a.x) + "," + std::to_string(a.y);
    }
    for (const Word& w : kCounted)
        if (a.op == w.op) return std::string(w.word) + " " + std::to_string(a.x);
    std::string out;
    if (a.op == Op::OpenBytes) {
        out = "open-bytes ";
        for (const char c : a.Text()) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
            out += hex;
        }
        return out;
    }
    for (const Word& w : kTexts)
        if (a.op == w.op) out = w.word;
    for (const Part& p : a.parts) {
        out += " " + Quote(p.text);
        if (p.times != 1) out += "*" + std::to_string(p.times);
    }
    return out;
}

std::string FormatScript(const Script& script) {
    std::string out;
    for (const Action& a : script) out += FormatAction(a) + "\n";
    return out;
}

}  // namespace bwfuzz
